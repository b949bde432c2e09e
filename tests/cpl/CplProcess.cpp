#include "tests/cpl/CplProcess.h"

#include "tests/cpl/CplTestSupport.h"

#include <commctrl.h>

#include <cstdint>
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
struct ProcessWindows
{
    const wchar_t* className;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<ProcessWindows*>(data);
    wchar_t className[128] = L"";
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if ((search->processId == 0 || process == search->processId) && GetClassNameW(hwnd, className, 128) > 0 &&
        wcscmp(className, search->className) == 0)
    {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className)
{
    ProcessWindows search{className, processId, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND NotificationArea()
{
    return FindWindowW(L"Shell_TrayWnd", nullptr);
}
} // namespace

HWND FindProcessWindow(const wchar_t* className, DWORD processId)
{
    const std::vector<HWND> windows = WindowsOf(processId, className);
    return windows.empty() ? nullptr : windows.front();
}

bool FindTrayIcon(const wchar_t* tip, RECT* place)
{
    // The shell's tooltips hold one tool per icon, with the icon's tip and place; a removed icon's tool may
    // stay a while with an empty place. Tooltip messages carry pointers, so the records live in the shell's
    // memory.
    DWORD shell = 0;
    GetWindowThreadProcessId(NotificationArea(), &shell);
    const HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, shell);
    if (process == nullptr)
    {
        return false;
    }
    constexpr SIZE_T kTextOffset = 1024;
    constexpr SIZE_T kBlock = 8192; // the tooltip copies the text unbounded; tips are at most 128 characters
    auto* remote =
        static_cast<uint8_t*>(VirtualAllocEx(process, nullptr, kBlock, MEM_COMMIT, PAGE_READWRITE));
    bool found = false;
    for (HWND tooltip : remote != nullptr ? WindowsOf(shell, TOOLTIPS_CLASSW) : std::vector<HWND>())
    {
        const LRESULT tools = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < tools && !found; ++i)
        {
            TOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.lpszText = reinterpret_cast<wchar_t*>(remote + kTextOffset);
            wchar_t text[130] = L"";
            if (WriteProcessMemory(process, remote, &tool, sizeof(tool), nullptr) &&
                WriteProcessMemory(process, remote + kTextOffset, text, sizeof(text), nullptr) &&
                SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote)) &&
                ReadProcessMemory(process, remote, &tool, sizeof(tool), nullptr) &&
                ReadProcessMemory(process, remote + kTextOffset, text, sizeof(text) - sizeof(wchar_t),
                                  nullptr) &&
                wcscmp(text, tip) == 0 && !IsRectEmpty(&tool.rect))
            {
                *place = tool.rect;
                found = true;
            }
        }
    }
    if (remote != nullptr)
    {
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return found;
}

void ClickTrayIcon(const RECT& place, bool rightClick)
{
    const HWND area = NotificationArea();
    const LPARAM point = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    if (rightClick)
    {
        PostMessageW(area, WM_RBUTTONDOWN, MK_RBUTTON, point);
        PostMessageW(area, WM_RBUTTONUP, 0, point);
        return;
    }
    PostMessageW(area, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(area, WM_LBUTTONUP, 0, point);
    PostMessageW(area, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageW(area, WM_LBUTTONUP, 0, point);
}

HWND FindPopupMenu(DWORD processId)
{
    for (HWND menu : WindowsOf(processId, L"#32768"))
    {
        if (IsWindowVisible(menu))
        {
            return menu;
        }
    }
    return nullptr;
}
