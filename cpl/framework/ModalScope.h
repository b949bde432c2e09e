// The one rule for modal loops in the control panel. A message box or modal dialog that a page, the device
// page, a mixer, the weight control or the frame opens runs every message of the thread in its own loop.
// While such a loop is open, whatever would rebuild or destroy windows (driver notifications with their tree
// and mixer rebuilds, the frame's close, a mixer's close) is held back and posted again when the last loop
// ends, so the code that opened the loop finds itself and the records it edits as it left them.
#pragma once

#include <windows.h>

class ModalScope
{
  public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Whether a modal loop of the panel is open on this thread.
    static bool IsOpen();
    // Posts `message` (no arguments) to `window` once the last open loop ends; holding the same message for
    // the same window again keeps one. Returns false, holding nothing, when no loop is open.
    static bool HoldBack(HWND window, UINT message);
};
