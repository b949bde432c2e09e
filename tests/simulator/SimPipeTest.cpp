// The simulator on its named pipes: in this process through the programs' pipe port and a raw client, and
// corvexsim.exe in a process of its own.
#include "driverapi/NorvikDriver.h"
#include "driverapi/PipeDriverPort.h"
#include "simulator/SimControlClient.h"
#include "simulator/SimPipeServer.h"
#include "wn/WnEvent.h"
#include "tests/common/SimulatedDriver.h"
#include "wn/WnFileHandle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::wstring UniquePipeName()
{
    static int counter = 0;
    return L"corvex-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

std::wstring PipePath(const std::wstring& name)
{
    return L"\\\\.\\pipe\\" + name;
}

// Waits for something another thread or process does; the bound only keeps a broken build from hanging.
template <class Condition> bool Eventually(Condition condition)
{
    for (int i = 0; i < 1000; ++i)
    {
        if (condition())
            return true;
        Sleep(10);
    }
    return condition();
}

// A new handle on the simulated driver.
std::unique_ptr<DriverLink> OpenLink()
{
    std::unique_ptr<DriverLink> link;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, CurrentDriverPort().Open(L"\\\\.\\" NORVIK_DRIVER_NAME, &link));
    return link;
}

NorvikStatus SetRole(DriverLink& link, uint32_t role)
{
    uint32_t bytes = 0;
    return link.Ioctl(NORVIK_IOCTL_SET_ROLE, &role, 4, nullptr, 0, &bytes, nullptr);
}

TEST(SimPipe, RequestsAndDisconnectReleasesTheRole)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    std::unique_ptr<DriverLink> server = OpenLink();
    ASSERT_TRUE(server);
    NorvikDriverInfo info{};
    uint32_t bytes = 0;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS,
              server->Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, &info, 24, &bytes, nullptr));
    EXPECT_EQ(24u, bytes);
    EXPECT_EQ(2u, info.interfaceMajor);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, SetRole(*server, NORVIK_ROLE_SERVER));

    std::unique_ptr<DriverLink> other = OpenLink();
    EXPECT_EQ(NORVIK_STATUS_ALREADY_DONE, SetRole(*other, NORVIK_ROLE_SERVER));
    server.reset();
    EXPECT_TRUE(Eventually([&] { return !sim.model.HasServer(); }))
        << "the closed connection's role is released";
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, SetRole(*other, NORVIK_ROLE_SERVER));
    other.reset();
    EXPECT_TRUE(Eventually([&] { return sim.model.HandleCount() == 0; }));
}

TEST(SimPipe, EventsRegisteredOverThePipeAreSignalled)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    NorvikDriver client;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.OpenAsClient(NORVIK_DRIVER_NAME));
    NorvikDeviceKeys keys{1, 2};
    sim.model.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, &keys, sizeof(keys));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.NotificationEvent(), 10000));
    NorvikMessage note;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_DEVICE_STATE_CHANGED, note.code);
    EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, client.ReceiveNotification(&note));
    bool changed = false;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, client.UpdateDeviceList(&changed));
    EXPECT_EQ(2u, client.DeviceCount());
    client.CloseAll();
}

// A client that speaks the wire format byte by byte.
class RawClient
{
  public:
    explicit RawClient(const std::wstring& path)
        : pipe_(
              CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        DWORD mode = PIPE_READMODE_MESSAGE;
        EXPECT_TRUE(pipe_ && SetNamedPipeHandleState(pipe_.Get(), &mode, nullptr, nullptr));
    }

    // Sends the bytes as one message; returns the reply's status and its byte count (or ~0 on a broken pipe).
    uint32_t Send(const std::vector<uint8_t>& message, uint32_t* count)
    {
        DWORD done = 0;
        if (!WriteFile(pipe_.Get(), message.data(), static_cast<DWORD>(message.size()), &done, nullptr))
            return ~0u;
        uint8_t reply[1024];
        if (!ReadFile(pipe_.Get(), reply, sizeof(reply), &done, nullptr) || done < 8)
            return ~0u;
        uint32_t status;
        std::memcpy(&status, reply, 4);
        std::memcpy(count, reply + 4, 4);
        EXPECT_EQ(8 + *count, done);
        return status;
    }

    static std::vector<uint8_t> Request(uint32_t code, uint32_t outSize, size_t inSize)
    {
        std::vector<uint8_t> message(8 + inSize, 0);
        std::memcpy(&message[0], &code, 4);
        std::memcpy(&message[4], &outSize, 4);
        return message;
    }

  private:
    WnFileHandle pipe_;
};

TEST(SimPipe, MalformedMessagesAreAnsweredAndTheConnectionGoesOn)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    RawClient raw(PipePath(sim.PipeName()));
    const struct
    {
        const char* what;
        std::vector<uint8_t> message;
        uint32_t status;
        uint32_t count;
    } cases[] = {
        {"shorter than the header", {1, 2, 3, 4}, NORVIK_STATUS_INVALID_INBUFFER_SIZE, 0},
        {"empty message", {}, NORVIK_STATUS_INVALID_INBUFFER_SIZE, 0},
        {"output over 64 KiB", RawClient::Request(NORVIK_IOCTL_GET_DRIVER_INFO, 64 * 1024 + 1, 0),
         NORVIK_STATUS_INVALID_OUTBUFFER_SIZE, 0},
        {"input over 64 KiB", RawClient::Request(NORVIK_IOCTL_SET_CHANNEL_NAMES, 0, 70000),
         NORVIK_STATUS_INVALID_INBUFFER_SIZE, 0},
        {"input larger than the record", RawClient::Request(NORVIK_IOCTL_GET_DRIVER_INFO, 24, 4),
         NORVIK_STATUS_INVALID_INBUFFER_SIZE, 0},
        {"unknown code", RawClient::Request(0x12345678, 0, 0), NORVIK_STATUS_INVALID_IOCTL, 0},
        {"well formed", RawClient::Request(NORVIK_IOCTL_GET_DRIVER_INFO, 24, 0), NORVIK_STATUS_SUCCESS, 24},
    };
    for (const auto& c : cases)
    {
        uint32_t count = 99;
        EXPECT_EQ(c.status, raw.Send(c.message, &count)) << c.what;
        EXPECT_EQ(c.count, count) << c.what;
    }
    std::unique_ptr<DriverLink> other = OpenLink();
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, SetRole(*other, NORVIK_ROLE_CLIENT)) << "everyone else is still served";
}

TEST(SimPipe, ConnectionsBeyondTheBoundAreRefusedAndTheOthersServed)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    std::vector<std::unique_ptr<NorvikApiContext>> held(SimPipeListener::kMaxConnections);
    for (std::unique_ptr<NorvikApiContext>& context : held)
    {
        context = std::make_unique<NorvikApiContext>();
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, context->Open(NORVIK_DRIVER_NAME));
    }
    NorvikApiContext extra;
    const NorvikStatus refused = extra.Open(NORVIK_DRIVER_NAME);
    EXPECT_TRUE(refused == ERROR_BROKEN_PIPE || refused == ERROR_PIPE_NOT_CONNECTED ||
                refused == ERROR_NO_DATA)
        << refused;
    NorvikDriverInfo info{};
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, held.front()->GetDriverInfo(&info));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, held.back()->GetDriverInfo(&info));
    held.pop_back();
    EXPECT_TRUE(Eventually([&] { return extra.Open(NORVIK_DRIVER_NAME) == NORVIK_STATUS_SUCCESS; }))
        << "a place given up is served again";
}

TEST(SimPipe, OneSimulatorPerName)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    DriverModel model;
    SimControl control(model);
    SimPipeServer second(model, control);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), second.Start(sim.PipeName()));
}

TEST(SimPipe, ControlPipeLines)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    SimControlClient client;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), client.Connect(sim.PipeName()));
    std::string reply;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), client.Send("set rate 88200", &reply));
    EXPECT_EQ("ok", reply);
    ASSERT_EQ(DWORD(ERROR_SUCCESS), client.Send("set rate\r\n", &reply));
    EXPECT_EQ("error: usage: set rate HZ", reply);
    ASSERT_EQ(DWORD(ERROR_SUCCESS), client.Send(std::string(5000, 'x'), &reply));
    EXPECT_EQ("error: command longer than 4096 bytes", reply);
    ASSERT_EQ(DWORD(ERROR_SUCCESS), client.Send("dump", &reply));
    EXPECT_NE(std::string::npos, reply.find("\"current\":88200"));
    EXPECT_GT(reply.size(), 4096u) << "long replies arrive whole";
}

// Run as a child of DiedClientReleasesTheServerRole: takes the server role and dies without closing.
TEST(SimPipeChild, TakeServerRoleAndDie)
{
    wchar_t name[100];
    if (GetEnvironmentVariableW(L"CORVEX_SIM_CHILD_PIPE", name, 100) == 0)
        GTEST_SKIP() << "runs only as the child of DiedClientReleasesTheServerRole";
    PipeDriverPort port(PipePath(name));
    std::unique_ptr<DriverLink> link;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, port.Open(L"\\\\.\\" NORVIK_DRIVER_NAME, &link));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, SetRole(*link, NORVIK_ROLE_SERVER));
    TerminateProcess(GetCurrentProcess(), 7);
}

TEST(SimPipe, DiedClientReleasesTheServerRole)
{
    SimulatedDriver sim(2, SimulatedDriver::Transport::Pipe);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=SimPipeChild.TakeServerRoleAndDie";
    ASSERT_TRUE(SetEnvironmentVariableW(L"CORVEX_SIM_CHILD_PIPE", sim.PipeName().c_str()));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &info);
    SetEnvironmentVariableW(L"CORVEX_SIM_CHILD_PIPE", nullptr);
    ASSERT_TRUE(started);
    WnHandle process(info.hProcess), thread(info.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 30000));
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(process.Get(), &exitCode));
    ASSERT_EQ(7u, exitCode) << "the child held the server role when it died";
    EXPECT_TRUE(Eventually([&] { return !sim.model.HasServer(); }));
    std::unique_ptr<DriverLink> next = OpenLink();
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, SetRole(*next, NORVIK_ROLE_SERVER));
}

// corvexsim.exe next to this test's build directory: tests/simulator/ -> simulator/.
std::wstring SimulatorExe()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path, length);
    for (int up = 0; up < 3; ++up)
        text = text.substr(0, text.find_last_of(L"\\/"));
    return text + L"\\simulator\\corvexsim.exe";
}

class SimulatorProcess
{
  public:
    explicit SimulatorProcess(const std::wstring& name)
    {
        std::wstring command = L"\"" + SimulatorExe() + L"\" -pipe " + name;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &startup, &info))
            << GetLastError();
        process_.Attach(info.hProcess);
        WnHandle thread(info.hThread);
    }
    ~SimulatorProcess()
    {
        if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT)
            (void)TerminateProcess(process_.Get(), 1);
    }
    HANDLE Get() const { return process_.Get(); }

  private:
    WnHandle process_;
};

TEST(CorvexSim, ServesOtherProcessesAndQuits)
{
    const std::wstring name = UniquePipeName();
    SimulatorProcess simulator(name);
    SimControlClient control;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), control.Connect(name, 20000));

    ScopedPipePort port(PipePath(name));
    NorvikDriver client, server, next;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.OpenAsClient(NORVIK_DRIVER_NAME));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.OpenWithEvents(NORVIK_DRIVER_NAME, true, true));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));

    // Events of this process, duplicated by the simulator's process, signalled from there.
    std::string reply;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), control.Send("notify clients 3040 @CVX10002", &reply));
    ASSERT_EQ("ok", reply);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.NotificationEvent(), 10000));
    NorvikMessage note;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.ReceiveNotification(&note));
    EXPECT_EQ(3040u, note.code);
    EXPECT_EQ(8u, note.length);

    ASSERT_EQ(DWORD(ERROR_SUCCESS), control.Send("unplug CVX10001", &reply));
    ASSERT_EQ("ok", reply);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.NotificationEvent(), 10000));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.ReceiveNotification(&note));
    EXPECT_EQ(NORVIK_NOTIFY_DRIVER_DEVICE_LIST, note.code);

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, next.OpenWithEvents(NORVIK_DRIVER_NAME, false, false));
    EXPECT_EQ(NORVIK_STATUS_ALREADY_DONE, next.SetRole(NORVIK_ROLE_SERVER));
    server.CloseAll();
    EXPECT_TRUE(Eventually([&] { return next.SetRole(NORVIK_ROLE_SERVER) == NORVIK_STATUS_SUCCESS; }))
        << "the server role goes with its connection";

    ASSERT_EQ(DWORD(ERROR_SUCCESS), control.Send("quit", &reply));
    EXPECT_EQ("ok", reply);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(simulator.Get(), 20000));
    DWORD exitCode = 1;
    EXPECT_TRUE(GetExitCodeProcess(simulator.Get(), &exitCode));
    EXPECT_EQ(0u, exitCode);
    NorvikDriverInfo info{};
    EXPECT_NE(NORVIK_STATUS_SUCCESS,
              client.Ioctl(NORVIK_IOCTL_GET_DRIVER_INFO, nullptr, 0, &info, 24, nullptr))
        << "the simulator is gone";
    client.CloseAll();
    next.CloseAll();
}
} // namespace
