// One connected unit with a handle of its own bound to it, so its requests address that unit only.
#pragma once

#include "driverapi/NorvikApiContext.h"
#include "driverapi/NorvikIoctl.h"

#include <cstdint>

constexpr size_t NORVIK_DRIVER_NAME_CHARS = 100;

class NorvikDevice : public NorvikApiContext
{
  public:
    NorvikDevice();
    ~NorvikDevice() override;

    // Opens a handle on the driver, binds it to the record's keys and runs OnOpened; any failure closes the
    // handle again. A device object is opened once in its life.
    [[nodiscard]] NorvikStatus Open(const wchar_t* driverName, const NorvikDeviceRecord& record);

    // Runs at the end of a successful open and bind; a failure closes the handle and fails the open.
    [[nodiscard]] virtual NorvikStatus OnOpened();

    const NorvikDeviceRecord& Record() const { return record_; }
    // The driver reported the same unit again; keys and flags may have changed.
    void UpdateRecord(const NorvikDeviceRecord& record);
    const wchar_t* DriverName() const { return driverName_; }

    uint32_t Key1() const { return record_.key1; }
    uint32_t Key2() const { return record_.key2; }
    const wchar_t* Serial() const { return record_.serial; }
    const wchar_t* Name() const { return record_.name; }
    bool IsHighSpeed() const { return record_.IsHighSpeed(); }
    bool HasPlugin() const { return record_.HasPlugin(); }
    bool IsStreamingDevice() const { return record_.IsStreamingDevice(); }

    // Requests on this unit. Array requests take the element count; the items are both input and output.
    [[nodiscard]] NorvikStatus BindDevice(uint32_t key1, uint32_t key2);
    [[nodiscard]] NorvikStatus GetSpdifInStatus(uint32_t inputIndex, NorvikSpdifInStatus* status);
    [[nodiscard]] NorvikStatus SetSpdifPassThrough(uint32_t selector1, uint32_t selector2, bool enable);
    // *enabled is left alone when the request fails.
    [[nodiscard]] NorvikStatus GetSpdifPassThrough(uint32_t selector1, uint32_t selector2, bool* enabled);
    [[nodiscard]] NorvikStatus SetVolumeBypass(bool on);
    // *on is false when the request fails.
    [[nodiscard]] NorvikStatus GetVolumeBypass(bool* on);
    [[nodiscard]] NorvikStatus SetMuteBypass(bool on);
    [[nodiscard]] NorvikStatus GetMuteBypass(bool* on);
    // *count is the capacity of pins on input and the descriptors returned on output, stored even on failure.
    [[nodiscard]] NorvikStatus GetMixerPins(uint32_t selector, NorvikPin* pins, uint32_t* count);
    [[nodiscard]] NorvikStatus GetInputLevels(NorvikLevelItem* items, uint32_t count);
    [[nodiscard]] NorvikStatus GetOutputLevels(NorvikLevelItem* items, uint32_t count);
    [[nodiscard]] NorvikStatus GetPinVolumes(NorvikVolumeItem* items, uint32_t count);
    [[nodiscard]] NorvikStatus SetPinVolumes(NorvikVolumeItem* items, uint32_t count);
    [[nodiscard]] NorvikStatus GetCrosspointWeights(NorvikWeightItem* items, uint32_t count);
    [[nodiscard]] NorvikStatus SetCrosspointWeights(NorvikWeightItem* items, uint32_t count);
    // record->selector, count and pairs go in; the driver's answer comes back in the same record.
    [[nodiscard]] NorvikStatus QueryPlugin(NorvikPluginRecord* record);
    [[nodiscard]] NorvikStatus SetPluginParameters(const NorvikPluginRecord& record);
    // On success topology->topology.count is bounded by the twelve entries that fit.
    [[nodiscard]] NorvikStatus GetEndpointTopology(NorvikEndpointTopologyBuffer* topology);
    [[nodiscard]] NorvikStatus SetWdmConfig(const NorvikWdmConfig& config);
    [[nodiscard]] NorvikStatus SetChannelNames(const NorvikChannelNames& names);
    [[nodiscard]] NorvikStatus SetWdmEndpoints(const NorvikWdmEndpoints& endpoints);
    // Zeroes *config and fills its first two words before the request.
    [[nodiscard]] NorvikStatus GetWdmPinConfig(uint32_t direction, uint32_t endpointIndex,
                                               NorvikWdmPinConfig* config);
    [[nodiscard]] NorvikStatus SetWdmPinConfig(const NorvikWdmPinConfig& config);
    [[nodiscard]] NorvikStatus SelectEndpoint(uint32_t unit, uint32_t value);
    [[nodiscard]] NorvikStatus SetEndpointDefault(uint32_t unit, uint32_t value = 8);

  private:
    [[nodiscard]] NorvikStatus ArrayRequest(uint32_t code, void* items, uint32_t count, uint32_t itemSize);
    [[nodiscard]] NorvikStatus GetFlag(uint32_t code, bool* on);
    [[nodiscard]] NorvikStatus SetFlag(uint32_t code, bool on);

    NorvikDeviceRecord record_;
    wchar_t driverName_[NORVIK_DRIVER_NAME_CHARS];
};

// Cuts the record's strings at their arrays' ends, so a record from the driver is never read past them.
void TerminateRecordStrings(NorvikDeviceRecord* record);

// The same unit: equal identity words and an equal serial (exact, case-sensitive).
bool IsSameUnit(const NorvikDeviceRecord& a, const NorvikDeviceRecord& b);
