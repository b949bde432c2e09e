// corvexsvc.exe under Wine's service control manager: install, start, stop and uninstall for real. Every test
// removes the service again (an installed auto-start service would start at every later session boot).
#include "ChildProcess.h"
#include "ServiceManagerSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr wchar_t kServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\corvexsvc";
constexpr wchar_t kEventSourceKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\corvexsvc";
constexpr wchar_t kInstallDirectory[] = L"C:\\Program Files\\Corvex Test";

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
    {
        ++count;
    }
    return count;
}

std::wstring QueryString(const wchar_t* keyPath, const wchar_t* name, DWORD* type = nullptr)
{
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD valueType = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, keyPath, name, RRF_RT_ANY | RRF_NOEXPAND, &valueType, data, &size) !=
        ERROR_SUCCESS)
    {
        return L"<missing>";
    }
    if (type != nullptr)
    {
        *type = valueType;
    }
    std::wstring text(data, size / sizeof(wchar_t));
    // A single string loses its terminator; multi-strings keep every zero.
    if (valueType != REG_MULTI_SZ && !text.empty() && text.back() == 0)
    {
        text.pop_back();
    }
    return text;
}

DWORD QueryDword(const wchar_t* keyPath, const wchar_t* name)
{
    DWORD value = 0xdeadbeef;
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_LOCAL_MACHINE, keyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

bool KeyExists(const wchar_t* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    {
        return false;
    }
    RegCloseKey(key);
    return true;
}

struct ServiceControl : testing::Test
{
    void SetUp() override
    {
        RemoveService();
        CreateDirectoryW(kInstallDirectory, nullptr);
        // A path with a blank, as under "Program Files".
        program = std::wstring(kInstallDirectory) + L"\\corvexsvc.exe";
        ASSERT_TRUE(CopyFileW(BuildProgram(L"service\\corvexsvc.exe").c_str(), program.c_str(), FALSE));
    }
    void TearDown() override { RemoveService(); }

    void ExpectRun(const wchar_t* argument, const std::string& output, DWORD exitCode)
    {
        const ChildResult result = RunChild(program, argument);
        EXPECT_EQ(output, result.output) << testing::PrintToString(std::wstring(argument));
        EXPECT_EQ(exitCode, result.exitCode) << testing::PrintToString(std::wstring(argument));
    }

    // Starts `program -console` and waits until it serves. Wine's plug-and-play service now and then refuses
    // a window registration while services start and stop; such a run ends at once and is started again.
    bool StartConsoleRun(BackgroundChild* console)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            if (!console->Start(program, L"-console") ||
                !console->WaitForOutput("corvexsvc started\r\n", 10000))
            {
                return false;
            }
            if (!console->Wait(500) || console->Output().find("Failed to register PnP") == std::string::npos)
            {
                return true;
            }
        }
        return false;
    }

    std::wstring program;
};
} // namespace

TEST_F(ServiceControl, InstallStartStopUninstall)
{
    ExpectRun(L"-stop", "Error stopping service.\n", ERROR_SERVICE_DOES_NOT_EXIST);
    ExpectRun(L"-start", "Error starting service.\n", ERROR_SERVICE_DOES_NOT_EXIST);
    ExpectRun(L"-install", "Service installed successfully.\n", 0);
    ExpectRun(L"-install", "Service installed successfully.\n", 0); // replaces the first registration

    DWORD type = 0;
    EXPECT_EQ(L"\"" + program + L"\" -service", QueryString(kServiceKey, L"ImagePath", &type))
        << "the path is quoted, so its blank cannot split it";
    EXPECT_EQ(L"Corvex control", QueryString(kServiceKey, L"DisplayName"));
    EXPECT_EQ(L"Corvex control service", QueryString(kServiceKey, L"Description"));
    EXPECT_EQ(L"PlugPlay", QueryString(kServiceKey, L"Group"));
    EXPECT_EQ(std::wstring(L"eventlog\0PlugPlay\0\0", 19), QueryString(kServiceKey, L"DependOnService"));
    EXPECT_EQ(L"LocalSystem", QueryString(kServiceKey, L"ObjectName"));
    EXPECT_EQ(16u, QueryDword(kServiceKey, L"Type"));
    EXPECT_EQ(2u, QueryDword(kServiceKey, L"Start"));
    EXPECT_EQ(1u, QueryDword(kServiceKey, L"ErrorControl"));
    EXPECT_EQ(program, QueryString(kEventSourceKey, L"EventMessageFile", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
    EXPECT_EQ(7u, QueryDword(kEventSourceKey, L"TypesSupported"));

    ExpectRun(L"-stop", "Error stopping service.\n", ERROR_SERVICE_NOT_ACTIVE);
    ExpectRun(L"-start", "Service started successfully.\n", 0);
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING)) << "the quoted path starts the program";
    ExpectRun(L"-start", "Error starting service.\n", ERROR_SERVICE_ALREADY_RUNNING);
    ExpectRun(L"-stop", "Service stopped successfully.\n", 0);
    const SERVICE_STATUS_PROCESS stopped = QueryService();
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), stopped.dwCurrentState);
    EXPECT_EQ(0u, stopped.dwWin32ExitCode);

    ExpectRun(L"-uninstall", "Service uninstalled successfully.\n", 0);
    EXPECT_FALSE(KeyExists(kEventSourceKey));
    EXPECT_EQ(0u, QueryService().dwCurrentState) << "gone";
    HKEY leftover = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &leftover, nullptr));
    RegCloseKey(leftover);
    ExpectRun(L"-uninstall", "Error uninstalling service.\n", ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_FALSE(KeyExists(kEventSourceKey)) << "an event source outliving its service goes too";
}

TEST_F(ServiceControl, InstallWaitsWhileTheOldRegistrationIsHeldOpen)
{
    ExpectRun(L"-install", "Service installed successfully.\n", 0);
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE held = OpenServiceW(manager, L"corvexsvc", SERVICE_QUERY_STATUS);
    ASSERT_NE(nullptr, held);
    BackgroundChild install;
    ASSERT_TRUE(install.Start(program, L"-install"));
    EXPECT_FALSE(install.Wait(1500)) << "the deleted registration stays while held: " << install.Output();
    CloseServiceHandle(held);
    CloseServiceHandle(manager);
    ASSERT_TRUE(install.Wait(15000));
    EXPECT_EQ(0u, install.ExitCode());
    EXPECT_EQ("Service installed successfully.\n", install.Output());
    EXPECT_TRUE(KeyExists(kEventSourceKey));
}

TEST_F(ServiceControl, UninstallStopsARunningService)
{
    ExpectRun(L"-install", "Service installed successfully.\n", 0);
    ExpectRun(L"-start", "Service started successfully.\n", 0);
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    ExpectRun(L"-uninstall", "Service uninstalled successfully.\n", 0);
    EXPECT_EQ(0u, QueryService().dwCurrentState);
}

TEST_F(ServiceControl, AServiceStartedBesideAConsoleRunStopsWith183)
{
    ExpectRun(L"-install", "Service installed successfully.\n", 0);
    BackgroundChild console;
    ASSERT_TRUE(StartConsoleRun(&console)) << console.Output();

    ExpectRun(L"-start", "Service started successfully.\n", 0);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    const SERVICE_STATUS_PROCESS status = QueryService();
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), status.dwWin32ExitCode);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), status.dwServiceSpecificExitCode);
    EXPECT_FALSE(console.Wait(0)) << "the console run goes on";

    ASSERT_TRUE(SendConsoleCtrlC());
    ASSERT_TRUE(console.Wait(10000)) << console.Output();
    EXPECT_EQ(0u, console.ExitCode());
    EXPECT_NE(std::string::npos, console.Output().find("corvexsvc terminating.\r\n")) << console.Output();
}

TEST_F(ServiceControl, EachStopLogsItsEndBeforeReportingItAndTheProcessExitsCleanly)
{
    // Entries of this build take 300 ms each: one written after the final status report would be cut off by
    // the end of the process.
    const std::wstring host = BuildProgram(L"tests\\service\\corvexsvc_slowlog.exe");
    const std::wstring log = host + L".log";
    DeleteFileW(log.c_str());
    ASSERT_EQ(0u, RunChild(host, L"-install").exitCode);
    for (int run = 1; run <= 3; ++run)
    {
        ASSERT_EQ(0u, RunChild(host, L"-start").exitCode) << run;
        ASSERT_TRUE(WaitForState(SERVICE_RUNNING)) << run;
        const HANDLE process =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, QueryService().dwProcessId);
        EXPECT_NE(nullptr, process) << run;
        EXPECT_EQ(0u, RunChild(host, L"-stop").exitCode) << run;
        const std::string entries = ReadFileText(log);
        EXPECT_EQ(run, Occurrences(entries, "corvexsvc terminating.\n")) << run << ":\n" << entries;
        DWORD exitCode = 0xdeadbeef;
        EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(process, 10000)) << run;
        EXPECT_TRUE(GetExitCodeProcess(process, &exitCode));
        EXPECT_EQ(0u, exitCode) << run;
        CloseHandle(process);
    }
    DeleteFileW(log.c_str());
}

TEST_F(ServiceControl, ASecondConsoleRunIsRefused)
{
    BackgroundChild first;
    ASSERT_TRUE(StartConsoleRun(&first)) << first.Output();
    const ChildResult second = RunChild(program, L"-console");
    EXPECT_EQ("Cannot start, another instance is already running.\n", second.output) << "nothing else";
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), second.exitCode) << "a refusal is no success";
    ASSERT_TRUE(SendConsoleCtrlC());
    ASSERT_TRUE(first.Wait(10000));
    EXPECT_EQ(0u, first.ExitCode());
}
