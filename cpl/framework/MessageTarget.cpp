#include "cpl/framework/MessageTarget.h"

bool MessageTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    if (OnMessage(message, wParam, lParam, result))
        return true;
    switch (message)
    {
    case WM_CREATE:
        result = OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam)) ? 0 : -1;
        return true;
    case WM_INITDIALOG:
        result = OnInitDialog(reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_CLOSE:
        return OnClose();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return lParam != 0 && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_SIZE:
        return OnSize(static_cast<UINT>(wParam), SIZE{LOWORD(lParam), HIWORD(lParam)});
    case WM_TIMER:
        if (lParam != 0)
            return false; // a timer with its own procedure: the default handling calls it
        OnTimer(wParam);
        return true;
    case WM_SHOWWINDOW:
        return OnShowWindow(wParam != 0, static_cast<UINT>(lParam));
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam),
                            POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
        return OnScroll(message == WM_VSCROLL, LOWORD(wParam), static_cast<short>(HIWORD(wParam)),
                        reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORSTATIC:
    {
        HBRUSH brush = nullptr;
        if (OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), brush))
        {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        return false;
    }
    case WM_DEVICECHANGE:
        return OnDeviceChange(static_cast<UINT>(wParam), lParam, result);
    case WM_MENUSELECT:
        return OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
    default:
        return false;
    }
}

void MessageTarget::DetachHwnd()
{
    hwnd_ = nullptr;
    OnFinalMessage();
}
