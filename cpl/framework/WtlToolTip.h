// Mix-in for a balloon tooltip over some of a dialog's controls. Each tool is identified by its window and
// subclassed, so the tooltip sees the control's mouse messages; the host relays its own.
#pragma once

#include "cpl/framework/UiHandles.h"

#include <windows.h>
#include <commctrl.h>

template <typename T> class WtlToolTip
{
  public:
    // Creates the tooltip control for the host window (balloon style, texts taken as written: no prefix
    // processing). Returns whether it exists.
    bool CreateToolTip()
    {
        HWND host = static_cast<T*>(this)->Hwnd();
        toolTip_.Attach(CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, host, nullptr, GetModuleHandleW(nullptr), nullptr));
        return toolTip_.IsValid();
    }
    // Adds `control` as a tool showing `text`, which must outlive the tooltip.
    bool AddTool(HWND control, const wchar_t* text)
    {
        if (!toolTip_ || control == nullptr)
            return false;
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = static_cast<T*>(this)->Hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<wchar_t*>(text);
        return SendMessageW(toolTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    }
    // The tool text of `control`, read back into `text`; empty when it has no tool.
    void GetToolText(HWND control, wchar_t* text, size_t capacity) const
    {
        text[0] = L'\0';
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = static_cast<const T*>(this)->Hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = text;
        if (capacity >= 80) // TTM_GETTEXT writes up to 80 characters
            (void)SendMessageW(toolTip_.Get(), TTM_GETTEXTW, capacity, reinterpret_cast<LPARAM>(&tool));
    }
    HWND ToolTip() const { return toolTip_.Get(); }

    // The host chains this first for every message: its own mouse messages go to the tooltip too, and the
    // tooltip goes with the host's window. Never handles the message.
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& /*result*/)
    {
        if (message == WM_DESTROY)
        {
            // Gone already when the top-level window that owns it is being destroyed.
            if (IsWindow(toolTip_.Get()))
                toolTip_.Close();
            else
                (void)toolTip_.Detach();
        }
        if (toolTip_ && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        {
            MSG relayed{static_cast<T*>(this)->Hwnd(), message, wParam, lParam, 0, {}};
            (void)SendMessageW(toolTip_.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
        }
        return false;
    }

  private:
    // A pop-up: the system makes the host's top-level window its owner, which would keep it until that window
    // goes, so the host's window takes it along itself.
    UniqueWindow toolTip_;
};
