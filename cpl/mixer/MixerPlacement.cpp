#include "cpl/mixer/MixerPlacement.h"

#include <algorithm>

namespace mixer_placement
{
namespace
{
RECT WorkArea(HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info))
        (void)SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return info.rcWork;
}
} // namespace

POINT KeepOnWorkArea(HWND window, POINT at, SIZE size)
{
    const RECT work = WorkArea(window != nullptr ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                                 : MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST));
    const LONG x = std::max(work.left, std::min(at.x, work.right - size.cx));
    const LONG y = std::max(work.top, std::min(at.y, work.bottom - size.cy));
    return POINT{x, y};
}

void Cascade(HWND window)
{
    // One sequence for every mixer of the panel, on its one user-interface thread.
    static int next = 0;
    const RECT work = WorkArea(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    const int offset = (next++ % kCascadeSteps) * kCascadeStep;
    (void)SetWindowPos(window, nullptr, work.left + offset, work.top + offset, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
} // namespace mixer_placement
