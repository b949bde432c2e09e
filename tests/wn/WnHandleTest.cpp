// Ownership of the handle wrappers, events and named mutexes.
#include "wn/WnEvent.h"
#include "wn/WnFileHandle.h"
#include "wn/WnMutex.h"
#include "wn/WnRegKey.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace
{
bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// Counts closes so a test can see that a handle is closed exactly once.
struct CountingTraits
{
    using Type = int;
    static int closes;
    static Type Invalid() noexcept { return -1; }
    static void Close(Type) noexcept { ++closes; }
};
int CountingTraits::closes = 0;
using CountingHandle = WnUniqueHandleT<CountingTraits>;

std::wstring UniqueName(const wchar_t* stem)
{
    return std::wstring(L"Local\\corvex-wn-") + stem + L"-" + std::to_wstring(GetCurrentProcessId());
}
} // namespace

TEST(WnHandle, MoveTransfersOwnershipAndClosesOnce)
{
    WnEvent first;
    ASSERT_EQ(0u, first.Create(true));
    const HANDLE raw = first.Get();

    WnEvent second(std::move(first));
    EXPECT_EQ(nullptr, first.Get());
    EXPECT_EQ(raw, second.Get());

    WnEvent third;
    ASSERT_EQ(0u, third.Create(false));
    const HANDLE replaced = third.Get();
    third = std::move(second);
    EXPECT_EQ(nullptr, second.Get());
    EXPECT_EQ(raw, third.Get());
    EXPECT_FALSE(IsOpen(replaced)) << "move assignment must close the handle it replaces";
    EXPECT_TRUE(IsOpen(raw));

    third.Close();
    EXPECT_EQ(nullptr, third.Get());
    EXPECT_FALSE(IsOpen(raw));
}

TEST(WnHandle, DetachGivesUpOwnership)
{
    HANDLE raw = nullptr;
    {
        WnEvent event;
        ASSERT_EQ(0u, event.Create(true));
        raw = event.Detach();
        EXPECT_FALSE(event);
    }
    EXPECT_TRUE(IsOpen(raw));
    WnHandle adopted(raw);
    adopted.Close();
    EXPECT_FALSE(IsOpen(raw));
}

TEST(WnUniqueHandleT, MovedFromIsEmptyAndEachHandleClosesOnce)
{
    CountingTraits::closes = 0;
    {
        CountingHandle a(7);
        CountingHandle b(std::move(a));
        EXPECT_FALSE(a.IsValid());
        EXPECT_EQ(7, b.Get());
        CountingHandle c(9);
        c = std::move(b); // closes 9
        EXPECT_EQ(1, CountingTraits::closes);
        EXPECT_EQ(7, c.Get());
        c = std::move(c); // self-move keeps the handle
        EXPECT_EQ(7, c.Get());
    }
    EXPECT_EQ(2, CountingTraits::closes);
}

TEST(WnUniqueHandleT, FileHandleTreatsOnlyInvalidHandleValueAsEmpty)
{
    WnFileHandle missing(
        CreateFileW(L"C:\\corvex-wn-no-such-dir\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(INVALID_HANDLE_VALUE, missing.Get());

    WnRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Put()));
    EXPECT_TRUE(key);
    WnRegKey moved(std::move(key));
    EXPECT_FALSE(key);
    EXPECT_TRUE(moved);
}

TEST(WnEvent, CreateMakesANonSignalledEventOfTheChosenReset)
{
    struct Case
    {
        bool manualReset;
        DWORD secondWait; // after one Set and one satisfied wait
    };
    const Case cases[] = {{true, WAIT_OBJECT_0}, {false, WAIT_TIMEOUT}};
    for (const Case& c : cases)
    {
        WnEvent event;
        ASSERT_EQ(0u, event.Create(c.manualReset));
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event.Get(), 0)) << "manual " << c.manualReset;
        ASSERT_EQ(0u, event.Set());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event.Get(), 0)) << "manual " << c.manualReset;
        EXPECT_EQ(c.secondWait, WaitForSingleObject(event.Get(), 0)) << "manual " << c.manualReset;
    }
}

TEST(WnEvent, CreateReplacesTheHeldEvent)
{
    WnEvent event;
    ASSERT_EQ(0u, event.Create(true));
    ASSERT_EQ(0u, event.Set());
    ASSERT_EQ(0u, event.Create(true));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event.Get(), 0));
}

TEST(WnEvent, SetOnAnEmptyWrapperFails)
{
    WnEvent event;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), event.Set());
}

TEST(WnMutex, CreateReportsWhetherTheNameExisted)
{
    const std::wstring name = UniqueName(L"mutex");
    const std::wstring otherName = name + L"-other";
    WnMutex holder;
    ASSERT_EQ(0u, holder.Create(nullptr, true, name.c_str()));

    struct Case
    {
        const wchar_t* name;
        DWORD expected;
    };
    const Case cases[] = {
        {name.c_str(), ERROR_ALREADY_EXISTS},
        {nullptr, 0},
        {otherName.c_str(), 0},
    };
    for (const Case& c : cases)
    {
        WnMutex mutex;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(c.expected, mutex.Create(nullptr, false, c.name)) << (c.name ? c.name : L"(unnamed)");
        EXPECT_NE(nullptr, mutex.Get()) << "the handle is kept all the same";
    }
}

TEST(WnMutex, ExistingMutexIsTheSameObject)
{
    const std::wstring name = UniqueName(L"shared");
    WnMutex owner;
    ASSERT_EQ(0u, owner.Create(nullptr, true, name.c_str()));
    WnMutex second;
    ASSERT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), second.Create(nullptr, false, name.c_str()));

    // Owned by this thread, so another thread can take it only after Unlock.
    auto waitFromAnotherThread = [&]
    {
        DWORD result = 0;
        std::thread(
            [&]
            {
                result = WaitForSingleObject(second.Get(), 0);
                if (result == WAIT_OBJECT_0)
                {
                    (void)ReleaseMutex(second.Get());
                }
            })
            .join();
        return result;
    };
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), waitFromAnotherThread());
    ASSERT_EQ(0u, owner.Unlock());
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waitFromAnotherThread());
}

TEST(WnMutex, RecreatingAfterTheLastHandleClosedIsNew)
{
    const std::wstring name = UniqueName(L"recreate");
    WnMutex mutex;
    ASSERT_EQ(0u, mutex.Create(nullptr, false, name.c_str()));
    // Create closes the held handle first, so the name is free again.
    EXPECT_EQ(0u, mutex.Create(nullptr, false, name.c_str()));
}
