// save and load: the round trip restores a unit exactly and writes only what differs; another layout, a
// malformed file and values out of range are refused before anything is written.
#include "driverapi/NorvikDriver.h"
#include "tests/ctl/CtlTestSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace
{
class UnitSnapshotTest : public CtlTest
{
  protected:
    void TearDown() override
    {
        for (const std::string& file : files_)
        {
            (void)std::remove(file.c_str());
        }
        CtlTest::TearDown();
    }

    std::wstring File(const std::string& name)
    {
        char directory[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, directory);
        files_.push_back(std::string(directory) + "ctl-" + std::to_string(GetCurrentProcessId()) + "-" +
                         name);
        return std::wstring(files_.back().begin(), files_.back().end());
    }

    static std::string ReadText(const std::wstring& path)
    {
        std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void WriteText(const std::wstring& path, const std::string& text)
    {
        std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << text;
    }

    // What a snapshot keeps, from the model's dump; crosspoints that never held a value are left out.
    nlohmann::json Kept(const std::string& serial) const
    {
        nlohmann::json unit = Unit(serial);
        nlohmann::json weights = nlohmann::json::array();
        for (const nlohmann::json& weight : unit["mixer"]["weights"])
        {
            if (weight["weight"] != 0 || weight["connected"] != false)
            {
                weights.push_back(weight);
            }
        }
        return {unit["spdifPassThrough"], unit["volumeBypass"],     unit["muteBypass"],
                unit["effect"],           unit["mixer"]["volumes"], weights};
    }

    // Gives every setting that a snapshot keeps another value, straight through the unit's requests.
    void ChangeEverything(const std::wstring& serial)
    {
        NorvikDriver driver;
        bool changed = false;
        ASSERT_EQ(0u, driver.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY));
        ASSERT_EQ(0u, driver.UpdateDeviceList(&changed));
        NorvikDevice& device = *driver.FindDevice(Keys(serial).key1, Keys(serial).key2);
        NorvikPin outputs[26];
        uint32_t outputCount = 26;
        ASSERT_EQ(0u, device.GetMixerPins(NORVIK_PINS_MIXER_OUTPUTS, outputs, &outputCount));
        std::vector<NorvikVolumeItem> volumes;
        for (uint32_t i = 0; i < outputCount; ++i)
        {
            volumes.push_back(
                {outputs[i], 0, static_cast<uint8_t>(i % 2), static_cast<int16_t>(-100 * (i + 1))});
        }
        ASSERT_EQ(0u, device.SetPinVolumes(volumes.data(), outputCount));
        for (uint32_t selector : {NORVIK_PINS_HARDWARE_INPUTS, NORVIK_PINS_SOFTWARE_OUTPUTS})
        {
            NorvikPin inputs[18];
            uint32_t inputCount = 18;
            ASSERT_EQ(0u, device.GetMixerPins(selector, inputs, &inputCount));
            std::vector<NorvikWeightItem> weights;
            for (uint32_t i = 0; i < inputCount * outputCount; ++i)
            {
                weights.push_back({outputs[i % outputCount], inputs[i / outputCount],
                                   static_cast<int16_t>(-(static_cast<int>(i * 7 + selector) % 6000)),
                                   static_cast<uint8_t>(i % 3 == 0), 0});
            }
            ASSERT_EQ(0u, device.SetCrosspointWeights(weights.data(), static_cast<uint32_t>(weights.size())));
        }
        ASSERT_EQ(0u, device.SetSpdifPassThrough(0, 0, true));
        ASSERT_EQ(0u, device.SetVolumeBypass(true));
        ASSERT_EQ(0u, device.SetMuteBypass(true));
        NorvikPluginRecord count{NORVIK_PLUGIN_CHANNEL_COUNT, 0, {}};
        (void)device.QueryPlugin(&count);
        for (uint32_t selector : {NORVIK_PLUGIN_DELAY, NORVIK_PLUGIN_AMPLIFICATION})
        {
            // Every channel, in records of at most 64 pairs.
            for (uint32_t first = 0; first < std::max(count.count, 1u); first += 64)
            {
                NorvikPluginRecord record{selector, std::min(count.count - first, 64u), {}};
                for (uint32_t channel = first; channel < first + record.count; ++channel)
                {
                    record.pairs[channel - first] = {channel, (11 * channel + selector) % 400};
                }
                ASSERT_EQ(device.HasPlugin() ? 0u : NORVIK_STATUS_NOT_SUPPORTED,
                          device.SetPluginParameters(record));
            }
        }
    }

    std::vector<std::string> files_;
};

TEST_F(UnitSnapshotTest, SaveChangeLoadRestoresEachUnitExactly)
{
    SimUnitSpec wideEffect{L"CVX10003"};
    wideEffect.plugin = true;
    wideEffect.effectChannels = 70; // its writes take two records
    ASSERT_EQ(0u, model_.PlugUnit(wideEffect));
    for (const char* serial : {"CVX10001", "CVX10002", "CVX10003"})
    {
        const std::wstring unit(serial, serial + 8);
        const std::wstring file = File(serial);
        // Saved through a temporary file of its own: FILE.tmp is someone else's.
        const std::wstring bystander = File(std::string(serial) + ".tmp");
        WriteText(bystander, "kept");
        const nlohmann::json before = Kept(serial);
        const CtlResult saved = Run({L"save", unit, file});
        ASSERT_EQ(0, saved.exit) << testing::PrintToString(saved.err);
        EXPECT_EQ(L"Saved " + unit + L" to " + file + L".\n", saved.out);
        EXPECT_EQ("kept", ReadText(bystander));

        ChangeEverything(unit);
        ASSERT_NE(before, Kept(serial));
        // A load that fails halfway says what it left on the unit.
        model_.InjectFault(NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, NORVIK_STATUS_TIMEOUT);
        const CtlResult partial = Run({L"load", unit, file});
        EXPECT_EQ(1, partial.exit);
        EXPECT_EQ(L"Setting the crosspoint weights failed (Status=NORVIK_STATUS_TIMEOUT).\n"
                  L"The unit now holds part of the snapshot: 26 settings were written before the failure.\n",
                  partial.err);

        const CtlResult loaded = Run({L"load", unit, file});
        EXPECT_EQ(0, loaded.exit) << testing::PrintToString(loaded.err);
        EXPECT_EQ(before, Kept(serial)) << serial;
        // 2 x 468 crosspoints, 3 switches, and 2 x 8 (or 70) effect values where there is an effect.
        const wchar_t* const changed[] = {L": 939 settings changed.", L": 955 settings changed.",
                                          L": 1079 settings changed."};
        EXPECT_NE(std::wstring::npos, loaded.out.find(changed[serial[7] - '1']))
            << testing::PrintToString(loaded.out);

        model_.ClearRequestLog();
        EXPECT_NE(std::wstring::npos, Run({L"load", unit, file}).out.find(L": 0 settings changed."));
        EXPECT_FALSE(SentChanges()) << "an unchanged unit gets no write";
    }
}

TEST_F(UnitSnapshotTest, AnotherLayoutOrABadFileChangesNothing)
{
    const std::wstring plain = File("plain.json");
    const std::wstring effect = File("effect.json");
    ASSERT_EQ(0, Run({L"save", L"CVX10001", plain}).exit);
    ASSERT_EQ(0, Run({L"save", L"CVX10002", effect}).exit);
    SimUnitSpec smaller;
    smaller.serial = L"CVX20001";
    smaller.analogChannels = 8;
    ASSERT_EQ(0u, model_.PlugUnit(smaller));

    const nlohmann::json good = nlohmann::json::parse(ReadText(effect));
    const auto changed = [&good](const std::string& pointer, const nlohmann::json& value)
    {
        nlohmann::json file = good;
        file[nlohmann::json::json_pointer(pointer)] = value;
        return file.dump();
    };
    nlohmann::json shortVolumes = good;
    shortVolumes["volumes"].erase(0);
    const struct
    {
        std::wstring serial;
        std::string text; // empty: the file as saved
        std::wstring file;
        const wchar_t* message;
    } cases[] = {
        {L"CVX20001", "", plain, L"has another layout (26 mixer outputs, 18 hardware inputs"},
        {L"CVX10001", "", effect, L"has another layout"},
        {L"CVX10002", "", plain, L"has another layout"},
        {L"CVX10002", "{\"format\":", effect, L"The file is not a corvexctl snapshot."},
        {L"CVX10002", changed("/format", "other"), effect, L"The file is not a corvexctl snapshot."},
        {L"CVX10002", changed("/version", 2), effect, L"The snapshot's format version is not one"},
        {L"CVX10002", shortVolumes.dump(), effect, L"The snapshot's member volumes is missing or malformed."},
        {L"CVX10002", changed("/volumes/3/volume", 40000), effect, L"The snapshot's member volumes"},
        // Gains are held to the faders' range, as typed ones are.
        {L"CVX10002", changed("/volumes/3/volume", 601), effect, L"The snapshot's member volumes"},
        {L"CVX10002", changed("/crosspoints/hw/0/0/weight", -6001), effect,
         L"The snapshot's member crosspoints.hw"},
        {L"CVX10002", changed("/layout/outputs/0", good["layout"]["outputs"][2]), effect,
         L"has another pin order than the unit CVX10002: mixer outputs 1/2 are "},
        {L"CVX10002", changed("/crosspoints/sw/17", nullptr), effect,
         L"The snapshot's member crosspoints.sw"},
        {L"CVX10002", changed("/crosspoints/hw/0/0/connected", 1), effect,
         L"The snapshot's member crosspoints.hw"},
        {L"CVX10002", changed("/layout/outputs/25", nlohmann::json::array({5, 7, 1})), effect,
         L"The snapshot's member layout.outputs"},
        {L"CVX10002", changed("/layout/effectChannels", 99), effect,
         L"The snapshot's member layout.effectChannels"},
        {L"CVX10002", changed("/effect/7/amplification", 1001), effect, L"The snapshot's member effect"},
        {L"CVX10002", changed("/muteBypass", "yes"), effect, L"The snapshot's member muteBypass"},
        {L"CVX10002", changed("/effect/0/delay", 501), effect,
         L"The snapshot's effect delay of 501 ms is beyond"},
    };
    const std::wstring edited = File("edited.json");
    for (const auto& c : cases)
    {
        const std::wstring file = c.text.empty() ? c.file : edited;
        if (!c.text.empty())
        {
            WriteText(edited, c.text);
        }
        const nlohmann::json before = Kept(std::string(c.serial.begin(), c.serial.end()));
        model_.ClearRequestLog();
        const CtlResult result = Run({L"load", c.serial, file});
        EXPECT_EQ(2, result.exit) << c.text;
        EXPECT_NE(std::wstring::npos, result.err.find(c.message))
            << c.text << testing::PrintToString(result.err);
        EXPECT_NE(std::wstring::npos, result.err.find(L"Nothing was changed.")) << c.text;
        EXPECT_FALSE(SentChanges()) << c.text;
        EXPECT_EQ(before, Kept(std::string(c.serial.begin(), c.serial.end())));
    }

    // Mixers that report different outputs (the pins changed between the reads) are not saved.
    const std::string saved = ReadText(effect);
    model_.InjectFault(NORVIK_IOCTL_GET_MIXER_PINS, 0, 1, std::vector<uint8_t>(24 * sizeof(NorvikPin)), 2);
    const CtlResult result = Run({L"save", L"CVX10002", effect});
    EXPECT_EQ(1, result.exit);
    EXPECT_EQ(0u, result.err.find(L"Reading the same outputs from both mixers failed")) << result.err.c_str();
    EXPECT_EQ(saved, ReadText(effect));
}
} // namespace
