// The crosspoint editor: a small modal pop-up at the clicked cell's corner with the weight, a fader and the
// connected check box. Every change goes to the unit at once; there is no cancel, so Escape does nothing.
#pragma once

#include "cpl/framework/Fader.h"
#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <cstdint>

class FormWeightCtrl : public FormBaseImpl<FormWeightCtrl>
{
  public:
    static constexpr int kDialogId = IDD_WEIGHT_CTRL;

    // `record` belongs to the mixer window and outlives the dialog; (x, y) is where the dialog appears, in
    // screen coordinates.
    FormWeightCtrl(uint32_t key1, uint32_t key2, int x, int y, NorvikWeightItem* record);

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override {}

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnScroll(bool vertical, UINT code, int position, HWND control) override;

  private:
    void ConnectedClicked();
    void ShowWeight();
    void Send();

    uint32_t key1_;
    uint32_t key2_;
    Fader fader_;
    // Child controls, owned by the dialog.
    HWND connectedBox_ = nullptr;
    HWND text_ = nullptr;
    bool connected_ = false;
    int x_;
    int y_;
    NorvikWeightItem* record_;
};
