// Where the mixer windows and the weight control appear: on the work area of their monitor, the mixers
// cascaded so that those of several units do not open on top of each other.
#pragma once

#include <windows.h>

namespace mixer_placement
{
// A mixer with one output pin and no input pair is a few pixels wide: this keeps its caption and close box.
constexpr int kMinWindowWidth = 200;
constexpr int kCascadeStep = 24;
constexpr int kCascadeSteps = 8;

// The top-left corner for a window of `size` wanted at `at`, moved onto the work area of the monitor
// nearest to `window` (or, without a window, to `at`). A window larger than the work area keeps its top-left
// corner, with its caption, on it.
POINT KeepOnWorkArea(HWND window, POINT at, SIZE size);
// Moves `window` to the next cascade place from the work area's top-left corner.
void Cascade(HWND window);
} // namespace mixer_placement
