// The interface of every control panel page and of the mixer's strips and cells: a child dialog that the
// frame creates, shows, hides, refreshes and lays out.
#pragma once

#include <windows.h>

class FormBase
{
  public:
    virtual ~FormBase() = default;

    // The window of the dialog that carries this form.
    virtual HWND Window() const = 0;
    // Called once when the dialog is initialised, after the framework's own set-up; the form looks up its
    // controls and fills them. The result is the WM_INITDIALOG result.
    virtual LRESULT OnInitForm(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, BOOL& /*handled*/)
    {
        return 0;
    }
    // Makes the form visible with current data.
    virtual void Show()
    {
        Refresh();
        (void)ShowWindow(Window(), SW_SHOW);
    }
    virtual void Hide() { (void)ShowWindow(Window(), SW_HIDE); }
    // Called on every WM_SIZE of the form, after the resize map has laid the controls out.
    virtual void OnResize() {}
    virtual void OnTimer(UINT_PTR /*timerId*/) {}
    // Re-reads the form's data from the driver and updates the controls.
    virtual void Refresh() = 0;
};
