// One row of the mixer: a stereo input pair's label and its two level meters. It shows the level items the
// mixer window owns and reads in place; nothing in it can be changed.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "cpl/mixer/MixerControls.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <string>

class FormStereoInputCtrl : public FormBaseImpl<FormStereoInputCtrl>
{
  public:
    static constexpr int kDialogId = IDD_STEREO_INPUT;

    // The items belong to the mixer window and outlive the strip.
    FormStereoInputCtrl(const wchar_t* label, const NorvikLevelItem* left, const NorvikLevelItem* right);

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override {}

    // The meters follow the levels the last poll read.
    void ShowLevels();
    // After a failed poll: both meters at their floor.
    void ClearLevels();

  private:
    mixer_controls::Meter leftMeter_;
    mixer_controls::Meter rightMeter_;
    HWND label_ = nullptr; // child control, owned by the dialog
    std::wstring labelText_;
    const NorvikLevelItem* left_;
    const NorvikLevelItem* right_;
};
