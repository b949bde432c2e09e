#include "cpl/framework/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>

namespace
{
constexpr UINT_PTR kSubclassId = 0x484C; // any value unique to this subclass
constexpr COLORREF kLinkColour = RGB(0, 0, 255);
} // namespace

HyperLink::~HyperLink()
{
    Detach();
}

bool HyperLink::Attach(HWND control, const wchar_t* label, const wchar_t* target)
{
    Detach();
    if (control == nullptr)
        return false;
    control_ = control;
    label_ = label;
    target_ = target;
    LOGFONTW font{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (GetObjectW(current != nullptr ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font) != 0)
    {
        font.lfUnderline = TRUE;
        underlined_.Attach(CreateFontIndirectW(&font));
    }
    SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY | WS_TABSTOP);
    (void)SetWindowTextW(control, label);
    (void)SetWindowSubclass(control, &HyperLink::SubclassProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
    (void)InvalidateRect(control, nullptr, TRUE);
    return true;
}

void HyperLink::Detach()
{
    if (control_ != nullptr)
    {
        (void)RemoveWindowSubclass(control_, &HyperLink::SubclassProc, kSubclassId);
        control_ = nullptr;
    }
}

void HyperLink::Navigate() const
{
    (void)ShellExecuteW(nullptr, L"open", target_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void HyperLink::Paint(HWND hwnd)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    (void)GetClientRect(hwnd, &client);
    // The parent paints the background it gives its static controls.
    HBRUSH background = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &client, background != nullptr ? background : GetSysColorBrush(COLOR_3DFACE));
    HGDIOBJ oldFont = SelectObject(dc, underlined_ ? underlined_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    (void)SetTextColor(dc, kLinkColour);
    (void)SetBkMode(dc, TRANSPARENT);
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    format |= (style & SS_TYPEMASK) == SS_CENTER ? DT_CENTER : DT_LEFT;
    RECT text = client;
    (void)DrawTextW(dc, label_.c_str(), -1, &text, format);
    if (GetFocus() == hwnd)
    {
        RECT measured = client;
        (void)DrawTextW(dc, label_.c_str(), -1, &measured, format | DT_CALCRECT);
        const LONG width = measured.right - measured.left;
        const LONG left = (format & DT_CENTER) ? (client.right - width) / 2 : 0;
        RECT focus{left, client.top, left + width, client.bottom};
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK HyperLink::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data)
{
    auto* self = reinterpret_cast<HyperLink*>(data);
    switch (message)
    {
    case WM_PAINT:
        self->Paint(hwnd);
        return 0;
    case WM_SETCURSOR:
        (void)SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONUP:
        self->Navigate();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS;
    case WM_CHAR:
        if (wParam == L' ')
        {
            self->Navigate();
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        (void)InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_NCDESTROY:
        (void)RemoveWindowSubclass(hwnd, &HyperLink::SubclassProc, kSubclassId);
        self->control_ = nullptr;
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
