#include "cpl/mixer/MixerValues.h"

#include <windows.h>
#include <strsafe.h>

#include <cstdarg>

namespace mixer_values
{
int MeterPosition(int16_t level)
{
    if (level < kGainFloor)
    {
        return 0;
    }
    if (level > 0)
    {
        return kMeterMax;
    }
    return level - kGainFloor;
}

int FaderPosition(int16_t gain)
{
    if (gain < kGainFloor)
    {
        return kFaderMax;
    }
    if (gain > kGainTop)
    {
        return 0;
    }
    return kGainTop - gain;
}

int16_t GainFromFader(int position)
{
    if (position < 0)
    {
        return kGainTop;
    }
    if (position > kFaderMax)
    {
        return kGainFloor;
    }
    return static_cast<int16_t>(kGainTop - position);
}

namespace
{
ShortText Format(const wchar_t* format, ...)
{
    ShortText result{};
    va_list arguments;
    va_start(arguments, format);
    (void)StringCchVPrintfW(result.text, ARRAYSIZE(result.text), format, arguments);
    va_end(arguments);
    return result;
}

const wchar_t* PairFormat(uint8_t kind, bool outputSide)
{
    switch (kind)
    {
    case NORVIK_PIN_ANALOG:
        return outputSide ? L"Analog Out %u/%u" : L"Analog In %u/%u";
    case NORVIK_PIN_SPDIF:
        return outputSide ? L"SPDIF Out %u/%u" : L"SPDIF In %u/%u";
    case NORVIK_PIN_SOFTWARE:
        return outputSide ? nullptr : L"Out %u/%u";
    case NORVIK_PIN_SOFTWARE_SPDIF:
        return outputSide ? nullptr : L"SPDIF %u/%u";
    case NORVIK_PIN_VIRTUAL:
        return L"Virtual In %u/%u";
    default:
        return nullptr;
    }
}
} // namespace

ShortText PairLabel(NorvikPin left, NorvikPin right, bool outputSide)
{
    const wchar_t* format = PairFormat(left.kind, outputSide);
    if (format == nullptr)
    {
        return Format(L"unknown");
    }
    return Format(format, left.channel + 1u, right.channel + 1u);
}

ShortText VolumeText(const NorvikVolumeItem& item)
{
    if ((item.flags & 1) != 0)
    {
        return Format(L"M");
    }
    return Format(L"%i", item.volume / 100);
}

ShortText CellText(const NorvikWeightItem& item)
{
    if ((item.flags & 1) == 0)
    {
        return Format(L"x");
    }
    return Format(L"%i", item.weight / 100);
}

ShortText WeightText(int16_t weight)
{
    const int whole = weight / 100;
    const int hundredths = weight % 100;
    return Format(L"%s%i.%02i", weight < 0 ? L"-" : L"", whole < 0 ? -whole : whole,
                  hundredths < 0 ? -hundredths : hundredths);
}
} // namespace mixer_values
