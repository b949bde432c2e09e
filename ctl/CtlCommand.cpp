#include "ctl/CtlCommand.h"

#include "ctl/CtlHandlers.h"

#include <iterator>

namespace
{
const CtlCommand kCommands[] = {
    {L"list", L"", L"one line per unit: index, serial, USB speed, streaming and effect marks", L"", RunList},
    {L"status", L"", L"streaming, sample rate, buffers, policy, versions and the five error counters", L"",
     RunStatus},
    {L"rate", L"[HZ]", L"shows the sample rate, or has the service change it",
     L"HZ is one of the offered rates.", RunRate},
    {L"buffers", L"[STREAMING ASIO]", L"shows the buffer size classes, or has the service change them",
     L"STREAMING: Minimum ExtraSmall Small Large ExtraLarge Safe, or 0 to 5.\n"
     L"ASIO: Minimum Small Large Maximum, or 0 to 3.",
     RunBuffers},
    {L"stream-device", L"[SERIAL|all]", L"shows the streaming device, or has the service select it",
     L"all streams from every unit; their sample clocks must be synchronized.", RunStreamDevice},
    {L"policy", L"[forbid-rate-change on|off]", L"shows the policy, or has the service change it", L"",
     RunPolicy},
    {L"spdif", L"SERIAL [passthrough on|off]",
     L"shows a unit's S/P-DIF input and pass-through, or switches it", L"", RunSpdif},
    {L"bypass", L"SERIAL [volume|mute on|off]", L"shows a unit's bypass switches, or switches one", L"",
     RunBypass},
    {L"mixer", L"SERIAL hw|sw", L"output volumes and the crosspoint matrix of a unit's mixer",
     L"hw: the hardware inputs mixer; sw: the software outputs mixer. Levels in dB, off: not connected.",
     RunMixer},
    {L"volume", L"SERIAL PAIR-LABEL DB|mute|unmute", L"sets an output's volume or mute",
     L"PAIR-LABEL as the mixer command shows it (\"Analog Out 1/2\", one channel: \"Analog Out 1/2 L\"), or\n"
     L"channel numbers counted from 1 along the outputs (\"17/18\", \"17\"). DB from -60.00 to +6.00.",
     RunVolume},
    {L"weight", L"SERIAL hw|sw ROW COLUMN DB|off", L"connects a crosspoint at a weight, or disconnects it",
     L"ROW names mixer inputs, COLUMN mixer outputs, with labels or channel numbers as for volume.\n"
     L"A pair to a pair is the stereo route (left to left, right to right); with a single channel, every\n"
     L"combination. off keeps the weight for the next connection. DB from -60.00 to +6.00.",
     RunWeight},
    {L"effect", L"SERIAL [PAIR delay MS | PAIR amp VALUE]", L"shows a unit's echo effect, or sets one pair",
     L"PAIR: \"Channel 01/02\" or 1/2. MS up to the unit's maximum delay; VALUE from 0.00 to 1.00.",
     RunEffect},
    {L"save", L"SERIAL FILE", L"writes a unit's snapshot to a JSON file",
     L"Output volumes and mutes, every crosspoint of both mixers, S/P-DIF pass-through, both bypass\n"
     L"switches and the effect, with the unit's pin layout.",
     RunSave},
    {L"load", L"SERIAL FILE", L"writes what differs from a snapshot back to a unit",
     L"A snapshot of another pin layout is refused and nothing is changed.", RunLoad},
    {L"restore", L"SERIAL [on|off]", L"shows or switches whether the service restores a unit's settings",
     L"While on, the service stores the unit's settings as they change (those of save) and writes them\n"
     L"back each time the unit is connected. Off by default; off forgets the stored settings. The unit must\n"
     L"be connected.",
     RunRestore},
    {L"watch", L"", L"prints each notification as it arrives until Ctrl+C",
     L"Ends with exit 3 when the driver goes away.", RunWatch},
};
} // namespace

const CtlCommand* FindCommand(const std::wstring& name)
{
    for (const CtlCommand& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

std::wstring UsageLine(const CtlCommand& command)
{
    std::wstring line = L"usage: corvexctl [--json] " + std::wstring(command.name);
    return command.arguments[0] != L'\0' ? line + L" " + command.arguments : line;
}

std::wstring ProgramHelp()
{
    std::wstring text = L"corvexctl: the Corvex driver, its service and its units from the command line.\n\n"
                        L"usage: corvexctl [--json] COMMAND [ARGUMENTS]\n"
                        L"       corvexctl COMMAND --help\n\n"
                        L"Commands:\n";
    const auto head = [](const CtlCommand& command)
    { return std::wstring(command.name) + L" " + command.arguments; };
    size_t width = 0;
    for (const CtlCommand& command : kCommands)
        width = head(command).size() > width ? head(command).size() : width;
    // Two blanks after the longest head keep every summary in one column.
    for (const CtlCommand& command : kCommands)
        text += L"  " + head(command) + std::wstring(width + 2 - head(command).size(), L' ') +
                command.summary + L"\n";
    return text +
           L"\nUnits are named by serial number (see list). --json prints what a command reads as JSON.\n"
           L"Exit codes: 0 done; 1 the driver or the service refused; 2 usage error or bad input (a "
           L"snapshot\n"
           L"file that cannot be read or written too), nothing was changed; 3 no driver, no service, or no "
           L"unit\n"
           L"with that serial.\n";
}

std::wstring CommandHelp(const CtlCommand& command)
{
    std::wstring text = UsageLine(command) + L"\n  " + command.summary + L"\n";
    return command.details[0] != L'\0' ? text + command.details + L"\n" : text;
}
