#include "tests/cpl/mixer/MixerTest.h"

#include "cpl/mixer/MixerPlacement.h"

#include "cpl/NorvikCplClient.h"

#include <algorithm>

namespace
{
bool SameRect(const RECT& rect, int left, int top, int width, int height)
{
    return rect.left == left && rect.top == top && rect.right - rect.left == width &&
           rect.bottom - rect.top == height;
}

std::string Describe(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}
} // namespace

#define EXPECT_RECT(rect, left, top, width, height)                                                          \
    EXPECT_TRUE(SameRect(rect, left, top, width, height))                                                    \
        << #rect << ": " << Describe(rect) << ", expected " << (left) << "," << (top) << " " << (width)      \
        << "x" << (height)

// The full matrix of a default unit, 13 output pairs by 9 input pairs, laid out from the sizes the strips and
// blocks measure.
TEST_F(MixerTest, DefaultUnitIsLaidOutToThePixel)
{
    auto mixer = CreateMixer(true);
    Show(*mixer);

    HWND window = mixer->Hwnd();
    ASSERT_EQ(13u, mixer->OutputStripCountForTesting());
    ASSERT_EQ(9u, mixer->InputStripCountForTesting());
    ASSERT_EQ(117u, mixer->ConnectionCountForTesting());
    EXPECT_EQ(L"Hardware Inputs Mixer", Text(window));

    const SIZE in = WindowSize(mixer->InputStripForTesting(0).Window());
    const SIZE out = WindowSize(mixer->OutputStripForTesting(0).Window());
    const SIZE block = WindowSize(mixer->ConnectionForTesting(0, 0).Window());
    EXPECT_EQ(block.cy, in.cy) << "blocks line up with the rows";
    EXPECT_EQ(block.cx, out.cx) << "blocks line up with the columns";
    const int yo = 20 + 9 * in.cy;
    for (int r : {0, 8})
    {
        EXPECT_RECT(ClientRect(window, mixer->InputStripForTesting(r).Window()), 4, 24 + r * in.cy, in.cx,
                    in.cy);
    }
    for (int k : {0, 12})
    {
        EXPECT_RECT(ClientRect(window, mixer->OutputStripForTesting(k).Window()),
                    in.cx + 4 + k * (out.cx + 4), yo, out.cx, out.cy);
        for (int r : {0, 8})
        {
            EXPECT_RECT(ClientRect(window, mixer->ConnectionForTesting(k, r).Window()),
                        in.cx + 4 + k * (block.cx + 4), 20 + r * block.cy, block.cx, block.cy);
        }
    }
    const int q = 13 * (out.cx + 4) / 8;
    const auto& headings = mixer->HeadingsForTesting();
    ASSERT_EQ(3u, headings.size());
    EXPECT_RECT(ClientRect(window, headings[0].Get()), 0, 0, in.cx, 20);
    EXPECT_RECT(ClientRect(window, headings[1].Get()), in.cx + 2, yo + out.cy, 4 * q - 2, 20);
    EXPECT_RECT(ClientRect(window, headings[2].Get()), in.cx + 4 * q + 2, yo + out.cy, 4 * q - 2, 20);
    EXPECT_EQ(L"Hardware Inputs", Text(headings[0].Get()));
    EXPECT_EQ(L"Hardware Outputs", Text(headings[1].Get()));
    EXPECT_EQ(L"Virtual Inputs", Text(headings[2].Get()));
    const SIZE client = ClientSize(window);
    EXPECT_EQ(in.cx + 13 * (out.cx + 4), client.cx);
    EXPECT_EQ(yo + out.cy + 20, client.cy);
    EXPECT_TRUE(mixer->IsPollingForTesting());
    EXPECT_TRUE(mixer->HoldsAuxiliaryHandlesForTesting());
    EXPECT_FALSE(SaveScreenshot(window, L"mixer_hardware_inputs").empty());
}

namespace
{
bool IsMixerRequest(uint32_t code)
{
    return code >= NORVIK_IOCTL_GET_INPUT_LEVELS && code <= NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS;
}

int MeterPosition(HWND strip, int meter)
{
    return static_cast<int>(SendMessageW(GetDlgItem(strip, meter), PBM_GETPOS, 0, 0));
}
} // namespace

// The software outputs mixer reads its pins, the weights and the volumes, in that order, then polls; its rows
// carry the playback channels, which the unit routes to the matching outputs.
TEST_F(MixerTest, SoftwareOutputsMixerReadsPinsWeightsAndVolumes)
{
    auto mixer = CreateMixer(false);
    const size_t handles = model_.HandleCount();
    Show(*mixer);
    std::vector<SimLogEntry> build;
    for (const SimLogEntry& entry : model_.RequestLog())
    {
        if (IsMixerRequest(entry.code) && entry.code != NORVIK_IOCTL_GET_OUTPUT_LEVELS &&
            entry.code != NORVIK_IOCTL_GET_INPUT_LEVELS)
        {
            build.push_back(entry);
        }
    }
    ASSERT_EQ(4u, build.size());
    EXPECT_EQ(NORVIK_IOCTL_GET_MIXER_PINS, build[0].code);
    EXPECT_EQ(NORVIK_PINS_MIXER_OUTPUTS, Sent<uint32_t>(build[0]));
    EXPECT_EQ(26u * sizeof(NorvikPin), build[0].outSize);
    EXPECT_EQ(NORVIK_PINS_SOFTWARE_OUTPUTS, Sent<uint32_t>(build[1]));
    EXPECT_EQ(18u * sizeof(NorvikPin), build[1].outSize);
    EXPECT_EQ(NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, build[2].code);
    EXPECT_EQ(468u * sizeof(NorvikWeightItem), build[2].inSize);
    EXPECT_EQ(NORVIK_IOCTL_GET_PIN_VOLUMES, build[3].code);
    EXPECT_EQ(26u * sizeof(NorvikVolumeItem), build[3].inSize);
    EXPECT_EQ(handles + 2, model_.HandleCount()) << "roles 3 and 4 while built";

    EXPECT_EQ(L"Software Outputs Mixer", Text(mixer->Hwnd()));
    EXPECT_EQ(L"Software Outputs", Text(mixer->HeadingsForTesting()[0].Get()));
    const struct
    {
        HWND strip;
        const wchar_t* label;
    } labels[] = {{mixer->InputStripForTesting(0).Window(), L"Out 1/2"},
                  {mixer->InputStripForTesting(8).Window(), L"SPDIF 1/2"},
                  {mixer->OutputStripForTesting(0).Window(), L"Analog Out 1/2"},
                  {mixer->OutputStripForTesting(8).Window(), L"SPDIF Out 1/2"},
                  {mixer->OutputStripForTesting(12).Window(), L"Virtual In 7/8"}};
    for (const auto& row : labels)
    {
        EXPECT_EQ(row.label, Text(GetDlgItem(row.strip, IDC_PAIR_LABEL)));
    }
    const wchar_t* const cells[] = {L"0", L"x", L"x", L"0"};
    for (int cell = 0; cell < 4; ++cell)
    {
        EXPECT_EQ(cells[cell], Text(GetDlgItem(mixer->ConnectionForTesting(0, 0).Window(),
                                               FormMixerConnection::kCellIds[cell])));
    }
    EXPECT_EQ(L"x", Text(GetDlgItem(mixer->ConnectionForTesting(1, 0).Window(), IDC_CELL_LEFT_TO_LEFT)));
    EXPECT_FALSE(SaveScreenshot(mixer->Hwnd(), L"mixer_software_outputs").empty());
}

// Other pin lists: a last unpaired input pin gets no row and no crosspoint; a single output pin gets no
// column but the bottom labels, which do not show; no pins at all leave only the message.
TEST_F(MixerTest, PinListsShapeTheWindow)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetMixerPins(Keys(), 26, 3, 3));
    auto mixer = CreateMixer(true);
    Show(*mixer);
    EXPECT_EQ(1u, mixer->InputStripCountForTesting());
    EXPECT_EQ(13u, mixer->ConnectionCountForTesting());
    ASSERT_EQ(52u, mixer->CrosspointCountForTesting());
    for (uint32_t i = 0; i < mixer->CrosspointCountForTesting(); ++i)
    {
        EXPECT_GT(2, mixer->CrosspointForTesting(i).input.channel) << "crosspoint " << i;
    }
    const SIZE in = WindowSize(mixer->InputStripForTesting(0).Window());
    EXPECT_EQ(20 + in.cy, ClientRect(mixer->Hwnd(), mixer->OutputStripForTesting(0).Window()).top);

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetMixerPins(Keys(), 1, 18, 18));
    mixer->RebuildIfVisible();
    EXPECT_EQ(9u, mixer->InputStripCountForTesting());
    EXPECT_EQ(0u, mixer->OutputStripCountForTesting());
    EXPECT_EQ(0u, mixer->ConnectionCountForTesting());
    ASSERT_EQ(3u, mixer->HeadingsForTesting().size());
    const int yo = 20 + 9 * in.cy;
    EXPECT_RECT(ClientRect(mixer->Hwnd(), mixer->HeadingsForTesting()[1].Get()), in.cx + 2, yo, 0, 20);
    EXPECT_EQ(in.cx, ClientSize(mixer->Hwnd()).cx);
    EXPECT_EQ(yo + 20, ClientSize(mixer->Hwnd()).cy);
    EXPECT_TRUE(mixer->IsPollingForTesting());

    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetMixerPins(Keys(), 0, 0, 0));
    const size_t handles = model_.HandleCount() - 2;
    mixer->RebuildIfVisible();
    ASSERT_NE(nullptr, mixer->MessageFormForTesting());
    EXPECT_EQ(L"No mixer pins.", Text(GetDlgItem(mixer->MessageFormForTesting()->Window(), IDC_STATIC_TEXT)));
    EXPECT_EQ(0u, mixer->InputStripCountForTesting() + mixer->HeadingsForTesting().size());
    EXPECT_FALSE(mixer->IsPollingForTesting());
    EXPECT_FALSE(mixer->HoldsAuxiliaryHandlesForTesting());
    EXPECT_EQ(handles, model_.HandleCount());
    const SIZE form = WindowSize(mixer->MessageFormForTesting()->Window());
    EXPECT_EQ(form.cx, ClientSize(mixer->Hwnd()).cx);
    EXPECT_EQ(form.cy, ClientSize(mixer->Hwnd()).cy);

    // One output pin and no input pair: the window keeps room for its caption and close box.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetMixerPins(Keys(), 1, 1, 1));
    mixer->RebuildIfVisible();
    EXPECT_LE(mixer_placement::kMinWindowWidth, WindowSize(mixer->Hwnd()).cx);

    // A failed pin request counts as no pins of that side.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetMixerPins(Keys(), 26, 18, 18));
    model_.InjectFault(NORVIK_IOCTL_GET_MIXER_PINS, NORVIK_STATUS_TIMEOUT);
    mixer->RebuildIfVisible();
    EXPECT_EQ(9u, mixer->InputStripCountForTesting());
    EXPECT_EQ(0u, mixer->OutputStripCountForTesting());
    EXPECT_EQ(20 + 9 * in.cy, ClientSize(mixer->Hwnd()).cy);
}

// Meters follow the levels at their edges; failed reads show the floor, "n/a" on the strips and in the cells,
// and the records keep what they held.
TEST_F(MixerTest, PollShowsLevelsAndFailedReadsShowNothingKnown)
{
    auto mixer = CreateMixer(true);
    Show(*mixer);
    HWND out = mixer->OutputStripForTesting(0).Window();
    HWND in = mixer->InputStripForTesting(0).Window();
    const struct
    {
        int16_t level;
        int position;
    } levels[] = {{-7000, 0}, {-6000, 0}, {-1000, 5000}, {0, 6000}, {300, 6000}};
    for (const auto& row : levels)
    {
        model_.SetLevelsMode(SimLevelsMode::Fixed, row.level);
        (void)SendMessageW(mixer->Hwnd(), WM_TIMER, FormMixer::kPollTimerId, 0);
        EXPECT_EQ(row.position, MeterPosition(out, IDC_METER_RIGHT)) << "level " << row.level;
        EXPECT_EQ(row.position, MeterPosition(in, IDC_METER_LEFT)) << "level " << row.level;
    }
    ClearLog();
    model_.SetLevelsMode(SimLevelsMode::Fixed, -1000);
    model_.InjectFault(NORVIK_IOCTL_GET_OUTPUT_LEVELS, NORVIK_STATUS_TIMEOUT);
    (void)SendMessageW(mixer->Hwnd(), WM_TIMER, FormMixer::kPollTimerId, 0);
    EXPECT_EQ(0, MeterPosition(out, IDC_METER_LEFT));
    EXPECT_EQ(5000, MeterPosition(in, IDC_METER_LEFT));
    EXPECT_EQ(1u, Requests(NORVIK_IOCTL_GET_OUTPUT_LEVELS).size());
    EXPECT_EQ(1u, Requests(NORVIK_IOCTL_GET_INPUT_LEVELS).size());

    model_.InjectFault(NORVIK_IOCTL_GET_PIN_VOLUMES, NORVIK_STATUS_TIMEOUT);
    mixer->ReloadVolumes();
    EXPECT_EQ(L"n/a", Text(GetDlgItem(out, IDC_VOLUME_TEXT_LEFT)));
    EXPECT_EQ(L"n/a", Text(GetDlgItem(out, IDC_VOLUME_TEXT_RIGHT)));
    EXPECT_EQ(0, SendMessageW(GetDlgItem(out, IDC_FADER_LEFT), TBM_GETPOS, 0, 0));
    // Those faders would read +6 dB: until a read succeeds nothing the strip offers sends.
    ClearLog();
    for (int id : {IDC_LINK, IDC_LINK, IDC_MUTE, IDC_ZERO_DB})
    {
        (void)SendMessageW(out, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    Scroll(out, GetDlgItem(out, IDC_FADER_LEFT), TB_THUMBTRACK, 1000);
    EXPECT_TRUE(Requests(NORVIK_IOCTL_SET_PIN_VOLUMES).empty());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(out, IDC_LINK)));
    mixer->ReloadVolumes();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(out, IDC_LINK)));

    model_.InjectFault(NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, NORVIK_STATUS_TIMEOUT);
    mixer->ReloadWeights();
    for (int id : FormMixerConnection::kCellIds)
    {
        EXPECT_EQ(L"n/a", Text(GetDlgItem(mixer->ConnectionForTesting(12, 8).Window(), id)));
    }
}

// Showing builds a hidden mixer only; 3050 rebuilds a visible one in place; closing hides and empties it, and
// the next show starts the strips afresh. A unit that is gone leaves the window titled and empty.
TEST_F(MixerTest, ShowRebuildCloseAndMissingUnit)
{
    auto mixer = CreateMixer(true);
    const size_t handles = model_.HandleCount();
    mixer->RebuildIfVisible();
    EXPECT_FALSE(IsWindowVisible(mixer->Hwnd()));
    EXPECT_TRUE(model_.RequestLog().empty()) << "3050 for a hidden mixer does nothing";

    Show(*mixer);
    EXPECT_EQ(0, GetWindowLongW(mixer->Hwnd(), GWL_STYLE) & WS_MINIMIZEBOX);
    // The full mixer is wider than the test desktop: its left edge stays on the work area.
    (void)SetWindowPos(mixer->Hwnd(), nullptr, 0, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Click(GetDlgItem(mixer->OutputStripForTesting(0).Window(), IDC_LINK));
    EXPECT_FALSE(mixer->OutputStripForTesting(0).IsLinked());
    ClearLog();
    mixer->ShowMixer();
    EXPECT_TRUE(Requests(NORVIK_IOCTL_GET_MIXER_PINS).empty()) << "a visible mixer is left as it is";
    EXPECT_FALSE(mixer->OutputStripForTesting(0).IsLinked());

    mixer->RebuildIfVisible();
    EXPECT_EQ(2u, Requests(NORVIK_IOCTL_GET_MIXER_PINS).size());
    EXPECT_TRUE(IsWindowVisible(mixer->Hwnd()));
    RECT rect{};
    (void)GetWindowRect(mixer->Hwnd(), &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(40, rect.top);
    EXPECT_TRUE(mixer->OutputStripForTesting(0).IsLinked());

    // Hidden by anything (here its owner's minimising), it stops polling; shown again, it polls again.
    (void)ShowWindow(mixer->Hwnd(), SW_HIDE);
    EXPECT_FALSE(mixer->IsPollingForTesting());
    (void)ShowWindow(mixer->Hwnd(), SW_SHOWNA);
    EXPECT_TRUE(mixer->IsPollingForTesting());

    Click(GetDlgItem(mixer->OutputStripForTesting(0).Window(), IDC_LINK));
    (void)SendMessageW(mixer->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(mixer->IsWindow());
    EXPECT_FALSE(IsWindowVisible(mixer->Hwnd()));
    EXPECT_EQ(0u, mixer->OutputStripCountForTesting() + mixer->InputStripCountForTesting());
    EXPECT_EQ(0u, mixer->ConnectionCountForTesting() + mixer->CrosspointCountForTesting());
    EXPECT_FALSE(mixer->IsPollingForTesting());
    EXPECT_EQ(handles, model_.HandleCount());
    Show(*mixer);
    EXPECT_TRUE(mixer->OutputStripForTesting(0).IsLinked());
    mixer.reset();
    EXPECT_EQ(handles, model_.HandleCount()) << "a destroyed mixer lets its handles go";

    auto orphan = CreateMixer(true, NorvikDeviceKeys{0xDEAD, 0xBEEF});
    ClearLog();
    Show(*orphan);
    EXPECT_EQ(L"Hardware Inputs Mixer", Text(orphan->Hwnd()));
    EXPECT_TRUE(IsWindowVisible(orphan->Hwnd()));
    EXPECT_EQ(nullptr, GetWindow(orphan->Hwnd(), GW_CHILD));
    EXPECT_TRUE(model_.RequestLog().empty());
}

TEST_F(MixerTest, TabMovesBetweenTheStripsControls)
{
    MessageLoop loop;
    AppModule::AddMessageLoop(&loop);
    auto mixer = CreateMixer(true);
    Show(*mixer);
    HWND fader = GetDlgItem(mixer->OutputStripForTesting(0).Window(), IDC_FADER_LEFT);
    (void)SetFocus(fader);
    MSG tab{fader, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(loop.PreTranslateMessage(tab));
    EXPECT_EQ(GetDlgItem(mixer->OutputStripForTesting(0).Window(), IDC_FADER_RIGHT), GetFocus());
    mixer.reset();
    MSG stray{Owner(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(loop.PreTranslateMessage(stray)) << "a destroyed mixer has left the loop";
    AppModule::RemoveMessageLoop();
}

namespace
{
int textsSet = 0;
LRESULT CALLBACK CountTextSets(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_SETTEXT)
    {
        ++textsSet;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadWindows()
{
    int count = 0;
    (void)EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}
} // namespace

// Reloads that find the values unchanged set no text (each text set repaints); open and close cycles leave no
// window behind (the strips' tooltips are pop-ups of the mixer, not children of the strips); two mixers open
// at different places.
TEST_F(MixerTest, ReloadsAndCyclesLeaveTheWindowsAsTheyWere)
{
    auto mixer = CreateMixer(true);
    auto other = CreateMixer(false);
    const int windows = ThreadWindows();
    Show(*mixer);
    Show(*other);
    RECT rects[2]{};
    (void)GetWindowRect(mixer->Hwnd(), &rects[0]);
    (void)GetWindowRect(other->Hwnd(), &rects[1]);
    EXPECT_NE(rects[0].top, rects[1].top);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &CountTextSets, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    textsSet = 0;
    mixer->ReloadWeights();
    mixer->ReloadVolumes();
    (void)UnhookWindowsHookEx(hook);
    EXPECT_EQ(0, textsSet);

    for (int cycle = 0; cycle < 10; ++cycle)
    {
        (void)SendMessageW(mixer->Hwnd(), WM_CLOSE, 0, 0);
        Show(*mixer);
    }
    (void)SendMessageW(mixer->Hwnd(), WM_CLOSE, 0, 0);
    (void)SendMessageW(other->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(windows, ThreadWindows());
}
