// The channel-name and endpoint tables exactly as the driver expects them, and the level conversions.
#include "service/LevelConversion.h"
#include "service/SoundDeviceTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
struct NameRow
{
    uint32_t kind;
    uint32_t pairIndex;
    uint32_t side;
    std::wstring name;
};

std::vector<NameRow> Rows(const NorvikChannelNameHalf& half)
{
    std::vector<NameRow> rows;
    for (uint32_t i = 0; i < half.count; ++i)
    {
        const NorvikChannelNameEntry& e = half.entries[i];
        rows.push_back({e.kind, e.pairIndex, e.side, e.name});
    }
    return rows;
}

void AppendGroup(std::vector<NameRow>* rows, uint32_t count, uint32_t kind, const std::wstring& prefix)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        rows->push_back({kind, i / 2, i % 2, prefix + std::to_wstring(i + 1)});
    }
}

bool operator==(const NameRow& a, const NameRow& b)
{
    return a.kind == b.kind && a.pairIndex == b.pairIndex && a.side == b.side && a.name == b.name;
}

// Every word of an endpoint entry, as the driver reads it.
std::vector<uint32_t> Words(const NorvikWdmEndpointEntry& entry)
{
    std::vector<uint32_t> words(37);
    std::memcpy(words.data(), &entry, sizeof(entry));
    return words;
}

struct EndpointRow
{
    uint32_t kind;
    uint32_t pairIndex;
    uint32_t word10;
    uint32_t word11;
    uint32_t word33;
    uint32_t word35;
    std::wstring name;
};

// Checks one half entry by entry: the named words, the own position in word 34, and zero everywhere else.
void ExpectHalf(const NorvikWdmEndpointHalf& half, const std::vector<EndpointRow>& expected, const char* what)
{
    ASSERT_EQ(expected.size(), half.count) << what;
    for (uint32_t i = 0; i < half.count; ++i)
    {
        const EndpointRow& row = expected[i];
        std::vector<uint32_t> want(37, 0);
        want[0] = row.kind;
        want[1] = 1;
        want[2] = row.pairIndex;
        want[10] = row.word10;
        want[11] = row.word11;
        want[33] = row.word33;
        want[34] = i;
        want[35] = row.word35;
        std::vector<uint32_t> got = Words(half.entries[i]);
        // Words 12 to 32 hold the name; compare it as text.
        std::fill(got.begin() + 12, got.begin() + 33, 0);
        EXPECT_EQ(want, got) << what << " entry " << i;
        EXPECT_EQ(row.name, std::wstring(half.entries[i].name)) << what << " entry " << i;
        EXPECT_EQ(0, half.entries[i].name[41]) << what << " entry " << i;
    }
    for (uint32_t i = half.count; i < 32; ++i)
    {
        EXPECT_EQ(std::vector<uint32_t>(37, 0), Words(half.entries[i])) << what << " unused entry " << i;
    }
}

constexpr uint32_t kMinus128Db = 0xFF800000;
constexpr uint32_t kMidiIn = 0xFFFFFFFF;

std::vector<EndpointRow> RenderRows(bool analog)
{
    std::vector<EndpointRow> rows;
    for (uint32_t i = 0; analog && i < 8; ++i)
    {
        rows.push_back({1, i, 0, 3, 0, kMinus128Db,
                        L"CVX Out " + std::to_wstring(2 * i + 1) + L"/" + std::to_wstring(2 * i + 2)});
    }
    rows.push_back({10, 0, 1, 0, 0, 0, L"CVX SPDIF 1/2"});
    rows.push_back({20, 0, 2, 0, 1, 0, L"CVX Midi Out"});
    return rows;
}

std::vector<EndpointRow> CaptureRows(bool analog)
{
    std::vector<EndpointRow> rows;
    for (uint32_t i = 0; analog && i < 8; ++i)
    {
        rows.push_back({1, i, 0, 3, 0, kMinus128Db,
                        L"CVX Analog In " + std::to_wstring(2 * i + 1) + L"/" + std::to_wstring(2 * i + 2)});
    }
    rows.push_back({10, 0, 0, 0, 0, 0, L"CVX SPDIF In 1/2"});
    for (uint32_t i = 0; i < 4; ++i)
    {
        rows.push_back({40, i, 0, 0, 0, 0,
                        L"CVX Virtual In " + std::to_wstring(2 * i + 1) + L"/" + std::to_wstring(2 * i + 2)});
    }
    rows.push_back({20, 0, 2, 0, kMidiIn, 0, L"CVX Midi In"});
    return rows;
}
} // namespace

TEST(SoundDeviceTables, ChannelNamesNumberSingleChannelsAndDropAnalogForKind2Topologies)
{
    for (const bool skipAnalog : {false, true})
    {
        NorvikChannelNames names;
        std::memset(&names, 0xCC, sizeof(names));
        SoundDeviceTables::BuildChannelNames(skipAnalog, skipAnalog, &names);

        std::vector<NameRow> outputs;
        std::vector<NameRow> inputs;
        if (!skipAnalog)
        {
            AppendGroup(&outputs, 16, 1, L"CVX Out ");
            AppendGroup(&inputs, 16, 1, L"CVX Analog In ");
        }
        AppendGroup(&outputs, 2, 10, L"CVX SPDIF ");
        AppendGroup(&inputs, 2, 10, L"CVX SPDIF In ");
        AppendGroup(&inputs, 8, 40, L"CVX Virtual In ");
        EXPECT_EQ(outputs, Rows(names.outputs)) << "skip analog " << skipAnalog;
        EXPECT_EQ(inputs, Rows(names.inputs)) << "skip analog " << skipAnalog;
        const NorvikChannelNameEntry zero = {};
        EXPECT_EQ(0, std::memcmp(&zero, &names.outputs.entries[names.outputs.count], sizeof(zero)))
            << "the record is zeroed beyond the entries";
    }
}

TEST(SoundDeviceTables, EndpointsForEachStoredConfiguration)
{
    struct Case
    {
        uint32_t render;
        uint32_t capture;
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{0, 1}, Case{7, 7}})
    {
        NorvikWdmEndpoints endpoints;
        std::memset(&endpoints, 0xCC, sizeof(endpoints));
        SoundDeviceTables::BuildWdmEndpoints(c.render, c.capture, &endpoints);
        const std::string what =
            "configuration (" + std::to_string(c.render) + "," + std::to_string(c.capture) + ")";
        ExpectHalf(endpoints.render, RenderRows(c.render == 0), (what + " render").c_str());
        ExpectHalf(endpoints.capture, CaptureRows(c.capture == 0), (what + " capture").c_str());
    }
}

TEST(LevelConversion, WindowsLevelsToHardwareVolumesAreClampedBeforeNarrowing)
{
    struct Case
    {
        int32_t level;
        int16_t volume;
    };
    const Case cases[] = {
        {INT32_MIN, -9000},     // the most negative level means silence
        {INT32_MIN + 1, -9000}, // far below -90 dB
        {0x00640000, 9000},     // +100 dB
        {INT32_MAX, 9000},      // +32767 dB would wrap to a quiet level if narrowed first
        {0x01480000, 9000},     // +328 dB: the first level whose hundredths leave 16 bits
        {-393216, -600},        // -6 dB
        {0, 0},
        {655, 0}, // 0.00999 dB truncates toward zero
        {-655, 0},
        {656, 1},
        {-0x005A0000, -9000}, // exactly -90 dB
        {-0x005A0001, -9000},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.volume, WindowsLevelToHardwareVolume(c.level)) << "level " << c.level;
    }
}

TEST(LevelConversion, HardwareVolumesToWindowsLevels)
{
    struct Case
    {
        int16_t volume;
        int32_t level;
    };
    const Case cases[] = {
        {-600, -393216},       {0, 0}, {1, 655}, {-1, -655}, {9000, 0x005A0000}, {INT16_MIN, -21474836},
        {INT16_MAX, 21474181},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.level, HardwareVolumeToWindowsLevel(c.volume)) << "volume " << c.volume;
    }
}
