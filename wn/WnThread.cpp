#include "wn/WnThread.h"
#include "wn/WnLastError.h"

#include <process.h>
#include <utility>

namespace
{
// The runtime's own start routine sets up its per-thread state before Run.
unsigned __stdcall ThreadStart(void* argument)
{
    return static_cast<unsigned>(static_cast<WnThreadCallbackInterface*>(argument)->Run());
}
} // namespace

WnThread::WnThread(WnThread&& other) noexcept
    : WnHandle(std::move(other)), threadId_(std::exchange(other.threadId_, 0))
{
}

WnThread& WnThread::operator=(WnThread&& other) noexcept
{
    if (this != &other)
    {
        WnHandle::operator=(std::move(other));
        threadId_ = std::exchange(other.threadId_, 0);
    }
    return *this;
}

DWORD WnThread::Start(WnThreadCallbackInterface* callback, unsigned stackSize, unsigned creationFlags)
{
    if (handle_)
        return ERROR_ALREADY_EXISTS;
    if (callback == nullptr)
        return ERROR_INVALID_PARAMETER;
    unsigned id = 0;
    SetLastError(ERROR_SUCCESS);
    const uintptr_t thread = _beginthreadex(nullptr, stackSize, ThreadStart, callback, creationFlags, &id);
    if (thread == 0)
    {
        threadId_ = 0;
        return WnLastError();
    }
    handle_.Attach(reinterpret_cast<HANDLE>(thread));
    threadId_ = id;
    return ERROR_SUCCESS;
}

DWORD WnThread::Wait(DWORD milliseconds)
{
    if (!handle_)
        return ERROR_SUCCESS;
    const DWORD result = WaitForSingleObject(Get(), milliseconds);
    if (result == WAIT_OBJECT_0)
    {
        Close();
        return ERROR_SUCCESS;
    }
    return result == WAIT_FAILED ? WnLastError() : result;
}

void WnThread::Close() noexcept
{
    threadId_ = 0;
    WnHandle::Close();
}
