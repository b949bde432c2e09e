// corvex_open_mixer.exe [hw|sw] [NAME]: opens a mixer window of the running control panel from its first
// unit's device page, as a user would, and saves its screenshot as NAME (default "demo-mixer") under the
// build tree's screenshots folder. For the demo; exit code 0 when the window showed and was saved.
#include "cpl/MainFrame.h"
#include "tests/cpl/CplTestSupport.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const bool hardwareInputs = argc < 2 || wcscmp(argv[1], L"sw") != 0;
    const wchar_t* name = argc >= 3 ? argv[2] : L"demo-mixer";
    HWND mainWindow = FindWindowW(kCplInstanceId, nullptr);
    if (mainWindow == nullptr)
    {
        std::fwprintf(stderr, L"The control panel is not running.\n");
        return 3;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(mainWindow, &processId);
    HWND mixer = OpenFirstUnitsMixer(mainWindow, processId, hardwareInputs);
    if (mixer == nullptr)
    {
        std::fwprintf(stderr, L"The mixer window did not show.\n");
        return 1;
    }
    // A few level polls, so the meters show something.
    Sleep(500);
    const std::wstring path = SaveScreenshot(mixer, name);
    if (path.empty())
        return 1;
    std::fwprintf(stdout, L"mixer: %ls\n", path.c_str());
    return 0;
}
