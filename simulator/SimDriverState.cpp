#include "simulator/SimDriverState.h"

#include "driverapi/NorvikValueTexts.h"
#include "wn/WnText.h"

#include <algorithm>

namespace
{
// USB microframes (125 us each) buffered per streaming class, and ASIO samples per class at 48 kHz.
const uint32_t kStreamingMicroframes[] = {4, 8, 16, 32, 64, 128};
const uint32_t kAsioSamples[] = {64, 128, 256, 1024};

uint32_t Microseconds(uint64_t samples, uint32_t rate)
{
    return rate == 0 ? 0 : static_cast<uint32_t>(samples * 1000000u / rate);
}
} // namespace

SimDriverState::SimDriverState() : rates{44100, 48000, 88200, 96000, 176400, 192000}
{
    info.interfaceMajor = 2;
    info.interfaceMinor = 1;
    info.driverMajor = 2;
    info.driverMinor = 3;
    info.driverBuild = 45;
}

std::string SimDriverState::StateName(uint32_t state)
{
    if (state == NORVIK_STREAMING_USB11)
        return "USB11";
    const wchar_t* name = StreamingStateName(state);
    return name != nullptr ? Utf8(name) : std::string();
}

bool SimDriverState::IsPossibleRate(uint32_t rate)
{
    return (rate >= 8000 && rate <= 768000) || rate == 2822400 || rate == 5644800;
}

bool SimDriverState::IsRateOffered(uint32_t rate) const
{
    return std::find(rates.begin(), rates.end(), rate) != rates.end();
}

// Latencies follow class and rate: the streaming buffer is counted in microframes plus a few samples of
// safety, the ASIO buffer in samples that scale with the rate.
NorvikBufferSizes SimDriverState::BufferSizes() const
{
    NorvikBufferSizes sizes{};
    sizes.streamingClass = streamingClass;
    sizes.asioClass = asioClass;
    sizes.thirdValue = thirdBufferValue;
    uint32_t factor = std::max<uint32_t>(1, (currentRate + 47999) / 48000);
    if (streamingClass < kStreamingClasses)
        sizes.streamingLatencyUs =
            kStreamingMicroframes[streamingClass] * 125 + Microseconds(16, currentRate);
    if (asioClass < kAsioClasses)
    {
        sizes.asioLatencySamples = kAsioSamples[asioClass] * factor;
        sizes.asioLatencyUs = Microseconds(sizes.asioLatencySamples, currentRate);
    }
    return sizes;
}

NorvikStreamingStatus SimDriverState::StreamingStatus() const
{
    NorvikStreamingStatus status{};
    status.state = state;
    status.mode = mode;
    status.sampleRate = currentRate;
    std::copy(std::begin(activity), std::end(activity), status.activity);
    return status;
}

NorvikStatus SimDriverState::Handle(SimRequest& request, NorvikStatus readiness, Changes* changes)
{
    NorvikStatus status;
    switch (request.code)
    {
    case NORVIK_IOCTL_GET_SAMPLE_RATES:
    {
        status = request.ExpectSizes(0, sizeof(NorvikSampleRates));
        NorvikSampleRates record{};
        record.current = currentRate;
        record.count = static_cast<uint32_t>(std::min<size_t>(rates.size(), NORVIK_MAX_SAMPLE_RATES));
        std::copy_n(rates.begin(), record.count, record.rates);
        request.WriteOut(record);
        return status;
    }
    case NORVIK_IOCTL_GET_BUFFER_SIZES:
        status = request.ExpectSizes(0, sizeof(NorvikBufferSizes));
        request.WriteOut(BufferSizes());
        return status;
    case NORVIK_IOCTL_GET_STREAMING_STATUS:
        status = request.ExpectSizes(0, sizeof(NorvikStreamingStatus));
        request.WriteOut(StreamingStatus());
        return status;
    case NORVIK_IOCTL_GET_ERROR_COUNTERS:
        status = request.ExpectSizes(0, sizeof(NorvikErrorCounters));
        request.WriteOut(errorCounters);
        return status;
    case NORVIK_IOCTL_GET_POLICY:
        status = request.ExpectSizes(0, sizeof(policy));
        request.WriteOut(policy);
        return status;
    case NORVIK_IOCTL_SET_POLICY:
        return request.ReadIn(&policy);
    case NORVIK_IOCTL_STREAMING_COMMAND:
    {
        NorvikStreamingCommand command;
        status = request.ReadIn(&command);
        return status != NORVIK_STATUS_SUCCESS ? status : StreamingCommand(command, readiness);
    }
    case NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE:
    case NORVIK_IOCTL_SET_SAMPLE_RATE:
    {
        uint32_t rate;
        status = request.ReadIn(&rate);
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        if (!IsRateOffered(rate))
            return NORVIK_STATUS_UNSUPPORTED_SAMPLE_RATE;
        if (request.code == NORVIK_IOCTL_ANNOUNCE_SAMPLE_RATE)
        {
            announcedRate = rate;
            return NORVIK_STATUS_SUCCESS;
        }
        if (!IsDown())
            return NORVIK_STATUS_INVALID_STATE;
        changes->rateOrBuffers = rate != currentRate;
        currentRate = rate;
        return NORVIK_STATUS_SUCCESS;
    }
    case NORVIK_IOCTL_SET_BUFFER_SIZES:
    {
        NorvikSetBufferSizes sizes;
        status = request.ReadIn(&sizes);
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        if (sizes.streamingClass >= kStreamingClasses || sizes.asioClass >= kAsioClasses)
            return NORVIK_STATUS_INVALID_PARAMETER;
        if (!IsDown())
            return NORVIK_STATUS_INVALID_STATE;
        changes->rateOrBuffers = sizes.streamingClass != streamingClass || sizes.asioClass != asioClass ||
                                 sizes.thirdValue != thirdBufferValue;
        streamingClass = sizes.streamingClass;
        asioClass = sizes.asioClass;
        thirdBufferValue = sizes.thirdValue;
        return NORVIK_STATUS_SUCCESS;
    }
    default:
        return NORVIK_STATUS_INVALID_IOCTL;
    }
}

NorvikStatus SimDriverState::StreamingCommand(const NorvikStreamingCommand& command, NorvikStatus readiness)
{
    struct Transition
    {
        uint32_t command;
        uint32_t from;
        uint32_t alsoFrom;
        uint32_t to;
        bool takesFlag;
    };
    static const Transition kTransitions[] = {
        {NORVIK_CMD_CLEAR_ERROR, NORVIK_STREAMING_ERROR, NORVIK_STREAMING_USB11, NORVIK_STREAMING_DOWN,
         false},
        {NORVIK_CMD_DOWN_TO_READY, NORVIK_STREAMING_DOWN, NORVIK_STREAMING_DOWN, NORVIK_STREAMING_READY,
         true},
        {NORVIK_CMD_READY_TO_DOWN, NORVIK_STREAMING_READY, NORVIK_STREAMING_READY, NORVIK_STREAMING_DOWN,
         true},
        {NORVIK_CMD_READY_TO_PREPARED, NORVIK_STREAMING_READY, NORVIK_STREAMING_READY,
         NORVIK_STREAMING_PREPARED, false},
        {NORVIK_CMD_PREPARED_TO_RUNNING, NORVIK_STREAMING_PREPARED, NORVIK_STREAMING_PREPARED,
         NORVIK_STREAMING_RUNNING, false},
        {NORVIK_CMD_TO_READY, NORVIK_STREAMING_PREPARED, NORVIK_STREAMING_RUNNING, NORVIK_STREAMING_READY,
         false},
    };
    for (const Transition& transition : kTransitions)
    {
        if (transition.command != command.command)
            continue;
        if (state != transition.from && state != transition.alsoFrom)
            return NORVIK_STATUS_INVALID_STATE;
        if (transition.takesFlag ? command.argument > 1 : command.argument != 0)
            return NORVIK_STATUS_INVALID_PARAMETER;
        if (command.command == NORVIK_CMD_DOWN_TO_READY && readiness != NORVIK_STATUS_SUCCESS)
        {
            // A unit on a USB 1.1 port puts the driver into the state that only command 1 clears.
            if (readiness == NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE)
                state = NORVIK_STREAMING_USB11;
            return readiness;
        }
        if (transition.takesFlag)
            lastCommandFlag = command.argument;
        state = transition.to;
        return NORVIK_STATUS_SUCCESS;
    }
    return NORVIK_STATUS_INVALID_COMMAND;
}
