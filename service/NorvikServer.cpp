#include "service/NorvikServer.h"

#include "driverapi/NorvikReply.h"

namespace
{
// {53A43FDF-0796-4483-9547-A6B25C1FA343}: the driver's interface class and the name it is opened under.
constexpr GUID kInterfaceGuid = {
    0x53A43FDF, 0x0796, 0x4483, {0x95, 0x47, 0xA6, 0xB2, 0x5C, 0x1F, 0xA3, 0x43}};

// The server loop's wait slots. The driver's two events come last so that, while the driver is closed, the
// loop waits on the first two alone; the stop event comes first so that it wins over pending work.
enum WaitSlot : DWORD
{
    kStopSlot,
    kArrivalSlot,
    kMessageSlot,
    kNotificationSlot,
    kSlotCount
};
} // namespace

std::unique_ptr<NorvikDevice> NorvikServer::CreateDevice()
{
    return std::make_unique<NorvikDeviceCtrl>();
}

const wchar_t* NorvikServer::GetServiceName() const
{
    return L"corvexsvc";
}

const wchar_t* NorvikServer::GetDisplayName() const
{
    return L"Corvex control";
}

const wchar_t* NorvikServer::GetDescription() const
{
    return L"Corvex control service";
}

void NorvikServer::GetInterfaceGuid(GUID* guid) const
{
    *guid = kInterfaceGuid;
}

const wchar_t* NorvikServer::GetInterfaceName() const
{
    return NORVIK_DRIVER_NAME;
}

const wchar_t* NorvikServer::GetRegistryKeyPath() const
{
    return L"Software\\MERIDANT\\corvex";
}

NorvikDeviceCtrl* NorvikServer::ControllerAt(size_t index) const
{
    return dynamic_cast<NorvikDeviceCtrl*>(DeviceAt(index));
}

void NorvikServer::RunServer(HANDLE stopEvent, HANDLE arrivalEvent)
{
    (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    if (TryOpenDriver(GetInterfaceName()) == NORVIK_STATUS_ALREADY_DONE)
        return; // another process is the server
    if (IsOpen())
    {
        bool changed = false;
        (void)RefreshDeviceList(&changed);
        (void)OnDeviceListChanged();
    }

    int waitFailures = 0;
    for (bool running = true; running;)
    {
        const HANDLE handles[kSlotCount] = {stopEvent, arrivalEvent, MessageEvent(), NotificationEvent()};
        const DWORD count = IsOpen() ? kSlotCount : kArrivalSlot + 1;
        // Alertable, so that the device controllers' timer routines run on this thread.
        const DWORD result = WaitForMultipleObjectsEx(count, handles, FALSE, INFINITE, TRUE);
        waitFailures = result == WAIT_FAILED ? waitFailures + 1 : 0;
        switch (result)
        {
        case WAIT_OBJECT_0 + kStopSlot:
            running = false;
            break;
        case WAIT_OBJECT_0 + kArrivalSlot:
            // A handle whose connection broke (the driver was restarted) is closed by this check and
            // opened again.
            (void)CheckConnection();
            if (!IsOpen())
                (void)TryOpenDriver(GetInterfaceName());
            if (IsOpen())
            {
                bool changed = false;
                (void)RefreshDeviceList(&changed);
                if (changed)
                    (void)OnDeviceListChanged();
            }
            break;
        case WAIT_OBJECT_0 + kMessageSlot:
            ProcessRequests();
            break;
        case WAIT_OBJECT_0 + kNotificationSlot:
            ProcessEvents();
            break;
        case WAIT_IO_COMPLETION:
            break;
        case WAIT_FAILED:
            // A wait that keeps failing (a handle that is no longer valid) would spin here at time-critical
            // priority; a passing failure is forgiven, a lasting one ends the loop.
            running = waitFailures < kMaxWaitFailures;
            break;
        default:
            running = false;
            break;
        }
        // Only a list that is still empty when the turn ends lets the driver go: a unit may have come back
        // within the same turn, and closing then would drop its queued events and the server role with it.
        if (closePending)
        {
            closePending = false;
            if (DeviceCount() == 0)
                CloseAll();
        }
    }
}

NorvikStatus NorvikServer::TryOpenDriver(const wchar_t* name)
{
    return OpenWithRole(name, NORVIK_ROLE_SERVER);
}

NorvikStatus NorvikServer::OnDeviceListChanged()
{
    if (DeviceCount() == 0)
        closePending = true;
    else
        (void)BringStreamingUp(0);
    (void)PostNotification(NORVIK_NOTIFY_STREAMING_STATE_CHANGED);
    return PostNotification(NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
}

NorvikStatus NorvikServer::PostNotification(uint32_t code)
{
    NorvikMessage message;
    message.Init(NORVIK_MSG_NOTIFICATION, code);
    return SendMsg(message);
}

NorvikStatus NorvikServer::RefreshDeviceList(bool* changed)
{
    // A failed read counts as an empty list and costs every unit its controller and set-up, so a passing
    // failure is waited out first; only the last attempt's failure is taken as the list.
    NorvikDeviceList list{};
    NorvikStatus status = GetDeviceList(&list);
    for (int attempt = 1; attempt < kDeviceListAttempts && status != NORVIK_STATUS_SUCCESS; ++attempt)
    {
        Sleep(kDeviceListRetryPauseMs);
        status = GetDeviceList(&list);
    }
    ApplyDeviceList(status, list, changed);
    return status;
}

bool NorvikServer::KeepDraining(NorvikStatus received, int* failures)
{
    if (received == NORVIK_STATUS_SUCCESS)
    {
        *failures = 0;
        return true;
    }
    // The wait has taken the queue's event: a record left behind by a failed read would wait for some later,
    // unrelated wake and be acted on long after its sender gave up on it.
    return received != NORVIK_STATUS_NO_MORE_ITEMS && ++*failures < kMaxReceiveFailures;
}

void NorvikServer::ProcessRequests()
{
    NorvikMessage request;
    int failures = 0;
    for (NorvikStatus received = ReceiveMsg(&request); KeepDraining(received, &failures);
         received = ReceiveMsg(&request))
    {
        if (received != NORVIK_STATUS_SUCCESS || request.type != NORVIK_MSG_REQUEST)
            continue;
        NorvikMessage reply = ReplyTo(request, NORVIK_STATUS_INVALID_COMMAND);
        const NorvikStatus result = DispatchRequest(request, reply);
        if (result != NORVIK_STATUS_PENDING)
        {
            reply.result = result;
            (void)SendMsg(reply);
        }
    }
}

NorvikStatus NorvikServer::ReadPayload(const NorvikMessage& request, void* payload, uint32_t size)
{
    // The result tells a control panel whether it sent too much or too little; GetExactPayload, for
    // readers of replies and notifications, only says that the size is wrong.
    if (request.length > size)
        return NORVIK_STATUS_INVALID_LENGTH;
    return request.GetExactPayload(payload, size);
}

NorvikStatus NorvikServer::DispatchRequest(const NorvikMessage& request, NorvikMessage& reply)
{
    NorvikStatus status = NORVIK_STATUS_SUCCESS;
    switch (request.code)
    {
    case NORVIK_REQ_SET_SAMPLE_RATE:
    {
        uint32_t rate = 0;
        status = ReadPayload(request, &rate, sizeof(rate));
        return status != NORVIK_STATUS_SUCCESS ? status : SetSampleRate(rate);
    }
    case NORVIK_REQ_SET_BUFFER_SIZES:
    {
        NorvikSetBufferSizes sizes = {};
        status = ReadPayload(request, &sizes, sizeof(sizes));
        return status != NORVIK_STATUS_SUCCESS ? status : SetBufferSizes(sizes);
    }
    case NORVIK_REQ_SELECT_STREAMING_DEVICE:
    {
        NorvikStreamingDevice selection = {};
        status = ReadPayload(request, &selection, sizeof(selection));
        return status != NORVIK_STATUS_SUCCESS ? status : SelectStreamingDevice(selection);
    }
    case NORVIK_REQ_SET_DEVICE_OPTION:
    {
        uint8_t value = 0;
        status = ReadPayload(request, &value, sizeof(value));
        return status != NORVIK_STATUS_SUCCESS ? status : BroadcastDeviceOption(value);
    }
    case NORVIK_REQ_SET_POLICY:
    {
        uint32_t policy = 0;
        status = ReadPayload(request, &policy, sizeof(policy));
        return status != NORVIK_STATUS_SUCCESS ? status : SetPolicy(policy);
    }
    default:
        return DispatchCustomRequest(request, reply);
    }
}

NorvikStatus NorvikServer::DispatchCustomRequest(const NorvikMessage&, NorvikMessage&)
{
    return NORVIK_STATUS_INVALID_COMMAND;
}

NorvikStatus NorvikServer::CheckNotInUse(bool policyChange)
{
    NorvikStreamingStatus status = {};
    const NorvikStatus result = GetStreamingStatus(&status);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    const bool inUse = policyChange ? status.BlocksPolicyChange() : status.BlocksStreamSettingChange();
    return inUse ? NORVIK_STATUS_SOUND_DEVICE_IN_USE : NORVIK_STATUS_SUCCESS;
}

NorvikStatus NorvikServer::TakeStreamingDownForConfiguration()
{
    const NorvikStatus inUse = CheckNotInUse(true);
    return inUse != NORVIK_STATUS_SUCCESS ? inUse : BringStreamingDown(1);
}

NorvikStatus NorvikServer::SetSampleRate(uint32_t rate)
{
    NorvikStreamingStatus status = {};
    const NorvikStatus read = GetStreamingStatus(&status);
    if (read != NORVIK_STATUS_SUCCESS)
        return read;
    if (rate == status.sampleRate)
        return NORVIK_STATUS_SUCCESS;
    if (status.BlocksStreamSettingChange())
        return NORVIK_STATUS_SOUND_DEVICE_IN_USE;
    (void)AnnounceSampleRate(rate);
    // A change that does not happen must not leave its rate announced as the coming one.
    const uint32_t currentRate = status.sampleRate;
    uint32_t policy = 0;
    const uint32_t flag = GetPolicy(&policy) == NORVIK_STATUS_SUCCESS && ForbidsRateChange(policy) ? 1u : 0u;
    const NorvikStatus down = BringStreamingDown(flag);
    if (down != NORVIK_STATUS_SUCCESS)
    {
        (void)AnnounceSampleRate(currentRate);
        (void)PostNotification(NORVIK_NOTIFY_STREAMING_STATE_CHANGED);
        return down;
    }
    NorvikStatus result = SetDriverSampleRate(rate);
    if (result != NORVIK_STATUS_SUCCESS)
        (void)AnnounceSampleRate(currentRate);
    const NorvikStatus up = BringStreamingUp(flag);
    if (result == NORVIK_STATUS_SUCCESS)
        result = up;
    (void)PostNotification(NORVIK_NOTIFY_STREAMING_STATE_CHANGED);
    (void)PostNotification(NORVIK_NOTIFY_SAMPLE_RATE_CHANGED);
    return result;
}

template <class Change> NorvikStatus NorvikServer::ChangeWithStreamsDown(Change change)
{
    const NorvikStatus inUse = CheckNotInUse(false);
    if (inUse != NORVIK_STATUS_SUCCESS)
        return inUse;
    const NorvikStatus down = BringStreamingDown(0);
    if (down != NORVIK_STATUS_SUCCESS)
    {
        (void)PostNotification(NORVIK_NOTIFY_STREAMING_STATE_CHANGED);
        return down;
    }
    NorvikStatus result = change();
    const NorvikStatus up = BringStreamingUp(0);
    if (result == NORVIK_STATUS_SUCCESS)
        result = up;
    (void)PostNotification(NORVIK_NOTIFY_STREAMING_STATE_CHANGED);
    return result;
}

NorvikStatus NorvikServer::SetBufferSizes(const NorvikSetBufferSizes& sizes)
{
    return ChangeWithStreamsDown(
        [&] { return SetDriverBufferSizes(sizes.streamingClass, sizes.asioClass, sizes.thirdValue); });
}

NorvikStatus NorvikServer::SelectStreamingDevice(const NorvikStreamingDevice& selection)
{
    return ChangeWithStreamsDown(
        [&] { return SetStreamingDevice(selection.mode, selection.key1, selection.key2); });
}

NorvikStatus NorvikServer::BroadcastDeviceOption(uint8_t value)
{
    return ForEachController([&](NorvikDeviceCtrl& controller) { return controller.OnDeviceOption(value); });
}

NorvikStatus NorvikServer::SetPolicy(uint32_t policy)
{
    uint32_t current = 0;
    NorvikStatus result = GetPolicy(&current);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (current == policy)
        return NORVIK_STATUS_SUCCESS;
    result = TakeStreamingDownForConfiguration();
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    // A policy the driver refused is reported, once streaming is back up.
    result = SetDriverPolicy(policy);
    (void)BringStreamingUp(1);
    return result;
}
