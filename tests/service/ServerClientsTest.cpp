// The server with clients that misbehave or compete, as other programs and other users' control panels do:
// one that goes away in the middle of its request, and two that change the same setting at the same moment.
#include "ServerHarness.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <future>

namespace
{
// Stops in the middle of a rate change until the test lets it go on.
class PausingServer : public CustomServer
{
  public:
    PausingServer()
    {
        (void)entered.Create(true);
        (void)resume.Create(true);
    }
    NorvikStatus SetSampleRate(uint32_t rate) override
    {
        (void)entered.Set();
        (void)WaitForSingleObject(resume.Get(), 30000);
        return CustomServer::SetSampleRate(rate);
    }

    WnEvent entered;
    WnEvent resume;
};

// Replies and notifications waiting in the driver for any handle.
size_t QueuedMessages(const DriverModel& model)
{
    size_t queued = 0;
    for (const nlohmann::json& handle : nlohmann::json::parse(model.DumpJson())["handles"])
    {
        queued += handle["messages"].get<size_t>();
    }
    return queued;
}
} // namespace

TEST(ServerClients, TheReplyToAClientThatWentAwayMidRequestIsDroppedAndServingGoesOn)
{
    ServerHarness harness(2);
    PausingServer& server = harness.Start(std::make_unique<PausingServer>());
    const uint32_t rate = harness.model.Settings().currentRate == 44100 ? 48000 : 44100;
    {
        NorvikClient vanishing;
        ASSERT_EQ(0u, vanishing.OpenAsClient(NORVIK_DRIVER_NAME));
        NorvikMessage request;
        request.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_SAMPLE_RATE);
        ASSERT_EQ(0u, request.SetPayload(&rate, sizeof(rate)));
        request.sequence = 1;
        ASSERT_EQ(0u, vanishing.SendMsg(request));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.entered.Get(), 10000));
        // Its handle closes as a killed process's does, while the service works on its request.
    }
    harness.model.ClearRequestLog();
    (void)server.resume.Set();

    const uint32_t back = rate == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, harness.Request(NORVIK_REQ_SET_SAMPLE_RATE, &back, sizeof(back))) << "still serving";
    EXPECT_EQ(back, harness.model.Settings().currentRate);
    EXPECT_EQ(0u, QueuedMessages(harness.model)) << "the orphaned reply is nowhere";
    const std::vector<SimLogEntry> log = harness.model.RequestLog();
    EXPECT_EQ(1, std::count_if(log.begin(), log.end(),
                               [](const SimLogEntry& entry)
                               {
                                   return entry.code == NORVIK_IOCTL_SEND_MESSAGE &&
                                          entry.messageCode == NORVIK_REPLY_RESULT &&
                                          entry.status == NORVIK_STATUS_INITIATOR_NOT_FOUND;
                               }))
        << "the driver refused it, and the service went on";
    EXPECT_TRUE(harness.model.HasServer());
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State());
}

TEST(ServerClients, TwoClientsChangingTheSameSettingBothGetAnswersAndOneOfThemWins)
{
    ServerHarness harness(1);
    harness.Start(std::make_unique<CustomServer>());
    NorvikClient first;
    NorvikClient second;
    ASSERT_EQ(0u, first.OpenAsClient(NORVIK_DRIVER_NAME));
    ASSERT_EQ(0u, second.OpenAsClient(NORVIK_DRIVER_NAME));
    WnEvent go;
    ASSERT_EQ(0u, go.Create(true));
    // Each round, both ask at once: buffer classes (three values in one request) and then the rate.
    const uint32_t buffers[2][3] = {{1, 0, 2}, {4, 3, 5}};
    const uint32_t rates[2] = {44100, 96000};
    int firstWon = 0;
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round)
    {
        (void)go.Reset();
        const auto ask = [&go](NorvikClient& client, const uint32_t(&classes)[3], uint32_t rate)
        {
            (void)WaitForSingleObject(go.Get(), INFINITE);
            const NorvikStatus buffersResult = client.SetBufferSizes(classes[0], classes[1], classes[2]);
            return std::make_pair(buffersResult, client.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS));
        };
        auto a = std::async(std::launch::async, ask, std::ref(first), std::cref(buffers[0]), rates[0]);
        auto b = std::async(std::launch::async, ask, std::ref(second), std::cref(buffers[1]), rates[1]);
        (void)go.Set();
        EXPECT_EQ(std::make_pair(0u, 0u), a.get()) << round;
        EXPECT_EQ(std::make_pair(0u, 0u), b.get()) << round;

        const SimDriverState state = harness.model.Settings();
        const uint32_t now[3] = {state.streamingClass, state.asioClass, state.thirdBufferValue};
        const bool firstBuffers = std::equal(now, now + 3, buffers[0]);
        EXPECT_TRUE(firstBuffers || std::equal(now, now + 3, buffers[1]))
            << round << ": " << now[0] << " " << now[1] << " " << now[2];
        EXPECT_TRUE(state.currentRate == rates[0] || state.currentRate == rates[1]) << state.currentRate;
        EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), state.state) << round;
        firstWon += firstBuffers ? 1 : 0;
    }
    std::printf("the first client's buffer classes stayed in %d of %d rounds\n", firstWon, kRounds);
}
