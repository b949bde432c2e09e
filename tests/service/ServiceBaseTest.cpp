// The service frame without the control manager: control handling, console runs and their stop path.
#include "ChildProcess.h"
#include "TestDeviceClass.h"
#include "service/NorvikService.h"
#include "service/ServiceRunner.h"

#include <gtest/gtest.h>

#include <dbt.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace
{
class TestService : public ServiceBase
{
  public:
    const wchar_t* GetServiceName() const override { return L"corvexsvc-test"; }
    const wchar_t* GetDisplayName() const override { return L"Corvex test"; }
    const wchar_t* GetDescription() const override { return L"Corvex test service"; }
    LPSERVICE_MAIN_FUNCTIONW GetServiceMainEntry() const override { return nullptr; }

    // Registers for arrivals through the console window, then waits for the stop event like the server loop.
    DWORD RunConsole() override
    {
        registerResult = RegisterForConsoleDeviceInterface(kTestInterfaceClass);
        window = notificator_.GetWindow();
        runThread = GetCurrentThreadId();
        (void)SetEvent(ready);
        WaitForSingleObject(GetStopEvent(), INFINITE);
        return 0;
    }
    void OnDeviceEvent(DWORD eventType, void* data) override
    {
        if (!IsForeignInterfaceEvent(data))
            deviceEvents.push_back(eventType);
    }

    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> registerResult{0xdeadbeef};
    std::atomic<HWND> window{nullptr};
    std::atomic<DWORD> runThread{0};
    std::vector<DWORD> deviceEvents;
};

bool IsSignalled(HANDLE event)
{
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}
} // namespace

TEST(ServiceBase, ControlsStopOnStopAndShutdownAndPassDeviceEvents)
{
    struct Case
    {
        DWORD control;
        bool stops;
        bool deviceEvent;
    };
    const Case cases[] = {
        {SERVICE_CONTROL_STOP, true, false},         {SERVICE_CONTROL_SHUTDOWN, true, false},
        {SERVICE_CONTROL_INTERROGATE, false, false}, {SERVICE_CONTROL_PAUSE, false, false},
        {SERVICE_CONTROL_DEVICEEVENT, false, true},  {200, false, false},
    };
    for (const Case& c : cases)
    {
        TestService service;
        EXPECT_EQ(static_cast<DWORD>(NO_ERROR),
                  service.OnServiceControl(c.control, DBT_DEVICEARRIVAL, nullptr))
            << c.control;
        EXPECT_EQ(c.stops, IsSignalled(service.GetStopEvent())) << c.control;
        EXPECT_EQ(c.deviceEvent ? 1u : 0u, service.deviceEvents.size()) << c.control;
    }
}

TEST(ServiceBase, WithoutAStatusHandleReportsAndRegistrationsAreNoOps)
{
    TestService service;
    EXPECT_TRUE(service.ReportStatus(SERVICE_RUNNING, 0, 0, 0, 0));
    EXPECT_EQ(0u, service.RegisterForDeviceInterface(kTestInterfaceClass));
}

TEST(ServiceRunner, ConsoleRunEndsOnCtrlCAndArrivalsComeThroughTheWindow)
{
    TestService first;
    TestService second;
    ServiceList() = {&first, &second};
    std::atomic<bool> result{false};
    std::thread runner([&] { result = RunServices(true); });

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.ready, 10000));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.ready, 10000));
    EXPECT_EQ(0u, first.registerResult.load());
    EXPECT_NE(first.runThread.load(), second.runThread.load()) << "one thread per service";

    DEV_BROADCAST_DEVICEINTERFACE_W broadcast = {};
    broadcast.dbcc_size = sizeof(broadcast);
    broadcast.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast.dbcc_classguid = kTestInterfaceClass;
    SendMessageW(first.window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&broadcast));
    EXPECT_EQ(std::vector<DWORD>{DBT_DEVICEARRIVAL}, first.deviceEvents);

    EXPECT_FALSE(ConsoleControlHandler(CTRL_CLOSE_EVENT)) << "left to the system";
    EXPECT_FALSE(IsSignalled(first.GetStopEvent()));
    EXPECT_TRUE(ConsoleControlHandler(CTRL_C_EVENT));
    runner.join();
    EXPECT_TRUE(result.load());
    EXPECT_FALSE(IsWindow(first.window)) << "stopping closes the arrival window";
    ServiceList().clear();
}

TEST(NorvikService, RefusesToRunWithoutTheEventsItsLoopWaitsOn)
{
    // An event whose creation failed: the loop could neither be stopped nor woken.
    struct WithoutStopEvent : NorvikService
    {
        WithoutStopEvent() { stopEvent_.Close(); }
    };
    auto service = std::make_shared<WithoutStopEvent>();
    auto result = std::make_shared<std::atomic<DWORD>>(0);
    ASSERT_TRUE(ReturnsWithin([service, result] { *result = service->RunConsole(); }));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), result->load());
}
