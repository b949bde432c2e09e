// The command table, the help built from it, and the commands that act on the driver as a whole.
#include "simulator/SimControl.h"

#include "simulator/SimCatalogue.h"
#include "simulator/SimDriverState.h"
#include "simulator/SimParse.h"

#include <cstring>
#include <iterator>
#include <sstream>

namespace
{
const char kRateRange[] = "rates are 8000 to 768000 Hz, or 2822400 or 5644800 (DSD)";

// "set WHAT" followed by exactly N numbers, handed to `apply`; an empty reply when the words do not fit.
template <size_t N, class Apply> std::string ApplyValues(const std::vector<std::string>& words, Apply apply)
{
    uint32_t values[N];
    if (!ParseU32s(words, 2, N, values))
        return std::string();
    apply(values);
    return "ok";
}

// Descriptions in --help start at this column; a longer usage pushes them along or onto the next line.
constexpr size_t kHelpColumn = 46;

void AppendHelpLine(std::string* text, const char* usage, const char* help)
{
    std::string line = std::string("  ") + usage;
    if (help != nullptr)
    {
        if (line.size() + 2 <= kHelpColumn)
            line.resize(kHelpColumn, ' ');
        else if (std::strchr(help, '\n') == nullptr)
            line += "  ";
        else
            line += "\n" + std::string(kHelpColumn, ' ');
        for (const char* c = help; *c != '\0'; ++c)
        {
            line += *c;
            if (*c == '\n')
                line.append(kHelpColumn, ' ');
        }
    }
    *text += line + "\n";
}
} // namespace

const std::vector<SimControl::Command> SimControl::kSetCommands = {
    {"rate", "set rate HZ", "the driver changes its rate itself; for tests the rate\nneed not be offered",
     &SimControl::SetRate, nullptr},
    {"rates", "set rates HZ...", "offered rates (at most 12; 8000 to 768000 Hz, or DSD\n2822400 or 5644800)",
     &SimControl::SetRates, nullptr},
    {"buffers", "set buffers STREAMING ASIO [THIRD]",
     "buffer size classes (0..5, 0..3); THIRD as the driver\nreports it, any value", &SimControl::SetBuffers,
     nullptr},
    {"activity", "set activity W3 W4 W5 W6 W7 W8", "streaming status words 3 to 8", &SimControl::SetActivity,
     nullptr},
    {"errors", "set errors C0 C1 C2 C3 C4", "error counters", &SimControl::SetErrors, nullptr},
    {"state", "set state Undefined|Down|Ready|Prepared|Running|Error|USB11|N", nullptr, &SimControl::SetState,
     nullptr},
    {"policy", "set policy FLAGS", nullptr, &SimControl::SetPolicy, nullptr},
    {"driver-version", "set driver-version MAJOR MINOR BUILD [debug]", nullptr, &SimControl::SetDriverVersion,
     nullptr},
    {"interface", "set interface MAJOR MINOR",
     "any version, for tests of the programs' refusal of all\nbut major 2", &SimControl::SetInterface,
     nullptr},
    {"present", "set present on|off", "off: the driver cannot be opened", &SimControl::SetPresent, nullptr},
};

const std::vector<SimControl::Command> SimControl::kCommands = {
    {"plug", "plug SERIAL [usb11] [plugin] [nospdif] [analog N] (serial up to 19 characters)",
     "connect a unit; replies ok KEY1 KEY2\n(analog N: N even, 2..16; default 16)", &SimControl::Plug,
     nullptr},
    {"unplug", "unplug SERIAL", "disconnect a unit", &SimControl::Unplug, nullptr},
    {"set", "set WHAT VALUES... (help: corvexsim.exe --help)", nullptr, &SimControl::Set, &kSetCommands},
    {"client", "client start|stop WORD", "a streaming client (status word 3..8) starts or stops",
     &SimControl::Client, nullptr},
    {"spdif", "spdif SERIAL STATE [FORMAT [RATE]] | spdif SERIAL none", nullptr, &SimControl::Spdif, nullptr},
    {"hwvolume", "hwvolume SERIAL KIND CHANNEL VOLUME [mute]", "a volume turned at the unit (0.01 dB)",
     &SimControl::HardwareVolume, nullptr},
    {"endpoint-volume", "endpoint-volume SERIAL INDEX LEFT RIGHT [MUTELEFT MUTERIGHT]",
     "Windows render volume (16.16 dB)", &SimControl::EndpointVolume, nullptr},
    {"topology", "topology SERIAL kind2|plain", "endpoint topology with or without a kind 2 item",
     &SimControl::Topology, nullptr},
    {"levels", "levels moving|off|fixed LEVEL", nullptr, &SimControl::Levels, nullptr},
    {"pins", "pins SERIAL OUTPUTS HWINPUTS SWOUTPUTS | pins SERIAL full",
     "the first pins of each mixer pin list", &SimControl::Pins, nullptr},
    {"notify", "notify server|clients CODE [WORD|@SERIAL...]",
     "raise any notification (@SERIAL: the unit's keys)", &SimControl::Notify, nullptr},
    {"fail", "fail REQUEST STATUS [once|always|N] | fail REQUEST none | fail clear", "fault injection",
     &SimControl::Fail, nullptr},
    {"log", "log [clear]", "the request log as JSON", &SimControl::Log, nullptr},
    {"dump", "dump", "the whole state as JSON", &SimControl::Dump, nullptr},
    {"quit", "quit", nullptr, &SimControl::Quit, nullptr},
};

std::string SimControl::BuildHelp()
{
    std::string text = "commands (numbers may be hex with 0x):\n";
    for (const Command& command : kCommands)
    {
        if (command.subcommands == nullptr)
            AppendHelpLine(&text, command.usage, command.help);
        for (size_t i = 0; command.subcommands != nullptr && i < command.subcommands->size(); ++i)
            AppendHelpLine(&text, (*command.subcommands)[i].usage, (*command.subcommands)[i].help);
    }
    return text;
}

const char* SimControl::Help()
{
    static const std::string text = BuildHelp();
    return text.c_str();
}

std::string SimControl::Execute(const std::string& line)
{
    Words words;
    std::istringstream stream(line);
    for (std::string word; stream >> word;)
        words.push_back(word);
    if (words.empty())
        return Error("empty command");
    if (words[0] == "help")
    {
        std::string reply = "ok commands:";
        for (const Command& command : kCommands)
            reply += std::string(" ") + command.verb;
        return reply + " (details: corvexsim.exe --help)";
    }
    return Run(kCommands, words[0], words,
               Error("unknown command '" + words[0] + "' (help: corvexsim.exe --help)"));
}

std::string SimControl::Run(const std::vector<Command>& table, const std::string& verb, const Words& words,
                            const std::string& unknown)
{
    for (const Command& command : table)
    {
        if (verb == command.verb)
        {
            std::string reply = (this->*command.handler)(words);
            return reply.empty() ? Error(std::string("usage: ") + command.usage) : reply;
        }
    }
    return unknown;
}

std::string SimControl::Set(const Words& words)
{
    if (words.size() < 2)
        return WrongWords();
    return Run(kSetCommands, words[1], words,
               Error("unknown 'set " + words[1] + "' (help: corvexsim.exe --help)"));
}

std::string SimControl::SetRate(const Words& words)
{
    uint32_t rate;
    if (!ParseU32s(words, 2, 1, &rate))
        return WrongWords();
    if (!SimDriverState::IsPossibleRate(rate))
        return Error(kRateRange);
    model_.SetCurrentRate(rate);
    return "ok";
}

std::string SimControl::SetRates(const Words& words)
{
    std::vector<uint32_t> rates(words.size() - 2);
    if (rates.empty() || !ParseU32s(words, 2, rates.size(), rates.data()))
        return WrongWords();
    if (rates.size() > NORVIK_MAX_SAMPLE_RATES)
        return Error("at most 12 rates");
    for (uint32_t rate : rates)
        if (!SimDriverState::IsPossibleRate(rate))
            return Error(kRateRange);
    return Result(model_.SetSampleRates(rates));
}

std::string SimControl::SetBuffers(const Words& words)
{
    uint32_t values[3] = {0, 0, 0};
    if (!ParseU32s(words, 2, 2, values) && !ParseU32s(words, 2, 3, values))
        return WrongWords();
    if (values[0] >= SimDriverState::kStreamingClasses || values[1] >= SimDriverState::kAsioClasses)
        return Error("buffer classes are STREAMING 0 to 5 and ASIO 0 to 3");
    model_.SetBufferClasses(values[0], values[1], values[2]);
    return "ok";
}

std::string SimControl::SetActivity(const Words& words)
{
    return ApplyValues<6>(
        words, [this](const auto& values) { model_.SetActivity(values); });
}

std::string SimControl::SetErrors(const Words& words)
{
    return ApplyValues<5>(
        words, [this](const auto& counters) { model_.SetErrorCounters(counters); });
}

std::string SimControl::SetState(const Words& words)
{
    if (words.size() != 3)
        return WrongWords();
    for (uint32_t i = 0; i <= NORVIK_STREAMING_USB11; ++i)
        if (words[2] == SimDriverState::StateName(i))
            return Result(model_.SetStreamingState(i));
    // A number also reaches states the names do not cover, for tests of the programs' refusal.
    uint32_t state = 0;
    if (!ParseU32(words[2], &state))
        return WrongWords();
    return Result(model_.SetStreamingState(state));
}

std::string SimControl::SetPolicy(const Words& words)
{
    return ApplyValues<1>(
        words, [this](const auto& policy) { model_.SetPolicy(policy[0]); });
}

std::string SimControl::SetDriverVersion(const Words& words)
{
    // "debug" may follow as a sixth word; the version is the three words before it.
    const bool debug = words.size() == 6 && words[5] == "debug";
    const Words version(words.begin(), debug ? words.end() - 1 : words.end());
    uint32_t values[3];
    if (!ParseU32s(version, 2, 3, values))
        return WrongWords();
    NorvikDriverInfo info = model_.DriverInfo();
    info.driverMajor = values[0];
    info.driverMinor = values[1];
    info.driverBuild = values[2];
    info.SetDebugBuild(debug);
    model_.SetDriverInfo(info);
    return "ok";
}

std::string SimControl::SetInterface(const Words& words)
{
    return ApplyValues<2>(
        words,
        [this](const auto& version)
        {
            NorvikDriverInfo info = model_.DriverInfo();
            info.interfaceMajor = version[0];
            info.interfaceMinor = version[1];
            model_.SetDriverInfo(info);
        });
}

std::string SimControl::SetPresent(const Words& words)
{
    if (words.size() != 3 || (words[2] != "on" && words[2] != "off"))
        return WrongWords();
    model_.SetPresent(words[2] == "on");
    return "ok";
}

std::string SimControl::Client(const Words& words)
{
    uint32_t word;
    if (words.size() != 3 || (words[1] != "start" && words[1] != "stop") || !ParseU32(words[2], &word))
        return WrongWords();
    return Result(words[1] == "start" ? model_.StartClient(word) : model_.StopClient(word));
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
        return WrongWords();
    return "ok";
}

std::string SimControl::Notify(const Words& words)
{
    uint32_t code;
    if (words.size() < 3 || (words[1] != "server" && words[1] != "clients") || !ParseU32(words[2], &code))
        return WrongWords();
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
        return WrongWords();
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
        return WrongWords();
    return "ok " + model_.RequestLogJson();
}

std::string SimControl::Dump(const Words& words)
{
    return words.size() == 1 ? "ok " + model_.DumpJson() : WrongWords();
}

std::string SimControl::Quit(const Words& words)
{
    if (words.size() != 1)
        return WrongWords();
    quit_ = true;
    return "ok";
}

std::string SimControl::Error(const std::string& text)
{
    return "error: " + text;
}

std::string SimControl::Result(NorvikStatus status)
{
    return status == NORVIK_STATUS_SUCCESS ? "ok" : Error(StatusText(status));
}
