#include "tests/e2e/e2e_cpl_session.h"

#include "cpl/MainFrame.h"
#include "tests/cpl/CplTestSupport.h"

#include <commctrl.h>

namespace
{
struct DescendantSearch
{
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<DescendantSearch*>(data);
    if (GetDlgCtrlID(hwnd) == search->controlId)
    {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

CplEndToEnd::~CplEndToEnd()
{
    if (!controlPanel_.HasExited())
    {
        (void)StopControlPanel();
    }
    // The console service has no other way to end from here; the simulator frees its role when it goes.
    service_.Kill();
    (void)Control("quit");
    (void)simulator_.WaitForExit(5000);
}

std::wstring CplEndToEnd::Environment() const
{
    return L"CORVEX_DRIVER=pipe:" + pipeName_;
}

std::string CplEndToEnd::Control(const std::string& command)
{
    std::string reply;
    if (control_.Send(command, &reply) != ERROR_SUCCESS)
    {
        return "error: no simulator";
    }
    return reply;
}

bool CplEndToEnd::StartSimulator(const std::wstring& arguments)
{
    return simulator_.Start(BuildProgramPath(L"simulator\\corvexsim.exe"),
                            L"-pipe " + pipeName_ + L" " + arguments) &&
           control_.Connect(pipeName_, 10000) == ERROR_SUCCESS;
}

bool CplEndToEnd::StartService()
{
    return service_.Start(BuildProgramPath(L"service\\corvexsvc.exe"), L"-console", Environment());
}

bool CplEndToEnd::HasServer()
{
    return Control("dump").find("\"role\":0") != std::string::npos;
}

bool CplEndToEnd::StartDriverAndService()
{
    if (!StartSimulator() || !StartService())
    {
        return false;
    }
    // The service brings the streams up once it serves.
    return PumpUntil([this] { return HasServer(); }, 20000);
}

bool CplEndToEnd::StartControlPanel(const std::wstring& arguments, DWORD pollMs, bool withDevices)
{
    mainWindow_ = nullptr;
    if (!controlPanel_.Start(BuildProgramPath(L"cpl\\corvexcpl.exe"), arguments, Environment()))
    {
        return false;
    }
    return PumpUntil(
        [this, withDevices]
        {
            mainWindow_ = FindProcessWindow(kCplInstanceId, controlPanel_.ProcessId());
            return mainWindow_ != nullptr && IsWindowVisible(mainWindow_) &&
                   (!withDevices || TreeItems() > 0);
        },
        20000, pollMs);
}

bool CplEndToEnd::StopControlPanel()
{
    if (mainWindow_ != nullptr)
    {
        PostMessageW(mainWindow_, WM_COMMAND, 57665, 0); // "E&xit"
    }
    return controlPanel_.WaitForExit(10000);
}

HWND CplEndToEnd::FindControl(int controlId) const
{
    DescendantSearch search{controlId, nullptr};
    EnumChildWindows(mainWindow_, &MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int CplEndToEnd::TreeItems() const
{
    HWND tree = FindControl(1002);
    return tree != nullptr ? static_cast<int>(SendMessageW(tree, TVM_GETCOUNT, 0, 0)) : 0;
}

std::wstring CplEndToEnd::StatusText(int pane) const
{
    HWND bar = FindControl(59393);
    if (bar == nullptr)
    {
        return std::wstring();
    }
    // SB_GETTEXT is not carried across processes: the text goes through memory of the control panel.
    constexpr SIZE_T kChars = 256;
    void* remote = VirtualAllocEx(controlPanel_.Process(), nullptr, kChars * sizeof(wchar_t), MEM_COMMIT,
                                  PAGE_READWRITE);
    if (remote == nullptr)
    {
        return std::wstring();
    }
    wchar_t text[kChars] = L"";
    const LRESULT length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, pane, 0));
    if (length < static_cast<LRESULT>(kChars))
    {
        SendMessageW(bar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(controlPanel_.Process(), remote, text, sizeof(text) - sizeof(wchar_t), nullptr);
    }
    VirtualFreeEx(controlPanel_.Process(), remote, 0, MEM_RELEASE);
    return text;
}

bool CplEndToEnd::SelectRate(const wchar_t* text) const
{
    // CB_GETLBTEXT is carried across processes.
    HWND list = FindControl(1040);
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        wchar_t item[64] = L"";
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        if (wcscmp(item, text) == 0)
        {
            return SendMessageW(list, CB_SETCURSEL, i, 0) == i;
        }
    }
    return false;
}

void CplEndToEnd::PressApply() const
{
    HWND apply = FindControl(1038);
    PostMessageW(GetParent(apply), WM_COMMAND, MAKEWPARAM(1038, BN_CLICKED), reinterpret_cast<LPARAM>(apply));
}
