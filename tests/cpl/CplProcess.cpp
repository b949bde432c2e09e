#include "tests/cpl/CplProcess.h"

#include "tests/cpl/CplTestSupport.h"

#include <vector>

std::wstring BuildProgramPath(const wchar_t* relativePath)
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring root = path;
    // Up from build\tests\<folder>\<exe> to build.
    for (int i = 0; i < 3; ++i)
    {
        root = root.substr(0, root.find_last_of(L"\\/"));
    }
    return root + L"\\" + relativePath;
}

ChildProgram::~ChildProgram()
{
    Kill();
    if (process_ != nullptr)
    {
        CloseHandle(process_);
    }
}

bool ChildProgram::Start(const std::wstring& program, const std::wstring& arguments,
                         const std::wstring& environment)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    std::vector<wchar_t> block;
    if (!environment.empty())
    {
        wchar_t* current = GetEnvironmentStringsW();
        for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1)
        {
            block.insert(block.end(), entry, entry + wcslen(entry) + 1);
        }
        FreeEnvironmentStringsW(current);
        block.insert(block.end(), environment.begin(), environment.end());
        block.push_back(L'\0');
        block.push_back(L'\0');
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.empty() ? nullptr : block.data(), nullptr, &startup,
                        &info))
    {
        return false;
    }
    CloseHandle(info.hThread);
    if (process_ != nullptr)
    {
        CloseHandle(process_);
    }
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

bool ChildProgram::WaitForExit(DWORD timeoutMs)
{
    return PumpUntil([this] { return HasExited(); }, timeoutMs);
}

bool ChildProgram::HasExited() const
{
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

DWORD ChildProgram::ExitCode() const
{
    DWORD code = 0xdeadbeef;
    if (process_ != nullptr)
    {
        GetExitCodeProcess(process_, &code);
    }
    return code;
}

void ChildProgram::Kill()
{
    if (process_ != nullptr && !HasExited())
    {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

namespace
{
struct WindowSearch
{
    const wchar_t* className;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    wchar_t className[128] = L"";
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (GetClassNameW(hwnd, className, 128) > 0 && wcscmp(className, search->className) == 0 &&
        (search->processId == 0 || search->processId == process))
    {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindProcessWindow(const wchar_t* className, DWORD processId)
{
    WindowSearch search{className, processId, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
