#include "service/WnPnPNotificator.h"
#include "wn/WnLastError.h"
#include "wn/WnLock.h"

#include <dbt.h>
#include <strsafe.h>

namespace
{
constexpr size_t kNameCapacity = 80;
} // namespace

WnPnPNotificator::~WnPnPNotificator()
{
    (void)Stop(INFINITE);
    // A start that timed out left its thread running on this object; it must end before the object goes.
    if (thread_.Get() != nullptr)
    {
        if (window_ != nullptr)
            (void)PostMessageW(window_, WM_CLOSE, 0, 0);
        (void)thread_.Wait(INFINITE);
    }
}

DWORD WnPnPNotificator::Start(WnPnPNotificatorCallbackInterface* callback, HINSTANCE module)
{
    if (callback == nullptr)
        return ERROR_INVALID_PARAMETER;
    WnLock lock(lock_);
    if (started_)
        return ERROR_ALREADY_INITIALIZED;
    module_ = module != nullptr ? module : GetModuleHandleW(nullptr);
    callback_ = callback;
    DWORD result = ready_.Create(true);
    if (result != ERROR_SUCCESS)
        return result;
    result = thread_.Start(this);
    if (result != ERROR_SUCCESS)
        return result;
    if (WaitForSingleObject(ready_.Get(), kStartTimeoutMs) != WAIT_OBJECT_0)
        return ERROR_TIMEOUT;
    if (startResult_ == ERROR_SUCCESS)
    {
        started_ = true;
        return ERROR_SUCCESS;
    }
    (void)thread_.Wait(INFINITE);
    return startResult_;
}

DWORD WnPnPNotificator::Register(const GUID& guid)
{
    WnLock lock(lock_);
    if (!started_ || window_ == nullptr)
        return ERROR_INVALID_DATA;
    return registrations_.Add(window_, guid, DEVICE_NOTIFY_WINDOW_HANDLE);
}

DWORD WnPnPNotificator::Stop(DWORD timeoutMs)
{
    WnLock lock(lock_);
    DWORD result = ERROR_SUCCESS;
    if (started_)
    {
        // The default handling of WM_CLOSE destroys the window, and WM_DESTROY ends the message loop.
        (void)PostMessageW(window_, WM_CLOSE, 0, 0);
        result = thread_.Wait(timeoutMs);
        if (result == ERROR_SUCCESS)
        {
            started_ = false;
            module_ = nullptr;
            window_ = nullptr;
            callback_ = nullptr;
        }
    }
    registrations_.RemoveAll();
    return result;
}

DWORD WnPnPNotificator::Run()
{
    wchar_t className[kNameCapacity] = {};
    wchar_t windowName[kNameCapacity] = {};
    const DWORD processId = GetCurrentProcessId();
    const DWORD threadId = GetCurrentThreadId();
    (void)StringCchPrintfW(className, kNameCapacity, L"PnPNotificatorWndCls_%u_%u", processId, threadId);
    (void)StringCchPrintfW(windowName, kNameCapacity, L"PnPNotificator_HiddenWindow_%u_%u", processId,
                           threadId);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowRouter;
    windowClass.hInstance = module_;
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0)
    {
        startResult_ = WnLastError();
    }
    else
    {
        const HWND window =
            CreateWindowExW(0, className, windowName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module_, nullptr);
        if (window == nullptr)
        {
            startResult_ = WnLastError();
            (void)UnregisterClassW(className, module_);
        }
        else
        {
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            window_ = window;
            startResult_ = ERROR_SUCCESS;
        }
    }
    const DWORD startResult = startResult_;
    (void)ready_.Set();
    if (startResult != ERROR_SUCCESS)
        return startResult;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    window_ = nullptr;
    (void)UnregisterClassW(className, module_);
    return ERROR_SUCCESS;
}

LRESULT CALLBACK WnPnPNotificator::WindowRouter(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* notificator = reinterpret_cast<WnPnPNotificator*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (notificator != nullptr)
        return notificator->WindowProc(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT WnPnPNotificator::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_DEVICECHANGE:
    {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        const bool interfaceEvent = (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) &&
                                    header != nullptr &&
                                    header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
        if (interfaceEvent && callback_ != nullptr)
            callback_->OnDeviceChange(static_cast<DWORD>(wParam), reinterpret_cast<void*>(lParam));
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
