// The meters and faders of the mixer's strips and weight control: set up, read and moved only through their
// positions, so a level poll costs one message per meter.
#pragma once

#include "cpl/mixer/MixerValues.h"

#include <windows.h>
#include <commctrl.h>

namespace mixer_controls
{
inline void SetUpMeter(HWND meter)
{
    (void)SendMessageW(meter, PBM_SETRANGE32, 0, mixer_values::kMeterMax);
    (void)SendMessageW(meter, PBM_SETSTEP, 1, 0);
}
inline void ShowLevel(HWND meter, const NorvikLevelItem& item)
{
    (void)SendMessageW(meter, PBM_SETPOS, static_cast<WPARAM>(mixer_values::MeterPosition(item.level)), 0);
}
// The lower limit of the meter's range.
inline void ClearMeter(HWND meter)
{
    (void)SendMessageW(meter, PBM_SETPOS, 0, 0);
}

inline void SetUpFader(HWND fader)
{
    (void)SendMessageW(fader, TBM_SETRANGEMIN, FALSE, 0);
    (void)SendMessageW(fader, TBM_SETRANGEMAX, TRUE, mixer_values::kFaderMax);
}
inline int FaderPosition(HWND fader)
{
    return static_cast<int>(SendMessageW(fader, TBM_GETPOS, 0, 0));
}
inline void MoveFader(HWND fader, int position)
{
    (void)SendMessageW(fader, TBM_SETPOS, TRUE, position);
}
// The gain a fader stands for.
inline int16_t FaderGain(HWND fader)
{
    return mixer_values::GainFromFader(FaderPosition(fader));
}
inline void ShowGain(HWND fader, int16_t gain)
{
    MoveFader(fader, mixer_values::FaderPosition(gain));
}

// Scroll codes that move a fader: line and page steps, thumb position and tracking, and Home and End
// (top and bottom). The end of tracking (TB_ENDTRACK) follows one of these and carries no new position.
inline bool MovesFader(UINT code)
{
    return code <= TB_BOTTOM;
}
} // namespace mixer_controls
