// The pipe port against a small message-mode pipe server in this process: the wire format both ways, the
// bound on bytes returned, a missing, busy and broken pipe; and the simulator's pipe server restarted.
#include "driverapi/KernelDriverPort.h"
#include "driverapi/NorvikApiContext.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikDriver.h"
#include "driverapi/PipeDriverPort.h"
#include "tests/common/SimulatedDriver.h"

#include "wn/WnFileHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct WireRequest
{
    uint32_t code = 0;
    uint32_t outSize = 0;
    std::vector<uint8_t> input;
};

std::vector<uint8_t> Reply(uint32_t status, uint32_t bytesField, const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> reply(8 + bytes.size());
    std::memcpy(&reply[0], &status, 4);
    std::memcpy(&reply[4], &bytesField, 4);
    if (!bytes.empty())
        std::memcpy(&reply[8], bytes.data(), bytes.size());
    return reply;
}

template <class T> std::vector<uint8_t> Bytes(const T& record)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(p, p + sizeof(T));
}

std::vector<uint8_t> DriverInfoReply()
{
    NorvikDriverInfo info{2, 0, 1, 2, 3, 0};
    return Reply(0, sizeof(info), Bytes(info));
}

// Serves `connections` clients one after the other on a single pipe instance. Every request after the
// driver-info check goes to `answer`; an empty answer closes the connection (a broken pipe for the client).
class PipeServer
{
  public:
    using Answer = std::function<std::vector<uint8_t>(const WireRequest&)>;

    PipeServer(const wchar_t* name, Answer answer, int connections = 1)
        : path_(std::wstring(L"\\\\.\\pipe\\") + name), answer_(std::move(answer))
    {
        pipe_.Attach(CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_DUPLEX,
                                      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 65536, 65536,
                                      0, nullptr));
        thread_ = std::thread(
            [this, connections]
            {
                for (int i = 0; i < connections; ++i)
                    Serve();
            });
    }

    ~PipeServer() { Join(); }

    // Waits until the server has served all its connections.
    void Join()
    {
        if (thread_.joinable())
            thread_.join();
    }

    const std::wstring& Path() const { return path_; }
    bool Created() const { return pipe_.IsValid(); }
    std::vector<WireRequest> Seen() const { return seen_; }

  private:
    void Serve()
    {
        if (!ConnectNamedPipe(pipe_.Get(), nullptr) && GetLastError() != ERROR_PIPE_CONNECTED)
            return;
        for (;;)
        {
            std::vector<uint8_t> message(65536);
            DWORD read = 0;
            if (!ReadFile(pipe_.Get(), message.data(), static_cast<DWORD>(message.size()), &read, nullptr) ||
                read < 8)
                break;
            WireRequest request;
            std::memcpy(&request.code, &message[0], 4);
            std::memcpy(&request.outSize, &message[4], 4);
            request.input.assign(message.begin() + 8, message.begin() + read);
            const std::vector<uint8_t> reply =
                request.code == NORVIK_IOCTL_GET_DRIVER_INFO ? DriverInfoReply() : answer_(request);
            if (request.code != NORVIK_IOCTL_GET_DRIVER_INFO)
                seen_.push_back(request);
            if (reply.empty())
                break;
            DWORD written = 0;
            if (!WriteFile(pipe_.Get(), reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr))
                break;
        }
        (void)FlushFileBuffers(pipe_.Get());
        (void)DisconnectNamedPipe(pipe_.Get());
    }

    std::wstring path_;
    Answer answer_;
    WnFileHandle pipe_;
    std::vector<WireRequest> seen_; // read by the test only after Join
    std::thread thread_;
};
} // namespace

TEST(PipePort, RequestAndReplyOnTheWire)
{
    const NorvikStreamingStatus answer{NORVIK_STREAMING_RUNNING, 0, 48000, {1, 2, 3, 4, 5, 6}};
    const std::vector<uint8_t> record = Bytes(answer);
    const struct
    {
        const char* what;
        std::vector<uint8_t> reply;
        NorvikStatus expected;
        uint32_t expectedBytes;
    } cases[] = {
        {"full record", Reply(0, 36, record), NORVIK_STATUS_SUCCESS, 36},
        {"short record", Reply(0, 12, std::vector<uint8_t>(record.begin(), record.begin() + 12)),
         NORVIK_STATUS_SUCCESS, 12},
        {"driver failure", Reply(NORVIK_STATUS_INVALID_STATE, 0, {}), NORVIK_STATUS_INVALID_STATE, 0},
        {"count above output size", Reply(0, 37, std::vector<uint8_t>(37, 0xAB)), ERROR_INVALID_DATA, 0},
        {"count claims more than arrived", Reply(0, 36, std::vector<uint8_t>(20, 0xAB)), ERROR_INVALID_DATA,
         0},
        {"count claims less than arrived", Reply(0, 4, std::vector<uint8_t>(20, 0xAB)), ERROR_INVALID_DATA,
         0},
        {"no header", std::vector<uint8_t>{1, 2, 3}, ERROR_INVALID_DATA, 0},
        {"message longer than output", Reply(0, 36, std::vector<uint8_t>(400, 0xAB)), ERROR_INVALID_DATA, 0},
    };
    for (const auto& c : cases)
    {
        // Each case is followed by a well-formed request on the same connection, which must not read
        // leftovers of a refused reply.
        int calls = 0;
        PipeServer server(L"corvex-driverapi-wire",
                          [&](const WireRequest&) {
                              return calls++ == 0 ? c.reply : Reply(0, 4, {7, 0, 0, 0});
                          });
        ASSERT_TRUE(server.Created());
        {
            ScopedPipePort port(server.Path());
            NorvikApiContext context;
            ASSERT_EQ(NORVIK_STATUS_SUCCESS, context.Open(NORVIK_DRIVER_NAME)) << c.what;

            NorvikStreamingStatus status{};
            uint32_t bytes = 0xDEADBEEF;
            EXPECT_EQ(c.expected, context.Ioctl(NORVIK_IOCTL_GET_STREAMING_STATUS, nullptr, 0, &status,
                                                sizeof(status), &bytes))
                << c.what;
            EXPECT_EQ(c.expectedBytes, bytes) << c.what;
            if (c.expectedBytes == 36)
            {
                EXPECT_EQ(0, std::memcmp(&status, &answer, sizeof(status))) << c.what;
            }

            const uint32_t policyIn = 0x55;
            uint32_t policyOut = 0;
            EXPECT_EQ(NORVIK_STATUS_SUCCESS,
                      context.Ioctl(NORVIK_IOCTL_SET_POLICY, &policyIn, 4, &policyOut, 4))
                << c.what;
            EXPECT_EQ(7u, policyOut) << c.what;
            EXPECT_TRUE(context.IsOpen());
        }
    }
}

TEST(PipePort, RequestCarriesCodeOutputSizeAndInput)
{
    PipeServer server(L"corvex-driverapi-request", [](const WireRequest&) { return Reply(0, 0, {}); });
    {
        ScopedPipePort port(server.Path());
        NorvikApiContext context;
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, context.Open(NORVIK_DRIVER_NAME));
        const uint8_t input[5] = {1, 2, 3, 4, 5};
        uint8_t output[300];
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, context.Ioctl(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, input, sizeof(input),
                                                       output, sizeof(output)));
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, context.Ioctl(NORVIK_IOCTL_SET_SAMPLE_RATE, nullptr, 0, nullptr, 0));
    } // closing the context ends the connection, and the server with it
    server.Join();
    const std::vector<WireRequest> seen = server.Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, seen[0].code);
    EXPECT_EQ(300u, seen[0].outSize);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5}), seen[0].input);
    EXPECT_EQ(NORVIK_IOCTL_SET_SAMPLE_RATE, seen[1].code);
    EXPECT_EQ(0u, seen[1].outSize);
    EXPECT_TRUE(seen[1].input.empty());
}

TEST(PipePort, MissingPipeOrOtherPathIsAMissingDriver)
{
    {
        ScopedPipePort port(L"\\\\.\\pipe\\corvex-driverapi-nobody-listens");
        NorvikApiContext context;
        EXPECT_EQ(static_cast<NorvikStatus>(ERROR_FILE_NOT_FOUND), context.Open(NORVIK_DRIVER_NAME));
        EXPECT_FALSE(context.IsOpen());
    }
    // The pipe is there, but the path names no driver: nothing connects (the server would wait forever).
    PipeServer server(
        L"corvex-driverapi-other-path", [](const WireRequest&) { return Reply(0, 0, {}); }, 0);
    ScopedPipePort port(server.Path());
    NorvikApiContext context;
    EXPECT_EQ(static_cast<NorvikStatus>(ERROR_FILE_NOT_FOUND),
              context.Open(L"{00000000-0000-0000-0000-000000000000}"));
}

TEST(DriverPortChoice, FromTheEnvironmentValue)
{
    static const struct
    {
        const wchar_t* choice;
        const wchar_t* pipePath; // nullptr: the kernel port
    } cases[] = {
        {nullptr, nullptr},
        {L"pipe", L"\\\\.\\pipe\\corvex-driver"},
        {L"pipe:corvex-test-7", L"\\\\.\\pipe\\corvex-test-7"},
        {L"pipe:", nullptr},
        {L"pipe:..\\corvex-driver", nullptr},
        {L"pipe:a/b", nullptr},
        {L"pipe:..", nullptr},
        {L"kernel", nullptr},
        {L"PIPE", nullptr},
    };
    for (const auto& c : cases)
    {
        const std::unique_ptr<DriverPort> port = MakeDriverPort(c.choice);
        const std::wstring what = c.choice ? c.choice : L"(unset)";
        const auto* pipe = dynamic_cast<const PipeDriverPort*>(port.get());
        if (c.pipePath == nullptr)
        {
            EXPECT_NE(nullptr, dynamic_cast<const KernelDriverPort*>(port.get())) << what;
            continue;
        }
        ASSERT_NE(nullptr, pipe) << what;
        EXPECT_EQ(std::wstring(c.pipePath), pipe->PipePath());
    }
}

TEST(KernelPort, NoDriverInstalledIsFileNotFound)
{
    KernelDriverPort port;
    SetDriverPortForTesting(&port);
    NorvikApiContext context;
    EXPECT_EQ(static_cast<NorvikStatus>(ERROR_FILE_NOT_FOUND), context.Open(NORVIK_DRIVER_NAME));
    EXPECT_FALSE(context.IsOpen());
    SetDriverPortForTesting(nullptr);
}

TEST(PipePort, BrokenPipeClosesTheContext)
{
    PipeServer server(L"corvex-driverapi-broken", [](const WireRequest&) { return std::vector<uint8_t>(); });
    ScopedPipePort port(server.Path());
    NorvikApiContext context;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, context.Open(NORVIK_DRIVER_NAME));
    uint32_t policy = 0;
    const NorvikStatus status = context.Ioctl(NORVIK_IOCTL_GET_POLICY, nullptr, 0, &policy, 4);
    EXPECT_TRUE(status == ERROR_BROKEN_PIPE || status == ERROR_NO_DATA || status == ERROR_PIPE_NOT_CONNECTED)
        << status;
    EXPECT_FALSE(context.IsOpen()) << "a broken connection never works again";
    EXPECT_TRUE(context.ConnectionLost());
    EXPECT_EQ(NORVIK_STATUS_NOT_OPENED, context.Ioctl(NORVIK_IOCTL_GET_POLICY, nullptr, 0, &policy, 4));
}

// The simulator's pipe server stopped and started again under an open driver object and its devices, as when
// the driver is restarted: a failed request closes the driver, and opening it again replaces every device.
TEST(PipePort, DriverRestartedUnderOpenObjectsIsOpenedAgainWithNewDevices)
{
    SimulatedDriver served(2, SimulatedDriver::Transport::Pipe);
    ASSERT_TRUE(served.Routed());
    NorvikDriver driver;
    bool changed = false;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAsClient(NORVIK_DRIVER_NAME));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.UpdateDeviceList(&changed));
    ASSERT_EQ(2u, driver.DeviceCount());

    served.PipeServer().Stop();
    ASSERT_TRUE(served.StartPipeServer());
    NorvikStreamingStatus status{};
    EXPECT_NE(NORVIK_STATUS_SUCCESS, driver.GetStreamingStatus(&status));
    EXPECT_FALSE(driver.IsOpen());
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.OpenAsClient(NORVIK_DRIVER_NAME));
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, driver.GetStreamingStatus(&status));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, driver.UpdateDeviceList(&changed));
    EXPECT_TRUE(changed) << "the devices of the broken connection are replaced";
    ASSERT_EQ(2u, driver.DeviceCount());
    bool bypass = true;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, driver.DeviceAt(1)->GetVolumeBypass(&bypass));
    driver.CloseAll();
}

// The driver goes away while a request waits for its reply (nobody answers it): the wait ends with the broken
// connection's failure, not after the whole timeout.
TEST(PipePort, AReplyWaitEndsWhenTheConnectionBreaks)
{
    SimulatedDriver served(2, SimulatedDriver::Transport::Pipe);
    ASSERT_TRUE(served.Routed());
    NorvikDriver silentServer;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, silentServer.OpenWithEvents(NORVIK_DRIVER_NAME, true, true));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, silentServer.SetRole(NORVIK_ROLE_SERVER));
    NorvikClient client;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client.OpenAsClient(NORVIK_DRIVER_NAME));
    std::thread stopper(
        [&served]
        {
            Sleep(300);
            served.PipeServer().Stop();
        });
    const NorvikStatus status = client.SetSampleRate(48000, 60000);
    stopper.join();
    EXPECT_NE(NORVIK_STATUS_TIMEOUT, status);
    EXPECT_NE(NORVIK_STATUS_SUCCESS, status);
    EXPECT_FALSE(client.IsOpen()) << status;
}

TEST(PipePort, BusyPipeIsWaitedFor)
{
    PipeServer server(
        L"corvex-driverapi-busy", [](const WireRequest&) { return Reply(0, 0, {}); }, 2);
    ScopedPipePort port(server.Path());
    NorvikApiContext first;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, first.Open(NORVIK_DRIVER_NAME));
    // The only instance is taken; the second open waits until the first connection goes.
    std::thread closer(
        [&first]
        {
            Sleep(100);
            first.Close();
        });
    NorvikApiContext second;
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, second.Open(NORVIK_DRIVER_NAME));
    closer.join();
    second.Close();
}

TEST(PipePort, BusyPipeGivesUpAfterTwoSeconds)
{
    PipeServer server(L"corvex-driverapi-busy-long", [](const WireRequest&) { return Reply(0, 0, {}); });
    ScopedPipePort port(server.Path());
    NorvikApiContext first;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, first.Open(NORVIK_DRIVER_NAME));
    NorvikApiContext second;
    const NorvikStatus status = second.Open(NORVIK_DRIVER_NAME);
    EXPECT_TRUE(status == ERROR_PIPE_BUSY || status == ERROR_SEM_TIMEOUT) << status;
    EXPECT_FALSE(second.IsOpen());
    first.Close();
}
