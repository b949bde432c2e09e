// A dialog built from a dialog resource of the program, modeless (a child form or a pop-up) or modal, whose
// messages go to a C++ object (MessageTarget's typed handlers).
#pragma once

#include "cpl/framework/MessageTarget.h"

#include <memory>
#include <utility>

class DialogImpl : public MessageTarget
{
  public:
    // Destroys a modeless dialog that still exists.
    ~DialogImpl() override;

    // Creates the dialog `dialogId` as a modeless window under `parent`; null on failure.
    HWND CreateModeless(int dialogId, HWND parent);
    // Runs the dialog modally with `owner`; returns the value given to EndModal, or -1 on failure.
    INT_PTR RunModal(int dialogId, HWND owner);
    void EndModal(INT_PTR result);
    void Destroy();

    HWND Item(int id) const { return GetDlgItem(Hwnd(), id); }

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool modal_ = false;
};

// Destroys a dialog's window before the object: the window's last messages (WM_DESTROY, and with it the
// form's own OnDestroy) still reach the whole object, which a base destructor can no longer offer. Every
// dialog object held by pointer is held through UniqueDialog.
struct DialogDeleter
{
    void operator()(DialogImpl* dialog) const
    {
        dialog->Destroy();
        delete dialog;
    }
};
template <typename T> using UniqueDialog = std::unique_ptr<T, DialogDeleter>;

template <typename T, typename... Args> UniqueDialog<T> MakeDialog(Args&&... args)
{
    return UniqueDialog<T>(new T(std::forward<Args>(args)...));
}
