#include "tests/service/ServiceManagerSupport.h"

namespace
{
constexpr wchar_t kEventSourceKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\corvexsvc";
} // namespace

SERVICE_STATUS_PROCESS QueryService()
{
    SERVICE_STATUS_PROCESS status = {};
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceW(manager, L"corvexsvc", SERVICE_QUERY_STATUS) : nullptr;
    if (service != nullptr)
    {
        DWORD needed = 0;
        QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                             sizeof(status), &needed);
        CloseServiceHandle(service);
    }
    if (manager != nullptr)
    {
        CloseServiceHandle(manager);
    }
    return status;
}

bool WaitForState(DWORD state, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50)
    {
        if (QueryService().dwCurrentState == state)
        {
            return true;
        }
        Sleep(50);
    }
    return false;
}

void RemoveService()
{
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceW(manager, L"corvexsvc", SERVICE_ALL_ACCESS) : nullptr;
    if (service != nullptr)
    {
        SERVICE_STATUS status = {};
        if (ControlService(service, SERVICE_CONTROL_STOP, &status))
        {
            WaitForState(SERVICE_STOPPED);
        }
        DeleteService(service);
        CloseServiceHandle(service);
    }
    // The next test starts only once the control manager has let go of the old registration.
    for (int i = 0; i < 200 && manager != nullptr; ++i)
    {
        SC_HANDLE old = OpenServiceW(manager, L"corvexsvc", SERVICE_QUERY_STATUS);
        if (old == nullptr)
        {
            break;
        }
        CloseServiceHandle(old);
        Sleep(50);
    }
    if (manager != nullptr)
    {
        CloseServiceHandle(manager);
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSourceKey);
}
