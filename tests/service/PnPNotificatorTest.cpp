// The console-mode arrival window: start and stop rules, and which device-change messages reach the
// callback (delivered with SendMessage, as another process would).
#include "TestDeviceClass.h"
#include "service/WnPnPNotificator.h"

#include <gtest/gtest.h>

#include <dbt.h>
#include <strsafe.h>

#include <atomic>
#include <vector>

namespace
{
class Recorder
{
  public:
    void OnDeviceEvent(DWORD eventType, void* data)
    {
        if (IsForeignInterfaceEvent(data))
            return;
        events.push_back(eventType);
        threadId = GetCurrentThreadId();
    }
    std::vector<DWORD> events;
    std::atomic<DWORD> threadId{0};
};

struct Notificator : testing::Test
{
    Recorder recorder;
    WnPnPNotificatorCallbackForwarderT<Recorder> forwarder{&recorder, &Recorder::OnDeviceEvent};
    WnPnPNotificator notificator;
};

LRESULT SendDeviceChange(HWND window, WPARAM event, DWORD deviceType)
{
    DEV_BROADCAST_DEVICEINTERFACE_W broadcast = {};
    broadcast.dbcc_size = sizeof(broadcast);
    broadcast.dbcc_devicetype = deviceType;
    broadcast.dbcc_classguid = kTestInterfaceClass;
    return SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&broadcast));
}
} // namespace

TEST_F(Notificator, StartCreatesAHiddenWindowNamedAfterProcessAndThread)
{
    ASSERT_EQ(0u, notificator.Start(&forwarder, nullptr));
    const HWND window = notificator.GetWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));

    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    EXPECT_NE(GetCurrentThreadId(), threadId);
    wchar_t expected[80];
    wchar_t actual[80] = {};
    ASSERT_EQ(S_OK, StringCchPrintfW(expected, 80, L"PnPNotificatorWndCls_%u_%u", processId, threadId));
    GetClassNameW(window, actual, 80);
    EXPECT_STREQ(expected, actual);
    ASSERT_EQ(S_OK,
              StringCchPrintfW(expected, 80, L"PnPNotificator_HiddenWindow_%u_%u", processId, threadId));
    GetWindowTextW(window, actual, 80);
    EXPECT_STREQ(expected, actual);

    EXPECT_EQ(0u, notificator.Stop(INFINITE));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, notificator.GetWindow());
}

TEST_F(Notificator, StartAndRegisterRules)
{
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), notificator.Start(nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), notificator.Register(kTestInterfaceClass)) << "stopped";
    EXPECT_EQ(0u, notificator.Stop(INFINITE)) << "never started";

    ASSERT_EQ(0u, notificator.Start(&forwarder, nullptr));
    const HWND first = notificator.GetWindow();
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_INITIALIZED), notificator.Start(&forwarder, nullptr));
    EXPECT_EQ(first, notificator.GetWindow()) << "the first window stays";
    EXPECT_EQ(0u, notificator.Register(kTestInterfaceClass));
    EXPECT_EQ(0u, notificator.Stop(INFINITE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), notificator.Register(kTestInterfaceClass));

    ASSERT_EQ(0u, notificator.Start(&forwarder, nullptr)) << "a stopped notificator starts again";
    EXPECT_NE(nullptr, notificator.GetWindow());
}

TEST_F(Notificator, OnlyInterfaceArrivalsAndRemovalsReachTheCallbackOnItsThread)
{
    ASSERT_EQ(0u, notificator.Start(&forwarder, nullptr));
    const HWND window = notificator.GetWindow();
    struct Case
    {
        WPARAM event;
        DWORD deviceType;
        bool delivered;
    };
    const Case cases[] = {
        {DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, true},
        {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, true},
        {DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, false},
        {DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT, false},
        {DBT_DEVICEQUERYREMOVE, DBT_DEVTYP_DEVICEINTERFACE, false},
        {DBT_DEVICEREMOVEPENDING, DBT_DEVTYP_DEVICEINTERFACE, false},
    };
    std::vector<DWORD> expected;
    for (const Case& c : cases)
    {
        EXPECT_EQ(0, SendDeviceChange(window, c.event, c.deviceType));
        if (c.delivered)
        {
            expected.push_back(static_cast<DWORD>(c.event));
        }
    }
    EXPECT_EQ(0, SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0)) << "no header at all";
    EXPECT_EQ(expected, recorder.events);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), recorder.threadId.load());
}

TEST(WnPnPNotificatorForwarder, WithoutATargetDoesNothing)
{
    WnPnPNotificatorCallbackForwarderT<Recorder> forwarder(nullptr, &Recorder::OnDeviceEvent);
    forwarder.OnDeviceChange(DBT_DEVICEARRIVAL, nullptr);
}
