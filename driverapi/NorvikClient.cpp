#include "driverapi/NorvikClient.h"

#include "wn/WnLock.h"

#include <algorithm>

namespace
{
constexpr DWORD kConnectionCheckMs = 1000;
} // namespace

NorvikStatus NorvikClient::Transact(NorvikMessage* request, NorvikMessage* reply, DWORD timeoutMs)
{
    WnLock lock(ContextLock());
    request->sequence = NextSequence();
    NorvikStatus status = SendMsg(*request);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;

    DWORD remaining = timeoutMs;
    for (;;)
    {
        // Waited in slices: a connection that breaks while we wait (the driver went away) can never bring the
        // reply, so it ends the wait with the probe's failure instead of the whole timeout.
        const DWORD slice = std::min(remaining, kConnectionCheckMs);
        const DWORD wait = WaitForSingleObject(MessageEvent(), slice);
        if (wait == WAIT_TIMEOUT)
        {
            if (remaining != INFINITE)
                remaining -= slice;
            if (remaining == 0)
                return NORVIK_STATUS_TIMEOUT;
            NorvikDriverInfo info{};
            const NorvikStatus probe = GetDriverInfo(&info);
            if (!IsOpen())
                return probe;
            continue;
        }
        if (wait != WAIT_OBJECT_0)
            return NORVIK_STATUS_FAILED;

        // Drain the queue before waiting again: the event fires once for everything queued so far, so a stale
        // reply may sit right in front of ours.
        for (;;)
        {
            status = ReceiveMsg(reply);
            if (status == NORVIK_STATUS_NO_MORE_ITEMS)
                break;
            if (status != NORVIK_STATUS_SUCCESS)
                return status;
            if (reply->type == NORVIK_MSG_REPLY && reply->sequence == request->sequence)
                return NORVIK_STATUS_SUCCESS;
        }
    }
}

NorvikStatus NorvikClient::SetSampleRate(uint32_t rate, DWORD timeoutMs)
{
    NorvikMessage reply;
    return Request(NORVIK_REQ_SET_SAMPLE_RATE, &rate, sizeof(rate), timeoutMs, NORVIK_REPLY_RESULT, &reply);
}

NorvikStatus NorvikClient::SetBufferSizes(uint32_t streamingClass, uint32_t asioClass, uint32_t thirdValue)
{
    const uint32_t payload[3] = {streamingClass, asioClass, thirdValue};
    NorvikMessage reply;
    return Request(NORVIK_REQ_SET_BUFFER_SIZES, payload, sizeof(payload), NORVIK_CLIENT_TIMEOUT_MS,
                   NORVIK_REPLY_RESULT, &reply);
}

NorvikStatus NorvikClient::SelectStreamingDevice(uint32_t key1, uint32_t key2, uint32_t mode)
{
    const uint32_t payload[3] = {mode, key1, key2};
    NorvikMessage reply;
    return Request(NORVIK_REQ_SELECT_STREAMING_DEVICE, payload, sizeof(payload), NORVIK_CLIENT_TIMEOUT_MS,
                   NORVIK_REPLY_RESULT, &reply);
}

NorvikStatus NorvikClient::SetPolicy(uint32_t flags, DWORD timeoutMs)
{
    NorvikMessage reply;
    return Request(NORVIK_REQ_SET_POLICY, &flags, sizeof(flags), timeoutMs, NORVIK_REPLY_RESULT, &reply);
}

NorvikStatus NorvikClient::SetRestoreSettings(uint32_t key1, uint32_t key2, bool on)
{
    const uint32_t payload[4] = {key1, key2, on ? 1u : 0u, 0};
    NorvikMessage reply;
    return Request(NORVIK_REQ_SET_RESTORE_SETTINGS, payload, sizeof(payload), NORVIK_CLIENT_TIMEOUT_MS,
                   NORVIK_REPLY_RESULT, &reply);
}

NorvikStatus NorvikClient::GetRestoreSettings(uint32_t key1, uint32_t key2, bool* on)
{
    const uint32_t payload[4] = {key1, key2, 0, 0};
    NorvikMessage reply;
    NorvikStatus status = Request(NORVIK_REQ_GET_RESTORE_SETTINGS, payload, sizeof(payload),
                                  NORVIK_CLIENT_TIMEOUT_MS, NORVIK_REPLY_RESTORE_SETTINGS, &reply);
    uint32_t answer[4] = {};
    if (status == NORVIK_STATUS_SUCCESS)
        status = reply.GetExactPayload(answer, sizeof(answer));
    if (status == NORVIK_STATUS_SUCCESS)
        *on = answer[2] != 0;
    return status;
}

NorvikStatus NorvikClient::Request(uint32_t code, const void* payload, uint32_t size, DWORD timeoutMs,
                                   uint32_t expectedReplyCode, NorvikMessage* reply)
{
    NorvikMessage request;
    request.Init(NORVIK_MSG_REQUEST, code);
    NorvikStatus status = request.SetPayload(payload, size);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    reply->Init(0, 0);
    status = Transact(&request, reply, timeoutMs);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (reply->code != expectedReplyCode)
        return NORVIK_STATUS_UNEXPECTED_MSG_CODE;
    return reply->result;
}

uint32_t NorvikClient::NextSequence()
{
    if (++sequence_ == 0)
        ++sequence_;
    return sequence_;
}
