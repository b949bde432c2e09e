// What the control panel's benchmark programs share: a millisecond clock and the line of one figure,
//   <name> median_ms=<x> p90_ms=<y> runs=<n>
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

inline double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline void Report(const char* name, std::vector<double> samples)
{
    if (samples.empty())
    {
        std::printf("%s failed\n", name);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p90 = samples[std::min(samples.size() - 1, samples.size() * 9 / 10)];
    std::printf("%s median_ms=%.1f p90_ms=%.1f runs=%u\n", name, median, p90,
                static_cast<unsigned>(samples.size()));
}
