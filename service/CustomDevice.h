#pragma once
#include "service/NorvikDeviceCtrl.h"
#include "service/SettingsKeeper.h"
#include "wn/WnWaitableTimer.h"
#include "wn/WnWaitableTimerCallbackForwarderT.h"

#include <cstdint>
#include <string>

class RegistryKey;

// The product's controller of one unit: prepares it for Windows when it is bound (stored sound device
// configuration, virtual channels, channel names, endpoint table, endpoint units), switches the endpoint
// units with streaming and keeps Windows endpoint volumes and the unit's output volumes in step.
class CustomDevice : public NorvikDeviceCtrl
{
  public:
    static constexpr LONG kTimerPeriodMs = 3000;
    static constexpr uint32_t kPinConfigDirection = 2;

    // registryKeyPath: the server's key under HKEY_LOCAL_MACHINE that holds "Devices".
    explicit CustomDevice(std::wstring registryKeyPath);
    ~CustomDevice() override;

    NorvikStatus OnOpened() override;
    NorvikStatus BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t rate) override;
    void OnLevelsChanged() override;
    void OnEndpointEvent2(uint32_t index) override;

    [[nodiscard]] NorvikStatus LoadWdmConfiguration();
    [[nodiscard]] NorvikStatus SaveWdmConfiguration();
    [[nodiscard]] NorvikStatus SendVirtualConfiguration();
    [[nodiscard]] NorvikStatus SendChannelNames();
    [[nodiscard]] NorvikStatus SendWdmEndpoints();
    bool HasKind2Item();
    [[nodiscard]] NorvikStatus SelectUnits();
    // values: the payload of request 11001 (key 1, key 2, render value, capture value). Only (0, 0) is
    // accepted; it is stored and the full endpoint table is sent again.
    [[nodiscard]] NorvikStatus ApplyWdmConfiguration(const uint32_t (&values)[4]);

    // The unit's settings kept for its next connection (off unless the user turned it on).
    SettingsKeeper& Settings() noexcept { return settings_; }
    // The driver reported a change of the unit's mixer, bypass or pass-through settings.
    void OnSettingsChanged() { settings_.OnChange(); }

    uint32_t RenderConfig() const { return renderConfig; }
    uint32_t CaptureConfig() const { return captureConfig; }
    // The endpoint table last sent.
    const NorvikWdmEndpoints& Endpoints() const { return endpoints_; }

  protected:
    // Each expiry of the 3000 ms timer, on the server thread during its alertable wait. Nothing to do yet.
    virtual void HandleTimer(DWORD lowTime, DWORD highTime);

    uint32_t renderConfig = 0;
    uint32_t captureConfig = 0;

  private:
    // Opens or creates "<path>\\Devices\\<serial>".
    [[nodiscard]] DWORD OpenUnitKey(RegistryKey* key) const;
    // Both endpoint units to `value`; every unit is tried, the first failure is returned.
    NorvikStatus SelectEndpoints(uint32_t value);
    // The volume items of one render entry: two per channel pair (at most 16).
    static uint32_t BuildVolumeItems(const NorvikWdmEndpointEntry& entry, NorvikVolumeItem (&items)[16]);

    std::wstring registryKeyPath_;
    NorvikWdmEndpoints endpoints_;
    SettingsKeeper settings_;
    WnWaitableTimer timer_;
    WnWaitableTimerCallbackForwarderT<CustomDevice> timerForwarder_;
};
