// The meters and faders of the mixer's strips and weight control.
#pragma once

#include "cpl/framework/Fader.h"
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

// The volume and weight faders: +6 dB at the top, -60 dB at the bottom, one step per 0.01 dB.
inline void SetUpGainFader(Fader& fader, HWND window)
{
    fader.SetUp(window, kFaderGainFloor, kFaderGainTop, true);
}
// The gain a fader stands for; always within the gain range.
inline int16_t FaderGain(const Fader& fader)
{
    return static_cast<int16_t>(fader.Value());
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
} // namespace mixer_controls
