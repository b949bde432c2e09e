// The most recent requests the model answered, for the control command `log` and for tests.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct SimLogEntry
{
    uint32_t sequence;
    uint32_t handle;
    uint32_t code;
    uint32_t inSize;
    uint32_t outSize;
    NorvikStatus status;
    // The first bytes of the input (zero beyond inSize): enough to tell which record a one-item request sent.
    uint8_t head[16];
    // What a SEND_MESSAGE carried (request, reply or notification, and its code): several messages have the
    // same size, so only these tell them apart. Zero for other requests and for inputs shorter than that.
    uint32_t messageType;
    uint32_t messageCode;
};

// Any message code, for CountRequests.
constexpr uint32_t kAnyMessageCode = 0;

// Entries for I/O control `request`; for SEND_MESSAGE a messageCode other than kAnyMessageCode counts only
// the messages with that code.
size_t CountRequests(const std::vector<SimLogEntry>& log, uint32_t request,
                     uint32_t messageCode = kAnyMessageCode);

// "SUCCESS", the status name without its prefix, or the number in hex for other codes.
std::string StatusText(NorvikStatus status);

class SimRequestLog
{
  public:
    void Add(uint32_t handle, uint32_t code, const void* in, uint32_t inSize, uint32_t outSize,
             NorvikStatus status);
    void Clear() { entries_.clear(); }
    const std::deque<SimLogEntry>& Entries() const { return entries_; }
    // One JSON array, oldest first.
    std::string ToJson() const;

    static constexpr size_t kLimit = 2000;

  private:
    std::deque<SimLogEntry> entries_;
    uint32_t nextSequence_ = 1;
};
