// Driver-wide requests of the model: the streaming state machine, rates, buffers, the streaming device,
// ASIO channels, activity, and the notifications they raise.
#include "ModelTestHandle.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
NorvikStatus Command(ModelTestHandle& handle, uint32_t command, uint32_t argument = 0)
{
    return handle.Set(NORVIK_IOCTL_STREAMING_COMMAND, NorvikStreamingCommand{command, argument});
}

uint32_t State(ModelTestHandle& handle)
{
    NorvikStreamingStatus status{};
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_STREAMING_STATUS, &status));
    return status.state;
}

std::vector<uint32_t> DrainCodes(ModelTestHandle& handle)
{
    std::vector<uint32_t> codes;
    NorvikMessage message;
    while (handle.ReceiveNotification(&message) == NORVIK_STATUS_SUCCESS)
        codes.push_back(message.code);
    return codes;
}

TEST(DriverModelStreaming, StateMachineTable)
{
    const uint32_t D = NORVIK_STREAMING_DOWN, R = NORVIK_STREAMING_READY, P = NORVIK_STREAMING_PREPARED,
                   U = NORVIK_STREAMING_RUNNING, E = NORVIK_STREAMING_ERROR, S = NORVIK_STREAMING_USB11;
    const NorvikStatus ok = NORVIK_STATUS_SUCCESS, bad = NORVIK_STATUS_INVALID_STATE;
    const struct
    {
        uint32_t from;
        uint32_t command;
        uint32_t argument;
        NorvikStatus expected;
        uint32_t to;
    } cases[] = {
        {E, 1, 0, ok, D},
        {S, 1, 0, ok, D},
        {D, 1, 0, bad, D},
        {U, 1, 0, bad, U},
        {D, 2, 0, ok, R},
        {D, 2, 1, ok, R},
        {R, 2, 0, bad, R},
        {D, 2, 2, NORVIK_STATUS_INVALID_PARAMETER, D},
        {R, 3, 1, ok, D},
        {D, 3, 0, bad, D},
        {P, 3, 0, bad, P},
        {R, 4, 0, ok, P},
        {D, 4, 0, bad, D},
        {R, 4, 1, NORVIK_STATUS_INVALID_PARAMETER, R},
        {P, 5, 0, ok, U},
        {R, 5, 0, bad, R},
        {U, 5, 0, bad, U},
        {P, 6, 0, ok, R},
        {U, 6, 0, ok, R},
        {R, 6, 0, bad, R},
        {E, 6, 0, bad, E},
        {D, 0, 0, NORVIK_STATUS_INVALID_COMMAND, D},
        {D, 7, 0, NORVIK_STATUS_INVALID_COMMAND, D},
    };
    for (const auto& c : cases)
    {
        DriverModel model;
        ModelTestHandle handle(model);
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.SetStreamingState(c.from));
        EXPECT_EQ(c.expected, Command(handle, c.command, c.argument))
            << "state " << c.from << " command " << c.command << " argument " << c.argument;
        EXPECT_EQ(c.to, State(handle)) << "state " << c.from << " command " << c.command;
    }
}

TEST(DriverModelStreaming, LeavingDownNeedsAStreamableUnit)
{
    {
        DriverModel model(0);
        ModelTestHandle handle(model);
        EXPECT_EQ(NORVIK_STATUS_NO_DEVICES, Command(handle, 2));
        EXPECT_EQ(NORVIK_STREAMING_DOWN, State(handle));
    }
    {
        DriverModel model(0);
        SimUnitSpec slow;
        slow.highSpeed = false;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.PlugUnit(slow));
        ModelTestHandle handle(model);
        EXPECT_EQ(NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE, Command(handle, 2));
        EXPECT_EQ(NORVIK_STREAMING_USB11, State(handle));
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, Command(handle, 1));
        EXPECT_EQ(NORVIK_STREAMING_DOWN, State(handle));
    }
}

TEST(DriverModelStreaming, SettingsChangeOnlyWhileDown)
{
    DriverModel model;
    ModelTestHandle handle(model);
    std::vector<NorvikDeviceRecord> units = model.Units();
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, Command(handle, 2));
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, handle.Set(NORVIK_IOCTL_SET_SAMPLE_RATE, uint32_t(96000)));
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE,
              handle.Set(NORVIK_IOCTL_SET_BUFFER_SIZES, NorvikSetBufferSizes{1, 1, 0}));
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE,
              handle.Set(NORVIK_IOCTL_SET_STREAMING_DEVICE,
                         NorvikStreamingDevice{0, units[1].key1, units[1].key2}));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, handle.Set(NORVIK_IOCTL_SET_POLICY, uint32_t(1)))
        << "policy in any state";
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, handle.Set(NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE, uint32_t(96000)));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, Command(handle, 3, 1));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, handle.Set(NORVIK_IOCTL_SET_SAMPLE_RATE, uint32_t(96000)));

    SimDriverState settings = model.Settings();
    EXPECT_EQ(96000u, settings.currentRate);
    EXPECT_EQ(96000u, settings.announcedRate);
    EXPECT_EQ(1u, settings.policy);
    EXPECT_EQ(1u, settings.lastCommandFlag);
}

TEST(DriverModelStreaming, RatesAndBuffers)
{
    DriverModel model;
    ModelTestHandle handle(model), client(model, 7), service(model, 8);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, service.SetRole(NORVIK_ROLE_SERVER));
    NorvikSampleRates rates{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_SAMPLE_RATES, &rates));
    EXPECT_EQ(48000u, rates.current);
    ASSERT_EQ(6u, rates.count);
    EXPECT_EQ(44100u, rates.rates[0]);
    EXPECT_EQ(192000u, rates.rates[5]);

    const struct
    {
        uint32_t rate;
        NorvikStatus expected;
    } rateCases[] = {{44100, NORVIK_STATUS_SUCCESS},
                     {44100, NORVIK_STATUS_SUCCESS},
                     {22050, NORVIK_STATUS_UNSUPPORTED_SAMPLE_RATE},
                     {NORVIK_RATE_DSD64, NORVIK_STATUS_UNSUPPORTED_SAMPLE_RATE}};
    for (const auto& c : rateCases)
        EXPECT_EQ(c.expected, service.Set(NORVIK_IOCTL_SET_SAMPLE_RATE, c.rate)) << c.rate;
    EXPECT_EQ(std::vector<uint32_t>{NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED}, DrainCodes(client))
        << "one change, one notification";

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.SetSampleRates({44100, 48000, NORVIK_RATE_DSD64}));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, service.Set(NORVIK_IOCTL_SET_SAMPLE_RATE, NORVIK_RATE_DSD64));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, model.SetSampleRates(std::vector<uint32_t>(13, 48000)));

    const struct
    {
        NorvikSetBufferSizes sizes;
        NorvikStatus expected;
    } bufferCases[] = {{{5, 3, 77}, NORVIK_STATUS_SUCCESS},
                       {{6, 0, 0}, NORVIK_STATUS_INVALID_PARAMETER},
                       {{0, 4, 0}, NORVIK_STATUS_INVALID_PARAMETER}};
    for (const auto& c : bufferCases)
        EXPECT_EQ(c.expected, service.Set(NORVIK_IOCTL_SET_BUFFER_SIZES, c.sizes)) << c.sizes.streamingClass;
    NorvikBufferSizes sizes{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_BUFFER_SIZES, &sizes));
    EXPECT_EQ(5u, sizes.streamingClass);
    EXPECT_EQ(3u, sizes.asioClass);
    EXPECT_EQ(77u, sizes.thirdValue);
}

TEST(DriverModelStreaming, LatenciesFollowClassAndRate)
{
    DriverModel model;
    auto latency = [&](uint32_t streamingClass, uint32_t asioClass, uint32_t rate)
    {
        model.SetBufferClasses(streamingClass, asioClass, 0);
        model.SetCurrentRate(rate);
        return model.Settings().BufferSizes();
    };
    NorvikBufferSizes small = latency(0, 0, 48000), large = latency(5, 3, 48000);
    EXPECT_LT(small.streamingLatencyUs, large.streamingLatencyUs);
    EXPECT_LT(small.asioLatencySamples, large.asioLatencySamples);
    EXPECT_LT(small.asioLatencyUs, large.asioLatencyUs);
    NorvikBufferSizes fast = latency(0, 0, 96000);
    EXPECT_EQ(2 * small.asioLatencySamples, fast.asioLatencySamples)
        << "the ASIO buffer scales with the rate";
    EXPECT_EQ(small.asioLatencyUs, fast.asioLatencyUs);
    EXPECT_NE(small.streamingLatencyUs, fast.streamingLatencyUs);
    NorvikBufferSizes unknown = latency(9, 9, 48000);
    EXPECT_EQ(9u, unknown.streamingClass);
    EXPECT_EQ(0u, unknown.asioLatencySamples);
}

TEST(DriverModelStreaming, StreamingDeviceFlagsFollowTheSelection)
{
    DriverModel model(3);
    ModelTestHandle handle(model), client(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
    auto flags = [&]
    {
        std::string text;
        for (const NorvikDeviceRecord& unit : model.Units())
            text += (unit.streamingFlags & 1) ? 'X' : '-';
        return text;
    };
    EXPECT_EQ("X--", flags());
    std::vector<NorvikDeviceRecord> units = model.Units();
    const struct
    {
        NorvikStreamingDevice device;
        NorvikStatus expected;
        const char* flags;
        size_t notifications;
    } cases[] = {
        {{0, units[2].key1, units[2].key2}, NORVIK_STATUS_SUCCESS, "--X", 2},
        {{0, 0, 0}, NORVIK_STATUS_SUCCESS, "--X", 0},
        {{1, 0, 0}, NORVIK_STATUS_SUCCESS, "XXX", 2},
        {{0, units[1].key1, units[1].key2}, NORVIK_STATUS_SUCCESS, "-X-", 2},
        {{0, 1, 2}, NORVIK_STATUS_OBJECT_NOT_FOUND, "-X-", 0},
        {{2, 0, 0}, NORVIK_STATUS_INVALID_PARAMETER, "-X-", 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.expected, handle.Set(NORVIK_IOCTL_SET_STREAMING_DEVICE, c.device)) << c.flags;
        EXPECT_EQ(c.flags, flags());
        std::vector<uint32_t> codes = DrainCodes(client);
        EXPECT_EQ(c.notifications, codes.size()) << c.flags;
        for (uint32_t code : codes)
            EXPECT_EQ(NORVIK_NOTIFY_DEVICE_STATE_CHANGED, code);
    }

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.UnplugUnit(units[1].key1, units[1].key2));
    EXPECT_EQ("X-", flags()) << "the selection moves to the first unit left";
}

TEST(DriverModelChannels, ListsAndInformationFollowThePublishedNames)
{
    DriverModel model;
    ModelTestHandle handle(model), device(model);
    std::vector<NorvikDeviceRecord> units = model.Units();
    NorvikChannelList inputs{}, outputs{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, &inputs));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_OUT_CHANNEL_LIST, &outputs));
    EXPECT_EQ(52u, inputs.count);
    EXPECT_EQ(36u, outputs.count);

    auto info = [&](const NorvikChannelId& id, NorvikChannelInfo* out)
    { return handle.Ioctl(NORVIK_IOCTL_GET_CHANNEL_INFO, &id, sizeof(id), out, sizeof(*out)); };
    NorvikChannelInfo channel{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, info(outputs.channels[18], &channel));
    EXPECT_EQ(units[1].key1, channel.key1);
    EXPECT_EQ(units[1].key2, channel.key2);
    EXPECT_STREQ(L"Analog Out 1", channel.name);

    // The second unit publishes names without its analog channels.
    NorvikChannelNames names{};
    names.outputs.count = 2;
    names.outputs.entries[0] = {10, 0, 0, L"CVX SPDIF 1"};
    names.outputs.entries[1] = {10, 0, 1, L"CVX SPDIF 2"};
    names.inputs.count = 1;
    names.inputs.entries[0] = {40, 3, 1, L"CVX Virtual In 8"};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, device.Bind(units[1].key1, units[1].key2));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, device.Set(NORVIK_IOCTL_SET_CHANNEL_NAMES, names));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_OUT_CHANNEL_LIST, &outputs));
    ASSERT_EQ(20u, outputs.count);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, info(outputs.channels[19], &channel));
    EXPECT_STREQ(L"CVX SPDIF 2", channel.name);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, &inputs));
    ASSERT_EQ(27u, inputs.count);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, info(inputs.channels[26], &channel));
    EXPECT_STREQ(L"CVX Virtual In 8", channel.name);

    const NorvikChannelId unknown[] = {{999, 0},
                                       {static_cast<uint32_t>(units.size() + 5u), 0},
                                       {inputs.channels[0].word1, 0x20000},
                                       {inputs.channels[0].word1, 500}};
    for (const NorvikChannelId& id : unknown)
        EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, info(id, &channel)) << id.word1 << " " << id.word2;

    names.inputs.count = 33;
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, device.Set(NORVIK_IOCTL_SET_CHANNEL_NAMES, names));
}

TEST(DriverModelChannels, ListStopsAtNinetySixChannels)
{
    DriverModel model(4);
    ModelTestHandle handle(model);
    NorvikChannelList inputs{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, &inputs));
    EXPECT_EQ(96u, inputs.count);
}

TEST(DriverModelActivity, ClientsStartingAndStoppingReachTheServer)
{
    DriverModel model;
    ModelTestHandle server(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, model.StartClient(4));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, model.StopClient(4));
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, model.StopClient(4));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, model.StartClient(2));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, model.StartClient(7));
    EXPECT_EQ((std::vector<uint32_t>{NORVIK_NOTIFY_CLIENT_STARTED, NORVIK_NOTIFY_CLIENT_STOPPED,
                                     NORVIK_NOTIFY_CLIENT_STARTED}),
              DrainCodes(server));
    NorvikStreamingStatus status{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.Get(NORVIK_IOCTL_GET_STREAMING_STATUS, &status));
    EXPECT_EQ(0u, status.activity[1]);
    EXPECT_EQ(1u, status.activity[4]);
}

TEST(DriverModelLog, RecordsEveryRequestWithItsStatus)
{
    DriverModel model;
    ModelTestHandle handle(model);
    NorvikDriverInfo info;
    (void)handle.Get(NORVIK_IOCTL_GET_DRIVER_INFO, &info);
    (void)handle.Set(NORVIK_IOCTL_SET_ROLE, uint32_t(9));
    std::vector<SimLogEntry> log = model.RequestLog();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(NORVIK_IOCTL_GET_DRIVER_INFO, log[0].code);
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, log[1].status);
    std::string json = model.RequestLogJson();
    EXPECT_NE(std::string::npos, json.find("\"SET_ROLE\"")) << json;
    EXPECT_NE(std::string::npos, json.find("\"INVALID_PARAMETER\"")) << json;
    model.ClearRequestLog();
    EXPECT_TRUE(model.RequestLog().empty());
}

// Messages of one size are told apart by their code; input cut short of the code, or another request, has
// none.
TEST(DriverModelLog, TellsMessagesOfOneSizeApartByTheirCode)
{
    DriverModel model;
    ModelTestHandle handle(model);
    const uint8_t payload[12] = {};
    (void)handle.Send(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_BUFFER_SIZES, payload, sizeof(payload));
    (void)handle.Send(NORVIK_MSG_REQUEST, NORVIK_REQ_SELECT_STREAMING_DEVICE, payload, sizeof(payload));
    (void)handle.Send(NORVIK_MSG_REQUEST, NORVIK_REQ_SELECT_STREAMING_DEVICE, payload, sizeof(payload));
    NorvikMessage message;
    message.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_BUFFER_SIZES);
    (void)handle.Ioctl(NORVIK_IOCTL_SEND_MESSAGE, &message, 14, nullptr, 0); // cut inside the code
    (void)handle.Ioctl(NORVIK_IOCTL_SET_EVENTS, &message, 16, nullptr, 0);   // not a message at all

    const std::vector<SimLogEntry> log = model.RequestLog();
    EXPECT_EQ(1u, CountRequests(log, NORVIK_IOCTL_SEND_MESSAGE, NORVIK_REQ_SET_BUFFER_SIZES));
    EXPECT_EQ(2u, CountRequests(log, NORVIK_IOCTL_SEND_MESSAGE, NORVIK_REQ_SELECT_STREAMING_DEVICE));
    EXPECT_EQ(4u, CountRequests(log, NORVIK_IOCTL_SEND_MESSAGE));
    EXPECT_EQ(0u, CountRequests(log, NORVIK_IOCTL_SET_EVENTS, NORVIK_REQ_SET_BUFFER_SIZES));
    EXPECT_EQ(NORVIK_MSG_REQUEST, log[0].messageType);
    EXPECT_EQ(0u, log[3].messageType);
}
} // namespace
