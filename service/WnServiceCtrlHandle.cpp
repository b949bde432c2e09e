#include "service/WnServiceCtrlHandle.h"
#include "wn/WnLastError.h"

DWORD WnServiceCtrlHandle::Reset(SC_HANDLE handle)
{
    const DWORD error = handle == nullptr ? WnLastError() : ERROR_SUCCESS;
    Close();
    handle_ = handle;
    return error;
}

DWORD WnServiceCtrlMgr::Open(const wchar_t* database, DWORD access)
{
    Close();
    return Reset(OpenSCManagerW(nullptr, database, access));
}

DWORD WnServiceCtrl::Create(const WnServiceCtrlMgr& manager, const Parameters& parameters)
{
    Close();
    return Reset(CreateServiceW(manager.Get(), parameters.name, parameters.displayName, parameters.access,
                                parameters.serviceType, parameters.startType, parameters.errorControl,
                                parameters.binaryPath, parameters.loadOrderGroup, nullptr, parameters.dependencies,
                                nullptr, nullptr));
}

DWORD WnServiceCtrl::Open(const WnServiceCtrlMgr& manager, const wchar_t* name, DWORD access)
{
    Close();
    return Reset(OpenServiceW(manager.Get(), name, access));
}
