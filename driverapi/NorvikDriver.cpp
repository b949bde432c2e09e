#include "driverapi/NorvikDriver.h"

#include "wn/WnLock.h"

#include <strsafe.h>

#include <algorithm>
#include <cstring>

namespace
{
uint64_t EventSlot(HANDLE event)
{
    // The driver reads the handle value from the low 32 bits.
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(event));
}
} // namespace

NorvikDriver::NorvikDriver() : driverName_{} {}

NorvikDriver::~NorvikDriver()
{
    CloseAll();
    devices_.clear();
}

std::unique_ptr<NorvikDevice> NorvikDriver::CreateDevice()
{
    return std::make_unique<NorvikDevice>();
}

NorvikStatus NorvikDriver::OpenWithEvents(const wchar_t* name, bool withMessageEvent,
                                          bool withNotificationEvent)
{
    WnLock lock(ContextLock());
    SetDriverName(name);
    NorvikStatus status = OpenContext();
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (withMessageEvent && !messageEvent_)
        status = messageEvent_.Create(false);
    if (status == NORVIK_STATUS_SUCCESS && withNotificationEvent && !notificationEvent_)
        status = notificationEvent_.Create(false);
    if (status == NORVIK_STATUS_SUCCESS)
    {
        status = SetEvents(withMessageEvent ? messageEvent_.Get() : nullptr,
                           withNotificationEvent ? notificationEvent_.Get() : nullptr);
    }
    if (status != NORVIK_STATUS_SUCCESS)
        Close();
    return status;
}

NorvikStatus NorvikDriver::OpenWithRole(const wchar_t* name, uint32_t role)
{
    WnLock lock(ContextLock());
    if (IsOpen())
        return NORVIK_STATUS_SUCCESS;
    NorvikStatus status = OpenWithEvents(name, true, true);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    status = SetRole(role);
    if (status != NORVIK_STATUS_SUCCESS)
        CloseAll();
    return status;
}

NorvikStatus NorvikDriver::OpenAsClient(const wchar_t* name)
{
    return OpenWithRole(name, NORVIK_ROLE_CLIENT);
}

NorvikStatus NorvikDriver::OpenAuxiliary(const wchar_t* name, uint32_t role)
{
    WnLock lock(ContextLock());
    if (IsOpen())
        return NORVIK_STATUS_SUCCESS;
    SetDriverName(name);
    NorvikStatus status = OpenContext();
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    status = SetEvents(nullptr, nullptr);
    if (status != NORVIK_STATUS_SUCCESS)
    {
        Close();
        return status;
    }
    status = SetRole(role);
    if (status != NORVIK_STATUS_SUCCESS)
        CloseAll();
    return status;
}

void NorvikDriver::CloseAll()
{
    WnLock lock(ContextLock());
    (void)SetEvents(nullptr, nullptr);
    Close();
    messageEvent_.Close();
    notificationEvent_.Close();
}

NorvikStatus NorvikDriver::UpdateDeviceList(bool* changed)
{
    WnLock lock(ContextLock());
    NorvikDeviceList list{};
    const NorvikStatus status = GetDeviceList(&list);
    ApplyDeviceList(status, list, changed);
    return status;
}

void NorvikDriver::ApplyDeviceList(NorvikStatus listed, const NorvikDeviceList& list, bool* changed)
{
    WnLock lock(ContextLock());
    *changed = false;
    std::vector<std::unique_ptr<NorvikDevice>> oldDevices;
    oldDevices.swap(devices_);

    const uint32_t count = listed == NORVIK_STATUS_SUCCESS ? list.count : 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const NorvikDeviceRecord& record = list.devices[i];
        auto same = std::find_if(oldDevices.begin(), oldDevices.end(),
                                 [&record](const std::unique_ptr<NorvikDevice>& device)
                                 { return device->IsOpen() && IsSameUnit(device->Record(), record); });
        if (same != oldDevices.end())
        {
            (*same)->UpdateRecord(record);
            devices_.push_back(std::move(*same));
            oldDevices.erase(same);
            continue;
        }
        std::unique_ptr<NorvikDevice> device = CreateDevice();
        if (device && device->Open(driverName_, record) == NORVIK_STATUS_SUCCESS)
        {
            devices_.push_back(std::move(device));
            *changed = true;
        }
    }
    if (!oldDevices.empty())
        *changed = true;
    oldDevices.clear();
}

NorvikDevice* NorvikDriver::DeviceAt(size_t index) const
{
    return index < devices_.size() ? devices_[index].get() : nullptr;
}

NorvikDevice* NorvikDriver::FindDevice(uint32_t key1, uint32_t key2) const
{
    for (const std::unique_ptr<NorvikDevice>& device : devices_)
        if (device->Key1() == key1 && device->Key2() == key2)
            return device.get();
    return nullptr;
}

NorvikStatus NorvikDriver::ReceiveNotification(NorvikMessage* message)
{
    WnLock lock(ContextLock());
    for (;;)
    {
        const NorvikStatus status = ReceiveRecord(NORVIK_IOCTL_RECEIVE_NOTIFICATION, message);
        if (status != NORVIK_STATUS_SUCCESS || message->type == NORVIK_MSG_NOTIFICATION)
            return status;
    }
}

NorvikStatus NorvikDriver::SendMsg(const NorvikMessage& message)
{
    if (message.length > NORVIK_MSG_MAX_PAYLOAD)
        return NORVIK_STATUS_INVALID_LENGTH;
    return Ioctl(NORVIK_IOCTL_SEND_MESSAGE, &message, message.WireSize(), nullptr, 0);
}

NorvikStatus NorvikDriver::ReceiveMsg(NorvikMessage* message)
{
    return ReceiveRecord(NORVIK_IOCTL_RECEIVE_MESSAGE, message);
}

NorvikStatus NorvikDriver::SetEvents(HANDLE messageEvent, HANDLE notificationEvent)
{
    const NorvikSetEvents events{EventSlot(messageEvent), EventSlot(notificationEvent)};
    return Ioctl(NORVIK_IOCTL_SET_EVENTS, &events, sizeof(events), nullptr, 0);
}

NorvikStatus NorvikDriver::SetRole(uint32_t role)
{
    return Ioctl(NORVIK_IOCTL_SET_ROLE, &role, sizeof(role), nullptr, 0);
}

NorvikStatus NorvikDriver::GetDeviceList(NorvikDeviceList* list)
{
    uint32_t bytes = 0;
    const NorvikStatus status = Ioctl(NORVIK_IOCTL_GET_DEVICE_LIST, nullptr, 0, list, sizeof(*list), &bytes);
    if (status == NORVIK_STATUS_SUCCESS)
    {
        list->count = BoundedCount(list->count, NORVIK_MAX_DEVICES, bytes,
                                   offsetof(NorvikDeviceList, devices), sizeof(NorvikDeviceRecord));
        for (uint32_t i = 0; i < list->count; ++i)
            TerminateRecordStrings(&list->devices[i]);
    }
    return status;
}

NorvikStatus NorvikDriver::GetInChannelList(NorvikChannelList* list)
{
    return GetChannelList(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, list);
}

NorvikStatus NorvikDriver::GetOutChannelList(NorvikChannelList* list)
{
    return GetChannelList(NORVIK_IOCTL_GET_OUT_CHANNEL_LIST, list);
}

NorvikStatus NorvikDriver::GetChannelInfo(const NorvikChannelId& channel, NorvikChannelInfo* info)
{
    const NorvikStatus status =
        Ioctl(NORVIK_IOCTL_GET_CHANNEL_INFO, &channel, sizeof(channel), info, sizeof(*info));
    if (status == NORVIK_STATUS_SUCCESS)
        info->name[ARRAYSIZE(info->name) - 1] = L'\0';
    return status;
}

NorvikStatus NorvikDriver::GetSampleRates(NorvikSampleRates* rates)
{
    uint32_t bytes = 0;
    const NorvikStatus status =
        Ioctl(NORVIK_IOCTL_GET_SAMPLE_RATES, nullptr, 0, rates, sizeof(*rates), &bytes);
    if (status == NORVIK_STATUS_SUCCESS)
    {
        rates->count = BoundedCount(rates->count, NORVIK_MAX_SAMPLE_RATES, bytes,
                                    offsetof(NorvikSampleRates, rates), sizeof(uint32_t));
    }
    return status;
}

NorvikStatus NorvikDriver::GetBufferSizes(NorvikBufferSizes* sizes)
{
    return Ioctl(NORVIK_IOCTL_GET_BUFFER_SIZES, nullptr, 0, sizes, sizeof(*sizes));
}

NorvikStatus NorvikDriver::GetStreamingStatus(NorvikStreamingStatus* status)
{
    return Ioctl(NORVIK_IOCTL_GET_STREAMING_STATUS, nullptr, 0, status, sizeof(*status));
}

NorvikStatus NorvikDriver::GetErrorCounters(NorvikErrorCounters* counters)
{
    return Ioctl(NORVIK_IOCTL_GET_ERROR_COUNTERS, nullptr, 0, counters, sizeof(*counters));
}

NorvikStatus NorvikDriver::StreamingCommand(uint32_t command, uint32_t argument)
{
    const NorvikStreamingCommand record{command, argument};
    return Ioctl(NORVIK_IOCTL_STREAMING_COMMAND, &record, sizeof(record), nullptr, 0);
}

NorvikStatus NorvikDriver::SetDriverSampleRate(uint32_t rate)
{
    return Ioctl(NORVIK_IOCTL_SET_SAMPLE_RATE, &rate, sizeof(rate), nullptr, 0);
}

NorvikStatus NorvikDriver::SetDriverBufferSizes(uint32_t streamingClass, uint32_t asioClass,
                                                uint32_t thirdValue)
{
    const NorvikSetBufferSizes record{streamingClass, asioClass, thirdValue};
    return Ioctl(NORVIK_IOCTL_SET_BUFFER_SIZES, &record, sizeof(record), nullptr, 0);
}

NorvikStatus NorvikDriver::AnnounceSampleRate(uint32_t rate)
{
    return Ioctl(NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE, &rate, sizeof(rate), nullptr, 0);
}

NorvikStatus NorvikDriver::SetDriverPolicy(uint32_t flags)
{
    return Ioctl(NORVIK_IOCTL_SET_POLICY, &flags, sizeof(flags), nullptr, 0);
}

NorvikStatus NorvikDriver::GetPolicy(uint32_t* flags)
{
    return Ioctl(NORVIK_IOCTL_GET_POLICY, nullptr, 0, flags, sizeof(*flags));
}

NorvikStatus NorvikDriver::SetStreamingDevice(uint32_t mode, uint32_t key1, uint32_t key2)
{
    const NorvikStreamingDevice record{mode, key1, key2};
    return Ioctl(NORVIK_IOCTL_SET_STREAMING_DEVICE, &record, sizeof(record), nullptr, 0);
}

NorvikStatus NorvikDriver::ReceiveRecord(uint32_t code, NorvikMessage* message)
{
    std::memset(message, 0, sizeof(*message));
    uint32_t bytes = 0;
    const NorvikStatus status = Ioctl(code, nullptr, 0, message, sizeof(*message), &bytes);
    // A success without a whole header is no message; taking it as one would drain an endless queue.
    if (status == NORVIK_STATUS_SUCCESS && bytes < NORVIK_MSG_HEADER_SIZE)
        return NORVIK_STATUS_INVALID_MSG_SIZE;
    return status;
}

NorvikStatus NorvikDriver::GetChannelList(uint32_t code, NorvikChannelList* list)
{
    uint32_t bytes = 0;
    const NorvikStatus status = Ioctl(code, nullptr, 0, list, sizeof(*list), &bytes);
    if (status == NORVIK_STATUS_SUCCESS)
    {
        list->count = BoundedCount(list->count, NORVIK_MAX_CHANNELS, bytes,
                                   offsetof(NorvikChannelList, channels), sizeof(NorvikChannelId));
    }
    return status;
}

void NorvikDriver::SetDriverName(const wchar_t* name)
{
    (void)StringCchCopyW(driverName_, ARRAYSIZE(driverName_), name);
}

NorvikStatus NorvikDriver::OpenContext()
{
    const bool lost = ConnectionLost();
    const NorvikStatus status = Open(driverName_);
    if (status == NORVIK_STATUS_SUCCESS && lost)
        for (const std::unique_ptr<NorvikDevice>& device : devices_)
            device->Close();
    return status;
}
