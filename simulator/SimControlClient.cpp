#include "simulator/SimControlClient.h"

#include "simulator/SimPipeServer.h"

#include <vector>

DWORD SimControlClient::Connect(const std::wstring& name, DWORD timeoutMs)
{
    const std::wstring path = L"\\\\.\\pipe\\" + name + L"-control";
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        pipe_.Attach(
            CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe_)
        {
            DWORD mode = PIPE_READMODE_MESSAGE;
            return SetNamedPipeHandleState(pipe_.Get(), &mode, nullptr, nullptr) ? ERROR_SUCCESS
                                                                                 : GetLastError();
        }
        DWORD error = GetLastError();
        ULONGLONG now = GetTickCount64();
        if ((error != ERROR_PIPE_BUSY && error != ERROR_FILE_NOT_FOUND) || now >= deadline)
            return error;
        if (error == ERROR_PIPE_BUSY)
            (void)WaitNamedPipeW(path.c_str(), static_cast<DWORD>(deadline - now));
        else
            Sleep(20); // the simulator is still starting
    }
}

DWORD SimControlClient::Send(const std::string& line, std::string* reply)
{
    DWORD count = 0;
    if (!WriteFile(pipe_.Get(), line.data(), static_cast<DWORD>(line.size()), &count, nullptr))
        return GetLastError();
    reply->clear();
    std::vector<char> buffer(64 * 1024);
    for (;;)
    {
        BOOL done = ReadFile(pipe_.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr);
        DWORD error = done ? ERROR_SUCCESS : GetLastError();
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA)
            return error;
        reply->append(buffer.data(), count);
        if (error == ERROR_SUCCESS)
            return ERROR_SUCCESS;
    }
}
