// The product's device controller against the model: what a unit receives when it is bound, the stored
// configuration in the registry, the endpoint units around streaming, and the volume synchronisation.
#include "ServerHarness.h"
#include "service/RegistryKey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <cstring>

namespace
{
// The unit's part of the model's dump.
nlohmann::json UnitDump(const ServerHarness& harness, size_t index = 0)
{
    const nlohmann::json dump = nlohmann::json::parse(harness.model.DumpJson());
    for (const nlohmann::json& unit : dump["units"])
    {
        if (unit["key1"] == harness.Keys(index).key1 && unit["key2"] == harness.Keys(index).key2)
        {
            return unit;
        }
    }
    return nullptr;
}

std::vector<std::string> Names(const nlohmann::json& list)
{
    std::vector<std::string> names;
    for (const nlohmann::json& entry : list)
    {
        names.push_back(entry["name"]);
    }
    return names;
}

std::vector<std::string> Numbered(const std::string& prefix, int pairs)
{
    std::vector<std::string> names;
    for (int i = 0; i < pairs; ++i)
    {
        names.push_back(prefix + std::to_string(2 * i + 1) + "/" + std::to_string(2 * i + 2));
    }
    return names;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> kFullRender =
    Concat(Numbered("CVX Out ", 8), {"CVX SPDIF 1/2", "CVX Midi Out"});
const std::vector<std::string> kFullCapture =
    Concat(Concat(Numbered("CVX Analog In ", 8), {"CVX SPDIF In 1/2"}),
           Concat(Numbered("CVX Virtual In ", 4), {"CVX Midi In"}));

struct DeviceController : testing::Test
{
    // Opens the server's driver handle and binds the units, as the loop does at start-up.
    void OpenUnits()
    {
        ASSERT_EQ(0u, server.TryOpenDriver(NORVIK_DRIVER_NAME));
        bool changed = false;
        ASSERT_EQ(0u, server.UpdateDeviceList(&changed));
    }
    CustomDevice* Device(size_t index = 0) { return dynamic_cast<CustomDevice*>(server.DeviceAt(index)); }

    void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        RegistryKey key;
        ASSERT_EQ(0u, key.Create(HKEY_LOCAL_MACHINE, UnitKeyPath(harness.Serial(0)).c_str(), KEY_WRITE));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size));
    }

    ServerHarness harness{1};
    CustomServer server;
};

constexpr wchar_t kRender[] = L"WdmRenderSoundDeviceConfiguration";
constexpr wchar_t kCapture[] = L"WdmCaptureSoundDeviceConfiguration";

// A bound handle of the test's own on unit `keys`, to read what the service set.
struct UnitProbe : NorvikDevice
{
    NorvikStatus Open(const NorvikDeviceKeys& keys)
    {
        NorvikDeviceRecord record = {};
        record.key1 = keys.key1;
        record.key2 = keys.key2;
        return NorvikDevice::Open(NORVIK_DRIVER_NAME, record);
    }
    // The volume and mute flag of analog output `channel`.
    std::pair<int16_t, uint8_t> Volume(uint8_t kind, uint8_t channel)
    {
        NorvikVolumeItem item = {};
        item.pin = {kind, channel, {0, 0}};
        (void)GetPinVolumes(&item, 1);
        return {item.volume, item.flags};
    }
};
} // namespace

TEST_F(DeviceController, ABoundUnitGetsItsSetupInOrder)
{
    ASSERT_EQ(0u, server.TryOpenDriver(NORVIK_DRIVER_NAME));
    harness.model.ClearRequestLog();
    bool changed = false;
    ASSERT_EQ(0u, server.UpdateDeviceList(&changed));
    ASSERT_NE(nullptr, Device());

    std::vector<uint32_t> unitRequests;
    for (const SimLogEntry& entry : harness.model.RequestLog())
    {
        EXPECT_EQ(0u, entry.status) << std::hex << entry.code;
        if (entry.code >= NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY)
        {
            unitRequests.push_back(entry.code);
        }
    }
    const std::vector<uint32_t> expected = {
        NORVIK_IOCTL_SET_WDM_CONFIG,        NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS,
        NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY,
        NORVIK_IOCTL_SET_CHANNEL_NAMES,     NORVIK_IOCTL_SET_WDM_ENDPOINTS,
        NORVIK_IOCTL_SELECT_ENDPOINT,       NORVIK_IOCTL_SELECT_ENDPOINT,
    };
    EXPECT_EQ(expected, unitRequests);

    const nlohmann::json unit = UnitDump(harness);
    EXPECT_EQ(nlohmann::json::parse("[[40,0],[40,0],[40,0],[40,0]]"), unit["wdmConfig"]);
    const nlohmann::json& outputs = unit["channelNames"]["outputs"];
    const nlohmann::json& inputs = unit["channelNames"]["inputs"];
    ASSERT_EQ(18u, outputs.size());
    ASSERT_EQ(26u, inputs.size());
    EXPECT_EQ("CVX Out 16", outputs[15]["name"]);
    EXPECT_EQ(7, outputs[15]["pair"]);
    EXPECT_EQ(1, outputs[15]["side"]);
    EXPECT_EQ("CVX SPDIF 2", outputs[17]["name"]);
    EXPECT_EQ("CVX Virtual In 8", inputs[25]["name"]);
    EXPECT_EQ(kFullRender, Names(unit["wdmEndpoints"]["render"]));
    EXPECT_EQ(kFullCapture, Names(unit["wdmEndpoints"]["capture"]));
    EXPECT_EQ(nlohmann::json::parse(R"({"0":0,"2":0})"), unit["endpointSelection"]);
}

TEST_F(DeviceController, AKind2TopologyLeavesTheAnalogChannelNamesOut)
{
    ASSERT_EQ(0u, harness.model.SetKind2Topology(harness.Keys(0), true));
    OpenUnits();
    const nlohmann::json unit = UnitDump(harness);
    EXPECT_EQ((std::vector<std::string>{"CVX SPDIF 1", "CVX SPDIF 2"}),
              Names(unit["channelNames"]["outputs"]));
    EXPECT_EQ(10u, unit["channelNames"]["inputs"].size());
    EXPECT_EQ(kFullRender, Names(unit["wdmEndpoints"]["render"])) << "the endpoints stay";
}

TEST_F(DeviceController, TheTopologyCountIsBoundedByTheRecord)
{
    OpenUnits();
    NorvikEndpointTopologyBuffer topology = {};
    topology.topology.count = 0xFFFFFFFF;
    std::vector<uint8_t> bytes(sizeof(topology));
    std::memcpy(bytes.data(), &topology, sizeof(topology));
    harness.model.InjectFault(NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, 0, 1, bytes);
    EXPECT_FALSE(Device()->HasKind2Item());

    topology.topology.endpoints[11].second[15].kind = 2;
    std::memcpy(bytes.data(), &topology, sizeof(topology));
    harness.model.InjectFault(NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, 0, 1, bytes);
    EXPECT_TRUE(Device()->HasKind2Item()) << "the twelfth entry counts";

    harness.model.InjectFault(NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, NORVIK_STATUS_FAILED);
    EXPECT_FALSE(Device()->HasKind2Item());
}

TEST(DeviceControllerRegistry, StoredConfigurationsAndTheirEndpoints)
{
    const DWORD one = 1;
    const uint16_t shortOne = 1;
    const uint64_t longOne = 1;
    struct Value
    {
        DWORD type;
        const void* data;
        DWORD size;
    };
    struct Case
    {
        const char* name;
        std::vector<std::pair<const wchar_t*, Value>> values;
        uint32_t render;
        uint32_t capture;
        size_t renderCount;
        size_t captureCount;
    };
    const Case cases[] = {
        {"no key", {}, 0, 0, 10, 14},
        {"render 1", {{kRender, {REG_DWORD, &one, 4}}}, 1, 0, 2, 14},
        {"capture 1", {{kCapture, {REG_DWORD, &one, 4}}}, 0, 1, 10, 6},
        {"both 1", {{kRender, {REG_DWORD, &one, 4}}, {kCapture, {REG_DWORD, &one, 4}}}, 1, 1, 2, 6},
        {"text", {{kRender, {REG_SZ, L"1", 4}}}, 0, 0, 10, 14},
        {"binary", {{kRender, {REG_BINARY, &one, 4}}}, 0, 0, 10, 14},
        {"two bytes", {{kRender, {REG_DWORD, &shortOne, 2}}}, 0, 0, 10, 14},
        {"eight bytes", {{kCapture, {REG_QWORD, &longOne, 8}}}, 0, 0, 10, 14},
    };
    for (const Case& c : cases)
    {
        ServerHarness harness(1);
        for (const auto& value : c.values)
        {
            RegistryKey key;
            ASSERT_EQ(0u, key.Create(HKEY_LOCAL_MACHINE, UnitKeyPath(harness.Serial(0)).c_str(), KEY_WRITE));
            ASSERT_EQ(ERROR_SUCCESS,
                      RegSetValueExW(key.Get(), value.first, 0, value.second.type,
                                     static_cast<const BYTE*>(value.second.data), value.second.size));
        }
        CustomServer server;
        ASSERT_EQ(0u, server.TryOpenDriver(NORVIK_DRIVER_NAME));
        bool changed = false;
        ASSERT_EQ(0u, server.UpdateDeviceList(&changed));
        auto* device = dynamic_cast<CustomDevice*>(server.DeviceAt(0));
        ASSERT_NE(nullptr, device) << c.name;
        EXPECT_EQ(c.render, device->RenderConfig()) << c.name;
        EXPECT_EQ(c.capture, device->CaptureConfig()) << c.name;
        const nlohmann::json unit = UnitDump(harness);
        EXPECT_EQ(c.renderCount, unit["wdmEndpoints"]["render"].size()) << c.name;
        EXPECT_EQ(c.captureCount, unit["wdmEndpoints"]["capture"].size()) << c.name;
        RegistryKey key;
        EXPECT_EQ(0u, key.Open(HKEY_LOCAL_MACHINE, UnitKeyPath(harness.Serial(0)).c_str(), KEY_READ))
            << c.name << ": the unit's key exists after the open";
    }
}

TEST(DeviceControllerRegistry, ABackslashInASerialMakesNoNestedKey)
{
    ServerHarness harness(0);
    const std::wstring plain = UniqueSerial(0);
    ASSERT_EQ(0u, harness.Plug(plain));
    ASSERT_EQ(0u, harness.Plug(plain + L"\\x"));
    CustomServer server;
    ASSERT_EQ(0u, server.TryOpenDriver(NORVIK_DRIVER_NAME));
    bool changed = false;
    ASSERT_EQ(0u, server.UpdateDeviceList(&changed));
    ASSERT_EQ(2u, server.DeviceCount());
    RegistryKey key;
    EXPECT_NE(0u, key.Open(HKEY_LOCAL_MACHINE, UnitKeyPath(plain + L"\\x").c_str(), KEY_READ))
        << "nothing inside the other unit's key";
    EXPECT_EQ(0u, key.Open(HKEY_LOCAL_MACHINE, UnitKeyPath(plain + L"%5Cx").c_str(), KEY_READ));
    EXPECT_EQ(0u, key.Open(HKEY_LOCAL_MACHINE, UnitKeyPath(plain).c_str(), KEY_READ))
        << "a plain serial as before";
    (void)RegDeleteKeyW(HKEY_LOCAL_MACHINE, UnitKeyPath(plain + L"%5Cx").c_str());
}

TEST_F(DeviceController, WithoutAnalogRenderEndpointsSPDIFAndMidiMoveUp)
{
    const DWORD one = 1;
    WriteValue(kRender, REG_DWORD, &one, 4);
    OpenUnits();
    const nlohmann::json render = UnitDump(harness)["wdmEndpoints"]["render"];
    ASSERT_EQ(2u, render.size());
    EXPECT_EQ("CVX SPDIF 1/2", render[0]["name"]);
    EXPECT_EQ(0, render[0]["position"]);
    EXPECT_EQ("CVX Midi Out", render[1]["name"]);
    EXPECT_EQ(1, render[1]["position"]);
}

TEST_F(DeviceController, ConfigurationRequestsRewriteTheRegistryAndTheEndpoints)
{
    const DWORD one = 1;
    WriteValue(kRender, REG_DWORD, &one, 4);
    OpenUnits();
    const NorvikDeviceKeys keys = harness.Keys(0);
    NorvikMessage request;
    NorvikMessage reply;
    request.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_GET_SOUND_CONFIG);
    const uint32_t query[4] = {keys.key1, keys.key2, 0, 0};
    ASSERT_EQ(0u, request.SetPayload(query, 16));
    reply.Init(NORVIK_MSG_REPLY, NORVIK_REPLY_RESULT);
    EXPECT_EQ(0u, server.DispatchRequest(request, reply));
    EXPECT_EQ(12001u, reply.code);
    const uint32_t stored[4] = {keys.key1, keys.key2, 1, 0};
    EXPECT_EQ(0, std::memcmp(stored, reply.payload, 16));

    request.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_SOUND_CONFIG);
    const uint32_t refused[4] = {keys.key1, keys.key2, 0, 1};
    ASSERT_EQ(0u, request.SetPayload(refused, 16));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, server.DispatchRequest(request, reply));
    RegistryKey key;
    ASSERT_EQ(0u, key.Open(HKEY_LOCAL_MACHINE, UnitKeyPath(harness.Serial(0)).c_str(), KEY_READ));
    DWORD value = 99;
    EXPECT_EQ(0u, key.QueryDword(kRender, &value));
    EXPECT_EQ(1u, value) << "a refused request stores nothing";

    const uint32_t full[4] = {keys.key1, keys.key2, 0, 0};
    ASSERT_EQ(0u, request.SetPayload(full, 16));
    EXPECT_EQ(0u, server.DispatchRequest(request, reply));
    for (const wchar_t* name : {kRender, kCapture})
    {
        value = 99;
        EXPECT_EQ(0u, key.QueryDword(name, &value));
        EXPECT_EQ(0u, value);
    }
    EXPECT_EQ(kFullRender, Names(UnitDump(harness)["wdmEndpoints"]["render"]));
    EXPECT_EQ(0u, Device()->RenderConfig());
}

TEST_F(DeviceController, AUnitThatRefusesItsSetupGetsNoController)
{
    ASSERT_EQ(0u, server.TryOpenDriver(NORVIK_DRIVER_NAME));
    bool changed = false;
    for (const uint32_t code : {NORVIK_IOCTL_SET_WDM_CONFIG, NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS,
                                NORVIK_IOCTL_SET_CHANNEL_NAMES, NORVIK_IOCTL_SET_WDM_ENDPOINTS})
    {
        harness.model.InjectFault(code, NORVIK_STATUS_NO_RESOURCES);
        EXPECT_EQ(0u, server.UpdateDeviceList(&changed));
        EXPECT_EQ(0u, server.DeviceCount()) << std::hex << code;
    }
    // Both endpoint units refuse their selection: each is set to its default instead.
    harness.model.InjectFault(NORVIK_IOCTL_SELECT_ENDPOINT, NORVIK_STATUS_FAILED, 2);
    EXPECT_EQ(0u, server.UpdateDeviceList(&changed));
    EXPECT_EQ(1u, server.DeviceCount());
    EXPECT_EQ(nlohmann::json::parse(R"({"0":8,"2":8})"), UnitDump(harness)["endpointSelection"]);
}

TEST_F(DeviceController, EndpointUnitsFollowStreaming)
{
    OpenUnits();
    const uint32_t busy[6] = {1, 0, 0, 0, 0, 0};
    harness.model.SetActivity(busy);
    EXPECT_EQ(0u, server.BringStreamingUp(0));
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_RUNNING), harness.State());
    EXPECT_EQ(nlohmann::json::parse(R"({"0":1,"2":1})"), UnitDump(harness)["endpointSelection"]);
    EXPECT_EQ(0u, server.BringStreamingDown(0));
    EXPECT_EQ(nlohmann::json::parse(R"({"0":0,"2":0})"), UnitDump(harness)["endpointSelection"]);

    harness.model.InjectFault(NORVIK_IOCTL_SELECT_ENDPOINT, NORVIK_STATUS_FAILED);
    EXPECT_EQ(NORVIK_STATUS_FAILED, server.BringStreamingUp(0))
        << "a unit that cannot switch holds Running back";
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_PREPARED), harness.State());
}

TEST_F(DeviceController, HardwareVolumesReachTheWindowsEndpoints)
{
    OpenUnits();
    const NorvikDeviceKeys keys = harness.Keys(0);
    ASSERT_EQ(0u, harness.model.ChangeHardwareVolume(keys, {NORVIK_PIN_ANALOG, 0, {0, 0}}, -600, true));
    ASSERT_EQ(0u, harness.model.ChangeHardwareVolume(keys, {NORVIK_PIN_ANALOG, 15, {0, 0}}, 1, false));
    ASSERT_EQ(0u, harness.model.ChangeHardwareVolume(keys, {NORVIK_PIN_SPDIF, 1, {0, 0}}, -9000, true));
    Device()->OnLevelsChanged();

    nlohmann::json byIndex = nlohmann::json::object();
    const nlohmann::json unit = UnitDump(harness);
    for (const nlohmann::json& pin : unit["wdmPinConfigs"])
    {
        EXPECT_EQ(2, pin["direction"]);
        byIndex[std::to_string(pin["index"].get<int>())] = pin;
    }
    ASSERT_EQ(9u, byIndex.size()) << "every render entry but MIDI";
    // One pair per entry: slots beyond the first two stay zero.
    const auto pair = [](int64_t left, int64_t right)
    {
        nlohmann::json slots = nlohmann::json::array({left, right});
        slots.insert(slots.end(), 14, 0);
        return slots;
    };
    EXPECT_EQ(pair(-393216, 0), byIndex["0"]["levels"]);
    EXPECT_EQ(pair(1, 0), byIndex["0"]["switches"]);
    EXPECT_EQ(pair(0, 655), byIndex["7"]["levels"]);
    EXPECT_EQ(pair(0, -5898240), byIndex["8"]["levels"]) << "S/P-DIF pins";
    EXPECT_EQ(pair(0, 1), byIndex["8"]["switches"]);
}

TEST_F(DeviceController, WindowsVolumesReachTheHardwareClamped)
{
    OpenUnits();
    const NorvikDeviceKeys keys = harness.Keys(0);
    UnitProbe probe;
    ASSERT_EQ(0u, probe.Open(keys));
    struct Case
    {
        uint32_t index;
        int32_t left;
        int32_t right;
        uint8_t kind;
        uint8_t channel;
        int16_t leftVolume;
        int16_t rightVolume;
    };
    const Case cases[] = {
        {0, INT32_MIN, 0x00640000, NORVIK_PIN_ANALOG, 0, -9000, 9000},
        {3, 0x01900000, -393216, NORVIK_PIN_ANALOG, 6, 9000, -600}, // +400 dB stays loud
        {8, 0x7FFFFFFF, -656, NORVIK_PIN_SPDIF, 0, 9000, -1},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(0u, harness.model.ChangeEndpointVolume(keys, c.index, {c.left, c.right}, {1, 0}));
        Device()->OnEndpointEvent2(c.index);
        EXPECT_EQ(std::make_pair(c.leftVolume, uint8_t{1}), probe.Volume(c.kind, c.channel)) << c.index;
        EXPECT_EQ(std::make_pair(c.rightVolume, uint8_t{0}), probe.Volume(c.kind, c.channel + 1)) << c.index;
    }

    harness.model.ClearRequestLog();
    Device()->OnEndpointEvent2(10);
    Device()->OnEndpointEvent2(0xFFFFFFFF);
    EXPECT_EQ(0u, CountRequests(harness.model.RequestLog(), NORVIK_IOCTL_GET_WDM_PIN_CONFIG))
        << "MIDI and beyond are ignored";
}

TEST(DeviceControllerLoop, EndpointEventsAndTimerRunOnTheServerThread)
{
    struct TimerDevice : CustomDevice
    {
        TimerDevice(std::wstring path, std::atomic<DWORD>& thread)
            : CustomDevice(std::move(path)), thread_(thread)
        {
        }
        void HandleTimer(DWORD, DWORD) override { thread_ = GetCurrentThreadId(); }
        std::atomic<DWORD>& thread_;
    };
    struct TimerServer : CustomServer
    {
        std::unique_ptr<NorvikDevice> CreateDevice() override
        {
            serverThread = GetCurrentThreadId();
            return std::make_unique<TimerDevice>(GetRegistryKeyPath(), timerThread);
        }
        std::atomic<DWORD> serverThread{0};
        std::atomic<DWORD> timerThread{0};
    };
    ServerHarness harness(1);
    TimerServer& server = harness.Start(std::make_unique<TimerServer>());
    EXPECT_TRUE(WaitUntil([&] { return server.timerThread != 0; })) << "the first expiry comes at once";
    EXPECT_EQ(server.serverThread.load(), server.timerThread.load());

    UnitProbe probe;
    ASSERT_EQ(0u, probe.Open(harness.Keys(0)));
    ASSERT_EQ(0u, harness.model.ChangeEndpointVolume(harness.Keys(0), 1, {-393216, -393216}, {0, 0}));
    EXPECT_TRUE(WaitUntil([&] { return probe.Volume(NORVIK_PIN_ANALOG, 2).first == -600; }));
}
