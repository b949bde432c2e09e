#include "driverapi/StatusReport.h"

#include <strsafe.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace
{
const wchar_t* CauseLine(NorvikStatus status)
{
    switch (status)
    {
    case NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE:
        return L"The device is not connected to a USB high-speed port.";
    case NORVIK_STATUS_NO_DEVICES:
        return L"There are no devices connected.";
    case NORVIK_STATUS_NO_STREAMING_DEVICE:
        return L"There is no device selected for streaming.";
    default:
        return nullptr;
    }
}
} // namespace

std::wstring StatusReport(const wchar_t* message, NorvikStatus status)
{
    const char* name = StatusName(status);
    std::vector<wchar_t> text(std::wcslen(message) + std::strlen(name) + 16);
    (void)StringCchPrintfW(text.data(), text.size(), L"%s (Status=%hs).", message, name);
    std::wstring report(text.data());
    if (const wchar_t* cause = CauseLine(status))
    {
        report += L"\n";
        report += cause;
    }
    return report;
}
