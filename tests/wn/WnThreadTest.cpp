// WnThread lifecycle with real threads, and the thread forwarder.
#include "wn/WnEvent.h"
#include "wn/WnThread.h"
#include "wn/WnThreadCallbackForwarderT.h"

#include <gtest/gtest.h>

namespace
{
// Runs until released, then returns its exit code.
class GatedBody : public WnThreadCallbackInterface
{
  public:
    explicit GatedBody(DWORD exitCode) : exitCode_(exitCode) { EXPECT_EQ(0u, gate_.Create(true)); }
    void Release() { EXPECT_EQ(0u, gate_.Set()); }
    DWORD Run() override
    {
        ranOn_ = GetCurrentThreadId();
        WaitForSingleObject(gate_.Get(), INFINITE);
        ++runs_;
        return exitCode_;
    }
    DWORD ranOn_ = 0;
    LONG runs_ = 0;

  private:
    WnEvent gate_;
    DWORD exitCode_;
};

DWORD ExitCodeAfterEnd(const WnThread& thread)
{
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), 10000));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread.Get(), &code));
    return code;
}
} // namespace

TEST(WnThread, LifecycleFromStartToWait)
{
    const DWORD exitCodes[] = {0, 42, 0xE0000001};
    for (DWORD exitCode : exitCodes)
    {
        GatedBody body(exitCode);
        WnThread thread;
        ASSERT_EQ(0u, thread.Start(&body));
        const HANDLE running = thread.Get();
        const DWORD id = thread.GetId();
        ASSERT_NE(nullptr, running);
        EXPECT_NE(0u, id);

        EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), thread.Start(&body)) << "second Start";
        EXPECT_EQ(running, thread.Get()) << "second Start must leave the running thread alone";
        EXPECT_EQ(id, thread.GetId());

        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), thread.Wait(0));
        EXPECT_EQ(running, thread.Get()) << "a timed-out Wait keeps the handle";

        body.Release();
        EXPECT_EQ(exitCode, ExitCodeAfterEnd(thread));
        EXPECT_EQ(0u, thread.Wait(0));
        EXPECT_EQ(nullptr, thread.Get());
        EXPECT_EQ(0u, thread.GetId());
        EXPECT_EQ(id, body.ranOn_) << "Run runs on the started thread";
        EXPECT_EQ(1, body.runs_);
    }
}

TEST(WnThread, EmptyThreadWaitsAtOnceAndRefusesNoBody)
{
    WnThread thread;
    EXPECT_EQ(0u, thread.Wait(INFINITE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), thread.Start(nullptr));
    EXPECT_EQ(nullptr, thread.Get());
}

TEST(WnThread, FailedStartLeavesTheWrapperEmpty)
{
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "a 64-bit process can reserve any stack size a 32-bit value names";
    GatedBody body(0);
    WnThread thread;
    SetLastError(0xdeadbeef);
    const DWORD status = thread.Start(&body, 0x7FF00000); // a stack reservation no 32-bit process can make
    EXPECT_NE(0u, status);
    EXPECT_NE(0xdeadbeefu, status);
    EXPECT_EQ(nullptr, thread.Get());
    EXPECT_EQ(0u, thread.GetId());
}

TEST(WnThread, CanBeRestartedAfterWait)
{
    GatedBody first(1), second(2);
    WnThread thread;
    ASSERT_EQ(0u, thread.Start(&first));
    first.Release();
    ASSERT_EQ(0u, thread.Wait(INFINITE));
    ASSERT_EQ(0u, thread.Start(&second));
    second.Release();
    EXPECT_EQ(2u, ExitCodeAfterEnd(thread));
    EXPECT_EQ(0u, thread.Wait(INFINITE));
}

TEST(WnThread, CreationFlagsReachTheThread)
{
    GatedBody body(5);
    body.Release();
    WnThread thread;
    ASSERT_EQ(0u, thread.Start(&body, 64 * 1024, CREATE_SUSPENDED));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), thread.Wait(0));
    EXPECT_EQ(0, body.runs_) << "a suspended thread has not run";
    ASSERT_NE(static_cast<DWORD>(-1), ResumeThread(thread.Get()));
    EXPECT_EQ(5u, ExitCodeAfterEnd(thread));
    EXPECT_EQ(0u, thread.Wait(0));
}

TEST(WnThread, MoveTransfersTheThread)
{
    GatedBody body(3);
    WnThread first;
    ASSERT_EQ(0u, first.Start(&body));
    const DWORD id = first.GetId();
    WnThread second(std::move(first));
    EXPECT_EQ(nullptr, first.Get());
    EXPECT_EQ(0u, first.GetId());
    EXPECT_EQ(id, second.GetId());
    EXPECT_EQ(0u, first.Wait(0)) << "the moved-from wrapper holds nothing";

    WnThread third;
    third = std::move(second);
    EXPECT_EQ(0u, second.GetId());
    EXPECT_EQ(id, third.GetId());
    body.Release();
    EXPECT_EQ(3u, ExitCodeAfterEnd(third));
    EXPECT_EQ(0u, third.Wait(INFINITE));
}

TEST(WnThreadCallbackForwarderT, RunsTheMemberFunctionOnTheObject)
{
    struct Service
    {
        DWORD Main() { return value * 2; }
        DWORD Other() { return 0; }
        DWORD value = 21;
    } service;
    WnThreadCallbackForwarderT<Service> forwarder(&service, &Service::Main);
    WnThread thread;
    ASSERT_EQ(0u, thread.Start(&forwarder));
    EXPECT_EQ(42u, ExitCodeAfterEnd(thread));
    EXPECT_EQ(0u, thread.Wait(0));
}
