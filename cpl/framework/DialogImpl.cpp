#include "cpl/framework/DialogImpl.h"

#include "cpl/framework/ModalScope.h"

DialogImpl::~DialogImpl()
{
    Destroy();
}

HWND DialogImpl::CreateModeless(int dialogId, HWND parent)
{
    if (Hwnd() != nullptr)
        return nullptr;
    modal_ = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), parent,
                              &DialogImpl::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR DialogImpl::RunModal(int dialogId, HWND owner)
{
    if (Hwnd() != nullptr)
        return -1;
    modal_ = true;
    const ModalScope loop;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), owner,
                           &DialogImpl::DialogProc, reinterpret_cast<LPARAM>(this));
}

void DialogImpl::EndModal(INT_PTR result)
{
    if (modal_ && Hwnd() != nullptr)
        (void)EndDialog(Hwnd(), result);
}

void DialogImpl::Destroy()
{
    if (Hwnd() != nullptr && !modal_)
        (void)DestroyWindow(Hwnd());
}

INT_PTR CALLBACK DialogImpl::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<DialogImpl*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG)
    {
        self = reinterpret_cast<DialogImpl*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->AttachHwnd(hwnd);
    }
    if (self == nullptr)
        return FALSE;
    LRESULT result = 0;
    const bool handled = self->Dispatch(message, wParam, lParam, result);
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->DetachHwnd();
        return FALSE;
    }
    if (!handled)
        return FALSE;
    switch (message)
    {
    // These messages return their value directly instead of through DWLP_MSGRESULT.
    case WM_INITDIALOG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
