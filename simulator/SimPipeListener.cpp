#include "simulator/SimPipeListener.h"

DWORD SimPipeConnection::Complete(BOOL started, OVERLAPPED* overlapped, DWORD* transferred)
{
    *transferred = 0;
    DWORD error = started ? ERROR_SUCCESS : GetLastError();
    if (error != ERROR_SUCCESS && error != ERROR_IO_PENDING && error != ERROR_MORE_DATA)
        return error;
    if (error == ERROR_IO_PENDING)
    {
        HANDLE waits[2] = {ioEvent_.Get(), stopEvent_};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        {
            (void)CancelIo(pipe_.Get());
            (void)GetOverlappedResult(pipe_.Get(), overlapped, transferred, TRUE);
            return ERROR_OPERATION_ABORTED;
        }
    }
    if (!GetOverlappedResult(pipe_.Get(), overlapped, transferred, FALSE))
        return GetLastError();
    return ERROR_SUCCESS;
}

DWORD SimPipeConnection::ReadMessage(std::vector<uint8_t>* message, size_t limit)
{
    if (!ioEvent_)
    {
        DWORD error = ioEvent_.Create(true);
        if (error != ERROR_SUCCESS)
            return error;
    }
    message->resize(limit);
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_.Get();
    DWORD read = 0;
    DWORD error =
        Complete(ReadFile(pipe_.Get(), message->data(), static_cast<DWORD>(limit), nullptr, &overlapped),
                 &overlapped, &read);
    message->resize(error == ERROR_SUCCESS || error == ERROR_MORE_DATA ? read : 0);
    if (error != ERROR_MORE_DATA)
        return error;
    // The rest of an oversized message is read away so that the next read starts at a message boundary.
    uint8_t sink[4096];
    do
    {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = ioEvent_.Get();
        error = Complete(ReadFile(pipe_.Get(), sink, sizeof(sink), nullptr, &overlapped), &overlapped, &read);
    } while (error == ERROR_MORE_DATA);
    return error == ERROR_SUCCESS ? ERROR_MORE_DATA : error;
}

DWORD SimPipeConnection::WriteMessage(const void* bytes, size_t size)
{
    if (!ioEvent_)
    {
        DWORD error = ioEvent_.Create(true);
        if (error != ERROR_SUCCESS)
            return error;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_.Get();
    DWORD written = 0;
    return Complete(WriteFile(pipe_.Get(), bytes, static_cast<DWORD>(size), nullptr, &overlapped),
                    &overlapped, &written);
}

DWORD SimPipeListener::Start(const std::wstring& path, Serve serve)
{
    if (stopEvent_)
        return ERROR_ALREADY_INITIALIZED;
    path_ = path;
    serve_ = std::move(serve);
    DWORD error = stopEvent_.Create(true);
    if (error != ERROR_SUCCESS)
        return error;
    // Another server's pipe of this name: not every platform honours FILE_FLAG_FIRST_PIPE_INSTANCE, so ask.
    if (WaitNamedPipeW(path_.c_str(), 1) || GetLastError() != ERROR_FILE_NOT_FOUND)
    {
        stopEvent_.Close();
        return ERROR_ACCESS_DENIED;
    }
    WnFileHandle first;
    error = CreateInstance(true, &first);
    if (error != ERROR_SUCCESS)
    {
        stopEvent_.Close();
        return error;
    }
    acceptThread_ = std::thread(&SimPipeListener::AcceptLoop, this, std::move(first));
    return ERROR_SUCCESS;
}

DWORD SimPipeListener::CreateInstance(bool first, WnFileHandle* pipe) const
{
    DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    pipe->Attach(CreateNamedPipeW(path_.c_str(), openMode,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                  PIPE_UNLIMITED_INSTANCES, kBufferSize, kBufferSize, 0, nullptr));
    return pipe->IsValid() ? ERROR_SUCCESS : GetLastError();
}

void SimPipeListener::AcceptLoop(WnFileHandle pipe)
{
    WnEvent connected;
    if (connected.Create(true) != ERROR_SUCCESS)
        return;
    while (pipe)
    {
        OVERLAPPED overlapped{};
        overlapped.hEvent = connected.Get();
        DWORD error = ConnectNamedPipe(pipe.Get(), &overlapped) ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_IO_PENDING)
        {
            HANDLE waits[2] = {connected.Get(), stopEvent_.Get()};
            DWORD transferred = 0;
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
            {
                (void)CancelIo(pipe.Get());
                (void)GetOverlappedResult(pipe.Get(), &overlapped, &transferred, TRUE);
                return;
            }
            error = GetOverlappedResult(pipe.Get(), &overlapped, &transferred, FALSE) ? ERROR_SUCCESS
                                                                                      : GetLastError();
        }
        // The next instance exists before the connected one is handed over: if the connection ended and its
        // instance closed first, the pipe name would vanish for a moment and a client would see no driver.
        WnFileHandle next;
        DWORD nextError = CreateInstance(false, &next);
        if (error == ERROR_SUCCESS || error == ERROR_PIPE_CONNECTED)
            HandOver(std::move(pipe));
        // A client that left before it was accepted just drops its instance.
        if (nextError != ERROR_SUCCESS)
            return;
        pipe = std::move(next);
    }
}

void SimPipeListener::HandOver(WnFileHandle pipe)
{
    ReapFinished();
    std::lock_guard<std::mutex> lock(workersMutex_);
    if (workers_.size() >= kMaxConnections)
        return; // refused: closing the pipe breaks it for the client
    workers_.emplace_back(*this, std::move(pipe));
    Worker& worker = workers_.back();
    if (worker.thread.Start(&worker, kWorkerStackBytes, STACK_SIZE_PARAM_IS_A_RESERVATION) != ERROR_SUCCESS)
        workers_.pop_back();
}

DWORD SimPipeListener::Worker::Run()
{
    {
        SimPipeConnection served(std::move(pipe_), owner_.stopEvent_.Get());
        owner_.serve_(served);
    }
    done = true;
    return 0;
}

void SimPipeListener::ReapFinished()
{
    std::lock_guard<std::mutex> lock(workersMutex_);
    for (auto it = workers_.begin(); it != workers_.end();)
        if (it->done)
        {
            (void)it->thread.Wait(INFINITE);
            it = workers_.erase(it);
        }
        else
            ++it;
}

void SimPipeListener::Stop()
{
    if (!stopEvent_)
        return;
    (void)stopEvent_.Set();
    if (acceptThread_.joinable())
        acceptThread_.join();
    std::lock_guard<std::mutex> lock(workersMutex_);
    for (Worker& worker : workers_)
        (void)worker.thread.Wait(INFINITE);
    workers_.clear();
    stopEvent_.Close();
}
