// The Status Info page against the in-process driver: counters refreshed by the page's own timer while it
// is shown, red values above zero, the description of the selected counter.
#include "cpl/pages/FormStatusInfo.h"
#include "tests/cpl/PageTest.h"

namespace
{
class StatusInfoPage : public PageTest
{
  protected:
    void SetUp() override
    {
        PageTest::SetUp();
        Open(page_, 460, 320);
        list_ = GetDlgItem(page_.Window(), IDC_COUNTER_LIST);
    }

    // The text colour the page asks for when the list draws a cell.
    COLORREF DrawColour(int row, int column)
    {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list_;
        draw.nmcd.hdr.idFrom = IDC_COUNTER_LIST;
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        draw.iSubItem = column;
        draw.clrText = RGB(1, 2, 3);
        const LRESULT result =
            SendMessageW(page_.Window(), WM_NOTIFY, IDC_COUNTER_LIST, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(CDRF_NEWFONT, result);
        return draw.clrText;
    }
    LRESULT DrawStage(DWORD stage)
    {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list_;
        draw.nmcd.hdr.idFrom = IDC_COUNTER_LIST;
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = stage;
        return SendMessageW(page_.Window(), WM_NOTIFY, IDC_COUNTER_LIST, reinterpret_cast<LPARAM>(&draw));
    }
    std::wstring Description() const { return ControlText(page_.Window(), IDC_COUNTER_DESCRIPTION); }

    FormStatusInfo page_{client_};
    HWND list_ = nullptr;
};
} // namespace

TEST_F(StatusInfoPage, StartsWithNamesAndNoValues)
{
    ASSERT_EQ(5, ListView_GetItemCount(list_));
    const wchar_t* names[] = {L"Streaming Error Count", L"FIFO Error Count", L"ASIO Error Count",
                              L"WDM Audio Error Count", L"WDM MIDI Error Count"};
    for (int row = 0; row < 5; ++row)
    {
        EXPECT_EQ(names[row], ListText(list_, row, 0));
        EXPECT_EQ(L"", ListText(list_, row, 1));
    }
    EXPECT_EQ(150, ColumnWidth(list_, 0));
    EXPECT_EQ(100, ColumnWidth(list_, 1));
    EXPECT_EQ(L"Select a counter to see its description.", Description());
    EXPECT_FALSE(page_.IsTimerRunning());
    EXPECT_EQ(0u, LoggedRequests(NORVIK_IOCTL_GET_ERROR_COUNTERS));
}

TEST_F(StatusInfoPage, CounterTurnsRedAtTheNextTick)
{
    model_.SetErrorCounters({0, 0, 0, 0, 0});
    page_.Show();
    EXPECT_TRUE(page_.IsTimerRunning());
    EXPECT_EQ(1u, LoggedRequests(NORVIK_IOCTL_GET_ERROR_COUNTERS)) << "shown at once";
    EXPECT_EQ(L"0", ListText(list_, 1, 1));
    EXPECT_EQ(RGB(0, 0, 0), DrawColour(1, 1));

    model_.SetErrorCounters({0, 1, 0, 0, 7});
    EXPECT_TRUE(PumpUntil([&] { return ListText(list_, 1, 1) == L"1"; })) << "the page's timer refreshes it";
    EXPECT_EQ(RGB(255, 0, 0), DrawColour(1, 1));
    EXPECT_EQ(RGB(0, 0, 0), DrawColour(1, 0)) << "names stay black";
    EXPECT_EQ(RGB(0, 0, 0), DrawColour(0, 1));
    EXPECT_EQ(L"7", ListText(list_, 4, 1));
    EXPECT_EQ(RGB(255, 0, 0), DrawColour(4, 1));
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, DrawStage(CDDS_PREPAINT));
    EXPECT_EQ(CDRF_NOTIFYSUBITEMDRAW, DrawStage(CDDS_ITEMPREPAINT));
    Screenshot(L"pages_status_info");
}

TEST_F(StatusInfoPage, DescriptionFollowsTheSelectionAtOnce)
{
    SelectListRow(list_, 1);
    EXPECT_EQ(kErrorCounterTexts[1].description, Description());
    EXPECT_EQ(0u, Description().find(
                      L"This counter is incremented if an interruption in the isochronous USB stream "
                      L"is detected by the hardware."));
    SelectListRow(list_, 4);
    EXPECT_EQ(kErrorCounterTexts[4].description, Description());
    SelectListRow(list_, -1);
    EXPECT_EQ(L"Select a counter to see its description.", Description());
}

TEST_F(StatusInfoPage, HidingStopsTheTimerAndShowingRefreshesAtOnce)
{
    page_.Show();
    ASSERT_TRUE(page_.IsTimerRunning());
    page_.Hide();
    EXPECT_FALSE(page_.IsTimerRunning());
    EXPECT_FALSE(IsWindowVisible(page_.Window()));
    EXPECT_FALSE(KillTimer(page_.Window(), status_info::kRefreshTimerId)) << "no timer is left";

    model_.SetErrorCounters({3, 0, 0, 0, 0});
    ClearLog();
    page_.Show();
    EXPECT_EQ(1u, LoggedRequests(NORVIK_IOCTL_GET_ERROR_COUNTERS));
    EXPECT_EQ(L"3", ListText(list_, 0, 1));
    page_.Show(); // a second show keeps the one timer
    EXPECT_TRUE(KillTimer(page_.Window(), status_info::kRefreshTimerId));
}

TEST_F(StatusInfoPage, FailedReadsKeepTheValues)
{
    model_.SetErrorCounters({5, 0, 0, 0, 0});
    page_.Refresh();
    model_.SetErrorCounters({6, 0, 0, 0, 0});
    model_.InjectFault(NORVIK_IOCTL_GET_ERROR_COUNTERS, NORVIK_STATUS_DEVICE_REMOVED);
    page_.Refresh();
    EXPECT_EQ(L"5", ListText(list_, 0, 1));
    EXPECT_EQ(RGB(255, 0, 0), DrawColour(0, 1));

    client_.CloseAll();
    ClearLog();
    page_.Refresh();
    EXPECT_EQ(L"5", ListText(list_, 0, 1));
    EXPECT_EQ(0u, LoggedRequests(NORVIK_IOCTL_GET_ERROR_COUNTERS));
}
