// The server's loop on its own thread against the model, with a real client sending the control panel's
// requests: payload checks, refusals, the changes themselves, driver events, unit removal and arrival.
#include "ServerHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <iterator>

namespace
{
constexpr uint32_t k3010 = NORVIK_NOTIFY_STREAMING_STATE_CHANGED;
constexpr uint32_t k3011 = NORVIK_NOTIFY_SAMPLE_RATE_CHANGED;
constexpr uint32_t k3030 = NORVIK_NOTIFY_DEVICE_LIST_CHANGED;

// The service's notifications only; the driver's own (3001, 3040, 3052 and the like) are left out.
std::vector<uint32_t> ServiceCodes(std::vector<uint32_t> codes)
{
    codes.erase(std::remove_if(codes.begin(), codes.end(),
                               [](uint32_t code) { return code != k3010 && code != k3011 && code != k3030; }),
                codes.end());
    return codes;
}

struct Server : testing::Test
{
    void SetUp() override { server = &harness.Start(std::make_unique<CustomServer>()); }

    std::vector<uint32_t> ServiceNotifications() { return ServiceCodes(harness.TakeNotifications()); }

    std::vector<uint8_t> SoundConfig(uint32_t render, uint32_t capture)
    {
        const NorvikDeviceKeys keys = harness.Keys(0);
        const uint32_t words[4] = {keys.key1, keys.key2, render, capture};
        return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(words),
                                    reinterpret_cast<const uint8_t*>(words + 4));
    }

    // Waits until the server has handled every driver event queued before: it answers 3020 with 3030.
    void SyncEvents()
    {
        (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED);
        ASSERT_TRUE(harness.WaitForNotification(k3030));
    }

    ServerHarness harness{1};
    CustomServer* server = nullptr;
};

std::vector<uint8_t> Bytes(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

template <class T> std::vector<uint8_t> Bytes(const T& value)
{
    return Bytes(&value, sizeof(value));
}

// A request for the current rate: answered with 0 while the server holds its role.
NorvikStatus AskCurrentRate(ServerHarness& harness)
{
    const uint32_t rate = harness.model.Settings().currentRate;
    return harness.Request(1001, &rate, 4);
}

// Runs a step of the test on the server's thread the first time the device list is found empty, so that
// whatever the step causes is already pending when the loop waits next.
struct SteppedServer : CustomServer
{
    NorvikStatus OnDeviceListChanged() override
    {
        const NorvikStatus result = CustomServer::OnDeviceListChanged();
        if (DeviceCount() == 0 && onEmptyList)
        {
            std::function<void(SteppedServer&)> step;
            step.swap(onEmptyList);
            step(*this);
        }
        return result;
    }
    void DropDriverEvents()
    {
        NorvikMessage event;
        while (ReceiveNotification(&event) == NORVIK_STATUS_SUCCESS)
        {
        }
    }

    std::function<void(SteppedServer&)> onEmptyList;
};
} // namespace

TEST_F(Server, EveryRequestChecksItsPayloadSize)
{
    const SimDriverState settings = harness.model.Settings();
    const NorvikSetBufferSizes buffers = {settings.streamingClass, settings.asioClass,
                                          settings.thirdBufferValue};
    const NorvikStreamingDevice allDevices = {1, 0, 0};
    const uint8_t option = 0;
    struct Case
    {
        uint32_t code;
        std::vector<uint8_t> valid; // a payload that succeeds
        uint32_t replyCode;
    };
    const Case cases[] = {
        {1001, Bytes(settings.currentRate), 2001}, {1002, Bytes(buffers), 2001},
        {1003, Bytes(allDevices), 2001},           {1004, Bytes(option), 2001},
        {1005, Bytes(settings.policy), 2001},      {11001, SoundConfig(0, 0), 2001},
        {11002, SoundConfig(0, 0), 12001},         {11003, SoundConfig(0, 0), 2001},
        {11004, SoundConfig(0, 0), 12002},
    };
    for (const Case& c : cases)
    {
        const uint32_t n = static_cast<uint32_t>(c.valid.size());
        for (uint32_t size = 0; size <= 20; ++size)
        {
            std::vector<uint8_t> payload(20, 0xA5);
            std::copy(c.valid.begin(), c.valid.end(), payload.begin());
            const NorvikStatus expected = size > n   ? NORVIK_STATUS_INVALID_LENGTH
                                          : size < n ? NORVIK_STATUS_INVALID_MSG_SIZE
                                                     : 0;
            NorvikMessage reply;
            EXPECT_EQ(expected,
                      harness.Request(c.code, payload.data(), size, size == n ? c.replyCode : 2001, &reply))
                << "request " << c.code << " with " << size << " bytes";
            EXPECT_EQ(size == n && (c.code == 11002 || c.code == 11004) ? 16u : 0u, reply.length) << c.code;
        }
    }
}

TEST_F(Server, UnknownRequestsAreInvalidCommands)
{
    const uint8_t payload[20] = {};
    for (const uint32_t code : {0u, 1u, 1000u, 1006u, 2001u, 3010u, 11000u, 11005u, 12001u, 0xFFFFFFFFu})
    {
        for (const uint32_t size : {0u, 4u, 16u, 20u})
        {
            EXPECT_EQ(NORVIK_STATUS_INVALID_COMMAND, harness.Request(code, payload, size))
                << code << "/" << size;
        }
    }
    EXPECT_EQ(std::vector<uint32_t>{}, ServiceNotifications());
}

TEST_F(Server, ARateChangeTakesTheStreamsDownAndAnnouncesIt)
{
    harness.model.ClearRequestLog();
    const uint32_t current = harness.model.Settings().currentRate;
    EXPECT_EQ(0u, harness.Request(1001, &current, 4));
    EXPECT_EQ(std::vector<uint32_t>{}, ServiceNotifications()) << "the current rate changes nothing";
    EXPECT_EQ(0u, CountRequests(harness.model.RequestLog(), NORVIK_IOCTL_STREAMING_COMMAND));

    const uint32_t rate = current == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, harness.Request(1001, &rate, 4));
    EXPECT_EQ(rate, harness.model.Settings().currentRate);
    EXPECT_EQ(rate, harness.model.Settings().announcedRate);
    EXPECT_EQ((std::vector<uint32_t>{k3010, k3011}), ServiceNotifications());
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State());

    const uint32_t unsupported = 12345;
    EXPECT_EQ(NORVIK_STATUS_UNSUPPORTED_SAMPLE_RATE, harness.Request(1001, &unsupported, 4));
    EXPECT_EQ((std::vector<uint32_t>{k3010, k3011}), ServiceNotifications()) << "posted after a failure too";
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State()) << "streaming back up";

    // A change that fails leaves the current rate announced, not the one that did not come.
    for (const uint32_t code : {NORVIK_IOCTL_SET_SAMPLE_RATE, NORVIK_IOCTL_STREAMING_COMMAND})
    {
        harness.model.InjectFault(code, NORVIK_STATUS_NOT_ALLOWED);
        EXPECT_EQ(NORVIK_STATUS_NOT_ALLOWED, harness.Request(1001, &current, 4)) << code;
        EXPECT_EQ(rate, harness.model.Settings().announcedRate) << code;
    }
}

TEST_F(Server, TheForbiddenRatePolicyTravelsAsTheFlag)
{
    harness.model.SetPolicy(1);
    const uint32_t rate = harness.model.Settings().currentRate == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, harness.Request(1001, &rate, 4));
    EXPECT_EQ(1u, harness.model.Settings().lastCommandFlag);
}

TEST_F(Server, ChangesAreRefusedWhileAClientStreams)
{
    struct Case
    {
        const char* name;
        uint32_t word; // status word set to 1
        bool rateBuffersDevice;
        bool policyConfiguration;
    };
    const Case cases[] = {
        {"word 4", 4, true, true},
        {"word 5", 5, true, false},
        {"word 3", 3, false, false},
    };
    for (const Case& c : cases)
    {
        uint32_t activity[6] = {};
        activity[c.word - 3] = 1;
        harness.model.SetActivity(activity);
        const SimDriverState before = harness.model.Settings();
        const uint32_t rate = before.currentRate == 44100 ? 48000 : 44100;
        const NorvikSetBufferSizes buffers = {(before.streamingClass + 1) % 6, before.asioClass,
                                              before.thirdBufferValue};
        const NorvikStreamingDevice device = {1, 0, 0};
        const uint32_t policy = before.policy ^ 1;
        const std::vector<uint8_t> config = SoundConfig(0, 0);

        const NorvikStatus rateResult = c.rateBuffersDevice ? NORVIK_STATUS_SOUND_DEVICE_IN_USE : 0;
        const NorvikStatus policyResult = c.policyConfiguration ? NORVIK_STATUS_SOUND_DEVICE_IN_USE : 0;
        EXPECT_EQ(rateResult, harness.Request(1001, &rate, 4)) << c.name;
        EXPECT_EQ(rateResult, harness.Request(1002, &buffers, 12)) << c.name;
        EXPECT_EQ(rateResult, harness.Request(1003, &device, 12)) << c.name;
        EXPECT_EQ(policyResult, harness.Request(1005, &policy, 4)) << c.name;
        EXPECT_EQ(policyResult, harness.Request(11001, config.data(), 16)) << c.name;

        const SimDriverState after = harness.model.Settings();
        if (c.rateBuffersDevice)
        {
            EXPECT_EQ(before.currentRate, after.currentRate) << c.name;
            EXPECT_EQ(before.streamingClass, after.streamingClass) << c.name;
        }
        if (c.policyConfiguration)
        {
            EXPECT_EQ(before.policy, after.policy) << c.name;
            EXPECT_EQ(std::vector<uint32_t>{}, ServiceNotifications()) << c.name << ": refusals post nothing";
        }
        (void)harness.TakeNotifications();
    }
}

TEST_F(Server, APolicyTheDriverRefusesIsReportedAfterStreamingIsBackUp)
{
    const uint32_t policy = harness.model.Settings().policy ^ 1;
    harness.model.InjectFault(NORVIK_IOCTL_SET_POLICY, NORVIK_STATUS_NOT_ALLOWED);
    EXPECT_EQ(NORVIK_STATUS_NOT_ALLOWED, harness.Request(1005, &policy, 4));
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State());
    EXPECT_NE(policy, harness.model.Settings().policy);

    EXPECT_EQ(0u, harness.Request(1005, &policy, 4));
    EXPECT_EQ(policy, harness.model.Settings().policy);
    EXPECT_EQ(1u, harness.model.Settings().lastCommandFlag);
    EXPECT_EQ(std::vector<uint32_t>{}, ServiceNotifications()) << "policy changes post nothing";
}

TEST_F(Server, BufferAndDeviceChangesGoThroughAndNotify)
{
    const SimDriverState before = harness.model.Settings();
    const NorvikSetBufferSizes buffers = {(before.streamingClass + 1) % 6, (before.asioClass + 1) % 4, 7};
    EXPECT_EQ(0u, harness.Request(1002, &buffers, 12));
    EXPECT_EQ(buffers.streamingClass, harness.model.Settings().streamingClass);
    EXPECT_EQ(buffers.thirdValue, harness.model.Settings().thirdBufferValue);
    EXPECT_EQ(std::vector<uint32_t>{k3010}, ServiceNotifications());

    const NorvikSetBufferSizes invalid = {99, 0, 0};
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, harness.Request(1002, &invalid, 12));
    EXPECT_EQ(std::vector<uint32_t>{k3010}, ServiceNotifications());

    harness.model.InjectFault(NORVIK_IOCTL_STREAMING_COMMAND, NORVIK_STATUS_IN_ERROR_STATE);
    const NorvikStreamingDevice device = {1, 0, 0};
    EXPECT_EQ(NORVIK_STATUS_IN_ERROR_STATE, harness.Request(1003, &device, 12))
        << "streams would not go down";
    EXPECT_EQ(std::vector<uint32_t>{k3010}, ServiceNotifications());
    EXPECT_EQ(0u, harness.Request(1003, &device, 12));
    EXPECT_EQ(1u, harness.model.Settings().mode);
}

TEST_F(Server, SoundDeviceConfigurationRequests)
{
    NorvikMessage reply;
    std::vector<uint8_t> config = SoundConfig(0, 0);
    EXPECT_EQ(0u, harness.Request(11002, config.data(), 16, 12001, &reply));
    EXPECT_EQ(0, std::memcmp(config.data(), reply.payload, 16));

    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, harness.Request(11001, SoundConfig(0, 1).data(), 16));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, harness.Request(11001, SoundConfig(1, 0).data(), 16));
    config[0] ^= 0xFF;
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, harness.Request(11001, config.data(), 16));
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, harness.Request(11002, config.data(), 16, 2001));
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, harness.Request(11003, config.data(), 16));
    // The restore switch is 0 or 1, and its fourth word 0.
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, harness.Request(11003, SoundConfig(2, 0).data(), 16));
    EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, harness.Request(11003, SoundConfig(0, 1).data(), 16));

    // The unit refuses the endpoint table: that failure is the answer, with streaming back up.
    harness.model.InjectFault(NORVIK_IOCTL_SET_WDM_ENDPOINTS, NORVIK_STATUS_NO_RESOURCES);
    EXPECT_EQ(NORVIK_STATUS_NO_RESOURCES, harness.Request(11001, SoundConfig(0, 0).data(), 16));
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State());
    EXPECT_EQ(std::vector<uint32_t>{}, ServiceNotifications());
}

TEST_F(Server, DriverEventsMoveTheStreams)
{
    const uint32_t busy[6] = {0, 1, 0, 0, 0, 0};
    harness.model.SetActivity(busy);
    (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_CLIENT_STARTED);
    EXPECT_TRUE(WaitUntil([&] { return harness.State() == NORVIK_STREAMING_RUNNING; }));

    const uint32_t idle[6] = {};
    harness.model.SetActivity(idle);
    const uint32_t shortPayload = 0;
    (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_3016, &shortPayload, 4);
    SyncEvents();
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_RUNNING), harness.State()) << "a 4-byte 3016 is dropped";

    const uint32_t keys[2] = {1, 2};
    (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_3016, keys, 8);
    EXPECT_TRUE(WaitUntil([&] { return harness.State() == NORVIK_STREAMING_READY; }));

    for (const uint32_t code : {3021u, 3099u, 0u})
    {
        (void)harness.model.Notify(SimAudience::Server, code);
    }
    SyncEvents();
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State());
}

TEST_F(Server, TheLastUnitGoingClosesTheDriverAndAnArrivalReopensIt)
{
    const NorvikDeviceKeys keys = harness.Keys(0);
    ASSERT_EQ(0u, harness.model.UnplugUnit(keys.key1, keys.key2));
    std::vector<uint32_t> seen;
    ASSERT_TRUE(harness.WaitForNotification(k3030, &seen));
    EXPECT_EQ((std::vector<uint32_t>{k3010, k3030}), ServiceCodes(seen));
    EXPECT_TRUE(WaitUntil([&] { return !harness.model.HasServer(); })) << "closed at the turn's end";

    SimUnitSpec unitSpec;
    unitSpec.serial = harness.Serial(0);
    ASSERT_EQ(0u, harness.model.PlugUnit(unitSpec));
    EXPECT_FALSE(harness.model.HasServer()) << "nobody listens to the driver now";
    ASSERT_EQ(0u, harness.loop.arrivalEvent.Set());
    seen.clear();
    ASSERT_TRUE(harness.WaitForNotification(k3030, &seen));
    EXPECT_EQ((std::vector<uint32_t>{k3010, k3030}), ServiceCodes(seen));
    EXPECT_TRUE(harness.model.HasServer());
    const uint32_t rate = harness.model.Settings().currentRate == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, harness.Request(1001, &rate, 4)) << "serving again";
}

TEST_F(Server, AFailedReadLeavesNothingQueuedForLater)
{
    // A request left queued would be answered, and applied, at some later wake after the panel gave up.
    harness.model.InjectFault(NORVIK_IOCTL_RECEIVE_MESSAGE, NORVIK_STATUS_FAILED);
    const uint32_t rate = harness.model.Settings().currentRate == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, harness.Request(1001, &rate, 4));
    EXPECT_EQ(rate, harness.model.Settings().currentRate);

    // Likewise a driver event. The client waits for its event before reading, so only the server meets the
    // fault.
    (void)harness.TakeNotifications();
    (void)WaitForSingleObject(harness.client.NotificationEvent(), 0);
    harness.model.InjectFault(NORVIK_IOCTL_RECEIVE_NOTIFICATION, NORVIK_STATUS_FAILED);
    (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(harness.client.NotificationEvent(), 10000));
    EXPECT_EQ(std::vector<uint32_t>{k3030}, ServiceNotifications());
}

TEST(ServerDeviceList, AListThatIsNotEmptyWhenTheTurnEndsKeepsTheDriverOpen)
{
    // The list is empty once (at start-up, or after an unplug), and a unit comes back before the next wait:
    // by its Windows arrival, by the driver's 3005 (drained in the same turn after an unplug), or both.
    const struct
    {
        const char* name;
        int units;
        bool arrival;
        bool driverEvent;
    } cases[] = {{"arrival after an empty start", 0, true, false},
                 {"3005 after an empty start", 0, false, true},
                 {"both after an empty start", 0, true, true},
                 {"unplug and plug in one drain", 1, false, true}};
    for (const auto& c : cases)
    {
        ServerHarness harness(c.units);
        auto server = std::make_unique<SteppedServer>();
        server->onEmptyList = [&harness, c](SteppedServer& self)
        {
            EXPECT_EQ(0u, harness.Plug());
            if (!c.driverEvent)
            {
                self.DropDriverEvents();
            }
            if (c.arrival)
            {
                (void)harness.loop.arrivalEvent.Set();
            }
        };
        harness.Start(std::move(server));
        if (c.units > 0)
        {
            const NorvikDeviceKeys keys = harness.Keys(0);
            ASSERT_EQ(0u, harness.model.UnplugUnit(keys.key1, keys.key2));
        }
        ASSERT_TRUE(harness.WaitForNotification(k3030)) << c.name;
        EXPECT_EQ(0u, AskCurrentRate(harness)) << c.name;
        EXPECT_TRUE(harness.model.HasServer()) << c.name;
    }
}

TEST(ServerDeviceList, AFailedListReadIsTriedAgainBeforeTheUnitsGo)
{
    ServerHarness harness(2);
    harness.Start(std::make_unique<CustomServer>());
    harness.model.ClearRequestLog();
    harness.model.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_FAILED);
    const NorvikDeviceKeys gone = harness.Keys(1);
    ASSERT_EQ(0u, harness.model.UnplugUnit(gone.key1, gone.key2));
    ASSERT_TRUE(harness.WaitForNotification(k3030));
    EXPECT_EQ(0u, AskCurrentRate(harness)) << "still the server";
    const NorvikDeviceKeys kept = harness.Keys(0);
    const uint32_t query[4] = {kept.key1, kept.key2, 0, 0};
    EXPECT_EQ(0u, harness.Request(11002, query, 16, 12001)) << "the unit left keeps its controller";
    EXPECT_EQ(0u, CountRequests(harness.model.RequestLog(), NORVIK_IOCTL_SET_CHANNEL_NAMES))
        << "and its set-up";

    // A lasting failure still counts as an empty list.
    harness.model.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_FAILED, -1);
    (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_DRIVER_DEVICE_LIST);
    EXPECT_TRUE(WaitUntil([&] { return !harness.model.HasServer(); }));
}

TEST(ServerDeviceList, EachRefreshReadsTheListOnce)
{
    // Start-up, a unit's arrival and removal (the driver's 3005) and a Windows arrival, which alone checks
    // the server's handle first (the other driver-info request is the new unit's open).
    ServerHarness harness(2);
    harness.Start(std::make_unique<CustomServer>());
    const auto sent = [&harness](uint32_t code) { return CountRequests(harness.model.RequestLog(), code); };
    EXPECT_EQ(1u, sent(NORVIK_IOCTL_GET_DEVICE_LIST)) << "start-up";
    const std::function<NorvikStatus()> causes[] = {
        [&] { return harness.Plug(); },
        [&] { return harness.model.UnplugUnit(harness.Keys(2).key1, harness.Keys(2).key2); },
        [&] { return harness.loop.arrivalEvent.Set(); }};
    for (size_t i = 0; i < std::size(causes); ++i)
    {
        harness.model.ClearRequestLog();
        ASSERT_EQ(0u, causes[i]());
        // The server answers 3020 with 3030 once it has handled what came before; a changed list posts first.
        (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED);
        for (size_t wait = i < 2 ? 2 : 1; wait > 0; --wait)
        {
            ASSERT_TRUE(harness.WaitForNotification(k3030)) << i;
        }
        EXPECT_EQ(1u, sent(NORVIK_IOCTL_GET_DEVICE_LIST)) << i;
        EXPECT_EQ(i == 1 ? 0u : 1u, sent(NORVIK_IOCTL_GET_DRIVER_INFO)) << i;
    }
}

TEST(ServerLoop, AWaitThatKeepsFailingEndsTheLoop)
{
    // Without events every wait fails at once (no driver either: the loop waits on those two alone).
    auto server = std::make_shared<CustomServer>();
    EXPECT_TRUE(ReturnsWithin([server] { server->RunServer(nullptr, nullptr); }));
}

TEST_F(Server, ASecondServerReturnsAtOnce)
{
    CustomServer second;
    WnEvent stop;
    WnEvent arrival;
    ASSERT_EQ(0u, stop.Create(false));
    ASSERT_EQ(0u, arrival.Create(false));
    auto run = std::async(std::launch::async, [&] { second.RunServer(stop.Get(), arrival.Get()); });
    const bool returned = run.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!returned)
    {
        (void)stop.Set();
    }
    EXPECT_TRUE(returned);
    EXPECT_FALSE(second.IsOpen());
    const uint32_t rate = harness.model.Settings().currentRate;
    EXPECT_EQ(0u, harness.Request(1001, &rate, 4)) << "the first server goes on";
}

TEST(ServerOptions, TheDeviceOptionGoesToEveryControllerUntilOneFails)
{
    HookLog log;
    ServerHarness harness(2);
    RecordingServer& server = harness.Start(std::make_unique<RecordingServer>(log));
    const uint8_t value = 7;
    EXPECT_EQ(0u, harness.Request(1004, &value, 1));
    std::vector<std::string> hooks = log.Take();
    EXPECT_EQ(2, std::count(hooks.begin(), hooks.end(), "Option 7"));
    harness.Stop();

    server.Controller(0)->optionResult = NORVIK_STATUS_NOT_SUPPORTED;
    EXPECT_EQ(NORVIK_STATUS_NOT_SUPPORTED, server.BroadcastDeviceOption(3));
    hooks = log.Take();
    EXPECT_EQ(1, std::count(hooks.begin(), hooks.end(), "Option 3"));
}
