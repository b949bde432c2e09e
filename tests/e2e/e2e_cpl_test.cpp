// End to end: the driver simulator, the service in console mode and the control panel, each a process of
// its own. A rate chosen on the Sample Rate page reaches the simulator through the service, and the control
// panel shows the new rate.
#include "tests/cpl/CplTestSupport.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <gtest/gtest.h>

namespace
{
// The text of a message box that the control panel shows; closes it.
std::wstring TakeMessageBox(DWORD processId)
{
    HWND box = nullptr;
    if (!PumpUntil(
            [&]
            { return (box = FindProcessWindow(L"#32770", processId)) != nullptr && IsWindowVisible(box); }))
    {
        return L"(no message box)";
    }
    wchar_t text[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return text;
}
} // namespace

TEST(E2eCpl, ApplyOnTheSampleRatePageChangesTheSimulatorsRate)
{
    CplEndToEnd session(L"corvex-e2e-cpl");
    ASSERT_TRUE(session.StartDriverAndService());
    ASSERT_TRUE(session.StartControlPanel());
    EXPECT_TRUE(PumpUntil([&] { return session.StatusText(2) == L"Current sampling rate: 48.000 kHz"; }))
        << "status: " << testing::PrintToString(session.StatusText(2));

    ASSERT_TRUE(session.SelectRate(L"96.000 kHz"));
    session.PressApply();
    EXPECT_TRUE(
        PumpUntil([&] { return session.Control("dump").find("\"current\":96000") != std::string::npos; }));
    EXPECT_TRUE(PumpUntil([&] { return session.StatusText(2) == L"Current sampling rate: 96.000 kHz"; }))
        << "status: " << testing::PrintToString(session.StatusText(2));
    EXPECT_EQ(L"Streaming state: Ready", session.StatusText(1));
    SaveScreenshot(session.MainWindow(), L"e2e-sample-rate-applied");

    // While a program streams, the service refuses and the control panel says so.
    ASSERT_EQ(0u, session.Control("client start 4").rfind("ok", 0));
    ASSERT_TRUE(session.SelectRate(L"44.100 kHz"));
    session.PressApply();
    EXPECT_EQ(L"Changing the sample rate failed. (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).",
              TakeMessageBox(session.ControlPanel().ProcessId()));
    EXPECT_NE(std::string::npos, session.Control("dump").find("\"current\":96000"));

    EXPECT_TRUE(session.StopControlPanel());
    EXPECT_EQ(1u, session.ControlPanel().ExitCode());
}
