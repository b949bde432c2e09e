// The message record that travels between the control panel and the service through the driver.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr uint32_t NORVIK_MSG_HEADER_SIZE = 32;
constexpr uint32_t NORVIK_MSG_MAX_PAYLOAD = 512;

constexpr uint32_t NORVIK_MSG_REQUEST = 1;
constexpr uint32_t NORVIK_MSG_REPLY = 2;
constexpr uint32_t NORVIK_MSG_NOTIFICATION = 3;

// Requests (control panel to service) and their replies.
constexpr uint32_t NORVIK_REQ_SET_SAMPLE_RATE = 1001;
constexpr uint32_t NORVIK_REQ_SET_BUFFER_SIZES = 1002;
constexpr uint32_t NORVIK_REQ_SELECT_STREAMING_DEVICE = 1003;
constexpr uint32_t NORVIK_REQ_SET_DEVICE_OPTION = 1004;
constexpr uint32_t NORVIK_REQ_SET_POLICY = 1005;
constexpr uint32_t NORVIK_REQ_SET_SOUND_CONFIG = 11001;
constexpr uint32_t NORVIK_REQ_GET_SOUND_CONFIG = 11002;
constexpr uint32_t NORVIK_REPLY_RESULT = 2001;
constexpr uint32_t NORVIK_REPLY_SOUND_CONFIG = 12001;
// A unit's "restore settings when connected" switch: {key 1, key 2, 0 off or 1 on, 0}. The read has the same
// payload with 0 for the switch and is answered by 12002 carrying the switch.
constexpr uint32_t NORVIK_REQ_SET_RESTORE_SETTINGS = 11003;
constexpr uint32_t NORVIK_REQ_GET_RESTORE_SETTINGS = 11004;
constexpr uint32_t NORVIK_REPLY_RESTORE_SETTINGS = 12002;

// Notifications. The driver's own events (3003 to 3060) report what the driver defines; where it does not
// say, the constant keeps its number and the comment says what the service does with it.
constexpr uint32_t NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED = 3001;
constexpr uint32_t NORVIK_NOTIFY_CLIENT_STARTED = 3003;
constexpr uint32_t NORVIK_NOTIFY_CLIENT_STOPPED = 3004;
constexpr uint32_t NORVIK_NOTIFY_DRIVER_DEVICE_LIST = 3005;
constexpr uint32_t NORVIK_NOTIFY_3006 = 3006; // the server brings streaming up, as after a client started
constexpr uint32_t NORVIK_NOTIFY_STREAMING_STATE_CHANGED = 3010;
constexpr uint32_t NORVIK_NOTIFY_SAMPLE_RATE_CHANGED = 3011;
constexpr uint32_t NORVIK_NOTIFY_3015 = 3015; // two words, unused; the server brings streaming up
constexpr uint32_t NORVIK_NOTIFY_3016 = 3016; // two words, unused; the server takes idle streams down
constexpr uint32_t NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED = 3020;
constexpr uint32_t NORVIK_NOTIFY_3021 = 3021; // known to the server and ignored on purpose
constexpr uint32_t NORVIK_NOTIFY_DEVICE_LIST_CHANGED = 3030;
constexpr uint32_t NORVIK_NOTIFY_DEVICE_STATE_CHANGED = 3040;
constexpr uint32_t NORVIK_NOTIFY_MIXER_PINS_CHANGED = 3050;
constexpr uint32_t NORVIK_NOTIFY_VOLUMES_CHANGED = 3051;
constexpr uint32_t NORVIK_NOTIFY_WEIGHTS_CHANGED = 3052;
constexpr uint32_t NORVIK_NOTIFY_ENDPOINT_VOLUME_CHANGED = 3060;

#pragma pack(push, 1)
struct NorvikMessage
{
    uint32_t headerSize; // always 32
    uint32_t length;     // payload bytes in use, 0..512
    uint32_t type;       // 1 request, 2 reply, 3 notification
    uint32_t code;
    uint32_t sequence;
    uint32_t routing1;
    uint32_t routing2;
    uint32_t result;
    uint8_t payload[NORVIK_MSG_MAX_PAYLOAD];

    void Init(uint32_t messageType, uint32_t messageCode)
    {
        std::memset(this, 0, sizeof(*this));
        headerSize = NORVIK_MSG_HEADER_SIZE;
        type = messageType;
        code = messageCode;
    }

    // Refuses more than 512 bytes before anything is copied.
    [[nodiscard]] NorvikStatus SetPayload(const void* bytes, uint32_t count)
    {
        if (count > NORVIK_MSG_MAX_PAYLOAD)
            return NORVIK_STATUS_INVALID_LENGTH;
        if (count != 0)
            std::memcpy(payload, bytes, count);
        length = count;
        return NORVIK_STATUS_SUCCESS;
    }

    // A length field beyond the payload array is refused whatever the caller's capacity, so a corrupt
    // record is never read past its end.
    [[nodiscard]] NorvikStatus GetPayload(void* buffer, uint32_t* capacity) const
    {
        if (length > NORVIK_MSG_MAX_PAYLOAD || *capacity < length)
            return NORVIK_STATUS_INVALID_LENGTH;
        if (length != 0)
            std::memcpy(buffer, payload, length);
        *capacity = length;
        return NORVIK_STATUS_SUCCESS;
    }

    // Reads a payload of exactly `size` bytes.
    [[nodiscard]] NorvikStatus GetExactPayload(void* buffer, uint32_t size) const
    {
        uint32_t capacity = size;
        NorvikStatus status = GetPayload(buffer, &capacity);
        if (status == NORVIK_STATUS_INVALID_LENGTH && length <= NORVIK_MSG_MAX_PAYLOAD)
            return NORVIK_STATUS_INVALID_MSG_SIZE;
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        return capacity == size ? NORVIK_STATUS_SUCCESS : NORVIK_STATUS_INVALID_MSG_SIZE;
    }

    // Bytes that go on the wire: the header and the used payload.
    uint32_t WireSize() const
    {
        return NORVIK_MSG_HEADER_SIZE + (length > NORVIK_MSG_MAX_PAYLOAD ? 0 : length);
    }
};
#pragma pack(pop)

static_assert(sizeof(NorvikMessage) == 544, "message record");
static_assert(offsetof(NorvikMessage, code) == 12, "message record");
static_assert(offsetof(NorvikMessage, routing1) == 20, "message record");
static_assert(offsetof(NorvikMessage, result) == 28, "message record");
static_assert(offsetof(NorvikMessage, payload) == 32, "message record");
