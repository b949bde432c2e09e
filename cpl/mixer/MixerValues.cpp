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
    if (item.IsMuted())
        return Format(L"M");
    return Format(L"%i", item.volume / 100);
}

ShortText CellText(const NorvikWeightItem& item)
{
    if (!item.IsConnected())
        return Format(L"x");
    return Format(L"%i", item.weight / 100);
}

ShortText WeightText(int16_t weight)
{
    ShortText result{};
    PrintDecibels(weight, result.text, ARRAYSIZE(result.text));
    return result;
}
} // namespace mixer_values
