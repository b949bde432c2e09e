// The Devices page against the in-process driver: rows and the streaming mark, the button state, the mode
// radio buttons, the change requests through the service and the column widths.
#include "cpl/FormDevices.h"
#include "tests/cpl/PageTest.h"

namespace
{
class DevicesPage : public PageTest
{
  protected:
    void SetUp() override
    {
        PageTest::SetUp();
        Open(page_, 420, 300);
        list_ = Item(IDC_DEVICE_LIST);
    }

    HWND Item(int id) const { return GetDlgItem(page_.Window(), id); }
    void Click(int id) { (void)SendMessageW(Item(id), BM_CLICK, 0, 0); }
    bool ButtonEnabled() const { return IsWindowEnabled(Item(IDC_SELECT_FOR_STREAMING)) != FALSE; }
    int CheckedRadio() const
    {
        const bool single = IsDlgButtonChecked(page_.Window(), IDC_MODE_SINGLE_DEVICE) == BST_CHECKED;
        const bool all = IsDlgButtonChecked(page_.Window(), IDC_MODE_ALL_DEVICES) == BST_CHECKED;
        return single && !all ? IDC_MODE_SINGLE_DEVICE : all && !single ? IDC_MODE_ALL_DEVICES : 0;
    }
    void ReportStreamingMode(uint32_t mode)
    {
        NorvikStreamingStatus status{};
        status.state = NORVIK_STREAMING_READY;
        status.mode = mode;
        model_.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, NORVIK_STATUS_SUCCESS, 1, Bytes(status));
    }

    FormDevices page_{client_};
    HWND list_ = nullptr;
};
} // namespace

TEST_F(DevicesPage, RowsShowEveryUnitAndWhichStreams)
{
    // The second unit streams.
    const auto units = model_.Units();
    ASSERT_EQ(2u, units.size());
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.SelectStreamingDevice(units[1].key1, units[1].key2, 0));
    UpdateDevices();

    page_.Refresh();
    ASSERT_EQ(2, ListView_GetItemCount(list_));
    for (int row = 0; row < 2; ++row)
    {
        EXPECT_EQ(L"Corvex", ListText(list_, row, 0));
        EXPECT_EQ(units[row].serial, ListText(list_, row, 1));
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ASSERT_TRUE(ListView_GetItem(list_, &item));
        EXPECT_EQ(row, item.lParam);
    }
    EXPECT_EQ(L"", ListText(list_, 0, 2));
    EXPECT_EQ(L"X", ListText(list_, 1, 2));
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              ListView_GetExtendedListViewStyle(list_) & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    Screenshot(L"pages_devices");
}

TEST_F(DevicesPage, ButtonFollowsTheRowSelection)
{
    page_.Refresh();
    EXPECT_FALSE(ButtonEnabled()) << "no row is selected after a refresh";
    SelectListRow(list_, 1);
    EXPECT_TRUE(ButtonEnabled());
    SelectListRow(list_, -1);
    EXPECT_FALSE(ButtonEnabled());
    SelectListRow(list_, 0);
    page_.Refresh();
    EXPECT_FALSE(ButtonEnabled());
}

TEST_F(DevicesPage, SelectForStreamingMakesTheRowsUnitStream)
{
    page_.Refresh();
    ASSERT_EQ(L"X", ListText(list_, 0, 2));
    SelectListRow(list_, 1);
    Click(IDC_SELECT_FOR_STREAMING);

    EXPECT_EQ(1u, SentRequests(NORVIK_REQ_SELECT_STREAMING_DEVICE));
    const auto units = model_.Units();
    EXPECT_EQ(0, units[0].streamingFlags & 1);
    EXPECT_EQ(1, units[1].streamingFlags & 1);
    EXPECT_TRUE(TakeBoxes().empty());
    // The page was refreshed: the mark moved, no row is selected.
    EXPECT_EQ(L"", ListText(list_, 0, 2));
    EXPECT_EQ(L"X", ListText(list_, 1, 2));
    EXPECT_FALSE(ButtonEnabled());

    // Without a selected row the button does nothing, even when pressed by message.
    (void)SendMessageW(page_.Window(), WM_COMMAND, MAKEWPARAM(IDC_SELECT_FOR_STREAMING, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Item(IDC_SELECT_FOR_STREAMING)));
    EXPECT_EQ(1u, SentRequests(NORVIK_REQ_SELECT_STREAMING_DEVICE));
}

TEST_F(DevicesPage, RadioFollowsTheModeWord)
{
    struct Case
    {
        uint32_t mode;
        int checked;
    };
    // Each row starts from the previous one's state: a mode word of 2 leaves the group as it is.
    const Case cases[] = {
        {1, IDC_MODE_ALL_DEVICES},   {2, IDC_MODE_ALL_DEVICES}, {0, IDC_MODE_SINGLE_DEVICE},
        {2, IDC_MODE_SINGLE_DEVICE}, {1, IDC_MODE_ALL_DEVICES},
    };
    for (const Case& c : cases)
    {
        ReportStreamingMode(c.mode);
        page_.Refresh();
        EXPECT_EQ(c.checked, CheckedRadio()) << "mode word " << c.mode;
    }

    // A status that cannot be read counts as all zeros: mode 0.
    model_.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, NORVIK_STATUS_DEVICE_REMOVED);
    page_.Refresh();
    EXPECT_EQ(IDC_MODE_SINGLE_DEVICE, CheckedRadio());
    EXPECT_EQ(0u, page_.Mode());
}

TEST_F(DevicesPage, RadioButtonsSendTheMode)
{
    page_.Refresh();
    Click(IDC_MODE_ALL_DEVICES);
    EXPECT_EQ(1u, model_.Settings().mode);
    EXPECT_EQ(IDC_MODE_ALL_DEVICES, CheckedRadio());
    Click(IDC_MODE_ALL_DEVICES); // already checked: sent again
    EXPECT_EQ(2u, SentRequests(NORVIK_REQ_SELECT_STREAMING_DEVICE));
    Click(IDC_MODE_SINGLE_DEVICE);
    EXPECT_EQ(3u, SentRequests(NORVIK_REQ_SELECT_STREAMING_DEVICE));
    EXPECT_EQ(0u, model_.Settings().mode);
    EXPECT_EQ(IDC_MODE_SINGLE_DEVICE, CheckedRadio());
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(DevicesPage, RefusalsAreReportedAndTheDriversStateShown)
{
    page_.Refresh();
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StartClient(5));
    Click(IDC_MODE_ALL_DEVICES);
    auto boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Corvex Control Panel", boxes[0].caption);
    EXPECT_EQ(L"Selecting the streaming device failed. (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).",
              boxes[0].text);
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_EQ(IDC_MODE_SINGLE_DEVICE, CheckedRadio()) << "the driver still streams one device";
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StopClient(5));

    // A unit on a USB 1.1 port cannot stream; the cause is said on a second line.
    SimUnitSpec slow;
    slow.serial = L"CVX-SLOW";
    slow.highSpeed = false;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.PlugUnit(slow));
    UpdateDevices();
    page_.Refresh();
    SelectListRow(list_, 2);
    Click(IDC_SELECT_FOR_STREAMING);
    boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Selecting the streaming device failed. (Status=NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE).\n"
              L"The device is not connected to a USB high-speed port.",
              boxes[0].text);
}

TEST_F(DevicesPage, WithoutTheDriverTheListIsEmpty)
{
    client_.CloseAll();
    page_.Refresh();
    EXPECT_EQ(0, ListView_GetItemCount(list_));
    EXPECT_FALSE(ButtonEnabled());
    EXPECT_EQ(IDC_MODE_SINGLE_DEVICE, CheckedRadio());
}

TEST_F(DevicesPage, ColumnsFollowTheListWidth)
{
    EXPECT_EQ(3, ColumnCount(list_));
    for (const SIZE size : {SIZE{420, 300}, SIZE{700, 400}, SIZE{380, 260}})
    {
        Fit(page_.Window(), size.cx, size.cy);
        RECT client{};
        ASSERT_TRUE(GetClientRect(list_, &client));
        const int width = client.right;
        EXPECT_EQ(width * 2 / 7, ColumnWidth(list_, 0)) << "page width " << size.cx;
        EXPECT_EQ(width * 2 / 6, ColumnWidth(list_, 1)) << "page width " << size.cx;
        EXPECT_EQ(width / 5, ColumnWidth(list_, 2)) << "page width " << size.cx;
    }
    // The list grows with the page; the controls below it move down.
    RECT list{}, group{}, page{};
    ASSERT_TRUE(GetWindowRect(list_, &list));
    ASSERT_TRUE(GetWindowRect(Item(IDC_STREAMING_MODE_GROUP), &group));
    ASSERT_TRUE(GetWindowRect(page_.Window(), &page));
    EXPECT_LT(list.bottom, group.top);
    EXPECT_LE(group.bottom, page.bottom);
}
