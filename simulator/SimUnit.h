// One connected unit as the driver models it: its device record and everything its device requests read
// and set.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "simulator/SimRequest.h"

#include <cstdint>
#include <string>

// What a plug command asks for; the model picks the keys.
struct SimUnitSpec
{
    std::wstring serial;            // up to 19 characters
    std::wstring name = L"Corvex";  // up to 41 characters
    uint16_t identity1 = 0x2A39;
    uint16_t identity2 = 0x0102;
    bool highSpeed = true;
    bool plugin = false;
    bool spdifIn = true; // without it the S/P-DIF input status is OBJECT_NOT_FOUND
};

class SimUnit
{
  public:
    SimUnit(uint32_t instance, const SimUnitSpec& spec, uint32_t key1, uint32_t key2);

    // Never reused within one model: a handle bound to an unplugged unit stays orphaned even when the
    // same serial comes back.
    uint32_t Instance() const { return instance_; }
    const NorvikDeviceRecord& Record() const { return record_; }
    uint32_t Key1() const { return record_.key1; }
    uint32_t Key2() const { return record_.key2; }
    std::wstring Serial() const;
    bool IsHighSpeed() const { return (record_.speedFlags & 1) != 0; }

    // Returns true when the flag changed.
    bool SetStreamingFlag(bool selected);

  private:
    uint32_t instance_;
    NorvikDeviceRecord record_{};
};
