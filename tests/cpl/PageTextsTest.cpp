// What the page tests cannot reach through the driver model: latencies at the ends of their range, a
// channel name that fills its array, and a device list whose count the record cannot hold.
#include "cpl/FormBufferSettings.h"
#include "cpl/FormDevices.h"
#include "cpl/pages/FormChannels.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>

TEST(BufferSettingsTexts, LatenciesCutTheTenths)
{
    struct Case
    {
        uint32_t microseconds;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"0.0 millisecs\n"},    {99, L"0.0 millisecs\n"},     {999, L"0.9 millisecs\n"},
        {1000, L"1.0 millisecs\n"}, {10667, L"10.6 millisecs\n"}, {UINT_MAX, L"4294967.2 millisecs\n"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.text, buffer_settings::StreamingLatencyText(c.microseconds)) << c.microseconds << " us";
    }
    EXPECT_EQ(L"4294967.2 millisecs\n4294967295 samples",
              buffer_settings::AsioLatencyText(UINT_MAX, UINT_MAX));
}

TEST(ChannelRows, NamesEndWithTheirArrays)
{
    NorvikChannelList list{};
    list.count = 1;
    auto readInfo = [](const NorvikChannelId&, NorvikChannelInfo* info) -> NorvikStatus
    {
        for (wchar_t& c : info->name)
        {
            c = L'x'; // no terminator within the array
        }
        return NORVIK_STATUS_SUCCESS;
    };
    auto deviceName = [](uint32_t, uint32_t) -> const wchar_t* { return L"Corvex"; };
    const auto rows = channel_pages::CollectChannelRows(list, readInfo, deviceName);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(std::wstring(42, L'x'), rows[0].channel);
}

TEST(DevicesTexts, StreamingMarkComesFromTheDriversList)
{
    NorvikDeviceList list{};
    list.count = 2;
    const uint32_t keys[][3] = {{0, 1, 10}, {1, 2, 20}, {7, 8, 80}}; // index, key 1, key 2
    for (const auto& k : keys)
    {
        list.devices[k[0]].key1 = k[1];
        list.devices[k[0]].key2 = k[2];
    }
    list.devices[1].streamingFlags = 1;
    list.devices[7].streamingFlags = 1;
    EXPECT_FALSE(devices_page::IsStreamingUnit(list, 1, 10, true));
    EXPECT_TRUE(devices_page::IsStreamingUnit(list, 2, 20, false));
    EXPECT_TRUE(devices_page::IsStreamingUnit(list, 9, 90, true)) << "a unit the list lacks keeps its mark";
    EXPECT_FALSE(devices_page::IsStreamingUnit(list, 8, 80, false)) << "beyond the count";
    list.count = 0xFFFFFFFF;
    EXPECT_TRUE(devices_page::IsStreamingUnit(list, 8, 80, false)) << "the count is bounded by the record";
}
