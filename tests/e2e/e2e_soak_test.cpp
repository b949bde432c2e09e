// Soak: corvexsim, corvexsvc -console and corvexcpl, with both mixer windows of the first unit open (polling
// their levels), under plug/unplug cycles of the second unit with new keys each time, client requests through
// the service and notification bursts. Afterwards the panel's tree and status bar match the
// simulator, and each process holds about the handles, windows and private bytes it held after the warm-up
// (the panel also what the system's static controls it made keep, see StaticControlCost.h). CI runs
// a short round; tools/soak.sh sets CORVEX_SOAK_CYCLES and CORVEX_SOAK_REQUESTS for the full length.
#include "driverapi/NorvikValueTexts.h"
#include "driverapi/NorvikClient.h"
#include "resources/corvexcpl.h"
#include "tests/common/SimulatedDriver.h"
#include "tests/cpl/CplTestSupport.h"
#include "tests/e2e/ProcessFootprint.h"
#include "tests/e2e/StaticControlCost.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
constexpr int kWarmUpCycles = 5;
// Bounds for growth after the warm-up: a few handles and pages of slack, no leak per cycle.
constexpr uint32_t kHandleSlack = 16;
constexpr uint64_t kPrivateSlack = 2u << 20;

int Setting(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    const int value = text != nullptr ? std::atoi(text) : 0;
    return value > 0 ? value : fallback;
}

std::string Field(const std::string& dump, const char* name)
{
    const size_t at = dump.find(std::string("\"") + name + "\":");
    if (at == std::string::npos)
    {
        return std::string();
    }
    const size_t start = at + std::strlen(name) + 3;
    return dump.substr(start, dump.find_first_of(",}", start) - start);
}

class Soak : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.StartDriverAndService());
        ASSERT_TRUE(session.StartControlPanel());
        ASSERT_EQ(0u, client.OpenAsClient(NORVIK_DRIVER_NAME));
        treeItems = session.TreeItems();
        OpenMixers();
    }

    void TearDown() override { client.CloseAll(); }

    void OpenMixers()
    {
        for (int i = 0; i < 2; ++i)
        {
            mixers[i] = OpenFirstUnitsMixer(session.MainWindow(), session.ControlPanel().ProcessId(), i == 0);
            ASSERT_NE(nullptr, mixers[i]) << (i == 0 ? "hardware inputs" : "software outputs");
        }
    }

    bool MixersOpen() const { return IsWindowVisible(mixers[0]) && IsWindowVisible(mixers[1]); }

    // One cycle: the second unit leaves and comes back with new keys, a burst of notifications, and a share
    // of the client requests (a request for the current rate goes through the whole request path). Each
    // plug and unplug rebuilds the page tree, which closes the open mixers: they are opened again once the
    // tree is whole, so that they poll through the rest of the cycle.
    void Cycle(int requests)
    {
        ASSERT_EQ(0u, session.Control("unplug CVX10002").rfind("ok", 0));
        // Waiting here keeps the two rebuilds apart, so the reopened mixers are not closed by a late one.
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(mixers[0]) && !IsWindow(mixers[1]); }, 30000));
        // With its effect, as at start, so that the tree comes back to the same pages.
        const std::string plugged = session.Control("plug CVX10002 plugin");
        ASSERT_EQ(0u, plugged.rfind("ok", 0)) << plugged;
        EXPECT_NE(lastKeys, plugged) << "new keys at each plug";
        lastKeys = plugged;
        for (int i = 0; i < 10; ++i)
        {
            (void)session.Control("notify clients 3001");
        }
        (void)session.Control("notify server 3020");
        const uint32_t rate = std::stoul(Field(session.Control("dump"), "current"));
        for (int i = 0; i < requests; ++i)
        {
            const NorvikStatus status = client.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS);
            EXPECT_EQ(0u, status) << "request " << i;
            ++sent;
        }
        ASSERT_TRUE(PumpUntil([&] { return session.TreeItems() == treeItems; }, 30000));
        OpenMixers();
    }

    bool Footprints(ProcessFootprint (&now)[3])
    {
        return ReadFootprint(session.Simulator().Process(), &now[0]) &&
               ReadFootprint(session.Service().Process(), &now[1]) &&
               ReadFootprint(session.ControlPanel().Process(), &now[2]);
    }

    const std::wstring pipe = L"corvex-e2e-soak-" + std::to_wstring(GetCurrentProcessId());
    CplEndToEnd session{pipe};
    ScopedPipePort port{L"\\\\.\\pipe\\" + pipe};
    NorvikClient client;
    HWND mixers[2] = {nullptr, nullptr}; // in the control panel's process
    int treeItems = 0;
    int sent = 0;
    std::string lastKeys;
};
} // namespace

TEST_F(Soak, CyclesLeaveThePanelRightAndNothingGrows)
{
    const int cycles = Setting("CORVEX_SOAK_CYCLES", 10);
    const int requests = Setting("CORVEX_SOAK_REQUESTS", 300);
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < kWarmUpCycles && !HasFatalFailure(); ++i)
    {
        Cycle(1);
    }
    ASSERT_TRUE(PumpUntil([&] { return session.TreeItems() == treeItems; }, 30000));
    ProcessFootprint before[3];
    ASSERT_TRUE(Footprints(before));
    const StaticControlCounter statics(session.ControlPanel().ProcessId());
    ASSERT_TRUE(statics.IsCounting());

    for (int i = 0; i < cycles && !HasFatalFailure(); ++i)
    {
        Cycle(requests / cycles + (i < requests % cycles ? 1 : 0));
    }

    // The panel settles on what the simulator holds.
    const std::string dump = session.Control("dump");
    const std::wstring rate = L"Current sampling rate: " + SampleRateText(std::stoul(Field(dump, "current")));
    EXPECT_TRUE(PumpUntil([&] { return session.TreeItems() == treeItems; }, 30000)) << session.TreeItems();
    EXPECT_TRUE(PumpUntil([&] { return session.StatusText(1) == L"Streaming state: Ready"; }, 30000))
        << testing::PrintToString(session.StatusText(1));
    EXPECT_EQ(rate, session.StatusText(2));
    EXPECT_TRUE(MixersOpen());

    ProcessFootprint after[3];
    ASSERT_TRUE(Footprints(after));
    const uint64_t staticCost =
        MeasureStaticControlCost(BuildProgramPath(L"cpl\\corvexcpl.exe"), IDD_MIXER_CONNECTION);
    // An eighth more: in the panel the blocks left behind lie among its other allocations and pin a little
    // more of the heap than in the quiet measuring process.
    const uint64_t staticAllowance = uint64_t{statics.Count()} * staticCost * 9 / 8;
    std::printf(
        "soak corvexcpl: %u static controls made, %llu bytes each kept by the system: %llu KiB allowed\n",
        statics.Count(), staticCost, staticAllowance >> 10);
    const char* names[] = {"corvexsim", "corvexsvc", "corvexcpl"};
    for (int p = 0; p < 3; ++p)
    {
        const uint64_t allowed = kPrivateSlack + (p == 2 ? staticAllowance : 0);
        std::printf("soak %s: handles %u -> %u, windows %u -> %u, private bytes %llu -> %llu KiB\n", names[p],
                    before[p].handles, after[p].handles, before[p].windows, after[p].windows,
                    before[p].privateBytes >> 10, after[p].privateBytes >> 10);
        EXPECT_LE(after[p].handles, before[p].handles + kHandleSlack) << names[p];
        EXPECT_EQ(before[p].windows, after[p].windows) << names[p];
        EXPECT_LE(after[p].privateBytes, before[p].privateBytes + allowed) << names[p];
    }
    std::printf("soak: %d cycles, %d client requests, %d notifications in %llu s\n", cycles + kWarmUpCycles,
                sent, (cycles + kWarmUpCycles) * 11, (GetTickCount64() - start) / 1000);
}
