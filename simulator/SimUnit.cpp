#include "simulator/SimUnit.h"

#include <algorithm>

namespace
{
template <size_t N> void CopyName(wchar_t (&target)[N], const std::wstring& text)
{
    size_t count = std::min(text.size(), N - 1);
    std::copy_n(text.data(), count, target);
    target[count] = L'\0';
}
} // namespace

SimUnit::SimUnit(uint32_t instance, const SimUnitSpec& spec, uint32_t key1, uint32_t key2) : instance_(instance)
{
    record_.key1 = key1;
    record_.key2 = key2;
    record_.identity1 = spec.identity1;
    record_.identity2 = spec.identity2;
    CopyName(record_.serial, spec.serial);
    CopyName(record_.name, spec.name);
    record_.speedFlags = spec.highSpeed ? 1 : 0;
    record_.featureFlags = spec.plugin ? 1 : 0;
}

std::wstring SimUnit::Serial() const
{
    return std::wstring(record_.serial);
}

bool SimUnit::SetStreamingFlag(bool selected)
{
    uint8_t flags = static_cast<uint8_t>((record_.streamingFlags & ~1u) | (selected ? 1u : 0u));
    bool changed = flags != record_.streamingFlags;
    record_.streamingFlags = flags;
    return changed;
}
