#include "service/CustomServer.h"

std::unique_ptr<NorvikDevice> CustomServer::CreateDevice()
{
    return std::make_unique<CustomDevice>(GetRegistryKeyPath());
}

NorvikStatus CustomServer::DispatchCustomRequest(const NorvikMessage& request, NorvikMessage& reply)
{
    switch (request.code)
    {
    case NORVIK_REQ_SET_SOUND_CONFIG:
        return SetSoundDeviceConfiguration(request);
    case NORVIK_REQ_GET_SOUND_CONFIG:
        return GetSoundDeviceConfiguration(request, reply);
    default:
        return NORVIK_STATUS_INVALID_COMMAND;
    }
}

NorvikStatus CustomServer::SetSoundDeviceConfiguration(const NorvikMessage& request)
{
    uint32_t values[4] = {};
    NorvikStatus result = ReadPayload(request, values, sizeof(values));
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    auto* device = dynamic_cast<CustomDevice*>(FindDevice(values[0], values[1]));
    if (device == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
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
    const NorvikStatus result = ReadPayload(request, values, sizeof(values));
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    const auto* device = dynamic_cast<const CustomDevice*>(FindDevice(values[0], values[1]));
    if (device == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    reply.code = NORVIK_REPLY_SOUND_CONFIG;
    values[2] = device->RenderConfig();
    values[3] = device->CaptureConfig();
    return reply.SetPayload(values, sizeof(values));
}
