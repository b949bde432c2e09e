#include "driverapi/KernelDriverPort.h"

#include "wn/WnFileHandle.h"
#include "wn/WnLastError.h"

namespace
{
class KernelDriverLink final : public DriverLink
{
  public:
    explicit KernelDriverLink(WnFileHandle file) : file_(std::move(file)) {}

    NorvikStatus Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* bytesReturned, HANDLE ioEvent) override
    {
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioEvent;
        DWORD bytes = 0;
        NorvikStatus status = NORVIK_STATUS_SUCCESS;
        if (!DeviceIoControl(file_.Get(), code, const_cast<void*>(in), inSize, out, outSize, &bytes,
                             &overlapped))
        {
            status = WnLastError();
            if (status == ERROR_IO_PENDING)
            {
                // A failed driver request completes with its NORVIK_STATUS_* code as the last error.
                status = GetOverlappedResult(file_.Get(), &overlapped, &bytes, TRUE) ? NORVIK_STATUS_SUCCESS
                                                                                     : WnLastError();
            }
        }
        *bytesReturned = bytes <= outSize ? bytes : outSize;
        return status;
    }

  private:
    WnFileHandle file_;
};
} // namespace

NorvikStatus KernelDriverPort::Open(const wchar_t* path, std::unique_ptr<DriverLink>* link)
{
    WnFileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!file)
        return WnLastError();
    *link = std::make_unique<KernelDriverLink>(std::move(file));
    return NORVIK_STATUS_SUCCESS;
}
