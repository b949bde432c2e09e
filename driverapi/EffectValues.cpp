#include "driverapi/EffectValues.h"

#include "wn/WnText.h"

NorvikStatus QueryEffectValue(NorvikDevice& device, uint32_t selector, uint32_t channel, uint32_t* answer)
{
    const bool perChannel = selector == NORVIK_PLUGIN_DELAY || selector == NORVIK_PLUGIN_AMPLIFICATION;
    NorvikPluginRecord record{};
    record.selector = selector;
    if (perChannel)
    {
        record.count = 1;
        record.pairs[0].channel = channel;
    }
    const NorvikStatus status = device.QueryPlugin(&record);
    if (status == NORVIK_STATUS_SUCCESS)
        *answer = perChannel ? record.pairs[0].value : record.count;
    return status;
}

NorvikStatus SetEffectPairValue(NorvikDevice& device, uint32_t selector, uint32_t first, uint32_t value)
{
    NorvikPluginRecord record{};
    record.selector = selector;
    record.count = 2;
    record.pairs[0] = {first, value};
    record.pairs[1] = {first + 1, value};
    return device.SetPluginParameters(record);
}

std::wstring EffectPairLabel(uint32_t first)
{
    return FormatText(L"Channel %02u/%02u", first + 1, first + 2);
}

std::wstring EffectDelayText(uint32_t milliseconds)
{
    return FormatText(L"%u ms", milliseconds);
}

std::wstring EffectAmplificationText(uint32_t thousandths)
{
    return FormatText(L"%u.%02u", thousandths / 1000, (thousandths % 1000) / 10);
}
