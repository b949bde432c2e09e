// corvexcpl.exe as a user starts it: one instance at a time, "-exit", "-hide", "-notray" and its exit codes.
// Without CORVEX_DRIVER it looks for the kernel driver, finds none and shows its no-device state.
#include "cpl/MainFrame.h"
#include "tests/cpl/CplProcess.h"
#include "tests/cpl/CplTestSupport.h"

#include <gtest/gtest.h>

namespace
{
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
