// Recovery: the driver simulator killed and restarted, the service killed and restarted, and the driver
// absent while both programs start. The service and the control panel must come back without being restarted;
// each case prints how long they took (figures, never asserted). CORVEX_RECOVERY_ROUNDS repeats each case
// (tools/recovery.sh); CI runs one round.
#include "tests/cpl/CplTestSupport.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr DWORD kComeBackMs = 30000;
// How long a rate change from the panel may take before the choice is made again.
constexpr DWORD kRetryMs = 3000;

int Rounds()
{
    const char* text = std::getenv("CORVEX_RECOVERY_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : 1;
    return rounds < 1 ? 1 : (rounds > 100 ? 100 : rounds);
}

class Recovery : public testing::Test
{
  protected:
    // As the simulator starts them: the second unit carries the effect (a page of its own in the tree).
    bool PlugBoth()
    {
        return session.Control("plug CVX10001").rfind("ok", 0) == 0 &&
               session.Control("plug CVX10002 plugin").rfind("ok", 0) == 0;
    }

    // The service serves again once it holds the role and has given both units their channel names.
    bool ServiceBack()
    {
        const std::string dump = session.Control("dump");
        size_t named = 0;
        for (size_t at = dump.find("\"channelNames\":{"); at != std::string::npos;
             at = dump.find("\"channelNames\":{", at + 1))
        {
            ++named;
        }
        return dump.find("\"role\":0") != std::string::npos && named == 2;
    }

    // The panel is back when its tree lists the units again (as many items as before, or any when
    // treeItems is 0) and the status bar follows the driver.
    bool PanelBack(int treeItems)
    {
        const int items = session.TreeItems();
        return items > 0 && (treeItems == 0 || items == treeItems) &&
               session.StatusText(1) == L"Streaming state: Ready";
    }

    // A rate chosen in the panel reaches the driver through the service, and the panel shows it once the
    // reply is in: both ends really talk again. (Killing the driver before that reply leaves the panel
    // waiting out its request time-out, deaf to the arrivals meanwhile.)
    bool PanelRequestWorks()
    {
        const bool at96 = session.Control("dump").find("\"current\":96000") != std::string::npos;
        const char* wanted = at96 ? "\"current\":44100" : "\"current\":96000";
        const wchar_t* shown =
            at96 ? L"Current sampling rate: 44.100 kHz" : L"Current sampling rate: 96.000 kHz";
        // A restarted service announces its start-up (3010, 3030) a moment after it serves, and the panel's
        // refresh of the Sample Rate page puts the list back to the current rate: a choice made just before
        // that is gone and Apply sends the current rate. The choice is then made again.
        bool changed = false;
        for (int attempt = 0; attempt < 3 && !changed; ++attempt)
        {
            if (!session.SelectRate(at96 ? L"44.100 kHz" : L"96.000 kHz"))
            {
                return false;
            }
            session.PressApply();
            changed = PumpUntil([&] { return session.Control("dump").find(wanted) != std::string::npos; },
                                attempt < 2 ? kRetryMs : kComeBackMs);
        }
        return changed && PumpUntil([&] { return session.StatusText(2) == shown; }, kComeBackMs);
    }

    // Waits for the service, then the panel, then a request from the panel; prints the times from `start`.
    void Measure(const char* caseName, int round, ULONGLONG start, int treeItems)
    {
        ASSERT_TRUE(PumpUntil([&] { return ServiceBack(); }, kComeBackMs)) << caseName << ": service";
        const ULONGLONG service = GetTickCount64() - start;
        ASSERT_TRUE(PumpUntil([&] { return PanelBack(treeItems); }, kComeBackMs))
            << caseName << ": panel tree " << session.TreeItems() << ", "
            << testing::PrintToString(session.StatusText(1));
        const ULONGLONG panel = GetTickCount64() - start;
        EXPECT_TRUE(PanelRequestWorks()) << caseName << ": a rate change from the panel";
        const ULONGLONG request = GetTickCount64() - start;
        std::printf(
            "recovery %s round %d: service %llu ms, panel %llu ms, first panel request done %llu ms\n",
            caseName, round, service, panel, request);
        std::fflush(stdout);
    }

    const std::wstring pipe = L"corvex-e2e-recovery-" + std::to_wstring(GetCurrentProcessId());
    CplEndToEnd session{pipe};
};
} // namespace

TEST_F(Recovery, SimulatorKilledAndRestarted)
{
    ASSERT_TRUE(session.StartDriverAndService());
    ASSERT_TRUE(session.StartControlPanel());
    ASSERT_TRUE(PumpUntil([&] { return ServiceBack(); }, kComeBackMs));
    const int treeItems = session.TreeItems();
    for (int round = 1; round <= Rounds() && !HasFatalFailure(); ++round)
    {
        session.KillSimulator();
        // A restarted driver starts without units; Windows announces each one as it comes.
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(session.StartSimulator(L"-units 0"));
        ASSERT_TRUE(PlugBoth());
        Measure("simulator-restart", round, start, treeItems);
    }
}

TEST_F(Recovery, ServiceKilledAndRestarted)
{
    ASSERT_TRUE(session.StartDriverAndService());
    ASSERT_TRUE(session.StartControlPanel());
    ASSERT_TRUE(PumpUntil([&] { return ServiceBack(); }, kComeBackMs));
    const int treeItems = session.TreeItems();
    for (int round = 1; round <= Rounds() && !HasFatalFailure(); ++round)
    {
        session.KillService();
        ASSERT_TRUE(PumpUntil([&] { return !session.HasServer(); }, kComeBackMs));
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(session.StartService());
        Measure("service-restart", round, start, treeItems);
    }
}

TEST_F(Recovery, DriverAbsentAtStart)
{
    for (int round = 1; round <= Rounds() && !HasFatalFailure(); ++round)
    {
        ASSERT_TRUE(session.StartService());
        ASSERT_TRUE(session.StartControlPanel(L"-notray", 20, false));
        EXPECT_TRUE(PumpUntil([&] { return session.StatusText(1) == L"Driver not available."; }))
            << testing::PrintToString(session.StatusText(1));
        EXPECT_EQ(0, session.TreeItems());

        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(session.StartSimulator(L"-units 0"));
        ASSERT_TRUE(PlugBoth());
        Measure("driver-absent", round, start, 0);
        ASSERT_TRUE(session.StopControlPanel());
        session.KillService();
        session.KillSimulator();
    }
}
