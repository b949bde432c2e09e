#include "service/NorvikService.h"
#include "wn/WnConsoleOutput.h"
#include "service/ServiceVersion.h"

#include <dbt.h>
#include <strsafe.h>

namespace
{
// The control manager's entry has no context argument, so it finds the service here.
NorvikService* g_service = nullptr;

constexpr wchar_t kNoLoopEvents[] =
    L"Unable to start because the stop or arrival event could not be created.";
} // namespace

NorvikService::NorvikService() : server_(std::make_unique<CustomServer>())
{
    (void)arrivalEvent_.Create(false);
    server_->SetEventLog(&eventLog_);
    if (g_service == nullptr)
        g_service = this;
}

NorvikService::~NorvikService()
{
    if (g_service == this)
        g_service = nullptr;
}

const wchar_t* NorvikService::GetServiceName() const
{
    return server_->GetServiceName();
}

const wchar_t* NorvikService::GetDisplayName() const
{
    return server_->GetDisplayName();
}

const wchar_t* NorvikService::GetDescription() const
{
    return server_->GetDescription();
}

LPSERVICE_MAIN_FUNCTIONW NorvikService::GetServiceMainEntry() const
{
    return &NorvikService::ServiceMainEntry;
}

void WINAPI NorvikService::ServiceMainEntry(DWORD, wchar_t**)
{
    if (g_service != nullptr)
        g_service->ServiceMain();
}

void NorvikService::OnDeviceEvent(DWORD eventType, void*)
{
    if (eventType == DBT_DEVICEARRIVAL)
        (void)arrivalEvent_.Set();
}

bool NorvikService::HasLoopEvents() const
{
    return stopEvent_ && arrivalEvent_;
}

DWORD NorvikService::AcquireInstanceMutex()
{
    wchar_t name[kMutexNameCapacity] = {};
    (void)StringCchPrintfW(name, kMutexNameCapacity, L"%s-%s", GetServiceName(), server_->GetInterfaceName());
    return instanceMutex_.Create(nullptr, true, name);
}

void NorvikService::ReportStarted(const wchar_t* executablePath)
{
    (void)eventLog_.ReportInfo(L"%s started\r\nExePath: %s\r\nVersion %u.%u.%u\r\nInterface Version %u.%u",
                               GetServiceName(), executablePath, kServiceVersionMajor, kServiceVersionMinor,
                               kServiceVersionBuild, kInterfaceVersionMajor, kInterfaceVersionMinor);
}

void NorvikService::StopWithError(DWORD error, const wchar_t* text)
{
    if (text != nullptr)
        (void)eventLog_.ReportError(text);
    (void)ReportStatus(SERVICE_STOPPED, 0, 0, error, error);
}

void NorvikService::ServiceMain()
{
    if (RegisterControlHandler() != ERROR_SUCCESS)
        return;
    (void)ReportStatus(SERVICE_START_PENDING, 3000, 0, 0, 0);
    DWORD result = eventLog_.Open(GetServiceName());
    if (result != ERROR_SUCCESS)
    {
        StopWithError(result, nullptr);
        return;
    }
    wchar_t executable[MAX_PATH] = {};
    result = GetExecutablePath(executable);
    if (result != ERROR_SUCCESS)
    {
        StopWithError(result, L"Failed to get module name.");
        return;
    }
    if (!HasLoopEvents())
    {
        StopWithError(ERROR_INVALID_HANDLE, kNoLoopEvents);
        return;
    }
    ReportStarted(executable);
    result = AcquireInstanceMutex();
    if (result != ERROR_SUCCESS)
    {
        StopWithError(result, L"Unable to start because another instance is already running.");
        return;
    }
    GUID guid = {};
    server_->GetInterfaceGuid(&guid);
    result = RegisterForDeviceInterface(guid);
    if (result != ERROR_SUCCESS)
    {
        StopWithError(result, L"Unable to register for PnP notifications.");
        return;
    }
    (void)ReportStatus(SERVICE_RUNNING, 0, 0, 0, 0);
    server_->RunServer(stopEvent_.Get(), arrivalEvent_.Get());
    instanceMutex_.Close();
    (void)eventLog_.ReportInfo(L"%s terminating.", GetServiceName());
    (void)eventLog_.Close();
    // Nothing may follow: once the last service reports SERVICE_STOPPED the dispatcher returns and the
    // process ends, destroying this object, while this thread may still be running.
    (void)ReportStatus(SERVICE_STOPPED, 0, 0, 0, 0);
}

DWORD NorvikService::RunConsole()
{
    if (!HasLoopEvents())
    {
        ConsolePrint(L"%s\n", kNoLoopEvents);
        return ERROR_INVALID_HANDLE;
    }
    // A refused instance prints nothing else, and its result becomes the program's exit code.
    const DWORD instance = AcquireInstanceMutex();
    if (instance != ERROR_SUCCESS)
    {
        ConsoleWrite(L"Cannot start, another instance is already running.\n");
        return instance;
    }
    // The texts that service mode writes to the event log go to the console here.
    eventLog_.SetMirror(&consoleMirror_);
    wchar_t executable[MAX_PATH] = {};
    if (GetExecutablePath(executable) == ERROR_SUCCESS)
        ReportStarted(executable);
    GUID guid = {};
    server_->GetInterfaceGuid(&guid);
    if (RegisterForConsoleDeviceInterface(guid) != ERROR_SUCCESS)
    {
        ConsoleWrite(L"Failed to register PnP notifications.\n");
        return 1;
    }
    server_->RunServer(stopEvent_.Get(), arrivalEvent_.Get());
    instanceMutex_.Close();
    (void)eventLog_.ReportInfo(L"%s terminating.", GetServiceName());
    return 0;
}
