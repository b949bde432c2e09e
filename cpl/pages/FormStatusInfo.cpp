#include "cpl/pages/FormStatusInfo.h"

#include "cpl/framework/ReportList.h"

#include <commctrl.h>
#include <strsafe.h>

namespace status_info
{
COLORREF CellTextColour(int column, uint32_t value)
{
    return column == 1 && value > 0 ? kCountedColour : kPlainColour;
}
} // namespace status_info

ResizeMapSpan FormStatusInfo::ResizeMap()
{
    static const ResizeMapEntry map[] = {
        {IDC_COUNTER_LIST, kResizeGrow},
        {IDC_DESCRIPTION_GROUP, kResizeSizeX | kResizeMoveY},
        {IDC_COUNTER_DESCRIPTION, kResizeSizeX | kResizeMoveY},
    };
    return MakeResizeMap(map);
}

LRESULT FormStatusInfo::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    list_ = Item(IDC_COUNTER_LIST);
    SetUpReportList(list_, {{L"Counter", 150}, {L"Value", 100}});
    for (const NorvikErrorCounterText& counter : kErrorCounterTexts)
        (void)AppendReportRow(list_, {counter.name, L""});
    UpdateDescription();
    return TRUE;
}

void FormStatusInfo::Show()
{
    if (!timerRunning_)
    {
        timerRunning_ =
            SetTimer(Hwnd(), status_info::kRefreshTimerId, status_info::kRefreshPeriodMs, nullptr) != 0;
    }
    Refresh();
    (void)ShowWindow(Hwnd(), SW_SHOW);
}

void FormStatusInfo::Hide()
{
    StopTimer();
    (void)ShowWindow(Hwnd(), SW_HIDE);
}

void FormStatusInfo::OnDestroy()
{
    StopTimer();
}

void FormStatusInfo::StopTimer()
{
    if (timerRunning_)
    {
        (void)KillTimer(Hwnd(), status_info::kRefreshTimerId);
        timerRunning_ = false;
    }
}

void FormStatusInfo::OnTimer(UINT_PTR timerId)
{
    if (timerId == status_info::kRefreshTimerId)
        Refresh();
}

void FormStatusInfo::Refresh()
{
    NorvikErrorCounters counters{};
    if (!client_.IsOpen() || client_.GetErrorCounters(&counters) != NORVIK_STATUS_SUCCESS)
        return;
    counters_ = counters;
    for (int i = 0; i < static_cast<int>(std::size(counters_.counters)); ++i)
    {
        wchar_t text[16];
        if (SUCCEEDED(StringCchPrintfW(text, ARRAYSIZE(text), L"%u", counters_.counters[i])))
            ListView_SetItemText(list_, i, 1, text);
    }
    UpdateDescription();
}

void FormStatusInfo::UpdateDescription()
{
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    const bool known = row >= 0 && row < static_cast<int>(std::size(kErrorCounterTexts));
    (void)SetDlgItemTextW(Hwnd(), IDC_COUNTER_DESCRIPTION,
                          known ? kErrorCounterTexts[row].description : status_info::kNoSelectionText);
}

bool FormStatusInfo::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom == IDC_COUNTER_LIST && header.code == LVN_ITEMCHANGED)
    {
        UpdateDescription();
        result = 0;
        return true;
    }
    return false;
}

// Custom drawing writes its colours into the notification, so it is taken before the typed dispatch, which
// only reads notifications.
bool FormStatusInfo::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    if (message != WM_NOTIFY || lParam == 0)
        return false;
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->idFrom != IDC_COUNTER_LIST || header->code != NM_CUSTOMDRAW)
        return false;
    result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    return true;
}

LRESULT FormStatusInfo::OnCustomDraw(NMLVCUSTOMDRAW& draw) const
{
    switch (draw.nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
    {
        const size_t row = draw.nmcd.dwItemSpec;
        const uint32_t value = row < std::size(counters_.counters) ? counters_.counters[row] : 0;
        draw.clrText = status_info::CellTextColour(draw.iSubItem, value);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}
