// corvexcpl.exe as a user starts it: one instance at a time, "-exit", "-hide", "-notray" and its exit codes,
// its tray icon and its window's place, all seen from this other process as a user would see them. Without
// CORVEX_DRIVER it looks for the kernel driver, finds none and shows its no-device state.
#include "cpl/MainFrame.h"
#include "tests/cpl/CplProcess.h"
#include "tests/cpl/CplTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{
constexpr wchar_t kTitle[] = L"Corvex Control Panel"; // also the tray icon's tip

std::wstring ControlPanel()
{
    return BuildProgramPath(L"cpl\\corvexcpl.exe");
}

// Waits until the child's main window exists; it may be hidden.
HWND WaitForMainWindow(const ChildProgram& child)
{
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindProcessWindow(kCplInstanceId, child.ProcessId())) != nullptr; });
    return window;
}

BOOL CALLBACK CountMainWindow(HWND hwnd, LPARAM data)
{
    wchar_t className[64] = L"";
    GetClassNameW(hwnd, className, 64);
    *reinterpret_cast<int*>(data) += wcscmp(className, kCplInstanceId) == 0;
    return TRUE;
}

int CountMainWindows()
{
    int count = 0;
    EnumWindows(&CountMainWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void ExitAll()
{
    ChildProgram closer;
    ASSERT_TRUE(closer.Start(ControlPanel(), L"-exit"));
    ASSERT_TRUE(closer.WaitForExit());
    EXPECT_EQ(0u, closer.ExitCode());
}

// A window of the control panel's class that will not close.
class StubbornWindow
{
  public:
    StubbornWindow()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &StubbornWindow::Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kCplInstanceId;
        RegisterClassExW(&windowClass);
        hwnd_ = CreateWindowExW(0, kCplInstanceId, L"stubborn", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        closeRequests = 0;
    }
    ~StubbornWindow()
    {
        DestroyWindow(hwnd_);
        UnregisterClassW(kCplInstanceId, GetModuleHandleW(nullptr));
    }
    HWND Hwnd() const { return hwnd_; }
    static int closeRequests;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_CLOSE)
        {
            ++closeRequests;
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};
int StubbornWindow::closeRequests = 0;
} // namespace

TEST(CplProgram, ExitWithNothingRunningEndsAtOnceInAnyLetterCase)
{
    for (const wchar_t* arguments : {L"-exit", L"-EXIT", L"-hide -Exit"})
    {
        ChildProgram child;
        ASSERT_TRUE(child.Start(ControlPanel(), arguments));
        ASSERT_TRUE(child.WaitForExit());
        EXPECT_EQ(0u, child.ExitCode()) << arguments;
        EXPECT_EQ(0, CountMainWindows()) << arguments;
    }
}

TEST(CplProgram, SecondStartShowsTheFirstFromTheTrayAndEnds)
{
    ChildProgram first;
    ASSERT_TRUE(first.Start(ControlPanel(), L"-hide"));
    HWND window = WaitForMainWindow(first);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    // The window exists before the first program has finished starting; let it reach its message loop.
    (void)WaitForInputIdle(first.Process(), 10000);

    ChildProgram second;
    ASSERT_TRUE(second.Start(ControlPanel(), L"-notray"));
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(1u, second.ExitCode());
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_EQ(1, CountMainWindows());

    ExitAll();
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_EQ(1u, first.ExitCode()); // the quit message's value
}

TEST(CplProgram, ExitGivesUpOnAWindowThatRefusesToCloseAfterFiftyRequests)
{
    StubbornWindow stubborn;
    ASSERT_NE(nullptr, stubborn.Hwnd());
    ChildProgram child;
    ASSERT_TRUE(child.Start(ControlPanel(), L"-exit"));
    ASSERT_TRUE(child.WaitForExit(60000));
    EXPECT_EQ(1u, child.ExitCode());
    EXPECT_EQ(50, StubbornWindow::closeRequests);
}

TEST(CplProgram, HiddenStartAndCloseBoxWithAndWithoutTray)
{
    {
        ChildProgram hidden;
        ASSERT_TRUE(hidden.Start(ControlPanel(), L"-hide -notray"));
        HWND window = WaitForMainWindow(hidden);
        ASSERT_NE(nullptr, window);
        EXPECT_FALSE(IsWindowVisible(window));
        ExitAll();
        ASSERT_TRUE(hidden.WaitForExit());
    }
    {
        // Without a tray icon the close box ends the program.
        ChildProgram noTray;
        ASSERT_TRUE(noTray.Start(ControlPanel(), L"-notray"));
        HWND window = WaitForMainWindow(noTray);
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(noTray.WaitForExit());
        EXPECT_EQ(1u, noTray.ExitCode());
    }
    {
        // With one it only hides the window; "E&xit" of the tray menu ends it.
        ChildProgram tray;
        ASSERT_TRUE(tray.Start(ControlPanel(), L""));
        HWND window = WaitForMainWindow(tray);
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window); }));
        EXPECT_FALSE(tray.HasExited());
        PostMessageW(window, WM_COMMAND, 57665, 0);
        ASSERT_TRUE(tray.WaitForExit());
        EXPECT_EQ(1u, tray.ExitCode());
    }
}

TEST(CplProgram, HiddenAtLogonItLivesInTheTrayWhoseMenuAndDoubleClickBringItBack)
{
    ChildProgram panel;
    ASSERT_TRUE(panel.Start(ControlPanel(), L"-hide"));
    HWND window = WaitForMainWindow(panel);
    ASSERT_NE(nullptr, window);
    RECT icon{};
    ASSERT_TRUE(PumpUntil([&] { return FindTrayIcon(kTitle, &icon); })) << "the tray icon is the way in";
    EXPECT_FALSE(IsWindowVisible(window));
    (void)WaitForInputIdle(panel.Process(), 10000);
    SaveScreenshot(FindWindowW(L"Shell_TrayWnd", nullptr), L"program-tray-icon");

    const auto chooseFromTheIconsMenu = [&](wchar_t mnemonic)
    {
        ClickTrayIcon(icon, true);
        HWND menu = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (menu = FindPopupMenu(panel.ProcessId())) != nullptr; }));
        SaveScreenshot(menu, L"program-tray-menu");
        PostMessageW(menu, WM_CHAR, mnemonic, 0);
    };
    chooseFromTheIconsMenu(L'r'); // "&Restore"
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));

    // The close box hides it to the tray; a double click on the icon brings it back.
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_TRUE(FindTrayIcon(kTitle, &icon));
    ClickTrayIcon(icon, false);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window) != FALSE; }));

    chooseFromTheIconsMenu(L'x'); // "E&xit"
    ASSERT_TRUE(panel.WaitForExit());
    EXPECT_EQ(1u, panel.ExitCode());
    EXPECT_TRUE(PumpUntil([&] { return !FindTrayIcon(kTitle, &icon); })) << "the icon went with the program";
}

TEST(CplProgram, PlacementIsKeptAcrossStartsClampedOntoTheScreenAndNotTakenFromAMinimisedWindow)
{
    DeletePlacement();
    // Starts it, lets `use` act on the shown window, then ends it with -exit; the window's rectangle as
    // shown.
    const auto run = [](const wchar_t* arguments, const std::function<void(HWND)>& use)
    {
        ChildProgram panel;
        RECT shown{};
        EXPECT_TRUE(panel.Start(ControlPanel(), arguments));
        HWND window = WaitForMainWindow(panel);
        EXPECT_TRUE(PumpUntil([&] { return window != nullptr && IsWindowVisible(window); }));
        GetWindowRect(window, &shown);
        use(window);
        ExitAll();
        EXPECT_TRUE(panel.WaitForExit());
        return shown;
    };
    const auto place = [](HWND window, int x, int y, int width, int height)
    { SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE); };

    // Moved by the user, hidden in the tray, and ended there by -exit.
    run(L"",
        [&](HWND window)
        {
            place(window, 200, 150, 600, 450);
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window); }));
        });
    EXPECT_EQ((std::vector<DWORD>{200, 150, 600, 450}), StoredPlacement());
    RECT shown = run(L"-notray", [](HWND window) { SaveScreenshot(window, L"program-placement-restored"); });
    EXPECT_EQ(200, shown.left);
    EXPECT_EQ(150, shown.top);
    EXPECT_EQ(800, shown.right);
    EXPECT_EQ(600, shown.bottom);

    // A place on a monitor that is gone: a strip of the window stays on the screen.
    StorePlacement(5000, 3000, 600, 450);
    shown = run(L"-notray", [](HWND) { SaveScreenshot(GetDesktopWindow(), L"program-placement-clamped"); });
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) - 50, shown.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) - 50, shown.top);

    // Minimised, then ended: the next start shows it where it was before the minimise.
    run(L"-notray",
        [&](HWND window)
        {
            place(window, 300, 200, 640, 480);
            PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            EXPECT_TRUE(PumpUntil([&] { return IsIconic(window) != FALSE; }));
        });
    shown = run(L"-notray", [](HWND) {});
    EXPECT_EQ(300, shown.left);
    EXPECT_EQ(200, shown.top);
    EXPECT_EQ(940, shown.right);
    EXPECT_EQ(680, shown.bottom);
    DeletePlacement();
}
