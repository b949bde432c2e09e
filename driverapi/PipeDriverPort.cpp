#include "driverapi/PipeDriverPort.h"

#include "driverapi/NorvikIoctl.h"

#include "wn/WnFileHandle.h"
#include "wn/WnLastError.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace
{
constexpr DWORD kBusyRetryMilliseconds = 2000;

class PipeDriverLink final : public DriverLink
{
  public:
    explicit PipeDriverLink(WnFileHandle pipe) : pipe_(std::move(pipe)) {}

    NorvikStatus Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* bytesReturned, HANDLE /*ioEvent*/) override
    {
        *bytesReturned = 0;
        if (inSize > UINT32_MAX - PIPE_REQUEST_HEADER_SIZE || outSize > UINT32_MAX - PIPE_REPLY_HEADER_SIZE)
            return ERROR_INVALID_PARAMETER;

        // The buffers only grow, so a steady stream of requests (the mixer's level poll) allocates nothing.
        std::vector<uint8_t>& request = request_;
        EncodePipeRequest(&request, code, outSize, in, inSize);
        DWORD written = 0;
        if (!WriteFile(pipe_.Get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr))
            return WnLastError();

        std::vector<uint8_t>& reply = reply_;
        reply.resize(PIPE_REPLY_HEADER_SIZE + outSize);
        DWORD read = 0;
        if (!ReadFile(pipe_.Get(), reply.data(), static_cast<DWORD>(reply.size()), &read, nullptr))
        {
            const NorvikStatus error = WnLastError();
            if (error != ERROR_MORE_DATA)
                return error;
            // A reply longer than the output allows is refused; the rest of it is read away so the next
            // request does not read it as its own reply.
            DrainMessage();
            return ERROR_INVALID_DATA;
        }
        PipeReplyHeader header{};
        if (!DecodePipeReplyHeader(reply.data(), read, &header))
            return ERROR_INVALID_DATA;
        const uint32_t count = header.returned;
        if (count > outSize || count != read - PIPE_REPLY_HEADER_SIZE)
            return ERROR_INVALID_DATA;
        if (count != 0)
            std::memcpy(out, &reply[PIPE_REPLY_HEADER_SIZE], count);
        *bytesReturned = count;
        return header.status;
    }

  private:
    void DrainMessage()
    {
        uint8_t sink[512];
        DWORD read = 0;
        while (!ReadFile(pipe_.Get(), sink, sizeof(sink), &read, nullptr) &&
               GetLastError() == ERROR_MORE_DATA)
        {
        }
    }

    WnFileHandle pipe_;
    std::vector<uint8_t> request_;
    std::vector<uint8_t> reply_;
};
} // namespace

NorvikStatus PipeDriverPort::Open(const wchar_t* path, std::unique_ptr<DriverLink>* link)
{
    if (path == nullptr || _wcsicmp(path, L"\\\\.\\" NORVIK_DRIVER_NAME) != 0)
        return ERROR_FILE_NOT_FOUND;
    const ULONGLONG deadline = GetTickCount64() + kBusyRetryMilliseconds;
    for (;;)
    {
        // Identification only: whoever serves the pipe may learn who we are but cannot act as us.
        WnFileHandle pipe(CreateFileW(pipePath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                      nullptr));
        if (pipe)
        {
            DWORD mode = PIPE_READMODE_MESSAGE;
            if (!SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr))
                return WnLastError();
            *link = std::make_unique<PipeDriverLink>(std::move(pipe));
            return NORVIK_STATUS_SUCCESS;
        }
        const NorvikStatus error = WnLastError();
        const ULONGLONG now = GetTickCount64();
        if (error != ERROR_PIPE_BUSY || now >= deadline)
            return error;
        // WaitNamedPipeW fails at once when the pipe vanished; the next CreateFileW then reports why.
        (void)WaitNamedPipeW(pipePath_.c_str(), static_cast<DWORD>(deadline - now));
    }
}
