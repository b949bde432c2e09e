#include "service/SoundDeviceTables.h"

#include <strsafe.h>

#include <cstring>
#include <iterator>

namespace SoundDeviceTables
{
namespace
{
// Names fill at most 41 characters, so the 42-character fields stay terminated.
constexpr size_t kNameChars = 42;

void AddChannelGroup(NorvikChannelNameHalf* half, uint32_t count, uint32_t kind, const wchar_t* format)
{
    for (uint32_t i = 0; i < count && half->count < std::size(half->entries); ++i)
    {
        NorvikChannelNameEntry& entry = half->entries[half->count++];
        entry.kind = kind;
        entry.pairIndex = i / 2;
        entry.side = i % 2;
        (void)StringCchPrintfW(entry.name, kNameChars, format, i + 1);
    }
}

struct EndpointGroup
{
    uint32_t count;
    uint32_t kind;
    uint32_t format;
    uint32_t analog3;
    int32_t midiDirection;
    uint32_t level;
    const wchar_t* name; // a format with the pair's two channel numbers when numbered, else the name
    bool numbered;
};

void AddEndpointGroup(NorvikWdmEndpointHalf* half, const EndpointGroup& group)
{
    for (uint32_t i = 0; i < group.count && half->count < std::size(half->entries); ++i)
    {
        const uint32_t position = half->count++;
        NorvikWdmEndpointEntry& entry = half->entries[position];
        entry.kind = group.kind;
        entry.pairCount = 1;
        entry.pairIndexes[0] = i;
        entry.format = group.format;
        entry.analog3 = group.analog3;
        entry.midiDirection = group.midiDirection;
        entry.ownIndex = position;
        entry.level = group.level;
        if (group.numbered)
            (void)StringCchPrintfW(entry.name, kNameChars, group.name, 2 * i + 1, 2 * i + 2);
        else
            (void)StringCchCopyW(entry.name, kNameChars, group.name);
    }
}

constexpr uint32_t kMinus128Db = 0xFF800000;
} // namespace

void BuildChannelNames(bool skipAnalogOutputs, bool skipAnalogInputs, NorvikChannelNames* names)
{
    std::memset(names, 0, sizeof(*names));
    if (!skipAnalogOutputs)
        AddChannelGroup(&names->outputs, 16, kKindAnalog, L"CVX Out %u");
    AddChannelGroup(&names->outputs, 2, kKindSpdif, L"CVX SPDIF %u");
    if (!skipAnalogInputs)
        AddChannelGroup(&names->inputs, 16, kKindAnalog, L"CVX Analog In %u");
    AddChannelGroup(&names->inputs, 2, kKindSpdif, L"CVX SPDIF In %u");
    AddChannelGroup(&names->inputs, 8, kKindVirtual, L"CVX Virtual In %u");
}

void BuildWdmEndpoints(uint32_t renderConfig, uint32_t captureConfig, NorvikWdmEndpoints* endpoints)
{
    std::memset(endpoints, 0, sizeof(*endpoints));
    NorvikWdmEndpointHalf* render = &endpoints->render;
    NorvikWdmEndpointHalf* capture = &endpoints->capture;
    if (renderConfig == 0)
        AddEndpointGroup(render, {8, kKindAnalog, kFormatPcm, 3, 0, kMinus128Db, L"CVX Out %u/%u", true});
    AddEndpointGroup(render, {1, kKindSpdif, kFormatSpdifOut, 0, 0, 0, L"CVX SPDIF %u/%u", true});
    if (captureConfig == 0)
    {
        AddEndpointGroup(capture,
                         {8, kKindAnalog, kFormatPcm, 3, 0, kMinus128Db, L"CVX Analog In %u/%u", true});
    }
    AddEndpointGroup(capture, {1, kKindSpdif, kFormatPcm, 0, 0, 0, L"CVX SPDIF In %u/%u", true});
    AddEndpointGroup(capture, {4, kKindVirtual, kFormatPcm, 0, 0, 0, L"CVX Virtual In %u/%u", true});
    AddEndpointGroup(render, {1, kKindMidi, kFormatMidi, 0, 1, 0, L"CVX Midi Out", false});
    AddEndpointGroup(capture, {1, kKindMidi, kFormatMidi, 0, -1, 0, L"CVX Midi In", false});
}
} // namespace SoundDeviceTables
