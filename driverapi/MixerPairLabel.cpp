#include "driverapi/MixerPairLabel.h"

#include <windows.h>
#include <strsafe.h>

namespace
{
struct KindFormats
{
    uint8_t kind;
    const wchar_t* row;
    const wchar_t* column;
};

constexpr KindFormats kFormats[] = {
    {NORVIK_PIN_ANALOG, L"Analog In %u/%u", L"Analog Out %u/%u"},
    {NORVIK_PIN_SPDIF, L"SPDIF In %u/%u", L"SPDIF Out %u/%u"},
    {NORVIK_PIN_SOFTWARE, L"Out %u/%u", nullptr},
    {NORVIK_PIN_SOFTWARE_SPDIF, L"SPDIF %u/%u", nullptr},
    {NORVIK_PIN_VIRTUAL, L"Virtual In %u/%u", L"Virtual In %u/%u"},
};
} // namespace

std::wstring MixerPairLabel(MixerSide side, const NorvikPin& left, const NorvikPin& right)
{
    for (const KindFormats& formats : kFormats)
    {
        const wchar_t* format = side == MixerSide::Row ? formats.row : formats.column;
        if (formats.kind != left.kind || format == nullptr)
            continue;
        wchar_t text[32] = L"";
        (void)StringCchPrintfW(text, ARRAYSIZE(text), format, left.channel + 1u, right.channel + 1u);
        return text;
    }
    return L"unknown";
}
