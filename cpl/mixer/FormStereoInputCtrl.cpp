#include "cpl/mixer/FormStereoInputCtrl.h"

#include "cpl/mixer/MixerControls.h"

FormStereoInputCtrl::FormStereoInputCtrl(const wchar_t* label, const NorvikLevelItem* left,
                                         const NorvikLevelItem* right)
    : labelText_(label), left_(left), right_(right)
{
}

LRESULT FormStereoInputCtrl::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    leftMeter_.SetUp(Item(IDC_METER_LEFT));
    rightMeter_.SetUp(Item(IDC_METER_RIGHT));
    label_ = Item(IDC_PAIR_LABEL);
    (void)SetWindowTextW(label_, labelText_.c_str());
    return TRUE;
}

void FormStereoInputCtrl::ShowLevels()
{
    leftMeter_.Show(*left_);
    rightMeter_.Show(*right_);
}

void FormStereoInputCtrl::ClearLevels()
{
    leftMeter_.Clear();
    rightMeter_.Clear();
}
