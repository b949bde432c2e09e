#include "simulator/SimPipeServer.h"

#include "driverapi/PipeWire.h"
#include "wn/WnHandle.h"

#include <vector>

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
        DWORD error = connection.ReadMessage(&request, PIPE_REQUEST_HEADER_SIZE + kMaxRecord);
        NorvikStatus status = NORVIK_STATUS_SUCCESS;
        uint32_t returned = 0;
        reply.assign(PIPE_REPLY_HEADER_SIZE, 0);
        PipeRequestHeader header{};
        if (error == ERROR_MORE_DATA || (error == ERROR_SUCCESS && !DecodePipeRequest(request, &header)))
            status = NORVIK_STATUS_INVALID_INBUFFER_SIZE;
        else if (error != ERROR_SUCCESS)
            break;
        else if (header.outSize > kMaxRecord)
            status = NORVIK_STATUS_INVALID_OUTBUFFER_SIZE;
        else
        {
            const uint32_t outSize = header.outSize;
            reply.resize(PIPE_REPLY_HEADER_SIZE + outSize);
            const uint32_t inSize = static_cast<uint32_t>(request.size()) - PIPE_REQUEST_HEADER_SIZE;
            status =
                model_.Ioctl(handle, header.code, inSize ? &request[PIPE_REQUEST_HEADER_SIZE] : nullptr,
                             inSize, outSize ? &reply[PIPE_REPLY_HEADER_SIZE] : nullptr, outSize, &returned);
        }
        reply.resize(PIPE_REPLY_HEADER_SIZE + returned);
        EncodePipeReplyHeader(reply.data(), status, returned);
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
