// Binds a concrete form class T to its dialog resource and its resize map. T provides
//   static constexpr int kDialogId;
// and, when controls follow the form's size,
//   static ResizeMapSpan ResizeMap();
// T handles its own messages through the typed handlers of MessageTarget (OnCommand, OnNotify, ...). Both
// bases name the timer handler OnTimer, so one override in T serves WM_TIMER and FormBase's callers alike.
#pragma once

#include "cpl/framework/DialogImpl.h"
#include "cpl/framework/DialogResizer.h"
#include "cpl/framework/FormBase.h"

struct ResizeMapSpan
{
    const ResizeMapEntry* entries = nullptr;
    size_t count = 0;
};

template <size_t N> constexpr ResizeMapSpan MakeResizeMap(const ResizeMapEntry (&entries)[N])
{
    return ResizeMapSpan{entries, N};
}

template <typename T> class FormBaseImpl : public DialogImpl, public FormBase
{
  public:
    HWND Window() const override { return Hwnd(); }

    // Creates the form's dialog as a child (or owned pop-up) of `parent`; null on failure.
    HWND Create(HWND parent) { return CreateModeless(T::kDialogId, parent); }
    // Runs the form as a modal dialog owned by `owner`.
    INT_PTR RunModal(HWND owner) { return DialogImpl::RunModal(T::kDialogId, owner); }

    // The default: no control follows the form's size.
    static ResizeMapSpan ResizeMap() { return {}; }

  protected:
    bool OnInitDialog(HWND focus, LPARAM lParam) final
    {
        // The sunken edge is part of the frame, so the resize map is recorded against the client area inside
        // it.
        SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
        (void)SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        const ResizeMapSpan map = T::ResizeMap();
        resizer_.Init(Hwnd(), map.entries, map.count);
        BOOL handled = TRUE;
        return OnInitForm(WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), lParam, handled) != 0;
    }
    bool OnSize(UINT, SIZE) final
    {
        resizer_.UpdateLayout();
        OnResize();
        return true;
    }

  private:
    DialogResizer resizer_;
};
