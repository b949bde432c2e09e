// mixer, volume, weight: a unit's two mixers, labelled as the mixer window labels them.
#include "ctl/CtlArguments.h"
#include "ctl/CtlHandlers.h"
#include "ctl/UnitMixer.h"

namespace
{
const wchar_t* MixerTitle(bool hardwareInputs)
{
    return hardwareInputs ? L"Hardware Inputs Mixer" : L"Software Outputs Mixer";
}

bool ParseMixer(const std::wstring& text, bool* hardwareInputs)
{
    const std::wstring folded = Folded(text);
    *hardwareInputs = folded == L"hw";
    return folded == L"hw" || folded == L"sw";
}

// The table's columns say dB once; a line of its own says it every time.
std::wstring VolumeText(const NorvikVolumeItem& item, const wchar_t* unit = L"")
{
    return DecibelText(item.volume) + unit + ((item.flags & 1) != 0 ? L" muted" : L"");
}

std::wstring WeightText(const NorvikWeightItem& item, const wchar_t* unit = L"")
{
    return (item.flags & 1) != 0 ? DecibelText(item.weight) + unit : std::wstring(L"off");
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

nlohmann::json VolumeJson(const NorvikVolumeItem& item)
{
    return {{"volume", item.volume}, {"mute", (item.flags & 1) != 0}};
}

nlohmann::json WeightJson(const NorvikWeightItem& item)
{
    return {{"weight", item.weight}, {"connected", (item.flags & 1) != 0}};
}

void PrintMixer(CtlContext& context, const std::wstring& serial, const UnitMixer& mixer)
{
    CtlOutput& out = context.Out();
    out.Line(FormatText(L"%s of %s", MixerTitle(mixer.HardwareInputs()), serial.c_str()));
    out.Line(FormatText(L"%-20s%-16s%s", L"Outputs (dB)", L"Left", L"Right"));
    nlohmann::json outputs = nlohmann::json::array();
    for (uint32_t left = 0; left < mixer.Outputs(); left += 2)
    {
        out.Line(FormatText(L"%-20s%-16s%s", mixer.PairLabel(MixerSide::Column, left).c_str(),
                            VolumeText(mixer.Volume(left)).c_str(),
                            VolumeText(mixer.Volume(left + 1)).c_str()));
    }
    for (uint32_t output = 0; output < mixer.Outputs(); ++output)
    {
        nlohmann::json channel = ChannelJson(mixer, MixerSide::Column, output);
        channel.update(VolumeJson(mixer.Volume(output)));
        outputs.push_back(channel);
    }
    out.Line(L"");
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
    nlohmann::json inputs = nlohmann::json::array();
    nlohmann::json crosspoints = nlohmann::json::array();
    for (uint32_t input = 0; input < mixer.Inputs(); ++input)
    {
        std::wstring row = FormatText(L"%-20s", mixer.ChannelLabel(MixerSide::Row, input).c_str());
        nlohmann::json weights = nlohmann::json::array();
        for (uint32_t output = 0; output < mixer.Outputs(); ++output)
        {
            row += FormatText(L"%-9s", WeightText(mixer.Weight(input, output)).c_str());
            weights.push_back(WeightJson(mixer.Weight(input, output)));
        }
        out.Line(Trimmed(row));
        inputs.push_back(ChannelJson(mixer, MixerSide::Row, input));
        crosspoints.push_back(weights);
    }
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

// The crosspoints that a row and a column name: pair to pair is the stereo route (left to left, right to
// right); anything with a single channel is every combination.
std::vector<std::pair<uint32_t, uint32_t>> Crossings(const std::vector<uint32_t>& rows,
                                                     const std::vector<uint32_t>& columns)
{
    std::vector<std::pair<uint32_t, uint32_t>> crossings;
    if (rows.size() == 2 && columns.size() == 2)
        return {{rows[0], columns[0]}, {rows[1], columns[1]}};
    for (uint32_t row : rows)
        for (uint32_t column : columns)
            crossings.push_back({row, column});
    return crossings;
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
    const std::wstring& value = args.back();
    const bool mute = Folded(value) == L"mute";
    const bool unmute = Folded(value) == L"unmute";
    int16_t volume = 0;
    if (!mute && !unmute && !ParseDecibels(value, &volume))
        return context.Usage(L"'" + value + L"' is not a level from -60.00 to +6.00 dB, mute or unmute.");
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
    std::vector<NorvikVolumeItem> items;
    for (uint32_t channel : channels)
    {
        NorvikVolumeItem item = mixer.Volume(channel);
        if (mute || unmute)
            item.flags = static_cast<uint8_t>(mute ? (item.flags | 1u) : (item.flags & ~1u));
        else
            item.volume = volume;
        items.push_back(item);
    }
    const NorvikStatus status = device->SetPinVolumes(items.data(), static_cast<uint32_t>(items.size()));
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Setting the output volume", status);
    // The request hands the records back as the unit now holds them.
    nlohmann::json result = nlohmann::json::array();
    for (size_t i = 0; i < items.size(); ++i)
    {
        context.Out().Line(mixer.ChannelLabel(MixerSide::Column, channels[i]) + L": " +
                           VolumeText(items[i], L" dB"));
        nlohmann::json channel = ChannelJson(mixer, MixerSide::Column, channels[i]);
        channel.update(VolumeJson(items[i]));
        result.push_back(channel);
    }
    context.Out().Emit(result);
    return kExitDone;
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
    // Labels may arrive unquoted, split into words: take the one split at which both sides name channels.
    std::vector<uint32_t> rows;
    std::vector<uint32_t> columns;
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
            rows = row;
            columns = column;
            ++splits;
        }
    }
    if (splits != 1)
    {
        return context.Usage(L"'" + Joined(args, 2, end) +
                             L"' does not name one row and one column of the mixer; "
                             L"quote the labels that the mixer command shows.");
    }
    std::vector<NorvikWeightItem> items;
    for (const auto& crossing : Crossings(rows, columns))
    {
        NorvikWeightItem item = mixer.Weight(crossing.first, crossing.second);
        // Connecting sets the weight; disconnecting keeps it, as in the crosspoint control.
        item.flags = static_cast<uint8_t>(off ? (item.flags & ~1u) : (item.flags | 1u));
        if (!off)
            item.weight = weight;
        items.push_back(item);
    }
    const NorvikStatus status =
        device->SetCrosspointWeights(items.data(), static_cast<uint32_t>(items.size()));
    if (status != NORVIK_STATUS_SUCCESS)
        return context.Out().Refused(L"Setting the crosspoint weight", status);
    nlohmann::json result = nlohmann::json::array();
    const auto crossings = Crossings(rows, columns);
    for (size_t i = 0; i < items.size(); ++i)
    {
        const std::wstring row = mixer.ChannelLabel(MixerSide::Row, crossings[i].first);
        const std::wstring column = mixer.ChannelLabel(MixerSide::Column, crossings[i].second);
        context.Out().Line(row + L" -> " + column + L": " + WeightText(items[i], L" dB"));
        nlohmann::json crossing = {{"input", ChannelJson(mixer, MixerSide::Row, crossings[i].first)},
                                   {"output", ChannelJson(mixer, MixerSide::Column, crossings[i].second)}};
        crossing.update(WeightJson(items[i]));
        result.push_back(crossing);
    }
    context.Out().Emit(result);
    return kExitDone;
}
