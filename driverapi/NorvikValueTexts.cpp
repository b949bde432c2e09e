#include "driverapi/NorvikValueTexts.h"

#include "wn/WnText.h"

#include <windows.h>
#include <strsafe.h>

#include <iterator>

namespace
{
template <size_t N> const wchar_t* ClassText(const NorvikBufferClass (&entries)[N], uint32_t value)
{
    for (const NorvikBufferClass& entry : entries)
        if (entry.value == value)
            return entry.text;
    return L"unknown";
}
} // namespace

const wchar_t* StreamingClassText(uint32_t value)
{
    return ClassText(kStreamingBufferClasses, value);
}

const wchar_t* AsioClassText(uint32_t value)
{
    return ClassText(kAsioBufferClasses, value);
}

const NorvikErrorCounterText kErrorCounterTexts[5] = {
    {L"Streaming Error Count",
     L"This counter is incremented if an interruption in the isochronous USB stream is detected by the "
     L"driver. If this counter is incremented then sample data was lost."},
    {L"FIFO Error Count",
     L"This counter is incremented if an interruption in the isochronous USB stream is detected by the "
     L"hardware. This could be caused by CRC errors on the USB. Try to use another cable, or a shorter "
     L"cable, "
     L"or try to use a different USB port on your PC."},
    {L"ASIO Error Count",
     L"This counter is incremented if the ASIO thread missed a switch event issued by the driver. This "
     L"happens if thread latency in user mode is too long for the currently selected ASIO buffer size. If "
     L"this counter is incremented then sample data was lost."},
    {L"WDM Audio Error Count",
     L"This counter is incremented every time a WDM audio buffer is missing in the driver. This happens if "
     L"WDM audio based user mode applications do not provide buffers in time, e.g. due to excessive thread "
     L"latency. If this counter is incremented then sample data was lost."},
    {L"WDM MIDI Error Count",
     L"This counter is incremented every time a WDM MIDI buffer is missing in the driver. This happens if "
     L"WDM MIDI based user mode applications do not provide buffers in time, e.g. due to excessive thread "
     L"latency. If this counter is incremented then MIDI data was lost."},
};

std::wstring SpdifInStatusText(NorvikStatus requestStatus, const NorvikSpdifInStatus& record)
{
    if (requestStatus == NORVIK_STATUS_OBJECT_NOT_FOUND)
        return L"SPDIF not available";
    if (requestStatus != NORVIK_STATUS_SUCCESS)
        return std::wstring();
    switch (record.state)
    {
    case 0:
        return L"Not Streaming";
    case 1:
        return L"No Signal";
    case 2:
        return L"Synchronizing";
    case 3:
        break;
    default:
        return L"invalid State";
    }
    switch (record.format)
    {
    case 0:
        return L"Locked (unknown Format)";
    case 1:
    {
        wchar_t text[48] = L"";
        (void)StringCchPrintfW(text, ARRAYSIZE(text), L"Locked (PCM %u Hz)", record.sampleRate);
        return text;
    }
    case 2:
        return L"Locked (Non-PCM)";
    default:
        return L"invalid Format";
    }
}

void PrintDecibels(int32_t hundredths, wchar_t* text, size_t capacity)
{
    const int32_t magnitude = hundredths < 0 ? -hundredths : hundredths;
    (void)StringCchPrintfW(text, capacity, L"%s%i.%02i", hundredths < 0 ? L"-" : L"", magnitude / 100,
                           magnitude % 100);
}

std::wstring DecibelText(int32_t hundredths)
{
    wchar_t text[32];
    PrintDecibels(hundredths, text, std::size(text));
    return text;
}

std::wstring SampleRateText(uint32_t rateHz)
{
    return FormatText(L"%u.%03u kHz", rateHz / 1000, rateHz % 1000);
}

std::wstring LatencyText(uint32_t microseconds)
{
    return FormatText(L"%u.%1u millisecs", microseconds / 1000, (microseconds % 1000) / 100);
}

const wchar_t kDsdRateRefusal[] = L"Changing to this the sample rate prohibited.\n"
                                  L"It sample rate can be installed only from ASIO host for DSD mode.";

const wchar_t* StreamingStateName(uint32_t state)
{
    static const wchar_t* const kNames[] = {L"Undefined", L"Down",    L"Ready",
                                            L"Prepared",  L"Running", L"Error"};
    return state < std::size(kNames) ? kNames[state] : nullptr;
}

const wchar_t* MixerTitle(bool hardwareInputs)
{
    return hardwareInputs ? L"Hardware Inputs Mixer" : L"Software Outputs Mixer";
}

const wchar_t* MixerInputHeading(bool hardwareInputs)
{
    return hardwareInputs ? L"Hardware Inputs" : L"Software Outputs";
}
