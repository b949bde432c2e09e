#pragma once
#include "service/WnPnPNotificator.h"
#include "service/WnRegistrationList.h"
#include "service/WnService.h"
#include "service/WnServiceCallbackForwarderT.h"
#include "service/WnServiceCtrlHandle.h"
#include "wn/WnEvent.h"

#include <windows.h>

// A Windows service that also runs in a console: control manager registration and status reports, control
// handling, device-interface notifications, and installing, removing, starting and stopping itself.
// Stopping goes through the one stop event that the service's working loop waits on.
class ServiceBase
{
  public:
    static constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS;
    static constexpr DWORD kAcceptedControls = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
    static constexpr DWORD kStopBudgetMs = 5000;
    static constexpr DWORD kStopPollMs = 100;
    static constexpr DWORD kDeleteBudgetMs = 10000;

    ServiceBase();
    virtual ~ServiceBase();

    ServiceBase(const ServiceBase&) = delete;
    ServiceBase& operator=(const ServiceBase&) = delete;

    virtual const wchar_t* GetServiceName() const = 0;
    virtual const wchar_t* GetDisplayName() const = 0;
    virtual const wchar_t* GetDescription() const = 0;
    virtual LPSERVICE_MAIN_FUNCTIONW GetServiceMainEntry() const = 0;
    virtual DWORD RunConsole() = 0;
    virtual void OnDeviceEvent(DWORD eventType, void* eventData);
    // Stop and shutdown end the service; device events go to OnDeviceEvent. Always returns NO_ERROR.
    virtual DWORD OnServiceControl(DWORD control, DWORD eventType, void* eventData);

    // Each returns 0 or a Win32 error; each opens and closes its own control manager handles. Install waits
    // up to 10 s for an old registration that is marked for deletion to go.
    [[nodiscard]] DWORD Install();
    // Removes the event source also when the service is already gone.
    [[nodiscard]] DWORD Uninstall();
    [[nodiscard]] DWORD StartInstalled();
    // Waits up to 5 s for the service to stop, then returns ERROR_TIMEOUT.
    [[nodiscard]] DWORD StopInstalled();

    // Without a status handle (console mode) nothing is sent and the result is true.
    bool ReportStatus(DWORD state, DWORD waitHint, DWORD checkPoint, DWORD exitCode, DWORD specificExitCode);
    // Registers the interface class for events to the service status handle; 0 without a status handle.
    [[nodiscard]] DWORD RegisterForDeviceInterface(const GUID& guid);
    // Unregisters every notification, stops the console notificator and signals the stop event.
    void StopNotifications();

    HANDLE GetStopEvent() const noexcept { return stopEvent_.Get(); }

    // The full path of the running executable; 0 or the system error (a path cut at 260 characters is one).
    [[nodiscard]] static DWORD GetExecutablePath(wchar_t (&path)[MAX_PATH]);

  protected:
    // Opens the control manager and this service with `access`; 0 or the first error.
    [[nodiscard]] DWORD OpenInstalled(WnServiceCtrlMgr& manager, WnServiceCtrl& service, DWORD access) const;
    // Registers the extended control handler under the service name and clears the stop event.
    [[nodiscard]] DWORD RegisterControlHandler();
    // Console mode: starts the notificator window once, then registers the interface class for it.
    [[nodiscard]] DWORD RegisterForConsoleDeviceInterface(const GUID& guid);

    WnService service_;
    WnServiceCallbackForwarderT<ServiceBase> controlForwarder_;
    WnRegistrationList registrations_;
    WnEvent stopEvent_;
    WnPnPNotificator notificator_;
    WnPnPNotificatorCallbackForwarderT<ServiceBase> deviceForwarder_;
};
