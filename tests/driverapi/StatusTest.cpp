// Status names, the user-visible failure text and the message record's payload bounds.
#include "driverapi/NorvikMessage.h"
#include "driverapi/NorvikStatus.h"
#include "driverapi/StatusReport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(StatusName, NamesDriverCodesAndNothingElse)
{
    static const struct
    {
        NorvikStatus status;
        const char* name;
    } cases[] = {
        {0, "NORVIK_STATUS_SUCCESS"},
        {0xE0000001, "NORVIK_STATUS_FAILED"},
        {0xE0000013, "NORVIK_STATUS_NOT_OPENED"},
        {0xE000003A, "NORVIK_STATUS_INVALID_STATE"},
        {0xE0000100, "NORVIK_STATUS_PENDING"},
        {2, "???"},          // a Win32 error
        {0xE000000A, "???"}, // a gap in the table
        {0xE0000101, "???"},
        {0xFFFFFFFF, "???"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.name, StatusName(c.status)) << std::hex << c.status;
}

TEST(StatusName, EveryNameParsesBackToItsValue)
{
    for (NorvikStatus status = 0xE0000000; status <= 0xE0000100; ++status)
    {
        const char* name = StatusName(status);
        if (std::strcmp(name, "???") == 0)
            continue;
        NorvikStatus parsed = 0;
        ASSERT_TRUE(StatusFromName(name, &parsed)) << name;
        EXPECT_EQ(status, parsed) << name;
    }
    NorvikStatus untouched = 7;
    EXPECT_FALSE(StatusFromName("NORVIK_STATUS_NONSENSE", &untouched));
    EXPECT_EQ(7u, untouched);
}

TEST(StatusReport, MessageStatusNameAndCauseLine)
{
    static const struct
    {
        NorvikStatus status;
        const wchar_t* expected;
    } cases[] = {
        {NORVIK_STATUS_TIMEOUT, L"Changing the sample rate failed. (Status=NORVIK_STATUS_TIMEOUT)."},
        {5, L"Changing the sample rate failed. (Status=?\?\?)."},
        {NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE,
         L"Changing the sample rate failed. (Status=NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE).\n"
         L"The device is not connected to a USB high-speed port."},
        {NORVIK_STATUS_NO_DEVICES, L"Changing the sample rate failed. (Status=NORVIK_STATUS_NO_DEVICES).\n"
                                   L"There are no devices connected."},
        {NORVIK_STATUS_NO_STREAMING_DEVICE,
         L"Changing the sample rate failed. (Status=NORVIK_STATUS_NO_STREAMING_DEVICE).\n"
         L"There is no device selected for streaming."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.expected), StatusReport(L"Changing the sample rate failed.", c.status));
}

TEST(StatusReport, LongMessageIsKeptWhole)
{
    const std::wstring message(2000, L'x');
    EXPECT_EQ(message + L" (Status=NORVIK_STATUS_FAILED).",
              StatusReport(message.c_str(), NORVIK_STATUS_FAILED));
}

TEST(NorvikMessage, PayloadBounds)
{
    static const struct
    {
        uint32_t lengthField;
        uint32_t capacity;
        NorvikStatus expected;
    } cases[] = {
        {0, 0, NORVIK_STATUS_SUCCESS},
        {16, 16, NORVIK_STATUS_SUCCESS},
        {16, 15, NORVIK_STATUS_INVALID_LENGTH},
        {512, 512, NORVIK_STATUS_SUCCESS},
        {513, 4096, NORVIK_STATUS_INVALID_LENGTH}, // a corrupt length never reads past the record
        {0xFFFFFFFF, 0xFFFFFFFF, NORVIK_STATUS_INVALID_LENGTH},
    };
    for (const auto& c : cases)
    {
        NorvikMessage message;
        message.Init(NORVIK_MSG_NOTIFICATION, NORVIK_NOTIFY_DEVICE_STATE_CHANGED);
        message.length = c.lengthField;
        uint8_t buffer[4096];
        std::memset(buffer, 0xCD, sizeof(buffer));
        uint32_t capacity = c.capacity;
        EXPECT_EQ(c.expected, message.GetPayload(buffer, &capacity)) << c.lengthField << "/" << c.capacity;
        if (c.expected == NORVIK_STATUS_SUCCESS)
            EXPECT_EQ(c.lengthField, capacity);
        else
            EXPECT_EQ(0xCD, buffer[0]) << "nothing copied on failure";
    }

    NorvikMessage message;
    message.Init(NORVIK_MSG_REQUEST, NORVIK_REQ_SET_POLICY);
    uint8_t big[513] = {};
    EXPECT_EQ(NORVIK_STATUS_INVALID_LENGTH, message.SetPayload(big, sizeof(big)));
    EXPECT_EQ(0u, message.length);
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, message.SetPayload(big, 512));
    EXPECT_EQ(544u, message.WireSize());
}

TEST(NorvikMessage, ExactPayloadSize)
{
    NorvikMessage message;
    message.Init(NORVIK_MSG_NOTIFICATION, NORVIK_NOTIFY_MIXER_PINS_CHANGED);
    const uint32_t keys[2] = {11, 22};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, message.SetPayload(keys, sizeof(keys)));
    uint32_t read[4] = {};
    EXPECT_EQ(NORVIK_STATUS_SUCCESS, message.GetExactPayload(read, 8));
    EXPECT_EQ(22u, read[1]);
    EXPECT_EQ(NORVIK_STATUS_INVALID_MSG_SIZE, message.GetExactPayload(read, 16));
    EXPECT_EQ(NORVIK_STATUS_INVALID_MSG_SIZE, message.GetExactPayload(read, 4));
    message.length = 600;
    EXPECT_EQ(NORVIK_STATUS_INVALID_LENGTH, message.GetExactPayload(read, 8));
}
