// The control panel's client of the driver and, through it, of the service: the requests of every client plus
// the two for a unit's Windows sound device configuration.
#pragma once

#include "driverapi/NorvikClient.h"

#include <windows.h>
#include <cstdint>

// The device interface class of the driver; its string form is the driver's interface name.
constexpr GUID kNorvikInterfaceClass = {
    0x53A43FDF, 0x0796, 0x4483, {0x95, 0x47, 0xA6, 0xB2, 0x5C, 0x1F, 0xA3, 0x43}};

class NorvikCplClient : public NorvikClient
{
  public:
    // Request 11001; the status the service replied with.
    [[nodiscard]] NorvikStatus SetSoundDeviceConfiguration(uint32_t key1, uint32_t key2,
                                                           uint32_t renderConfiguration,
                                                           uint32_t captureConfiguration);
    // Request 11002; the outputs are written only on success. INVALID_MSG_SIZE unless the reply carries
    // exactly the 16-byte record.
    [[nodiscard]] NorvikStatus GetSoundDeviceConfiguration(uint32_t key1, uint32_t key2,
                                                           uint32_t* renderConfiguration,
                                                           uint32_t* captureConfiguration);
};

// The process-wide client handle (role 2) through which every page sends its requests, and the thread that
// turns its notification event into WM_DRIVER_NOTIFICATION for the main window.
extern NorvikCplClient mainClient;
