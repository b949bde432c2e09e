// The names under which the programs show the driver's values: buffer size classes, error counters and the
// S/P-DIF input status. Free of any window so that the control panel and the command-line client show the
// same words.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikStatus.h"

#include <cstdint>
#include <string>

// The range of the mixer's faders in 0.01 dB: every gain a user sets, in the panel or with corvexctl, and
// every gain a snapshot file may hold.
constexpr int16_t kFaderGainFloor = -6000;
constexpr int16_t kFaderGainTop = 600;

struct NorvikBufferClass
{
    uint32_t value;
    const wchar_t* text;
};

// In the order the control panel lists them.
constexpr NorvikBufferClass kStreamingBufferClasses[] = {
    {0, L"Minimum"}, {1, L"ExtraSmall"}, {2, L"Small"}, {3, L"Large"}, {4, L"ExtraLarge"}, {5, L"Safe"},
};
constexpr NorvikBufferClass kAsioBufferClasses[] = {
    {0, L"Minimum"},
    {1, L"Small"},
    {2, L"Large"},
    {3, L"Maximum"},
};

// A class outside the list reads "unknown".
const wchar_t* StreamingClassText(uint32_t value);
const wchar_t* AsioClassText(uint32_t value);

struct NorvikErrorCounterText
{
    const wchar_t* name;
    const wchar_t* description;
};

// One entry per word of the counters record, in record order.
extern const NorvikErrorCounterText kErrorCounterTexts[5];
static_assert(sizeof(NorvikErrorCounters) / sizeof(uint32_t) == 5, "one entry per counter");

// The S/P-DIF input status as the device page shows it, from the request's status and its record; empty
// after a failure other than a missing input.
std::wstring SpdifInStatusText(NorvikStatus requestStatus, const NorvikSpdifInStatus& record);
