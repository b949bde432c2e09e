// A deterministic storm of random requests, malformed records and driver events into a running server:
// nothing may crash or hang, every request gets a reply with a proper status, and afterwards the server
// and the driver's streams are still in order.
#include "ServerHarness.h"
#include "driverapi/NorvikStatus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>

namespace
{
// CI's share; tools/fuzz.sh asks for more through CORVEX_FUZZ_MESSAGES.
int MessageCount()
{
    const char* text = std::getenv("CORVEX_FUZZ_MESSAGES");
    const long count = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return count > 0 && count <= 100000000 ? static_cast<int>(count) : 100000;
}
constexpr int kBatch = 64;

const uint32_t kKnownRequests[] = {1001, 1002, 1003, 1004, 1005, 11001, 11002};
const uint32_t kKnownEvents[] = {3003, 3004, 3005, 3006, 3015, 3016, 3020, 3021, 3051, 3060};
const uint32_t kExactSizes[] = {4, 12, 12, 1, 4, 16, 16};

// Statuses the server itself answers with; anything else must be a driver status handed through.
const std::set<NorvikStatus> kServerStatuses = {
    NORVIK_STATUS_SUCCESS,           NORVIK_STATUS_INVALID_COMMAND,     NORVIK_STATUS_INVALID_LENGTH,
    NORVIK_STATUS_INVALID_MSG_SIZE,  NORVIK_STATUS_SOUND_DEVICE_IN_USE, NORVIK_STATUS_OBJECT_NOT_FOUND,
    NORVIK_STATUS_INVALID_PARAMETER, NORVIK_STATUS_INVALID_STATE,
};

bool IsDriverStatus(NorvikStatus status)
{
    return (status & 0xFFFFFF00u) == 0xE0000000u && std::string(StatusName(status)) != "???";
}

class Fuzzer
{
  public:
    Fuzzer(ServerHarness& harness) : harness_(harness), random_(20240611) {}

    uint32_t Pick(uint32_t bound) { return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random_); }

    // A request code: mostly known ones, sometimes anything.
    uint32_t RequestCode(size_t* known)
    {
        const uint32_t roll = Pick(10);
        *known = roll < 8 ? Pick(7) : SIZE_MAX;
        if (*known != SIZE_MAX)
        {
            return kKnownRequests[*known];
        }
        return roll == 8 ? Pick(20000) : static_cast<uint32_t>(random_());
    }

    // Payload bytes for a request: the exact size half of the time, made plausible enough to get past the
    // checks (the unit's keys, rates the driver offers, small values).
    std::vector<uint8_t> Payload(size_t known)
    {
        uint32_t size = Pick(4) == 0 ? Pick(513) : Pick(21);
        if (known != SIZE_MAX && Pick(2) == 0)
        {
            size = kExactSizes[known];
        }
        std::vector<uint8_t> payload(size);
        for (uint8_t& byte : payload)
        {
            byte = static_cast<uint8_t>(Pick(4) == 0 ? random_() : Pick(3));
        }
        if (size >= 4 && Pick(2) == 0)
        {
            static const uint32_t kRates[] = {44100, 48000, 88200, 96000, 12345};
            const uint32_t rate = kRates[Pick(5)];
            std::memcpy(payload.data(), &rate, 4);
        }
        if (size >= 8 && Pick(2) == 0)
        {
            const NorvikDeviceKeys keys = harness_.Keys(Pick(2));
            std::memcpy(payload.data(), &keys, 8);
        }
        return payload;
    }

    // A record the server reads from its message queue as it is: any type, any length field.
    std::vector<uint8_t> MalformedRecord()
    {
        NorvikMessage record = {};
        record.headerSize = Pick(2) == 0 ? 32 : static_cast<uint32_t>(random_());
        record.length = Pick(3) == 0 ? static_cast<uint32_t>(random_()) : Pick(600);
        record.type = Pick(6);
        size_t known = 0;
        record.code = RequestCode(&known);
        record.routing1 = static_cast<uint32_t>(random_());
        for (uint8_t& byte : record.payload)
        {
            byte = static_cast<uint8_t>(random_());
        }
        std::vector<uint8_t> bytes(sizeof(record));
        std::memcpy(bytes.data(), &record, sizeof(record));
        return bytes;
    }

    // A driver event for the server: known and unknown codes with payloads of any size up to 20 bytes.
    void RaiseEvent()
    {
        const uint32_t code = Pick(5) != 0 ? kKnownEvents[Pick(10)] : Pick(5000);
        std::vector<uint8_t> payload(Pick(3) == 0 ? Pick(21) : (Pick(2) == 0 ? 8 : 16));
        for (uint8_t& byte : payload)
        {
            byte = static_cast<uint8_t>(Pick(3));
        }
        if (payload.size() >= 8 && Pick(2) == 0)
        {
            const NorvikDeviceKeys keys = harness_.Keys(Pick(2));
            std::memcpy(payload.data(), &keys, 8);
        }
        if (payload.size() >= 16 && Pick(2) == 0)
        {
            const uint32_t tail[2] = {1 + Pick(2),
                                      Pick(2) == 0 ? Pick(12) : static_cast<uint32_t>(random_())};
            std::memcpy(payload.data() + 8, tail, 8);
        }
        (void)harness_.model.Notify(SimAudience::Server, code, payload.data(),
                                    static_cast<uint32_t>(payload.size()));
    }

    // Now and then a client of the driver starts or stops streaming, so the in-use paths run too.
    void ChangeActivity()
    {
        uint32_t words[6] = {};
        if (Pick(3) == 0)
        {
            words[Pick(6)] = 1;
        }
        harness_.model.SetActivity(words);
    }

    std::mt19937& Random() { return random_; }

  private:
    ServerHarness& harness_;
    std::mt19937 random_;
};
} // namespace

TEST(ServerFuzz, RandomMessagesAndEventsNeverBreakTheServer)
{
    ServerHarness harness(2);
    CustomServer& server = harness.Start(std::make_unique<CustomServer>());
    Fuzzer fuzz(harness);
    std::map<NorvikStatus, int> results;
    int sent = 0;
    int replies = 0;
    int malformed = 0;
    int events = 0;
    const int messages = MessageCount();
    const ULONGLONG start = GetTickCount64();

    while (sent + malformed + events < messages)
    {
        // A malformed record goes first: the server takes it from its queue before the real requests. (The
        // model keeps one pending record per request code, so one per batch.)
        if (fuzz.Pick(2) == 0)
        {
            harness.model.InjectFault(NORVIK_IOCTL_RECEIVE_MESSAGE, 0, 1, fuzz.MalformedRecord());
            ++malformed;
        }
        const uint32_t eventCount = fuzz.Pick(8);
        for (uint32_t i = 0; i < eventCount; ++i)
        {
            fuzz.RaiseEvent();
        }
        events += static_cast<int>(eventCount);
        if (fuzz.Pick(8) == 0)
        {
            fuzz.ChangeActivity();
        }

        // A signal left over from the last batch must not send the client to read before the server has
        // taken the malformed records (they are handed to whichever handle reads first).
        ASSERT_TRUE(ResetEvent(harness.client.MessageEvent()));
        std::map<uint32_t, uint32_t> pending; // sequence -> request code
        for (int i = 0; i < kBatch; ++i)
        {
            size_t known = 0;
            NorvikMessage request;
            request.Init(NORVIK_MSG_REQUEST, fuzz.RequestCode(&known));
            const std::vector<uint8_t> payload = fuzz.Payload(known);
            ASSERT_EQ(0u, request.SetPayload(payload.data(), static_cast<uint32_t>(payload.size())));
            request.sequence = static_cast<uint32_t>(sent + 1);
            ASSERT_EQ(0u, harness.client.SendMsg(request)) << "the server holds its role";
            pending[request.sequence] = request.code;
            ++sent;
        }
        while (!pending.empty())
        {
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(harness.client.MessageEvent(), 30000))
                << pending.size() << " requests unanswered after " << sent;
            NorvikMessage reply;
            while (harness.client.ReceiveMsg(&reply) == NORVIK_STATUS_SUCCESS)
            {
                ASSERT_EQ(static_cast<uint32_t>(NORVIK_MSG_REPLY), reply.type);
                auto request = pending.find(reply.sequence);
                ASSERT_NE(pending.end(), request)
                    << "reply to an unknown sequence " << reply.sequence << " code " << reply.code
                    << " length " << reply.length << " routing " << reply.routing1 << "/" << reply.routing2
                    << " result " << std::hex << reply.result;
                const NorvikStatus result = reply.result;
                EXPECT_TRUE(kServerStatuses.count(result) != 0 || IsDriverStatus(result))
                    << std::hex << result << " for request " << std::dec << request->second;
                const bool configurationReply = request->second == 11002 && result == 0;
                EXPECT_EQ(configurationReply ? 12001u : 2001u, reply.code);
                EXPECT_EQ(configurationReply ? 16u : 0u, reply.length);
                ++results[result];
                ++replies;
                pending.erase(request);
            }
        }
        (void)harness.TakeNotifications();
    }
    harness.model.ClearFaults();
    const uint32_t idle[6] = {};
    harness.model.SetActivity(idle);

    EXPECT_EQ(sent, replies);
    EXPECT_GE(results[0], sent / 20) << "enough requests got through to the handlers";
    EXPECT_GE(results[NORVIK_STATUS_INVALID_LENGTH], 1);
    EXPECT_GE(results[NORVIK_STATUS_INVALID_MSG_SIZE], 1);
    EXPECT_GE(results[NORVIK_STATUS_INVALID_COMMAND], 1);

    // Still serving, with both units, and the streams where an idle server leaves them.
    const uint32_t rate = harness.model.Settings().currentRate == 44100 ? 48000 : 44100;
    EXPECT_EQ(0u, harness.Request(1001, &rate, 4));
    EXPECT_EQ(rate, harness.model.Settings().currentRate);
    EXPECT_EQ(static_cast<uint32_t>(NORVIK_STREAMING_READY), harness.State());
    EXPECT_TRUE(harness.model.HasServer());
    harness.Stop();
    EXPECT_EQ(2u, server.DeviceCount());
    std::printf("%d requests, %d malformed records, %d events; %zu distinct results; %llu ms\n", sent,
                malformed, events, results.size(), GetTickCount64() - start);
}
