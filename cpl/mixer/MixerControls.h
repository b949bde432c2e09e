// The meters and faders of the mixer's strips and weight control: set up, read and moved only through their
// positions.
#pragma once

#include "cpl/mixer/MixerValues.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace mixer_controls
{
// A level meter: a progress bar that is sent a position only when it changes, so still meters cost nothing.
class Meter
{
  public:
    void SetUp(HWND window)
    {
        window_ = window;
        (void)SendMessageW(window_, PBM_SETRANGE32, 0, mixer_values::kMeterMax);
        (void)SendMessageW(window_, PBM_SETSTEP, 1, 0);
        position_ = static_cast<int>(SendMessageW(window_, PBM_GETPOS, 0, 0));
    }
    void Show(const NorvikLevelItem& item) { MoveTo(mixer_values::MeterPosition(item.level)); }
    // The lower limit of the range.
    void Clear() { MoveTo(0); }

  private:
    void MoveTo(int position)
    {
        if (position != position_)
        {
            position_ = position;
            (void)SendMessageW(window_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        }
    }

    HWND window_ = nullptr; // child control, owned by the strip's dialog
    int position_ = 0;
};

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

// Sets a control's text only when it differs: a static repaints at every text set, and the mixer sets
// hundreds of texts per notification that mostly stay as they were.
inline void ShowText(HWND control, const wchar_t* text)
{
    wchar_t shown[32] = L"";
    if (GetWindowTextW(control, shown, ARRAYSIZE(shown)) > 0 && wcscmp(shown, text) == 0)
        return;
    (void)SetWindowTextW(control, text);
}

// Scroll codes that move a fader: line and page steps, thumb position and tracking, and Home and End
// (top and bottom). The end of tracking (TB_ENDTRACK) follows one of these and carries no new position.
inline bool MovesFader(UINT code)
{
    return code <= TB_BOTTOM;
}
} // namespace mixer_controls
