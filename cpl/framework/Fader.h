// A fader: a vertical trackbar whose top is the largest value. A trackbar's positions grow downwards from
// 0, so the window only ever sees values, and each direction of the conversion has one name.
#pragma once

#include <windows.h>
#include <commctrl.h>

class Fader
{
  public:
    // Positions run from 0 (the top, `highest`) to highest - lowest (the bottom); `redraw` repaints the
    // trackbar at once.
    void SetUp(HWND window, int lowest, int highest, bool redraw)
    {
        window_ = window;
        lowest_ = lowest;
        highest_ = highest;
        (void)SendMessageW(window_, TBM_SETRANGEMIN, FALSE, 0);
        (void)SendMessageW(window_, TBM_SETRANGEMAX, redraw, highest_ - lowest_);
    }

    HWND Window() const { return window_; }

    // Values beyond the range stand at its ends.
    int PositionFromValue(int value) const
    {
        if (value < lowest_)
            return highest_ - lowest_;
        if (value > highest_)
            return 0;
        return highest_ - value;
    }
    int ValueFromPosition(int position) const
    {
        if (position <= 0)
            return highest_;
        if (position >= highest_ - lowest_)
            return lowest_;
        return highest_ - position;
    }

    // The value the thumb stands for; a key or the mouse has already moved it when the trackbar notifies.
    int Value() const { return ValueFromPosition(static_cast<int>(SendMessageW(window_, TBM_GETPOS, 0, 0))); }
    void SetValue(int value) { (void)SendMessageW(window_, TBM_SETPOS, TRUE, PositionFromValue(value)); }

    // Scroll codes that move the thumb: line and page steps, thumb position and tracking, and Home and End.
    // The end of a drag (TB_ENDTRACK) follows one of these and brings no new position.
    static bool Moves(UINT code) { return code <= TB_BOTTOM; }

  private:
    HWND window_ = nullptr; // child control, owned by the dialog
    int lowest_ = 0;
    int highest_ = 0;
};
