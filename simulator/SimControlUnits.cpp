// The control commands that act on one unit, named by its serial.
#include "simulator/SimControl.h"

#include "simulator/SimParse.h"
#include "wn/WnText.h"

#include <windows.h>

#include <cstdio>

namespace
{
std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", value);
    return text;
}
} // namespace

bool SimControl::UnitKeys(const std::string& serial, NorvikDeviceKeys* keys, std::string* error) const
{
    if (model_.FindUnitBySerial(FromUtf8(serial), keys))
        return true;
    *error = Error("no unit with serial " + serial);
    return false;
}

std::string SimControl::Plug(const Words& words)
{
    if (words.size() < 2 || words[1].size() > 19)
        return WrongWords();
    SimUnitSpec unitSpec;
    unitSpec.serial = FromUtf8(words[1]);
    NorvikDeviceKeys keys;
    if (model_.FindUnitBySerial(unitSpec.serial, &keys))
        return Error("a unit with serial " + words[1] + " is connected");
    for (size_t i = 2; i < words.size(); ++i)
    {
        if (words[i] == "usb11")
            unitSpec.highSpeed = false;
        else if (words[i] == "plugin")
            unitSpec.plugin = true;
        else if (words[i] == "nospdif")
            unitSpec.spdifIn = false;
        else if (words[i] == "analog" && i + 1 < words.size())
        {
            uint32_t channels = 0;
            if (!ParseU32(words[++i], &channels) || channels < 2 || channels > 16 || channels % 2 != 0)
                return Error("usage: analog N with N even, 2 to 16");
            unitSpec.analogChannels = static_cast<uint8_t>(channels);
        }
        else
            return Error("unknown plug option '" + words[i] + "'");
    }
    NorvikStatus status = model_.PlugUnit(unitSpec, &keys);
    if (status != NORVIK_STATUS_SUCCESS)
        return Result(status);
    if (observer_)
    {
        for (const NorvikDeviceRecord& record : model_.Units())
            if (record.key1 == keys.key1 && record.key2 == keys.key2)
                observer_(true, record);
    }
    return "ok " + Hex(keys.key1) + " " + Hex(keys.key2);
}

std::string SimControl::Unplug(const Words& words)
{
    if (words.size() != 2)
        return WrongWords();
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    NorvikDeviceRecord removed{};
    for (const NorvikDeviceRecord& record : model_.Units())
        if (record.key1 == keys.key1 && record.key2 == keys.key2)
            removed = record;
    NorvikStatus status = model_.UnplugUnit(keys.key1, keys.key2);
    if (status == NORVIK_STATUS_SUCCESS && observer_)
        observer_(false, removed);
    return Result(status);
}

std::string SimControl::Spdif(const Words& words)
{
    if (words.size() < 3)
        return WrongWords();
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    if (words[2] == "none" && words.size() == 3)
        return Result(model_.SetSpdifIn(keys, false, NorvikSpdifInStatus{}));
    uint32_t values[3] = {0, 0, 0};
    size_t count = words.size() - 2;
    if (count > 3 || !ParseU32s(words, 2, count, values))
        return WrongWords();
    return Result(model_.SetSpdifIn(keys, true, NorvikSpdifInStatus{0, values[0], values[1], values[2]}));
}

std::string SimControl::HardwareVolume(const Words& words)
{
    uint32_t kind, channel;
    int16_t volume;
    bool mute = words.size() == 6 && words[5] == "mute";
    if ((words.size() != 5 && !mute) || !ParseU32(words[2], &kind) || !ParseU32(words[3], &channel) ||
        !ParseI16(words[4], &volume) || kind > 255 || channel > 255)
        return WrongWords();
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    NorvikPin pin{static_cast<uint8_t>(kind), static_cast<uint8_t>(channel), {0, 0}};
    return Result(model_.ChangeHardwareVolume(keys, pin, volume, mute));
}

std::string SimControl::EndpointVolume(const Words& words)
{
    uint32_t index;
    std::vector<int32_t> levels(2);
    std::vector<uint32_t> switches(2, 0);
    if ((words.size() != 5 && words.size() != 7) || !ParseU32(words[2], &index) ||
        !ParseI32(words[3], &levels[0]) || !ParseI32(words[4], &levels[1]) ||
        (words.size() == 7 && !ParseU32s(words, 5, 2, switches.data())))
        return WrongWords();
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    return Result(model_.ChangeEndpointVolume(keys, index, levels, switches));
}

std::string SimControl::Topology(const Words& words)
{
    if (words.size() != 3 || (words[2] != "kind2" && words[2] != "plain"))
        return WrongWords();
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    return Result(model_.SetKind2Topology(keys, words[2] == "kind2"));
}

std::string SimControl::Pins(const Words& words)
{
    uint32_t counts[3] = {SimMixer::kOutputPins, SimMixer::kInputPins, SimMixer::kInputPins};
    if (words.size() < 2 || !((words.size() == 3 && words[2] == "full") || ParseU32s(words, 2, 3, counts)))
        return WrongWords();
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    return Result(model_.SetMixerPins(keys, counts[0], counts[1], counts[2]));
}
