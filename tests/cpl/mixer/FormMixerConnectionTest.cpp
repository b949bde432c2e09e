#include "tests/cpl/mixer/MixerTest.h"

#include "cpl/NorvikCplClient.h"
#include "cpl/mixer/FormWeightCtrl.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace
{
constexpr NorvikPin kAnalog1{NORVIK_PIN_ANALOG, 0, {}};
constexpr NorvikPin kAnalog2{NORVIK_PIN_ANALOG, 1, {}};

BOOL CALLBACK FindWeightControl(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && GetDlgItem(window, IDC_WEIGHT_FADER) != nullptr)
    {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs `use` on the weight control that the test thread shows modally, from a thread of its own, then closes
// it with its Close button.
std::thread OnWeightControl(std::function<void(HWND)> use)
{
    const DWORD ui = GetCurrentThreadId();
    return std::thread(
        [ui, use]
        {
            HWND dialog = nullptr;
            for (int tries = 0; tries < 1000 && dialog == nullptr; ++tries)
            {
                Sleep(10);
                (void)EnumThreadWindows(ui, &FindWeightControl, reinterpret_cast<LPARAM>(&dialog));
            }
            if (dialog != nullptr)
            {
                use(dialog);
                (void)SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            }
        });
}

class ConnectionTest : public MixerTest
{
  protected:
    // Sets a crosspoint at the unit, as another program would.
    void SetAtUnit(NorvikPin output, NorvikPin input, int16_t weight, bool connected)
    {
        NorvikWeightItem item{output, input, weight, static_cast<uint8_t>(connected ? 1 : 0), 0};
        ASSERT_EQ(NORVIK_STATUS_SUCCESS,
                  mainClient.FindDevice(Keys().key1, Keys().key2)->SetCrosspointWeights(&item, 1));
    }
    // The background the block gives a cell.
    static COLORREF CellColour(HWND block, HWND cell)
    {
        HDC dc = GetDC(cell);
        (void)SendMessageW(block, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(cell));
        const COLORREF colour = GetBkColor(dc);
        (void)ReleaseDC(cell, dc);
        return colour;
    }
    std::vector<NorvikWeightItem> SentWeights() const
    {
        std::vector<NorvikWeightItem> sent;
        for (const SimLogEntry& entry : Requests(NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS))
        {
            sent.push_back(Sent<NorvikWeightItem>(entry));
        }
        return sent;
    }
};
} // namespace

// The cells of a block are the crosspoints of its input pair (rows) with its output pair (columns): whole
// decibels on green while connected, "x" on white while not.
TEST_F(ConnectionTest, CellsShowTheirCrosspoints)
{
    SetAtUnit(kAnalog1, kAnalog1, -6000, true);
    SetAtUnit(kAnalog2, kAnalog1, 5, true);
    SetAtUnit(kAnalog1, kAnalog2, -650, true);
    SetAtUnit(kAnalog2, kAnalog2, 0, false);
    auto mixer = CreateMixer(true);
    Show(*mixer);
    HWND block = mixer->ConnectionForTesting(0, 0).Window();
    const struct
    {
        const wchar_t* text;
        COLORREF colour;
    } cells[] = {{L"-60", FormMixerConnection::kConnectedColour},
                 {L"0", FormMixerConnection::kConnectedColour},
                 {L"-6", FormMixerConnection::kConnectedColour},
                 {L"x", FormMixerConnection::kOpenColour}};
    for (int cell = 0; cell < 4; ++cell)
    {
        HWND control = GetDlgItem(block, FormMixerConnection::kCellIds[cell]);
        EXPECT_EQ(cells[cell].text, Text(control)) << "cell " << cell;
        EXPECT_EQ(cells[cell].colour, CellColour(block, control)) << "cell " << cell;
    }
}

// A click opens the weight control at the cell's corner; Escape leaves it open; connecting starts at 0 dB
// whatever the weight was; the cell shows the new state as soon as the control has closed.
TEST_F(ConnectionTest, ClickEditsTheCrosspoint)
{
    SetAtUnit(kAnalog2, kAnalog2, -650, false);
    auto mixer = CreateMixer(true);
    Show(*mixer);
    HWND block = mixer->ConnectionForTesting(0, 0).Window();
    HWND cell = GetDlgItem(block, IDC_CELL_RIGHT_TO_RIGHT);
    RECT cellRect{};
    (void)GetWindowRect(cell, &cellRect);

    RECT seenRect{};
    std::wstring seenText;
    std::atomic<bool> openAfterEscape{false};
    std::thread user = OnWeightControl(
        [&](HWND dialog)
        {
            (void)GetWindowRect(dialog, &seenRect);
            seenText = Text(GetDlgItem(dialog, IDC_WEIGHT_TEXT));
            (void)SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            openAfterEscape = IsWindowVisible(dialog) != FALSE;
            Click(GetDlgItem(dialog, IDC_WEIGHT_CONNECTED));
        });
    ClearLog();
    (void)SendMessageW(block, WM_COMMAND, MAKEWPARAM(IDC_CELL_RIGHT_TO_RIGHT, STN_CLICKED),
                       reinterpret_cast<LPARAM>(cell));
    user.join();
    EXPECT_EQ(L"-6.50", seenText);
    EXPECT_EQ(cellRect.left, seenRect.left);
    EXPECT_EQ(cellRect.top, seenRect.top);
    EXPECT_TRUE(openAfterEscape);
    const std::vector<NorvikWeightItem> sent = SentWeights();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(1, sent[0].output.channel);
    EXPECT_EQ(1, sent[0].input.channel);
    EXPECT_EQ(0, sent[0].weight);
    EXPECT_TRUE(sent[0].IsConnected());

    // A cell of the last column lies off the test desktop: the control opens on the work area all the same.
    RECT work{};
    (void)SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND last = mixer->ConnectionForTesting(12, 8).Window();
    RECT lastRect{};
    std::thread again = OnWeightControl([&](HWND dialog) { (void)GetWindowRect(dialog, &lastRect); });
    (void)SendMessageW(last, WM_COMMAND, MAKEWPARAM(IDC_CELL_LEFT_TO_LEFT, STN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(last, IDC_CELL_LEFT_TO_LEFT)));
    again.join();
    EXPECT_LE(lastRect.right, work.right);
    EXPECT_LE(lastRect.bottom, work.bottom);
    EXPECT_EQ(L"0", Text(cell));
    EXPECT_EQ(FormMixerConnection::kConnectedColour, CellColour(block, cell));
}

// The weight control on its own: the weight with two decimals, the fader's edges, and disconnecting, which
// keeps the weight on a disabled fader. Every change is sent at once.
TEST_F(ConnectionTest, WeightControlEditsTheRecord)
{
    NorvikWeightItem record{kAnalog1, kAnalog1, -650, 0, 0};
    FormWeightCtrl control(Keys().key1, Keys().key2, 40, 50, &record);
    ASSERT_NE(nullptr, control.Create(Owner()));
    HWND dialog = control.Window();
    HWND fader = GetDlgItem(dialog, IDC_WEIGHT_FADER);
    HWND box = GetDlgItem(dialog, IDC_WEIGHT_CONNECTED);
    HWND text = GetDlgItem(dialog, IDC_WEIGHT_TEXT);
    RECT rect{};
    (void)GetWindowRect(dialog, &rect);
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(50, rect.top);
    EXPECT_EQ(L"-6.50", Text(text));
    EXPECT_EQ(1250, SendMessageW(fader, TBM_GETPOS, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(fader));

    Click(box);
    EXPECT_TRUE(record.IsConnected());
    EXPECT_EQ(0, record.weight);
    EXPECT_EQ(L"0.00", Text(text));
    EXPECT_TRUE(IsWindowEnabled(fader));

    const struct
    {
        UINT code;
        int position;
        int16_t weight;
        const wchar_t* text;
    } moves[] = {{TB_TOP, 0, 600, L"6.00"},
                 {TB_BOTTOM, 6600, -6000, L"-60.00"},
                 {TB_THUMBTRACK, 601, -1, L"-0.01"},
                 {TB_LINEDOWN, 700, -100, L"-1.00"},
                 {TB_ENDTRACK, 650, -100, L"-1.00"}};
    for (const auto& row : moves)
    {
        ClearLog();
        Scroll(dialog, fader, row.code, row.position);
        EXPECT_EQ(row.weight, record.weight) << "code " << row.code;
        EXPECT_EQ(row.text, Text(text)) << "code " << row.code;
        EXPECT_EQ(row.code == TB_ENDTRACK ? 0u : 1u, SentWeights().size()) << "code " << row.code;
    }
    (void)SendMessageW(fader, TBM_SETPOS, TRUE, 700);
    EXPECT_FALSE(SaveScreenshot(dialog, L"mixer_weight_control").empty());

    ClearLog();
    Click(box);
    EXPECT_FALSE(record.IsConnected());
    EXPECT_EQ(-100, record.weight);
    EXPECT_FALSE(IsWindowEnabled(fader));
    EXPECT_EQ(700, SendMessageW(fader, TBM_GETPOS, 0, 0));
    ASSERT_EQ(1u, SentWeights().size());
    EXPECT_EQ(-100, SentWeights()[0].weight);
    EXPECT_FALSE(SentWeights()[0].IsConnected());
}
