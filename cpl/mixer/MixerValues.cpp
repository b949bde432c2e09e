#include "cpl/mixer/MixerValues.h"

#include <windows.h>
#include <strsafe.h>

#include <cstdarg>

namespace mixer_values
{
int MeterPosition(int16_t level)
{
    if (level < kFaderGainFloor)
        return 0;
    if (level > 0)
        return kMeterMax;
    return level - kFaderGainFloor;
}

int FaderPosition(int16_t gain)
{
    if (gain < kFaderGainFloor)
        return kFaderMax;
    if (gain > kFaderGainTop)
        return 0;
    return kFaderGainTop - gain;
}

int16_t GainFromFader(int position)
{
    if (position < 0)
        return kFaderGainTop;
    if (position > kFaderMax)
        return kFaderGainFloor;
    return static_cast<int16_t>(kFaderGainTop - position);
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
