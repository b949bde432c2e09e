#pragma once
#include "driverapi/NorvikDevice.h"
#include "wn/WnWaitableTimer.h"
#include "wn/WnWaitableTimerCallbackForwarderT.h"

#include <windows.h>

#include <functional>
#include <string>

class RegistryKey;
class WnEventLogWriter;

// A unit's settings kept for its next connection, when the user asked for it ("RestoreSettings" in the
// unit's key, off unless set). While it is on, the unit's settings are read a moment after the driver
// reports a change, and on every tick of the unit's timer, and stored under the unit's key as corvexctl's
// snapshot text; when the unit is connected again, what differs is written back. While it is off, the
// keeper sends the unit nothing.
class SettingsKeeper
{
  public:
    // Changes reported within this time are read together.
    static constexpr LONG kGatherMs = 1000;
    // A snapshot is some tens of kilobytes; a stored value far beyond that is not one.
    static constexpr size_t kMaxStoredChars = 1024 * 1024;

    // The unit owns the keeper; openKey opens or creates the unit's registry key.
    SettingsKeeper(NorvikDevice& device, std::function<DWORD(RegistryKey*)> openKey);
    SettingsKeeper(const SettingsKeeper&) = delete;
    SettingsKeeper& operator=(const SettingsKeeper&) = delete;

    // Not owned; null reports nothing.
    void SetEventLog(WnEventLogWriter* log) noexcept { log_ = log; }

    // After the unit's set-up: reads the switch and, when it is on, writes back what differs from the
    // stored settings. A stored state of another layout is not applied; both that and a failed write are
    // logged, and the unit keeps running either way.
    void OnArrival();
    bool IsOn() const noexcept { return on_; }
    // Turning it on stores the settings the unit has now; turning it off forgets the stored ones.
    [[nodiscard]] NorvikStatus SetOn(bool on);
    // The driver reported a change of the unit's settings.
    void OnChange();
    // The unit's periodic tick: catches what the driver does not report to the service (effect parameters).
    void OnTick();

  private:
    void OnGatherTimer(DWORD lowTime, DWORD highTime);
    // Reads the unit and stores its settings when they differ from what is stored.
    NorvikStatus Store();
    void Restore(const std::wstring& stored);
    std::wstring Serial() const;
    void LogWarning(const std::wstring& text) const;

    NorvikDevice& device_; // the owner
    std::function<DWORD(RegistryKey*)> openKey_;
    WnEventLogWriter* log_ = nullptr; // not owned
    bool on_ = false;
    bool gathering_ = false;
    std::string stored_; // the text last stored or read back, to skip writing the same again
    WnWaitableTimerCallbackForwarderT<SettingsKeeper> gatherForwarder_;
    WnWaitableTimer gatherTimer_; // after the forwarder: it is cancelled before the forwarder goes
};
