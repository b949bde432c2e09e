#include "simulator/SimSelfCheck.h"

#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikReply.h"
#include "driverapi/NorvikDevice.h"
#include "driverapi/NorvikDriver.h"
#include "driverapi/PipeDriverPort.h"
#include "simulator/SimControlClient.h"
#include "simulator/SimPipeServer.h"

#include <cstdio>
#include <string>
#include <thread>

namespace
{
class Checks
{
  public:
    bool Check(bool passed, const char* what, const std::string& detail = std::string())
    {
        std::printf("%s %s%s%s\n", passed ? "ok    " : "FAILED", what, detail.empty() ? "" : ": ",
                    detail.c_str());
        std::fflush(stdout);
        ++(passed ? passed_ : failed_);
        return passed;
    }
    int Finish()
    {
        std::printf("selfcheck %s: %d passed, %d failed\n", failed_ == 0 ? "passed" : "FAILED", passed_,
                    failed_);
        return failed_ == 0 ? 0 : 1;
    }

  private:
    int passed_ = 0;
    int failed_ = 0;
};

std::string Narrow(const wchar_t* text)
{
    std::string result;
    for (; *text; ++text)
        result += *text < 0x80 ? static_cast<char>(*text) : '?';
    return result;
}

std::string StatusString(NorvikStatus status)
{
    return status == NORVIK_STATUS_SUCCESS ? "success" : StatusText(status);
}

// Answers one request on the server handle the way the service does: same sequence and routing words.
void AnswerOneRequest(NorvikDriver* server, NorvikStatus result)
{
    if (WaitForSingleObject(server->MessageEvent(), 10000) != WAIT_OBJECT_0)
        return;
    NorvikMessage request;
    if (server->ReceiveMsg(&request) != NORVIK_STATUS_SUCCESS)
        return;
    (void)server->SendMsg(ReplyTo(request, result));
}
} // namespace

int RunSelfCheck()
{
    Checks checks;
    const std::wstring name = L"corvex-selfcheck-" + std::to_wstring(GetCurrentProcessId());
    DriverModel model;
    SimControl control(model);
    SimPipeServer simulator(model, control);
    if (!checks.Check(simulator.Start(name) == ERROR_SUCCESS, "simulator serves the pipe"))
        return checks.Finish();

    // The programs' own driver classes, through the pipe port, as CORVEX_DRIVER=pipe:NAME would choose.
    PipeDriverPort port(L"\\\\.\\pipe\\" + name);
    SetDriverPortForTesting(&port);
    NorvikDriver server;
    NorvikClient client;
    NorvikStatus status = server.OpenWithEvents(NORVIK_DRIVER_NAME, true, true);
    if (status == NORVIK_STATUS_SUCCESS)
        status = server.SetRole(NORVIK_ROLE_SERVER);
    checks.Check(status == NORVIK_STATUS_SUCCESS, "server handle with role 0", StatusString(status));
    NorvikDriver second;
    status = second.OpenWithEvents(NORVIK_DRIVER_NAME, false, false);
    if (status == NORVIK_STATUS_SUCCESS)
        status = second.SetRole(NORVIK_ROLE_SERVER);
    checks.Check(status == NORVIK_STATUS_ALREADY_DONE, "a second server is refused", StatusString(status));
    status = client.OpenAsClient(NORVIK_DRIVER_NAME);
    checks.Check(status == NORVIK_STATUS_SUCCESS, "client handle with role 2", StatusString(status));

    NorvikDriverInfo info{};
    status = client.Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, &info, sizeof(info), nullptr);
    checks.Check(status == NORVIK_STATUS_SUCCESS && info.interfaceMajor == 2, "driver information",
                 "interface " + std::to_string(info.interfaceMajor) + "." +
                     std::to_string(info.interfaceMinor) + ", driver " + std::to_string(info.driverMajor) +
                     "." + std::to_string(info.driverMinor) + "." + std::to_string(info.driverBuild));

    bool changed = false;
    status = client.UpdateDeviceList(&changed);
    std::string units;
    for (size_t i = 0; i < client.DeviceCount(); ++i)
        units +=
            (i ? ", " : "") + Narrow(client.DeviceAt(i)->Name()) + " " + Narrow(client.DeviceAt(i)->Serial());
    checks.Check(status == NORVIK_STATUS_SUCCESS && client.DeviceCount() == 2, "device list with two units",
                 units);

    std::thread answer(AnswerOneRequest, &server, NORVIK_STATUS_SOUND_DEVICE_IN_USE);
    status = client.SetSampleRate(96000, 10000);
    answer.join();
    checks.Check(status == NORVIK_STATUS_SOUND_DEVICE_IN_USE,
                 "request relayed to the server and its reply back", StatusString(status));

    NorvikPluginRecord plugin{};
    plugin.selector = NORVIK_PLUGIN_CHANNEL_COUNT;
    NorvikDevice* effectUnit = client.DeviceCount() == 2 ? client.DeviceAt(1) : nullptr;
    status = effectUnit ? effectUnit->QueryPlugin(&plugin) : NORVIK_STATUS_NO_DEVICE;
    checks.Check(status == NORVIK_STATUS_SUCCESS && plugin.count == 8, "effect of the second unit",
                 std::to_string(plugin.count) + " channels");

    SimControlClient controlClient;
    std::string reply;
    DWORD error = controlClient.Connect(name);
    if (error == ERROR_SUCCESS)
        error = controlClient.Send("plug CVX20001 plugin", &reply);
    checks.Check(error == ERROR_SUCCESS && reply.compare(0, 2, "ok") == 0, "control pipe plugs a unit",
                 reply);
    bool arrived = WaitForSingleObject(server.NotificationEvent(), 10000) == WAIT_OBJECT_0;
    NorvikMessage note;
    status = server.ReceiveNotification(&note);
    checks.Check(arrived && status == NORVIK_STATUS_SUCCESS && note.code == NORVIK_NOTIFY_DRIVER_DEVICE_LIST,
                 "the server hears of the new unit", "notification " + std::to_string(note.code));

    server.CloseAll();
    client.CloseAll();
    second.CloseAll();
    SetDriverPortForTesting(nullptr);
    simulator.Stop();
    return checks.Finish();
}
