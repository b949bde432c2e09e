// The driver behind its control interface, as one thread-safe object: handles with roles, events and
// queues, the message relay between them, units, driver-wide state, fault injection and a request log.
// The in-process port and the pipe server both run every request through Ioctl.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikMessage.h"
#include "driverapi/NorvikStatus.h"
#include "simulator/SimRequest.h"
#include "simulator/SimUnit.h"
#include "wn/WnHandle.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// Where a driver notification goes.
enum class SimAudience
{
    Server,  // the handle that holds role 0
    Clients, // every handle with role 2
};

class DriverModel
{
  public:
    // Starts with `units` default units: high speed, the second one with the effect plug-in.
    explicit DriverModel(uint32_t units = 2);
    ~DriverModel();
    DriverModel(const DriverModel&) = delete;
    DriverModel& operator=(const DriverModel&) = delete;

    // --- Handles ---------------------------------------------------------------------------------------
    // A new handle; 0 when the driver is absent. Event handle values of SET_EVENTS are duplicated from
    // `eventSource` (a process handle with PROCESS_DUP_HANDLE that the caller keeps open while the handle
    // lives; GetCurrentProcess() in-process). `origin` tells apart who changed what: a change made through
    // a handle is not announced back to client handles of the same origin.
    [[nodiscard]] uint32_t OpenHandle(HANDLE eventSource = GetCurrentProcess(), uint32_t origin = 0);
    // Closes the handle: its role, events and queues go. Unknown ids are ignored.
    void ReleaseHandle(uint32_t handle);
    // Runs one request. The output is written only on success (or as an injected reply says);
    // *bytesReturned never exceeds outSize.
    [[nodiscard]] NorvikStatus Ioctl(uint32_t handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                                     uint32_t outSize, uint32_t* bytesReturned);

    // While absent, OpenHandle fails as a missing device does.
    void SetPresent(bool present);
    bool IsPresent() const;

    // --- Driver-wide ---------------------------------------------------------------------------------------
    void SetDriverInfo(const NorvikDriverInfo& info);
    NorvikDriverInfo DriverInfo() const;

    // --- Units -------------------------------------------------------------------------------------------
    // Fails with NORVIK_STATUS_NO_RESOURCES when 8 units are connected. Raises 3005 to the server.
    [[nodiscard]] NorvikStatus PlugUnit(const SimUnitSpec& spec, NorvikDeviceKeys* keys = nullptr);
    // NORVIK_STATUS_OBJECT_NOT_FOUND for unknown keys. Raises 3005 to the server.
    [[nodiscard]] NorvikStatus UnplugUnit(uint32_t key1, uint32_t key2);
    std::vector<NorvikDeviceRecord> Units() const;

    // --- Notifications -----------------------------------------------------------------------------------
    // Queues a driver notification (type 3) and signals the receivers' notification events.
    void Notify(SimAudience audience, uint32_t code, const void* payload = nullptr, uint32_t length = 0);

    // --- Fault injection ---------------------------------------------------------------------------------
    // The next `times` requests with `code` (-1: all) fail with `status` before the model looks at them.
    // A non-empty `output` is returned as the output bytes (cut to the caller's size), even with status 0:
    // that is how tests feed malformed records to the library.
    void InjectFault(uint32_t code, NorvikStatus status, int32_t times = 1, std::vector<uint8_t> output = {});
    void ClearFaults();

    // --- Inspection for tests ----------------------------------------------------------------------------
    size_t HandleCount() const;
    bool HasServer() const;
    size_t QueuedMessages(uint32_t handle) const;
    size_t QueuedNotifications(uint32_t handle) const;

    // Most notifications a queue keeps; older ones are dropped beyond it.
    static constexpr size_t kQueueLimit = 1024;

  private:
    struct Handle
    {
        uint32_t id = 0;
        uint32_t origin = 0;
        HANDLE eventSource = nullptr; // not owned: the opener keeps it open while the handle lives
        bool hasRole = false;
        uint32_t role = 0;
        WnHandle messageEvent;
        WnHandle notificationEvent;
        std::deque<NorvikMessage> messages;
        std::deque<NorvikMessage> notifications;
        uint32_t boundUnit = 0; // unit instance; 0 while unbound
    };

    struct Fault
    {
        NorvikStatus status;
        int32_t times;
        std::vector<uint8_t> output;
    };

    NorvikStatus Dispatch(Handle& handle, SimRequest& request);
    NorvikStatus DispatchDriverRequest(Handle& handle, SimRequest& request);
    bool TakeFault(uint32_t code, Fault* fault);

    NorvikStatus SendMessage(Handle& sender, SimRequest& request);
    NorvikStatus ReceiveFromQueue(std::deque<NorvikMessage>& queue, SimRequest& request);
    NorvikStatus SetEvents(Handle& handle, SimRequest& request);
    NorvikStatus SetRole(Handle& handle, SimRequest& request);
    NorvikStatus GetDeviceList(SimRequest& request);
    NorvikStatus BindDevice(Handle& handle, SimRequest& request);

    void Enqueue(Handle& target, const NorvikMessage& message, bool notification);
    void NotifyLocked(SimAudience audience, uint32_t code, const void* payload, uint32_t length,
                      uint32_t exceptOrigin = 0, bool skipOrigin = false);
    Handle* FindHandle(uint32_t id);
    const Handle* FindHandle(uint32_t id) const;
    Handle* ServerHandle();
    SimUnit* FindUnit(uint32_t key1, uint32_t key2);
    SimUnit* FindUnitByInstance(uint32_t instance);
    NorvikStatus PlugLocked(const SimUnitSpec& spec, NorvikDeviceKeys* keys);

    mutable std::mutex mutex_;
    bool present_ = true;
    uint32_t nextHandleId_ = 1;
    uint32_t nextUnitInstance_ = 1;
    uint32_t nextRequestTag_ = 1;
    std::map<uint32_t, Handle> handles_;
    std::vector<std::unique_ptr<SimUnit>> units_; // in plug order, which is the device list order
    NorvikDriverInfo info_{};
    std::map<uint32_t, Fault> faults_;
};
