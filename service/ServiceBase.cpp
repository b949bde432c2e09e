#include "service/ServiceBase.h"
#include "service/EventSource.h"
#include "service/WnServiceCtrlHandle.h"
#include "wn/WnLastError.h"

#include <strsafe.h>

namespace
{
constexpr wchar_t kDatabase[] = L"ServicesActive";
constexpr wchar_t kEventLogName[] = L"Application";
constexpr wchar_t kServiceArgument[] = L" -service";
constexpr wchar_t kDependencies[] = L"eventlog\0PlugPlay\0";
constexpr size_t kBinaryPathCapacity = MAX_PATH + 2 + sizeof(kServiceArgument) / sizeof(wchar_t);
} // namespace

ServiceBase::ServiceBase()
    : controlForwarder_(this, &ServiceBase::OnServiceControl),
      deviceForwarder_(this, &ServiceBase::OnDeviceEvent)
{
    (void)stopEvent_.Create(false);
}

ServiceBase::~ServiceBase() = default;

void ServiceBase::OnDeviceEvent(DWORD, void*) {}

DWORD ServiceBase::OnServiceControl(DWORD control, DWORD eventType, void* eventData)
{
    switch (control)
    {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        StopNotifications();
        break;
    case SERVICE_CONTROL_DEVICEEVENT:
        OnDeviceEvent(eventType, eventData);
        break;
    default:
        break;
    }
    return NO_ERROR;
}

DWORD ServiceBase::GetExecutablePath(wchar_t (&path)[MAX_PATH])
{
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0)
        return WnLastError();
    return length < MAX_PATH ? ERROR_SUCCESS : ERROR_INSUFFICIENT_BUFFER;
}

DWORD ServiceBase::Install()
{
    wchar_t executable[MAX_PATH] = {};
    DWORD result = GetExecutablePath(executable);
    if (result != ERROR_SUCCESS)
        return result;
    WnServiceCtrlMgr manager;
    result = manager.Open(kDatabase, SC_MANAGER_ALL_ACCESS);
    if (result != ERROR_SUCCESS)
        return result;
    // Quoted, so that a path with a blank cannot be read as a shorter program path plus arguments.
    wchar_t binaryPath[kBinaryPathCapacity] = {};
    (void)StringCchPrintfW(binaryPath, kBinaryPathCapacity, L"\"%s\"%s", executable, kServiceArgument);

    WnServiceCtrl service;
    const WnServiceCtrl::Parameters parameters = {GetServiceName(), GetDisplayName(),   SERVICE_ALL_ACCESS,
                                                  kServiceType,     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                                  binaryPath,       L"PlugPlay",        kDependencies};
    result = service.Create(manager, parameters);
    // An old registration deleted while something still holds it open goes only when that handle closes
    // (or its process ends after a slow stop): give it that time rather than end with no service.
    for (LONG budget = kDeleteBudgetMs; result == ERROR_SERVICE_MARKED_FOR_DELETE && budget >= 1;
         budget -= kStopPollMs)
    {
        Sleep(kStopPollMs);
        result = service.Create(manager, parameters);
    }
    if (result != ERROR_SUCCESS)
        return result;
    SERVICE_DESCRIPTIONW description = {const_cast<wchar_t*>(GetDescription())};
    (void)ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_DESCRIPTION, &description);
    return AddEventSource(kEventLogName, GetServiceName(), executable);
}

DWORD ServiceBase::OpenInstalled(WnServiceCtrlMgr& manager, WnServiceCtrl& service, DWORD access) const
{
    const DWORD result = manager.Open(kDatabase, SC_MANAGER_ALL_ACCESS);
    if (result != ERROR_SUCCESS)
        return result;
    return service.Open(manager, GetServiceName(), access);
}

DWORD ServiceBase::Uninstall()
{
    WnServiceCtrlMgr manager;
    WnServiceCtrl service;
    DWORD result = OpenInstalled(manager, service, DELETE);
    if (result == ERROR_SUCCESS && !DeleteService(service.Get()))
        result = WnLastError();
    // A service already gone (or going) leaves its event source to us all the same.
    if (result == ERROR_SUCCESS || result == ERROR_SERVICE_DOES_NOT_EXIST ||
        result == ERROR_SERVICE_MARKED_FOR_DELETE)
        (void)RemoveEventSource(kEventLogName, GetServiceName());
    return result;
}

DWORD ServiceBase::StartInstalled()
{
    WnServiceCtrlMgr manager;
    WnServiceCtrl service;
    const DWORD result = OpenInstalled(manager, service, SERVICE_START);
    if (result != ERROR_SUCCESS)
        return result;
    return StartServiceW(service.Get(), 0, nullptr) ? ERROR_SUCCESS : WnLastError();
}

DWORD ServiceBase::StopInstalled()
{
    WnServiceCtrlMgr manager;
    WnServiceCtrl service;
    const DWORD result = OpenInstalled(manager, service, SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (result != ERROR_SUCCESS)
        return result;
    SERVICE_STATUS status = {};
    if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &status))
        return WnLastError();
    for (LONG budget = kStopBudgetMs; budget >= 1; budget -= kStopPollMs)
    {
        if (!QueryServiceStatus(service.Get(), &status))
        {
            const DWORD error = GetLastError();
            if (error != ERROR_SUCCESS)
                return error;
        }
        else if (status.dwCurrentState == SERVICE_STOPPED)
        {
            return ERROR_SUCCESS;
        }
        Sleep(kStopPollMs);
    }
    return ERROR_TIMEOUT;
}

bool ServiceBase::ReportStatus(DWORD state, DWORD waitHint, DWORD checkPoint, DWORD exitCode,
                               DWORD specificExitCode)
{
    if (service_.Get() == nullptr)
        return true;
    SERVICE_STATUS status = {};
    status.dwServiceType = kServiceType;
    status.dwCurrentState = state;
    status.dwControlsAccepted = kAcceptedControls;
    status.dwWin32ExitCode = exitCode;
    status.dwServiceSpecificExitCode = specificExitCode;
    status.dwCheckPoint = checkPoint;
    status.dwWaitHint = waitHint;
    SetLastError(ERROR_SUCCESS);
    if (!SetServiceStatus(service_.Get(), &status))
        return GetLastError() == ERROR_SUCCESS;
    return true;
}

DWORD ServiceBase::RegisterForDeviceInterface(const GUID& guid)
{
    if (service_.Get() == nullptr)
        return ERROR_SUCCESS;
    return registrations_.Add(service_.Get(), guid, DEVICE_NOTIFY_SERVICE_HANDLE);
}

void ServiceBase::StopNotifications()
{
    registrations_.RemoveAll();
    (void)notificator_.Stop(INFINITE);
    (void)stopEvent_.Set();
}

DWORD ServiceBase::RegisterControlHandler()
{
    SetLastError(ERROR_SUCCESS);
    const SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerExW(
        GetServiceName(), &WnServiceCallbackForwarderT<ServiceBase>::Handler, &controlForwarder_);
    if (handle == nullptr)
    {
        const DWORD error = GetLastError();
        if (error != ERROR_SUCCESS)
            return error;
    }
    service_.Attach(handle);
    (void)stopEvent_.Reset();
    return ERROR_SUCCESS;
}

DWORD ServiceBase::RegisterForConsoleDeviceInterface(const GUID& guid)
{
    const DWORD result = notificator_.Start(&deviceForwarder_, nullptr);
    if (result != ERROR_SUCCESS && result != ERROR_ALREADY_INITIALIZED)
        return result;
    return notificator_.Register(guid);
}
