// list, status, rate, buffers, stream-device, policy: the driver's state, read on the client handle; the
// driver takes changes of these from the service only, so they are sent to it as requests.
#include "ctl/CtlArguments.h"
#include "ctl/CtlHandlers.h"
#include "driverapi/NorvikValueTexts.h"

#include <algorithm>
#include <iterator>

using ctl_arguments::Folded;
using ctl_arguments::OnOffWord;
using ctl_arguments::ParseCount;
using ctl_arguments::ParseOnOff;

namespace
{
// The streaming state of a USB 1.1 unit, which cannot stream.
constexpr uint32_t kStateUsb11 = 6;

std::wstring StateText(uint32_t state)
{
    const wchar_t* name = StreamingStateName(state);
    if (name != nullptr)
        return name;
    return state == kStateUsb11 ? L"USB 1.1 (streaming not supported)" : FormatText(L"unknown (%u)", state);
}

std::wstring ModeText(uint32_t mode)
{
    return mode == 0 ? L"one device" : mode == 1 ? L"all devices" : FormatText(L"unknown (%u)", mode);
}

template <size_t N>
bool ParseClass(const std::wstring& text, const NorvikBufferClass (&classes)[N], uint32_t* value)
{
    for (const NorvikBufferClass& entry : classes)
    {
        if (Folded(text) == Folded(entry.text))
        {
            *value = entry.value;
            return true;
        }
    }
    return ParseCount(text, N - 1, value);
}

nlohmann::json BufferJson(uint32_t value, const wchar_t* name, uint32_t latency)
{
    return {{"class", value}, {"name", Utf8(name)}, {"latencyUs", latency}};
}

nlohmann::json BuffersJson(const NorvikBufferSizes& sizes)
{
    nlohmann::json asio = BufferJson(sizes.asioClass, AsioClassText(sizes.asioClass), sizes.asioLatencyUs);
    asio["samples"] = sizes.asioLatencySamples;
    return {{"streaming", BufferJson(sizes.streamingClass, StreamingClassText(sizes.streamingClass),
                                     sizes.streamingLatencyUs)},
            {"asio", asio}};
}

int PrintRate(CtlContext& context)
{
    NorvikSampleRates rates{};
    const NorvikStatus status = context.Client().GetSampleRates(&rates);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the sample rates", status);
    std::wstring offered;
    nlohmann::json list = nlohmann::json::array();
    for (uint32_t i = 0; i < std::min(rates.count, NORVIK_MAX_SAMPLE_RATES); ++i)
    {
        offered += FormatText(i == 0 ? L"%u" : L" %u", rates.rates[i]);
        list.push_back(rates.rates[i]);
    }
    context.Out().Line(FormatText(L"%u Hz", rates.current));
    context.Out().Line(L"offered: " + offered);
    if (IsDsdRate(rates.current))
        context.Out().Line(L"DSD mode is active.");
    context.Out().Emit({{"current", rates.current}, {"offered", list}, {"dsd", IsDsdRate(rates.current)}});
    return kExitDone;
}

int PrintBuffers(CtlContext& context)
{
    NorvikBufferSizes sizes{};
    const NorvikStatus status = context.Client().GetBufferSizes(&sizes);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(kReadBufferSizes.doing, status);
    const wchar_t* streaming = StreamingClassText(sizes.streamingClass);
    const wchar_t* asio = AsioClassText(sizes.asioClass);
    context.Out().Line(
        FormatText(L"streaming: %s (%s)", streaming, LatencyText(sizes.streamingLatencyUs).c_str()));
    context.Out().Line(FormatText(L"ASIO: %s (%s, %u samples)", asio,
                                  LatencyText(sizes.asioLatencyUs).c_str(), sizes.asioLatencySamples));
    context.Out().Emit(BuffersJson(sizes));
    return kExitDone;
}

int PrintStreamDevice(CtlContext& context)
{
    NorvikStreamingStatus status{};
    const NorvikStatus read = context.Client().GetStreamingStatus(&status);
    if (read != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the streaming status", read);
    std::wstring serials;
    nlohmann::json streaming = nlohmann::json::array();
    for (size_t i = 0; i < context.Client().DeviceCount(); ++i)
    {
        const NorvikDevice& device = *context.Client().DeviceAt(i);
        if (device.IsStreamingDevice())
        {
            serials += (serials.empty() ? L"" : L" ") + std::wstring(device.Serial());
            streaming.push_back(Utf8(device.Serial()));
        }
    }
    context.Out().Line(L"mode: " + ModeText(status.mode));
    context.Out().Line(L"streaming: " + (serials.empty() ? std::wstring(L"-") : serials));
    context.Out().Emit({{"mode", Utf8(ModeText(status.mode))}, {"streaming", streaming}});
    return kExitDone;
}

int PrintPolicy(CtlContext& context)
{
    uint32_t flags = 0;
    const NorvikStatus status = context.Client().GetPolicy(&flags);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the policy", status);
    context.Out().Line(L"forbid-rate-change: " + OnOffWord(ForbidsRateChange(flags)));
    context.Out().Emit({{"flags", flags}, {"forbidRateChange", ForbidsRateChange(flags)}});
    return kExitDone;
}

// What status shows, read in one go.
struct DriverStatus
{
    NorvikStreamingStatus streaming{};
    NorvikBufferSizes sizes{};
    uint32_t policy = 0;
    NorvikDriverInfo info{};
    NorvikErrorCounters counters{};
};

int ReadStatus(CtlContext& context, DriverStatus* status)
{
    NorvikClient& client = context.Client();
    const struct
    {
        const wchar_t* what;
        NorvikStatus status;
    } reads[] = {
        {L"Reading the streaming status", client.GetStreamingStatus(&status->streaming)},
        {kReadBufferSizes.doing, client.GetBufferSizes(&status->sizes)},
        {L"Reading the policy", client.GetPolicy(&status->policy)},
        {L"Reading the driver information", client.GetDriverInfo(&status->info)},
        {L"Reading the error counters", client.GetErrorCounters(&status->counters)},
    };
    for (const auto& read : reads)
        if (read.status != NORVIK_STATUS_SUCCESS)
            return context.Out().Refused(read.what, read.status);
    return kExitDone;
}

void PrintStatus(CtlOutput& out, const DriverStatus& status)
{
    const NorvikBufferSizes& sizes = status.sizes;
    const NorvikDriverInfo& info = status.info;
    out.Line(L"streaming state: " + StateText(status.streaming.state));
    out.Line(L"streaming mode: " + ModeText(status.streaming.mode));
    out.Line(FormatText(L"sample rate: %u Hz", status.streaming.sampleRate));
    out.Line(FormatText(L"streaming buffer: %s (%s)", StreamingClassText(sizes.streamingClass),
                        LatencyText(sizes.streamingLatencyUs).c_str()));
    out.Line(FormatText(L"ASIO buffer: %s (%s, %u samples)", AsioClassText(sizes.asioClass),
                        LatencyText(sizes.asioLatencyUs).c_str(), sizes.asioLatencySamples));
    out.Line(L"forbid-rate-change: " + OnOffWord(ForbidsRateChange(status.policy)));
    out.Line(FormatText(L"driver version: %u.%u.%u %s", info.driverMajor, info.driverMinor, info.driverBuild,
                        info.IsDebugBuild() ? L"debug" : L"release"));
    out.Line(FormatText(L"interface version: %u.%u", info.interfaceMajor, info.interfaceMinor));
    for (size_t i = 0; i < std::size(status.counters.counters); ++i)
        out.Line(FormatText(L"%s: %u", kErrorCounterTexts[i].name, status.counters.counters[i]));
}

nlohmann::json StatusJson(const DriverStatus& status)
{
    const NorvikBufferSizes& sizes = status.sizes;
    const NorvikDriverInfo& info = status.info;
    nlohmann::json errors = nlohmann::json::object();
    for (size_t i = 0; i < std::size(status.counters.counters); ++i)
        errors[Utf8(kErrorCounterTexts[i].name)] = status.counters.counters[i];
    return {{"state", Utf8(StateText(status.streaming.state))},
            {"mode", Utf8(ModeText(status.streaming.mode))},
            {"sampleRate", status.streaming.sampleRate},
            {"buffers", BuffersJson(sizes)},
            {"policy", {{"flags", status.policy}, {"forbidRateChange", ForbidsRateChange(status.policy)}}},
            {"driverVersion",
             Utf8(FormatText(L"%u.%u.%u", info.driverMajor, info.driverMinor, info.driverBuild))},
            {"debugBuild", info.IsDebugBuild()},
            {"interfaceVersion", Utf8(FormatText(L"%u.%u", info.interfaceMajor, info.interfaceMinor))},
            {"errors", errors}};
}
} // namespace

int RunList(CtlContext& context, const CtlArgs& args)
{
    const int connected = context.ConnectWithoutArguments(L"list", args);
    if (connected != kExitDone)
        return connected;
    nlohmann::json units = nlohmann::json::array();
    for (size_t i = 0; i < context.Client().DeviceCount(); ++i)
    {
        const NorvikDevice& device = *context.Client().DeviceAt(i);
        context.Out().Line(FormatText(L"%u  %-19s  %-10s  %-9s  %s", static_cast<unsigned>(i),
                                      device.Serial(), device.IsHighSpeed() ? L"high-speed" : L"USB 1.1",
                                      device.IsStreamingDevice() ? L"streaming" : L"-",
                                      device.HasPlugin() ? L"effect" : L"-"));
        units.push_back({{"index", i},
                         {"serial", Utf8(device.Serial())},
                         {"highSpeed", device.IsHighSpeed()},
                         {"streaming", device.IsStreamingDevice()},
                         {"effect", device.HasPlugin()}});
    }
    context.Out().Emit(units);
    return kExitDone;
}

int RunStatus(CtlContext& context, const CtlArgs& args)
{
    const int connected = context.ConnectWithoutArguments(L"status", args);
    if (connected != kExitDone)
        return connected;
    DriverStatus status;
    const int read = ReadStatus(context, &status);
    if (read != kExitDone)
        return read;
    PrintStatus(context.Out(), status);
    context.Out().Emit(StatusJson(status));
    return kExitDone;
}

int RunRate(CtlContext& context, const CtlArgs& args)
{
    uint32_t rate = 0;
    if (args.size() > 1)
        return context.Usage(L"rate takes at most one argument.");
    if (args.size() == 1 && (!ParseCount(args[0], UINT32_MAX, &rate) || rate == 0))
        return context.Usage(L"'" + args[0] + L"' is not a sample rate in Hz.");
    if (IsDsdRate(rate))
        return context.Usage(kDsdRateRefusal);
    const int connected = context.Connect();
    if (connected != kExitDone || args.empty())
        return connected != kExitDone ? connected : PrintRate(context);
    NorvikSampleRates rates{};
    const NorvikStatus read = context.Client().GetSampleRates(&rates);
    if (read != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the sample rates", read);
    bool offered = false;
    for (uint32_t i = 0; i < std::min(rates.count, NORVIK_MAX_SAMPLE_RATES); ++i)
        offered = offered || rates.rates[i] == rate;
    if (!offered)
        return context.Usage(FormatText(L"The driver does not offer %u Hz.", rate));
    const NorvikStatus status = context.Client().SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(kChangeSampleRate.doing, status);
    return PrintRate(context);
}

int RunBuffers(CtlContext& context, const CtlArgs& args)
{
    uint32_t streaming = 0;
    uint32_t asio = 0;
    if (args.size() == 1 || args.size() > 2)
        return context.Usage(L"buffers takes both classes or none.");
    if (args.size() == 2 && !ParseClass(args[0], kStreamingBufferClasses, &streaming))
    {
        return context.Usage(
            L"'" + args[0] +
            L"' is not a streaming buffer class (Minimum ExtraSmall Small Large ExtraLarge Safe, "
            L"or 0 to 5).");
    }
    if (args.size() == 2 && !ParseClass(args[1], kAsioBufferClasses, &asio))
    {
        return context.Usage(L"'" + args[1] +
                             L"' is not an ASIO buffer class (Minimum Small Large Maximum, or 0 to 3).");
    }
    const int connected = context.Connect();
    if (connected != kExitDone || args.empty())
        return connected != kExitDone ? connected : PrintBuffers(context);
    // The third value is not this command's to change: it goes back as the driver reported it.
    NorvikBufferSizes sizes{};
    const NorvikStatus read = context.Client().GetBufferSizes(&sizes);
    if (read != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(kReadBufferSizes.doing, read);
    const NorvikStatus status = context.Client().SetBufferSizes(streaming, asio, sizes.thirdValue);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(kChangeBufferSizes.doing, status);
    return PrintBuffers(context);
}

int RunStreamDevice(CtlContext& context, const CtlArgs& args)
{
    if (args.size() > 1)
        return context.Usage(L"stream-device takes one serial, or all.");
    const bool all = args.size() == 1 && Folded(args[0]) == L"all";
    NorvikDevice* device = nullptr;
    const int connected = args.size() == 1 && !all ? context.FindUnit(args[0], &device) : context.Connect();
    if (connected != kExitDone || args.empty())
        return connected != kExitDone ? connected : PrintStreamDevice(context);
    const NorvikStatus status =
        all ? context.Client().SelectStreamingDevice(0, 0, 1)
            : context.Client().SelectStreamingDevice(device->Key1(), device->Key2(), 0);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Selecting the streaming device", status);
    // The streaming marks live in the device records.
    bool changed = false;
    (void)context.Client().UpdateDeviceList(&changed);
    return PrintStreamDevice(context);
}

int RunPolicy(CtlContext& context, const CtlArgs& args)
{
    bool forbid = false;
    if (!args.empty() &&
        (args.size() != 2 || Folded(args[0]) != L"forbid-rate-change" || !ParseOnOff(args[1], &forbid)))
        return context.Usage(L"policy takes forbid-rate-change on or off.");
    const int connected = context.Connect();
    if (connected != kExitDone || args.empty())
        return connected != kExitDone ? connected : PrintPolicy(context);
    // Other policy bits stay as the driver reports them. Without them nothing is sent: starting from none
    // would clear bits this program does not know.
    uint32_t flags = 0;
    const NorvikStatus read = context.Client().GetPolicy(&flags);
    if (read != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the policy", read);
    const NorvikStatus status =
        context.Client().SetPolicy(WithRateChangeForbidden(flags, forbid), NORVIK_CLIENT_TIMEOUT_MS);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(kChangePolicy.doing, status);
    return PrintPolicy(context);
}
