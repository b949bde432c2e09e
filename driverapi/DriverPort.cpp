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
    return MakeDriverPort(length == 0 || length >= ARRAYSIZE(value) ? nullptr : value);
}

// A name in the pipe namespace only: with a separator or "..", "\\.\pipe\" + name could reach
// another device or a file.
bool IsPlainPipeName(const wchar_t* name)
{
    return name[0] != L'\0' && std::wcspbrk(name, L"\\/") == nullptr && std::wcsstr(name, L"..") == nullptr;
}
} // namespace

std::unique_ptr<DriverPort> MakeDriverPort(const wchar_t* choice)
{
    if (choice != nullptr && std::wcscmp(choice, L"pipe") == 0)
        return std::make_unique<PipeDriverPort>(L"\\\\.\\pipe\\corvex-driver");
    if (choice != nullptr && std::wcsncmp(choice, L"pipe:", 5) == 0 && IsPlainPipeName(choice + 5))
        return std::make_unique<PipeDriverPort>(std::wstring(L"\\\\.\\pipe\\") + (choice + 5));
    return std::make_unique<KernelDriverPort>();
}

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
