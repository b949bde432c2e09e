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

// Gains with two decimals: "-0.05", "6.00". The first form writes into `text` without allocating, for the
// mixer's updates.
void PrintDecibels(int32_t hundredths, wchar_t* text, size_t capacity);
std::wstring DecibelText(int32_t hundredths);

// "44.100 kHz".
std::wstring SampleRateText(uint32_t rateHz);
// "5.3 millisecs": tenths cut, not rounded.
std::wstring LatencyText(uint32_t microseconds);
// Why a DSD rate is refused (see IsDsdRate).
extern const wchar_t kDsdRateRefusal[];

// "Undefined" .. "Error" for the streaming states 0 to 5; null for USB 1.1 (6) and unknown states, which
// each program words in its own place.
const wchar_t* StreamingStateName(uint32_t state);

// The window title and the input heading of a unit's two mixers.
const wchar_t* MixerTitle(bool hardwareInputs);
const wchar_t* MixerInputHeading(bool hardwareInputs);

// What a request that may fail does, in both programs' words: the command-line client adds the status
// to `doing`; the panel's message box shows `failed`.
struct NorvikAction
{
    const wchar_t* doing;
    const wchar_t* failed;
};
constexpr NorvikAction kReadBufferSizes{L"Get the buffer sizes", L"Get the buffer sizes failed."};
constexpr NorvikAction kChangeBufferSizes{L"Changing the buffer sizes", L"Changing the buffer sizes failed."};
constexpr NorvikAction kChangeSampleRate{L"Changing the sample rate", L"Changing the sample rate failed."};
constexpr NorvikAction kChangePolicy{L"Changing the policy", L"Changing the policy failed."};
constexpr NorvikAction kChangeRestoreSetting{L"Changing the restore setting",
                                             L"Changing the restore setting failed."};

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
