// Mix-in that answers WM_GETMINMAXINFO with a minimum and a maximum track size; -1 leaves the system value.
#pragma once

#include <windows.h>

template <typename T> class WtlMinMaxTrackSize
{
  public:
    WtlMinMaxTrackSize(SIZE minimum, SIZE maximum) : minTrackSize_(minimum), maxTrackSize_(maximum) {}

    // The host offers every message here first; true when handled.
    bool ProcessMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result)
    {
        if (message != WM_GETMINMAXINFO)
            return false;
        result = 0;
        auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
        if (minTrackSize_.cx >= 0)
            info.ptMinTrackSize.x = minTrackSize_.cx;
        if (minTrackSize_.cy >= 0)
            info.ptMinTrackSize.y = minTrackSize_.cy;
        if (maxTrackSize_.cx >= 0)
            info.ptMaxTrackSize.x = maxTrackSize_.cx;
        if (maxTrackSize_.cy >= 0)
            info.ptMaxTrackSize.y = maxTrackSize_.cy;
        return true;
    }

  private:
    SIZE minTrackSize_;
    SIZE maxTrackSize_;
};
