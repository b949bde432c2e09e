// The commands against the driver model: what they print from the driver's records, what their settings do
// to a unit, and how each kind of refusal ends.
#include "tests/common/FaultMatrix.h"
#include "tests/ctl/CtlTestSupport.h"

#include <set>

namespace
{
class CtlCommands : public CtlTest
{
  protected:
    // A member of the unit's dump, or for "weight OUTPUT INPUT" the crosspoint's [weight, connected].
    nlohmann::json Setting(const char* serial, const std::string& pointer) const
    {
        const nlohmann::json unit = Unit(serial);
        if (pointer.compare(0, 7, "weight ") != 0)
        {
            return At(unit, pointer);
        }
        const std::string output = pointer.substr(7, pointer.find(' ', 7) - 7);
        const std::string input = pointer.substr(pointer.rfind(' ') + 1);
        for (const nlohmann::json& weight : unit["mixer"]["weights"])
        {
            if (weight["output"] == output && weight["input"] == input)
            {
                return {weight["weight"], weight["connected"]};
            }
        }
        return {0, false}; // the unit has never held another value
    }

    void SetUp() override
    {
        CtlTest::SetUp();
        model_.SetDriverInfo({2, 7, 3, 4, 56, 1});
        model_.SetErrorCounters({0, 3, 0, 0, 1});
        model_.SetPolicy(1);
        ASSERT_EQ(0u, model_.SetSpdifIn(Keys(L"CVX10001"), true, {0, 3, 1, 48000}));
    }
};

TEST_F(CtlCommands, ReadsPrintTheDriversRecords)
{
    static const struct
    {
        std::vector<std::wstring> args;
        const wchar_t* out;
    } cases[] = {
        {{L"list"},
         L"0  CVX10001             high-speed  streaming  -\n"
         L"1  CVX10002             high-speed  -          effect\n"},
        {{L"status"},
         L"streaming state: Down\n"
         L"streaming mode: one device\n"
         L"sample rate: 48000 Hz\n"
         L"streaming buffer: Small (2.3 millisecs)\n"
         L"ASIO buffer: Small (2.6 millisecs, 128 samples)\n"
         L"forbid-rate-change: on\n"
         L"driver version: 3.4.56 debug\n"
         L"interface version: 2.7\n"
         L"Streaming Error Count: 0\n"
         L"FIFO Error Count: 3\n"
         L"ASIO Error Count: 0\n"
         L"WDM Audio Error Count: 0\n"
         L"WDM MIDI Error Count: 1\n"},
        {{L"rate"}, L"48000 Hz\noffered: 44100 48000 88200 96000 176400 192000\n"},
        {{L"buffers"}, L"streaming: Small (2.3 millisecs)\nASIO: Small (2.6 millisecs, 128 samples)\n"},
        {{L"stream-device"}, L"mode: one device\nstreaming: CVX10001\n"},
        {{L"policy"}, L"forbid-rate-change: on\n"},
        {{L"spdif", L"CVX10001"}, L"SPDIF IN: Locked (PCM 48000 Hz)\npass-through: off\n"},
        {{L"bypass", L"CVX10002"}, L"volume bypass: off\nmute bypass: off\n"},
        {{L"effect", L"CVX10002"},
         L"maximum delay: 500 ms\n"
         L"Channel 01/02: delay 100 ms, amplification 0.50\n"
         L"Channel 03/04: delay 100 ms, amplification 0.50\n"
         L"Channel 05/06: delay 100 ms, amplification 0.50\n"
         L"Channel 07/08: delay 100 ms, amplification 0.50\n"},
    };
    for (const auto& c : cases)
    {
        const CtlResult result = Run(c.args);
        EXPECT_EQ(0, result.exit) << CommandText(c.args) << testing::PrintToString(result.err);
        EXPECT_EQ(c.out, result.out) << CommandText(c.args);
    }
    ASSERT_EQ(0u, model_.SetSpdifIn(Keys(L"CVX10002"), false, {}));
    EXPECT_EQ(0u, Run({L"spdif", L"CVX10002"}).out.find(L"SPDIF IN: SPDIF not available\n"));
    SimUnitSpec slow;
    slow.serial = L"CVX30001";
    slow.highSpeed = false;
    ASSERT_EQ(0u, model_.PlugUnit(slow));
    EXPECT_NE(std::wstring::npos,
              Run({L"list"}).out.find(L"\n2  CVX30001             USB 1.1     -          -\n"));
}

TEST_F(CtlCommands, JsonCarriesTheSameValues)
{
    static const struct
    {
        std::vector<std::wstring> args;
        const char* pointer;
        nlohmann::json expected;
    } cases[] = {
        {{L"list"}, "/1/serial", "CVX10002"},
        {{L"list"}, "/1/effect", true},
        {{L"status"}, "/errors/FIFO Error Count", 3},
        {{L"status"}, "/buffers/asio/samples", 128},
        {{L"status"}, "/debugBuild", true},
        {{L"rate"}, "/offered/5", 192000},
        {{L"stream-device"}, "/streaming/0", "CVX10001"},
        {{L"policy"}, "/forbidRateChange", true},
        {{L"spdif", L"CVX10001"}, "/input", "Locked (PCM 48000 Hz)"},
        {{L"effect", L"CVX10002"}, "/pairs/3/pair", "Channel 07/08"},
        {{L"mixer", L"CVX10001", L"sw"}, "/inputs/17/label", "SPDIF 1/2 R"},
        {{L"mixer", L"CVX10001", L"sw"}, "/crosspoints/2/2/connected", true},
        {{L"mixer", L"CVX10001", L"hw"}, "/outputs/25/label", "Virtual In 7/8 R"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::wstring> args = c.args;
        args.push_back(L"--json");
        const CtlResult result = Run(args);
        ASSERT_EQ(0, result.exit) << CommandText(args);
        ASSERT_EQ(1, std::count(result.out.begin(), result.out.end(), L'\n')) << "one line";
        const nlohmann::json json =
            nlohmann::json::parse(std::string(result.out.begin(), result.out.end()), nullptr, false);
        EXPECT_EQ(c.expected, At(json, c.pointer)) << CommandText(args) << " " << c.pointer;
    }
}

TEST_F(CtlCommands, MixerTableHasTheMixerWindowsLabels)
{
    const CtlResult result = Run({L"mixer", L"CVX10002", L"sw"});
    ASSERT_EQ(0, result.exit);
    const std::wstring& out = result.out;
    EXPECT_EQ(0u, out.find(L"Software Outputs Mixer of CVX10002\n"
                           L"Outputs (dB)        Left            Right\n"
                           L"Analog Out 1/2      0.00            0.00\n"));
    EXPECT_NE(std::wstring::npos, out.find(L"\nVirtual In 7/8      0.00            0.00\n\n"));
    EXPECT_NE(std::wstring::npos, out.find(L"\n                    Analog Out 1/2    Analog Out 3/4    "));
    // Playback goes straight to the matching outputs until routed otherwise.
    EXPECT_NE(std::wstring::npos,
              out.find(L"\nOut 3/4 L           off      off      0.00     off      off "));
    EXPECT_NE(std::wstring::npos, out.find(L"\nSPDIF 1/2 R         off "));
}

TEST_F(CtlCommands, SettingsReachTheUnit)
{
    static const struct
    {
        std::vector<std::wstring> args;
        const wchar_t* out;
        const char* unit;
        const char* setting;
        nlohmann::json expected;
    } cases[] = {
        {{L"spdif", L"CVX10001", L"passthrough", L"on"},
         L"SPDIF IN: Locked (PCM 48000 Hz)\npass-through: on\n",
         "CVX10001",
         "/spdifPassThrough",
         1},
        {{L"bypass", L"CVX10002", L"mute", L"on"},
         L"volume bypass: off\nmute bypass: on\n",
         "CVX10002",
         "/muteBypass",
         1},
        {{L"bypass", L"CVX10002", L"volume", L"ON"},
         L"volume bypass: on\nmute bypass: on\n",
         "CVX10002",
         "/volumeBypass",
         1},
        {{L"volume", L"CVX10001", L"analog out 3/4", L"-6.5"},
         L"Analog Out 3/4 L: -6.50 dB\nAnalog Out 3/4 R: -6.50 dB\n",
         "CVX10001",
         "/mixer/volumes/3/volume",
         -650},
        {{L"volume", L"CVX10001", L"Virtual", L"In", L"1/2", L"R", L"mute"},
         L"Virtual In 1/2 R: 0.00 dB muted\n",
         "CVX10001",
         "/mixer/volumes/19/mute",
         true},
        {{L"volume", L"CVX10001", L"17", L"+6"},
         L"SPDIF Out 1/2 L: 6.00 dB\n",
         "CVX10001",
         "/mixer/volumes/16/volume",
         600},
        {{L"weight", L"CVX10002", L"hw", L"Analog In 1/2", L"Virtual In 1/2", L"-3"},
         L"Analog In 1/2 L -> Virtual In 1/2 L: -3.00 dB\nAnalog In 1/2 R -> Virtual In 1/2 R: -3.00 dB\n",
         "CVX10002",
         "weight 5:1 0:1",
         {-300, true}},
        {{L"weight", L"CVX10002", L"sw", L"Out", L"1/2", L"L", L"Analog", L"Out", L"1/2", L"off"},
         L"Out 1/2 L -> Analog Out 1/2 L: off\nOut 1/2 L -> Analog Out 1/2 R: off\n",
         "CVX10002",
         "weight 0:0 2:0",
         {0, false}},
        {{L"effect", L"CVX10002", L"Channel 03/04", L"delay", L"250"},
         nullptr,
         "CVX10002",
         "/effect/delayMs/3",
         250},
        {{L"effect", L"CVX10002", L"7/8", L"amp", L"0.25"},
         nullptr,
         "CVX10002",
         "/effect/amplification/6",
         250},
    };
    for (const auto& c : cases)
    {
        const CtlResult result = Run(c.args);
        EXPECT_EQ(0, result.exit) << CommandText(c.args) << testing::PrintToString(result.err);
        if (c.out != nullptr)
        {
            EXPECT_EQ(c.out, result.out) << CommandText(c.args);
        }
        EXPECT_EQ(c.expected, Setting(c.unit, c.setting)) << CommandText(c.args);
    }
    EXPECT_NE(std::wstring::npos,
              Run({L"effect", L"CVX10002"}).out.find(L"Channel 03/04: delay 250 ms, amplification 0.50"));
    const std::wstring hardware = Run({L"mixer", L"CVX10002", L"hw"}).out;
    EXPECT_NE(std::wstring::npos, hardware.find(L"\nAnalog In 1/2 R     off      off  "));
    EXPECT_NE(std::wstring::npos,
              hardware.find(L"-3.00    off      off      off      off      off      off\n"));
}

TEST_F(CtlCommands, RefusalsEndWithTheStatusAndTheCause)
{
    static const struct
    {
        uint32_t code;
        NorvikStatus status;
        std::vector<std::wstring> args;
        int exit;
        const wchar_t* err;
    } cases[] = {
        {NORVIK_IOCTL_GET_DEVICE_LIST,
         NORVIK_STATUS_FAILED,
         {L"list"},
         1,
         L"Reading the device list failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_GET_DRIVER_INFO,
         NORVIK_STATUS_FAILED,
         {L"list"},
         3,
         L"The Corvex driver is not available (Status=NORVIK_STATUS_FAILED)."},
        {NORVIK_IOCTL_SET_EVENTS,
         NORVIK_STATUS_DEVICE_REMOVED,
         {L"list"},
         3,
         L"The Corvex driver is not available (Status=NORVIK_STATUS_DEVICE_REMOVED)."},
        {NORVIK_IOCTL_SET_ROLE,
         NORVIK_STATUS_FAILED,
         {L"list"},
         3,
         L"The Corvex driver is not available (Status=NORVIK_STATUS_FAILED)."},
        {NORVIK_IOCTL_GET_STREAMING_STATUS,
         NORVIK_STATUS_DEVICE_REMOVED,
         {L"status"},
         1,
         L"Reading the streaming status failed (Status=NORVIK_STATUS_DEVICE_REMOVED).\n"},
        {NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH,
         NORVIK_STATUS_FAILED,
         {L"spdif", L"CVX10001"},
         1,
         L"Reading SPDIF pass through failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_GET_VOLUME_BYPASS,
         NORVIK_STATUS_FAILED,
         {L"bypass", L"CVX10001"},
         1,
         L"Reading the bypass switches failed (Status=NORVIK_STATUS_FAILED).\n"},
        // A unit that goes, or a connection that breaks, during a command is exit 3.
        {NORVIK_IOCTL_GET_MUTE_BYPASS,
         NORVIK_STATUS_DEVICE_REMOVED,
         {L"bypass", L"CVX10001"},
         3,
         L"Reading the bypass switches failed (Status=NORVIK_STATUS_DEVICE_REMOVED).\n"
         L"The unit is no longer connected.\n"},
        {NORVIK_IOCTL_GET_STREAMING_STATUS,
         ERROR_BROKEN_PIPE,
         {L"status"},
         3,
         L"Reading the streaming status failed (Status=\?\?\?).\n"
         L"The connection to the Corvex driver was lost.\n"},
        {NORVIK_IOCTL_GET_DRIVER_INFO,
         ERROR_ACCESS_DENIED,
         {L"list"},
         3,
         L"Access to the Corvex driver was denied (error 5).\n"
         L"Run corvexctl from a command prompt started as administrator.\n"},
        {NORVIK_IOCTL_GET_PIN_VOLUMES,
         NORVIK_STATUS_FAILED,
         {L"mixer", L"CVX10001", L"hw"},
         1,
         L"Reading the output volumes failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_GET_ERROR_COUNTERS,
         NORVIK_STATUS_TIMEOUT,
         {L"status"},
         1,
         L"Reading the error counters failed (Status=NORVIK_STATUS_TIMEOUT).\n"},
        {NORVIK_IOCTL_GET_SAMPLE_RATES,
         NORVIK_STATUS_FAILED,
         {L"rate", L"44100"},
         1,
         L"Reading the sample rates failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_GET_BUFFER_SIZES,
         NORVIK_STATUS_FAILED,
         {L"buffers", L"Large", L"Large"},
         1,
         L"Get the buffer sizes failed (Status=NORVIK_STATUS_FAILED).\n"},
        {0,
         0,
         {L"rate", L"44100"},
         3,
         L"Changing the sample rate failed (Status=NORVIK_STATUS_NO_SERVER).\n"
         L"The Corvex control service (corvexsvc) is not running.\n"},
        {0,
         0,
         {L"policy", L"forbid-rate-change", L"off"},
         3,
         L"Changing the policy failed (Status=NORVIK_STATUS_NO_SERVER)."},
        // Starting from no flags would clear the bits the driver holds besides bit 0.
        {NORVIK_IOCTL_GET_POLICY,
         NORVIK_STATUS_FAILED,
         {L"policy", L"forbid-rate-change", L"on"},
         1,
         L"Reading the policy failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH,
         NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE,
         {L"spdif", L"CVX10001", L"passthrough", L"on"},
         1,
         L"Set SPDIF pass through failed (Status=NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE).\n"
         L"The device is not connected to a USB high-speed port.\n"},
        {NORVIK_IOCTL_GET_SPDIF_IN_STATUS,
         NORVIK_STATUS_DEVICE_REMOVED,
         {L"spdif", L"CVX10001"},
         3,
         L"Reading the SPDIF IN status failed (Status=NORVIK_STATUS_DEVICE_REMOVED).\n"},
        {NORVIK_IOCTL_SET_VOLUME_BYPASS,
         NORVIK_STATUS_IN_USE,
         {L"bypass", L"CVX10001", L"volume", L"on"},
         1,
         L"Set Bypass volume failed (Status=NORVIK_STATUS_IN_USE).\n"},
        {NORVIK_IOCTL_SET_MUTE_BYPASS,
         NORVIK_STATUS_IN_USE,
         {L"bypass", L"CVX10001", L"mute", L"on"},
         1,
         L"Set Bypass mute failed (Status=NORVIK_STATUS_IN_USE).\n"},
        {NORVIK_IOCTL_GET_MIXER_PINS,
         NORVIK_STATUS_FAILED,
         {L"mixer", L"CVX10001", L"hw"},
         1,
         L"Reading the mixer pins failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS,
         NORVIK_STATUS_FAILED,
         {L"mixer", L"CVX10001", L"hw"},
         1,
         L"Reading the crosspoint weights failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_SET_PIN_VOLUMES,
         NORVIK_STATUS_INVALID_PARAMETER,
         {L"volume", L"CVX10001", L"1/2", L"0"},
         1,
         L"Setting the output volume failed (Status=NORVIK_STATUS_INVALID_PARAMETER).\n"},
        {NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS,
         NORVIK_STATUS_FAILED,
         {L"weight", L"CVX10001", L"hw", L"1", L"1", L"0"},
         1,
         L"Setting the crosspoint weight failed (Status=NORVIK_STATUS_FAILED).\n"},
        {NORVIK_IOCTL_QUERY_PLUGIN,
         NORVIK_STATUS_NOT_SUPPORTED,
         {L"effect", L"CVX10002"},
         1,
         L"Reading the effect failed (Status=NORVIK_STATUS_NOT_SUPPORTED).\n"},
        {NORVIK_IOCTL_SET_PLUGIN_PARAMETERS,
         NORVIK_STATUS_FAILED,
         {L"effect", L"CVX10002", L"1/2", L"amp", L"1"},
         1,
         L"Setting the effect amplification failed (Status=NORVIK_STATUS_FAILED).\n"},
    };
    FaultTable table("corvexctl");
    for (const auto& c : cases)
    {
        table.Run(model_, CommandText(c.args), c.code != 0 ? c.code : NORVIK_IOCTL_SEND_MESSAGE, c.status,
                  [&]
                  {
                      if (c.code != 0)
                      {
                          model_.InjectFault(c.code, c.status);
                      }
                      const CtlResult result = Run(c.args);
                      EXPECT_EQ(c.exit, result.exit);
                      EXPECT_EQ(0u, result.err.find(c.err)) << testing::PrintToString(result.err);
                      EXPECT_TRUE(result.out.empty());
                  });
    }

    // The requests these commands send when nothing fails (a refusal for want of a service fails the message
    // itself).
    std::set<uint32_t> sent;
    for (const auto& c : cases)
    {
        model_.ClearRequestLog();
        (void)Run(c.args);
        for (const SimLogEntry& entry : model_.RequestLog())
        {
            sent.insert(entry.code);
        }
    }
    table.Report(sent);
}
} // namespace
