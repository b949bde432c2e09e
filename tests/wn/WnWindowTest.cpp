// The posting thread and device notifications against real windows.
#include "wn/WnDeviceNotificationList.h"
#include "wn/WnEvent.h"
#include "wn/WnPostWindowMessageThread.h"

#include <gtest/gtest.h>

namespace
{
const UINT kNotifyMessage = WM_APP + 10;

// A window on the test thread that counts the posted notification messages it receives.
class CountingWindow
{
  public:
    explicit CountingWindow(HWND parent)
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvexWnTestWindow";
        RegisterClassW(&windowClass); // fails harmlessly when already registered
        hwnd_ = CreateWindowExW(0, windowClass.lpszClassName, L"wn test", WS_OVERLAPPED, 0, 0, 10, 10, parent,
                                nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CountingWindow() { DestroyWindow(hwnd_); }
    HWND Get() const { return hwnd_; }

    // Dispatches messages until count reaches wanted or about 2 s have passed.
    int PumpUntil(int wanted)
    {
        const ULONGLONG deadline = GetTickCount64() + 2000;
        while (count < wanted && GetTickCount64() < deadline)
        {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            PumpPending();
        }
        return count;
    }
    void PumpPending()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            DispatchMessageW(&msg);
        }
    }

    int count = 0;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == kNotifyMessage && self != nullptr)
        {
            EXPECT_EQ(0u, wParam);
            EXPECT_EQ(0, lParam);
            ++self->count;
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

const GUID kInterfaceClass = {0x1b2f4c8e, 0x3a71, 0x4d2e, {0x9c, 0x11, 0x5e, 0x62, 0x0a, 0x7b, 0x33, 0xd4}};
const GUID kOtherClass = {0x7d0e2a45, 0x96c3, 0x41f8, {0xa2, 0x5b, 0x10, 0xce, 0x84, 0x6f, 0x29, 0x07}};
} // namespace

TEST(WnPostWindowMessageThread, PostsWhenTheEventFiresUntilStopped)
{
    CountingWindow window(HWND_MESSAGE);
    ASSERT_NE(nullptr, window.Get());
    WnEvent notification;
    ASSERT_EQ(0u, notification.Create(false));

    WnPostWindowMessageThread poster;
    ASSERT_EQ(0u, poster.Start(window.Get(), notification.Get(), kNotifyMessage));
    EXPECT_TRUE(poster.IsRunning());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), poster.Start(window.Get(), notification.Get(), 0));

    for (int round = 1; round <= 3; ++round)
    {
        ASSERT_EQ(0u, notification.Set());
        EXPECT_EQ(round, window.PumpUntil(round)) << "round " << round;
    }

    EXPECT_EQ(0u, poster.Stop());
    EXPECT_FALSE(poster.IsRunning());
    ASSERT_EQ(0u, notification.Set());
    Sleep(50);
    window.PumpPending();
    EXPECT_EQ(3, window.count) << "nothing is posted after Stop";
}

TEST(WnPostWindowMessageThread, SignalsBeforeThePumpMayCoalesce)
{
    CountingWindow window(HWND_MESSAGE);
    WnEvent notification;
    ASSERT_EQ(0u, notification.Create(false));
    WnPostWindowMessageThread poster;
    ASSERT_EQ(0u, poster.Start(window.Get(), notification.Get(), kNotifyMessage));

    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(0u, notification.Set());
    }
    EXPECT_GE(window.PumpUntil(1), 1);
    EXPECT_EQ(0u, poster.Stop());
    window.PumpPending();
    EXPECT_LE(window.count, 3);
}

TEST(WnPostWindowMessageThread, StopAndRestart)
{
    CountingWindow window(HWND_MESSAGE);
    WnEvent notification;
    ASSERT_EQ(0u, notification.Create(false));
    WnPostWindowMessageThread poster;
    EXPECT_EQ(0u, poster.Stop()) << "stopping an idle thread does nothing";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), poster.Start(window.Get(), nullptr, kNotifyMessage));

    // An idle Stop must not leave the stop event set for the next run.
    ASSERT_EQ(0u, poster.Start(window.Get(), notification.Get(), kNotifyMessage));
    ASSERT_EQ(0u, notification.Set());
    EXPECT_EQ(1, window.PumpUntil(1));
    EXPECT_EQ(0u, poster.Stop());
    ASSERT_EQ(0u, poster.Start(window.Get(), notification.Get(), kNotifyMessage));
    ASSERT_EQ(0u, notification.Set());
    EXPECT_EQ(2, window.PumpUntil(2));
    // The destructor stops the running thread.
}

TEST(WnPostWindowMessageThread, StopWorksAfterTheWatchedHandleWentBad)
{
    CountingWindow window(HWND_MESSAGE);
    WnEvent notification;
    ASSERT_EQ(0u, notification.Create(false));
    HANDLE watched = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), notification.Get(), GetCurrentProcess(), &watched, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    WnPostWindowMessageThread poster;
    ASSERT_EQ(0u, poster.Start(window.Get(), watched, kNotifyMessage));
    ASSERT_TRUE(CloseHandle(watched)); // misuse: every wait of the thread now fails
    EXPECT_EQ(0u, poster.Stop());
    EXPECT_FALSE(poster.IsRunning());
}

TEST(WnDeviceNotificationList, RegistersAndUnregistersForAWindow)
{
    CountingWindow window(nullptr); // device notifications go to top-level windows
    ASSERT_NE(nullptr, window.Get());
    WnDeviceNotificationList list;
    EXPECT_EQ(0u, list.Count());
    ASSERT_EQ(0u, list.Register(window.Get(), kInterfaceClass));
    ASSERT_EQ(0u, list.Register(window.Get(), kOtherClass));
    EXPECT_EQ(2u, list.Count());
    list.UnregisterAll();
    EXPECT_EQ(0u, list.Count());
    list.UnregisterAll();
    ASSERT_EQ(0u, list.Register(window.Get(), kInterfaceClass));
    EXPECT_EQ(1u, list.Count()); // the destructor unregisters it
}
