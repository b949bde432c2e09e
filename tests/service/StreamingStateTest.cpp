// The streaming state machine against the model: the hooks each step calls, in order, and where it stops.
#include "ServerHarness.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
enum class Operation
{
    Up,
    Down,
    Idle,
};

constexpr uint32_t kNone = 0xFFFFFFFF;

struct Case
{
    const char* name;
    uint32_t state;
    bool inUse;
    NorvikStatus commandFault; // the first streaming command fails with this
    Operation operation;
    uint32_t refuseTarget;
    NorvikStatus upRefusal;
    NorvikStatus result;
    std::vector<std::string> hooks;
    uint32_t finalState;
};

constexpr NorvikStatus kFailed = NORVIK_STATUS_FAILED;
constexpr NorvikStatus kRefused = NORVIK_STATUS_NOT_ALLOWED;

const Case kCases[] = {
    {"up from Down, idle", 1, false, 0, Operation::Up, 0, 0, 0, {"Up", "Before 1>2", "After 1>2"}, 2},
    {"up from Down, in use",
     1,
     true,
     0,
     Operation::Up,
     0,
     0,
     0,
     {"Up", "Before 1>2", "After 1>2", "Before 2>3", "After 2>3", "Before 3>4", "After 3>4"},
     4},
    {"failing command 2 is no failed change",
     1,
     false,
     kFailed,
     Operation::Up,
     0,
     0,
     kFailed,
     {"Up", "Before 1>2"},
     1},
    {"failing command 4",
     2,
     true,
     kFailed,
     Operation::Up,
     0,
     0,
     kFailed,
     {"Up", "Before 2>3", "Failed 2>3 E0000001"},
     2},
    {"failing command 5",
     3,
     true,
     kFailed,
     Operation::Up,
     0,
     0,
     kFailed,
     {"Up", "Before 3>4", "Failed 3>4 E0000001"},
     3},
    {"up from Ready, idle", 2, false, 0, Operation::Up, 0, 0, 0, {"Up"}, 2},
    {"up from Running", 4, true, 0, Operation::Up, 0, 0, 0, {"Up"}, 4},
    {"Error is cleared first", 5, false, 0, Operation::Up, 0, 0, 0, {"Up", "Before 1>2", "After 1>2"}, 2},
    {"USB 1.1 state is cleared first",
     6,
     false,
     0,
     Operation::Up,
     0,
     0,
     0,
     {"Up", "Before 1>2", "After 1>2"},
     2},
    {"failing clear", 5, false, kFailed, Operation::Up, 0, 0, kFailed, {"Up"}, 5},
    {"a controller holds streaming down", 1, true, 0, Operation::Up, 0, kRefused, kRefused, {"Up"}, 1},
    {"a controller refuses Running",
     1,
     true,
     0,
     Operation::Up,
     4,
     0,
     kRefused,
     {"Up", "Before 1>2", "After 1>2", "Before 2>3", "After 2>3", "Before 3>4"},
     3},
    {"down from Running",
     4,
     true,
     0,
     Operation::Down,
     0,
     0,
     0,
     {"Before 4>2", "After 4>2", "Before 2>1", "After 2>1"},
     1},
    {"down ignores refusals",
     3,
     false,
     0,
     Operation::Down,
     2,
     0,
     0,
     {"Before 3>2", "After 3>2", "Before 2>1", "After 2>1"},
     1},
    {"failing command 6 down",
     4,
     true,
     kFailed,
     Operation::Down,
     0,
     0,
     kFailed,
     {"Before 4>2", "Failed 4>2 E0000001"},
     4},
    {"failing command 3", 2, false, kFailed, Operation::Down, 0, 0, kFailed, {"Before 2>1"}, 2},
    {"down from Error", 5, false, 0, Operation::Down, 0, 0, 0, {}, 1},
    {"down from Down", 1, false, 0, Operation::Down, 0, 0, 0, {}, 1},
    {"idle Running goes to Ready", 4, false, 0, Operation::Idle, 0, 0, 0, {"Before 4>2", "After 4>2"}, 2},
    {"idle Prepared goes to Ready", 3, false, 0, Operation::Idle, 0, 0, 0, {"Before 3>2", "After 3>2"}, 2},
    {"busy Running stays", 4, true, 0, Operation::Idle, 0, 0, 0, {}, 4},
    {"idle Ready stays", 2, false, 0, Operation::Idle, 0, 0, 0, {}, 2},
    {"failing idle command 6",
     4,
     false,
     kFailed,
     Operation::Idle,
     0,
     0,
     kFailed,
     {"Before 4>2", "Failed 4>2 E0000001"},
     4},
};

// A status record with only the state set, fed to the server once in place of the model's.
std::vector<uint8_t> StatusWithState(uint32_t state)
{
    NorvikStreamingStatus status = {};
    status.state = state;
    status.sampleRate = 48000;
    std::vector<uint8_t> bytes(sizeof(status));
    std::memcpy(bytes.data(), &status, sizeof(status));
    return bytes;
}

struct StreamingState : testing::Test
{
    void SetUp() override
    {
        ASSERT_EQ(0u, server.TryOpenDriver(NORVIK_DRIVER_NAME));
        bool changed = false;
        ASSERT_EQ(0u, server.UpdateDeviceList(&changed));
        ASSERT_EQ(1u, server.DeviceCount());
        (void)log.Take();
    }

    NorvikStatus Run(Operation operation, uint32_t flag = 0)
    {
        switch (operation)
        {
        case Operation::Up:
            return server.BringStreamingUp(flag);
        case Operation::Down:
            return server.BringStreamingDown(flag);
        default:
            return server.IdleStreamingDown();
        }
    }

    ServerHarness harness{1};
    HookLog log;
    RecordingServer server{log};
};
} // namespace

TEST_F(StreamingState, HookSequences)
{
    for (const Case& c : kCases)
    {
        ASSERT_EQ(0u, harness.model.SetStreamingState(c.state)) << c.name;
        const uint32_t activity[6] = {c.inUse ? 1u : 0u, 0, 0, 0, 0, 0};
        harness.model.SetActivity(activity);
        RecordingCtrl* controller = server.Controller(0);
        controller->refuseTarget = c.refuseTarget;
        controller->refusal = c.refuseTarget != 0 ? kRefused : 0;
        controller->upRefusal = c.upRefusal;
        if (c.commandFault != 0)
        {
            harness.model.InjectFault(NORVIK_IOCTL_STREAMING_COMMAND, c.commandFault);
        }

        EXPECT_EQ(c.result, Run(c.operation)) << c.name;
        EXPECT_EQ(c.hooks, log.Take()) << c.name;
        EXPECT_EQ(c.finalState, harness.State()) << c.name;
        harness.model.ClearFaults();
    }
}

TEST_F(StreamingState, StatesOutsideTheMachineAreInvalid)
{
    for (const uint32_t state : {0u, 7u, 0xFFFFFFFFu})
    {
        for (const Operation operation : {Operation::Up, Operation::Down})
        {
            harness.model.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, 0, 1, StatusWithState(state));
            EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, Run(operation)) << state;
        }
        harness.model.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, 0, 1, StatusWithState(state));
        EXPECT_EQ(0u, Run(Operation::Idle)) << "idle leaves other states alone";
        harness.model.ClearFaults();
    }
}

TEST_F(StreamingState, ADriverThatNeverLeavesErrorDoesNotHangTheServer)
{
    // Every status read says Error although each clear succeeds.
    harness.model.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, 0, -1,
                              StatusWithState(NORVIK_STREAMING_ERROR));
    harness.model.InjectFault(NORVIK_IOCTL_STREAMING_COMMAND, 0, -1);
    harness.model.ClearRequestLog();
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, Run(Operation::Up));
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, Run(Operation::Down));
    EXPECT_EQ(2u * NorvikServer::kMaxStreamingSteps,
              CountRequests(harness.model.RequestLog(), NORVIK_IOCTL_STREAMING_COMMAND));
}

TEST_F(StreamingState, CommandsTwoAndThreeCarryTheFlag)
{
    ASSERT_EQ(0u, harness.model.SetStreamingState(NORVIK_STREAMING_DOWN));
    for (const uint32_t flag : {1u, 0u, 1u})
    {
        EXPECT_EQ(0u, Run(Operation::Up, flag));
        EXPECT_EQ(flag, harness.model.Settings().lastCommandFlag) << "command 2";
        EXPECT_EQ(0u, Run(Operation::Down, flag));
        EXPECT_EQ(flag, harness.model.Settings().lastCommandFlag) << "command 3";
    }
}

TEST_F(StreamingState, AStatusReadFailureIsReturned)
{
    for (const Operation operation : {Operation::Up, Operation::Down, Operation::Idle})
    {
        harness.model.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, NORVIK_STATUS_DEVICE_REMOVED);
        EXPECT_EQ(NORVIK_STATUS_DEVICE_REMOVED, Run(operation));
    }
    EXPECT_EQ(std::vector<std::string>{"Up"}, log.Take());
}
