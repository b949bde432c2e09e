#include "driverapi/DriverPort.h"

#include "driverapi/KernelDriverPort.h"
#include "driverapi/PipeDriverPort.h"

#include <atomic>
#include <cwchar>
#include <string>

namespace
{
std::atomic<DriverPort*> g_testPort{nullptr};

std::unique_ptr<DriverPort> PortFromEnvironment()
{
    wchar_t value[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"CORVEX_DRIVER", value, ARRAYSIZE(value));
    if (length == 0 || length >= ARRAYSIZE(value))
        return std::make_unique<KernelDriverPort>();
    if (std::wcscmp(value, L"pipe") == 0)
        return std::make_unique<PipeDriverPort>(L"\\\\.\\pipe\\corvex-driver");
    if (std::wcsncmp(value, L"pipe:", 5) == 0 && value[5] != L'\0')
        return std::make_unique<PipeDriverPort>(std::wstring(L"\\\\.\\pipe\\") + (value + 5));
    return std::make_unique<KernelDriverPort>();
}
} // namespace

DriverPort& CurrentDriverPort()
{
    if (DriverPort* port = g_testPort.load())
        return *port;
    static const std::unique_ptr<DriverPort> chosen = PortFromEnvironment();
    return *chosen;
}

void SetDriverPortForTesting(DriverPort* port)
{
    g_testPort.store(port);
}
