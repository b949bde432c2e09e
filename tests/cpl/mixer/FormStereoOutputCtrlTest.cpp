#include "tests/cpl/mixer/MixerTest.h"

#include "cpl/NorvikCplClient.h"

#include <commctrl.h>

namespace
{
// The first column of a default unit's hardware inputs mixer: analog outputs 1 and 2.
class OutputStripTest : public MixerTest
{
  protected:
    void SetUp() override
    {
        MixerTest::SetUp();
        mixer_ = CreateMixer(true);
        Show(*mixer_);
        strip_ = &mixer_->OutputStripForTesting(0);
        ClearLog();
    }
    void TearDown() override
    {
        mixer_.reset();
        MixerTest::TearDown();
    }

    HWND Control(int id) const { return GetDlgItem(strip_->Window(), id); }
    int Position(int fader) const { return static_cast<int>(SendMessageW(Control(fader), TBM_GETPOS, 0, 0)); }
    void Move(int fader, UINT code, int position)
    {
        Scroll(strip_->Window(), Control(fader), code, position);
    }
    // The volume records sent since the last ClearLog, as (channel, volume, muted).
    std::vector<std::tuple<int, int, bool>> Sent() const
    {
        std::vector<std::tuple<int, int, bool>> sent;
        for (const SimLogEntry& entry : Requests(NORVIK_IOCTL_SET_PIN_VOLUMES))
        {
            const auto item = MixerTest::Sent<NorvikVolumeItem>(entry);
            EXPECT_EQ(NORVIK_PIN_ANALOG, item.pin.kind);
            sent.emplace_back(item.pin.channel, item.volume, item.IsMuted());
        }
        return sent;
    }
    std::wstring LeftText() const { return Text(Control(IDC_VOLUME_TEXT_LEFT)); }
    std::wstring RightText() const { return Text(Control(IDC_VOLUME_TEXT_RIGHT)); }

    using Sends = std::vector<std::tuple<int, int, bool>>;
    UniqueDialog<FormMixer> mixer_;
    FormStereoOutputCtrl* strip_ = nullptr;
};
} // namespace

// Linked, one fader moves the other and both channels are sent, the left one first. Home and End move the
// volume with the fader; the end of tracking sends nothing.
TEST_F(OutputStripTest, LinkedFaderSendsBothChannelsLeftFirst)
{
    Move(IDC_FADER_LEFT, TB_THUMBTRACK, 1000);
    EXPECT_EQ((Sends{{0, -400, false}, {1, -400, false}}), Sent());
    EXPECT_EQ(1000, Position(IDC_FADER_RIGHT));
    EXPECT_EQ(L"-4", LeftText());
    EXPECT_EQ(L"-4", RightText());

    const struct
    {
        WPARAM key;
        int volume;
        int position;
        const wchar_t* text;
    } keys[] = {{VK_HOME, 600, 0, L"6"}, {VK_END, -6000, 6600, L"-60"}};
    for (const auto& row : keys)
    {
        ClearLog();
        (void)SendMessageW(Control(IDC_FADER_RIGHT), WM_KEYDOWN, row.key, 0);
        (void)SendMessageW(Control(IDC_FADER_RIGHT), WM_KEYUP, row.key, 0);
        EXPECT_EQ((Sends{{0, row.volume, false}, {1, row.volume, false}}), Sent()) << "key " << row.key;
        EXPECT_EQ(row.position, Position(IDC_FADER_LEFT));
        EXPECT_EQ(row.text, LeftText());
    }
    ClearLog();
    Move(IDC_FADER_LEFT, TB_ENDTRACK, 600);
    EXPECT_TRUE(Sent().empty());
}

// Unlinked, a fader sends only its own channel; linking again sets both to their mean (truncated toward 0).
TEST_F(OutputStripTest, UnlinkedFadersAndLinkingAgain)
{
    Click(Control(IDC_LINK));
    EXPECT_FALSE(strip_->IsLinked());
    Move(IDC_FADER_RIGHT, TB_THUMBPOSITION, 1101);
    Move(IDC_FADER_LEFT, TB_PAGEDOWN, 800);
    EXPECT_EQ((Sends{{1, -501, false}, {0, -200, false}}), Sent());
    EXPECT_EQ(L"-2", LeftText());
    EXPECT_EQ(L"-5", RightText());

    ClearLog();
    Click(Control(IDC_LINK));
    EXPECT_TRUE(strip_->IsLinked());
    EXPECT_EQ((Sends{{0, -350, false}, {1, -350, false}}), Sent());
    EXPECT_EQ(950, Position(IDC_FADER_LEFT));
    EXPECT_EQ(950, Position(IDC_FADER_RIGHT));
    EXPECT_EQ(L"-3", RightText());
}

// M mutes both channels and locks the faders; 0dB while muted sets the volumes but keeps the pair muted.
TEST_F(OutputStripTest, MuteAndZeroDb)
{
    Move(IDC_FADER_LEFT, TB_THUMBTRACK, 1000);
    ClearLog();
    Click(Control(IDC_MUTE));
    EXPECT_TRUE(strip_->IsMuted());
    EXPECT_EQ((Sends{{0, -400, true}, {1, -400, true}}), Sent());
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_FADER_LEFT)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_FADER_RIGHT)));
    EXPECT_EQ(L"M", LeftText());
    EXPECT_EQ(L"M", RightText());

    ClearLog();
    Click(Control(IDC_ZERO_DB));
    EXPECT_EQ((Sends{{0, 0, true}, {1, 0, true}}), Sent());
    EXPECT_EQ(600, Position(IDC_FADER_LEFT));
    EXPECT_EQ(BST_CHECKED, SendMessageW(Control(IDC_MUTE), BM_GETCHECK, 0, 0));
    EXPECT_EQ(L"M", RightText());

    ClearLog();
    Click(Control(IDC_MUTE));
    EXPECT_EQ((Sends{{0, 0, false}, {1, 0, false}}), Sent());
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_FADER_LEFT)));
    EXPECT_EQ(L"0", LeftText());
}

// What the unit reports wins: one channel muted at the unit shows the pair muted.
TEST_F(OutputStripTest, ShowsVolumesTheUnitReports)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS,
              model_.ChangeHardwareVolume(Keys(), NorvikPin{NORVIK_PIN_ANALOG, 1, {}}, -650, true));
    mixer_->ReloadVolumes();
    EXPECT_TRUE(strip_->IsMuted());
    EXPECT_EQ(BST_CHECKED, SendMessageW(Control(IDC_MUTE), BM_GETCHECK, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_FADER_LEFT)));
    EXPECT_EQ(L"0", LeftText());
    EXPECT_EQ(L"M", RightText());
    EXPECT_EQ(1250, Position(IDC_FADER_RIGHT));

    const struct
    {
        int id;
        const wchar_t* tip;
    } tips[] = {{IDC_LINK, L"Link L and R"}, {IDC_MUTE, L"Mute"}, {IDC_ZERO_DB, L"Set gain to 0dB"}};
    for (const auto& row : tips)
    {
        wchar_t text[80];
        strip_->GetToolText(Control(row.id), text, ARRAYSIZE(text));
        EXPECT_STREQ(row.tip, text);
    }
}

// A unit that went away: the fader still moves and the record changes, but nothing is sent.
TEST_F(OutputStripTest, UnitGoneSendsNothing)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.UnplugUnit(Keys().key1, Keys().key2));
    bool changed = false;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, mainClient.UpdateDeviceList(&changed));
    ClearLog();
    Move(IDC_FADER_LEFT, TB_THUMBTRACK, 2000);
    EXPECT_EQ(2000, Position(IDC_FADER_RIGHT));
    EXPECT_EQ(L"0", LeftText()) << "texts wait for the next read";
    Click(Control(IDC_MUTE));
    EXPECT_EQ(L"M", LeftText());
    EXPECT_TRUE(model_.RequestLog().empty());
}
