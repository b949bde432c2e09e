#pragma once
#include "driverapi/NorvikDevice.h"

#include <cstdint>
#include <string>

// A connected unit as the server sees it: the device object plus the hooks that the server calls around
// streaming changes, driver events and requests. Every hook is neutral here.
class NorvikDeviceCtrl : public NorvikDevice
{
  public:
    NorvikDeviceCtrl() = default;
    ~NorvikDeviceCtrl() override = default;

    NorvikStatus OnOpened() override;
    // The name of the unit's registry key: its serial, with any backslash written as %5C.
    virtual std::wstring GetRegistryName() const;
    // Called before each step of the state machine; a non-zero result stops a step upwards.
    virtual NorvikStatus BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t rate);
    virtual void AfterStreamingChange(uint32_t current, uint32_t target, uint32_t rate);
    virtual void StreamingChangeFailed(uint32_t current, uint32_t target, NorvikStatus error);
    // The unit's hardware volumes changed (driver event 3051).
    virtual void OnLevelsChanged();
    // A Windows endpoint changed (driver event 3060, kinds 1 and 2).
    virtual void OnEndpointEvent1(uint32_t index);
    virtual void OnEndpointEvent2(uint32_t index);
    // Request 1004.
    virtual NorvikStatus OnDeviceOption(uint8_t value);
    virtual NorvikStatus BeforeStreamingUp();
};
