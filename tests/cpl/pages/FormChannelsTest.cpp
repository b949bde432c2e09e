// The ASIO channel pages against the in-process driver: one row per channel with its unit's name, channels
// whose information fails or whose unit is not in the device list left out, and the list's bounds.
#include "cpl/pages/FormInChannels.h"
#include "cpl/pages/FormOutChannels.h"
#include "tests/cpl/PageTest.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace
{
std::vector<uint8_t> ListBytes(const NorvikChannelList& list)
{
    std::vector<uint8_t> bytes(sizeof(list));
    std::memcpy(bytes.data(), &list, sizeof(list));
    return bytes;
}

std::wstring HeaderText(HWND list, int column)
{
    wchar_t text[64] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = ARRAYSIZE(text);
    (void)Header_GetItem(ListView_GetHeader(list), column, &item);
    return text;
}

class ChannelsPage : public PageTest
{
  protected:
    void SetUp() override
    {
        PageTest::SetUp();
        Open(in_, 420, 300);
        Open(out_, 420, 300);
        inList_ = GetDlgItem(in_.Window(), IDC_CHANNEL_LIST);
        outList_ = GetDlgItem(out_.Window(), IDC_CHANNEL_LIST);
    }

    // The driver's input channel list as it stands.
    NorvikChannelList InputChannels()
    {
        NorvikChannelList list{};
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, client_.GetInChannelList(&list));
        return list;
    }
    // The name the driver gives the channel (the service has published the units' names).
    std::wstring ChannelName(const NorvikChannelId& channel)
    {
        NorvikChannelInfo info{};
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, client_.GetChannelInfo(channel, &info));
        return std::wstring(info.name, wcsnlen(info.name, std::size(info.name)));
    }
    // Plugs a unit and waits until the service has published its channel names as it did the first
    // unit's, so that the names stay put while a test reads them.
    void PlugUnit(const wchar_t* serial, const wchar_t* name)
    {
        SimUnitSpec unitSpec;
        unitSpec.serial = serial;
        unitSpec.name = name;
        NorvikDeviceKeys keys{};
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.PlugUnit(unitSpec, &keys));
        EXPECT_TRUE(PumpUntil(
            [&]
            {
                const NorvikChannelList list = InputChannels();
                for (uint32_t i = 0; i < std::min<uint32_t>(list.count, NORVIK_MAX_CHANNELS); ++i)
                {
                    NorvikChannelInfo info{};
                    if (client_.GetChannelInfo(list.channels[i], &info) == NORVIK_STATUS_SUCCESS &&
                        info.key1 == keys.key1 && info.key2 == keys.key2)
                    {
                        return ChannelName(list.channels[i]) == ChannelName(list.channels[0]);
                    }
                }
                return true; // none of its channels fits in the list
            }));
    }

    FormInChannels in_{client_};
    FormOutChannels out_{client_};
    HWND inList_ = nullptr;
    HWND outList_ = nullptr;
};
} // namespace

TEST_F(ChannelsPage, ListsEveryChannelWithItsUnit)
{
    PlugUnit(L"CVX-RACK-B", L"Corvex Rack B");
    UpdateDevices();
    in_.Refresh();
    out_.Refresh();
    const NorvikChannelList inputs = InputChannels();
    NorvikChannelList outputs{};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.GetOutChannelList(&outputs));
    ASSERT_EQ(static_cast<int>(inputs.count), ListView_GetItemCount(inList_));
    ASSERT_EQ(static_cast<int>(outputs.count), ListView_GetItemCount(outList_));
    ASSERT_EQ(3u * 26, inputs.count);
    ASSERT_EQ(3u * 18, outputs.count);
    for (int row = 0; row < 3 * 26; ++row)
    {
        EXPECT_EQ(row < 52 ? L"Corvex" : L"Corvex Rack B", ListText(inList_, row, 0)) << "row " << row;
        EXPECT_EQ(ChannelName(inputs.channels[row]), ListText(inList_, row, 1)) << "row " << row;
    }
    EXPECT_EQ(L"Corvex Rack B", ListText(outList_, 36 + 17, 0));
    EXPECT_EQ(ChannelName(outputs.channels[36 + 17]), ListText(outList_, 36 + 17, 1));
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              ListView_GetExtendedListViewStyle(inList_) & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));

    SetWindowPos(in_.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    (void)ShowWindow(out_.Window(), SW_HIDE);
    Screenshot(L"pages_asio_in_channels");
    (void)ShowWindow(in_.Window(), SW_HIDE);
    (void)ShowWindow(out_.Window(), SW_SHOW);
    Screenshot(L"pages_asio_out_channels");
}

TEST_F(ChannelsPage, FailedInformationDropsOnlyThatChannel)
{
    PlugUnit(L"CVX-TWO", L"Corvex Two");
    UpdateDevices();
    const NorvikChannelList all = InputChannels();
    NorvikChannelList three{};
    three.count = 3;
    three.channels[0] = all.channels[0];      // Corvex, its first input: its information fails
    three.channels[1] = all.channels[52 + 1]; // Corvex Two, its second input
    three.channels[2] = all.channels[17];     // Corvex, its eighteenth input

    model_.InjectFault(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, NORVIK_STATUS_SUCCESS, 1, ListBytes(three));
    model_.InjectFault(NORVIK_IOCTL_GET_CHANNEL_INFO, NORVIK_STATUS_OBJECT_NOT_FOUND, 1);
    in_.Refresh();
    ASSERT_EQ(2, ListView_GetItemCount(inList_));
    EXPECT_EQ(L"Corvex Two", ListText(inList_, 0, 0));
    EXPECT_EQ(ChannelName(three.channels[1]), ListText(inList_, 0, 1));
    EXPECT_EQ(L"Corvex", ListText(inList_, 1, 0));
    EXPECT_EQ(ChannelName(three.channels[2]), ListText(inList_, 1, 1));
    EXPECT_NE(ListText(inList_, 0, 1), ListText(inList_, 1, 1));
}

TEST_F(ChannelsPage, ChannelsOfUnitsOutsideTheDeviceListAreLeftOut)
{
    // The driver already lists the new unit's channels; the device list has not caught up.
    PlugUnit(L"CVX-NEW", L"Corvex New");
    in_.Refresh();
    EXPECT_EQ(52, ListView_GetItemCount(inList_));
    for (int row = 0; row < ListView_GetItemCount(inList_); ++row)
    {
        EXPECT_EQ(L"Corvex", ListText(inList_, row, 0)) << "row " << row;
    }
    UpdateDevices();
    in_.Refresh();
    EXPECT_EQ(78, ListView_GetItemCount(inList_));
}

TEST_F(ChannelsPage, ListIsBoundedByItsRecord)
{
    // Four units offer 104 input channels; the record carries 96.
    PlugUnit(L"CVX-3", L"Corvex 3");
    PlugUnit(L"CVX-4", L"Corvex 4");
    UpdateDevices();
    in_.Refresh();
    EXPECT_EQ(96, ListView_GetItemCount(inList_));

    NorvikChannelList overstated = InputChannels();
    overstated.count = 0xFFFFFFFF;
    model_.InjectFault(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, NORVIK_STATUS_SUCCESS, 1, ListBytes(overstated));
    ClearLog();
    in_.Refresh();
    EXPECT_EQ(96, ListView_GetItemCount(inList_));
    EXPECT_EQ(96u, LoggedRequests(NORVIK_IOCTL_GET_CHANNEL_INFO));
}

TEST_F(ChannelsPage, EmptyOrFailedListsLeaveOnlyTheHeadings)
{
    in_.Refresh();
    ASSERT_GT(ListView_GetItemCount(inList_), 0);
    model_.InjectFault(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, NORVIK_STATUS_SUCCESS, 1,
                       ListBytes(NorvikChannelList{}));
    in_.Refresh();
    EXPECT_EQ(0, ListView_GetItemCount(inList_));
    ASSERT_EQ(2, ColumnCount(inList_));
    EXPECT_EQ(L"Device", HeaderText(inList_, 0));
    EXPECT_EQ(L"Channel name", HeaderText(inList_, 1));

    in_.Refresh();
    model_.InjectFault(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, NORVIK_STATUS_DEVICE_REMOVED);
    in_.Refresh();
    EXPECT_EQ(0, ListView_GetItemCount(inList_));
}

TEST_F(ChannelsPage, ColumnsShareTheWidth)
{
    for (const SIZE size : {SIZE{420, 300}, SIZE{651, 400}, SIZE{390, 250}})
    {
        Fit(out_.Window(), size.cx, size.cy);
        RECT client{};
        ASSERT_TRUE(GetClientRect(outList_, &client));
        EXPECT_EQ(client.right / 2, ColumnWidth(outList_, 0)) << "page width " << size.cx;
        EXPECT_EQ(client.right / 2, ColumnWidth(outList_, 1)) << "page width " << size.cx;
    }
}
