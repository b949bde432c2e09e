// Waitable timers with completion callbacks delivered during alertable waits.
#include "wn/WnWaitableTimer.h"
#include "wn/WnWaitableTimerCallbackForwarderT.h"

#include <gtest/gtest.h>

namespace
{
class CountingCallback : public WnWaitableTimerCallbackInterface
{
  public:
    void OnTimer(DWORD, DWORD) override
    {
        ++calls;
        lastThread = GetCurrentThreadId();
    }
    int calls = 0;
    DWORD lastThread = 0;
};

// Waits alertably until the callback has run at least `wanted` times or about 2 s have passed.
int PumpUntil(const int& calls, int wanted)
{
    const ULONGLONG deadline = GetTickCount64() + 2000;
    while (calls < wanted && GetTickCount64() < deadline)
    {
        SleepEx(20, TRUE);
    }
    return calls;
}
} // namespace

TEST(WnWaitableTimer, CallbackRunsRepeatedlyOnTheSettingThread)
{
    WnWaitableTimer timer;
    ASSERT_EQ(0u, timer.Create(false));
    CountingCallback callback;
    ASSERT_EQ(0u, timer.Set(50, &callback));
    EXPECT_EQ(0, callback.calls) << "the callback waits for an alertable wait";
    EXPECT_GE(PumpUntil(callback.calls, 3), 3);
    EXPECT_EQ(GetCurrentThreadId(), callback.lastThread);

    ASSERT_EQ(0u, timer.Cancel());
    SleepEx(0, TRUE); // drop anything already delivered
    const int afterCancel = callback.calls;
    SleepEx(200, TRUE);
    EXPECT_EQ(afterCancel, callback.calls) << "no callback after Cancel";
}

TEST(WnWaitableTimer, NonPositivePeriodIsRefusedAndChangesNothing)
{
    const LONG periods[] = {0, -1, -50};
    WnWaitableTimer timer;
    ASSERT_EQ(0u, timer.Create(false));
    CountingCallback callback;
    ASSERT_EQ(0u, timer.Set(50, &callback));
    for (LONG period : periods)
    {
        CountingCallback other;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), timer.Set(period, &other)) << period;
        const int before = callback.calls;
        EXPECT_GT(PumpUntil(callback.calls, before + 1), before)
            << "the timer still runs after Set(" << period << ")";
        EXPECT_EQ(0, other.calls);
    }

    // A refused Set on an idle timer does not arm it either (a fresh timer: Cancel keeps the signal).
    ASSERT_EQ(0u, timer.Create(false));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), timer.Set(0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(timer.Get(), 100));
}

TEST(WnWaitableTimer, WithoutCallbackTheTimerSignals)
{
    WnWaitableTimer timer;
    ASSERT_EQ(0u, timer.Create(true));
    ASSERT_EQ(0u, timer.Set(3000, nullptr));
    // The first expiry comes after 3000 x 100 ns, long before the repeat period.
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(timer.Get(), 2000));
}

TEST(WnWaitableTimer, EmptyTimerFailsToSetAndCancelsQuietly)
{
    WnWaitableTimer timer;
    EXPECT_NE(0u, timer.Set(50, nullptr));
    EXPECT_EQ(0u, timer.Cancel());
}

TEST(WnWaitableTimer, DestroyingCancelsPendingCallbacks)
{
    CountingCallback callback;
    {
        WnWaitableTimer timer;
        ASSERT_EQ(0u, timer.Create(false));
        ASSERT_EQ(0u, timer.Set(10, &callback));
        Sleep(50); // expiries queue up but are not delivered without an alertable wait
    }
    SleepEx(100, TRUE);
    EXPECT_EQ(0, callback.calls);
}

TEST(WnWaitableTimer, MoveKeepsTheArmedTimer)
{
    WnWaitableTimer first;
    ASSERT_EQ(0u, first.Create(false));
    CountingCallback callback;
    ASSERT_EQ(0u, first.Set(50, &callback));
    WnWaitableTimer second(std::move(first));
    EXPECT_EQ(nullptr, first.Get());
    EXPECT_GE(PumpUntil(callback.calls, 2), 2);
}

TEST(WnWaitableTimerCallbackForwarderT, CallsTheMemberFunction)
{
    struct Controller
    {
        void OnPoll(DWORD, DWORD) { ++polls; }
        int polls = 0;
    } controller;
    WnWaitableTimerCallbackForwarderT<Controller> forwarder(&controller, &Controller::OnPoll);
    WnWaitableTimer timer;
    ASSERT_EQ(0u, timer.Create(false));
    ASSERT_EQ(0u, timer.Set(20, &forwarder));
    EXPECT_GE(PumpUntil(controller.polls, 2), 2);
}
