// NorvikCplClient's two requests for a unit's sound device configuration, answered by a scripted server
// handle on the simulator model (the service would never send the malformed replies tested here).
#include "cpl/NorvikCplClient.h"
#include "driverapi/NorvikReply.h"
#include "tests/common/ScriptedServer.h"
#include "tests/common/SimulatedDriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
class CplClientTest : public testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.OpenAsClient(NORVIK_DRIVER_NAME)); }

    SimulatedDriver driver_{0};
    NorvikCplClient client_;
};
} // namespace

TEST_F(CplClientTest, GetSoundDeviceConfigurationChecksTheReplysCodeAndSize)
{
    const struct
    {
        const char* name;
        uint32_t code;
        NorvikStatus result;
        uint32_t payloadBytes;
        NorvikStatus expected;
    } cases[] = {
        {"proper reply", NORVIK_REPLY_SOUND_CONFIG, 0, 16, NORVIK_STATUS_SUCCESS},
        {"plain result reply", NORVIK_REPLY_RESULT, 0, 16, NORVIK_STATUS_UNEXPECTED_MSG_CODE},
        {"12-byte record", NORVIK_REPLY_SOUND_CONFIG, 0, 12, NORVIK_STATUS_INVALID_MSG_SIZE},
        {"20-byte record", NORVIK_REPLY_SOUND_CONFIG, 0, 20, NORVIK_STATUS_INVALID_MSG_SIZE},
        {"refused", NORVIK_REPLY_SOUND_CONFIG, NORVIK_STATUS_OBJECT_NOT_FOUND, 0,
         NORVIK_STATUS_OBJECT_NOT_FOUND},
    };
    for (const auto& c : cases)
    {
        ScriptedServer server(
            [&](const NorvikMessage& request)
            {
                NorvikMessage reply = ReplyTo(request, c.result, c.code);
                const uint32_t record[5] = {11, 22, 3, 1, 0};
                (void)reply.SetPayload(record, c.payloadBytes);
                return std::vector<NorvikMessage>{reply};
            });
        uint32_t render = 0xAAAA;
        uint32_t capture = 0xBBBB;
        EXPECT_EQ(c.expected, client_.GetSoundDeviceConfiguration(11, 22, &render, &capture)) << c.name;
        const bool success = c.expected == NORVIK_STATUS_SUCCESS;
        EXPECT_EQ(success ? 3u : 0xAAAAu, render) << c.name;
        EXPECT_EQ(success ? 1u : 0xBBBBu, capture) << c.name;

        ASSERT_EQ(1u, server.Requests().size()) << c.result;
        const NorvikMessage request = server.Requests()[0];
        EXPECT_EQ(NORVIK_REQ_GET_SOUND_CONFIG, request.code);
        uint32_t payload[4] = {};
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, request.GetExactPayload(payload, sizeof(payload)));
        EXPECT_EQ(11u, payload[0]);
        EXPECT_EQ(22u, payload[1]);
        EXPECT_EQ(0u, payload[2] | payload[3]);
    }
}

TEST_F(CplClientTest, SetSoundDeviceConfigurationSendsTheFourWordsAndReturnsTheResult)
{
    const struct
    {
        uint32_t code;
        NorvikStatus result;
        NorvikStatus expected;
    } cases[] = {
        {NORVIK_REPLY_RESULT, 0, NORVIK_STATUS_SUCCESS},
        {NORVIK_REPLY_RESULT, NORVIK_STATUS_SOUND_DEVICE_IN_USE, NORVIK_STATUS_SOUND_DEVICE_IN_USE},
        {NORVIK_REPLY_SOUND_CONFIG, 0, NORVIK_STATUS_UNEXPECTED_MSG_CODE},
    };
    for (const auto& c : cases)
    {
        ScriptedServer server([&](const NorvikMessage& request)
                              { return std::vector<NorvikMessage>{ReplyTo(request, c.result, c.code)}; });
        EXPECT_EQ(c.expected, client_.SetSoundDeviceConfiguration(5, 6, 4, 2));
        ASSERT_EQ(1u, server.Requests().size()) << c.result;
        const NorvikMessage request = server.Requests()[0];
        EXPECT_EQ(NORVIK_REQ_SET_SOUND_CONFIG, request.code);
        uint32_t payload[4] = {};
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, request.GetExactPayload(payload, sizeof(payload)));
        EXPECT_EQ(5u, payload[0]);
        EXPECT_EQ(6u, payload[1]);
        EXPECT_EQ(4u, payload[2]);
        EXPECT_EQ(2u, payload[3]);
    }
}
