#include "cpl/CAboutDlg.h"

#include "resources/corvexcpl.h"

#include <algorithm>
#include <strsafe.h>

INT_PTR CAboutDlg::Run(HWND owner)
{
    return RunModal(IDD_ABOUTBOX, owner);
}

std::wstring CAboutDlg::VersionText()
{
    wchar_t text[200] = L"";
    (void)StringCchPrintfW(text, 200, L"%s\nVersion %u.%u.%u\n%s, Meridant", L"Meridant Device Driver", 1u,
                           36u, 1u, L"2008-2024");
    return text;
}

bool CAboutDlg::OnInitDialog(HWND, LPARAM)
{
    CenterOverOwner();
    (void)SetDlgItemTextW(Hwnd(), IDC_VERSION_TEXT, VersionText().c_str());
    (void)link_.Attach(Item(IDC_WEB_LINK), kWebAddress, kWebAddress);
    // OK, not the link, starts with the focus.
    (void)SetFocus(Item(IDOK));
    return false;
}

void CAboutDlg::CenterOverOwner()
{
    RECT box{};
    (void)GetWindowRect(Hwnd(), &box);
    HWND owner = GetWindow(Hwnd(), GW_OWNER);
    RECT workArea{};
    (void)SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT area = workArea;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner))
        (void)GetWindowRect(owner, &area);
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    LONG left = (area.left + area.right) / 2 - width / 2;
    LONG top = (area.top + area.bottom) / 2 - height / 2;
    // Keep the whole box on the work area.
    left = std::max(workArea.left, std::min(left, workArea.right - width));
    top = std::max(workArea.top, std::min(top, workArea.bottom - height));
    (void)SetWindowPos(Hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CAboutDlg::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK || id == IDCANCEL)
    {
        EndModal(id);
        return true;
    }
    return false;
}

bool CAboutDlg::OnClose()
{
    EndModal(IDCANCEL);
    return true;
}
