#include "simulator/DriverModel.h"

#include "simulator/SimCatalogue.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
bool IsValidRole(uint32_t role)
{
    return role == NORVIK_ROLE_SERVER || role == NORVIK_ROLE_CLIENT || role == NORVIK_ROLE_AUXILIARY ||
           role == NORVIK_ROLE_AUXILIARY_MIXER;
}
} // namespace

DriverModel::DriverModel(uint32_t units)
{
    for (uint32_t i = 0; i < units && i < NORVIK_MAX_DEVICES; ++i)
    {
        SimUnitSpec unitSpec;
        unitSpec.serial = L"CVX" + std::to_wstring(10001 + i);
        unitSpec.plugin = i == 1;
        (void)PlugLocked(unitSpec, nullptr);
    }
}

DriverModel::~DriverModel() = default;

uint32_t DriverModel::OpenHandle(HANDLE eventSource, uint32_t origin)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_)
        return 0;
    uint32_t id = nextHandleId_++;
    Handle& handle = handles_[id];
    handle.id = id;
    handle.origin = origin;
    handle.eventSource = eventSource;
    return id;
}

void DriverModel::ReleaseHandle(uint32_t handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.erase(handle);
}

void DriverModel::SetPresent(bool present)
{
    std::lock_guard<std::mutex> lock(mutex_);
    present_ = present;
}

bool DriverModel::IsPresent() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return present_;
}

NorvikStatus DriverModel::Ioctl(uint32_t handleId, uint32_t code, const void* in, uint32_t inSize, void* out,
                                uint32_t outSize, uint32_t* bytesReturned)
{
    if (bytesReturned)
        *bytesReturned = 0;
    if ((inSize != 0 && in == nullptr) || (outSize != 0 && out == nullptr))
        return NORVIK_STATUS_INVALID_PARAMETER;

    SimRequest request;
    request.code = code;
    if (inSize != 0)
        request.in.assign(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
    request.outSize = outSize;

    NorvikStatus status;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Handle* handle = FindHandle(handleId);
        Fault fault;
        if (handle == nullptr)
            status = NORVIK_STATUS_NOT_OPENED;
        else if (TakeFault(code, &fault))
        {
            status = fault.status;
            request.out = std::move(fault.output);
        }
        else
        {
            status = Dispatch(*handle, request);
            if (status != NORVIK_STATUS_SUCCESS)
                request.out.clear();
        }
        log_.Add(handleId, code, in, inSize, outSize, status);
    }

    uint32_t count = static_cast<uint32_t>(std::min<size_t>(request.out.size(), outSize));
    if (count != 0)
        std::memcpy(out, request.out.data(), count);
    if (bytesReturned)
        *bytesReturned = count;
    return status;
}

bool DriverModel::TakeFault(uint32_t code, Fault* fault)
{
    auto found = faults_.find(code);
    if (found == faults_.end())
        return false;
    if (found->second.pass > 0)
    {
        --found->second.pass;
        return false;
    }
    *fault = found->second;
    if (found->second.times > 0 && --found->second.times == 0)
        faults_.erase(found);
    return true;
}

NorvikStatus DriverModel::Dispatch(Handle& handle, SimRequest& request)
{
    if (request.code == NORVIK_IOCTL_BIND_DEVICE)
        return BindDevice(handle, request);
    const SimCatalogueEntry* entry = FindRequest(request.code);
    if (entry == nullptr)
        return NORVIK_STATUS_INVALID_IOCTL;
    bool bound = handle.boundUnit != 0;
    if (entry->scope == SimScope::Device && !bound)
        return NORVIK_STATUS_NO_DEVICE;
    if (entry->scope == SimScope::Driver && bound)
        return NORVIK_STATUS_NOT_ALLOWED;
    if (entry->scope == SimScope::Device)
    {
        SimUnit* unit = FindUnitByInstance(handle.boundUnit);
        if (unit == nullptr)
            return NORVIK_STATUS_DEVICE_REMOVED;
        return DispatchDeviceRequest(handle, *unit, request);
    }
    return DispatchDriverRequest(handle, request);
}

NorvikStatus DriverModel::DispatchDeviceRequest(Handle& handle, SimUnit& unit, SimRequest& request)
{
    SimUnit::Changes changes;
    NorvikStatus status = unit.Handle(request, &changes);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    // Announced to everyone but the side that made the change; the server keeps Windows in step.
    if (changes.volumes)
    {
        NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_VOLUMES_CHANGED, unit, &handle);
        NotifyUnit(SimAudience::Server, NORVIK_NOTIFY_VOLUMES_CHANGED, unit, &handle);
    }
    if (changes.weights)
        NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_WEIGHTS_CHANGED, unit, &handle);
    if (changes.state)
        NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, unit, &handle);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::DispatchDriverRequest(Handle& handle, SimRequest& request)
{
    switch (request.code)
    {
    case NORVIK_IOCTL_GET_DRIVER_INFO:
    {
        NorvikStatus status = request.ExpectSizes(0, sizeof(NorvikDriverInfo));
        request.WriteOut(state_.info);
        return status;
    }
    case NORVIK_IOCTL_SEND_MESSAGE:
        return RelayMessage(handle, request);
    case NORVIK_IOCTL_RECEIVE_MESSAGE:
        return ReceiveFromQueue(handle.messages, request);
    case NORVIK_IOCTL_RECEIVE_NOTIFICATION:
        return ReceiveFromQueue(handle.notifications, request);
    case NORVIK_IOCTL_SET_EVENTS:
        return SetEvents(handle, request);
    case NORVIK_IOCTL_SET_ROLE:
        return SetRole(handle, request);
    case NORVIK_IOCTL_GET_DEVICE_LIST:
        return GetDeviceList(request);
    case NORVIK_IOCTL_GET_IN_CHANNEL_LIST:
        return GetChannelList(request, false);
    case NORVIK_IOCTL_GET_OUT_CHANNEL_LIST:
        return GetChannelList(request, true);
    case NORVIK_IOCTL_GET_CHANNEL_INFO:
        return GetChannelInfo(request);
    case NORVIK_IOCTL_SET_STREAMING_DEVICE:
        return SetStreamingDevice(request);
    default:
    {
        SimDriverState::Changes changes;
        NorvikStatus status = state_.Handle(request, StreamingReadiness(), &changes);
        if (status == NORVIK_STATUS_SUCCESS && changes.rateOrBuffers)
            (void)NotifyLocked(SimAudience::Clients, NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED, nullptr, 0,
                               &handle);
        return status;
    }
    }
}

// Requests go from a client to the server, tagged with the sender so that the reply finds its way back;
// replies go to the handle the routing words name; the server's notifications go to every client.
NorvikStatus DriverModel::RelayMessage(Handle& sender, SimRequest& request)
{
    if (request.outSize != 0)
        return NORVIK_STATUS_INVALID_OUTBUFFER_SIZE;
    if (request.in.size() < NORVIK_MSG_HEADER_SIZE)
        return NORVIK_STATUS_INVALID_INBUFFER_SIZE;
    NorvikMessage message{};
    std::memcpy(&message, request.in.data(), NORVIK_MSG_HEADER_SIZE);
    if (message.headerSize != NORVIK_MSG_HEADER_SIZE)
        return NORVIK_STATUS_INVALID_HD_SIZE;
    if (message.length > NORVIK_MSG_MAX_PAYLOAD ||
        request.in.size() != NORVIK_MSG_HEADER_SIZE + message.length)
        return NORVIK_STATUS_INVALID_MSG_SIZE;
    if (message.length != 0)
        std::memcpy(message.payload, request.in.data() + NORVIK_MSG_HEADER_SIZE, message.length);

    bool isServer = sender.hasRole && sender.role == NORVIK_ROLE_SERVER;
    switch (message.type)
    {
    case NORVIK_MSG_REQUEST:
    {
        if (!sender.hasRole || sender.role != NORVIK_ROLE_CLIENT)
            return NORVIK_STATUS_NOT_ALLOWED;
        Handle* server = ServerHandle();
        if (server == nullptr)
            return NORVIK_STATUS_NO_SERVER;
        message.routing1 = sender.id;
        message.routing2 = nextRequestTag_++;
        message.result = 0;
        Enqueue(*server, message, false);
        return NORVIK_STATUS_SUCCESS;
    }
    case NORVIK_MSG_REPLY:
    {
        if (!isServer)
            return NORVIK_STATUS_NOT_ALLOWED;
        Handle* target = FindHandle(message.routing1);
        if (target == nullptr || target == &sender)
            return NORVIK_STATUS_INITIATOR_NOT_FOUND;
        Enqueue(*target, message, false);
        return NORVIK_STATUS_SUCCESS;
    }
    case NORVIK_MSG_NOTIFICATION:
        if (!isServer)
            return NORVIK_STATUS_NOT_ALLOWED;
        for (auto& entry : handles_)
        {
            Handle& target = entry.second;
            if (target.hasRole && target.role == NORVIK_ROLE_CLIENT)
                Enqueue(target, message, true);
        }
        return NORVIK_STATUS_SUCCESS;
    default:
        return NORVIK_STATUS_INVALID_MSG_TYPE;
    }
}

NorvikStatus DriverModel::ReceiveFromQueue(std::deque<NorvikMessage>& queue, SimRequest& request)
{
    NorvikStatus status = request.ExpectSizes(0, sizeof(NorvikMessage));
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (queue.empty())
        return NORVIK_STATUS_NO_MORE_ITEMS;
    request.WriteOut(queue.front());
    queue.pop_front();
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::SetEvents(Handle& handle, SimRequest& request)
{
    NorvikSetEvents events;
    NorvikStatus status = request.ReadIn(&events);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if ((events.messageEvent >> 32) != 0 || (events.notificationEvent >> 32) != 0)
        return NORVIK_STATUS_INVALID_PARAMETER;

    // Both are duplicated before either is replaced, so a bad value changes nothing.
    WnHandle duplicated[2];
    const uint64_t values[2] = {events.messageEvent, events.notificationEvent};
    for (int i = 0; i < 2; ++i)
    {
        if (values[i] == 0)
            continue;
        HANDLE source = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(values[i]));
        HANDLE copy = nullptr;
        if (!DuplicateHandle(handle.eventSource, source, GetCurrentProcess(), &copy, EVENT_MODIFY_STATE,
                             FALSE, 0))
            return NORVIK_STATUS_INVALID_PARAMETER;
        duplicated[i].Attach(copy);
    }
    handle.messageEvent = std::move(duplicated[0]);
    handle.notificationEvent = std::move(duplicated[1]);
    // Whatever is already queued must not wait for the next arrival to be noticed.
    if (handle.messageEvent && !handle.messages.empty())
        (void)SetEvent(handle.messageEvent.Get());
    if (handle.notificationEvent && !handle.notifications.empty())
        (void)SetEvent(handle.notificationEvent.Get());
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::SetRole(Handle& handle, SimRequest& request)
{
    uint32_t role;
    NorvikStatus status = request.ReadIn(&role);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (!IsValidRole(role))
        return NORVIK_STATUS_INVALID_PARAMETER;
    if (role == NORVIK_ROLE_SERVER)
    {
        Handle* server = ServerHandle();
        if (server != nullptr && server != &handle)
            return NORVIK_STATUS_ALREADY_DONE;
    }
    handle.hasRole = true;
    handle.role = role;
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::GetDeviceList(SimRequest& request)
{
    NorvikStatus status = request.ExpectSizes(0, sizeof(NorvikDeviceList));
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    NorvikDeviceList list{};
    for (const auto& unit : units_)
    {
        if (list.count == NORVIK_MAX_DEVICES)
            break;
        list.devices[list.count++] = unit->Record();
    }
    request.WriteOut(list);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::BindDevice(Handle& handle, SimRequest& request)
{
    NorvikDeviceKeys keys;
    NorvikStatus status = request.ReadIn(&keys);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (handle.boundUnit != 0)
        return NORVIK_STATUS_ALREADY_DONE;
    // A handle that took part in the message exchange stays a driver handle.
    if (handle.hasRole || handle.messageEvent || handle.notificationEvent)
        return NORVIK_STATUS_NOT_ALLOWED;
    SimUnit* unit = FindUnit(keys.key1, keys.key2);
    if (unit == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    handle.boundUnit = unit->Instance();
    return NORVIK_STATUS_SUCCESS;
}

void DriverModel::Enqueue(Handle& target, const NorvikMessage& message, bool notification)
{
    std::deque<NorvikMessage>& queue = notification ? target.notifications : target.messages;
    if (queue.size() >= kQueueLimit)
        queue.pop_front();
    queue.push_back(message);
    WnHandle& event = notification ? target.notificationEvent : target.messageEvent;
    if (event)
        (void)SetEvent(event.Get());
}

NorvikStatus DriverModel::Notify(SimAudience audience, uint32_t code, const void* payload, uint32_t length)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return NotifyLocked(audience, code, payload, length);
}

NorvikStatus DriverModel::NotifyLocked(SimAudience audience, uint32_t code, const void* payload,
                                       uint32_t length, const Handle* cause)
{
    NorvikMessage message;
    message.Init(NORVIK_MSG_NOTIFICATION, code);
    NorvikStatus status = message.SetPayload(payload, length);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    for (auto& entry : handles_)
    {
        Handle& target = entry.second;
        // Origin 0 is anonymous: in-process tests hear their own changes.
        if (!target.hasRole || (cause != nullptr && cause->origin != 0 && target.origin == cause->origin))
            continue;
        if ((audience == SimAudience::Server && target.role == NORVIK_ROLE_SERVER) ||
            (audience == SimAudience::Clients && target.role == NORVIK_ROLE_CLIENT))
            Enqueue(target, message, true);
    }
    return NORVIK_STATUS_SUCCESS;
}

void DriverModel::NotifyUnit(SimAudience audience, uint32_t code, const SimUnit& unit, const Handle* cause)
{
    NorvikDeviceKeys keys{unit.Key1(), unit.Key2()};
    (void)NotifyLocked(audience, code, &keys, sizeof(keys), cause);
}

void DriverModel::InjectFault(uint32_t code, NorvikStatus status, int32_t times, std::vector<uint8_t> output,
                              uint32_t pass)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (times == 0)
        faults_.erase(code);
    else
        faults_[code] = Fault{status, times < 0 ? -1 : times, std::move(output), pass};
}

void DriverModel::ClearFaults()
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.clear();
}

size_t DriverModel::HandleCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return handles_.size();
}

bool DriverModel::HasServer() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ServerHandle() != nullptr;
}

size_t DriverModel::QueuedMessages(uint32_t handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const Handle* found = FindHandle(handle);
    return found ? found->messages.size() : 0;
}

size_t DriverModel::QueuedNotifications(uint32_t handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const Handle* found = FindHandle(handle);
    return found ? found->notifications.size() : 0;
}

DriverModel::Handle* DriverModel::FindHandle(uint32_t id)
{
    auto found = handles_.find(id);
    return found == handles_.end() ? nullptr : &found->second;
}

const DriverModel::Handle* DriverModel::FindHandle(uint32_t id) const
{
    auto found = handles_.find(id);
    return found == handles_.end() ? nullptr : &found->second;
}

DriverModel::Handle* DriverModel::ServerHandle()
{
    return const_cast<Handle*>(static_cast<const DriverModel*>(this)->ServerHandle());
}

const DriverModel::Handle* DriverModel::ServerHandle() const
{
    for (const auto& entry : handles_)
        if (entry.second.hasRole && entry.second.role == NORVIK_ROLE_SERVER)
            return &entry.second;
    return nullptr;
}
