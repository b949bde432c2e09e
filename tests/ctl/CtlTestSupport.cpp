#include "tests/ctl/CtlTestSupport.h"

#include <algorithm>

void CapturedConsole::Out(const std::wstring& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    out_ += text;
}

void CapturedConsole::Err(const std::wstring& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    err_ += text;
}

std::wstring CapturedConsole::Output() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return out_;
}

std::wstring CapturedConsole::Errors() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return err_;
}

nlohmann::json At(const nlohmann::json& json, const std::string& pointer)
{
    const nlohmann::json::json_pointer at(pointer);
    return json.contains(at) ? json.at(at) : nlohmann::json();
}

std::string CommandText(const std::vector<std::wstring>& args)
{
    std::string text = "corvexctl";
    for (const std::wstring& arg : args)
    {
        text += " " + std::string(arg.begin(), arg.end());
    }
    return text;
}

CtlResult CtlTest::Run(const std::vector<std::wstring>& args)
{
    CapturedConsole console;
    CtlResult result;
    result.exit = RunCorvexCtl(args, console, stop_.Get());
    result.out = console.Output();
    result.err = console.Errors();
    return result;
}

bool CtlTest::SentChanges() const
{
    static const uint32_t kChanges[] = {
        NORVIK_IOCTL_SEND_MESSAGE,          NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH,
        NORVIK_IOCTL_SET_PIN_VOLUMES,       NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS,
        NORVIK_IOCTL_SET_VOLUME_BYPASS,     NORVIK_IOCTL_SET_MUTE_BYPASS,
        NORVIK_IOCTL_SET_PLUGIN_PARAMETERS,
    };
    const std::vector<SimLogEntry> log = model_.RequestLog();
    return std::any_of(
        log.begin(), log.end(),
        [](const SimLogEntry& entry)
        { return std::find(std::begin(kChanges), std::end(kChanges), entry.code) != std::end(kChanges); });
}

nlohmann::json CtlTest::Unit(const std::string& serial) const
{
    const nlohmann::json dump = nlohmann::json::parse(model_.DumpJson(), nullptr, false);
    for (const nlohmann::json& unit : dump["units"])
    {
        if (unit["serial"] == serial)
        {
            return unit;
        }
    }
    return nlohmann::json();
}

NorvikDeviceKeys CtlTest::Keys(const std::wstring& serial) const
{
    NorvikDeviceKeys keys{};
    (void)model_.FindUnitBySerial(serial, &keys);
    return keys;
}
