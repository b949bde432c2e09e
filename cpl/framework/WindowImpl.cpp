#include "cpl/framework/WindowImpl.h"

WindowImpl::~WindowImpl()
{
    Destroy();
}

bool WindowImpl::RegisterWindowClass(WNDCLASSEXW windowClass)
{
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WindowImpl::WindowProc;
    if (windowClass.hInstance == nullptr)
        windowClass.hInstance = GetModuleHandleW(nullptr);
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND WindowImpl::Create(const wchar_t* className, HWND parent, const wchar_t* title, DWORD style,
                        DWORD exStyle, const RECT& rect, HMENU menuOrId)
{
    if (Hwnd() != nullptr)
        return nullptr;
    return CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, menuOrId, GetModuleHandleW(nullptr), this);
}

void WindowImpl::Destroy()
{
    if (Hwnd() != nullptr)
        (void)DestroyWindow(Hwnd());
}

LRESULT CALLBACK WindowImpl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<WindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE)
    {
        self = static_cast<WindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->AttachHwnd(hwnd);
    }
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    const bool handled = self->Dispatch(message, wParam, lParam, result);
    if (!handled)
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->DetachHwnd();
    }
    return result;
}
