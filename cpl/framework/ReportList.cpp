#include "cpl/framework/ReportList.h"

void SetUpReportList(HWND list, std::initializer_list<ReportColumn> columns)
{
    (void)ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                                              LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ReportColumn& column : columns)
    {
        LVCOLUMNW data{};
        data.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        data.fmt = column.format;
        data.cx = column.width;
        data.pszText = const_cast<wchar_t*>(column.header);
        (void)ListView_InsertColumn(list, index++, &data);
    }
}

int AppendReportRow(HWND list, std::initializer_list<const wchar_t*> texts, LPARAM data)
{
    if (texts.size() == 0)
        return -1;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(*texts.begin());
    item.lParam = data;
    const int row = ListView_InsertItem(list, &item);
    if (row < 0)
        return -1;
    int column = 0;
    for (const wchar_t* text : texts)
    {
        if (column > 0)
            ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text));
        ++column;
    }
    return row;
}
