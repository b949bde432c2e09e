// mixer, volume, weight: a unit's two mixers, with the pair labels of MixerPairLabel.
#include "ctl/CtlArguments.h"
#include "ctl/CtlHandlers.h"
#include "ctl/UnitMixer.h"
#include "driverapi/NorvikValueTexts.h"

using ctl_arguments::Folded;
using ctl_arguments::ParseDecibels;

namespace
{
bool ParseMixer(const std::wstring& text, bool* hardwareInputs)
{
    const std::wstring folded = Folded(text);
    *hardwareInputs = folded == L"hw";
    return folded == L"hw" || folded == L"sw";
}

// "-6.50" or "-6.50 muted"; the table's columns say dB once, a line of its own says it every time.
std::wstring VolumeAndMute(const NorvikVolumeItem& item, const wchar_t* unit = L"")
{
    return DecibelText(item.volume) + unit + (item.IsMuted() ? L" muted" : L"");
}

// The weight of a connected crosspoint, "off" for one that is not.
std::wstring WeightOrOff(const NorvikWeightItem& item, const wchar_t* unit = L"")
{
    return item.IsConnected() ? DecibelText(item.weight) + unit : std::wstring(L"off");
}

// Columns are padded on the right; the line's end is not.
std::wstring Trimmed(std::wstring line)
{
    line.erase(line.find_last_not_of(L' ') + 1);
    return line;
}

nlohmann::json PinJson(const NorvikPin& pin)
{
    return {{"kind", pin.kind}, {"channel", pin.channel}};
}

nlohmann::json ChannelJson(const UnitMixer& mixer, MixerSide side, uint32_t index)
{
    const NorvikPin& pin = side == MixerSide::Row ? mixer.InputPins()[index] : mixer.OutputPins()[index];
    return {{"channel", index + 1}, {"label", Utf8(mixer.ChannelLabel(side, index))}, {"pin", PinJson(pin)}};
}

nlohmann::json OutputJson(const UnitMixer& mixer, uint32_t output, const NorvikVolumeItem& item)
{
    nlohmann::json channel = ChannelJson(mixer, MixerSide::Column, output);
    channel.update({{"volume", item.volume}, {"mute", item.IsMuted()}});
    return channel;
}

nlohmann::json WeightJson(const NorvikWeightItem& item)
{
    return {{"weight", item.weight}, {"connected", item.IsConnected()}};
}

// The volume table, one line per output pair; the outputs as JSON.
nlohmann::json PrintVolumes(CtlOutput& out, const UnitMixer& mixer)
{
    out.Line(FormatText(L"%-20s%-16s%s", L"Outputs (dB)", L"Left", L"Right"));
    for (uint32_t left = 0; left < mixer.Outputs(); left += 2)
    {
        out.Line(FormatText(L"%-20s%-16s%s", mixer.PairLabel(MixerSide::Column, left).c_str(),
                            VolumeAndMute(mixer.Volume(left)).c_str(),
                            VolumeAndMute(mixer.Volume(left + 1)).c_str()));
    }
    nlohmann::json outputs = nlohmann::json::array();
    for (uint32_t output = 0; output < mixer.Outputs(); ++output)
        outputs.push_back(OutputJson(mixer, output, mixer.Volume(output)));
    return outputs;
}

// The crosspoint table: output pairs across, one line per input channel; the same rows as JSON.
nlohmann::json PrintCrosspoints(CtlOutput& out, const UnitMixer& mixer)
{
    out.Line(L"Crosspoints (dB; off: not connected)");
    std::wstring pairs = FormatText(L"%-20s", L"");
    std::wstring sides = pairs;
    for (uint32_t left = 0; left < mixer.Outputs(); left += 2)
    {
        pairs += FormatText(L"%-18s", mixer.PairLabel(MixerSide::Column, left).c_str());
        sides += FormatText(L"%-9s%-9s", L"L", L"R");
    }
    out.Line(Trimmed(pairs));
    out.Line(Trimmed(sides));
    nlohmann::json rows = nlohmann::json::array();
    for (uint32_t input = 0; input < mixer.Inputs(); ++input)
    {
        std::wstring row = FormatText(L"%-20s", mixer.ChannelLabel(MixerSide::Row, input).c_str());
        nlohmann::json weights = nlohmann::json::array();
        for (uint32_t output = 0; output < mixer.Outputs(); ++output)
        {
            row += FormatText(L"%-9s", WeightOrOff(mixer.Weight(input, output)).c_str());
            weights.push_back(WeightJson(mixer.Weight(input, output)));
        }
        out.Line(Trimmed(row));
        rows.push_back(weights);
    }
    return rows;
}

void PrintMixer(CtlContext& context, const std::wstring& serial, const UnitMixer& mixer)
{
    CtlOutput& out = context.Out();
    out.Line(FormatText(L"%s of %s", MixerTitle(mixer.HardwareInputs()), serial.c_str()));
    const nlohmann::json outputs = PrintVolumes(out, mixer);
    out.Line(L"");
    const nlohmann::json crosspoints = PrintCrosspoints(out, mixer);
    nlohmann::json inputs = nlohmann::json::array();
    for (uint32_t input = 0; input < mixer.Inputs(); ++input)
        inputs.push_back(ChannelJson(mixer, MixerSide::Row, input));
    out.Emit({{"serial", Utf8(serial)},
              {"mixer", mixer.HardwareInputs() ? "hw" : "sw"},
              {"outputs", outputs},
              {"inputs", inputs},
              {"crosspoints", crosspoints}});
}

// Finds the unit and reads one of its mixers; 0 or the exit code.
int ReadMixer(CtlContext& context, const std::wstring& serial, bool hardwareInputs, NorvikDevice** device,
              UnitMixer* mixer)
{
    const int found = context.FindUnit(serial, device);
    if (found != kExitDone)
        return found;
    const wchar_t* what = L"";
    const NorvikStatus status = mixer->Read(**device, hardwareInputs, &what);
    return status == NORVIK_STATUS_SUCCESS ? kExitDone : context.Out().Refused(what, status);
}

int LabelProblem(CtlContext& context, UnitMixer::Match match, const std::wstring& label, const wchar_t* side)
{
    return context.Usage(L"'" + label + L"' " +
                         (match == UnitMixer::Match::Ambiguous ? L"names more than one pair" : L"names no ") +
                         (match == UnitMixer::Match::Ambiguous ? L"" : side) +
                         L"; use the labels that the mixer command shows, or channel numbers.");
}

std::wstring Joined(const CtlArgs& args, size_t first, size_t end)
{
    std::wstring text;
    for (size_t i = first; i < end; ++i)
        text += (i == first ? L"" : L" ") + args[i];
    return text;
}

// What volume sets: a level, or the mute alone.
struct VolumeChange
{
    bool mute = false;
    bool unmute = false;
    int16_t volume = 0;
};

int ParseVolumeChange(CtlContext& context, const std::wstring& value, VolumeChange* change)
{
    change->mute = Folded(value) == L"mute";
    change->unmute = Folded(value) == L"unmute";
    if (!change->mute && !change->unmute && !ParseDecibels(value, &change->volume))
        return context.Usage(L"'" + value + L"' is not a level from -60.00 to +6.00 dB, mute or unmute.");
    return kExitDone;
}

int SetVolumes(CtlContext& context, NorvikDevice& device, const UnitMixer& mixer,
               const std::vector<uint32_t>& channels, const VolumeChange& change)
{
    std::vector<NorvikVolumeItem> items;
    for (uint32_t channel : channels)
    {
        NorvikVolumeItem item = mixer.Volume(channel);
        if (change.mute || change.unmute)
            item.SetMuted(change.mute);
        else
            item.volume = change.volume;
        items.push_back(item);
    }
    const NorvikStatus status = device.SetPinVolumes(items.data(), static_cast<uint32_t>(items.size()));
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Setting the output volume", status);
    // The request hands the records back as the unit now holds them.
    nlohmann::json result = nlohmann::json::array();
    for (size_t i = 0; i < items.size(); ++i)
    {
        context.Out().Line(mixer.ChannelLabel(MixerSide::Column, channels[i]) + L": " +
                           VolumeAndMute(items[i], L" dB"));
        result.push_back(OutputJson(mixer, channels[i], items[i]));
    }
    context.Out().Emit(result);
    return kExitDone;
}

// The crosspoints that a row and a column name: pair to pair is the stereo route (left to left, right to
// right); anything with a single channel is every combination.
std::vector<std::pair<uint32_t, uint32_t>> Crosspoints(const std::vector<uint32_t>& rows,
                                                       const std::vector<uint32_t>& columns)
{
    std::vector<std::pair<uint32_t, uint32_t>> crosspoints;
    if (rows.size() == 2 && columns.size() == 2)
        return {{rows[0], columns[0]}, {rows[1], columns[1]}};
    for (uint32_t row : rows)
        for (uint32_t column : columns)
            crosspoints.push_back({row, column});
    return crosspoints;
}

// The crosspoints that the words between the mixer and the weight name. Labels may arrive unquoted, split
// into words: the one split at which both sides name channels is taken. 0 or the exit code.
int ResolveCrosspoints(CtlContext& context, const UnitMixer& mixer, const CtlArgs& args,
                       std::vector<std::pair<uint32_t, uint32_t>>* crosspoints)
{
    size_t splits = 0;
    const size_t end = args.size() - 1;
    for (size_t split = 3; split < end; ++split)
    {
        std::vector<uint32_t> row;
        std::vector<uint32_t> column;
        const UnitMixer::Match rowMatch = mixer.Resolve(MixerSide::Row, Joined(args, 2, split), &row);
        const UnitMixer::Match columnMatch =
            mixer.Resolve(MixerSide::Column, Joined(args, split, end), &column);
        if (end - 2 == 2)
        {
            if (row.empty())
                return LabelProblem(context, rowMatch, args[2], L"mixer input");
            if (column.empty())
                return LabelProblem(context, columnMatch, args[3], L"mixer output");
        }
        if (!row.empty() && !column.empty())
        {
            *crosspoints = Crosspoints(row, column);
            ++splits;
        }
    }
    if (splits != 1)
    {
        return context.Usage(L"'" + Joined(args, 2, end) +
                             L"' does not name one row and one column of the mixer; "
                             L"quote the labels that the mixer command shows.");
    }
    return kExitDone;
}

// Connects the crosspoints at `weight`, or disconnects them (off).
int SetWeights(CtlContext& context, NorvikDevice& device, const UnitMixer& mixer,
               const std::vector<std::pair<uint32_t, uint32_t>>& crosspoints, bool off, int16_t weight)
{
    std::vector<NorvikWeightItem> items;
    for (const auto& crosspoint : crosspoints)
    {
        NorvikWeightItem item = mixer.Weight(crosspoint.first, crosspoint.second);
        // Disconnecting keeps the weight for the next connection.
        item.SetConnected(!off);
        if (!off)
            item.weight = weight;
        items.push_back(item);
    }
    const NorvikStatus status =
        device.SetCrosspointWeights(items.data(), static_cast<uint32_t>(items.size()));
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Setting the crosspoint weight", status);
    nlohmann::json result = nlohmann::json::array();
    for (size_t i = 0; i < items.size(); ++i)
    {
        const std::wstring row = mixer.ChannelLabel(MixerSide::Row, crosspoints[i].first);
        const std::wstring column = mixer.ChannelLabel(MixerSide::Column, crosspoints[i].second);
        context.Out().Line(row + L" -> " + column + L": " + WeightOrOff(items[i], L" dB"));
        nlohmann::json crosspoint = {
            {"input", ChannelJson(mixer, MixerSide::Row, crosspoints[i].first)},
            {"output", ChannelJson(mixer, MixerSide::Column, crosspoints[i].second)}};
        crosspoint.update(WeightJson(items[i]));
        result.push_back(crosspoint);
    }
    context.Out().Emit(result);
    return kExitDone;
}
} // namespace

int RunMixer(CtlContext& context, const CtlArgs& args)
{
    bool hardwareInputs = false;
    if (args.size() != 2 || !ParseMixer(args[1], &hardwareInputs))
        return context.Usage(L"mixer takes a serial and hw or sw.");
    NorvikDevice* device = nullptr;
    UnitMixer mixer;
    const int read = ReadMixer(context, args[0], hardwareInputs, &device, &mixer);
    if (read == kExitDone)
        PrintMixer(context, args[0], mixer);
    return read;
}

int RunVolume(CtlContext& context, const CtlArgs& args)
{
    if (args.size() < 3)
        return context.Usage(L"volume takes a serial, an output label and a level in dB, mute or unmute.");
    VolumeChange change;
    const int parsed = ParseVolumeChange(context, args.back(), &change);
    if (parsed != kExitDone)
        return parsed;
    NorvikDevice* device = nullptr;
    UnitMixer mixer;
    const int read = ReadMixer(context, args[0], false, &device, &mixer);
    if (read != kExitDone)
        return read;
    const std::wstring label = Joined(args, 1, args.size() - 1);
    std::vector<uint32_t> channels;
    const UnitMixer::Match match = mixer.Resolve(MixerSide::Column, label, &channels);
    if (channels.empty())
        return LabelProblem(context, match, label, L"mixer output");
    return SetVolumes(context, *device, mixer, channels, change);
}

int RunWeight(CtlContext& context, const CtlArgs& args)
{
    bool hardwareInputs = false;
    if (args.size() < 5 || !ParseMixer(args[1], &hardwareInputs))
        return context.Usage(L"weight takes a serial, hw or sw, a row, a column and a weight in dB or off.");
    const std::wstring& value = args.back();
    const bool off = Folded(value) == L"off";
    int16_t weight = 0;
    if (!off && !ParseDecibels(value, &weight))
        return context.Usage(L"'" + value + L"' is not a weight from -60.00 to +6.00 dB, or off.");
    NorvikDevice* device = nullptr;
    UnitMixer mixer;
    const int read = ReadMixer(context, args[0], hardwareInputs, &device, &mixer);
    if (read != kExitDone)
        return read;
    std::vector<std::pair<uint32_t, uint32_t>> crosspoints;
    const int resolved = ResolveCrosspoints(context, mixer, args, &crosspoints);
    return resolved != kExitDone ? resolved : SetWeights(context, *device, mixer, crosspoints, off, weight);
}
