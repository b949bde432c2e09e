// The pipe transport's wire format, spoken by the pipe port and by the simulator's pipe server. Both
// directions are message-mode and little-endian whatever the host:
//   request: u32 I/O control code, u32 output buffer size, then the input bytes;
//   reply:   u32 status, u32 bytes returned, then exactly those bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

constexpr uint32_t PIPE_REQUEST_HEADER_SIZE = 8;
constexpr uint32_t PIPE_REPLY_HEADER_SIZE = 8;

inline void PutPipeU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetPipeU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

struct PipeRequestHeader
{
    uint32_t code;
    uint32_t outSize;
};

struct PipeReplyHeader
{
    uint32_t status;
    uint32_t returned;
};

// The header followed by `inSize` input bytes; the caller has bounded inSize.
inline void EncodePipeRequest(std::vector<uint8_t>* message, uint32_t code, uint32_t outSize, const void* in,
                              uint32_t inSize)
{
    message->resize(PIPE_REQUEST_HEADER_SIZE + inSize);
    PutPipeU32(&(*message)[0], code);
    PutPipeU32(&(*message)[4], outSize);
    if (inSize != 0)
        std::memcpy(&(*message)[PIPE_REQUEST_HEADER_SIZE], in, inSize);
}

// False when the message is shorter than its header.
inline bool DecodePipeRequest(const std::vector<uint8_t>& message, PipeRequestHeader* header)
{
    if (message.size() < PIPE_REQUEST_HEADER_SIZE)
        return false;
    *header = {GetPipeU32(&message[0]), GetPipeU32(&message[4])};
    return true;
}

// Writes the reply header in front of output bytes already in place after it.
inline void EncodePipeReplyHeader(uint8_t* message, uint32_t status, uint32_t returned)
{
    PutPipeU32(&message[0], status);
    PutPipeU32(&message[4], returned);
}

// False when `size` bytes cannot hold the header.
inline bool DecodePipeReplyHeader(const uint8_t* message, size_t size, PipeReplyHeader* header)
{
    if (size < PIPE_REPLY_HEADER_SIZE)
        return false;
    *header = {GetPipeU32(&message[0]), GetPipeU32(&message[4])};
    return true;
}
