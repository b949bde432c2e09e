// Figures of the control panel, end to end with corvexsim.exe and corvexsvc.exe -console: the time from
// starting corvexcpl.exe until its window shows the filled page tree, and the Apply round trip of the Sample
// Rate page until the status bar shows the new rate, and the mixer windows' figures. One line per figure.
#include "tests/cpl/BenchReport.h"
#include "tests/cpl/CplTestSupport.h"
#include "tests/cpl/mixer/MixerBench.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <windows.h>

#include <cstdio>
#include <vector>

int wmain()
{
    constexpr int kRuns = 7;
    constexpr DWORD kPollMs = 1;
    const std::wstring pipeName = L"corvex-bench-cpl";
    CplEndToEnd session(pipeName);
    if (!session.StartDriverAndService())
    {
        std::printf("cpl_bench: the simulator or the service did not start\n");
        return 1;
    }

    std::vector<double> startup;
    for (int run = 0; run < kRuns; ++run)
    {
        const double start = NowMs();
        if (session.StartControlPanel(L"-notray", kPollMs))
        {
            startup.push_back(NowMs() - start);
        }
        session.StopControlPanel();
    }
    Report("cpl_start_to_filled_tree", startup);

    std::vector<double> apply;
    if (session.StartControlPanel(L"-notray", kPollMs))
    {
        const wchar_t* rates[] = {L"96.000 kHz", L"48.000 kHz"};
        for (int run = 0; run < kRuns; ++run)
        {
            const wchar_t* rate = rates[run % 2];
            const std::wstring expected = std::wstring(L"Current sampling rate: ") + rate;
            if (!session.SelectRate(rate))
            {
                break;
            }
            const double start = NowMs();
            session.PressApply();
            if (PumpUntil([&] { return session.StatusText(2) == expected; }, 30000, kPollMs))
            {
                apply.push_back(NowMs() - start);
            }
        }
        session.StopControlPanel();
    }
    Report("cpl_apply_rate_to_status_bar", apply);

    if (session.StartControlPanel(L"-notray", kPollMs))
    {
        RunMixerBench(session, pipeName);
        session.StopControlPanel();
    }
    return 0;
}
