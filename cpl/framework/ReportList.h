// The report-view lists of the pages: grid lines, full-row selection, columns and rows of texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

struct ReportColumn
{
    const wchar_t* header;
    int width;
    int format = LVCFMT_LEFT;
};

// Adds grid lines and full-row selection to the list's extended style and inserts the columns.
void SetUpReportList(HWND list, std::initializer_list<ReportColumn> columns);

// Appends a row with one text per column and `data` as its item data; returns its index, or -1.
int AppendReportRow(HWND list, std::initializer_list<const wchar_t*> texts, LPARAM data = 0);
