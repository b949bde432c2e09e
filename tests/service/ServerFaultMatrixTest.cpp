// Every driver request the service sends, failed at each place it is sent: with a failure status, with
// NORVIK_STATUS_DEVICE_REMOVED, and with malformed output where the request returns data. Each place names
// the reaction: the failure is the reply to the panel's request, or it is ignored and the request succeeds,
// or (away from requests) the server carries on serving. Prints the coverage.
#include "ServerHarness.h"
#include "driverapi/NorvikStatus.h"
#include "tests/common/FaultMatrix.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
enum class Trigger
{
    Request, // the panel's request `request` with its usual payload
    Arrival, // a unit plugged in: list read, open, bind and the controller's set-up
    Event,   // driver event `request` about the first unit (3051 or 3060)
    Reopen,  // the driver closed after the last unit left, then an arrival
};

enum class Reaction
{
    Reply,        // the failure is the request's result
    Ignored,      // the request succeeds all the same
    NoController, // the unit stays without controller: 11002 answers OBJECT_NOT_FOUND
    Serving,      // nothing to answer; the server carries on (a rate change still goes through)
    RoleRetried,  // the open fails; the next arrival opens the driver again
    Released,     // the list names no unit that opens: the driver is let go, the next arrival takes it again
};

struct Place
{
    const char* where;
    Trigger trigger;
    uint32_t request; // the panel's request or the driver event
    uint32_t ioctl;
    uint32_t pass; // earlier sendings of `ioctl` in the same place that go through
    Reaction reaction;
};

// The unit idles in Ready at 48 kHz with policy 0, so a rate change runs: status read; announce; policy;
// down (status, command 3, status); set; up (status, command 2, status); 3010; 3011. The client's own
// request is the first SEND_MESSAGE, so the server's posts come from the second on.
const Place kPlaces[] = {
    {"rate: status", Trigger::Request, 1001, NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Reaction::Reply},
    {"rate: announce", Trigger::Request, 1001, NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE, 0, Reaction::Ignored},
    {"rate: policy", Trigger::Request, 1001, NORVIK_IOCTL_GET_POLICY, 0, Reaction::Ignored},
    {"rate: down status", Trigger::Request, 1001, NORVIK_IOCTL_GET_STREAMING_STATUS, 1, Reaction::Reply},
    {"rate: down command", Trigger::Request, 1001, NORVIK_IOCTL_STREAMING_COMMAND, 0, Reaction::Reply},
    {"rate: set", Trigger::Request, 1001, NORVIK_IOCTL_SET_SAMPLE_RATE, 0, Reaction::Reply},
    {"rate: up status", Trigger::Request, 1001, NORVIK_IOCTL_GET_STREAMING_STATUS, 3, Reaction::Reply},
    {"rate: up command", Trigger::Request, 1001, NORVIK_IOCTL_STREAMING_COMMAND, 1, Reaction::Reply},
    {"rate: post 3010", Trigger::Request, 1001, NORVIK_IOCTL_SEND_MESSAGE, 1, Reaction::Ignored},
    {"rate: read request", Trigger::Request, 1001, NORVIK_IOCTL_RECEIVE_MESSAGE, 0, Reaction::Ignored},
    {"buffers: status", Trigger::Request, 1002, NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Reaction::Reply},
    {"buffers: down command", Trigger::Request, 1002, NORVIK_IOCTL_STREAMING_COMMAND, 0, Reaction::Reply},
    {"buffers: set", Trigger::Request, 1002, NORVIK_IOCTL_SET_BUFFER_SIZES, 0, Reaction::Reply},
    {"buffers: up command", Trigger::Request, 1002, NORVIK_IOCTL_STREAMING_COMMAND, 1, Reaction::Reply},
    {"device: status", Trigger::Request, 1003, NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Reaction::Reply},
    {"device: down command", Trigger::Request, 1003, NORVIK_IOCTL_STREAMING_COMMAND, 0, Reaction::Reply},
    {"device: set", Trigger::Request, 1003, NORVIK_IOCTL_SET_STREAMING_DEVICE, 0, Reaction::Reply},
    {"device: up command", Trigger::Request, 1003, NORVIK_IOCTL_STREAMING_COMMAND, 1, Reaction::Reply},
    {"policy: read", Trigger::Request, 1005, NORVIK_IOCTL_GET_POLICY, 0, Reaction::Reply},
    {"policy: status", Trigger::Request, 1005, NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Reaction::Reply},
    {"policy: down command", Trigger::Request, 1005, NORVIK_IOCTL_STREAMING_COMMAND, 0, Reaction::Reply},
    {"policy: set", Trigger::Request, 1005, NORVIK_IOCTL_SET_POLICY, 0, Reaction::Reply},
    {"policy: up command", Trigger::Request, 1005, NORVIK_IOCTL_STREAMING_COMMAND, 1, Reaction::Ignored},
    {"sound config: status", Trigger::Request, 11001, NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Reaction::Reply},
    {"sound config: down command", Trigger::Request, 11001, NORVIK_IOCTL_STREAMING_COMMAND, 0,
     Reaction::Reply},
    {"sound config: endpoints", Trigger::Request, 11001, NORVIK_IOCTL_SET_WDM_ENDPOINTS, 0, Reaction::Reply},
    {"sound config: up command", Trigger::Request, 11001, NORVIK_IOCTL_STREAMING_COMMAND, 1, Reaction::Reply},
    {"arrival: list", Trigger::Arrival, 0, NORVIK_IOCTL_GET_DEVICE_LIST, 0, Reaction::Ignored},
    {"arrival: driver info", Trigger::Arrival, 0, NORVIK_IOCTL_GET_DRIVER_INFO, 0, Reaction::NoController},
    {"arrival: bind", Trigger::Arrival, 0, NORVIK_IOCTL_BIND_DEVICE, 0, Reaction::NoController},
    {"arrival: wdm config", Trigger::Arrival, 0, NORVIK_IOCTL_SET_WDM_CONFIG, 0, Reaction::NoController},
    {"arrival: weights", Trigger::Arrival, 0, NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, 0, Reaction::NoController},
    {"arrival: topology", Trigger::Arrival, 0, NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, 0, Reaction::Ignored},
    {"arrival: channel names", Trigger::Arrival, 0, NORVIK_IOCTL_SET_CHANNEL_NAMES, 0,
     Reaction::NoController},
    {"arrival: endpoints", Trigger::Arrival, 0, NORVIK_IOCTL_SET_WDM_ENDPOINTS, 0, Reaction::NoController},
    {"arrival: select", Trigger::Arrival, 0, NORVIK_IOCTL_SELECT_ENDPOINT, 0, Reaction::Ignored},
    {"arrival: select, then default", Trigger::Arrival, 0, NORVIK_IOCTL_SET_ENDPOINT_DEFAULT, 0,
     Reaction::NoController},
    {"arrival: read event", Trigger::Arrival, 0, NORVIK_IOCTL_RECEIVE_NOTIFICATION, 0, Reaction::Serving},
    {"levels: volumes", Trigger::Event, 3051, NORVIK_IOCTL_GET_PIN_VOLUMES, 0, Reaction::Serving},
    {"levels: pin config", Trigger::Event, 3051, NORVIK_IOCTL_SET_WDM_PIN_CONFIG, 0, Reaction::Serving},
    {"endpoint volume: pin config", Trigger::Event, 3060, NORVIK_IOCTL_GET_WDM_PIN_CONFIG, 0,
     Reaction::Serving},
    {"endpoint volume: volumes", Trigger::Event, 3060, NORVIK_IOCTL_SET_PIN_VOLUMES, 0, Reaction::Serving},
    {"reopen: open", Trigger::Reopen, 0, NORVIK_IOCTL_GET_DRIVER_INFO, 0, Reaction::RoleRetried},
    {"reopen: events", Trigger::Reopen, 0, NORVIK_IOCTL_SET_EVENTS, 0, Reaction::RoleRetried},
    {"reopen: role", Trigger::Reopen, 0, NORVIK_IOCTL_SET_ROLE, 0, Reaction::RoleRetried},
};

// What the service sends at all.
const uint32_t kServiceSends[] = {
    NORVIK_IOCTL_GET_DRIVER_INFO,
    NORVIK_IOCTL_SEND_MESSAGE,
    NORVIK_IOCTL_RECEIVE_MESSAGE,
    NORVIK_IOCTL_RECEIVE_NOTIFICATION,
    NORVIK_IOCTL_SET_EVENTS,
    NORVIK_IOCTL_SET_ROLE,
    NORVIK_IOCTL_GET_DEVICE_LIST,
    NORVIK_IOCTL_BIND_DEVICE,
    NORVIK_IOCTL_GET_STREAMING_STATUS,
    NORVIK_IOCTL_STREAMING_COMMAND,
    NORVIK_IOCTL_SET_SAMPLE_RATE,
    NORVIK_IOCTL_SET_BUFFER_SIZES,
    NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE,
    NORVIK_IOCTL_SET_POLICY,
    NORVIK_IOCTL_GET_POLICY,
    NORVIK_IOCTL_SET_STREAMING_DEVICE,
    NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY,
    NORVIK_IOCTL_SET_WDM_CONFIG,
    NORVIK_IOCTL_SET_CHANNEL_NAMES,
    NORVIK_IOCTL_SET_WDM_ENDPOINTS,
    NORVIK_IOCTL_GET_PIN_VOLUMES,
    NORVIK_IOCTL_SET_PIN_VOLUMES,
    NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS,
    NORVIK_IOCTL_GET_WDM_PIN_CONFIG,
    NORVIK_IOCTL_SET_WDM_PIN_CONFIG,
    NORVIK_IOCTL_SET_ENDPOINT_DEFAULT,
    NORVIK_IOCTL_SELECT_ENDPOINT,
};

class FaultRun
{
  public:
    FaultRun() { harness.Start(std::make_unique<CustomServer>()); }

    std::vector<uint8_t> Payload(uint32_t request) const
    {
        const NorvikDeviceKeys keys = harness.Keys(0);
        switch (request)
        {
        case 1001:
            return Words({harness.model.Settings().currentRate == 44100 ? 48000u : 44100u});
        case 1002:
            return Words({2, 1, 0});
        case 1003:
            return Words({1, 0, 0});
        case 1005:
            return Words({harness.model.Settings().policy ^ 1});
        default: // 11001
            return Words({keys.key1, keys.key2, 0, 0});
        }
    }

    NorvikStatus Send(uint32_t request)
    {
        const std::vector<uint8_t> payload = Payload(request);
        return harness.Request(request, payload.data(), static_cast<uint32_t>(payload.size()));
    }

    // 11002 about unit `index`: 0 (reply 12001) while it has a controller, else OBJECT_NOT_FOUND (2001).
    NorvikStatus Controller(size_t index, bool expected)
    {
        const NorvikDeviceKeys keys = harness.Keys(index);
        const std::vector<uint8_t> payload = Words({keys.key1, keys.key2, 0, 0});
        return harness.Request(11002, payload.data(), 16, expected ? 12001 : 2001);
    }

    // The server answers 3020 with 3030 once it has handled everything queued before.
    bool Settled()
    {
        (void)harness.model.Notify(SimAudience::Server, NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED);
        return harness.WaitForNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
    }

    static std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
    {
        std::vector<uint8_t> bytes(words.size() * 4);
        std::memcpy(bytes.data(), words.begin(), bytes.size());
        return bytes;
    }

    ServerHarness harness{1};
};

// Provokes one place with one injected fault (`output`: bytes returned instead of the driver's record).
void Provoke(FaultRun& run, const Place& place, NorvikStatus status, const std::vector<uint8_t>& output,
             NorvikStatus expectedReply)
{
    DriverModel& model = run.harness.model;
    (void)run.harness.TakeNotifications();
    switch (place.trigger)
    {
    case Trigger::Request:
        model.InjectFault(place.ioctl, status, 1, output, place.pass);
        EXPECT_EQ(expectedReply, run.Send(place.request));
        break;
    case Trigger::Arrival:
        if (place.ioctl == NORVIK_IOCTL_SET_ENDPOINT_DEFAULT)
        {
            // The default is sent only after this, on a handle that still works.
            model.InjectFault(NORVIK_IOCTL_SELECT_ENDPOINT, NORVIK_STATUS_FAILED);
        }
        model.InjectFault(place.ioctl, status, 1, output, place.pass);
        ASSERT_EQ(0u, run.harness.Plug());
        ASSERT_TRUE(run.harness.WaitForNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED));
        if (place.reaction == Reaction::Released)
        {
            EXPECT_TRUE(WaitUntil([&] { return !model.HasServer(); }));
            ASSERT_TRUE(SetEvent(run.harness.loop.arrivalEvent.Get()));
            EXPECT_TRUE(WaitUntil([&] { return model.HasServer(); }));
            EXPECT_TRUE(run.harness.WaitForNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED));
        }
        else if (place.reaction != Reaction::Serving)
        {
            const bool controller = place.reaction != Reaction::NoController;
            EXPECT_EQ(controller ? 0u : NORVIK_STATUS_OBJECT_NOT_FOUND, run.Controller(1, controller));
        }
        break;
    case Trigger::Event:
    {
        const NorvikDeviceKeys keys = run.harness.Keys(0);
        const uint32_t record[4] = {keys.key1, keys.key2, 2, 0};
        model.InjectFault(place.ioctl, status, 1, output, place.pass);
        (void)model.Notify(SimAudience::Server, place.request, record, place.request == 3060 ? 16 : 8);
        EXPECT_TRUE(run.Settled());
        break;
    }
    case Trigger::Reopen:
    {
        const NorvikDeviceKeys keys = run.harness.Keys(0);
        ASSERT_EQ(0u, model.UnplugUnit(keys.key1, keys.key2));
        ASSERT_TRUE(WaitUntil([&] { return !model.HasServer(); }));
        model.InjectFault(place.ioctl, status, 1, output, place.pass);
        ASSERT_EQ(0u, run.harness.Plug());
        ASSERT_TRUE(SetEvent(run.harness.loop.arrivalEvent.Get()));
        // The first open takes the fault; the next arrival must open again.
        ASSERT_TRUE(WaitUntil([&] { return FaultTaken(model); }));
        EXPECT_FALSE(model.HasServer());
        ASSERT_TRUE(SetEvent(run.harness.loop.arrivalEvent.Get()));
        EXPECT_TRUE(WaitUntil([&] { return model.HasServer(); }));
        EXPECT_TRUE(run.harness.WaitForNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED));
        break;
    }
    }
}

// One run of a place on a server of its own, which must serve on afterwards.
void Check(FaultTable& table, const Place& place, NorvikStatus status, const std::vector<uint8_t>& output,
           NorvikStatus expectedReply, const char* where)
{
    FaultRun run;
    table.Run(run.harness.model, where, place.ioctl, status,
              [&] { Provoke(run, place, status, output, expectedReply); });
    EXPECT_EQ(0u, run.Send(1001)) << where << ": still serving afterwards";
    EXPECT_TRUE(run.harness.model.HasServer()) << where;
}
} // namespace

TEST(ServerFaultMatrix, EveryPlaceReactsAsSpecified)
{
    FaultTable table("service");
    for (const Place& place : kPlaces)
    {
        for (const NorvikStatus status : {NORVIK_STATUS_FAILED, NORVIK_STATUS_DEVICE_REMOVED})
        {
            // A unit's handle that says its unit is gone is closed: its set-up ends without a controller.
            Place run = place;
            if (status == NORVIK_STATUS_DEVICE_REMOVED && place.trigger == Trigger::Arrival &&
                place.reaction == Reaction::Ignored && place.ioctl != NORVIK_IOCTL_GET_DEVICE_LIST)
            {
                run.reaction = Reaction::NoController;
            }
            Check(table, run, status, {}, place.reaction == Reaction::Reply ? status : 0u, place.where);
        }
    }

    // Malformed output where the server reads data: a streaming state outside the machine, a device list
    // that claims more units than its record holds.
    NorvikStreamingStatus badState = {};
    badState.state = 9;
    badState.sampleRate = 48000;
    std::vector<uint8_t> bytes(sizeof(badState));
    std::memcpy(bytes.data(), &badState, sizeof(badState));
    Check(
        table,
        {"rate: down status", Trigger::Request, 1001, NORVIK_IOCTL_GET_STREAMING_STATUS, 1, Reaction::Reply},
        NORVIK_STATUS_SUCCESS, bytes, NORVIK_STATUS_INVALID_STATE, "malformed status");
    std::vector<uint8_t> list(sizeof(NorvikDeviceList), 0xFF);
    Check(table, {"arrival: list", Trigger::Arrival, 0, NORVIK_IOCTL_GET_DEVICE_LIST, 0, Reaction::Released},
          NORVIK_STATUS_SUCCESS, list, 0, "malformed list");
    table.Report(kServiceSends);
}
