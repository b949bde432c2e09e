#pragma once
#include "driverapi/NorvikDriver.h"
#include "driverapi/NorvikMessage.h"
#include "service/NorvikDeviceCtrl.h"

#include <windows.h>

#include <cstdint>
#include <type_traits>

// The driver's one server: answers the control panels' setting requests, reacts to the driver's events and
// drives the streaming state machine (Down, Ready, Prepared, Running) around every change. Its whole life
// runs on the thread that calls RunServer; other threads reach it only through the stop and arrival events.
class NorvikServer : public NorvikDriver
{
  public:
    NorvikServer() = default;
    ~NorvikServer() override = default;

    std::unique_ptr<NorvikDevice> CreateDevice() override;

    virtual const wchar_t* GetServiceName() const;
    virtual const wchar_t* GetDisplayName() const;
    virtual const wchar_t* GetDescription() const;
    virtual void GetInterfaceGuid(GUID* guid) const;
    virtual const wchar_t* GetInterfaceName() const;
    virtual const wchar_t* GetRegistryKeyPath() const;

    // Brings streaming up (or lets the driver close when no unit is left), then posts 3010 and 3030.
    virtual NorvikStatus OnDeviceListChanged();
    virtual NorvikStatus DispatchRequest(const NorvikMessage& request, NorvikMessage& reply);
    virtual NorvikStatus DispatchCustomRequest(const NorvikMessage& request, NorvikMessage& reply);
    virtual NorvikStatus SetSampleRate(uint32_t rate);
    virtual NorvikStatus SetBufferSizes(const NorvikSetBufferSizes& sizes);
    virtual NorvikStatus SelectStreamingDevice(const NorvikStreamingDevice& selection);
    virtual NorvikStatus BroadcastDeviceOption(uint8_t value);
    virtual NorvikStatus SetPolicy(uint32_t policy);
    virtual void DispatchEvent(const NorvikMessage& event);
    virtual void OnUnknownEvent(const NorvikMessage& event);
    // The driver's events, one hook each; 3021 has none, it is ignored.
    virtual void OnEvent3003();                       // a client started: streaming up
    virtual void OnEvent3004();                       // a client stopped: idle streams back to Ready
    virtual void OnEvent3006();                       // streaming up, as for 3003
    virtual void OnEvent3005();                       // the driver's unit list changed: reread it
    virtual void OnEvent3015(uint32_t a, uint32_t b); // streaming up; a and b unused
    virtual void OnEvent3016(uint32_t a, uint32_t b); // idle streams back to Ready; a and b unused
    virtual void OnEvent3020();                       // channel configuration changed: the panels hear 3030
    virtual void OnEvent3051(uint32_t key1, uint32_t key2); // a unit's volumes changed
    virtual void OnEvent3060(const uint32_t (&record)[4]);  // a Windows endpoint volume of a unit changed
    // True while a client of the driver uses the streams (status words 3, 4, 6 or 7).
    virtual bool IsStreamingInUse(const NorvikStreamingStatus& status);
    // The device controllers' hooks, in list order; the first non-zero result of a Before hook stops.
    virtual NorvikStatus BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t rate);
    virtual void AfterStreamingChange(uint32_t current, uint32_t target, uint32_t rate);
    virtual void StreamingChangeFailed(uint32_t current, uint32_t target, NorvikStatus error);
    virtual NorvikStatus BeforeStreamingUp();

    // Returns when stopEvent is signalled, when the wait breaks down, or at once when another process holds
    // the server role.
    void RunServer(HANDLE stopEvent, HANDLE arrivalEvent);
    // Opens the driver and takes the server role; success at once when open.
    NorvikStatus TryOpenDriver(const wchar_t* name);
    void ProcessRequests();
    void ProcessEvents();
    // flag: 1 for policy and configuration changes, the policy's bit 0 for rate changes, else 0.
    NorvikStatus BringStreamingUp(uint32_t flag);
    NorvikStatus BringStreamingDown(uint32_t flag);
    // Takes Prepared or Running back to Ready when no client uses the streams.
    NorvikStatus IdleStreamingDown();
    NorvikStatus PostNotification(uint32_t code);

    // A request's payload of exactly `size` bytes: INVALID_LENGTH when longer, INVALID_MSG_SIZE when shorter.
    static NorvikStatus ReadPayload(const NorvikMessage& request, void* payload, uint32_t size);

    // A state machine that does not reach its goal within this many steps is broken; it gives up.
    static constexpr int kMaxStreamingSteps = 16;
    // Reads of the device list before a failure is taken as an empty list, and the pause between them.
    static constexpr int kDeviceListAttempts = 4;
    static constexpr DWORD kDeviceListRetryPauseMs = 50;
    // Failed reads in a row after which a queue is left until its next event.
    static constexpr int kMaxReceiveFailures = 4;
    // Failed waits in a row after which the loop gives up.
    static constexpr int kMaxWaitFailures = 16;

  protected:
    // The device controller at index, or null for devices of another kind.
    NorvikDeviceCtrl* ControllerAt(size_t index) const;
    // Calls `call` on every device controller in list order. A call that returns a status stops the round
    // at its first failure, which is returned.
    template <class Call> NorvikStatus ForEachController(Call call) const
    {
        for (size_t i = 0; i < DeviceCount(); ++i)
        {
            NorvikDeviceCtrl* controller = ControllerAt(i);
            if (controller == nullptr)
                continue;
            if constexpr (std::is_void_v<decltype(call(*controller))>)
                call(*controller);
            else if (const NorvikStatus result = call(*controller); result != NORVIK_STATUS_SUCCESS)
                return result;
        }
        return NORVIK_STATUS_SUCCESS;
    }
    // Reads the streaming status and refuses a change while a client streams: status words 4 or 5 for rate,
    // buffer and device changes, word 4 alone for policy and configuration changes.
    NorvikStatus CheckNotInUse(bool policyChange);
    // Prepared or Running to Ready (command 6) with the hooks around it.
    NorvikStatus StepDownToReady(uint32_t state, uint32_t rate);
    // Policy and configuration changes: refused while a client streams, else streaming goes down (flag 1).
    NorvikStatus TakeStreamingDownForConfiguration();
    // Shared by the buffer-size and streaming-device requests: down, change, up, notify.
    template <class Change> NorvikStatus ChangeWithStreamsDown(Change change);
    // UpdateDeviceList with one read of the list; only a failed read is tried again, a few times.
    NorvikStatus RefreshDeviceList(bool* changed);
    // Whether draining a queue goes on after a read with this result; counts the failures in a row.
    static bool KeepDraining(NorvikStatus received, int* failures);

    bool closePending = false;
};
