// What the system's static control costs a process that creates and destroys them. Wine's keeps a few dozen
// bytes of every static that was given a font, and each mixer build makes a few hundred of them (four per
// crosspoint cell). The soak allows the control panel exactly that cost for the statics it created, measured
// here in the test's own process under the panel's manifest, and nothing more: where the system frees them,
// the allowance is 0.
#pragma once

#include "cpl/framework/UiHandles.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Counts the static controls one process creates while the counting thread pumps messages.
class StaticControlCounter
{
  public:
    explicit StaticControlCounter(DWORD processId);
    ~StaticControlCounter();
    StaticControlCounter(const StaticControlCounter&) = delete;
    StaticControlCounter& operator=(const StaticControlCounter&) = delete;

    bool IsCounting() const { return static_cast<bool>(hook_); }
    uint32_t Count() const { return count_; }

  private:
    static void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD);

    WnUniqueNullHandle<HWINEVENTHOOK, UnhookWinEvent> hook_;
    uint32_t count_ = 0;
};

// Private bytes a static control leaves behind once destroyed, rounded up: measured on `program`'s dialog
// `dialogId`, made and destroyed as the panel does it (its font set on each static by the dialog manager),
// with the controls of `program`'s manifest. 0 when nothing stays (or when it cannot be measured).
uint64_t MeasureStaticControlCost(const std::wstring& program, int dialogId);
