// corvexctl.exe against corvexsim.exe and corvexsvc.exe -console: the changes that go through the service
// and their refusals, the program's two streams and exit codes, watch until Ctrl+C, and a snapshot file.
#include "tests/e2e/e2e_service_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace
{
class CtlEndToEnd : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.Start()) << session.Service().Output();
        // corvexctl runs inherit the test's environment.
        SetEnvironmentVariableW(L"CORVEX_DRIVER", (L"pipe:" + session.Pipe()).c_str());
    }

    void TearDown() override { SetEnvironmentVariableW(L"CORVEX_DRIVER", nullptr); }

    static std::wstring Program() { return BuildProgram(L"ctl\\corvexctl.exe"); }
    static ChildResult Ctl(const std::wstring& arguments)
    {
        return RunChild(Program(), arguments, 60000, true);
    }

    // Handles with the client role besides the service's own requests: the control panel's, or a watch.
    size_t Clients()
    {
        const nlohmann::json dump = session.Dump();
        return dump.contains("handles")
                   ? std::count_if(dump["handles"].begin(), dump["handles"].end(),
                                   [](const nlohmann::json& h) { return h["role"] == 2; })
                   : 0;
    }

    ServiceSession session{L"corvex-e2e-ctl-" + std::to_wstring(GetCurrentProcessId())};
};

TEST_F(CtlEndToEnd, ChangesGoThroughTheService)
{
    static const struct
    {
        const wchar_t* arguments;
        const char* out;
        const char* pointer;
        nlohmann::json expected;
    } cases[] = {
        {L"rate 44100", "44100 Hz\n", "/sampleRates/current", 44100},
        {L"buffers Large maximum", "streaming: Large (", "/buffers/asioClass", 3},
        {L"stream-device CVX10002", "mode: one device\nstreaming: CVX10002\n", "/units/1/streaming", true},
        {L"stream-device all", "mode: all devices\nstreaming: CVX10001 CVX10002\n", "/streaming/mode", 1},
        {L"policy forbid-rate-change on", "forbid-rate-change: on\n", "/policy", 1},
    };
    for (const auto& c : cases)
    {
        const ChildResult result = Ctl(c.arguments);
        EXPECT_EQ(0u, result.exitCode) << testing::PrintToString(std::wstring(c.arguments)) << result.errors;
        EXPECT_EQ(0u, result.output.find(c.out)) << result.output;
        EXPECT_TRUE(result.errors.empty()) << result.errors;
        EXPECT_EQ(c.expected, session.Dump()[nlohmann::json::json_pointer(c.pointer)]) << c.pointer;
    }
    // Kept by the service, not the unit: read back through the service.
    EXPECT_EQ("on\n", Ctl(L"restore CVX10001 on").output);
    EXPECT_EQ("{\"restore\":true}\n", Ctl(L"--json restore CVX10001").output);
    EXPECT_EQ("off\n", Ctl(L"restore CVX10001 off").output);
    EXPECT_EQ("off\n", Ctl(L"restore CVX10002").output);
}

TEST_F(CtlEndToEnd, RefusalsOfTheServiceCarryTheirStatus)
{
    static const struct
    {
        const char* setup; // a simulator command first
        const wchar_t* arguments;
        const char* errors;
    } cases[] = {
        {"client start 4", L"rate 44100",
         "Changing the sample rate failed (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).\n"},
        {"client start 4", L"buffers Safe Minimum",
         "Changing the buffer sizes failed (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).\n"},
        {"client start 4", L"policy forbid-rate-change on",
         "Changing the policy failed (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).\n"},
        {"fail SET_STREAMING_DEVICE NO_STREAMING_DEVICE", L"stream-device all",
         "Selecting the streaming device failed (Status=NORVIK_STATUS_NO_STREAMING_DEVICE).\n"
         "There is no device selected for streaming.\n"},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(0u, session.Control(c.setup).rfind("ok", 0)) << c.setup;
        const ChildResult result = Ctl(c.arguments);
        (void)session.Control("client stop 4");
        (void)session.Control("fail clear");
        EXPECT_EQ(1u, result.exitCode) << c.setup;
        EXPECT_EQ(c.errors, result.errors);
        EXPECT_TRUE(result.output.empty()) << result.output;
    }
    EXPECT_EQ(48000, session.Dump()["sampleRates"]["current"]) << "nothing changed";
}

TEST_F(CtlEndToEnd, StreamsAndExitCodes)
{
    const ChildResult usage = Ctl(L"rate fast");
    EXPECT_EQ(2u, usage.exitCode);
    EXPECT_TRUE(usage.output.empty());
    EXPECT_EQ("'fast' is not a sample rate in Hz.\nusage: corvexctl [--json] rate [HZ]\n", usage.errors);

    const ChildResult json = Ctl(L"--json volume CVX10001 \"Analog Out 3/4 R\" mute");
    EXPECT_EQ(0u, json.exitCode) << json.errors;
    EXPECT_EQ(
        "[{\"channel\":4,\"label\":\"Analog Out 3/4 R\",\"mute\":true,\"pin\":{\"channel\":3,\"kind\":0},"
        "\"volume\":0}]\n",
        json.output);

    SetEnvironmentVariableW(L"CORVEX_DRIVER", L"pipe:corvex-e2e-ctl-nothing");
    const ChildResult noDriver = Ctl(L"list");
    EXPECT_EQ(3u, noDriver.exitCode);
    EXPECT_EQ("The Corvex driver is not available (error 2).\n", noDriver.errors);
    SetEnvironmentVariableW(L"CORVEX_DRIVER", (L"pipe:" + session.Pipe()).c_str());

    session.Service().Kill();
    ASSERT_TRUE(WaitUntil([this] { return !session.HasServer(); }));
    const ChildResult noService = Ctl(L"rate 44100");
    EXPECT_EQ(3u, noService.exitCode);
    EXPECT_EQ("Changing the sample rate failed (Status=NORVIK_STATUS_NO_SERVER).\n"
              "The Corvex control service (corvexsvc) is not running.\n",
              noService.errors);

    // A driver that goes away signals nothing; watch finds it gone and ends with exit 3.
    BackgroundChild watch;
    ASSERT_TRUE(watch.Start(Program(), L"watch", session.DriverVariable()));
    ASSERT_TRUE(WaitUntil([this] { return Clients() == 1; })) << watch.Output();
    (void)session.Control("quit");
    ASSERT_TRUE(watch.Wait(10000)) << watch.Output();
    EXPECT_EQ(3u, watch.ExitCode());
    EXPECT_EQ("The Corvex driver went away; watch ends.\n", watch.Output());
}

TEST_F(CtlEndToEnd, WatchPrintsEachNotificationAtOnceUntilCtrlC)
{
    BackgroundChild watch;
    ASSERT_TRUE(watch.Start(Program(), L"watch", session.DriverVariable()));
    ASSERT_TRUE(WaitUntil([this] { return Clients() == 1; })) << watch.Output();

    // Each line must be in the file while watch still runs: nothing waits in a buffer.
    ASSERT_EQ(0u, session.Control("spdif CVX10001 3 1 44100").rfind("ok", 0));
    EXPECT_TRUE(watch.WaitForOutput("  3040  unit state changed  CVX10001\n", 10000)) << watch.Output();
    ASSERT_EQ(0u, session.Control("notify clients 3052 @CVX10002").rfind("ok", 0));
    EXPECT_TRUE(watch.WaitForOutput("  3052  crosspoint weights changed  CVX10002\n", 10000))
        << watch.Output();
    EXPECT_EQ(0u, Ctl(L"rate 44100").exitCode);
    EXPECT_TRUE(watch.WaitForOutput("  3011  sample rate changed  -\n", 10000)) << watch.Output();
    ASSERT_EQ(0u, session.Control("plug CVX10003").rfind("ok", 0));
    EXPECT_TRUE(watch.WaitForOutput("  3030  device list changed  -\n", 10000)) << watch.Output();
    ASSERT_EQ(0u, session.Control("notify clients 3051 @CVX10003").rfind("ok", 0));
    EXPECT_TRUE(watch.WaitForOutput("  3051  output volumes changed  CVX10003\n", 10000)) << watch.Output();

    ASSERT_TRUE(SendConsoleCtrlC());
    ASSERT_TRUE(watch.Wait(10000)) << watch.Output();
    EXPECT_EQ(0u, watch.ExitCode());
}

TEST_F(CtlEndToEnd, SnapshotThroughAFile)
{
    wchar_t directory[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, directory);
    const std::wstring file =
        std::wstring(directory) + L"ctl-e2e-" + std::to_wstring(GetCurrentProcessId()) + L".json";
    ASSERT_EQ(0u, Ctl(L"save CVX10002 \"" + file + L"\"").exitCode);
    ASSERT_EQ(0u, Ctl(L"volume CVX10002 \"SPDIF Out 1/2\" -12.25").exitCode);
    ASSERT_EQ(0u, Ctl(L"effect CVX10002 5/6 amp 0.9").exitCode);
    ASSERT_EQ(-1225, session.Unit("CVX10002")["mixer"]["volumes"][16]["volume"]);

    const ChildResult loaded = Ctl(L"load CVX10002 \"" + file + L"\"");
    DeleteFileW(file.c_str());
    EXPECT_EQ(0u, loaded.exitCode) << loaded.errors;
    EXPECT_NE(std::string::npos, loaded.output.find(": 4 settings changed.\n")) << loaded.output;
    const nlohmann::json unit = session.Unit("CVX10002");
    EXPECT_EQ(0, unit["mixer"]["volumes"][16]["volume"]);
    EXPECT_EQ(500, unit["effect"]["amplification"][4]);
}
} // namespace

TEST(CtlProgramFile, RunsAsInvokerSoNothingIsVirtualised)
{
    HMODULE module =
        LoadLibraryExW(BuildProgram(L"ctl\\corvexctl.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(nullptr, manifest);
    const char* xml = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    EXPECT_NE(
        std::string::npos,
        std::string(xml, SizeofResource(module, manifest)).find("level=\"asInvoker\" uiAccess=\"false\""));
    FreeLibrary(module);
}
