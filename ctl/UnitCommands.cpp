// spdif, bypass, effect: settings of one unit, read and set on the unit's own device object; restore: the
// service's switch that puts a unit's settings back each time it is connected.
#include "ctl/CtlArguments.h"
#include "ctl/CtlHandlers.h"
#include "ctl/UnitEffect.h"
#include "driverapi/NorvikValueTexts.h"

using ctl_arguments::Folded;
using ctl_arguments::OnOffWord;
using ctl_arguments::ParseCount;
using ctl_arguments::ParseEffectPair;
using ctl_arguments::ParseFraction;
using ctl_arguments::ParseOnOff;

namespace
{
int PrintSpdif(CtlContext& context, NorvikDevice& device)
{
    NorvikSpdifInStatus input{};
    const NorvikStatus inputStatus = device.GetSpdifInStatus(0, &input);
    // A unit without S/P-DIF input answers OBJECT_NOT_FOUND; that is an answer, not a failure.
    if (inputStatus != NORVIK_STATUS_SUCCESS && inputStatus != NORVIK_STATUS_OBJECT_NOT_FOUND)
        return context.Out().Refused(L"Reading the SPDIF IN status", inputStatus);
    bool passThrough = false;
    const NorvikStatus status = device.GetSpdifPassThrough(0, 0, &passThrough);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading SPDIF pass through", status);
    const std::wstring text = SpdifInStatusText(inputStatus, input);
    context.Out().Line(L"SPDIF IN: " + text);
    context.Out().Line(L"pass-through: " + OnOffWord(passThrough));
    context.Out().Emit({{"input", Utf8(text)}, {"passThrough", passThrough}});
    return kExitDone;
}

int PrintBypass(CtlContext& context, NorvikDevice& device)
{
    bool volume = false;
    bool mute = false;
    NorvikStatus status = device.GetVolumeBypass(&volume);
    if (status == NORVIK_STATUS_SUCCESS)
        status = device.GetMuteBypass(&mute);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the bypass switches", status);
    context.Out().Line(L"volume bypass: " + OnOffWord(volume));
    context.Out().Line(L"mute bypass: " + OnOffWord(mute));
    context.Out().Emit({{"volume", volume}, {"mute", mute}});
    return kExitDone;
}

int PrintEffect(CtlContext& context, const UnitEffect& effect)
{
    context.Out().Line(FormatText(L"maximum delay: %u ms", effect.MaxDelay()));
    nlohmann::json pairs = nlohmann::json::array();
    for (uint32_t left = 0; left + 1 < effect.Channels(); left += 2)
    {
        const uint32_t right = left + 1;
        const bool same = effect.Delay(left) == effect.Delay(right) &&
                          effect.Amplification(left) == effect.Amplification(right);
        std::wstring line = FormatText(L"%s: delay %s, amplification %s", EffectPairLabel(left).c_str(),
                                       EffectDelayText(effect.Delay(left)).c_str(),
                                       EffectAmplificationText(effect.Amplification(left)).c_str());
        if (!same)
        {
            line += FormatText(L" (right channel: delay %s, amplification %s)",
                               EffectDelayText(effect.Delay(right)).c_str(),
                               EffectAmplificationText(effect.Amplification(right)).c_str());
        }
        context.Out().Line(line);
        pairs.push_back({{"pair", Utf8(EffectPairLabel(left))},
                         {"delay", {effect.Delay(left), effect.Delay(right)}},
                         {"amplification", {effect.Amplification(left), effect.Amplification(right)}}});
    }
    context.Out().Emit({{"maxDelay", effect.MaxDelay()}, {"channels", effect.Channels()}, {"pairs", pairs}});
    return kExitDone;
}

// Sets both channels of the pair that `pair` names on a unit whose effect has been read; 0 or the exit code.
int SetPair(CtlContext& context, NorvikDevice& device, const UnitEffect& effect, const std::wstring& pair,
            bool delay, uint32_t value)
{
    uint32_t left = 0;
    if (!ParseEffectPair(pair, effect.Channels(), &left))
    {
        return context.Usage(L"'" + pair +
                             L"' is not a channel pair of the effect (Channel 01/02, 1/2, ...).");
    }
    if (delay && value > effect.MaxDelay())
        return context.Usage(FormatText(L"The delay is at most %u ms.", effect.MaxDelay()));
    const NorvikStatus status =
        SetEffectPairValue(device, delay ? NORVIK_PLUGIN_DELAY : NORVIK_PLUGIN_AMPLIFICATION, left, value);
    if (status != NORVIK_STATUS_SUCCESS)
    {
        return context.Out().Refused(
            delay ? L"Setting the effect delay" : L"Setting the effect amplification", status);
    }
    return kExitDone;
}
} // namespace

int RunSpdif(CtlContext& context, const CtlArgs& args)
{
    bool on = false;
    if (args.empty() || args.size() == 2 || args.size() > 3 ||
        (args.size() == 3 && (Folded(args[1]) != L"passthrough" || !ParseOnOff(args[2], &on))))
        return context.Usage(L"spdif takes a serial, then optionally passthrough on or off.");
    NorvikDevice* device = nullptr;
    const int found = context.FindUnit(args[0], &device);
    if (found != kExitDone)
        return found;
    if (args.size() == 3)
    {
        const NorvikStatus status = device->SetSpdifPassThrough(0, 0, on);
        if (status != NORVIK_STATUS_SUCCESS)
            return context.Out().Refused(L"Set SPDIF pass through", status);
    }
    return PrintSpdif(context, *device);
}

int RunBypass(CtlContext& context, const CtlArgs& args)
{
    bool on = false;
    const std::wstring which = args.size() == 3 ? Folded(args[1]) : std::wstring();
    if (args.empty() || args.size() == 2 || args.size() > 3 ||
        (args.size() == 3 && ((which != L"volume" && which != L"mute") || !ParseOnOff(args[2], &on))))
        return context.Usage(L"bypass takes a serial, then optionally volume or mute and on or off.");
    NorvikDevice* device = nullptr;
    const int found = context.FindUnit(args[0], &device);
    if (found != kExitDone)
        return found;
    if (args.size() == 3)
    {
        const bool volume = which == L"volume";
        const NorvikStatus status = volume ? device->SetVolumeBypass(on) : device->SetMuteBypass(on);
        if (status != NORVIK_STATUS_SUCCESS)
            return context.Out().Refused(volume ? L"Set Bypass volume" : L"Set Bypass mute", status);
    }
    return PrintBypass(context, *device);
}

int RunEffect(CtlContext& context, const CtlArgs& args)
{
    const std::wstring what = args.size() == 4 ? Folded(args[2]) : std::wstring();
    uint32_t value = 0;
    if ((args.size() != 1 && args.size() != 4) || (args.size() == 4 && what != L"delay" && what != L"amp"))
        return context.Usage(L"effect takes a serial, then optionally a pair and delay MS or amp VALUE.");
    if (what == L"delay" && !ParseCount(args[3], UINT32_MAX, &value))
        return context.Usage(L"'" + args[3] + L"' is not a delay in milliseconds.");
    if (what == L"amp" && !ParseFraction(args[3], &value))
        return context.Usage(L"'" + args[3] + L"' is not an amplification from 0.00 to 1.00.");
    NorvikDevice* device = nullptr;
    const int found = context.FindUnit(args[0], &device);
    if (found != kExitDone)
        return found;
    if (!device->HasPlugin())
        return context.Usage(L"The unit " + args[0] + L" has no effect.");
    UnitEffect effect;
    NorvikStatus status = effect.Read(*device);
    if (status == NORVIK_STATUS_SUCCESS && args.size() == 4)
    {
        const int set = SetPair(context, *device, effect, args[1], what == L"delay", value);
        if (set != kExitDone)
            return set;
        status = effect.Read(*device);
    }
    return status == NORVIK_STATUS_SUCCESS ? PrintEffect(context, effect)
                                           : context.Out().Refused(L"Reading the effect", status);
}

int RunRestore(CtlContext& context, const CtlArgs& args)
{
    bool on = false;
    if (args.empty() || args.size() > 2 || (args.size() == 2 && !ParseOnOff(args[1], &on)))
        return context.Usage(L"restore takes a serial, then optionally on or off.");
    NorvikDevice* device = nullptr;
    const int found = context.FindUnit(args[0], &device);
    if (found != kExitDone)
        return found;
    const NorvikDeviceRecord& record = device->Record();
    if (args.size() == 2)
    {
        const NorvikStatus status = context.Client().SetRestoreSettings(record.key1, record.key2, on);
        if (status != NORVIK_STATUS_SUCCESS)
            return context.Out().Refused(kChangeRestoreSetting.doing, status);
    }
    const NorvikStatus status = context.Client().GetRestoreSettings(record.key1, record.key2, &on);
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Reading the restore setting", status);
    context.Out().Line(OnOffWord(on));
    context.Out().Emit({{"restore", on}});
    return kExitDone;
}
