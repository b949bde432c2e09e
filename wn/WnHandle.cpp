#include "wn/WnHandle.h"

#include <utility>

// Both go through the virtual Close, so that a derived wrapper's clean-up runs for the handle it gives up.
WnHandle& WnHandle::operator=(WnHandle&& other) noexcept
{
    if (this != &other)
    {
        Close();
        handle_ = std::move(other.handle_);
    }
    return *this;
}

void WnHandle::Attach(HANDLE handle) noexcept
{
    if (handle != handle_.Get())
    {
        Close();
        handle_.Attach(handle);
    }
}
