#include "cpl/mixer/MixerValues.h"

#include <windows.h>
#include <strsafe.h>

#include <cstdarg>

namespace mixer_values
{
int MeterPosition(int16_t level)
{
    if (level < kGainFloor)
        return 0;
    if (level > 0)
        return kMeterMax;
    return level - kGainFloor;
}

int FaderPosition(int16_t gain)
{
    if (gain < kGainFloor)
        return kFaderMax;
    if (gain > kGainTop)
        return 0;
    return kGainTop - gain;
}

int16_t GainFromFader(int position)
{
    if (position < 0)
        return kGainTop;
    if (position > kFaderMax)
        return kGainFloor;
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

} // namespace

ShortText VolumeText(const NorvikVolumeItem& item)
{
    if ((item.flags & 1) != 0)
        return Format(L"M");
    return Format(L"%i", item.volume / 100);
}

ShortText CellText(const NorvikWeightItem& item)
{
    if ((item.flags & 1) == 0)
        return Format(L"x");
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
