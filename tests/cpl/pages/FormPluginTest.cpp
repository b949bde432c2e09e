// The effect page against the in-process driver: the channel pairs with their item data, the maximum delay
// read once, each fader setting both channels of the pair in one request and reading them back, and the
// keys that move a fader (Home and End included).
#include "cpl/pages/FormPlugin.h"
#include "tests/cpl/PageTest.h"

#include <commctrl.h>
#include <nlohmann/json.hpp>

namespace
{
class EffectPage : public PageTest
{
  protected:
    void SetUp() override
    {
        PageTest::SetUp();
        unit_ = model_.Units().at(1); // the default unit with the effect
        page_ = std::make_unique<FormPlugin>(client_, unit_.key1, unit_.key2);
        Open(*page_, 360, 300);
        page_->Show();
        PumpMessages();
    }

    HWND Item(int id) const { return GetDlgItem(page_->Window(), id); }
    std::wstring Text(int id) const { return ControlText(page_->Window(), id); }
    int Position(int fader) const { return static_cast<int>(SendMessageW(Item(fader), TBM_GETPOS, 0, 0)); }
    // What the trackbar does with a key: it moves, then tells the page.
    void Key(int fader, WPARAM key) { (void)SendMessageW(Item(fader), WM_KEYDOWN, key, 0); }
    void SelectPair(int index)
    {
        (void)SendMessageW(Item(IDC_CHANNEL_PAIR_LIST), CB_SETCURSEL, index, 0);
        (void)SendMessageW(page_->Window(), WM_COMMAND, MAKEWPARAM(IDC_CHANNEL_PAIR_LIST, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(Item(IDC_CHANNEL_PAIR_LIST)));
    }
    // The unit's values of `selector` on its effect channels, from the model's dump.
    std::vector<uint32_t> Values(uint32_t selector) const
    {
        const nlohmann::json effect = nlohmann::json::parse(model_.DumpJson())["units"][1]["effect"];
        return effect[selector == NORVIK_PLUGIN_DELAY ? "delayMs" : "amplification"]
            .get<std::vector<uint32_t>>();
    }
    void ReportChannelCount(uint32_t count)
    {
        NorvikPluginRecord record{};
        record.count = count;
        model_.InjectFault(NORVIK_IOCTL_QUERY_PLUGIN, NORVIK_STATUS_SUCCESS, 1, Bytes(record));
    }
    std::vector<std::pair<std::wstring, LRESULT>> Pairs() const
    {
        std::vector<std::pair<std::wstring, LRESULT>> pairs;
        const HWND list = Item(IDC_CHANNEL_PAIR_LIST);
        for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i)
        {
            wchar_t text[32] = L"";
            (void)SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            pairs.emplace_back(text, SendMessageW(list, CB_GETITEMDATA, i, 0));
        }
        return pairs;
    }

    NorvikDeviceRecord unit_{};
    std::unique_ptr<FormPlugin> page_;
};
} // namespace

TEST_F(EffectPage, ListsEveryWholePairInChannelOrder)
{
    using Pairs = std::vector<std::pair<std::wstring, LRESULT>>;
    EXPECT_EQ(
        (Pairs{{L"Channel 01/02", 0}, {L"Channel 03/04", 2}, {L"Channel 05/06", 4}, {L"Channel 07/08", 6}}),
        this->Pairs());
    EXPECT_EQ(L"Channel 01/02", ComboSelectionText(Item(IDC_CHANNEL_PAIR_LIST)));

    ReportChannelCount(5); // the odd channel has no partner
    page_->Refresh();
    EXPECT_EQ((Pairs{{L"Channel 01/02", 0}, {L"Channel 03/04", 2}}), this->Pairs());

    ReportChannelCount(24); // the sorted list keeps channel order past 9
    page_->Refresh();
    const Pairs many = this->Pairs();
    ASSERT_EQ(12u, many.size());
    EXPECT_EQ((std::pair<std::wstring, LRESULT>{L"Channel 09/10", 8}), many[4]);
    EXPECT_EQ((std::pair<std::wstring, LRESULT>{L"Channel 23/24", 22}), many[11]);

    model_.InjectFault(NORVIK_IOCTL_QUERY_PLUGIN, NORVIK_STATUS_DEVICE_REMOVED);
    page_->Refresh();
    EXPECT_TRUE(this->Pairs().empty());
}

TEST_F(EffectPage, MaximumDelayIsReadOnlyAtCreation)
{
    EXPECT_EQ(SimUnit::kPluginMaxDelayMs, page_->MaxDelay());
    EXPECT_EQ(500, SendMessageW(Item(IDC_DELAY_FADER), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(1000, SendMessageW(Item(IDC_AMPLIFICATION_FADER), TBM_GETRANGEMAX, 0, 0));
    ClearLog();
    page_->Refresh();
    page_->Refresh();
    EXPECT_EQ(6u, LoggedRequests(NORVIK_IOCTL_QUERY_PLUGIN)) << "pairs, delay and amplification, twice";

    // Unknown at creation: 0 to 100.
    model_.InjectFault(NORVIK_IOCTL_QUERY_PLUGIN, NORVIK_STATUS_DEVICE_REMOVED);
    FormPlugin other(client_, unit_.key1, unit_.key2);
    Open(other, 360, 300);
    EXPECT_EQ(100u, other.MaxDelay());
    EXPECT_EQ(100, SendMessageW(GetDlgItem(other.Window(), IDC_DELAY_FADER), TBM_GETRANGEMAX, 0, 0));
}

TEST_F(EffectPage, FadersSetThePairInOneRequestAndReadItBack)
{
    SelectPair(1); // 03/04; the model starts every channel at 100 ms and 0.50
    EXPECT_EQ(L"100 ms", Text(IDC_DELAY_TEXT));
    EXPECT_EQ(400, Position(IDC_DELAY_FADER)) << "the largest delay sits at the top";
    EXPECT_EQ(L"0.50", Text(IDC_AMPLIFICATION_TEXT));
    EXPECT_EQ(500, Position(IDC_AMPLIFICATION_FADER));
    const struct
    {
        int fader;
        WPARAM key;
        uint32_t selector;
        uint32_t value;
        const wchar_t* text;
    } moves[] = {
        {IDC_DELAY_FADER, VK_HOME, NORVIK_PLUGIN_DELAY, 500, L"500 ms"},
        {IDC_DELAY_FADER, VK_DOWN, NORVIK_PLUGIN_DELAY, 499, L"499 ms"},
        {IDC_DELAY_FADER, VK_END, NORVIK_PLUGIN_DELAY, 0, L"0 ms"},
        {IDC_AMPLIFICATION_FADER, VK_HOME, NORVIK_PLUGIN_AMPLIFICATION, 1000, L"1.00"},
        {IDC_AMPLIFICATION_FADER, VK_NEXT, NORVIK_PLUGIN_AMPLIFICATION, 800, L"0.80"},
        {IDC_AMPLIFICATION_FADER, VK_UP, NORVIK_PLUGIN_AMPLIFICATION, 801, L"0.80"},
    };
    for (const auto& move : moves)
    {
        ClearLog();
        Key(move.fader, move.key);
        const std::string name = "key " + std::to_string(move.key) + " value " + std::to_string(move.value);
        EXPECT_EQ(1u, LoggedRequests(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS)) << name;
        std::vector<uint32_t> expected(SimUnitSpec{}.effectChannels,
                                       move.selector == NORVIK_PLUGIN_DELAY ? 100u : 500u);
        expected[2] = expected[3] = move.value;
        EXPECT_EQ(expected, Values(move.selector)) << name;
        EXPECT_EQ(move.text,
                  Text(move.selector == NORVIK_PLUGIN_DELAY ? IDC_DELAY_TEXT : IDC_AMPLIFICATION_TEXT))
            << name;
    }
    // The end of a drag sends nothing.
    ClearLog();
    (void)SendMessageW(page_->Window(), WM_VSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                       reinterpret_cast<LPARAM>(Item(IDC_AMPLIFICATION_FADER)));
    EXPECT_EQ(0u, LoggedRequests(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS));

    // Another pair shows its own values; a refused move shows the unit's value again.
    SelectPair(0);
    EXPECT_EQ(L"0.50", Text(IDC_AMPLIFICATION_TEXT));
    model_.InjectFault(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, NORVIK_STATUS_NOT_SUPPORTED);
    Key(IDC_AMPLIFICATION_FADER, VK_HOME);
    EXPECT_EQ(500, Position(IDC_AMPLIFICATION_FADER));
    EXPECT_EQ(L"0.50", Text(IDC_AMPLIFICATION_TEXT));
    SelectPair(1);
    EXPECT_EQ(L"0.80", Text(IDC_AMPLIFICATION_TEXT));
    EXPECT_EQ(199, Position(IDC_AMPLIFICATION_FADER));
    Screenshot(L"page-effect");
}
