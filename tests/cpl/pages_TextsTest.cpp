// The page texts and small decisions that need no window: class names, latencies, the change request,
// column widths, the mode and the streaming mark, the channel rows and the counter colours.
#include "cpl/FormBufferSettings.h"
#include "cpl/FormDevices.h"
#include "cpl/pages/FormChannels.h"
#include "cpl/pages/FormStatusInfo.h"

#include <gtest/gtest.h>

#include <climits>

TEST(BufferSettingsTexts, ClassNames)
{
    struct Case
    {
        uint32_t value;
        const wchar_t* streaming;
        const wchar_t* asio;
    };
    const Case cases[] = {
        {0, L"Minimum", L"Minimum"}, {1, L"ExtraSmall", L"Small"},       {2, L"Small", L"Large"},
        {3, L"Large", L"Maximum"},   {4, L"ExtraLarge", L"unknown"},     {5, L"Safe", L"unknown"},
        {6, L"unknown", L"unknown"}, {UINT_MAX, L"unknown", L"unknown"},
    };
    for (const Case& c : cases)
    {
        EXPECT_STREQ(c.streaming, buffer_settings::StreamingClassText(c.value)) << "class " << c.value;
        EXPECT_STREQ(c.asio, buffer_settings::AsioClassText(c.value)) << "class " << c.value;
    }
}

TEST(BufferSettingsTexts, LatenciesCutTheTenths)
{
    struct Case
    {
        uint32_t microseconds;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"0.0 millisecs\n"},
        {99, L"0.0 millisecs\n"},
        {999, L"0.9 millisecs\n"},
        {1000, L"1.0 millisecs\n"},
        {10667, L"10.6 millisecs\n"},
        {5999, L"5.9 millisecs\n"},
        {UINT_MAX, L"4294967.2 millisecs\n"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.text, buffer_settings::StreamingLatencyText(c.microseconds)) << c.microseconds << " us";
    }
    EXPECT_EQ(L"2.9 millisecs\n128 samples", buffer_settings::AsioLatencyText(2902, 128));
    EXPECT_EQ(L"10.6 millisecs\n512 samples", buffer_settings::AsioLatencyText(10667, 512));
}

TEST(BufferSettingsTexts, ChangeRequestFallsBackToTheReportedClasses)
{
    NorvikBufferSizes record{};
    record.streamingClass = 2;
    record.asioClass = 7; // a class the page cannot show still goes back as the driver gave it
    record.thirdValue = 0xABCD1234;

    const NorvikSetBufferSizes chosen = buffer_settings::BuildChangeRequest(record, 4u, 1u);
    EXPECT_EQ(4u, chosen.streamingClass);
    EXPECT_EQ(1u, chosen.asioClass);
    EXPECT_EQ(0xABCD1234u, chosen.thirdValue);

    const NorvikSetBufferSizes unselected =
        buffer_settings::BuildChangeRequest(record, std::nullopt, std::nullopt);
    EXPECT_EQ(2u, unselected.streamingClass);
    EXPECT_EQ(7u, unselected.asioClass);
    EXPECT_EQ(0xABCD1234u, unselected.thirdValue);
}

TEST(DevicesTexts, ColumnWidthsFollowTheListWidth)
{
    EXPECT_FALSE(devices_page::ColumnWidths(0).has_value());
    EXPECT_FALSE(devices_page::ColumnWidths(-5).has_value());
    const auto widths = devices_page::ColumnWidths(700);
    ASSERT_TRUE(widths.has_value());
    EXPECT_EQ(200, (*widths)[0]);
    EXPECT_EQ(233, (*widths)[1]);
    EXPECT_EQ(140, (*widths)[2]);
}

TEST(DevicesTexts, ModeComesOnlyFromZeroOrOne)
{
    NorvikStreamingStatus status{};
    for (uint32_t mode : {0u, 1u})
    {
        status.mode = mode;
        EXPECT_EQ(mode, devices_page::ModeFromStatus(status)) << "mode word " << mode;
    }
    for (uint32_t mode : {2u, UINT_MAX})
    {
        status.mode = mode;
        EXPECT_FALSE(devices_page::ModeFromStatus(status).has_value()) << "mode word " << mode;
    }
}

namespace
{
NorvikChannelInfo MakeInfo(uint32_t key1, uint32_t key2, const wchar_t* name)
{
    NorvikChannelInfo info{};
    info.key1 = key1;
    info.key2 = key2;
    wcsncpy(info.name, name, std::size(info.name));
    return info;
}
} // namespace

TEST(ChannelRows, RowsSkipFailedChannelsAndMissingUnits)
{
    NorvikChannelList list{};
    list.count = 4;
    for (uint32_t i = 0; i < 4; ++i)
    {
        list.channels[i] = {100 + i, 0};
    }
    const NorvikChannelInfo infos[] = {MakeInfo(1, 10, L"In 1"), MakeInfo(1, 10, L"In 2"),
                                       MakeInfo(2, 20, L"In 3"), MakeInfo(9, 90, L"Gone")};
    auto readInfo = [&](const NorvikChannelId& id, NorvikChannelInfo* info) -> NorvikStatus
    {
        if (id.word1 == 100)
        {
            return NORVIK_STATUS_OBJECT_NOT_FOUND;
        }
        *info = infos[id.word1 - 100];
        return NORVIK_STATUS_SUCCESS;
    };
    auto deviceName = [](uint32_t key1, uint32_t key2) -> const wchar_t*
    {
        if (key1 == 1 && key2 == 10)
        {
            return L"Corvex A";
        }
        if (key1 == 2 && key2 == 20)
        {
            return L"Corvex B";
        }
        return nullptr;
    };

    const auto rows = channel_pages::CollectChannelRows(list, readInfo, deviceName);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"Corvex A", rows[0].device);
    EXPECT_EQ(L"In 2", rows[0].channel);
    EXPECT_EQ(L"Corvex B", rows[1].device);
    EXPECT_EQ(L"In 3", rows[1].channel);
}

TEST(ChannelRows, CountAndNamesAreBoundedByTheRecords)
{
    NorvikChannelList list{};
    list.count = 0xFFFFFFFF;
    EXPECT_EQ(96u, channel_pages::BoundedChannelCount(list));

    uint32_t reads = 0;
    auto readInfo = [&](const NorvikChannelId&, NorvikChannelInfo* info) -> NorvikStatus
    {
        ++reads;
        for (wchar_t& c : info->name)
        {
            c = L'x'; // no terminator within the array
        }
        return NORVIK_STATUS_SUCCESS;
    };
    auto deviceName = [](uint32_t, uint32_t) -> const wchar_t* { return L"Corvex"; };
    const auto rows = channel_pages::CollectChannelRows(list, readInfo, deviceName);
    EXPECT_EQ(96u, reads);
    ASSERT_EQ(96u, rows.size());
    EXPECT_EQ(std::wstring(42, L'x'), rows[95].channel);

    list.count = 0;
    EXPECT_TRUE(channel_pages::CollectChannelRows(list, readInfo, deviceName).empty());
}

TEST(StatusInfoTexts, OnlyPositiveValuesArePaintedRed)
{
    EXPECT_EQ(status_info::kPlainColour, status_info::CellTextColour(1, 0));
    EXPECT_EQ(status_info::kCountedColour, status_info::CellTextColour(1, 1));
    EXPECT_EQ(status_info::kCountedColour, status_info::CellTextColour(1, UINT_MAX));
    EXPECT_EQ(status_info::kPlainColour, status_info::CellTextColour(0, 5));
    EXPECT_EQ(0x0000FFu, status_info::kCountedColour);
}
