// The driver behind its control interface, as one thread-safe object: handles with roles, events and
// queues, the message relay between them, units, driver-wide state, fault injection and a request log.
// The in-process port and the pipe server both run every request through Ioctl; the control commands and
// tests change the state through the other members, which raise the driver's notifications as a real
// driver would.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikMessage.h"
#include "driverapi/NorvikStatus.h"
#include "simulator/SimDriverState.h"
#include "simulator/SimRequest.h"
#include "simulator/SimRequestLog.h"
#include "simulator/SimUnit.h"
#include "wn/WnHandle.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
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
    // Starts with `units` default units (serials CVX10001...): high speed, the second one with the effect
    // plug-in; the first is selected for streaming.
    explicit DriverModel(uint32_t units = 2);
    ~DriverModel();
    DriverModel(const DriverModel&) = delete;
    DriverModel& operator=(const DriverModel&) = delete;

    // --- Handles ---------------------------------------------------------------------------------------
    // A new handle; 0 when the driver is absent. Event handle values of SET_EVENTS are duplicated from
    // `eventSource` (a process handle with PROCESS_DUP_HANDLE that the caller keeps open while the handle
    // lives; GetCurrentProcess() in-process). `origin` tells apart who changed what (the pipe server uses
    // the client's process id): a change made through a handle is not announced back to handles of the
    // same origin, unless the origin is 0.
    [[nodiscard]] uint32_t OpenHandle(HANDLE eventSource = GetCurrentProcess(), uint32_t origin = 0);
    // Closes the handle: its role, events and queues go. Unknown ids are ignored.
    void ReleaseHandle(uint32_t handle);
    // Runs one request. The output is written only on success (or as an injected fault says);
    // *bytesReturned never exceeds outSize.
    [[nodiscard]] NorvikStatus Ioctl(uint32_t handle, uint32_t code, const void* in, uint32_t inSize,
                                     void* out, uint32_t outSize, uint32_t* bytesReturned);

    // While absent, OpenHandle fails as a missing device does.
    void SetPresent(bool present);
    bool IsPresent() const;

    // --- Driver-wide (notifications: 3001 to clients for rate and buffers, 3003/3004 to the server) ------
    void SetDriverInfo(const NorvikDriverInfo& info);
    NorvikDriverInfo DriverInfo() const;
    // At most 12 rates; NORVIK_STATUS_INVALID_PARAMETER for more or none.
    [[nodiscard]] NorvikStatus SetSampleRates(const std::vector<uint32_t>& rates);
    // The driver's own change (an ASIO host, say): any rate, any state.
    void SetCurrentRate(uint32_t rate);
    void SetBufferClasses(uint32_t streamingClass, uint32_t asioClass, uint32_t thirdValue);
    // Words 3 to 8 of the streaming status.
    void SetActivity(const uint32_t (&words)[6]);
    // A streaming client of the driver starts or stops: status word `word` (3..8) goes up or down by one.
    [[nodiscard]] NorvikStatus StartClient(uint32_t word);
    [[nodiscard]] NorvikStatus StopClient(uint32_t word);
    void SetErrorCounters(const uint32_t (&counters)[5]);
    [[nodiscard]] NorvikStatus SetStreamingState(uint32_t state);
    void SetPolicy(uint32_t policy);
    // A copy of the driver-wide state.
    SimDriverState Settings() const;

    // --- Units (3005 to the server on plug and unplug; 3040/3051/3060/3020 as each member says) ----------
    // Fails with NORVIK_STATUS_NO_RESOURCES when 8 units are connected.
    [[nodiscard]] NorvikStatus PlugUnit(const SimUnitSpec& unitSpec, NorvikDeviceKeys* keys = nullptr);
    // NORVIK_STATUS_OBJECT_NOT_FOUND for unknown keys.
    [[nodiscard]] NorvikStatus UnplugUnit(uint32_t key1, uint32_t key2);
    std::vector<NorvikDeviceRecord> Units() const;
    bool FindUnitBySerial(const std::wstring& serial, NorvikDeviceKeys* keys) const;
    // S/P-DIF input state; 3040 to clients.
    [[nodiscard]] NorvikStatus SetSpdifIn(NorvikDeviceKeys keys, bool present,
                                          const NorvikSpdifInStatus& status);
    // A volume turned at the unit; 3051 to the server and to clients.
    [[nodiscard]] NorvikStatus ChangeHardwareVolume(NorvikDeviceKeys keys, NorvikPin pin, int16_t volume,
                                                    bool mute);
    // A Windows render endpoint's volume changed (levels in 16.16 dB); 3060 {keys, 2, index} to the server.
    [[nodiscard]] NorvikStatus ChangeEndpointVolume(NorvikDeviceKeys keys, uint32_t index,
                                                    const std::vector<int32_t>& levels,
                                                    const std::vector<uint32_t>& switches);
    // Whether the endpoint topology has an item of kind 2; 3020 to the server.
    [[nodiscard]] NorvikStatus SetKind2Topology(NorvikDeviceKeys keys, bool on);
    // Other pin lists for a unit (SimMixer::SetPinCounts); 3050 to clients.
    [[nodiscard]] NorvikStatus SetMixerPins(NorvikDeviceKeys keys, uint32_t outputs, uint32_t hardwareInputs,
                                            uint32_t softwareOutputs);
    // For every unit, present and future.
    void SetLevelsMode(SimLevelsMode mode, int16_t fixedLevel = 0);

    // --- Notifications -----------------------------------------------------------------------------------
    // Queues a driver notification (type 3) and signals the receivers' notification events. Payloads over
    // 512 bytes are refused with NORVIK_STATUS_INVALID_LENGTH.
    NorvikStatus Notify(SimAudience audience, uint32_t code, const void* payload = nullptr,
                        uint32_t length = 0);

    // --- Fault injection ---------------------------------------------------------------------------------
    // The next `times` requests with `code` (-1: all; 0 removes the fault) fail with `status` before the
    // model looks at them. A non-empty `output` is returned as the output bytes (cut to the caller's
    // size), even with status 0: that is how tests feed malformed records to the library. The first `pass`
    // requests with `code` go through untouched, so that a later sending of the same request can be hit.
    void InjectFault(uint32_t code, NorvikStatus status, int32_t times = 1, std::vector<uint8_t> output = {},
                     uint32_t pass = 0);
    void ClearFaults();

    // --- Inspection ----------------------------------------------------------------------------------------
    size_t HandleCount() const;
    bool HasServer() const;
    size_t QueuedMessages(uint32_t handle) const;
    size_t QueuedNotifications(uint32_t handle) const;
    std::vector<SimLogEntry> RequestLog() const;
    std::string RequestLogJson() const;
    void ClearRequestLog();
    // The whole state as one line of JSON: driver-wide values, handles, units with every record the
    // service sent, faults.
    std::string DumpJson() const;

    // Most messages or notifications a queue keeps; older ones are dropped beyond it.
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
        uint32_t pass;
    };

    NorvikStatus Dispatch(Handle& handle, SimRequest& request);
    NorvikStatus DispatchDriverRequest(Handle& handle, SimRequest& request);
    NorvikStatus DispatchDeviceRequest(Handle& handle, SimUnit& unit, SimRequest& request);
    bool TakeFault(uint32_t code, Fault* fault);

    NorvikStatus RelayMessage(Handle& sender, SimRequest& request);
    NorvikStatus ReceiveFromQueue(std::deque<NorvikMessage>& queue, SimRequest& request);
    NorvikStatus SetEvents(Handle& handle, SimRequest& request);
    NorvikStatus SetRole(Handle& handle, SimRequest& request);
    NorvikStatus GetDeviceList(SimRequest& request);
    NorvikStatus BindDevice(Handle& handle, SimRequest& request);

    // Units and streaming selection (DriverModelUnits.cpp).
    NorvikStatus SetStreamingDevice(SimRequest& request);
    NorvikStatus GetChannelList(SimRequest& request, bool outputs);
    NorvikStatus GetChannelInfo(SimRequest& request);
    NorvikStatus StreamingReadiness() const;
    void UpdateStreamingFlags();
    NorvikStatus PlugLocked(const SimUnitSpec& unitSpec, NorvikDeviceKeys* keys);

    void Enqueue(Handle& target, const NorvikMessage& message, bool notification);
    // `cause` is the handle whose request caused the notification; handles of its origin are skipped.
    NorvikStatus NotifyLocked(SimAudience audience, uint32_t code, const void* payload, uint32_t length,
                              const Handle* cause = nullptr);
    void NotifyUnit(SimAudience audience, uint32_t code, const SimUnit& unit, const Handle* cause = nullptr);
    Handle* FindHandle(uint32_t id);
    const Handle* FindHandle(uint32_t id) const;
    Handle* ServerHandle();
    const Handle* ServerHandle() const;
    SimUnit* FindUnit(uint32_t key1, uint32_t key2);
    SimUnit* FindUnitByInstance(uint32_t instance) const;

    mutable std::mutex mutex_;
    bool present_ = true;
    uint32_t nextHandleId_ = 1;
    uint32_t nextUnitInstance_ = 1;
    uint32_t nextRequestTag_ = 1;
    std::map<uint32_t, Handle> handles_;
    std::vector<std::unique_ptr<SimUnit>> units_; // in plug order, which is the device list order
    uint32_t streamingUnit_ = 0;                  // instance selected in mode 0; 0 for none
    SimDriverState state_;
    SimLevelsMode levelsMode_ = SimLevelsMode::Moving;
    int16_t fixedLevel_ = 0;
    std::map<uint32_t, Fault> faults_;
    SimRequestLog log_;
};
