// corvexsvc.exe's command line as a user types it: texts, exit codes, and the program's resources.
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Program()
{
    return BuildProgram(L"service\\corvexsvc.exe");
}

const char kHelp[] = "\ncorvexsvc V1.36\nCorvex control Service\n\nSupported command line options:\n"
                     " -install    Install the service.\n"
                     " -uninstall  Uninstall the service.\n"
                     " -start      Start the service.\n"
                     " -stop       Stop the service.\n"
                     " -console    Start service in console mode.\n"
                     " -h, -?      Print this help message.\n\n";
} // namespace

TEST(CommandLine, TextsAndExitCodes)
{
    struct Case
    {
        const wchar_t* arguments;
        std::string output;
        DWORD exitCode;
    };
    const Case cases[] = {
        {L"", "No arguments given, use -h.\n", 1},
        {L"-h", kHelp, 0},
        {L"-?", kHelp, 0},
        {L"-h -install", kHelp, 0},
        {L"-INSTALL", "Unknown argument -INSTALL, use -h.\n", 1},
        {L"-Console", "Unknown argument -Console, use -h.\n", 1},
        {L"install", "Unknown argument install, use -h.\n", 1},
        {L"\"-h \"", "Unknown argument -h , use -h.\n", 1},
        {L"Grüße", "Unknown argument Grüße, use -h.\n", 1},
    };
    for (const Case& c : cases)
    {
        const ChildResult result = RunChild(Program(), c.arguments);
        EXPECT_EQ(c.output, result.output)
            << "arguments: " << testing::PrintToString(std::wstring(c.arguments));
        EXPECT_EQ(c.exitCode, result.exitCode);
    }
}

TEST(CommandLine, CarriesTheMessageTableVersionAndElevationManifest)
{
    HMODULE module = LoadLibraryExW(Program().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    for (const DWORD id : {0x60070001u, 0xA0070002u, 0xE0070003u})
    {
        DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(L"corvexsvc started")};
        wchar_t text[128] = {};
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                            module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                                            128, reinterpret_cast<va_list*>(arguments));
        EXPECT_NE(0u, length) << std::hex << id;
        EXPECT_STREQ(L"corvexsvc started\r\n", text) << std::hex << id;
    }
    EXPECT_EQ(0u, FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, module,
                                 0x60070004, 0, nullptr, 0, nullptr))
        << "three entries only";

    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(nullptr, manifest);
    const char* xml = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    const std::string text(xml, SizeofResource(module, manifest));
    EXPECT_NE(std::string::npos, text.find("level=\"requireAdministrator\" uiAccess=\"false\""));
    FreeLibrary(module);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(Program().c_str(), &ignored);
    ASSERT_NE(0u, size);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(Program().c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize));
    EXPECT_EQ(MAKELONG(36, 1), info->dwFileVersionMS);
}

TEST(CommandLine, ServiceTypedAtAConsolePromptFails)
{
    // The dispatcher connection fails (after about 10 s under Wine).
    const ChildResult result = RunChild(Program(), L"-service", 60000);
    EXPECT_EQ("", result.output);
    EXPECT_EQ(static_cast<DWORD>(-1), result.exitCode);
}
