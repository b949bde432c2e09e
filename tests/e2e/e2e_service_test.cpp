// corvexsim.exe, corvexsvc.exe -console and a client in this process, talking over the simulator's pipe:
// a rate change from request to notification, units unplugged and plugged again (arrivals reach the service
// through its window, also from a window station of its own, as a service's), the simulator restarted
// under the service, a client that never reads its replies, Ctrl+C, and a unit's settings kept across a
// replug.
#include "ctl/CtlOutput.h"
#include "ctl/UnitSnapshot.h"
#include "driverapi/NorvikClient.h"
#include "simulator/DriverModel.h"
#include "tests/common/SimulatedDriver.h"
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
        ASSERT_TRUE(service.Start(BuildProgram(L"service\\corvexsvc.exe"), L"-console",
                                  L"CORVEX_DRIVER=pipe:" + pipe, ServiceDesktop()));
        ASSERT_TRUE(WaitUntil([this] { return HasServer(); })) << service.Output();
        ASSERT_EQ(0u, client.OpenAsClient(NORVIK_DRIVER_NAME));
    }

    virtual const wchar_t* ServiceDesktop() { return nullptr; }

    void TearDown() override
    {
        client.CloseAll();
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
    ScopedPipePort port{L"\\\\.\\pipe\\" + pipe};
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

// A unit's settings kept across a replug: the switch through the service, the settings it stored, and what
// the service sent to the unit's handle.
class KeptSettings : public ServiceEndToEnd
{
  protected:
    void SetUp() override
    {
        ForgetUnit();
        ServiceEndToEnd::SetUp();
    }
    void TearDown() override
    {
        ServiceEndToEnd::TearDown();
        ForgetUnit();
    }
    static void ForgetUnit() { (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUnitKey); }

    NorvikDevice* Device()
    {
        bool changed = false;
        (void)client.UpdateDeviceList(&changed);
        for (size_t i = 0; i < client.DeviceCount(); ++i)
            if (std::wstring(client.DeviceAt(i)->Serial()) == L"CVX10002")
                return client.DeviceAt(i);
        return nullptr;
    }
    // The unit's settings as a client reads them, in the form the service stores.
    std::string Settings()
    {
        NorvikDevice* device = Device();
        UnitState state;
        const wchar_t* what = L"";
        if (device == nullptr || ReadUnitState(*device, &state, &what) != NORVIK_STATUS_SUCCESS)
            return "unreadable";
        return SnapshotJson(SnapshotOf(state), L"CVX10002");
    }
    std::string Stored()
    {
        wchar_t text[64 * 1024] = L"";
        DWORD size = sizeof(text);
        const LSTATUS read = RegGetValueW(HKEY_LOCAL_MACHINE, kUnitKey, L"StoredSettings", RRF_RT_REG_SZ,
                                          nullptr, text, &size);
        return read == ERROR_SUCCESS ? Utf8(text) : "none";
    }
    // Plugs the unit again and waits until the service has answered a request after setting it up.
    void Replug(const std::string& options)
    {
        ASSERT_EQ(0u, Control("unplug CVX10002").rfind("ok", 0));
        ASSERT_TRUE(WaitUntil([this] { return Device() == nullptr; }));
        (void)Control("log clear");
        ASSERT_EQ(0u, Control("plug CVX10002 plugin" + options).rfind("ok", 0));
        ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10002") && Device() != nullptr; }));
        bool on = false;
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                NorvikDevice* device = Device();
                return device != nullptr &&
                       client.GetRestoreSettings(device->Record().key1, device->Record().key2, &on) == 0;
            }));
    }
    // The requests the service sent on the unit's handle since the plug, by name.
    std::vector<std::string> ServiceRequests()
    {
        const nlohmann::json dump = Dump();
        const nlohmann::json unit = SimUnit(dump, "CVX10002");
        int64_t origin = -1;
        int64_t handle = -1;
        for (const nlohmann::json& each : dump["handles"])
            if (each["role"] == 0)
                origin = each["origin"];
        for (const nlohmann::json& each : dump["handles"])
            if (each["origin"] == origin &&
                each.value("bound", nlohmann::json()) == nlohmann::json({unit["key1"], unit["key2"]}))
                handle = each["id"];
        const std::string reply = Control("log");
        const nlohmann::json log = nlohmann::json::parse(reply.substr(reply.find('[')), nullptr, false);
        std::vector<std::string> names;
        for (const nlohmann::json& entry : log)
            if (entry["handle"] == handle)
                names.push_back(entry["request"]);
        return names;
    }
    std::vector<std::string> Writes()
    {
        std::vector<std::string> writes;
        for (const std::string& name : ServiceRequests())
            if (name.rfind("SET_", 0) == 0 || name == "SELECT_ENDPOINT")
                writes.push_back(name);
        return writes;
    }

    static constexpr wchar_t kUnitKey[] = L"Software\\MERIDANT\\corvex\\Devices\\CVX10002";
    // The unit's set-up as every arrival sends it.
    const std::vector<std::string> setUpWrites = {"SET_WDM_CONFIG",    "SET_CROSSPOINT_WEIGHTS",
                                                  "SET_CHANNEL_NAMES", "SET_WDM_ENDPOINTS",
                                                  "SELECT_ENDPOINT",   "SELECT_ENDPOINT"};
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

TEST_F(KeptSettings, AreWrittenBackAtTheNextConnectionOnlyWhileOn)
{
    ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10002") && Device() != nullptr; }));
    NorvikDevice* device = Device();
    ASSERT_EQ(0u, client.SetRestoreSettings(device->Record().key1, device->Record().key2, true));
    // One change of each kind; only the volume is reported to the service, the rest the tick finds.
    NorvikVolumeItem volume{{NORVIK_PIN_ANALOG, 0, {}}, 0, 1, -1000};
    NorvikWeightItem weight{{NORVIK_PIN_ANALOG, 1, {}}, {NORVIK_PIN_ANALOG, 0, {}}, -600, 1, 0};
    ASSERT_EQ(0u, device->SetPinVolumes(&volume, 1));
    ASSERT_EQ(0u, device->SetCrosspointWeights(&weight, 1));
    ASSERT_EQ(0u, device->SetVolumeBypass(true));
    ASSERT_EQ(0u, UnitEffect::Set(*device, NORVIK_PLUGIN_DELAY, {{0, 250}, {1, 250}}));
    const std::string changed = Settings();
    ASSERT_TRUE(WaitUntil([&] { return Stored() == changed; }, 30000)) << Stored();

    Replug("");
    EXPECT_EQ(changed, Settings()) << "every setting back";
    EXPECT_NE(std::string::npos, service.Output().find("Restored the settings of CVX10002"))
        << service.Output();

    // Off: the unit comes back as plugged, and the service sends it the set-up only.
    ASSERT_EQ(0u, client.SetRestoreSettings(Device()->Record().key1, Device()->Record().key2, false));
    EXPECT_EQ("none", Stored());
    Replug("");
    EXPECT_NE(changed, Settings());
    EXPECT_EQ(setUpWrites, Writes());
    const std::vector<std::string> requests = ServiceRequests();
    EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "GET_MIXER_PINS")) << "nothing read for it";
}

TEST_F(KeptSettings, OfAnotherLayoutAreNotApplied)
{
    ASSERT_TRUE(WaitUntil([this] { return IsConfigured("CVX10002") && Device() != nullptr; }));
    ASSERT_EQ(0u, client.SetRestoreSettings(Device()->Record().key1, Device()->Record().key2, true));
    Replug(" analog 8");
    EXPECT_EQ(setUpWrites, Writes()) << "read, but nothing written";
    EXPECT_NE(std::string::npos, service.Output().find("they were made for another layout"))
        << service.Output();
}
