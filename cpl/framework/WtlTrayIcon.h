// Mix-in for an icon in the notification area: installs and removes it and answers its mouse messages
// (right click: the pop-up menu; double click: bring the window back).
#pragma once

#include "cpl/framework/UiHandles.h"

#include <windows.h>
#include <shellapi.h>
#include <strsafe.h>

template <typename T> class WtlTrayIcon
{
  public:
    // Installs the icon; the tooltip is cut to the 128-character field. Returns whether the shell took it.
    bool InstallIcon(const wchar_t* tooltip, int iconResourceId, UINT iconId, UINT callbackMessage,
                     UINT menuId)
    {
        HWND window = static_cast<T*>(this)->Hwnd();
        icon_.Attach(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
        iconData_ = NOTIFYICONDATAW{};
        iconData_.cbSize = sizeof(iconData_);
        iconData_.hWnd = window;
        iconData_.uID = iconId;
        iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        iconData_.uCallbackMessage = callbackMessage;
        iconData_.hIcon = icon_.Get();
        (void)StringCchCopyW(iconData_.szTip, ARRAYSIZE(iconData_.szTip), tooltip);
        menuId_ = menuId;
        installed_ = Shell_NotifyIconW(NIM_ADD, &iconData_) != FALSE;
        return installed_;
    }
    void RemoveIcon()
    {
        if (installed_)
        {
            (void)Shell_NotifyIconW(NIM_DELETE, &iconData_);
            installed_ = false;
        }
    }
    bool IsIconInstalled() const { return installed_; }

    // The host offers every message here first; true when handled.
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
    {
        if (!installed_ || message != iconData_.uCallbackMessage)
            return false;
        result = 0;
        if (wParam != iconData_.uID)
            return true;
        HWND window = static_cast<T*>(this)->Hwnd();
        switch (static_cast<UINT>(lParam))
        {
        case WM_RBUTTONUP:
            ShowTrayMenu(window);
            break;
        case WM_LBUTTONDBLCLK:
            if (IsIconic(window))
                (void)ShowWindow(window, SW_RESTORE);
            (void)ShowWindow(window, SW_SHOW);
            (void)SetForegroundWindow(window);
            break;
        default:
            break;
        }
        return true;
    }

  private:
    void ShowTrayMenu(HWND window)
    {
        UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId_)));
        HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
        if (popup == nullptr)
            return;
        POINT cursor{};
        (void)GetCursorPos(&cursor);
        // Without the foreground the menu would not close when the user clicks elsewhere.
        (void)SetForegroundWindow(window);
        (void)TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, cursor.x, cursor.y, 0, window, nullptr);
        (void)PostMessageW(window, WM_NULL, 0, 0);
    }

    NOTIFYICONDATAW iconData_{};
    UniqueIcon icon_;
    UINT menuId_ = 0;
    bool installed_ = false;
};
