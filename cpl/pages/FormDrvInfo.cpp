#include "cpl/pages/FormDrvInfo.h"

#include "wn/WnText.h"

namespace driver_info
{
std::wstring DriverInfoText(const NorvikDriverInfo& info)
{
    return FormatText(L"\nDriver version: \t  %u.%u.%u\nBuild type: \t  %s %s\n\nInterface version: %u.%u\n",
                      info.driverMajor, info.driverMinor, info.driverBuild,
                      info.IsDebugBuild() ? L"debug" : L"release", L"", info.interfaceMajor,
                      info.interfaceMinor);
}
} // namespace driver_info

void FormDrvInfo::Refresh()
{
    NorvikDriverInfo info{};
    if (!client_.IsOpen() || client_.GetDriverInfo(&info) != NORVIK_STATUS_SUCCESS)
        return; // the text keeps what it showed
    (void)SetDlgItemTextW(Hwnd(), IDC_DRIVER_INFO_TEXT, driver_info::DriverInfoText(info).c_str());
}
