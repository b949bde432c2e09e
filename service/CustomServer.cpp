#include "service/CustomServer.h"

std::unique_ptr<NorvikDevice> CustomServer::CreateDevice()
{
    auto device = std::make_unique<CustomDevice>(GetRegistryKeyPath());
    device->Settings().SetEventLog(log_);
    return device;
}

NorvikStatus CustomServer::DispatchCustomRequest(const NorvikMessage& request, NorvikMessage& reply)
{
    switch (request.code)
    {
    case NORVIK_REQ_SET_SOUND_CONFIG:
        return SetSoundDeviceConfiguration(request);
    case NORVIK_REQ_GET_SOUND_CONFIG:
        return GetSoundDeviceConfiguration(request, reply);
    case NORVIK_REQ_SET_RESTORE_SETTINGS:
        return SetRestoreSettings(request);
    case NORVIK_REQ_GET_RESTORE_SETTINGS:
        return GetRestoreSettings(request, reply);
    default:
        return NORVIK_STATUS_INVALID_COMMAND;
    }
}

NorvikStatus CustomServer::ReadUnitRequest(const NorvikMessage& request, uint32_t (&values)[4],
                                           CustomDevice** device)
{
    const NorvikStatus result = ReadPayload(request, values, sizeof(values));
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    *device = dynamic_cast<CustomDevice*>(FindDevice(values[0], values[1]));
    return *device != nullptr ? NORVIK_STATUS_SUCCESS : NORVIK_STATUS_OBJECT_NOT_FOUND;
}

// The answer to a read about a unit: the request's keys, then the two values.
NorvikStatus CustomServer::Answer(NorvikMessage& reply, uint32_t code, uint32_t (&values)[4], uint32_t first,
                                  uint32_t second)
{
    reply.code = code;
    values[2] = first;
    values[3] = second;
    return reply.SetPayload(values, sizeof(values));
}

NorvikStatus CustomServer::SetSoundDeviceConfiguration(const NorvikMessage& request)
{
    uint32_t values[4] = {};
    CustomDevice* device = nullptr;
    NorvikStatus result = ReadUnitRequest(request, values, &device);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (values[2] != 0 || values[3] != 0)
        return NORVIK_STATUS_INVALID_PARAMETER;
    result = TakeStreamingDownForConfiguration();
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    // A configuration the unit did not take is reported, once streaming is back up.
    const NorvikStatus applied = device->ApplyWdmConfiguration(values);
    const NorvikStatus up = BringStreamingUp(1);
    return applied != NORVIK_STATUS_SUCCESS ? applied : up;
}

NorvikStatus CustomServer::GetSoundDeviceConfiguration(const NorvikMessage& request, NorvikMessage& reply)
{
    uint32_t values[4] = {};
    CustomDevice* device = nullptr;
    const NorvikStatus result = ReadUnitRequest(request, values, &device);
    return result != NORVIK_STATUS_SUCCESS ? result
                                           : Answer(reply, NORVIK_REPLY_SOUND_CONFIG, values,
                                                    device->RenderConfig(), device->CaptureConfig());
}

NorvikStatus CustomServer::SetRestoreSettings(const NorvikMessage& request)
{
    uint32_t values[4] = {};
    CustomDevice* device = nullptr;
    const NorvikStatus result = ReadUnitRequest(request, values, &device);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (values[2] > 1 || values[3] != 0)
        return NORVIK_STATUS_INVALID_PARAMETER;
    return device->Settings().SetOn(values[2] != 0);
}

NorvikStatus CustomServer::GetRestoreSettings(const NorvikMessage& request, NorvikMessage& reply)
{
    uint32_t values[4] = {};
    CustomDevice* device = nullptr;
    const NorvikStatus result = ReadUnitRequest(request, values, &device);
    return result != NORVIK_STATUS_SUCCESS
               ? result
               : Answer(reply, NORVIK_REPLY_RESTORE_SETTINGS, values, device->Settings().IsOn() ? 1 : 0, 0);
}

void CustomServer::OnUnknownEvent(const NorvikMessage& event)
{
    uint32_t keys[2] = {};
    if ((event.code != NORVIK_NOTIFY_DEVICE_STATE_CHANGED && event.code != NORVIK_NOTIFY_WEIGHTS_CHANGED) ||
        ReadPayload(event, keys, sizeof(keys)) != NORVIK_STATUS_SUCCESS)
        return;
    if (auto* device = dynamic_cast<CustomDevice*>(FindDevice(keys[0], keys[1])))
        device->OnSettingsChanged();
}
