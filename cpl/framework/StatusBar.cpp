#include "cpl/framework/StatusBar.h"

#include <commctrl.h>

HWND StatusBar::Create(HWND parent, UINT controlId, const wchar_t* defaultText, std::vector<int> fixedWidths)
{
    fixedWidths_ = std::move(fixedWidths);
    hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, defaultText,
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | CCS_BOTTOM, 0, 0, 0, 0,
                            parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ != nullptr)
    {
        UpdateLayout();
        SetPaneText(0, defaultText);
    }
    return hwnd_;
}

void StatusBar::FitPaneTo(int pane, const wchar_t* text)
{
    if (hwnd_ == nullptr || pane < 1 || pane > static_cast<int>(fixedWidths_.size()))
        return;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    SIZE extent{};
    (void)GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
    SelectObject(dc, old);
    (void)ReleaseDC(hwnd_, dc);
    // The part's borders and inner margins, and the size grip over the last part.
    int needed = extent.cx + 4 * GetSystemMetrics(SM_CXEDGE) + 4;
    if (pane == static_cast<int>(fixedWidths_.size()))
        needed += GetSystemMetrics(SM_CXVSCROLL);
    if (needed > fixedWidths_[pane - 1])
    {
        fixedWidths_[pane - 1] = needed;
        UpdateLayout();
    }
}

void StatusBar::SetPaneText(int pane, const wchar_t* text)
{
    (void)SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text));
}

std::wstring StatusBar::PaneText(int pane) const
{
    const LRESULT length = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    (void)SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

void StatusBar::UpdateLayout()
{
    if (hwnd_ == nullptr)
        return;
    (void)SendMessageW(hwnd_, WM_SIZE, 0, 0);
    RECT client{};
    (void)GetClientRect(hwnd_, &client);
    // Right edges from the right: the last pane runs to the end (-1), each other ends where the next begins.
    std::vector<int> edges(fixedWidths_.size() + 1);
    int right = client.right;
    edges.back() = -1;
    for (size_t i = fixedWidths_.size(); i > 0; --i)
    {
        right -= fixedWidths_[i - 1];
        edges[i - 1] = right > 0 ? right : 0;
    }
    (void)SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

int StatusBar::Height() const
{
    RECT rect{};
    if (hwnd_ == nullptr || !IsWindowVisible(hwnd_))
        return 0;
    (void)GetWindowRect(hwnd_, &rect);
    return rect.bottom - rect.top;
}

std::wstring StatusBar::MenuHelpText(UINT commandId)
{
    wchar_t buffer[256] = L"";
    if (commandId == 0 || LoadStringW(GetModuleHandleW(nullptr), commandId, buffer, 256) <= 0)
        return std::wstring();
    std::wstring text(buffer);
    const size_t lineBreak = text.find(L'\n');
    return lineBreak == std::wstring::npos ? text : text.substr(0, lineBreak);
}

void StatusBar::OnMenuSelect(UINT item, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && menu == nullptr)
    {
        // The menu closed.
        showingMenuHelp_ = false;
        menuHelp_.clear();
        (void)SendMessageW(hwnd_, SB_SIMPLE, FALSE, 0);
        return;
    }
    menuHelp_.clear();
    if ((flags & (MF_POPUP | MF_SEPARATOR)) == 0)
        menuHelp_ = MenuHelpText(item);
    showingMenuHelp_ = true;
    (void)SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
    (void)SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(menuHelp_.c_str()));
}
