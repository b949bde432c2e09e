#include "cpl/mixer/FormStereoOutputCtrl.h"

#include "cpl/NorvikCplClient.h"
#include "cpl/mixer/MixerControls.h"

namespace
{
void Check(HWND button, bool checked)
{
    (void)SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND button)
{
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
} // namespace

FormStereoOutputCtrl::FormStereoOutputCtrl(uint32_t key1, uint32_t key2, const wchar_t* label,
                                           NorvikVolumeItem* leftVolume, NorvikVolumeItem* rightVolume,
                                           const NorvikLevelItem* leftLevel,
                                           const NorvikLevelItem* rightLevel)
    : key1_(key1), key2_(key2), labelText_(label), leftVolume_(leftVolume), rightVolume_(rightVolume),
      leftLevel_(leftLevel), rightLevel_(rightLevel)
{
}

LRESULT FormStereoOutputCtrl::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    leftText_ = Item(IDC_VOLUME_TEXT_LEFT);
    rightText_ = Item(IDC_VOLUME_TEXT_RIGHT);
    link_ = Item(IDC_LINK);
    zeroDb_ = Item(IDC_ZERO_DB);
    mute_ = Item(IDC_MUTE);
    label_ = Item(IDC_PAIR_LABEL);

    mixer_controls::SetUpGainFader(leftFader_, Item(IDC_FADER_LEFT));
    mixer_controls::SetUpGainFader(rightFader_, Item(IDC_FADER_RIGHT));
    leftMeter_.SetUp(Item(IDC_METER_LEFT));
    rightMeter_.SetUp(Item(IDC_METER_RIGHT));
    (void)SetWindowTextW(label_, labelText_.c_str());
    if (CreateToolTip())
    {
        (void)AddTool(link_, L"Link L and R");
        (void)AddTool(mute_, L"Mute");
        (void)AddTool(zeroDb_, L"Set gain to 0dB");
    }
    ShowButtonStates();
    return TRUE;
}

bool FormStereoOutputCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return ChainMessage(message, wParam, lParam, result,
                        static_cast<WtlToolTip<FormStereoOutputCtrl>&>(*this));
}

void FormStereoOutputCtrl::ShowLevels()
{
    leftMeter_.Show(*leftLevel_);
    rightMeter_.Show(*rightLevel_);
}

void FormStereoOutputCtrl::ClearLevels()
{
    leftMeter_.Clear();
    rightMeter_.Clear();
}

void FormStereoOutputCtrl::ShowVolumes()
{
    volumesKnown_ = true;
    for (HWND button : {link_, mute_, zeroDb_})
        (void)EnableWindow(button, TRUE);
    leftFader_.SetValue(leftVolume_->volume);
    rightFader_.SetValue(rightVolume_->volume);
    ShowVolumeTexts();
    // The pair is muted and unmuted as one; either channel muted at the unit shows the pair muted.
    muted_ = leftVolume_->IsMuted() || rightVolume_->IsMuted();
    ShowButtonStates();
    EnableFaders();
}

// Faders at the top would read +6 dB: nothing the strip offers may send until a read tells the volumes.
void FormStereoOutputCtrl::ClearVolumes()
{
    volumesKnown_ = false;
    leftFader_.SetValue(kFaderGainTop);
    rightFader_.SetValue(kFaderGainTop);
    mixer_controls::ShowText(leftText_, mixer_values::kNotAvailable);
    mixer_controls::ShowText(rightText_, mixer_values::kNotAvailable);
    for (HWND control : {leftFader_.Window(), rightFader_.Window(), link_, mute_, zeroDb_})
        (void)EnableWindow(control, FALSE);
}

bool FormStereoOutputCtrl::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (!volumesKnown_)
        return true;
    switch (id)
    {
    case IDC_LINK:
        LinkClicked();
        return true;
    case IDC_MUTE:
        MuteClicked();
        return true;
    case IDC_ZERO_DB:
        ZeroDbClicked();
        return true;
    default:
        return false;
    }
}

bool FormStereoOutputCtrl::OnScroll(bool vertical, UINT code, int, HWND control)
{
    if (!vertical || (control != leftFader_.Window() && control != rightFader_.Window()))
        return false;
    if (Fader::Moves(code) && volumesKnown_)
        FaderMoved(control == leftFader_.Window() ? leftFader_ : rightFader_);
    return true;
}

void FormStereoOutputCtrl::FaderMoved(Fader& fader)
{
    NorvikDevice* device = mainClient.FindDevice(key1_, key2_);
    const int16_t volume = mixer_controls::FaderGain(fader);
    const bool left = &fader == &leftFader_;
    if (linked_)
    {
        (left ? rightFader_ : leftFader_).SetValue(volume);
        leftVolume_->volume = volume;
        rightVolume_->volume = volume;
        if (SendBoth(device))
            ShowVolumeTexts();
        return;
    }
    NorvikVolumeItem* item = left ? leftVolume_ : rightVolume_;
    item->volume = volume;
    if (device != nullptr)
    {
        (void)device->SetPinVolumes(item, 1);
        ShowVolumeTexts();
        AnnounceSent();
    }
}

void FormStereoOutputCtrl::LinkClicked()
{
    TakeButtonStates();
    if (!linked_)
        return;
    NorvikDevice* device = mainClient.FindDevice(key1_, key2_);
    const int sum = mixer_controls::FaderGain(leftFader_) + mixer_controls::FaderGain(rightFader_);
    const auto volume = static_cast<int16_t>(sum / 2);
    leftFader_.SetValue(volume);
    rightFader_.SetValue(volume);
    leftVolume_->volume = volume;
    rightVolume_->volume = volume;
    if (SendBoth(device))
        ShowVolumeTexts();
}

void FormStereoOutputCtrl::MuteClicked()
{
    TakeButtonStates();
    leftVolume_->SetMuted(muted_);
    rightVolume_->SetMuted(muted_);
    EnableFaders();
    (void)SendBoth(mainClient.FindDevice(key1_, key2_));
    ShowVolumeTexts();
}

void FormStereoOutputCtrl::ZeroDbClicked()
{
    TakeButtonStates();
    leftVolume_->volume = 0;
    rightVolume_->volume = 0;
    (void)SendBoth(mainClient.FindDevice(key1_, key2_));
    ShowVolumes();
}

void FormStereoOutputCtrl::TakeButtonStates()
{
    linked_ = IsChecked(link_);
    muted_ = IsChecked(mute_);
}

void FormStereoOutputCtrl::ShowButtonStates()
{
    Check(link_, linked_);
    Check(mute_, muted_);
}

void FormStereoOutputCtrl::EnableFaders()
{
    (void)EnableWindow(leftFader_.Window(), !muted_);
    (void)EnableWindow(rightFader_.Window(), !muted_);
}

void FormStereoOutputCtrl::ShowVolumeTexts()
{
    mixer_controls::ShowText(leftText_, mixer_values::VolumeText(*leftVolume_).c_str());
    mixer_controls::ShowText(rightText_, mixer_values::VolumeText(*rightVolume_).c_str());
}

// The unit does not announce a change to the handle that made it: the mixer's owner lets the unit's other
// mixer read the volumes again.
void FormStereoOutputCtrl::AnnounceSent()
{
    const HWND mixer = GetParent(Hwnd());
    if (const HWND owner = GetWindow(mixer, GW_OWNER))
        (void)SendMessageW(owner, WM_MIXER_VOLUMES_SENT, 0, reinterpret_cast<LPARAM>(mixer));
}

bool FormStereoOutputCtrl::SendBoth(NorvikDevice* device)
{
    if (device == nullptr)
        return false;
    // The unit's answer is not examined: the items keep what was sent unless the unit wrote them back.
    (void)device->SetPinVolumes(leftVolume_, 1);
    (void)device->SetPinVolumes(rightVolume_, 1);
    AnnounceSent();
    return true;
}
