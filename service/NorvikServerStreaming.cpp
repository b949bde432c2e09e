// The streaming state machine and the device controllers' hooks around each of its steps.
#include "service/NorvikServer.h"

bool NorvikServer::IsStreamingInUse(const NorvikStreamingStatus& status)
{
    return status.ActivityWord(3) != 0 || status.ActivityWord(4) != 0 || status.ActivityWord(6) != 0 ||
           status.ActivityWord(7) != 0;
}

NorvikStatus NorvikServer::BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t rate)
{
    return ForEachController([&](NorvikDeviceCtrl& controller)
                             { return controller.BeforeStreamingChange(current, target, rate); });
}

void NorvikServer::AfterStreamingChange(uint32_t current, uint32_t target, uint32_t rate)
{
    (void)ForEachController([&](NorvikDeviceCtrl& controller)
                            { controller.AfterStreamingChange(current, target, rate); });
}

void NorvikServer::StreamingChangeFailed(uint32_t current, uint32_t target, NorvikStatus error)
{
    (void)ForEachController([&](NorvikDeviceCtrl& controller)
                            { controller.StreamingChangeFailed(current, target, error); });
}

NorvikStatus NorvikServer::BeforeStreamingUp()
{
    return ForEachController([](NorvikDeviceCtrl& controller) { return controller.BeforeStreamingUp(); });
}

NorvikStatus NorvikServer::BringStreamingUp(uint32_t flag)
{
    NorvikStatus result = BeforeStreamingUp();
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    for (int step = 0; step < kMaxStreamingSteps; ++step)
    {
        NorvikStreamingStatus status = {};
        result = GetStreamingStatus(&status);
        if (result != NORVIK_STATUS_SUCCESS)
            return result;
        const uint32_t state = status.state;
        const uint32_t rate = status.sampleRate;
        switch (state)
        {
        case NORVIK_STREAMING_DOWN:
            result = BeforeStreamingChange(state, NORVIK_STREAMING_READY, rate);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            // A failing command 2 is not a failed change for the hooks: nothing was prepared yet.
            result = StreamingCommand(NORVIK_CMD_DOWN_TO_READY, flag);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            AfterStreamingChange(state, NORVIK_STREAMING_READY, rate);
            break;
        case NORVIK_STREAMING_READY:
            if (!IsStreamingInUse(status))
                return NORVIK_STATUS_SUCCESS;
            [[fallthrough]];
        case NORVIK_STREAMING_PREPARED:
        {
            const uint32_t target = state + 1; // Ready to Prepared, Prepared to Running
            result = BeforeStreamingChange(state, target, rate);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            const uint32_t command = state == NORVIK_STREAMING_READY ? NORVIK_CMD_READY_TO_PREPARED
                                                                     : NORVIK_CMD_PREPARED_TO_RUNNING;
            result = StreamingCommand(command, 0);
            if (result != NORVIK_STATUS_SUCCESS)
            {
                StreamingChangeFailed(state, target, result);
                return result;
            }
            AfterStreamingChange(state, target, rate);
            break;
        }
        case NORVIK_STREAMING_RUNNING:
            return NORVIK_STATUS_SUCCESS;
        case NORVIK_STREAMING_ERROR:
        case NORVIK_STREAMING_USB11:
            result = StreamingCommand(NORVIK_CMD_CLEAR_ERROR, 0);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            break;
        default:
            return NORVIK_STATUS_INVALID_STATE;
        }
    }
    return NORVIK_STATUS_INVALID_STATE;
}

NorvikStatus NorvikServer::BringStreamingDown(uint32_t flag)
{
    for (int step = 0; step < kMaxStreamingSteps; ++step)
    {
        NorvikStreamingStatus status = {};
        NorvikStatus result = GetStreamingStatus(&status);
        if (result != NORVIK_STATUS_SUCCESS)
            return result;
        const uint32_t state = status.state;
        const uint32_t rate = status.sampleRate;
        switch (state)
        {
        case NORVIK_STREAMING_DOWN:
            return NORVIK_STATUS_SUCCESS;
        case NORVIK_STREAMING_READY:
            (void)BeforeStreamingChange(state, NORVIK_STREAMING_DOWN, rate);
            result = StreamingCommand(NORVIK_CMD_READY_TO_DOWN, flag);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            AfterStreamingChange(state, NORVIK_STREAMING_DOWN, rate);
            break;
        case NORVIK_STREAMING_PREPARED:
        case NORVIK_STREAMING_RUNNING:
            result = StepDownToReady(state, rate);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            break;
        case NORVIK_STREAMING_ERROR:
        case NORVIK_STREAMING_USB11:
            result = StreamingCommand(NORVIK_CMD_CLEAR_ERROR, 0);
            if (result != NORVIK_STATUS_SUCCESS)
                return result;
            break;
        default:
            return NORVIK_STATUS_INVALID_STATE;
        }
    }
    return NORVIK_STATUS_INVALID_STATE;
}

NorvikStatus NorvikServer::IdleStreamingDown()
{
    NorvikStreamingStatus status = {};
    const NorvikStatus result = GetStreamingStatus(&status);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    const uint32_t state = status.state;
    const bool preparedOrRunning = state == NORVIK_STREAMING_PREPARED || state == NORVIK_STREAMING_RUNNING;
    if (!preparedOrRunning || IsStreamingInUse(status))
        return NORVIK_STATUS_SUCCESS;
    return StepDownToReady(state, status.sampleRate);
}

NorvikStatus NorvikServer::StepDownToReady(uint32_t state, uint32_t rate)
{
    // On the way down the hooks can not hold the change back.
    (void)BeforeStreamingChange(state, NORVIK_STREAMING_READY, rate);
    const NorvikStatus result = StreamingCommand(NORVIK_CMD_TO_READY, 0);
    if (result != NORVIK_STATUS_SUCCESS)
    {
        StreamingChangeFailed(state, NORVIK_STREAMING_READY, result);
        return result;
    }
    AfterStreamingChange(state, NORVIK_STREAMING_READY, rate);
    return NORVIK_STATUS_SUCCESS;
}
