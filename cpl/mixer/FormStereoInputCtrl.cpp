#include "cpl/mixer/FormStereoInputCtrl.h"

#include "cpl/mixer/MixerControls.h"

FormStereoInputCtrl::FormStereoInputCtrl(const wchar_t* label, const NorvikLevelItem* left,
                                         const NorvikLevelItem* right)
    : labelText_(label), left_(left), right_(right)
{
}

LRESULT FormStereoInputCtrl::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    leftMeter_ = Item(IDC_METER_LEFT);
    rightMeter_ = Item(IDC_METER_RIGHT);
    label_ = Item(IDC_PAIR_LABEL);
    mixer_controls::SetUpMeter(leftMeter_);
    mixer_controls::SetUpMeter(rightMeter_);
    (void)SetWindowTextW(label_, labelText_.c_str());
    return TRUE;
}

void FormStereoInputCtrl::ShowLevels()
{
    mixer_controls::ShowLevel(leftMeter_, *left_);
    mixer_controls::ShowLevel(rightMeter_, *right_);
}

void FormStereoInputCtrl::ClearLevels()
{
    mixer_controls::ClearMeter(leftMeter_);
    mixer_controls::ClearMeter(rightMeter_);
}
