// The client's request and reply against a server handle on its own thread: the four requests, sequence
// numbers, late replies, time-outs and reply codes.
#include "ModelFixture.h"

#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikReply.h"

#include "tests/common/ScriptedServer.h"

#include <functional>
#include <mutex>

namespace
{
class TestClient : public NorvikClient
{
  public:
    using NorvikClient::SetSequence;
};

class ClientTest : public ModelTest
{
  protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.OpenAsClient(NORVIK_DRIVER_NAME));
    }

    TestClient client_;
};

std::vector<uint32_t> PayloadWords(const NorvikMessage& message)
{
    std::vector<uint32_t> words(message.length / 4);
    if (!words.empty())
        std::memcpy(words.data(), message.payload, words.size() * 4);
    return words;
}
} // namespace

TEST_F(ClientTest, RequestsCarryTheirPayloadAndReturnTheResult)
{
    static const struct
    {
        const char* what;
        std::function<NorvikStatus(NorvikClient&)> call;
        uint32_t code;
        std::vector<uint32_t> payload;
        NorvikStatus result;
    } cases[] = {
        {"sample rate",
         [](NorvikClient& c) { return c.SetSampleRate(96000, 30000); },
         NORVIK_REQ_SET_SAMPLE_RATE,
         {96000},
         NORVIK_STATUS_SUCCESS},
        {"sample rate refused",
         [](NorvikClient& c) { return c.SetSampleRate(44100, 30000); },
         NORVIK_REQ_SET_SAMPLE_RATE,
         {44100},
         NORVIK_STATUS_SOUND_DEVICE_IN_USE},
        {"buffer sizes",
         [](NorvikClient& c) { return c.SetBufferSizes(3, 1, 0xABCD); },
         NORVIK_REQ_SET_BUFFER_SIZES,
         {3, 1, 0xABCD},
         NORVIK_STATUS_SUCCESS},
        {"streaming device",
         [](NorvikClient& c) { return c.SelectStreamingDevice(11, 22, 0); },
         NORVIK_REQ_SELECT_STREAMING_DEVICE,
         {0, 11, 22},
         NORVIK_STATUS_NO_STREAMING_DEVICE},
        {"policy",
         [](NorvikClient& c) { return c.SetPolicy(1, 30000); },
         NORVIK_REQ_SET_POLICY,
         {1},
         NORVIK_STATUS_SUCCESS},
    };
    for (const auto& c : cases)
    {
        ScriptedServer server([&c](const NorvikMessage& request)
                              { return std::vector<NorvikMessage>{ReplyTo(request, c.result)}; });
        EXPECT_EQ(c.result, c.call(client_)) << c.what;
        const std::vector<NorvikMessage> requests = server.Requests();
        ASSERT_EQ(1u, requests.size()) << c.what;
        EXPECT_EQ(NORVIK_MSG_REQUEST, requests[0].type) << c.what;
        EXPECT_EQ(c.code, requests[0].code) << c.what;
        EXPECT_EQ(c.payload, PayloadWords(requests[0])) << c.what;
        EXPECT_EQ(c.payload.size() * 4, requests[0].length) << c.what;
    }
}

TEST_F(ClientTest, SequenceNumbersIncreaseAndSkipZero)
{
    ScriptedServer server([](const NorvikMessage& request)
                          { return std::vector<NorvikMessage>{ReplyTo(request, NORVIK_STATUS_SUCCESS)}; });
    client_.SetSequence(0xFFFFFFFE);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, client_.SetPolicy(0, 30000));
    const std::vector<NorvikMessage> requests = server.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(0xFFFFFFFFu, requests[0].sequence);
    EXPECT_EQ(1u, requests[1].sequence) << "0 is never used";
    EXPECT_EQ(2u, requests[2].sequence);
}

TEST_F(ClientTest, TimeoutThenLateReplyIsDropped)
{
    std::mutex mutex;
    std::vector<NorvikMessage> unanswered;
    ScriptedServer server(
        [&](const NorvikMessage& request)
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (request.code == NORVIK_REQ_SET_SAMPLE_RATE)
            {
                unanswered.push_back(request); // answered only with the next request
                return std::vector<NorvikMessage>{};
            }
            // The late reply (with a result that must not be taken) arrives right before the right one.
            return std::vector<NorvikMessage>{ReplyTo(unanswered.at(0), NORVIK_STATUS_FAILED),
                                              ReplyTo(request, NORVIK_STATUS_INVALID_STATE)};
        });
    EXPECT_EQ(NORVIK_STATUS_TIMEOUT, client_.SetSampleRate(48000, 50));
    EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, client_.SetPolicy(1, 30000));
    EXPECT_EQ(2u, server.Requests().size());
}

TEST_F(ClientTest, StrayRecordsAheadOfTheReplyAreSkipped)
{
    // The stray record is handed out by the client's next receive, after the real reply was queued: the
    // event fired once for both, so the client must keep draining instead of waiting again.
    static const struct
    {
        const char* what;
        uint32_t type;
        uint32_t code;
        int32_t sequenceOffset; // from the request's sequence
    } cases[] = {
        {"late reply", NORVIK_MSG_REPLY, NORVIK_REPLY_RESULT, -1},
        {"notification", NORVIK_MSG_NOTIFICATION, NORVIK_NOTIFY_SAMPLE_RATE_CHANGED, 0},
        {"request", NORVIK_MSG_REQUEST, NORVIK_REQ_SET_POLICY, 0},
        {"empty record", 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        ScriptedServer server(
            [this, &c](const NorvikMessage& request)
            {
                NorvikMessage stray;
                stray.Init(c.type, c.code);
                stray.sequence = request.sequence + c.sequenceOffset;
                stray.result = NORVIK_STATUS_FAILED;
                model_.InjectFault(NORVIK_IOCTL_RECEIVE_MESSAGE, NORVIK_STATUS_SUCCESS, 1,
                                   RecordBytes(stray));
                return std::vector<NorvikMessage>{ReplyTo(request, NORVIK_STATUS_INVALID_STATE)};
            });
        EXPECT_EQ(NORVIK_STATUS_INVALID_STATE, client_.SetSampleRate(48000, 30000)) << c.what;
    }
}

TEST_F(ClientTest, ReplyCodeMustBeTheExpectedOne)
{
    static const struct
    {
        uint32_t replyCode;
        NorvikStatus result;
        NorvikStatus expected;
    } cases[] = {
        {NORVIK_REPLY_RESULT, NORVIK_STATUS_SUCCESS, NORVIK_STATUS_SUCCESS},
        {NORVIK_REPLY_SOUND_CONFIG, NORVIK_STATUS_SUCCESS, NORVIK_STATUS_UNEXPECTED_MSG_CODE},
        {2002, NORVIK_STATUS_FAILED, NORVIK_STATUS_UNEXPECTED_MSG_CODE},
        {0, NORVIK_STATUS_SUCCESS, NORVIK_STATUS_UNEXPECTED_MSG_CODE},
    };
    for (const auto& c : cases)
    {
        ScriptedServer server(
            [&c](const NorvikMessage& request)
            { return std::vector<NorvikMessage>{ReplyTo(request, c.result, c.replyCode)}; });
        EXPECT_EQ(c.expected, client_.SetBufferSizes(0, 0, 0)) << c.replyCode;
    }
}

TEST_F(ClientTest, ExchangeFailures)
{
    // No server holds the server role.
    EXPECT_EQ(NORVIK_STATUS_NO_SERVER, client_.SetPolicy(0, 30000));

    // A payload that does not fit is refused before anything is sent.
    const uint32_t before = client_.Sequence();
    uint8_t big[NORVIK_MSG_MAX_PAYLOAD + 1] = {};
    NorvikMessage reply;
    EXPECT_EQ(NORVIK_STATUS_INVALID_LENGTH, client_.Request(NORVIK_REQ_SET_SOUND_CONFIG, big, sizeof(big),
                                                            30000, NORVIK_REPLY_RESULT, &reply));
    EXPECT_EQ(before, client_.Sequence());

    // The receive fails outright. No thread serves the server handle, so the fault is the client's.
    NorvikDriver server;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.OpenWithEvents(NORVIK_DRIVER_NAME, true, true));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, server.SetRole(NORVIK_ROLE_SERVER));
    ASSERT_TRUE(SetEvent(client_.MessageEvent()));
    model_.InjectFault(NORVIK_IOCTL_RECEIVE_MESSAGE, NORVIK_STATUS_DEVICE_REMOVED);
    EXPECT_EQ(NORVIK_STATUS_DEVICE_REMOVED, client_.SetPolicy(0, 30000));

    // Without a handle nothing is sent.
    client_.CloseAll();
    EXPECT_EQ(NORVIK_STATUS_NOT_OPENED, client_.SetPolicy(0, 30000));
}
