// End to end: a mixer window opened from the device page of a running control panel, with the simulator and
// the service as processes of their own. A fader and a crosspoint change the simulator's records; a volume
// turned at the unit moves the strip.
#include "resources/corvexcpl.h"
#include "tests/cpl/CplTestSupport.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace
{
std::wstring Text(HWND window)
{
    wchar_t text[64] = L"";
    GetWindowTextW(window, text, 64);
    return text;
}

// The simulator's record of one output pin's volume, or of one crosspoint, of unit CVX10001.
nlohmann::json MixerRecord(CplEndToEnd& session, const char* list, const char* field, const char* pin,
                           const char* input = nullptr)
{
    const std::string reply = session.Control("dump");
    const size_t start = reply.find('{');
    if (start == std::string::npos)
        return nlohmann::json::object();
    const nlohmann::json dump = nlohmann::json::parse(reply.substr(start), nullptr, false);
    if (!dump.is_object() || !dump.contains("units"))
        return nlohmann::json::object();
    for (const nlohmann::json& unit : dump["units"])
    {
        if (unit.value("serial", "") != "CVX10001" || !unit.contains("mixer") ||
            !unit["mixer"].contains(list))
            continue;
        for (const nlohmann::json& record : unit["mixer"][list])
        {
            if (record.value(field, "") == pin && (input == nullptr || record.value("input", "") == input))
                return record;
        }
    }
    return nlohmann::json::object();
}
} // namespace

TEST(E2eMixer, FaderAndCrosspointReachTheUnitAndAVolumeTurnedAtTheUnitMovesTheStrip)
{
    CplEndToEnd session(L"corvex-e2e-mixer");
    ASSERT_TRUE(session.StartDriverAndService());
    ASSERT_TRUE(session.StartControlPanel());
    const DWORD panel = session.ControlPanel().ProcessId();

    HWND mixer = OpenFirstUnitsMixer(session.MainWindow(), panel, true);
    ASSERT_NE(nullptr, mixer);

    // The first output strip (Analog Out 1/2), linked: a fader position of 1800 is -12.00 dB on both pins.
    HWND fader = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (fader = FindVisibleControl(mixer, IDC_FADER_LEFT)); }));
    SendMessageW(fader, TBM_SETPOS, TRUE, 1800);
    SendMessageW(GetParent(fader), WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 1800), LPARAM(fader));
    EXPECT_TRUE(
        PumpUntil([&] { return MixerRecord(session, "volumes", "pin", "0:0").value("volume", 0) == -1200; }));
    EXPECT_EQ(-1200, MixerRecord(session, "volumes", "pin", "0:1").value("volume", 0));

    // The top-left crossing's left-to-left cell opens the weight control; connecting sends 0 dB.
    HWND cell = FindVisibleControl(mixer, IDC_CELL_LEFT_TO_LEFT);
    ASSERT_NE(nullptr, cell);
    PostMessageW(GetParent(cell), WM_COMMAND, MAKEWPARAM(IDC_CELL_LEFT_TO_LEFT, STN_CLICKED), LPARAM(cell));
    HWND connect = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            HWND box = nullptr;
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w && !box;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr))
            {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == panel && GetDlgItem(w, IDC_WEIGHT_CONNECTED) != nullptr && IsWindowVisible(w))
                    box = w;
            }
            return (connect = box ? GetDlgItem(box, IDC_WEIGHT_CONNECTED) : nullptr) != nullptr;
        }));
    PostMessageW(connect, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil(
        [&]
        {
            const nlohmann::json weight = MixerRecord(session, "weights", "output", "0:0", "0:0");
            return weight.value("connected", false) && weight.value("weight", 1) == 0;
        }));
    SaveScreenshot(GetParent(connect), L"e2e-mixer-weight-control");
    PostMessageW(GetParent(connect), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(GetParent(connect)); }));
    EXPECT_TRUE(PumpUntil([&] { return Text(cell) == L"0"; }))
        << "cell: " << testing::PrintToString(Text(cell));

    // A volume turned at the unit (3051) reaches the strip's text.
    ASSERT_EQ(0u, session.Control("hwvolume CVX10001 0 0 -2000").rfind("ok", 0));
    HWND text = FindVisibleControl(mixer, IDC_VOLUME_TEXT_LEFT);
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(PumpUntil([&] { return Text(text) == L"-20"; }))
        << "text: " << testing::PrintToString(Text(text));
    SaveScreenshot(mixer, L"e2e-mixer-hardware-inputs");

    EXPECT_TRUE(session.StopControlPanel());
}
