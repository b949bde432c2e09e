// The program's handle on the driver as a whole: the device list, and the two events through which the driver
// says that a message or a notification is queued for this handle.
#pragma once

#include "driverapi/NorvikApiContext.h"
#include "driverapi/NorvikDevice.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikMessage.h"

#include "wn/WnEvent.h"

#include <cstddef>
#include <memory>
#include <vector>

class NorvikDriver : public NorvikApiContext
{
  public:
    NorvikDriver();
    ~NorvikDriver() override;

    // Makes a new, closed device object for the device list.
    virtual std::unique_ptr<NorvikDevice> CreateDevice();

    // Opens the handle and registers the wanted events (auto-reset) with the driver. REJECTED when open.
    [[nodiscard]] NorvikStatus OpenWithEvents(const wchar_t* name, bool withMessageEvent,
                                              bool withNotificationEvent);
    // Both events and the given role; success at once when already open. A refused role closes the handle
    // again, so that a failed open leaves nothing half set up.
    [[nodiscard]] NorvikStatus OpenWithRole(const wchar_t* name, uint32_t role);
    // OpenWithRole with role 2.
    [[nodiscard]] NorvikStatus OpenAsClient(const wchar_t* name);
    // No events and the given role (3 or 4); success at once when already open.
    [[nodiscard]] NorvikStatus OpenAuxiliary(const wchar_t* name, uint32_t role);
    // Unregisters the events, closes the handle and both events. The device list stays.
    void CloseAll();

    // Brings the device list in line with the driver's. A unit reported again (same identity words and
    // serial) keeps its object with the new record, unless that object's handle was closed (its connection
    // broke): a new object replaces it. *changed is true when an object was added or removed.
    // On failure of the list request every device object is destroyed.
    [[nodiscard]] NorvikStatus UpdateDeviceList(bool* changed);
    size_t DeviceCount() const { return devices_.size(); }
    // Null when the index is out of range.
    NorvikDevice* DeviceAt(size_t index) const;
    // Null when no device has these keys.
    NorvikDevice* FindDevice(uint32_t key1, uint32_t key2) const;

    // The next pending notification (type 3); other records are dropped. NO_MORE_ITEMS when none is queued.
    [[nodiscard]] NorvikStatus ReceiveNotification(NorvikMessage* message);

    // Null while not created. The driver signals them; they reset when a wait takes them.
    HANDLE MessageEvent() const { return messageEvent_.Get(); }
    HANDLE NotificationEvent() const { return notificationEvent_.Get(); }
    const wchar_t* DriverName() const { return driverName_; }

    // Driver-wide requests. Counts in the returned lists are bounded by the records on success.
    [[nodiscard]] NorvikStatus SendMsg(const NorvikMessage& message);
    // Clears the whole record (type and code 0) before the request. INVALID_MSG_SIZE when the driver reports
    // success but less than a message header arrived.
    [[nodiscard]] NorvikStatus ReceiveMsg(NorvikMessage* message);
    [[nodiscard]] NorvikStatus SetEvents(HANDLE messageEvent, HANDLE notificationEvent);
    [[nodiscard]] NorvikStatus SetRole(uint32_t role);
    [[nodiscard]] NorvikStatus GetDeviceList(NorvikDeviceList* list);
    [[nodiscard]] NorvikStatus GetInChannelList(NorvikChannelList* list);
    [[nodiscard]] NorvikStatus GetOutChannelList(NorvikChannelList* list);
    [[nodiscard]] NorvikStatus GetChannelInfo(const NorvikChannelId& channel, NorvikChannelInfo* info);
    [[nodiscard]] NorvikStatus GetSampleRates(NorvikSampleRates* rates);
    [[nodiscard]] NorvikStatus GetBufferSizes(NorvikBufferSizes* sizes);
    [[nodiscard]] NorvikStatus GetStreamingStatus(NorvikStreamingStatus* status);
    [[nodiscard]] NorvikStatus GetErrorCounters(NorvikErrorCounters* counters);
    [[nodiscard]] NorvikStatus StreamingCommand(uint32_t command, uint32_t argument);
    [[nodiscard]] NorvikStatus SetDriverSampleRate(uint32_t rate);
    [[nodiscard]] NorvikStatus SetDriverBufferSizes(uint32_t streamingClass, uint32_t asioClass,
                                                    uint32_t thirdValue);
    [[nodiscard]] NorvikStatus AnnounceSampleRate(uint32_t rate);
    [[nodiscard]] NorvikStatus SetDriverPolicy(uint32_t flags);
    [[nodiscard]] NorvikStatus GetPolicy(uint32_t* flags);
    [[nodiscard]] NorvikStatus SetStreamingDevice(uint32_t mode, uint32_t key1, uint32_t key2);

  protected:
    // UpdateDeviceList's second half, for a list the caller has read already (`listed` is the status of that
    // read; a failed read counts as an empty list).
    void ApplyDeviceList(NorvikStatus listed, const NorvikDeviceList& list, bool* changed);

  private:
    [[nodiscard]] NorvikStatus ReceiveRecord(uint32_t code, NorvikMessage* message);
    [[nodiscard]] NorvikStatus GetChannelList(uint32_t code, NorvikChannelList* list);
    void SetDriverName(const wchar_t* name);
    // Opens the context on the driver name; after a lost connection it also closes every device, whose
    // handles went with that connection.
    [[nodiscard]] NorvikStatus OpenContext();

    std::vector<std::unique_ptr<NorvikDevice>> devices_;
    WnEvent messageEvent_;
    WnEvent notificationEvent_;
    wchar_t driverName_[NORVIK_DRIVER_NAME_CHARS];
};
