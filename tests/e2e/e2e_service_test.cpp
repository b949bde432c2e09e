// corvexsim.exe, corvexsvc.exe -console and a client in this process, talking over the simulator's pipe:
// a rate change from request to notification, units unplugged and plugged again (arrivals reach the service
// through its window, also from a window station of its own, as a service's), the simulator restarted
// under the service, a client that never reads its replies, and Ctrl+C.
#include "driverapi/NorvikClient.h"
#include "driverapi/PipeDriverPort.h"
#include "simulator/DriverModel.h"
#include "tests/e2e/e2e_support.h"
#include "tests/service/ChildProcess.h"
#include "wn/WnDesktopHandles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
class ServiceEndToEnd : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            simulator.Start(BuildProgram(L"simulator\\corvexsim.exe"), L"-pipe " + pipe + L" -units 2"));
        ASSERT_EQ(0u, control.Connect(pipe, 10000));
        SetDriverPortForTesting(&port);
        ASSERT_TRUE(service.Start(BuildProgram(L"service\\corvexsvc.exe"), L"-console",
                                  L"CORVEX_DRIVER=pipe:" + pipe, ServiceDesktop()));
        ASSERT_TRUE(WaitUntil([this] { return HasServer(); })) << service.Output();
        ASSERT_EQ(0u, client.OpenAsClient(NORVIK_DRIVER_NAME));
    }

    virtual const wchar_t* ServiceDesktop() { return nullptr; }

    void TearDown() override
    {
        client.CloseAll();
        SetDriverPortForTesting(nullptr);
        service.Kill();
        (void)Control("quit");
        (void)simulator.Wait(5000);
    }

    std::string Control(const std::string& command) { return SimCommand(control, command); }
    nlohmann::json Dump() { return SimDump(control); }
    bool HasServer() { return ::HasServer(Dump()); }
    nlohmann::json Unit(const std::string& serial) { return SimUnit(Dump(), serial); }
    bool IsConfigured(const std::string& serial) { return ::IsConfigured(Unit(serial)); }

    bool WaitForNotification(uint32_t code, std::vector<uint32_t>* seen)
    {
        return ::WaitForNotification(client, code, seen);
    }

    // With every unit gone the service lets the driver go, and only the next arrival brings it back.
    void ExpectTheLastUnitToComeBack()
    {
        ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10001"); }));
        ASSERT_EQ(0u, Control("unplug CVX10001").rfind("ok", 0));
        ASSERT_EQ(0u, Control("unplug CVX10002").rfind("ok", 0));
        EXPECT_TRUE(WaitUntil([this] { return !HasServer(); }));
        ASSERT_EQ(0u, Control("plug CVX10001").rfind("ok", 0));
        EXPECT_TRUE(WaitUntil([this] { return HasServer() && IsConfigured("CVX10001"); }))
            << service.Output();
        const uint32_t rate = Dump()["sampleRates"]["current"];
        EXPECT_EQ(0u, client.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS)) << "serving again";
    }

    const std::wstring pipe = L"corvex-e2e-svc-" + std::to_wstring(GetCurrentProcessId());
    PipeDriverPort port{L"\\\\.\\pipe\\" + pipe};
    BackgroundChild simulator;
    BackgroundChild service;
    SimControlClient control;
    NorvikClient client;
};

// The service's window on a desktop of a window station that is not the simulator's, as a service's hidden
// window lives in the service window station.
class ServiceInAStationOfItsOwn : public ServiceEndToEnd
{
  protected:
    // Made once the simulator runs, which must not inherit it. Inheritable, so the service's window thread
    // starts there too, not only its first thread.
    const wchar_t* ServiceDesktop() override
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        station.Attach(CreateWindowStationW(L"corvex-e2e-station", 0, WINSTA_ALL_ACCESS, &inherit));
        const HWINSTA own = GetProcessWindowStation(); // not owned
        if (station && SetProcessWindowStation(station.Get()))
        {
            desktop.Attach(CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, &inherit));
            (void)SetProcessWindowStation(own);
        }
        return L"corvex-e2e-station\\Default";
    }

    WnWindowStation station;
    WnDesktop desktop;
};

bool Contains(const std::vector<uint32_t>& codes, uint32_t code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}
} // namespace

TEST_F(ServiceEndToEnd, ARateChangeTravelsThroughTheService)
{
    ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10001") && IsConfigured("CVX10002"); }));
    const nlohmann::json unit = Unit("CVX10001");
    EXPECT_EQ(18u, unit["channelNames"]["outputs"].size());
    EXPECT_EQ("CVX Out 15/16", unit["wdmEndpoints"]["render"][7]["name"]);
    EXPECT_EQ("CVX Midi In", unit["wdmEndpoints"]["capture"][13]["name"]);

    const uint32_t rate = Dump()["sampleRates"]["current"] == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, client.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS));
    std::vector<uint32_t> seen;
    EXPECT_TRUE(WaitForNotification(NORVIK_NOTIFY_SAMPLE_RATE_CHANGED, &seen));
    EXPECT_TRUE(Contains(seen, NORVIK_NOTIFY_STREAMING_STATE_CHANGED));
    EXPECT_EQ(rate, Dump()["sampleRates"]["current"]);
    EXPECT_EQ(NORVIK_STATUS_UNSUPPORTED_SAMPLE_RATE, client.SetSampleRate(12345, NORVIK_CLIENT_TIMEOUT_MS));
}

TEST_F(ServiceEndToEnd, UnpluggedUnitsComeBackThroughTheArrivalWindow)
{
    ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10002"); }));
    std::vector<uint32_t> seen;
    ASSERT_EQ(0u, Control("unplug CVX10002").rfind("ok", 0));
    EXPECT_TRUE(WaitForNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED, &seen));
    ASSERT_EQ(0u, Control("plug CVX10002").rfind("ok", 0));
    EXPECT_TRUE(WaitUntil([this] { return IsConfigured("CVX10002"); })) << "set up again after the arrival";

    ExpectTheLastUnitToComeBack();
}

TEST_F(ServiceInAStationOfItsOwn, TheLastUnitComesBackThroughTheArrivalWindow)
{
    ASSERT_TRUE(desktop) << GetLastError();
    ExpectTheLastUnitToComeBack();
}

TEST_F(ServiceEndToEnd, ARestartedDriverIsServedAgainFromTheNextArrival)
{
    // Idle: the units are set up and announced (3010 and 3030); the break then shows only at the arrival.
    ASSERT_TRUE(WaitUntil(
        [this]
        {
            const std::string log = Control("log");
            return log.find("SEND_MESSAGE") != log.rfind("SEND_MESSAGE");
        }));
    client.CloseAll();
    simulator.Kill();
    ASSERT_TRUE(simulator.Start(BuildProgram(L"simulator\\corvexsim.exe"), L"-pipe " + pipe + L" -units 0"));
    ASSERT_EQ(0u, control.Connect(pipe, 10000));
    ASSERT_EQ(0u, Control("plug CVX10001").rfind("ok", 0));
    EXPECT_TRUE(WaitUntil([this] { return HasServer() && IsConfigured("CVX10001"); })) << service.Output();
}

TEST_F(ServiceEndToEnd, AClientThatNeverReadsItsRepliesNeitherBlocksThePanelNorGrowsAnything)
{
    ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10002"); }));
    const DWORD serviceId = GetProcessId(service.Process());
    const long serviceHandles = CountProcessHandles(serviceId);
    NorvikClient flooder;
    ASSERT_EQ(0u, flooder.OpenAsClient(NORVIK_DRIVER_NAME));
    const uint32_t rate = Dump()["sampleRates"]["current"];
    const uint32_t otherRate = rate == 44100 ? 48000 : 44100;
    const uint32_t policy = Dump()["policy"];
    constexpr int kFlood = 2000;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG panelMs = 0;
    for (int sequence = 1; sequence <= kFlood; ++sequence)
    {
        // The current policy: answered, and nothing changes.
        NorvikMessage request;
        request.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_POLICY);
        ASSERT_EQ(0u, request.SetPayload(&policy, sizeof(policy)));
        request.sequence = static_cast<uint32_t>(sequence);
        ASSERT_EQ(0u, flooder.SendMsg(request)) << sequence;
        if (sequence == kFlood / 2)
        {
            const ULONGLONG asked = GetTickCount64();
            EXPECT_EQ(0u, client.SetSampleRate(otherRate, NORVIK_CLIENT_TIMEOUT_MS))
                << "answered amid the flood";
            panelMs = GetTickCount64() - asked;
            EXPECT_EQ(otherRate, Dump()["sampleRates"]["current"]);
        }
    }
    EXPECT_EQ(0u, client.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS)) << "and after it";
    EXPECT_EQ(rate, Dump()["sampleRates"]["current"]);

    // Every request was handled; the driver keeps only the newest replies for the client that never reads.
    size_t serverQueue = 0;
    size_t unread = 0;
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            serverQueue = unread = 0;
            const nlohmann::json dump = Dump();
            for (const nlohmann::json& handle : dump["handles"])
            {
                const bool server = handle["role"].is_number() && handle["role"] == 0;
                (server ? serverQueue : unread) += handle["messages"].get<size_t>();
            }
            return serverQueue == 0 && unread == DriverModel::kQueueLimit;
        }))
        << serverQueue << " requests still queued for the service, " << unread << " replies unread";
    std::printf("%d unread requests handled in %llu ms; the panel's rate change amid them took %llu ms\n",
                kFlood, GetTickCount64() - start, panelMs);
    long nowHandles = -1;
    EXPECT_TRUE(WaitUntil([&] { return (nowHandles = CountProcessHandles(serviceId)) <= serviceHandles; }))
        << "the service holds " << nowHandles << " handles, " << serviceHandles << " before the flood";
}

TEST_F(ServiceEndToEnd, CtrlCEndsTheConsoleRun)
{
    ASSERT_TRUE(SendConsoleCtrlC());
    ASSERT_TRUE(service.Wait(10000)) << service.Output();
    EXPECT_EQ(0u, service.ExitCode());
    EXPECT_NE(std::string::npos, service.Output().find("corvexsvc started\r\n"));
    EXPECT_NE(std::string::npos, service.Output().find("corvexsvc terminating.\r\n"));
    EXPECT_TRUE(WaitUntil([this] { return !HasServer(); })) << "the server role went with the process";
}
