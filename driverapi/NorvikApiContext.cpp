#include "driverapi/NorvikApiContext.h"

#include "wn/WnLock.h"

#include <strsafe.h>

namespace
{
enum class HandleFailure
{
    None,      // the request failed; the handle is fine
    Dead,      // the handle can never work again
    Ambiguous, // a passing state or a dead handle: one more request tells
};

HandleFailure ClassifyFailure(NorvikStatus status, bool boundToUnit)
{
    switch (status)
    {
    // The simulator's pipe closed, or the device behind the kernel handle is gone or cancelled its requests.
    case ERROR_BROKEN_PIPE:
    case ERROR_PIPE_NOT_CONNECTED:
    case ERROR_NO_DATA:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_OPERATION_ABORTED:
        return HandleFailure::Dead;
    // A unit's handle stays bound to the unit that went; on the driver's own handle the code can only be
    // about a unit that a request named.
    case NORVIK_STATUS_DEVICE_REMOVED:
        return boundToUnit ? HandleFailure::Dead : HandleFailure::Ambiguous;
    // A device in a state that takes no requests, which often passes.
    case ERROR_BAD_COMMAND:
        return HandleFailure::Ambiguous;
    default:
        return HandleFailure::None;
    }
}
} // namespace

NorvikApiContext::~NorvikApiContext()
{
    Close();
}

NorvikStatus NorvikApiContext::Open(const wchar_t* name)
{
    WnLock lock(lock_);
    if (link_)
        return NORVIK_STATUS_REJECTED;
    boundToUnit_ = false;
    if (!ioEvent_)
    {
        const DWORD error = ioEvent_.Create(true);
        if (error != ERROR_SUCCESS)
            return error;
    }

    // A longer path is cut at the buffer's end; the cut path is what gets opened.
    wchar_t path[NORVIK_DEVICE_PATH_CHARS];
    (void)StringCchPrintfW(path, ARRAYSIZE(path), L"\\\\.\\%s", name);

    NorvikStatus status = CurrentDriverPort().Open(path, &link_);
    if (status != NORVIK_STATUS_SUCCESS || !link_)
    {
        Close();
        return status != NORVIK_STATUS_SUCCESS ? status : NORVIK_STATUS_INTERNAL_ERROR;
    }

    NorvikDriverInfo info{};
    uint32_t bytes = 0;
    status = Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, &info, sizeof(info), &bytes);
    // A version number that did not arrive is no version 2.
    if (status == NORVIK_STATUS_SUCCESS && (bytes < sizeof(info.interfaceMajor) || info.interfaceMajor != 2))
        status = NORVIK_STATUS_VERSION_MISMATCH;
    if (status != NORVIK_STATUS_SUCCESS)
        Close();
    else
        connectionLost_ = false;
    return status;
}

void NorvikApiContext::Close()
{
    WnLock lock(lock_);
    link_.reset();
    ioEvent_.Close();
}

bool NorvikApiContext::IsOpen() const
{
    WnLock lock(lock_);
    return link_ != nullptr;
}

NorvikStatus NorvikApiContext::Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out,
                                     uint32_t outSize, uint32_t* bytesReturned)
{
    WnLock lock(lock_);
    if (!link_)
        return NORVIK_STATUS_NOT_OPENED;
    uint32_t bytes = 0;
    NorvikStatus status = link_->Ioctl(code, in, inSize, out, outSize, &bytes, ioEvent_.Get());
    if (bytes > outSize)
    {
        // A port that claims more than the buffer holds is broken; nothing it wrote is trusted.
        bytes = 0;
        status = ERROR_INVALID_DATA;
    }
    if (bytesReturned != nullptr)
        *bytesReturned = bytes;
    const HandleFailure failure = ClassifyFailure(status, boundToUnit_);
    if (failure == HandleFailure::Ambiguous)
    {
        // Asked once more, as cheaply as the driver can answer; only a handle that fails again is given up.
        NorvikDriverInfo info{};
        uint32_t infoBytes = 0;
        const NorvikStatus confirm = link_->Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, &info,
                                                  sizeof(info), &infoBytes, ioEvent_.Get());
        if (confirm == NORVIK_STATUS_SUCCESS)
            return status;
    }
    if (failure != HandleFailure::None)
    {
        Close();
        connectionLost_ = true;
    }
    return status;
}

NorvikStatus NorvikApiContext::GetDriverInfo(NorvikDriverInfo* info)
{
    return Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, info, sizeof(*info));
}

bool NorvikApiContext::CheckConnection()
{
    WnLock lock(lock_);
    NorvikDriverInfo info{};
    if (link_)
        (void)GetDriverInfo(&info);
    return link_ != nullptr;
}

void NorvikApiContext::MarkBoundToUnit()
{
    WnLock lock(lock_);
    boundToUnit_ = true;
}

bool NorvikApiContext::ConnectionLost() const
{
    WnLock lock(lock_);
    return connectionLost_;
}

uint32_t BoundedCount(uint32_t count, uint32_t capacity, uint32_t bytesReturned, uint32_t headerSize,
                      uint32_t elementSize)
{
    const uint32_t arrived = bytesReturned < headerSize ? 0 : (bytesReturned - headerSize) / elementSize;
    uint32_t bounded = count < capacity ? count : capacity;
    return bounded < arrived ? bounded : arrived;
}
