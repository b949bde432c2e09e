// The driver-wide settings and the streaming state machine, with the requests that read and set them.
// Not locked: the model calls it under its own lock.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "simulator/SimRequest.h"

#include <cstdint>
#include <string>
#include <vector>

class SimDriverState
{
  public:
    SimDriverState();

    static constexpr uint32_t kStreamingClasses = 6; // 0 Minimum .. 5 Safe
    static constexpr uint32_t kAsioClasses = 4;      // 0 Minimum .. 3 Maximum
    // A rate the driver can run at: PCM from 8 to 768 kHz, or one of the two DSD rates.
    static bool IsPossibleRate(uint32_t rate);
    // The streaming state's name in control commands and dumps: the programs' names, "USB11" for 6, and an
    // empty text for a state without a name.
    static std::string StateName(uint32_t state);

    // What a successful request changed, for the notifications the model raises.
    struct Changes
    {
        bool rateOrBuffers = false;
    };

    // `readiness` is what leaving Down needs from the units: 0, or the status that refuses command 2
    // (NO_DEVICES, NO_STREAMING_DEVICE, NOT_IN_HIGH_SPEED_MODE).
    [[nodiscard]] NorvikStatus Handle(SimRequest& request, NorvikStatus readiness, Changes* changes);

    // Rates, buffers and the streaming device may change only while the streams are down.
    bool IsDown() const { return state == NORVIK_STREAMING_DOWN; }
    NorvikBufferSizes BufferSizes() const;
    NorvikStreamingStatus StreamingStatus() const;
    bool IsRateOffered(uint32_t rate) const;

    NorvikDriverInfo info{};
    std::vector<uint32_t> rates;
    uint32_t currentRate = 48000;
    uint32_t announcedRate = 0;
    uint32_t streamingClass = 2;
    uint32_t asioClass = 1;
    uint32_t thirdBufferValue = 0;
    uint32_t state = NORVIK_STREAMING_DOWN;
    uint32_t lastCommandFlag = 0;
    uint32_t mode = 0;
    uint32_t policy = 0;
    uint32_t activity[6] = {};
    uint32_t errorCounters[5] = {};

  private:
    NorvikStatus StreamingCommand(const NorvikStreamingCommand& command, NorvikStatus readiness);
};
