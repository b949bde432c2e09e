#include "cpl/CplMessageBox.h"

#include "cpl/framework/ModalScope.h"

#include "driverapi/StatusReport.h"
#include "resources/corvexcpl.h"

std::wstring CplTitle()
{
    wchar_t title[128] = L"";
    (void)LoadStringW(GetModuleHandleW(nullptr), IDR_MAINFRAME, title, 128);
    return title;
}

void ReportFailure(HWND owner, const wchar_t* message, NorvikStatus status)
{
    const ModalScope loop;
    (void)MessageBoxW(owner, StatusReport(message, status).c_str(), CplTitle().c_str(), MB_OK | MB_ICONERROR);
}

void ShowWarning(HWND owner, const wchar_t* text)
{
    const ModalScope loop;
    (void)MessageBoxW(owner, text, CplTitle().c_str(), MB_OK | MB_ICONWARNING);
}
