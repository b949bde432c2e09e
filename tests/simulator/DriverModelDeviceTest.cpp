// Device requests of the model: mixer, levels, effect, S/P-DIF, bypass, topology and the service's records.
#include "ModelTestHandle.h"
#include "simulator/SimCatalogue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
struct BoundUnit
{
    DriverModel model;
    NorvikDeviceRecord record = model.Units()[1]; // the unit with the effect
    ModelTestHandle device{model, 1};
    ModelTestHandle client{model, 2};
    ModelTestHandle server{model, 3};
    BoundUnit()
    {
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, device.Bind(record.key1, record.key2));
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
    }
    NorvikDeviceKeys Keys() const { return {record.key1, record.key2}; }
};

std::vector<uint32_t> DrainCodes(ModelTestHandle& handle)
{
    std::vector<uint32_t> codes;
    NorvikMessage message;
    while (handle.ReceiveNotification(&message) == NORVIK_STATUS_SUCCESS)
    {
        EXPECT_EQ(8u, message.length);
        codes.push_back(message.code);
    }
    return codes;
}

TEST(DriverModelMixer, PinsPerSelector)
{
    BoundUnit u;
    const struct
    {
        uint32_t selector;
        uint32_t capacity;
        uint32_t expectedCount;
        const char* kinds;
    } cases[] = {
        {NORVIK_PINS_MIXER_OUTPUTS, 26, 26, "00000000000000001155555555"},
        {NORVIK_PINS_HARDWARE_INPUTS, 18, 18, "000000000000000011"},
        {NORVIK_PINS_SOFTWARE_OUTPUTS, 18, 18, "222222222222222233"},
        {NORVIK_PINS_MIXER_OUTPUTS, 4, 4, "0000"},
        {NORVIK_PINS_SOFTWARE_OUTPUTS, 40, 18, "222222222222222233"},
    };
    for (const auto& c : cases)
    {
        NorvikPin pins[40] = {};
        uint32_t bytes = 0;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS,
                  u.device.Ioctl(NORVIK_IOCTL_GET_MIXER_PINS, &c.selector, 4, pins, c.capacity * 4, &bytes));
        ASSERT_EQ(c.expectedCount * 4, bytes) << c.selector;
        std::string kinds;
        for (uint32_t i = 0; i < c.expectedCount; ++i)
            kinds += static_cast<char>('0' + pins[i].kind);
        EXPECT_EQ(c.kinds, kinds);
        EXPECT_EQ(c.expectedCount > 17 ? 1 : 3, pins[c.expectedCount > 17 ? 17 : 3].channel);
    }
    uint32_t selector = 3;
    NorvikPin pins[26];
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
              u.device.Ioctl(NORVIK_IOCTL_GET_MIXER_PINS, &selector, 4, pins, 104));
    selector = 0;
    EXPECT_EQ(NORVIK_STATUS_INVALID_OUTBUFFER_SIZE,
              u.device.Ioctl(NORVIK_IOCTL_GET_MIXER_PINS, &selector, 4, pins, 6));
}

TEST(DriverModelMixer, VolumesAreClampedAndAnnouncedToOthers)
{
    BoundUnit u;
    NorvikVolumeItem items[2] = {{{NORVIK_PIN_ANALOG, 2, {}}, 0, 1, -650},
                                 {{NORVIK_PIN_VIRTUAL, 7, {}}, 0, 0, 12000}};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_SET_PIN_VOLUMES, &items));
    EXPECT_EQ(9000, items[1].volume) << "the set request answers what the unit took";
    NorvikVolumeItem read[2] = {{{NORVIK_PIN_ANALOG, 2, {}}, 0, 0, 0},
                                {{NORVIK_PIN_VIRTUAL, 7, {}}, 0, 0, 0}};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_PIN_VOLUMES, &read));
    EXPECT_EQ(-650, read[0].volume);
    EXPECT_EQ(1, read[0].flags);
    EXPECT_EQ(9000, read[1].volume);
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_VOLUMES_CHANGED}, DrainCodes(u.client));
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_VOLUMES_CHANGED}, DrainCodes(u.server));

    // The same values again change nothing and announce nothing; a change from the server's own side is
    // not announced back to it.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_SET_PIN_VOLUMES, &items));
    EXPECT_TRUE(DrainCodes(u.client).empty());
    ModelTestHandle serverDevice(u.model, 3);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, serverDevice.Bind(u.record.key1, u.record.key2));
    items[0].volume = 0;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, serverDevice.InOut(NORVIK_IOCTL_SET_PIN_VOLUMES, &items));
    EXPECT_TRUE(DrainCodes(u.server).empty());
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_VOLUMES_CHANGED}, DrainCodes(u.client));

    NorvikVolumeItem input = {{NORVIK_PIN_SOFTWARE, 0, {}}, 0, 0, 0};
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, u.device.InOut(NORVIK_IOCTL_GET_PIN_VOLUMES, &input))
        << "volumes belong to mixer outputs";
}

TEST(DriverModelMixer, WeightsStartWithPlaybackRoutedAndAnnounceChanges)
{
    BoundUnit u;
    NorvikWeightItem items[3] = {{{NORVIK_PIN_ANALOG, 3, {}}, {NORVIK_PIN_SOFTWARE, 3, {}}, 0, 0, 0},
                                 {{NORVIK_PIN_ANALOG, 3, {}}, {NORVIK_PIN_ANALOG, 0, {}}, 0, 0, 0},
                                 {{NORVIK_PIN_SPDIF, 1, {}}, {NORVIK_PIN_SOFTWARE_SPDIF, 1, {}}, 0, 0, 0}};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, &items));
    EXPECT_EQ(1, items[0].flags);
    EXPECT_EQ(0, items[1].flags);
    EXPECT_EQ(1, items[2].flags);

    NorvikWeightItem change = {{NORVIK_PIN_VIRTUAL, 0, {}}, {NORVIK_PIN_SOFTWARE, 0, {}}, -600, 1, 0};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, &change));
    NorvikWeightItem read = {{NORVIK_PIN_VIRTUAL, 0, {}}, {NORVIK_PIN_SOFTWARE, 0, {}}, 0, 0, 0};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, &read));
    EXPECT_EQ(-600, read.weight);
    EXPECT_EQ(1, read.flags);
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_WEIGHTS_CHANGED}, DrainCodes(u.client));
    EXPECT_TRUE(DrainCodes(u.server).empty());

    const NorvikWeightItem invalid[] = {
        {{NORVIK_PIN_SOFTWARE, 0, {}}, {NORVIK_PIN_SOFTWARE, 0, {}}, 0, 0, 0}, // a software pin is no output
        {{NORVIK_PIN_VIRTUAL, 8, {}}, {NORVIK_PIN_SOFTWARE, 0, {}}, 0, 0, 0},  // virtual channels 0..7
        {{NORVIK_PIN_ANALOG, 0, {}}, {NORVIK_PIN_VIRTUAL, 0, {}}, 0, 0, 0},    // a virtual pin is no input
    };
    for (NorvikWeightItem item : invalid)
        EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
                  u.device.InOut(NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, &item));
}

TEST(DriverModelMixer, LevelModes)
{
    BoundUnit u;
    NorvikLevelItem outputs[2] = {{{NORVIK_PIN_ANALOG, 0, {}}, 1, {}}, {{NORVIK_PIN_VIRTUAL, 5, {}}, 1, {}}};
    NorvikLevelItem inputs[1] = {{{NORVIK_PIN_SOFTWARE_SPDIF, 1, {}}, 1, {}}};
    bool moved = false;
    int16_t previous = 1;
    for (int i = 0; i < 20; ++i)
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_OUTPUT_LEVELS, &outputs));
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_INPUT_LEVELS, &inputs));
        for (const NorvikLevelItem& item : outputs)
        {
            EXPECT_GE(item.level, -6000);
            EXPECT_LE(item.level, 0);
        }
        moved |= previous != 1 && previous != outputs[0].level;
        previous = outputs[0].level;
    }
    EXPECT_TRUE(moved);

    u.model.SetLevelsMode(SimLevelsMode::Fixed, -1234);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_OUTPUT_LEVELS, &outputs));
    EXPECT_EQ(-1234, outputs[1].level);
    u.model.SetLevelsMode(SimLevelsMode::Off);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_INPUT_LEVELS, &inputs));
    EXPECT_EQ(-6000, inputs[0].level);

    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, u.device.InOut(NORVIK_IOCTL_GET_INPUT_LEVELS, &outputs))
        << "virtual pins are outputs";
    NorvikLevelItem big[8] = {};
    EXPECT_EQ(NORVIK_STATUS_INVALID_OUTBUFFER_SIZE,
              u.device.Ioctl(NORVIK_IOCTL_GET_OUTPUT_LEVELS, big, 16, big, 64));
    EXPECT_EQ(NORVIK_STATUS_INVALID_INBUFFER_SIZE,
              u.device.Ioctl(NORVIK_IOCTL_GET_OUTPUT_LEVELS, big, 12, big, 12));
    EXPECT_EQ(NORVIK_STATUS_INVALID_INBUFFER_SIZE,
              u.device.Ioctl(NORVIK_IOCTL_GET_OUTPUT_LEVELS, big, 0, big, 0));
}

NorvikPluginRecord Plugin(uint32_t selector, uint32_t count, uint32_t channel = 0, uint32_t value = 0)
{
    NorvikPluginRecord record{};
    record.selector = selector;
    record.count = count;
    record.pairs[0] = {channel, value};
    record.pairs[1] = {channel + 1, value};
    return record;
}

TEST(DriverModelEffect, QueriesAndSettings)
{
    BoundUnit u;
    const struct
    {
        NorvikPluginRecord record;
        NorvikStatus expected;
        uint32_t answerWord; // word 1 or 3
        uint32_t answer;
    } queries[] = {
        {Plugin(0, 0), NORVIK_STATUS_SUCCESS, 1, 8},
        {Plugin(1, 0), NORVIK_STATUS_SUCCESS, 1, 500},
        {Plugin(2, 1, 3), NORVIK_STATUS_SUCCESS, 3, 100},
        {Plugin(3, 1, 7), NORVIK_STATUS_SUCCESS, 3, 500},
        {Plugin(2, 1, 8), NORVIK_STATUS_INVALID_PARAMETER, 0, 0},
        {Plugin(3, 2, 0), NORVIK_STATUS_INVALID_PARAMETER, 0, 0},
        {Plugin(4, 1, 0), NORVIK_STATUS_INVALID_PARAMETER, 0, 0},
    };
    for (const auto& q : queries)
    {
        NorvikPluginRecord record = q.record;
        ASSERT_EQ(q.expected, u.device.InOut(NORVIK_IOCTL_QUERY_PLUGIN, &record)) << q.record.selector;
        if (q.expected == NORVIK_STATUS_SUCCESS)
        {
            EXPECT_EQ(q.answer, reinterpret_cast<const uint32_t*>(&record)[q.answerWord])
                << q.record.selector;
        }
    }
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, u.device.Set(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, Plugin(2, 2, 2, 250)));
    NorvikPluginRecord read = Plugin(2, 1, 3);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_QUERY_PLUGIN, &read));
    EXPECT_EQ(250u, read.pairs[0].value);
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
              u.device.Set(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, Plugin(2, 2, 0, 501)));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
              u.device.Set(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, Plugin(3, 2, 0, 1001)));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
              u.device.Set(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, Plugin(2, 2, 7, 1)));

    ModelTestHandle plain(u.model);
    NorvikDeviceRecord first = u.model.Units()[0];
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, plain.Bind(first.key1, first.key2));
    NorvikPluginRecord record = Plugin(0, 0);
    EXPECT_EQ(NORVIK_STATUS_NOT_SUPPORTED, plain.InOut(NORVIK_IOCTL_QUERY_PLUGIN, &record));
}

TEST(DriverModelUnitState, SpdifAndBypass)
{
    BoundUnit u;
    NorvikSpdifInStatus status{0, 9, 9, 9};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, &status));
    EXPECT_EQ(1u, status.state) << "no signal";
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.model.SetSpdifIn(u.Keys(), true, NorvikSpdifInStatus{0, 3, 1, 48000}));
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_DEVICE_STATE_CHANGED}, DrainCodes(u.client));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, &status));
    EXPECT_EQ(48000u, status.sampleRate);
    status.inputIndex = 1;
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, u.device.InOut(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, &status));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.model.SetSpdifIn(u.Keys(), false, NorvikSpdifInStatus{}));
    status.inputIndex = 0;
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, u.device.InOut(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, &status));

    const struct
    {
        NorvikSpdifPassThrough record;
        NorvikStatus expected;
    } passCases[] = {{{0, 0, 1}, NORVIK_STATUS_SUCCESS},
                     {{0, 0, 2}, NORVIK_STATUS_INVALID_PARAMETER},
                     {{1, 0, 0}, NORVIK_STATUS_INVALID_PARAMETER}};
    for (const auto& c : passCases)
        EXPECT_EQ(c.expected, u.device.Set(NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, c.record));
    NorvikSpdifPassThrough pass{0, 0, 0};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, &pass));
    EXPECT_EQ(1u, pass.enable);

    const uint32_t bypass[][2] = {{NORVIK_IOCTL_SET_VOLUME_BYPASS, NORVIK_IOCTL_GET_VOLUME_BYPASS},
                                  {NORVIK_IOCTL_SET_MUTE_BYPASS, NORVIK_IOCTL_GET_MUTE_BYPASS}};
    for (const auto& codes : bypass)
    {
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, u.device.Set(codes[0], uint8_t(1)));
        EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, u.device.Set(codes[0], uint8_t(2)));
        uint8_t value = 0;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.Get(codes[1], &value));
        EXPECT_EQ(1, value);
    }
    EXPECT_EQ(4u, DrainCodes(u.client).size()) << "S/P-DIF gone, pass-through and both bypass switches";
}

TEST(DriverModelWdm, RecordsFromTheServiceAndWindowsVolumes)
{
    BoundUnit u;
    NorvikEndpointTopologyBuffer topology{};
    auto hasKind2 = [&]
    {
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, u.device.Get(NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, &topology));
        for (uint32_t e = 0; e < topology.topology.count; ++e)
            for (int i = 0; i < 16; ++i)
                if (topology.topology.endpoints[e].first[i].kind == 2 ||
                    topology.topology.endpoints[e].second[i].kind == 2)
                    return true;
        return false;
    };
    EXPECT_FALSE(hasKind2());
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.model.SetKind2Topology(u.Keys(), true));
    EXPECT_TRUE(hasKind2());
    NorvikMessage note;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.server.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED, note.code);

    NorvikWdmPinConfig pin{};
    pin.direction = 2;
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, u.device.InOut(NORVIK_IOCTL_GET_WDM_PIN_CONFIG, &pin))
        << "no endpoint table yet";

    auto endpoints = std::make_unique<NorvikWdmEndpoints>();
    *endpoints = {};
    endpoints->render.count = 2;
    endpoints->render.entries[0] = {1, 1, {0}, 0, 3, L"CVX Out 1/2", 0, 0, 0xFF800000, 0};
    endpoints->render.entries[1] = {20, 1, {0}, 2, 0, L"CVX Midi Out", 1, 1, 0, 0};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.Ioctl(NORVIK_IOCTL_SET_WDM_ENDPOINTS, endpoints.get(),
                                                    sizeof(NorvikWdmEndpoints), nullptr, 0));
    NorvikWdmConfig config{4, {{40, 0}, {40, 0}, {40, 0}, {40, 0}}, 0};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.Set(NORVIK_IOCTL_SET_WDM_CONFIG, config));
    config.count = 17;
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, u.device.Set(NORVIK_IOCTL_SET_WDM_CONFIG, config));

    pin.endpointIndex = 0;
    pin.levels[0] = -393216;
    pin.switches[1] = 1;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.Set(NORVIK_IOCTL_SET_WDM_PIN_CONFIG, pin));
    NorvikWdmPinConfig read{};
    read.direction = 2;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_WDM_PIN_CONFIG, &read));
    EXPECT_EQ(-393216, read.levels[0]);
    EXPECT_EQ(1u, read.switches[1]);
    read.endpointIndex = 2;
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, u.device.InOut(NORVIK_IOCTL_GET_WDM_PIN_CONFIG, &read));
    read.direction = 3;
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, u.device.InOut(NORVIK_IOCTL_GET_WDM_PIN_CONFIG, &read));

    // Windows turns the first render endpoint down: the server hears keys, kind 2 and the index.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.model.ChangeEndpointVolume(u.Keys(), 0, {-65536, -131072}, {0, 1}));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.server.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_ENDPOINT_VOLUME_CHANGED, note.code);
    const uint32_t expected[4] = {u.record.key1, u.record.key2, 2, 0};
    ASSERT_EQ(16u, note.length);
    EXPECT_EQ(0, memcmp(expected, note.payload, 16));
    read.direction = 2;
    read.endpointIndex = 0;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, u.device.InOut(NORVIK_IOCTL_GET_WDM_PIN_CONFIG, &read));
    EXPECT_EQ(-131072, read.levels[1]);
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, u.model.ChangeEndpointVolume(u.Keys(), 2, {0}, {0}));

    // A hardware volume change reaches the server and the clients.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS,
              u.model.ChangeHardwareVolume(u.Keys(), {NORVIK_PIN_ANALOG, 1, {}}, -600, false));
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_VOLUMES_CHANGED}, DrainCodes(u.server));
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_VOLUMES_CHANGED}, DrainCodes(u.client));

    const NorvikEndpointSelection selections[] = {{0, 1}, {2, 0}, {1, 0}, {0, 2}};
    const NorvikStatus expectedSelect[] = {NORVIK_STATUS_SUCCESS, NORVIK_STATUS_SUCCESS,
                                           NORVIK_STATUS_INVALID_PARAMETER, NORVIK_STATUS_INVALID_PARAMETER};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(expectedSelect[i], u.device.Set(NORVIK_IOCTL_SELECT_ENDPOINT, selections[i])) << i;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS,
              u.device.Set(NORVIK_IOCTL_SET_ENDPOINT_DEFAULT, NorvikEndpointSelection{2, 8}));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER,
              u.device.Set(NORVIK_IOCTL_SET_ENDPOINT_DEFAULT, NorvikEndpointSelection{2, 0}));

    std::string dump = u.model.DumpJson();
    for (const char* text : {"\"CVX Midi Out\"", "\"wdmConfig\":[[40,0],[40,0],[40,0],[40,0]]",
                             "\"kind2Topology\":true", "\"endpointSelection\":{\"0\":1,\"2\":8}"})
        EXPECT_NE(std::string::npos, dump.find(text)) << text;
}

TEST(DriverModelDeviceRequests, SizesRefused)
{
    BoundUnit u;
    std::vector<uint8_t> buffer(10000);
    uint8_t* b = buffer.data();
    const struct
    {
        uint32_t code;
        uint32_t in;
        uint32_t out;
        NorvikStatus expected;
    } cases[] = {
        {NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, 0, 3560, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_SET_WDM_CONFIG, 132, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_SET_CHANNEL_NAMES, 6151, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_SET_WDM_ENDPOINTS, 9480, 4, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_GET_SPDIF_IN_STATUS, 16, 12, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, 16, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, 12, 0, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_GET_PIN_VOLUMES, 12, 12, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, 12, 24, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_SET_VOLUME_BYPASS, 4, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_GET_MUTE_BYPASS, 0, 4, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_GET_WDM_PIN_CONFIG, 136, 0, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_QUERY_PLUGIN, 520, 8, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, 8, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_SELECT_ENDPOINT, 4, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_GET_DEVICE_LIST, 0, 1124, NORVIK_STATUS_NOT_ALLOWED},
        {NORVIK_IOCTL_GET_STREAMING_STATUS, 0, 36, NORVIK_STATUS_NOT_ALLOWED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, u.device.Ioctl(c.code, b, c.in, b, c.out)) << RequestName(c.code);
}
} // namespace
