#include "tests/e2e/e2e_cpl_session.h"

#include "cpl/MainFrame.h"
#include "resources/corvexcpl.h"
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

BOOL CALLBACK MatchVisibleControl(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<DescendantSearch*>(data);
    if (GetDlgCtrlID(hwnd) != search->controlId || !IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct TitleSearch
{
    DWORD processId;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<TitleSearch*>(data);
    DWORD owner = 0;
    wchar_t text[64] = L"";
    GetWindowThreadProcessId(window, &owner);
    GetWindowTextW(window, text, 64);
    if (owner != search->processId || wcscmp(text, search->title) != 0 || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

HWND FindVisibleControl(HWND parent, int controlId)
{
    DescendantSearch search{controlId, nullptr};
    EnumChildWindows(parent, &MatchVisibleControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessWindowTitled(DWORD processId, const wchar_t* title)
{
    TitleSearch search{processId, title, nullptr};
    EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND OpenFirstUnitsMixer(HWND mainWindow, DWORD processId, bool hardwareInputs)
{
    DescendantSearch treeSearch{1002, nullptr};
    EnumChildWindows(mainWindow, &MatchControl, reinterpret_cast<LPARAM>(&treeSearch));
    HWND tree = treeSearch.found;
    if (tree == nullptr)
        return nullptr;
    // Devices is the third root item; its first child is the first unit's page. Tree items are handles, so
    // these messages work from another process.
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int i = 0; i < 2 && item != nullptr; ++i)
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(item)));
    if (item != nullptr)
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(item)));
    if (item == nullptr)
        return nullptr;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(item));
    HWND button = nullptr;
    const int buttonId = hardwareInputs ? IDC_HARDWARE_MIXER : IDC_SOFTWARE_MIXER;
    if (!PumpUntil([&] { return (button = FindVisibleControl(mainWindow, buttonId)) != nullptr; }))
        return nullptr;
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND mixer = nullptr;
    const wchar_t* title = hardwareInputs ? L"Hardware Inputs Mixer" : L"Software Outputs Mixer";
    PumpUntil([&] { return (mixer = FindProcessWindowTitled(processId, title)) != nullptr; });
    return mixer;
}

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
