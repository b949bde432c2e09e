#include "wn/WnHandle.h"

#include <utility>

WnHandle::~WnHandle()
{
    WnHandle::Close();
}

WnHandle::WnHandle(WnHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

WnHandle& WnHandle::operator=(WnHandle&& other) noexcept
{
    if (this != &other)
    {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void WnHandle::Close() noexcept
{
    if (handle_ != nullptr)
    {
        (void)CloseHandle(handle_);
        handle_ = nullptr;
    }
}

void WnHandle::Attach(HANDLE handle) noexcept
{
    if (handle != handle_)
    {
        Close();
        handle_ = handle;
    }
}

HANDLE WnHandle::Detach() noexcept
{
    return std::exchange(handle_, nullptr);
}
