#include "tests/cpl/mixer/MixerBench.h"

#include "cpl/NorvikCplClient.h"
#include "cpl/framework/UiHandles.h"
#include "cpl/mixer/FormMixer.h"
#include "driverapi/DriverPort.h"
#include "driverapi/PipeDriverPort.h"
#include "resources/corvexcpl.h"
#include "tests/cpl/BenchReport.h"
#include "tests/cpl/CplTestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Every C++ allocation of this program is counted; the polls of a mixer built here must add none.
namespace
{
std::atomic<size_t> allocations{0};
} // namespace

void* operator new(size_t size)
{
    ++allocations;
    void* memory = std::malloc(size != 0 ? size : 1);
    if (memory == nullptr)
    {
        std::abort();
    }
    return memory;
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}

namespace
{
constexpr DWORD kOpenSeconds = 10;
constexpr int kWindows = 4;
constexpr uint32_t kOutputPins = 26;
constexpr uint32_t kInputPins = 18;

double Ms(const FILETIME& kernel, const FILETIME& user)
{
    const auto ticks = [](const FILETIME& time)
    { return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime); };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

double ThreadCpuMs()
{
    FILETIME created, ended, kernel, user;
    return GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user) ? Ms(kernel, user) : 0.0;
}

struct Controls
{
    int id;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectControls(HWND window, LPARAM data)
{
    auto* controls = reinterpret_cast<Controls*>(data);
    if (GetDlgCtrlID(window) == controls->id)
    {
        controls->found.push_back(window);
    }
    return TRUE;
}

// The mixer buttons of every device page, unit by unit.
std::vector<HWND> MixerButtons(HWND mainWindow, int id)
{
    Controls controls{id, {}};
    EnumChildWindows(mainWindow, &CollectControls, reinterpret_cast<LPARAM>(&controls));
    return controls.found;
}

void Press(HWND button)
{
    (void)SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
}

BOOL CALLBACK CloseVisibleMixers(HWND window, LPARAM process)
{
    DWORD owner = 0;
    wchar_t title[64] = L"";
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process) && IsWindowVisible(window) &&
        GetWindowTextW(window, title, 64) > 0 && wcsstr(title, L" Mixer") != nullptr)
    {
        (void)SendMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

void CloseMixers(CplEndToEnd& session)
{
    EnumWindows(&CloseVisibleMixers, static_cast<LPARAM>(session.ControlPanel().ProcessId()));
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
    {
        ++count;
    }
    return count;
}

// Level polls per second per window, from the simulator's request log over two seconds.
double PollsPerWindow(CplEndToEnd& session)
{
    (void)session.Control("log clear");
    const double start = NowMs();
    (void)PumpUntil([] { return false; }, 2000);
    const std::string log = session.Control("log");
    return static_cast<double>(Count(log, "\"GET_OUTPUT_LEVELS\"")) / kWindows / ((NowMs() - start) / 1000.0);
}

// From the click to the first level poll, which the window's timer sends only once every strip and cell has
// painted (timer messages come after paint messages).
void ButtonToFullWindow(CplEndToEnd& session)
{
    std::vector<double> samples;
    const std::vector<HWND> buttons = MixerButtons(session.MainWindow(), IDC_HARDWARE_MIXER);
    for (int run = 0; run < 5 && !buttons.empty(); ++run)
    {
        (void)session.Control("log clear");
        const double start = NowMs();
        Press(buttons[0]);
        if (PumpUntil([&session]
                      { return session.Control("log").find("\"GET_OUTPUT_LEVELS\"") != std::string::npos; },
                      30000, 1))
        {
            samples.push_back(NowMs() - start);
        }
        CloseMixers(session);
    }
    Report("cpl_mixer_button_to_full_window", samples);
}

void OpenAll(CplEndToEnd& session)
{
    for (int id : {IDC_HARDWARE_MIXER, IDC_SOFTWARE_MIXER})
    {
        for (HWND button : MixerButtons(session.MainWindow(), id))
        {
            Press(button);
        }
    }
    (void)PumpUntil([] { return false; }, 1000); // their first paints
}

// The same level requests as kWindows mixers at `pollsPerSecond`, through the same pipe, without windows:
// this thread's CPU milliseconds per wall second.
double FloorCpuPerSecond(double pollsPerSecond)
{
    NorvikLevelItem outputs[kOutputPins] = {};
    NorvikLevelItem inputs[kInputPins] = {};
    for (uint32_t i = 0; i < kOutputPins; ++i)
    {
        outputs[i].pin = NorvikPin{static_cast<uint8_t>(i < 16   ? 0
                                                        : i < 18 ? 1
                                                                 : 5),
                                   static_cast<uint8_t>(i < 16   ? i
                                                        : i < 18 ? i - 16
                                                                 : i - 18),
                                   {}};
    }
    for (uint32_t i = 0; i < kInputPins; ++i)
    {
        inputs[i].pin = NorvikPin{static_cast<uint8_t>(i < 16 ? 0 : 1), static_cast<uint8_t>(i % 16), {}};
    }
    const double period = 1000.0 / pollsPerSecond;
    const double cpu = ThreadCpuMs();
    const double start = NowMs();
    for (double next = start + period; next < start + kOpenSeconds * 1000.0; next += period)
    {
        for (int window = 0; window < kWindows; ++window)
        {
            NorvikDevice* device = mainClient.DeviceAt(static_cast<size_t>(window / 2));
            (void)device->GetOutputLevels(outputs, kOutputPins);
            (void)device->GetInputLevels(inputs, kInputPins);
        }
        const double wait = next - NowMs();
        if (wait > 0)
        {
            Sleep(static_cast<DWORD>(wait));
        }
    }
    return (ThreadCpuMs() - cpu) / ((NowMs() - start) / 1000.0);
}

// What one 3052 costs with both mixers of a unit open: both read the weights and show them. When every cell's
// text changes (as each 3052 cost before texts were set only on a change) and when none does (the usual
// case).
void NotificationWithBothMixers(FormMixer& hardware, FormMixer& software)
{
    hardware.ShowMixer();
    software.ShowMixer();
    for (const bool changed : {true, false})
    {
        std::vector<double> samples;
        for (int run = 0; run < 15; ++run)
        {
            for (FormMixer* mixer : {&software, &hardware})
            {
                const size_t rows = mixer->InputStripCountForTesting();
                for (size_t cell = 0; changed && cell < mixer->ConnectionCountForTesting(); ++cell)
                {
                    mixer->ConnectionForTesting(cell / rows, cell % rows).ClearWeights();
                }
            }
            PumpMessages();
            const double start = NowMs();
            software.ReloadWeights();
            hardware.ReloadWeights();
            PumpMessages(); // their repaints
            samples.push_back(NowMs() - start);
        }
        Report(changed ? "cpl_mixer_3052_both_mixers_all_texts_changed"
                       : "cpl_mixer_3052_both_mixers_unchanged",
               samples);
    }
    (void)SendMessageW(hardware.Hwnd(), WM_CLOSE, 0, 0);
    (void)SendMessageW(software.Hwnd(), WM_CLOSE, 0, 0);
}

// Polls per second of one shown mixer, beside the floor: a bare window with as many progress bars of the
// same size, moved at every tick of a timer of the same period, in the same run.
void OneMixerBesideTheFloor(CplEndToEnd& session, FormMixer& mixer)
{
    (void)session.Control("levels moving");
    mixer.ShowMixer();
    (void)PumpUntil([] { return false; }, 500);
    (void)session.Control("log clear");
    double start = NowMs();
    (void)PumpUntil([] { return false; }, 3000);
    const double polls = static_cast<double>(Count(session.Control("log"), "\"GET_OUTPUT_LEVELS\"")) /
                         ((NowMs() - start) / 1000.0);
    (void)SendMessageW(mixer.Hwnd(), WM_CLOSE, 0, 0);

    UniqueWindow floor(CreateWindowExW(0, L"STATIC", L"floor", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 1700,
                                       700, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    std::vector<HWND> meters;
    for (uint32_t i = 0; i < kOutputPins + kInputPins; ++i)
    {
        const bool output = i < kOutputPins;
        meters.push_back(CreateWindowExW(
            0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | (output ? PBS_VERTICAL : 0),
            output ? 250 + static_cast<int>(i) * 55 : 120,
            output ? 400 : 30 + static_cast<int>(i - kOutputPins) * 20, output ? 9 : 99, output ? 135 : 11,
            floor.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
        (void)SendMessageW(meters.back(), PBM_SETRANGE32, 0, 6000);
    }
    const UINT_PTR timer = SetTimer(nullptr, 0, FormMixer::kPollPeriodMs, nullptr);
    int ticks = 0;
    start = NowMs();
    MSG message;
    while (NowMs() - start < 3000 && GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        if (message.message == WM_TIMER && message.wParam == timer)
        {
            ++ticks;
            for (size_t i = 0; i < meters.size(); ++i)
            {
                (void)SendMessageW(meters[i], PBM_SETPOS, static_cast<WPARAM>((ticks * 37 + i * 101) % 6000),
                                   0);
            }
            continue;
        }
        (void)TranslateMessage(&message);
        (void)DispatchMessageW(&message);
    }
    (void)KillTimer(nullptr, timer);
    const double floorPolls = ticks / ((NowMs() - start) / 1000.0);
    std::printf("cpl_mixer_one_window_polls_per_second value=%.1f floor=%.1f ratio=%.2f target=50\n", polls,
                floorPolls, floorPolls > 0 ? polls / floorPolls : 0.0);
}

// Both mixers of both units built in this process on the same pipe: CPU time beside the floor, and heap
// allocations per poll. (Another process's CPU time is not reliable under Wine, so the panel's code runs
// here.)
void InProcess(CplEndToEnd& session, const std::wstring& pipeName)
{
    INITCOMMONCONTROLSEX classes{sizeof(classes),
                                 ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&classes);
    PipeDriverPort port(L"\\\\.\\pipe\\" + pipeName);
    SetDriverPortForTesting(&port);
    bool changed = false;
    if (mainClient.OpenAsClient(NORVIK_DRIVER_NAME) == NORVIK_STATUS_SUCCESS &&
        mainClient.UpdateDeviceList(&changed) == NORVIK_STATUS_SUCCESS && mainClient.DeviceCount() >= 2)
    {
        std::vector<UniqueDialog<FormMixer>> mixers;
        for (int window = 0; window < kWindows; ++window)
        {
            const NorvikDevice* unit = mainClient.DeviceAt(static_cast<size_t>(window / 2));
            mixers.push_back(MakeDialog<FormMixer>(unit->Key1(), unit->Key2(), window % 2 == 0));
            (void)mixers.back()->Create(nullptr);
            mixers.back()->ShowMixer();
        }
        (void)PumpUntil([] { return false; }, 1000);
        // Moving meters repaint at every poll; still ones (levels at the floor) do not.
        for (const char* levels : {"moving", "off"})
        {
            (void)session.Control(std::string("levels ") + levels);
            (void)PumpUntil([] { return false; }, 200);
            const double cpu = ThreadCpuMs();
            const double start = NowMs();
            const double polls = PollsPerWindow(session);
            (void)PumpUntil([] { return false; }, (kOpenSeconds - 2) * 1000);
            const double panel = (ThreadCpuMs() - cpu) / ((NowMs() - start) / 1000.0);
            for (const auto& mixer : mixers)
            {
                (void)ShowWindow(mixer->Hwnd(), SW_HIDE); // hidden mixers do not poll
            }
            const double floor = FloorCpuPerSecond(polls > 0 ? polls : 50);
            for (const auto& mixer : mixers)
            {
                (void)ShowWindow(mixer->Hwnd(), SW_SHOW);
            }
            std::printf("cpl_mixer_cpu_ms_per_second levels=%s panel=%.1f floor=%.1f ratio=%.2f "
                        "polls_per_window=%.1f target_ratio=1.3\n",
                        levels, panel, floor, floor > 0 ? panel / floor : 0.0, polls);
        }
        (void)session.Control("levels moving");
        for (const auto& mixer : mixers)
        {
            (void)SendMessageW(mixer->Hwnd(), WM_CLOSE, 0, 0);
        }

        NotificationWithBothMixers(*mixers[0], *mixers[1]);
        OneMixerBesideTheFloor(session, *mixers.front());

        FormMixer& mixer = *mixers.front();
        mixer.ShowMixer();
        constexpr int kPolls = 200;
        for (int warmUp = 0; warmUp < 5; ++warmUp)
        {
            (void)SendMessageW(mixer.Hwnd(), WM_TIMER, FormMixer::kPollTimerId, 0);
        }
        const size_t before = allocations;
        for (int poll = 0; poll < kPolls; ++poll)
        {
            (void)SendMessageW(mixer.Hwnd(), WM_TIMER, FormMixer::kPollTimerId, 0);
        }
        std::printf("cpl_mixer_allocations_per_poll value=%.2f polls=%d target=0\n",
                    static_cast<double>(allocations - before) / kPolls, kPolls);
    }
    mainClient.CloseAll();
    (void)mainClient.UpdateDeviceList(&changed);
    SetDriverPortForTesting(nullptr);
}
} // namespace

void RunMixerBench(CplEndToEnd& session, const std::wstring& pipeName)
{
    ButtonToFullWindow(session);
    OpenAll(session);
    std::printf("cpl_mixer_polls_per_second_per_window value=%.1f windows=%d target=50\n",
                PollsPerWindow(session), kWindows);
    CloseMixers(session);
    InProcess(session, pipeName);
}
