// list, status, rate, buffers, stream-device, policy: the driver's state, read on the client handle as the
// control panel reads it; the changes go to the service as the control panel sends them.
#include "ctl/CtlArguments.h"
#include "ctl/CtlHandlers.h"
#include "driverapi/NorvikValueTexts.h"

#include <algorithm>
#include <iterator>

namespace
{
const wchar_t* const kStateNames[] = {
    L"Undefined", L"Down", L"Ready", L"Prepared", L"Running", L"Error", L"USB 1.1 (streaming not supported)",
};

std::wstring StateText(uint32_t state)
{
    return state < std::size(kStateNames) ? std::wstring(kStateNames[state])
                                          : FormatText(L"unknown (%u)", state);
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

std::wstring FlagText(bool on)
{
    return on ? L"on" : L"off";
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
        return context.Out().Refused(L"Get the buffer sizes", status);
    const wchar_t* streaming = StreamingClassText(sizes.streamingClass);
    const wchar_t* asio = AsioClassText(sizes.asioClass);
    context.Out().Line(
        FormatText(L"streaming: %s (%s)", streaming, LatencyText(sizes.streamingLatencyUs).c_str()));
    context.Out().Line(FormatText(L"ASIO: %s (%s, %u samples)", asio,
                                  LatencyText(sizes.asioLatencyUs).c_str(), sizes.asioLatencySamples));
    nlohmann::json asioJson = BufferJson(sizes.asioClass, asio, sizes.asioLatencyUs);
    asioJson["samples"] = sizes.asioLatencySamples;
    context.Out().Emit({{"streaming", BufferJson(sizes.streamingClass, streaming, sizes.streamingLatencyUs)},
                        {"asio", asioJson}});
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
    context.Out().Line(L"forbid-rate-change: " + FlagText((flags & 1) != 0));
    context.Out().Emit({{"flags", flags}, {"forbidRateChange", (flags & 1) != 0}});
    return kExitDone;
}
} // namespace

int RunList(CtlContext& context, const CtlArgs& args)
{
    if (!args.empty())
        return context.Usage(L"list takes no arguments.");
    const int connected = context.Connect();
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
    if (!args.empty())
        return context.Usage(L"status takes no arguments.");
    const int connected = context.Connect();
    if (connected != kExitDone)
        return connected;
    NorvikClient& client = context.Client();
    NorvikStreamingStatus streaming{};
    NorvikBufferSizes sizes{};
    uint32_t policy = 0;
    NorvikDriverInfo info{};
    NorvikErrorCounters counters{};
    const struct
    {
        const wchar_t* what;
        NorvikStatus status;
    } reads[] = {
        {L"Reading the streaming status", client.GetStreamingStatus(&streaming)},
        {L"Get the buffer sizes", client.GetBufferSizes(&sizes)},
        {L"Reading the policy", client.GetPolicy(&policy)},
        {L"Reading the driver information", client.GetDriverInfo(&info)},
        {L"Reading the error counters", client.GetErrorCounters(&counters)},
    };
    for (const auto& read : reads)
        if (read.status != NORVIK_STATUS_SUCCESS)
            return context.Out().Refused(read.what, read.status);
    const wchar_t* build = (info.flags & 1) != 0 ? L"debug" : L"release";
    CtlOutput& out = context.Out();
    out.Line(L"streaming state: " + StateText(streaming.state));
    out.Line(L"streaming mode: " + ModeText(streaming.mode));
    out.Line(FormatText(L"sample rate: %u Hz", streaming.sampleRate));
    out.Line(FormatText(L"streaming buffer: %s (%s)", StreamingClassText(sizes.streamingClass),
                        LatencyText(sizes.streamingLatencyUs).c_str()));
    out.Line(FormatText(L"ASIO buffer: %s (%s, %u samples)", AsioClassText(sizes.asioClass),
                        LatencyText(sizes.asioLatencyUs).c_str(), sizes.asioLatencySamples));
    out.Line(L"forbid-rate-change: " + FlagText((policy & 1) != 0));
    out.Line(FormatText(L"driver version: %u.%u.%u %s", info.driverMajor, info.driverMinor, info.driverBuild,
                        build));
    out.Line(FormatText(L"interface version: %u.%u", info.interfaceMajor, info.interfaceMinor));
    nlohmann::json errors = nlohmann::json::object();
    for (size_t i = 0; i < std::size(counters.counters); ++i)
    {
        out.Line(FormatText(L"%s: %u", kErrorCounterTexts[i].name, counters.counters[i]));
        errors[Utf8(kErrorCounterTexts[i].name)] = counters.counters[i];
    }
    nlohmann::json asio = BufferJson(sizes.asioClass, AsioClassText(sizes.asioClass), sizes.asioLatencyUs);
    asio["samples"] = sizes.asioLatencySamples;
    out.Emit({{"state", Utf8(StateText(streaming.state))},
              {"mode", Utf8(ModeText(streaming.mode))},
              {"sampleRate", streaming.sampleRate},
              {"buffers",
               {{"streaming", BufferJson(sizes.streamingClass, StreamingClassText(sizes.streamingClass),
                                         sizes.streamingLatencyUs)},
                {"asio", asio}}},
              {"policy", {{"flags", policy}, {"forbidRateChange", (policy & 1) != 0}}},
              {"driverVersion",
               Utf8(FormatText(L"%u.%u.%u", info.driverMajor, info.driverMinor, info.driverBuild))},
              {"debugBuild", (info.flags & 1) != 0},
              {"interfaceVersion", Utf8(FormatText(L"%u.%u", info.interfaceMajor, info.interfaceMinor))},
              {"errors", errors}});
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
    {
        // The control panel refuses the DSD rates in the same words: only an ASIO host may choose them.
        return context.Usage(L"Changing to this the sample rate prohibited.\n"
                             L"It sample rate can be installed only from ASIO host for DSD mode.");
    }
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
        return context.Out().Refused(L"Changing the sample rate", status);
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
    // The third value goes back as the driver reported it, as the control panel sends it.
    NorvikBufferSizes sizes{};
    const NorvikStatus read = context.Client().GetBufferSizes(&sizes);
    if (read != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Get the buffer sizes", read);
    const NorvikStatus status = context.Client().SetBufferSizes(streaming, asio, sizes.thirdValue);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Changing the buffer sizes", status);
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
    flags = forbid ? (flags | 1u) : (flags & ~1u);
    const NorvikStatus status = context.Client().SetPolicy(flags, NORVIK_CLIENT_TIMEOUT_MS);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Changing the policy", status);
    return PrintPolicy(context);
}
