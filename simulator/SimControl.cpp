#include "simulator/SimControl.h"

#include "simulator/SimCatalogue.h"
#include "simulator/SimDriverState.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace
{
const char kHelp[] =
    "commands (numbers may be hex with 0x):\n"
    "  plug SERIAL [usb11] [plugin] [nospdif] [analog N]\n"
    "                                              connect a unit; replies ok KEY1 KEY2\n"
    "                                              (analog N: N even, 2..16; default 16)\n"
    "  unplug SERIAL                               disconnect a unit\n"
    "  set rate HZ                                 the driver changes its rate itself; for tests the rate\n"
    "                                              need not be offered\n"
    "  set rates HZ...                             offered rates (at most 12; 8000 to 768000 Hz, or DSD\n"
    "                                              2822400 or 5644800)\n"
    "  set buffers STREAMING ASIO [THIRD]          buffer size classes (0..5, 0..3); THIRD as the driver\n"
    "                                              reports it, any value\n"
    "  set activity W3 W4 W5 W6 W7 W8              streaming status words 3 to 8\n"
    "  set errors C0 C1 C2 C3 C4                   error counters\n"
    "  set state Down|Ready|Prepared|Running|Error|USB11|N\n"
    "  set policy FLAGS\n"
    "  set driver-version MAJOR MINOR BUILD [debug]\n"
    "  set interface MAJOR MINOR                   any version, for tests of the programs' refusal of all\n"
    "                                              but major 2\n"
    "  set present on|off                          off: the driver cannot be opened\n"
    "  client start|stop WORD                      a streaming client (status word 3..8) starts or stops\n"
    "  spdif SERIAL STATE [FORMAT [RATE]] | spdif SERIAL none\n"
    "  hwvolume SERIAL KIND CHANNEL VOLUME [mute]  a volume turned at the unit (0.01 dB)\n"
    "  endpoint-volume SERIAL INDEX LEFT RIGHT [MUTELEFT MUTERIGHT]  Windows render volume (16.16 dB)\n"
    "  topology SERIAL kind2|plain                 endpoint topology with or without a kind 2 item\n"
    "  levels moving|off|fixed LEVEL\n"
    "  pins SERIAL OUTPUTS HWINPUTS SWOUTPUTS | pins SERIAL full  the first pins of each mixer pin list\n"
    "  notify server|clients CODE [WORD|@SERIAL...]  raise any notification (@SERIAL: the unit's keys)\n"
    "  fail REQUEST STATUS [once|always|N]         fault injection; fail REQUEST none; fail clear\n"
    "  log [clear]                                 the request log as JSON\n"
    "  dump                                        the whole state as JSON\n"
    "  quit\n";

const char kRateRange[] = "rates are 8000 to 768000 Hz, or 2822400 or 5644800 (DSD)";

const char* const kStateNames[] = {"Undefined", "Down", "Ready", "Prepared", "Running", "Error", "USB11"};

std::string Error(const std::string& text)
{
    return "error: " + text;
}

std::string StatusError(NorvikStatus status)
{
    return Error(StatusText(status));
}

std::string Result(NorvikStatus status)
{
    return status == NORVIK_STATUS_SUCCESS ? "ok" : StatusError(status);
}

bool ParseU32(const std::string& text, uint32_t* value)
{
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || parsed > 0xFFFFFFFFull)
        return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool ParseI32(const std::string& text, int32_t* value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseI16(const std::string& text, int16_t* value)
{
    int32_t wide;
    if (!ParseI32(text, &wide) || wide < INT16_MIN || wide > INT16_MAX)
        return false;
    *value = static_cast<int16_t>(wide);
    return true;
}

// Parses words [first, first + count) as u32 values.
bool ParseU32s(const std::vector<std::string>& words, size_t first, size_t count, uint32_t* values)
{
    if (words.size() != first + count)
        return false;
    for (size_t i = 0; i < count; ++i)
    {
        if (!ParseU32(words[first + i], &values[i]))
            return false;
    }
    return true;
}

bool ParseStatus(const std::string& text, NorvikStatus* status)
{
    if (text == "SUCCESS" || text == "0")
    {
        *status = NORVIK_STATUS_SUCCESS;
        return true;
    }
    if (StatusFromName(text.c_str(), status) || StatusFromName(("NORVIK_STATUS_" + text).c_str(), status))
        return true;
    return ParseU32(text, status);
}

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count > 0 ? count : 0), L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], count);
    return wide;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", value);
    return text;
}
} // namespace

const char* SimControl::Help()
{
    return kHelp;
}

std::string SimControl::Execute(const std::string& line)
{
    Words words;
    std::istringstream stream(line);
    for (std::string word; stream >> word;)
        words.push_back(word);
    if (words.empty())
        return Error("empty command");
    const std::string& command = words[0];
    if (command == "help")
        return "ok commands: plug unplug set client spdif hwvolume endpoint-volume topology levels notify "
               "fail log "
               "dump quit (details: corvexsim.exe --help)";
    if (command == "plug")
        return Plug(words);
    if (command == "unplug")
        return Unplug(words);
    if (command == "set")
        return Set(words);
    if (command == "client")
        return Client(words);
    if (command == "spdif")
        return Spdif(words);
    if (command == "hwvolume")
        return HardwareVolume(words);
    if (command == "endpoint-volume")
        return EndpointVolume(words);
    if (command == "topology")
        return Topology(words);
    if (command == "levels")
        return Levels(words);
    if (command == "pins")
        return Pins(words);
    if (command == "notify")
        return Notify(words);
    if (command == "fail")
        return Fail(words);
    if (command == "log")
        return Log(words);
    if (command == "dump")
        return words.size() == 1 ? "ok " + model_.DumpJson() : Error("usage: dump");
    if (command == "quit")
    {
        if (words.size() != 1)
            return Error("usage: quit");
        quit_ = true;
        return "ok";
    }
    return Error("unknown command '" + command + "' (help: corvexsim.exe --help)");
}

bool SimControl::UnitKeys(const std::string& serial, NorvikDeviceKeys* keys, std::string* error) const
{
    if (model_.FindUnitBySerial(Widen(serial), keys))
        return true;
    *error = Error("no unit with serial " + serial);
    return false;
}

std::string SimControl::Plug(const Words& words)
{
    if (words.size() < 2 || words[1].size() > 19)
        return Error("usage: plug SERIAL [usb11] [plugin] [nospdif] [analog N] (serial up to 19 characters)");
    SimUnitSpec unitSpec;
    unitSpec.serial = Widen(words[1]);
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
        return StatusError(status);
    if (observer_)
    {
        for (const NorvikDeviceRecord& record : model_.Units())
        {
            if (record.key1 == keys.key1 && record.key2 == keys.key2)
                observer_(true, record);
        }
    }
    return "ok " + Hex(keys.key1) + " " + Hex(keys.key2);
}

std::string SimControl::Unplug(const Words& words)
{
    if (words.size() != 2)
        return Error("usage: unplug SERIAL");
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    NorvikDeviceRecord removed{};
    for (const NorvikDeviceRecord& record : model_.Units())
    {
        if (record.key1 == keys.key1 && record.key2 == keys.key2)
            removed = record;
    }
    NorvikStatus status = model_.UnplugUnit(keys.key1, keys.key2);
    if (status == NORVIK_STATUS_SUCCESS && observer_)
        observer_(false, removed);
    return Result(status);
}

std::string SimControl::Set(const Words& words)
{
    if (words.size() < 2)
        return Error("usage: set WHAT VALUES... (help: corvexsim.exe --help)");
    const std::string& what = words[1];
    if (what == "rate")
    {
        uint32_t rate;
        if (!ParseU32s(words, 2, 1, &rate))
            return Error("usage: set rate HZ");
        if (!SimDriverState::IsPossibleRate(rate))
            return Error(kRateRange);
        model_.SetCurrentRate(rate);
        return "ok";
    }
    if (what == "rates")
    {
        std::vector<uint32_t> rates(words.size() - 2);
        if (rates.empty() || !ParseU32s(words, 2, rates.size(), rates.data()))
            return Error("usage: set rates HZ...");
        if (rates.size() > NORVIK_MAX_SAMPLE_RATES)
            return Error("at most 12 rates");
        for (uint32_t rate : rates)
        {
            if (!SimDriverState::IsPossibleRate(rate))
                return Error(kRateRange);
        }
        return Result(model_.SetSampleRates(rates));
    }
    if (what == "buffers")
    {
        uint32_t values[3] = {0, 0, 0};
        if (!ParseU32s(words, 2, 2, values) && !ParseU32s(words, 2, 3, values))
            return Error("usage: set buffers STREAMING ASIO [THIRD]");
        if (values[0] >= SimDriverState::kStreamingClasses || values[1] >= SimDriverState::kAsioClasses)
            return Error("buffer classes are STREAMING 0 to 5 and ASIO 0 to 3");
        model_.SetBufferClasses(values[0], values[1], values[2]);
        return "ok";
    }
    if (what == "activity")
    {
        uint32_t values[6];
        if (!ParseU32s(words, 2, 6, values))
            return Error("usage: set activity W3 W4 W5 W6 W7 W8");
        model_.SetActivity(values);
        return "ok";
    }
    if (what == "errors")
    {
        uint32_t values[5];
        if (!ParseU32s(words, 2, 5, values))
            return Error("usage: set errors C0 C1 C2 C3 C4");
        model_.SetErrorCounters(values);
        return "ok";
    }
    if (what == "state")
    {
        uint32_t state = 0;
        for (uint32_t i = 0; i < 7 && words.size() == 3; ++i)
        {
            if (words[2] == kStateNames[i])
                return Result(model_.SetStreamingState(i));
        }
        if (words.size() != 3 || !ParseU32(words[2], &state))
            return Error("usage: set state Undefined|Down|Ready|Prepared|Running|Error|USB11|N");
        return Result(model_.SetStreamingState(state));
    }
    if (what == "policy")
    {
        uint32_t policy;
        if (!ParseU32s(words, 2, 1, &policy))
            return Error("usage: set policy FLAGS");
        model_.SetPolicy(policy);
        return "ok";
    }
    if (what == "driver-version")
    {
        uint32_t values[3];
        bool debug = words.size() == 6 && words[5] == "debug";
        if (!ParseU32s(words, 2, 3, values) &&
            !(debug && ParseU32(words[2], &values[0]) && ParseU32(words[3], &values[1]) &&
              ParseU32(words[4], &values[2])))
            return Error("usage: set driver-version MAJOR MINOR BUILD [debug]");
        NorvikDriverInfo info = model_.DriverInfo();
        info.driverMajor = values[0];
        info.driverMinor = values[1];
        info.driverBuild = values[2];
        info.flags = debug ? (info.flags | 1u) : (info.flags & ~1u);
        model_.SetDriverInfo(info);
        return "ok";
    }
    if (what == "interface")
    {
        uint32_t values[2];
        if (!ParseU32s(words, 2, 2, values))
            return Error("usage: set interface MAJOR MINOR");
        NorvikDriverInfo info = model_.DriverInfo();
        info.interfaceMajor = values[0];
        info.interfaceMinor = values[1];
        model_.SetDriverInfo(info);
        return "ok";
    }
    if (what == "present")
    {
        if (words.size() != 3 || (words[2] != "on" && words[2] != "off"))
            return Error("usage: set present on|off");
        model_.SetPresent(words[2] == "on");
        return "ok";
    }
    return Error("unknown 'set " + what + "' (help: corvexsim.exe --help)");
}

std::string SimControl::Client(const Words& words)
{
    uint32_t word;
    if (words.size() != 3 || (words[1] != "start" && words[1] != "stop") || !ParseU32(words[2], &word))
        return Error("usage: client start|stop WORD");
    return Result(words[1] == "start" ? model_.StartClient(word) : model_.StopClient(word));
}

std::string SimControl::Spdif(const Words& words)
{
    NorvikDeviceKeys keys;
    std::string error;
    if (words.size() < 3)
        return Error("usage: spdif SERIAL STATE [FORMAT [RATE]] | spdif SERIAL none");
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    if (words[2] == "none" && words.size() == 3)
        return Result(model_.SetSpdifIn(keys, false, NorvikSpdifInStatus{}));
    uint32_t values[3] = {0, 0, 0};
    size_t count = words.size() - 2;
    if (count > 3 || !ParseU32s(words, 2, count, values))
        return Error("usage: spdif SERIAL STATE [FORMAT [RATE]] | spdif SERIAL none");
    return Result(model_.SetSpdifIn(keys, true, NorvikSpdifInStatus{0, values[0], values[1], values[2]}));
}

std::string SimControl::HardwareVolume(const Words& words)
{
    NorvikDeviceKeys keys;
    std::string error;
    uint32_t kind, channel;
    int16_t volume;
    bool mute = words.size() == 6 && words[5] == "mute";
    if ((words.size() != 5 && !mute) || !ParseU32(words[2], &kind) || !ParseU32(words[3], &channel) ||
        !ParseI16(words[4], &volume) || kind > 255 || channel > 255)
        return Error("usage: hwvolume SERIAL KIND CHANNEL VOLUME [mute]");
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    NorvikPin pin{static_cast<uint8_t>(kind), static_cast<uint8_t>(channel), {0, 0}};
    return Result(model_.ChangeHardwareVolume(keys, pin, volume, mute));
}

std::string SimControl::EndpointVolume(const Words& words)
{
    NorvikDeviceKeys keys;
    std::string error;
    uint32_t index;
    std::vector<int32_t> levels(2);
    std::vector<uint32_t> switches(2, 0);
    if ((words.size() != 5 && words.size() != 7) || !ParseU32(words[2], &index) ||
        !ParseI32(words[3], &levels[0]) || !ParseI32(words[4], &levels[1]) ||
        (words.size() == 7 && (!ParseU32(words[5], &switches[0]) || !ParseU32(words[6], &switches[1]))))
        return Error("usage: endpoint-volume SERIAL INDEX LEFT RIGHT [MUTELEFT MUTERIGHT]");
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    return Result(model_.ChangeEndpointVolume(keys, index, levels, switches));
}

std::string SimControl::Topology(const Words& words)
{
    NorvikDeviceKeys keys;
    std::string error;
    if (words.size() != 3 || (words[2] != "kind2" && words[2] != "plain"))
        return Error("usage: topology SERIAL kind2|plain");
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    return Result(model_.SetKind2Topology(keys, words[2] == "kind2"));
}

std::string SimControl::Levels(const Words& words)
{
    int16_t level = 0;
    if (words.size() == 2 && words[1] == "moving")
        model_.SetLevelsMode(SimLevelsMode::Moving);
    else if (words.size() == 2 && words[1] == "off")
        model_.SetLevelsMode(SimLevelsMode::Off);
    else if (words.size() == 3 && words[1] == "fixed" && ParseI16(words[2], &level))
        model_.SetLevelsMode(SimLevelsMode::Fixed, level);
    else
        return Error("usage: levels moving|off|fixed LEVEL");
    return "ok";
}

std::string SimControl::Pins(const Words& words)
{
    uint32_t counts[3] = {SimMixer::kOutputPins, SimMixer::kInputPins, SimMixer::kInputPins};
    if (words.size() < 2 || !((words.size() == 3 && words[2] == "full") || ParseU32s(words, 2, 3, counts)))
        return Error("usage: pins SERIAL OUTPUTS HWINPUTS SWOUTPUTS | pins SERIAL full");
    NorvikDeviceKeys keys;
    std::string error;
    if (!UnitKeys(words[1], &keys, &error))
        return error;
    return Result(model_.SetMixerPins(keys, counts[0], counts[1], counts[2]));
}

std::string SimControl::Notify(const Words& words)
{
    uint32_t code;
    if (words.size() < 3 || (words[1] != "server" && words[1] != "clients") || !ParseU32(words[2], &code))
        return Error("usage: notify server|clients CODE [WORD|@SERIAL...]");
    std::vector<uint32_t> payload;
    for (size_t i = 3; i < words.size(); ++i)
    {
        uint32_t value;
        NorvikDeviceKeys keys;
        std::string error;
        if (words[i][0] == '@')
        {
            if (!UnitKeys(words[i].substr(1), &keys, &error))
                return error;
            payload.push_back(keys.key1);
            payload.push_back(keys.key2);
        }
        else if (ParseU32(words[i], &value))
            payload.push_back(value);
        else
            return Error("not a payload word: " + words[i]);
    }
    SimAudience audience = words[1] == "server" ? SimAudience::Server : SimAudience::Clients;
    return Result(model_.Notify(audience, code, payload.data(), static_cast<uint32_t>(payload.size() * 4)));
}

std::string SimControl::Fail(const Words& words)
{
    if (words.size() == 2 && words[1] == "clear")
    {
        model_.ClearFaults();
        return "ok";
    }
    uint32_t code;
    NorvikStatus status = NORVIK_STATUS_SUCCESS;
    if (words.size() < 3 || words.size() > 4 || !RequestFromName(words[1].c_str(), &code))
        return Error("usage: fail REQUEST STATUS [once|always|N] | fail REQUEST none | fail clear");
    if (words[2] == "none" && words.size() == 3)
    {
        model_.InjectFault(code, 0, 0);
        return "ok";
    }
    if (!ParseStatus(words[2], &status))
        return Error("unknown status " + words[2]);
    int32_t times = 1;
    if (words.size() == 4)
    {
        uint32_t count = 1;
        if (words[3] == "always")
            times = -1;
        else if (words[3] != "once" && (!ParseU32(words[3], &count) || count == 0 || count > 1000000))
            return Error("times must be once, always or a count from 1 to 1000000");
        else
            times = static_cast<int32_t>(count);
    }
    model_.InjectFault(code, status, times);
    return "ok";
}

std::string SimControl::Log(const Words& words)
{
    if (words.size() == 2 && words[1] == "clear")
    {
        model_.ClearRequestLog();
        return "ok";
    }
    if (words.size() != 1)
        return Error("usage: log [clear]");
    return "ok " + model_.RequestLogJson();
}
