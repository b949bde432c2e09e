// One request as the model sees it: a private copy of the input and an output that is copied back to the
// caller only when the request succeeds, so in/out records that share one buffer cannot alias.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <cstdint>
#include <cstring>
#include <vector>

struct SimRequest
{
    uint32_t code = 0;
    std::vector<uint8_t> in;
    uint32_t outSize = 0;
    std::vector<uint8_t> out; // what the request returns; its size is the bytes returned

    // Exact sizes, as the catalogue fixes them.
    [[nodiscard]] NorvikStatus ExpectSizes(uint32_t inSize, uint32_t expectedOutSize) const
    {
        if (in.size() != inSize)
            return NORVIK_STATUS_INVALID_INBUFFER_SIZE;
        if (outSize != expectedOutSize)
            return NORVIK_STATUS_INVALID_OUTBUFFER_SIZE;
        return NORVIK_STATUS_SUCCESS;
    }

    // Input of exactly sizeof(T) bytes and the given output size.
    template <class T> [[nodiscard]] NorvikStatus ReadIn(T* record, uint32_t expectedOutSize = 0) const
    {
        NorvikStatus status = ExpectSizes(sizeof(T), expectedOutSize);
        if (status == NORVIK_STATUS_SUCCESS)
            std::memcpy(record, in.data(), sizeof(T));
        return status;
    }

    template <class T> void WriteOut(const T& record) { WriteOut(&record, sizeof(T)); }

    void WriteOut(const void* bytes, size_t size)
    {
        out.resize(size);
        if (size != 0)
            std::memcpy(out.data(), bytes, size);
    }
};
