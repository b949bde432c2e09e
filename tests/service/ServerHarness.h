// A driver model in the test process, a server running its loop on a thread of its own, and a real client
// on the control panel's side.
#pragma once
#include "ChildProcess.h"
#include "driverapi/NorvikClient.h"
#include "service/CustomServer.h"
#include "tests/common/ServerLoop.h"
#include "tests/common/SimulatedDriver.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Serials of this test process, so parallel test runs never share a unit's registry key.
std::wstring UniqueSerial(int index);

// HKLM\Software\MERIDANT\corvex\Devices\<serial>.
std::wstring UnitKeyPath(const std::wstring& serial);
void DeleteUnitKey(const std::wstring& serial);

// Every hook call of the device controllers, in call order, as "Before 1>2", "After 2>3",
// "Failed 3>4 E0000001", "Up".
class HookLog
{
  public:
    void Add(const std::string& entry);
    std::vector<std::string> Take();

  private:
    std::mutex mutex_;
    std::vector<std::string> entries_;
};

// A controller that records the server's hooks and can refuse a step.
class RecordingCtrl : public NorvikDeviceCtrl
{
  public:
    explicit RecordingCtrl(HookLog& log) : log_(log) {}
    NorvikStatus BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t rate) override;
    void AfterStreamingChange(uint32_t current, uint32_t target, uint32_t rate) override;
    void StreamingChangeFailed(uint32_t current, uint32_t target, NorvikStatus error) override;
    NorvikStatus BeforeStreamingUp() override;
    NorvikStatus OnDeviceOption(uint8_t value) override;

    // The status that BeforeStreamingChange returns for changes to `target` (0: none refused).
    uint32_t refuseTarget = 0;
    NorvikStatus refusal = 0;
    NorvikStatus upRefusal = 0;
    NorvikStatus optionResult = 0;

  private:
    HookLog& log_;
};

// The generic server with recording controllers.
class RecordingServer : public NorvikServer
{
  public:
    explicit RecordingServer(HookLog& log) : log_(log) {}
    std::unique_ptr<NorvikDevice> CreateDevice() override { return std::make_unique<RecordingCtrl>(log_); }
    RecordingCtrl* Controller(size_t index) const { return dynamic_cast<RecordingCtrl*>(DeviceAt(index)); }

  private:
    HookLog& log_;
};

class ServerHarness
{
  public:
    // A model with `units` units of unique serials, routed to this process's driver port.
    explicit ServerHarness(int units = 1);
    ~ServerHarness();

    // Opens the client, then runs the server's loop on a thread and waits for its first device-list
    // notification (3030), so the server is ready. The harness keeps the server until the loop has ended.
    template <class T> T& Start(std::unique_ptr<T> server)
    {
        T& started = *server;
        StartOwned(std::move(server));
        return started;
    }
    // Signals the stop event and waits for the loop to end.
    void Stop() { loop.Stop(); }
    bool Running() const { return loop.Running(); }

    // Sends a request with `size` payload bytes; the reply's code must be expectedReplyCode.
    NorvikStatus Request(uint32_t code, const void* payload, uint32_t size, uint32_t expectedReplyCode = 2001,
                         NorvikMessage* reply = nullptr);
    // Every notification code queued for the client so far.
    std::vector<uint32_t> TakeNotifications();
    // Waits until `code` has reached the client; the codes received on the way are returned through *seen.
    bool WaitForNotification(uint32_t code, std::vector<uint32_t>* seen = nullptr, DWORD timeoutMs = 10000)
    {
        return ::WaitForNotification(client, code, seen, timeoutMs);
    }

    // Plugs a unit (serial UniqueSerial(n) for the next n unless given); its key goes with the harness.
    NorvikStatus Plug(std::wstring serial = L"");
    NorvikDeviceKeys Keys(size_t index) const;
    std::wstring Serial(size_t index) const { return serials_[index]; }
    uint32_t State() const { return model.Settings().state; }

    SimulatedDriver driver{0};
    DriverModel& model = driver.model;
    NorvikClient client;
    ServerLoop loop;

  private:
    void StartOwned(std::unique_ptr<NorvikServer> server);

    std::unique_ptr<NorvikServer> server_;
    std::vector<std::wstring> serials_;
};
