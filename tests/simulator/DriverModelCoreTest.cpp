// Handles, roles, the message relay, events, queues and the device list of the driver model.
#include "ModelTestHandle.h"
#include "simulator/InProcessPort.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{
const uint32_t kRequest = NORVIK_MSG_REQUEST;
const uint32_t kReply = NORVIK_MSG_REPLY;
const uint32_t kNotification = NORVIK_MSG_NOTIFICATION;

TEST(DriverModelRoles, OnlyOneServerAndTheRoleGoesWithTheHandle)
{
    DriverModel model;
    ModelTestHandle first(model), second(model);
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, first.SetRole(NORVIK_ROLE_SERVER));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, first.SetRole(NORVIK_ROLE_SERVER)) << "the holder may repeat it";
    EXPECT_EQ(NORVIK_STATUS_ALREADY_DONE, second.SetRole(NORVIK_ROLE_SERVER));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, second.SetRole(NORVIK_ROLE_CLIENT));
    first.Close();
    EXPECT_FALSE(model.HasServer());
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, second.SetRole(NORVIK_ROLE_SERVER));
    EXPECT_TRUE(model.HasServer());
}

TEST(DriverModelRoles, RoleValues)
{
    const struct
    {
        uint32_t role;
        NorvikStatus expected;
    } cases[] = {{0, NORVIK_STATUS_SUCCESS}, {1, NORVIK_STATUS_INVALID_PARAMETER},
                 {2, NORVIK_STATUS_SUCCESS}, {3, NORVIK_STATUS_SUCCESS},
                 {4, NORVIK_STATUS_SUCCESS}, {5, NORVIK_STATUS_INVALID_PARAMETER}};
    for (const auto& c : cases)
    {
        DriverModel model;
        ModelTestHandle handle(model);
        EXPECT_EQ(c.expected, handle.SetRole(c.role)) << "role " << c.role;
    }
}

struct Exchange
{
    DriverModel model;
    ModelTestHandle server{model}, clientA{model}, clientB{model}, auxiliary{model};
    Exchange()
    {
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, server.RegisterEvents());
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
        for (ModelTestHandle* client : {&clientA, &clientB})
        {
            EXPECT_EQ(NORVIK_STATUS_SUCCESS, client->RegisterEvents());
            EXPECT_EQ(NORVIK_STATUS_SUCCESS, client->SetRole(NORVIK_ROLE_CLIENT));
        }
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, auxiliary.SetRole(NORVIK_ROLE_AUXILIARY));
    }
};

TEST(DriverModelRelay, RepliesReachTheClientThatAsked)
{
    Exchange x;
    uint32_t rateA = 48000, rateB = 96000;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.clientA.Send(kRequest, 1001, &rateA, 4, 0, 0, 7));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.clientB.Send(kRequest, 1001, &rateB, 4, 0, 0, 7));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(x.server.messageEvent.Get(), 0));

    // The server answers in reverse order; each reply copies the routing words of its request.
    NorvikMessage requests[2];
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.server.Receive(&requests[0]));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.server.Receive(&requests[1]));
    NorvikMessage empty;
    EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, x.server.Receive(&empty));
    EXPECT_EQ(0, memcmp(requests[0].payload, &rateA, 4));
    EXPECT_EQ(0, memcmp(requests[1].payload, &rateB, 4));
    EXPECT_NE(requests[0].routing1, requests[1].routing1);
    for (int i = 1; i >= 0; --i)
    {
        uint32_t marker = 100 + i;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS,
                  x.server.Send(kReply, NORVIK_REPLY_RESULT, &marker, 4, requests[i].routing1,
                                requests[i].routing2, requests[i].sequence));
    }

    const struct
    {
        ModelTestHandle* client;
        uint32_t marker;
    } expected[] = {{&x.clientA, 100}, {&x.clientB, 101}};
    for (const auto& e : expected)
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(e.client->messageEvent.Get(), 0));
        NorvikMessage reply;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, e.client->Receive(&reply));
        EXPECT_EQ(kReply, reply.type);
        EXPECT_EQ(7u, reply.sequence);
        EXPECT_EQ(0, memcmp(reply.payload, &e.marker, 4));
        EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, e.client->Receive(&reply));
    }
}

TEST(DriverModelRelay, ServerNotificationsGoToEveryClientOnly)
{
    Exchange x;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.server.Send(kNotification, NORVIK_NOTIFY_DEVICE_LIST_CHANGED));
    for (ModelTestHandle* client : {&x.clientA, &x.clientB})
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client->notificationEvent.Get(), 0));
        NorvikMessage message;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, client->ReceiveNotification(&message));
        EXPECT_EQ(NORVIK_NOTIFY_DEVICE_LIST_CHANGED, message.code);
        EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, client->ReceiveNotification(&message));
    }
    EXPECT_EQ(0u, x.model.QueuedNotifications(x.server.Id()));
    EXPECT_EQ(0u, x.model.QueuedNotifications(x.auxiliary.Id()));
}

TEST(DriverModelRelay, DriverNotificationsByAudience)
{
    Exchange x;
    NorvikDeviceKeys keys{1, 2};
    x.model.Notify(SimAudience::Server, NORVIK_NOTIFY_3015, &keys, sizeof(keys));
    x.model.Notify(SimAudience::Clients, NORVIK_NOTIFY_VOLUMES_CHANGED, &keys, sizeof(keys));
    NorvikMessage message;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.server.ReceiveNotification(&message));
    EXPECT_EQ(NORVIK_NOTIFY_3015, message.code);
    EXPECT_EQ(8u, message.length);
    EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, x.server.ReceiveNotification(&message));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.clientB.ReceiveNotification(&message));
    EXPECT_EQ(NORVIK_NOTIFY_VOLUMES_CHANGED, message.code);
}

TEST(DriverModelRelay, RefusedMessages)
{
    Exchange x;
    ModelTestHandle noRole(x.model);
    const struct
    {
        const char* what;
        ModelTestHandle* sender;
        uint32_t type;
        uint32_t routing1;
        NorvikStatus expected;
    } cases[] = {
        {"request from the server", &x.server, kRequest, 0, NORVIK_STATUS_NOT_ALLOWED},
        {"request from an auxiliary handle", &x.auxiliary, kRequest, 0, NORVIK_STATUS_NOT_ALLOWED},
        {"request without role", &noRole, kRequest, 0, NORVIK_STATUS_NOT_ALLOWED},
        {"reply from a client", &x.clientA, kReply, x.clientB.Id(), NORVIK_STATUS_NOT_ALLOWED},
        {"notification from a client", &x.clientA, kNotification, 0, NORVIK_STATUS_NOT_ALLOWED},
        {"reply to nobody", &x.server, kReply, 9999, NORVIK_STATUS_INITIATOR_NOT_FOUND},
        {"type 0", &x.clientA, 0, 0, NORVIK_STATUS_INVALID_MSG_TYPE},
        {"type 4", &x.server, 4, 0, NORVIK_STATUS_INVALID_MSG_TYPE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, c.sender->Send(c.type, 2001, nullptr, 0, c.routing1)) << c.what;

    x.server.Close();
    EXPECT_EQ(NORVIK_STATUS_NO_SERVER, x.clientA.Send(kRequest, 1001)) << "request without a server";
}

TEST(DriverModelRelay, MalformedMessageRecords)
{
    Exchange x;
    NorvikMessage message;
    message.Init(kRequest, 1001);
    message.length = 4;
    const struct
    {
        const char* what;
        uint32_t headerSize;
        uint32_t length;
        uint32_t sent;
        NorvikStatus expected;
    } cases[] = {
        {"shorter than the header", 32, 0, 31, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {"header size 16", 16, 4, 36, NORVIK_STATUS_INVALID_HD_SIZE},
        {"length beyond the bytes sent", 32, 8, 36, NORVIK_STATUS_INVALID_MSG_SIZE},
        {"length beyond 512", 32, 513, 544, NORVIK_STATUS_INVALID_MSG_SIZE},
        {"bytes beyond the length", 32, 0, 36, NORVIK_STATUS_INVALID_MSG_SIZE},
        {"exact", 32, 4, 36, NORVIK_STATUS_SUCCESS},
    };
    for (const auto& c : cases)
    {
        message.headerSize = c.headerSize;
        message.length = c.length;
        EXPECT_EQ(c.expected, x.clientA.Ioctl(NORVIK_IOCTL_SEND_MESSAGE, &message, c.sent, nullptr, 0))
            << c.what;
    }
    EXPECT_EQ(1u, x.model.QueuedMessages(x.server.Id()));
}

TEST(DriverModelEvents, ServerThreadWakesForEachRequest)
{
    Exchange x;
    const int kRequests = 50;
    std::vector<uint32_t> seen;
    std::thread serverThread(
        [&]
        {
            while (seen.size() < kRequests)
            {
                if (WaitForSingleObject(x.server.messageEvent.Get(), 10000) != WAIT_OBJECT_0)
                    return;
                NorvikMessage request;
                while (x.server.Receive(&request) == NORVIK_STATUS_SUCCESS)
                {
                    seen.push_back(request.sequence);
                    (void)x.server.Send(kReply, NORVIK_REPLY_RESULT, nullptr, 0, request.routing1,
                                        request.routing2, request.sequence);
                }
            }
        });
    int answered = 0;
    for (uint32_t sequence = 1; sequence <= kRequests; ++sequence)
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.clientA.Send(kRequest, 1005, nullptr, 0, 0, 0, sequence));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(x.clientA.messageEvent.Get(), 10000));
        NorvikMessage reply;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, x.clientA.Receive(&reply));
        EXPECT_EQ(sequence, reply.sequence);
        ++answered;
    }
    serverThread.join();
    EXPECT_EQ(kRequests, answered);
    EXPECT_EQ(size_t(kRequests), seen.size());
}

TEST(DriverModelEvents, RegisteringSignalsWhatIsAlreadyQueuedAndZeroUnregisters)
{
    DriverModel model;
    ModelTestHandle client(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
    model.Notify(SimAudience::Clients, NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.RegisterEvents());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.notificationEvent.Get(), 0));

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.Set(NORVIK_IOCTL_SET_EVENTS, NorvikSetEvents{0, 0}));
    model.Notify(SimAudience::Clients, NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(client.notificationEvent.Get(), 0));
    EXPECT_EQ(2u, model.QueuedNotifications(client.Id()));
}

TEST(DriverModelEvents, BadEventValuesChangeNothing)
{
    DriverModel model;
    ModelTestHandle client(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.RegisterEvents());
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
    const NorvikSetEvents bad[] = {{0x12345670, 0}, {uint64_t(1) << 32, 0}};
    for (const auto& events : bad)
        EXPECT_EQ(NORVIK_STATUS_INVALID_PARAMETER, client.Set(NORVIK_IOCTL_SET_EVENTS, events));
    model.Notify(SimAudience::Clients, NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.notificationEvent.Get(), 0));
}

TEST(DriverModelQueues, NotificationQueueIsBounded)
{
    DriverModel model;
    ModelTestHandle client(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.SetRole(NORVIK_ROLE_CLIENT));
    for (uint32_t i = 0; i < DriverModel::kQueueLimit + 5; ++i)
        model.Notify(SimAudience::Clients, 3000 + i % 100);
    EXPECT_EQ(DriverModel::kQueueLimit, model.QueuedNotifications(client.Id()));
    NorvikMessage message;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&message));
    EXPECT_EQ(3005u, message.code) << "the oldest are dropped";
}

TEST(DriverModelDevices, PlugUnplugAndBinding)
{
    DriverModel model(1);
    ModelTestHandle server(model), device(model), stale(model);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
    NorvikDeviceList list;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.Get(NORVIK_IOCTL_GET_DEVICE_LIST, &list));
    ASSERT_EQ(1u, list.count);
    NorvikDeviceRecord first = list.devices[0];
    EXPECT_STREQ(L"CVX10001", first.serial);
    EXPECT_EQ(1, first.speedFlags & 1);

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, stale.Bind(first.key1, first.key2));
    EXPECT_EQ(NORVIK_STATUS_ALREADY_DONE, stale.Bind(first.key1, first.key2));
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, device.Bind(first.key1 + 1, first.key2));

    SimUnitSpec unitSpec;
    unitSpec.serial = L"CVX10001";
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.UnplugUnit(first.key1, first.key2));
    NorvikDeviceKeys keys;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.PlugUnit(unitSpec, &keys));
    EXPECT_TRUE(keys.key1 != first.key1 || keys.key2 != first.key2) << "keys change on re-plug";
    EXPECT_EQ(NORVIK_STATUS_OBJECT_NOT_FOUND, model.UnplugUnit(first.key1, first.key2));

    NorvikMessage note;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, server.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_DRIVER_DEVICE_LIST, note.code);
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, server.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_DRIVER_DEVICE_LIST, note.code);

    NorvikDriverInfo info;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, stale.Get(NORVIK_IOCTL_GET_DRIVER_INFO, &info)) << "any handle";
    NorvikSpdifPassThrough pass{};
    EXPECT_EQ(NORVIK_STATUS_DEVICE_REMOVED, stale.InOut(NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, &pass))
        << "a handle bound to an unplugged unit stays orphaned";
    EXPECT_EQ(NORVIK_STATUS_NOT_ALLOWED, stale.Get(NORVIK_IOCTL_GET_DEVICE_LIST, &list));
    EXPECT_EQ(NORVIK_STATUS_NO_DEVICE, device.InOut(NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, &pass));
    EXPECT_EQ(NORVIK_STATUS_NOT_ALLOWED, server.Bind(keys.key1, keys.key2)) << "a handle with a role";
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, device.Bind(keys.key1, keys.key2));
}

TEST(DriverModelDevices, AtMostEightUnits)
{
    DriverModel model(0);
    SimUnitSpec unitSpec;
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model.PlugUnit(unitSpec));
    EXPECT_EQ(NORVIK_STATUS_NO_RESOURCES, model.PlugUnit(unitSpec));
    EXPECT_EQ(8u, model.Units().size());
}

TEST(DriverModelFaults, OnceTimesAlwaysAndReplacementOutput)
{
    DriverModel model;
    ModelTestHandle handle(model);
    NorvikDriverInfo info{};
    model.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_TIMEOUT, 2);
    EXPECT_EQ(NORVIK_STATUS_TIMEOUT, handle.Get(NORVIK_IOCTL_GET_DRIVER_INFO, &info));
    EXPECT_EQ(NORVIK_STATUS_TIMEOUT, handle.Get(NORVIK_IOCTL_GET_DRIVER_INFO, &info));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, handle.Get(NORVIK_IOCTL_GET_DRIVER_INFO, &info));
    EXPECT_EQ(2u, info.interfaceMajor);

    model.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_FAILED, -1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(NORVIK_STATUS_FAILED, handle.Get(NORVIK_IOCTL_GET_DRIVER_INFO, &info));
    model.ClearFaults();

    // A bogus count with 6 bytes where 1124 were asked for: the caller sees exactly those bytes.
    std::vector<uint8_t> bogus = {0xFF, 0xFF, 0, 0, 1, 2};
    model.InjectFault(NORVIK_IOCTL_GET_DEVICE_LIST, NORVIK_STATUS_SUCCESS, 1, bogus);
    NorvikDeviceList list{};
    uint32_t bytes = 0;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS,
              handle.Ioctl(NORVIK_IOCTL_GET_DEVICE_LIST, nullptr, 0, &list, sizeof(list), &bytes));
    EXPECT_EQ(6u, bytes);
    EXPECT_EQ(0xFFFFu, list.count);

    // Replacement output is cut to the caller's buffer.
    model.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_SUCCESS, 1,
                      std::vector<uint8_t>(100, 0xAB));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS,
              handle.Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, &info, sizeof(info), &bytes));
    EXPECT_EQ(sizeof(info), bytes);
}

TEST(DriverModelRequests, SizesAndUnknownCodes)
{
    DriverModel model;
    ModelTestHandle handle(model);
    uint8_t buffer[2000] = {};
    const struct
    {
        uint32_t code;
        uint32_t in;
        uint32_t out;
        NorvikStatus expected;
    } cases[] = {
        {NORVIK_IOCTL_GET_DRIVER_INFO, 0, 24, NORVIK_STATUS_SUCCESS},
        {NORVIK_IOCTL_GET_DRIVER_INFO, 0, 23, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_GET_DRIVER_INFO, 4, 24, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_SET_ROLE, 3, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_SET_ROLE, 4, 4, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_SET_EVENTS, 8, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NORVIK_IOCTL_GET_DEVICE_LIST, 0, 1123, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_RECEIVE_MESSAGE, 0, 543, NORVIK_STATUS_INVALID_OUTBUFFER_SIZE},
        {NORVIK_IOCTL_RECEIVE_NOTIFICATION, 0, 544, NORVIK_STATUS_NO_MORE_ITEMS},
        {NORVIK_IOCTL_BIND_DEVICE, 4, 0, NORVIK_STATUS_INVALID_INBUFFER_SIZE},
        {NorvikIoctlCode(0x802), 0, 0, NORVIK_STATUS_INVALID_IOCTL},
        {0, 0, 0, NORVIK_STATUS_INVALID_IOCTL},
    };
    for (const auto& c : cases)
    {
        uint32_t bytes = 77;
        EXPECT_EQ(c.expected, handle.Ioctl(c.code, buffer, c.in, buffer, c.out, &bytes))
            << std::hex << c.code;
        if (c.expected != NORVIK_STATUS_SUCCESS)
        {
            EXPECT_EQ(0u, bytes);
        }
    }
    EXPECT_EQ(NORVIK_STATUS_NOT_OPENED,
              model.Ioctl(4711, NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, buffer, 24, nullptr));
}

TEST(InProcessPort, OpensHandlesOnTheDriverPathOnly)
{
    DriverModel model;
    InProcessPort port(model);
    std::unique_ptr<DriverLink> link;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, port.Open(L"\\\\.\\{00000000-0000-0000-0000-000000000000}", &link));
    EXPECT_EQ(nullptr, link);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, port.Open(L"\\\\.\\{53a43fdf-0796-4483-9547-a6b25c1fa343}", &link));
    EXPECT_EQ(1u, model.HandleCount());
    uint32_t role = NORVIK_ROLE_SERVER, bytes = 5;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS,
              link->Ioctl(NORVIK_IOCTL_SET_ROLE, &role, 4, nullptr, 0, &bytes, nullptr));
    EXPECT_EQ(0u, bytes);
    EXPECT_TRUE(model.HasServer());
    link.reset();
    EXPECT_EQ(0u, model.HandleCount());
    EXPECT_FALSE(model.HasServer());

    model.SetPresent(false);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, port.Open(L"\\\\.\\" NORVIK_DRIVER_NAME, &link));
}
} // namespace
