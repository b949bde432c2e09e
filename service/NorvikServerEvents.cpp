// The server's reactions to the driver's own events (notifications queued for the server handle).
#include "service/NorvikServer.h"

void NorvikServer::ProcessEvents()
{
    NorvikMessage event;
    int failures = 0;
    for (NorvikStatus received = ReceiveNotification(&event); KeepDraining(received, &failures);
         received = ReceiveNotification(&event))
        if (received == NORVIK_STATUS_SUCCESS && event.type == NORVIK_MSG_NOTIFICATION)
            DispatchEvent(event);
}

void NorvikServer::DispatchEvent(const NorvikMessage& event)
{
    // Events with a payload are dropped unless it has exactly the expected size.
    uint32_t words[4] = {};
    const auto payloadIs = [&](uint32_t size) { return ReadPayload(event, words, size) == 0; };
    switch (event.code)
    {
    case NORVIK_NOTIFY_CLIENT_STARTED:
        OnEvent3003();
        break;
    case NORVIK_NOTIFY_CLIENT_STOPPED:
        OnEvent3004();
        break;
    case NORVIK_NOTIFY_DRIVER_DEVICE_LIST:
        OnEvent3005();
        break;
    case NORVIK_NOTIFY_3006:
        OnEvent3006();
        break;
    case NORVIK_NOTIFY_3015:
        if (payloadIs(8))
            OnEvent3015(words[0], words[1]);
        break;
    case NORVIK_NOTIFY_3016:
        if (payloadIs(8))
            OnEvent3016(words[0], words[1]);
        break;
    case NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED:
        OnEvent3020();
        break;
    case NORVIK_NOTIFY_3021:
        break;
    case NORVIK_NOTIFY_VOLUMES_CHANGED:
        if (payloadIs(8))
            OnEvent3051(words[0], words[1]);
        break;
    case NORVIK_NOTIFY_ENDPOINT_VOLUME_CHANGED:
        if (payloadIs(16))
            OnEvent3060(words);
        break;
    default:
        OnUnknownEvent(event);
        break;
    }
}

void NorvikServer::OnUnknownEvent(const NorvikMessage&) {}

void NorvikServer::OnEvent3003()
{
    (void)BringStreamingUp(0);
}

void NorvikServer::OnEvent3004()
{
    (void)IdleStreamingDown();
}

void NorvikServer::OnEvent3006()
{
    (void)BringStreamingUp(0);
}

void NorvikServer::OnEvent3005()
{
    bool changed = false;
    (void)RefreshDeviceList(&changed);
    (void)OnDeviceListChanged();
}

void NorvikServer::OnEvent3015(uint32_t, uint32_t)
{
    (void)BringStreamingUp(0);
}

void NorvikServer::OnEvent3016(uint32_t, uint32_t)
{
    (void)IdleStreamingDown();
}

void NorvikServer::OnEvent3020()
{
    (void)PostNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
}

void NorvikServer::OnEvent3051(uint32_t key1, uint32_t key2)
{
    if (auto* controller = dynamic_cast<NorvikDeviceCtrl*>(FindDevice(key1, key2)))
        controller->OnLevelsChanged();
}

void NorvikServer::OnEvent3060(const uint32_t (&record)[4])
{
    auto* controller = dynamic_cast<NorvikDeviceCtrl*>(FindDevice(record[0], record[1]));
    if (controller == nullptr)
        return;
    if (record[2] == 1)
        controller->OnEndpointEvent1(record[3]);
    else if (record[2] == 2)
        controller->OnEndpointEvent2(record[3]);
}
