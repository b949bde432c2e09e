#include "cpl/mixer/FormWeightCtrl.h"

#include "cpl/NorvikCplClient.h"
#include "cpl/mixer/MixerControls.h"
#include "cpl/mixer/MixerPlacement.h"

FormWeightCtrl::FormWeightCtrl(uint32_t key1, uint32_t key2, int x, int y, NorvikWeightItem* record)
    : key1_(key1), key2_(key2), x_(x), y_(y), record_(record)
{
}

LRESULT FormWeightCtrl::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    mixer_controls::SetUpGainFader(fader_, Item(IDC_WEIGHT_FADER));
    connectedBox_ = Item(IDC_WEIGHT_CONNECTED);
    text_ = Item(IDC_WEIGHT_TEXT);
    // Escape does not close it, so all of it must be reachable: it stays on the work area.
    RECT rect{};
    (void)GetWindowRect(Hwnd(), &rect);
    const POINT at = mixer_placement::KeepOnWorkArea(nullptr, POINT{x_, y_},
                                                     SIZE{rect.right - rect.left, rect.bottom - rect.top});
    (void)SetWindowPos(Hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    connected_ = record_->IsConnected();
    ShowWeight();
    return TRUE;
}

bool FormWeightCtrl::OnCommand(UINT id, UINT code, HWND)
{
    switch (id)
    {
    case IDOK:
        EndModal(IDOK);
        return true;
    case IDCANCEL:
        return true; // Escape: every change is already sent, so there is nothing to cancel
    case IDC_WEIGHT_CONNECTED:
        if (code == BN_CLICKED)
            ConnectedClicked();
        return true;
    default:
        return false;
    }
}

bool FormWeightCtrl::OnScroll(bool vertical, UINT code, int, HWND control)
{
    if (!vertical || control != fader_.Window())
        return false;
    if (Fader::Moves(code))
    {
        record_->weight = mixer_controls::FaderGain(fader_);
        Send();
        (void)SetWindowTextW(text_, mixer_values::WeightText(record_->weight).c_str());
    }
    return true;
}

void FormWeightCtrl::ConnectedClicked()
{
    connected_ = SendMessageW(connectedBox_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    record_->SetConnected(connected_);
    // A new connection starts at unity gain, whatever weight it kept while it was off.
    if (connected_)
        record_->weight = 0;
    ShowWeight();
    Send();
}

void FormWeightCtrl::ShowWeight()
{
    (void)SetWindowTextW(text_, mixer_values::WeightText(record_->weight).c_str());
    fader_.SetValue(record_->weight);
    (void)SendMessageW(connectedBox_, BM_SETCHECK, connected_ ? BST_CHECKED : BST_UNCHECKED, 0);
    (void)EnableWindow(fader_.Window(), connected_);
}

void FormWeightCtrl::Send()
{
    if (NorvikDevice* device = mainClient.FindDevice(key1_, key2_))
        (void)device->SetCrosspointWeights(record_, 1);
}
