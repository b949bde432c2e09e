#include "ChildProcess.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace
{
std::wstring Directory(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::vector<wchar_t> CommandLine(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty())
    {
        line += L" " + arguments;
    }
    return std::vector<wchar_t>(line.c_str(), line.c_str() + line.size() + 1);
}

// The test's environment block with `extra` ("A=1\nB=2") added.
std::vector<wchar_t> Environment(const std::wstring& extra)
{
    std::vector<wchar_t> block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p != 0; p += wcslen(p) + 1)
    {
        block.insert(block.end(), p, p + wcslen(p) + 1);
    }
    FreeEnvironmentStringsW(strings);
    size_t start = 0;
    while (start < extra.size())
    {
        size_t end = extra.find(L'\n', start);
        if (end == std::wstring::npos)
        {
            end = extra.size();
        }
        block.insert(block.end(), extra.begin() + start, extra.begin() + end);
        block.push_back(0);
        start = end + 1;
    }
    block.push_back(0);
    return block;
}
// A test run from a pipe has only a bare console that takes no control events; children share the real one
// made here, so Ctrl+C can reach them. The test's own standard handles stay where they were.
void EnsureConsole()
{
    static bool made = false;
    if (made)
    {
        return;
    }
    made = true;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    FreeConsole();
    AllocConsole();
    SetStdHandle(STD_INPUT_HANDLE, input);
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    SetStdHandle(STD_ERROR_HANDLE, error);
}
} // namespace

std::wstring BuildRoot()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Directory(Directory(Directory(path)));
}

std::wstring BuildProgram(const wchar_t* relativePath)
{
    return BuildRoot() + L"\\" + relativePath;
}

namespace
{
// A pipe whose write end the child inherits, drained by a thread of its own so the child never blocks.
struct CapturePipe
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    std::thread reader;

    bool Create(std::string* text)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        {
            return false;
        }
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        reader = std::thread(
            [this, text]
            {
                char buffer[4096];
                DWORD read = 0;
                while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
                {
                    text->append(buffer, read);
                }
            });
        return true;
    }

    // After the child has started: the child holds the only write end left, so the reader ends with it.
    void ReleaseWriteEnd()
    {
        if (writeEnd != nullptr)
        {
            CloseHandle(writeEnd);
            writeEnd = nullptr;
        }
    }

    // Waits until everything written has been read.
    void Finish()
    {
        ReleaseWriteEnd();
        if (reader.joinable())
        {
            reader.join();
        }
    }

    ~CapturePipe()
    {
        Finish();
        if (readEnd != nullptr)
        {
            CloseHandle(readEnd);
        }
    }
};
} // namespace

ChildResult RunChild(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs,
                     bool separateErrors)
{
    ChildResult result;
    CapturePipe output;
    CapturePipe errors;
    if (!output.Create(&result.output) || (separateErrors && !errors.Create(&result.errors)))
    {
        return result;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.writeEnd;
    startup.hStdError = separateErrors ? errors.writeEnd : output.writeEnd;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line = CommandLine(program, arguments);
    const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    output.ReleaseWriteEnd();
    errors.ReleaseWriteEnd();
    if (!started)
    {
        return result;
    }
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0)
    {
        result.timedOut = true;
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    output.Finish();
    errors.Finish();
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

BackgroundChild::~BackgroundChild()
{
    Release();
}

void BackgroundChild::Release()
{
    Kill();
    if (process_ != nullptr)
    {
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (!outputPath_.empty())
    {
        DeleteFileW(outputPath_.c_str());
        outputPath_.clear();
    }
}

bool BackgroundChild::Start(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& environment, const wchar_t* desktop)
{
    Release();
    EnsureConsole();
    wchar_t directory[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    GetTempFileNameW(directory, L"cvx", 0, file);
    outputPath_ = file;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.lpDesktop = const_cast<wchar_t*>(desktop); // only read
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line = CommandLine(program, arguments);
    std::vector<wchar_t> block = Environment(environment);
    const BOOL started =
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       block.data(), nullptr, &startup, &process);
    CloseHandle(output);
    if (!started)
    {
        return false;
    }
    CloseHandle(process.hThread);
    process_ = process.hProcess;
    return true;
}

bool BackgroundChild::Wait(DWORD timeoutMs)
{
    return process_ != nullptr && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD BackgroundChild::ExitCode() const
{
    DWORD code = 0xdeadbeef;
    if (process_ != nullptr)
    {
        GetExitCodeProcess(process_, &code);
    }
    return code;
}

std::string BackgroundChild::Output() const
{
    return ReadFileText(outputPath_);
}

std::string ReadFileText(const std::wstring& path)
{
    std::string text;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

bool BackgroundChild::WaitForOutput(const std::string& text, DWORD timeoutMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        if (Output().find(text) != std::string::npos)
        {
            return true;
        }
        const bool ended = WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        if (ended || GetTickCount64() >= deadline)
        {
            return Output().find(text) != std::string::npos;
        }
        Sleep(20);
    }
}

void BackgroundChild::Kill()
{
    if (process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition())
    {
        if (GetTickCount64() >= deadline)
        {
            return false;
        }
        Sleep(10);
    }
    return true;
}

bool ReturnsWithin(std::function<void()> body, DWORD timeoutMs)
{
    auto returned = std::make_shared<std::promise<void>>();
    std::future<void> done = returned->get_future();
    std::thread(
        [body = std::move(body), returned]
        {
            body();
            returned->set_value();
        })
        .detach();
    return done.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

long CountProcessHandles(DWORD processId)
{
    // SystemHandleInformation: a count, then one entry per open handle of every process.
    struct HandleEntry
    {
        ULONG processId;
        UCHAR objectType;
        UCHAR flags;
        USHORT value;
        void* object;
        ACCESS_MASK access;
    };
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
    {
        return -1;
    }
    std::vector<uint8_t> table(1 << 16);
    LONG status = kInfoLengthMismatch;
    for (int attempt = 0; attempt < 8 && status == kInfoLengthMismatch; ++attempt)
    {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, table.data(), static_cast<ULONG>(table.size()), &needed);
        if (status == kInfoLengthMismatch)
        {
            table.resize(std::max<size_t>(table.size() * 2, needed + 4096));
        }
    }
    if (status != 0)
    {
        return -1;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(table.data());
    const size_t fits = (table.size() - sizeof(ULONG_PTR)) / sizeof(HandleEntry);
    const auto* entries = reinterpret_cast<const HandleEntry*>(table.data() + sizeof(ULONG_PTR));
    long owned = 0;
    for (size_t i = 0; i < std::min<size_t>(count, fits); ++i)
    {
        owned += entries[i].processId == processId;
    }
    return owned;
}

bool SendConsoleCtrlC()
{
    SetConsoleCtrlHandler(nullptr, TRUE);
    const BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    // Our own copy of the event arrives on another thread; give it time to be ignored before listening again.
    Sleep(200);
    SetConsoleCtrlHandler(nullptr, FALSE);
    return sent != FALSE;
}
