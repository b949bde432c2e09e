// Program entry of the control panel: single instance, "-exit", "-hide", and the message loop.
#include "cpl/CplCommandLine.h"
#include "cpl/MainFrame.h"
#include "cpl/framework/MessageLoop.h"
#include "wn/WnMutex.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace
{
constexpr int kCloseAttempts = 50;
constexpr DWORD kCloseInterval = 200;

// Asks every running control panel to close; 0 when none is left, 1 when one still runs after the last try.
int CloseRunningInstances()
{
    for (int attempt = 0; attempt < kCloseAttempts; ++attempt)
    {
        HWND running = FindWindowW(kCplInstanceId, nullptr);
        if (running == nullptr)
            return 0;
        (void)SendMessageW(running, WM_CLOSE, 0, 0);
        Sleep(kCloseInterval);
    }
    return FindWindowW(kCplInstanceId, nullptr) == nullptr ? 0 : 1;
}

// Brings the running instance's window (or its last pop-up) to the front; a window hidden in the tray shows.
void ActivateRunningInstance()
{
    HWND running = FindWindowW(kCplInstanceId, nullptr);
    if (running == nullptr)
        return;
    HWND popup = GetLastActivePopup(running);
    if (popup == nullptr)
        popup = running;
    if (IsIconic(running))
        (void)ShowWindow(running, SW_RESTORE);
    (void)ShowWindow(popup, SW_SHOW);
    (void)SetForegroundWindow(popup);
}

RECT InitialRect()
{
    RECT desktop{};
    if (!GetWindowRect(GetDesktopWindow(), &desktop))
        return RECT{100, 100, 100 + MainFrame::kDefaultWidth, 100 + MainFrame::kDefaultHeight};
    const LONG left = desktop.right / 2 - MainFrame::kDefaultWidth / 2;
    const LONG top = desktop.bottom / 2 - MainFrame::kDefaultHeight / 2;
    return RECT{left, top, left + MainFrame::kDefaultWidth, top + MainFrame::kDefaultHeight};
}

int RunMainWindow()
{
    MessageLoop loop;
    AppModule::AddMessageLoop(&loop);
    int exitCode = 1;
    {
        auto frame = std::make_unique<MainFrame>();
        if (MainFrame::RegisterWindowClass() && frame->CreateFrame(InitialRect()) != nullptr)
        {
            (void)ShowWindow(frame->Hwnd(), CplCommandLine::HasSwitch(kSwitchHide) ? SW_HIDE : SW_SHOW);
            exitCode = loop.Run();
        }
    }
    AppModule::RemoveMessageLoop();
    return exitCode;
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    CplCommandLine::Store(commandLine);
    (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                                        ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                                        ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&controls);

    int exitCode = 1;
    if (CplCommandLine::HasSwitch(kSwitchExit))
    {
        exitCode = CloseRunningInstances();
    }
    else
    {
        // Held for the life of the process.
        static WnMutex instanceMutex;
        if (instanceMutex.Create(nullptr, true, kCplInstanceId) != ERROR_SUCCESS)
            ActivateRunningInstance();
        else
            exitCode = RunMainWindow();
    }
    CoUninitialize();
    return exitCode;
}
