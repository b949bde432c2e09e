#pragma once
#include "service/ConsoleEventLogMirror.h"
#include "service/CustomServer.h"
#include "service/ServiceBase.h"
#include "service/WnEventLogWriter.h"
#include "wn/WnEvent.h"
#include "wn/WnMutex.h"

#include <memory>

// The device control service: one instance per machine (guarded by a named mutex), whose working loop is
// the server's. Arrivals of the driver's interface wake the loop through the arrival event.
class NorvikService : public ServiceBase
{
  public:
    static constexpr size_t kMutexNameCapacity = 500;

    NorvikService();
    ~NorvikService() override;

    const wchar_t* GetServiceName() const override;
    const wchar_t* GetDisplayName() const override;
    const wchar_t* GetDescription() const override;
    LPSERVICE_MAIN_FUNCTIONW GetServiceMainEntry() const override;
    DWORD RunConsole() override;
    // Only arrivals wake the server loop; removals show up as the driver's own events.
    void OnDeviceEvent(DWORD eventType, void* eventData) override;

    // The control manager's entry for this service; its arguments are not used.
    void ServiceMain();

    CustomServer& Server() noexcept { return *server_; }
    HANDLE GetArrivalEvent() const noexcept { return arrivalEvent_.Get(); }
    // Receives every event log text in service mode too; a console run mirrors to the console. Not owned.
    void SetEventLogMirror(WnEventLogMirror* mirror) noexcept { eventLog_.SetMirror(mirror); }

  private:
    static void WINAPI ServiceMainEntry(DWORD argc, wchar_t** argv);
    // Both events are made with the object, where a failure is ignored; without them the loop could neither
    // be stopped nor woken, so the service refuses to start.
    bool HasLoopEvents() const;
    // 0 when this process now holds the single-instance mutex; 183 or the creation error otherwise.
    DWORD AcquireInstanceMutex();
    void ReportStarted(const wchar_t* executablePath);
    void StopWithError(DWORD error, const wchar_t* text);

    std::unique_ptr<CustomServer> server_;
    WnMutex instanceMutex_;
    WnEvent arrivalEvent_;
    WnEventLogWriter eventLog_;
    ConsoleEventLogMirror consoleMirror_;
};
