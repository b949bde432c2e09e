#include "cpl/NorvikCplClient.h"

NorvikCplClient mainClient;

NorvikStatus NorvikCplClient::SetSoundDeviceConfiguration(uint32_t key1, uint32_t key2,
                                                          uint32_t renderConfiguration,
                                                          uint32_t captureConfiguration)
{
    const uint32_t payload[4] = {key1, key2, renderConfiguration, captureConfiguration};
    NorvikMessage reply;
    return Request(NORVIK_REQ_SET_SOUND_CONFIG, payload, sizeof(payload), NORVIK_CLIENT_TIMEOUT_MS,
                   NORVIK_REPLY_RESULT, &reply);
}

NorvikStatus NorvikCplClient::GetSoundDeviceConfiguration(uint32_t key1, uint32_t key2,
                                                          uint32_t* renderConfiguration,
                                                          uint32_t* captureConfiguration)
{
    const uint32_t payload[4] = {key1, key2, 0, 0};
    NorvikMessage reply;
    NorvikStatus status = Request(NORVIK_REQ_GET_SOUND_CONFIG, payload, sizeof(payload),
                                  NORVIK_CLIENT_TIMEOUT_MS, NORVIK_REPLY_SOUND_CONFIG, &reply);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    uint32_t configuration[4] = {};
    status = reply.GetExactPayload(configuration, sizeof(configuration));
    if (status != NORVIK_STATUS_SUCCESS)
        return NORVIK_STATUS_INVALID_MSG_SIZE;
    *renderConfiguration = configuration[2];
    *captureConfiguration = configuration[3];
    return NORVIK_STATUS_SUCCESS;
}
