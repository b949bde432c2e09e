// Round-trip figures of the driver interface: one line per measurement, median and p90 in microseconds.
// Output format (stable, scripts read it):  <name> median_us=<x> p90_us=<y> runs=<n>
#include "driverapi/DriverPort.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikReply.h"
#include "driverapi/NorvikDriver.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/PipeDriverPort.h"
#include "simulator/DriverModel.h"
#include "simulator/InProcessPort.h"
#include "wn/WnEvent.h"
#include "tests/service/ChildProcess.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

namespace
{
double NowMicroseconds()
{
    static LARGE_INTEGER frequency = []
    {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Prints the figures and returns the median (0 when the measurement failed).
double Report(const char* name, std::vector<double> samples)
{
    if (samples.empty())
    {
        std::printf("%s failed\n", name);
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p90 = samples[samples.size() * 9 / 10];
    std::printf("%s median_us=%.1f p90_us=%.1f runs=%u\n", name, median, p90,
                static_cast<unsigned>(samples.size()));
    return median;
}

template <typename Operation> std::vector<double> Measure(int runs, Operation operation)
{
    std::vector<double> samples;
    samples.reserve(runs);
    for (int i = 0; i < runs; ++i)
    {
        const double start = NowMicroseconds();
        if (!operation())
            return {};
        samples.push_back(NowMicroseconds() - start);
    }
    return samples;
}

// A server handle that answers every request at once: the smallest possible service.
class ScriptedServer
{
  public:
    NorvikStatus Start()
    {
        NorvikStatus status = server_.OpenWithEvents(NORVIK_DRIVER_NAME, true, true);
        if (status == 0)
            status = server_.SetRole(NORVIK_ROLE_SERVER);
        if (status == 0)
            status = stop_.Create(true);
        if (status == 0)
            thread_ = std::thread([this] { Serve(); });
        return status;
    }

    void Stop()
    {
        (void)stop_.Set();
        if (thread_.joinable())
            thread_.join();
        server_.CloseAll();
    }

  private:
    void Serve()
    {
        const HANDLE events[] = {stop_.Get(), server_.MessageEvent()};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        {
            NorvikMessage request;
            for (;;)
            {
                request.type = 0;
                request.code = 0;
                if (server_.ReceiveMsg(&request) != 0)
                    break;
                (void)server_.SendMsg(ReplyTo(request, NORVIK_STATUS_SUCCESS));
            }
        }
    }

    NorvikDriver server_;
    WnEvent stop_;
    std::thread thread_;
};
// The same through real processes: corvexsim.exe on a pipe, then corvexsvc.exe -console in front of it.
bool MeasureProcesses()
{
    const std::wstring pipe = L"corvex-bench-" + std::to_wstring(GetCurrentProcessId());
    BackgroundChild simulator;
    if (!simulator.Start(BuildProgram(L"simulator\\corvexsim.exe"), L"-pipe " + pipe + L" -units 2"))
    {
        std::fprintf(stderr, "cannot start corvexsim.exe\n");
        return false;
    }
    PipeDriverPort port(L"\\\\.\\pipe\\" + pipe);
    SetDriverPortForTesting(&port);
    NorvikDriver auxiliary;
    for (int i = 0; i < 500 && auxiliary.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY) != 0; ++i)
        Sleep(20);
    const double pipeMedian =
        Report("pipe_get_streaming_status", Measure(500,
                                                    [&]
                                                    {
                                                        NorvikStreamingStatus status{};
                                                        return auxiliary.GetStreamingStatus(&status) == 0;
                                                    }));

    BackgroundChild service;
    bool ok =
        service.Start(BuildProgram(L"service\\corvexsvc.exe"), L"-console", L"CORVEX_DRIVER=pipe:" + pipe);
    NorvikClient client;
    NorvikStreamingStatus status{};
    ok = ok && client.OpenAsClient(NORVIK_DRIVER_NAME) == 0 && auxiliary.GetStreamingStatus(&status) == 0;
    // The service is ready once it answers; a no-op rate change is the cheapest full exchange.
    NorvikStatus answer = NORVIK_STATUS_NO_SERVER;
    for (int i = 0; ok && i < 300 && answer != 0; ++i)
    {
        answer = client.SetSampleRate(status.sampleRate, 1000);
        if (answer != 0)
            Sleep(50);
    }
    double serviceMedian = 0;
    if (ok && answer == 0)
    {
        serviceMedian =
            Report("service_noop_rate_request",
                   Measure(300, [&] { return client.SetSampleRate(status.sampleRate, 30000) == 0; }));
    }
    else
    {
        std::printf("service_noop_rate_request failed status=0x%08X\n", static_cast<unsigned>(answer));
    }
    if (pipeMedian > 0 && serviceMedian > 0)
        std::printf("service_over_pipe_ratio %.1f\n", serviceMedian / pipeMedian);

    client.CloseAll();
    auxiliary.CloseAll();
    SetDriverPortForTesting(nullptr);
    service.Kill();
    simulator.Kill();
    return pipeMedian > 0 && serviceMedian > 0;
}
} // namespace

int wmain()
{
    constexpr int kRuns = 2000;
    DriverModel model;
    InProcessPort port(model);
    SetDriverPortForTesting(&port);

    NorvikDriver auxiliary;
    if (auxiliary.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY) != 0)
    {
        std::fprintf(stderr, "cannot open the in-process driver\n");
        return 1;
    }
    Report("inprocess_get_streaming_status", Measure(kRuns,
                                                     [&]
                                                     {
                                                         NorvikStreamingStatus status{};
                                                         return auxiliary.GetStreamingStatus(&status) == 0;
                                                     }));

    ScriptedServer server;
    NorvikClient client;
    if (server.Start() != 0 || client.OpenAsClient(NORVIK_DRIVER_NAME) != 0)
    {
        std::fprintf(stderr, "cannot start the scripted server\n");
        return 1;
    }
    Report("inprocess_transact", Measure(kRuns, [&] { return client.SetPolicy(0, 30000) == 0; }));
    client.CloseAll();
    server.Stop();
    auxiliary.CloseAll();
    SetDriverPortForTesting(nullptr);
    return MeasureProcesses() ? 0 : 1;
}
