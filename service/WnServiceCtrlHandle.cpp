#include "service/WnServiceCtrlHandle.h"
#include "wn/WnLastError.h"

DWORD WnServiceCtrlHandle::AttachOpened(SC_HANDLE handle)
{
    // Read first: closing a held handle may overwrite the last error.
    const DWORD error = handle == nullptr ? WnLastError() : ERROR_SUCCESS;
    handle_.Attach(handle);
    return error;
}

DWORD WnServiceCtrlMgr::Open(const wchar_t* database, DWORD access)
{
    Close();
    return AttachOpened(OpenSCManagerW(nullptr, database, access));
}

DWORD WnServiceCtrl::Create(const WnServiceCtrlMgr& manager, const Parameters& parameters)
{
    Close();
    return AttachOpened(CreateServiceW(
        manager.Get(), parameters.name, parameters.displayName, parameters.access, parameters.serviceType,
        parameters.startType, parameters.errorControl, parameters.binaryPath, parameters.loadOrderGroup,
        nullptr, parameters.dependencies, nullptr, nullptr));
}

DWORD WnServiceCtrl::Open(const WnServiceCtrlMgr& manager, const wchar_t* name, DWORD access)
{
    Close();
    return AttachOpened(OpenServiceW(manager.Get(), name, access));
}
