#include "ctl/CtlArguments.h"

#include "driverapi/EffectValues.h"
#include "driverapi/NorvikValueTexts.h"

#include <cwctype>

namespace ctl_arguments
{
namespace
{
constexpr size_t kMaxDigits = 9; // keeps every value far inside int64_t

// [sign] digits [. digits], at most `decimals` after the point; the value scaled by 10^decimals.
bool ParseFixed(const std::wstring& text, unsigned decimals, bool signAllowed, int64_t* scaled)
{
    size_t i = 0;
    bool negative = false;
    if (signAllowed && i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    int64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && iswdigit(text[i]) && text[i] < 0x80; ++i, ++digits)
        value = value * 10 + (text[i] - L'0');
    unsigned fraction = 0;
    if (i < text.size() && text[i] == L'.')
    {
        for (++i; i < text.size() && iswdigit(text[i]) && text[i] < 0x80; ++i, ++fraction, ++digits)
        {
            if (fraction == decimals)
                return false;
            value = value * 10 + (text[i] - L'0');
        }
    }
    if (i != text.size() || digits == 0 || digits > kMaxDigits)
        return false;
    for (; fraction < decimals; ++fraction)
        value *= 10;
    *scaled = negative ? -value : value;
    return true;
}
} // namespace

bool ParseCount(const std::wstring& text, uint32_t max, uint32_t* value)
{
    int64_t parsed = 0;
    if (text.find(L'.') != std::wstring::npos || !ParseFixed(text, 0, false, &parsed) || parsed > max)
        return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool ParseOnOff(const std::wstring& text, bool* on)
{
    const std::wstring word = Folded(text);
    if (word != L"on" && word != L"off")
        return false;
    *on = word == L"on";
    return true;
}

std::wstring OnOffWord(bool on)
{
    return on ? L"on" : L"off";
}

bool ParseDecibels(const std::wstring& text, int16_t* hundredths)
{
    std::wstring number = text;
    if (number.size() > 2 && Folded(number.substr(number.size() - 2)) == L"db")
        number.resize(number.size() - 2);
    int64_t value = 0;
    if (!ParseFixed(number, 2, true, &value) || value < kFaderGainFloor || value > kFaderGainTop)
        return false;
    *hundredths = static_cast<int16_t>(value);
    return true;
}

bool ParseFraction(const std::wstring& text, uint32_t* thousandths)
{
    int64_t value = 0;
    if (!ParseFixed(text, 3, false, &value) || value > 1000)
        return false;
    *thousandths = static_cast<uint32_t>(value);
    return true;
}

bool IsSerial(const std::wstring& text)
{
    if (text.empty() || text.size() > 19)
        return false;
    for (wchar_t c : text)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

bool ParseEffectPair(const std::wstring& text, uint32_t channels, uint32_t* first)
{
    std::wstring folded = Folded(text);
    if (folded.compare(0, 7, L"channel") == 0)
        folded.erase(0, 7);
    const size_t slash = folded.find(L'/');
    uint32_t left = 0;
    uint32_t right = 0;
    if (slash == std::wstring::npos || !ParseCount(folded.substr(0, slash), kMaxEffectChannels, &left) ||
        !ParseCount(folded.substr(slash + 1), kMaxEffectChannels, &right))
        return false;
    // Pairs start at odd channel numbers; an odd last channel belongs to no pair.
    if (left == 0 || left % 2 == 0 || right != left + 1 || right > channels)
        return false;
    *first = left - 1;
    return true;
}

std::wstring Folded(const std::wstring& text)
{
    std::wstring folded;
    for (wchar_t c : text)
        if (!iswspace(c))
            folded += static_cast<wchar_t>(towlower(c));
    return folded;
}
} // namespace ctl_arguments
