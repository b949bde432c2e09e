#include "simulator/SimPipeServer.h"

#include "wn/WnHandle.h"

#include <cstring>
#include <vector>

namespace
{
constexpr uint32_t kRequestHeader = 8;
constexpr uint32_t kReplyHeader = 8;

uint32_t GetU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void PutU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace

DWORD SimPipeServer::Start(const std::wstring& name)
{
    if (!quitEvent_)
    {
        DWORD error = quitEvent_.Create(true);
        if (error != ERROR_SUCCESS)
            return error;
    }
    const std::wstring base = L"\\\\.\\pipe\\" + name;
    DWORD error = driverPipe_.Start(base, [this](SimPipeConnection& c) { ServeDriver(c); });
    if (error != ERROR_SUCCESS)
        return error;
    error = controlPipe_.Start(base + L"-control", [this](SimPipeConnection& c) { ServeControl(c); });
    if (error != ERROR_SUCCESS)
        driverPipe_.Stop();
    return error;
}

void SimPipeServer::Stop()
{
    controlPipe_.Stop();
    driverPipe_.Stop();
}

// The connection is the handle: its events are duplicated from the client's process, and the handle goes
// (role, events, queues) when the client disconnects, whether it closed cleanly or died.
void SimPipeServer::ServeDriver(SimPipeConnection& connection)
{
    ULONG processId = 0;
    (void)GetNamedPipeClientProcessId(connection.Pipe(), &processId);
    WnHandle process(processId != 0 ? OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId) : nullptr);
    uint32_t handle = model_.OpenHandle(process.Get(), processId);
    if (handle == 0)
        return; // the driver is absent: the client's first request finds the pipe broken
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;
    for (;;)
    {
        DWORD error = connection.ReadMessage(&request, kRequestHeader + kMaxRecord);
        NorvikStatus status = NORVIK_STATUS_SUCCESS;
        uint32_t returned = 0;
        reply.assign(kReplyHeader, 0);
        if (error == ERROR_MORE_DATA || (error == ERROR_SUCCESS && request.size() < kRequestHeader))
            status = NORVIK_STATUS_INVALID_INBUFFER_SIZE;
        else if (error != ERROR_SUCCESS)
            break;
        else if (GetU32(&request[4]) > kMaxRecord)
            status = NORVIK_STATUS_INVALID_OUTBUFFER_SIZE;
        else
        {
            uint32_t outSize = GetU32(&request[4]);
            reply.resize(kReplyHeader + outSize);
            uint32_t inSize = static_cast<uint32_t>(request.size()) - kRequestHeader;
            status = model_.Ioctl(handle, GetU32(&request[0]), inSize ? &request[kRequestHeader] : nullptr,
                                  inSize, outSize ? &reply[kReplyHeader] : nullptr, outSize, &returned);
        }
        reply.resize(kReplyHeader + returned);
        PutU32(&reply[0], status);
        PutU32(&reply[4], returned);
        if (connection.WriteMessage(reply.data(), reply.size()) != ERROR_SUCCESS)
            break;
    }
    model_.ReleaseHandle(handle);
}

std::string SimPipeServer::Execute(const std::string& line)
{
    std::lock_guard<std::mutex> lock(controlMutex_);
    return control_.Execute(line);
}

void SimPipeServer::ServeControl(SimPipeConnection& connection)
{
    std::vector<uint8_t> message;
    for (;;)
    {
        DWORD error = connection.ReadMessage(&message, kMaxControlLine);
        std::string reply;
        if (error == ERROR_MORE_DATA)
            reply = "error: command longer than 4096 bytes";
        else if (error != ERROR_SUCCESS)
            return;
        else
        {
            std::string line(message.begin(), message.end());
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == '\0'))
                line.pop_back();
            reply = Execute(line);
        }
        DWORD written = connection.WriteMessage(reply.data(), reply.size());
        // Only after the reply is on its way may the owner stop the server.
        if (control_.QuitRequested())
            (void)quitEvent_.Set();
        if (written != ERROR_SUCCESS)
            return;
    }
}
