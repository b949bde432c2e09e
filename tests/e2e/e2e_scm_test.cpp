// corvexsvc.exe as the control manager runs it, against corvexsim.exe on its default pipe. The service finds
// the simulator only through the system environment (CORVEX_DRIVER=pipe, set before the session booted):
// tools/scm-session.sh prepares a Wine prefix of its own that way and runs this program in it.
//
// Not walked here: plugging a unit back after the last one went. The service then waits for an arrival
// addressed to its control handler, and Wine delivers no device events to services; the arrival window of a
// service in a window station of its own is covered by the console-mode end-to-end tests.
#include "driverapi/NorvikClient.h"
#include "tests/common/SimulatedDriver.h"
#include "tests/e2e/e2e_support.h"
#include "tests/service/ChildProcess.h"
#include "tests/service/ServiceManagerSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
class ServiceUnderTheControlManager : public testing::Test
{
  protected:
    void SetUp() override
    {
        RemoveService(); // a run that ended early may have left it installed
        ASSERT_TRUE(simulator.Start(BuildProgram(L"simulator\\corvexsim.exe"), L"-units 2"));
        ASSERT_EQ(0u, control.Connect(L"corvex-driver", 10000));
        ASSERT_EQ(0u, RunChild(program, L"-install").exitCode);
    }

    void TearDown() override
    {
        client.CloseAll();
        RemoveService();
        (void)SimCommand(control, "quit");
        (void)simulator.Wait(5000);
    }

    // "-start", then until the service holds the server role; the milliseconds that took.
    ULONGLONG StartAndWaitForServer()
    {
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(0u, RunChild(program, L"-start").exitCode);
        EXPECT_TRUE(WaitUntil([this] { return HasServer(SimDump(control)); }, 20000));
        return GetTickCount64() - start;
    }

    // "-stop": its exit code (1460 when the service outlasted the control manager's wait) and its duration.
    DWORD Stop(ULONGLONG* elapsedMs)
    {
        const ULONGLONG start = GetTickCount64();
        const DWORD result = RunChild(program, L"-stop").exitCode;
        *elapsedMs = GetTickCount64() - start;
        return result;
    }

    bool UnitConfigured(const char* serial) { return IsConfigured(SimUnit(SimDump(control), serial)); }

    const std::wstring program = BuildProgram(L"service\\corvexsvc.exe");
    ScopedPipePort port{L"\\\\.\\pipe\\corvex-driver"};
    BackgroundChild simulator;
    SimControlClient control;
    NorvikClient client;
};

int Cycles()
{
    const char* text = std::getenv("CORVEX_SCM_CYCLES");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 10;
}
} // namespace

TEST_F(ServiceUnderTheControlManager, ServesAClientFollowsItsUnitsAndStopsInTime)
{
    std::printf("start to server role: %llu ms\n", StartAndWaitForServer());
    ASSERT_TRUE(WaitUntil([this] { return UnitConfigured("CVX10001") && UnitConfigured("CVX10002"); }));

    ASSERT_EQ(0u, client.OpenAsClient(NORVIK_DRIVER_NAME));
    const uint32_t rate = SimDump(control)["sampleRates"]["current"] == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, client.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS)) << "answered by the service";
    std::vector<uint32_t> seen;
    EXPECT_TRUE(WaitForNotification(client, NORVIK_NOTIFY_SAMPLE_RATE_CHANGED, &seen));
    EXPECT_EQ(rate, SimDump(control)["sampleRates"]["current"]);

    // While another unit stays, the driver tells the service of the change itself.
    ASSERT_EQ(0u, SimCommand(control, "unplug CVX10002").rfind("ok", 0));
    EXPECT_TRUE(WaitForNotification(client, NORVIK_NOTIFY_DEVICE_LIST_CHANGED, &seen));
    ASSERT_EQ(0u, SimCommand(control, "plug CVX10002").rfind("ok", 0));
    EXPECT_TRUE(WaitUntil([this] { return UnitConfigured("CVX10002"); })) << "set up again";

    // With the last unit gone the service lets the driver go and waits only for arrivals and the stop.
    ASSERT_EQ(0u, SimCommand(control, "unplug CVX10001").rfind("ok", 0));
    ASSERT_EQ(0u, SimCommand(control, "unplug CVX10002").rfind("ok", 0));
    EXPECT_TRUE(WaitUntil([this] { return !HasServer(SimDump(control)); }));

    const DWORD process = QueryService().dwProcessId;
    const HANDLE running = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    ULONGLONG stopMs = 0;
    EXPECT_EQ(0u, Stop(&stopMs)) << "stopped within the control manager's wait";
    std::printf("-stop: %llu ms\n", stopMs);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), QueryService().dwCurrentState);
    ASSERT_NE(nullptr, running);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(running, 10000));
    DWORD exitCode = 0xdeadbeef;
    EXPECT_TRUE(GetExitCodeProcess(running, &exitCode));
    EXPECT_EQ(0u, exitCode);
    CloseHandle(running);
}

TEST_F(ServiceUnderTheControlManager, StopStartCyclesLeaveNoHandleInTheSimulator)
{
    const DWORD simulatorId = GetProcessId(simulator.Process());
    const auto driverHandles = [this]
    {
        const nlohmann::json dump = SimDump(control);
        return dump.is_object() ? dump["handles"].size() : static_cast<size_t>(-1);
    };
    // The simulator lets go of a finished connection's thread when it accepts the next one, so a connection
    // of our own comes first, and every count holds its thread alike.
    const auto processHandles = [simulatorId]
    {
        CloseHandle(CreateFileW(L"\\\\.\\pipe\\corvex-driver", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
        return CountProcessHandles(simulatorId);
    };
    long baseline = -1;
    std::vector<ULONGLONG> starts;
    std::vector<ULONGLONG> stops;
    const int cycles = Cycles();
    for (int cycle = 1; cycle <= cycles; ++cycle)
    {
        starts.push_back(StartAndWaitForServer());
        ASSERT_TRUE(WaitUntil([this] { return UnitConfigured("CVX10002"); })) << cycle;
        ULONGLONG stopMs = 0;
        ASSERT_EQ(0u, Stop(&stopMs)) << cycle;
        stops.push_back(stopMs);
        // The service's process may end a moment after it reported the stop; its pipe handles go with it.
        EXPECT_TRUE(WaitUntil([&] { return driverHandles() == 0; })) << cycle << ": " << driverHandles();
        if (cycle == 1)
        {
            baseline = processHandles();
            ASSERT_GT(baseline, 0);
        }
    }
    long last = -1;
    EXPECT_TRUE(WaitUntil([&] { return (last = processHandles()) <= baseline; }))
        << "the simulator holds " << last << " handles, " << baseline << " after the first cycle";
    std::sort(starts.begin(), starts.end());
    std::sort(stops.begin(), stops.end());
    std::printf(
        "%d cycles: start to server role median %llu ms, max %llu ms; -stop median %llu ms, max %llu ms; "
        "simulator handles %ld after the first, %ld after the last\n",
        cycles, starts[starts.size() / 2], starts.back(), stops[stops.size() / 2], stops.back(), baseline,
        last);
}
