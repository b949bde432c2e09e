// One column of the mixer: a stereo output pair's meters, volume faders and texts, and the Link, M (mute)
// and 0dB buttons. It shows and changes the volume and level items the mixer window owns; every change goes
// to the unit at once, one channel's item per request, the left one first.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "cpl/framework/WtlToolTip.h"
#include "cpl/mixer/MixerControls.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <string>

class NorvikDevice;

// Sent by an output strip to its mixer's owner after it sent volumes; lParam is the mixer window.
constexpr UINT WM_MIXER_VOLUMES_SENT = WM_APP + 11;

class FormStereoOutputCtrl : public FormBaseImpl<FormStereoOutputCtrl>,
                             public WtlToolTip<FormStereoOutputCtrl>
{
  public:
    static constexpr int kDialogId = IDD_STEREO_OUTPUT;

    // The items belong to the mixer window and outlive the strip.
    FormStereoOutputCtrl(uint32_t key1, uint32_t key2, const wchar_t* label, NorvikVolumeItem* leftVolume,
                         NorvikVolumeItem* rightVolume, const NorvikLevelItem* leftLevel,
                         const NorvikLevelItem* rightLevel);

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override {}

    void ShowLevels();
    void ClearLevels();
    // Faders, texts and buttons from the volume items, after the mixer window has read them.
    void ShowVolumes();
    // After a failed volume read: faders at the top and "n/a", and everything that sends is disabled; the
    // items stay as they are.
    void ClearVolumes();

    bool IsLinked() const { return linked_; }
    bool IsMuted() const { return muted_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnScroll(bool vertical, UINT code, int position, HWND control) override;

  private:
    void FaderMoved(Fader& fader);
    void LinkClicked();
    void MuteClicked();
    void ZeroDbClicked();
    void TakeButtonStates();
    void ShowButtonStates();
    void EnableFaders();
    void ShowVolumeTexts();
    void AnnounceSent();
    // Sends the left item, then the right one, when the unit is connected; false when it is not.
    bool SendBoth(NorvikDevice* device);

    uint32_t key1_;
    uint32_t key2_;
    // Child controls, owned by the dialog.
    HWND leftText_ = nullptr;
    HWND rightText_ = nullptr;
    mixer_controls::Meter leftMeter_;
    Fader leftFader_;
    Fader rightFader_;
    mixer_controls::Meter rightMeter_;
    HWND link_ = nullptr;
    HWND zeroDb_ = nullptr;
    HWND mute_ = nullptr;
    HWND label_ = nullptr;
    bool linked_ = true;
    bool muted_ = false;
    // False after a failed volume read, until one succeeds.
    bool volumesKnown_ = true;
    std::wstring labelText_;
    NorvikVolumeItem* leftVolume_;
    NorvikVolumeItem* rightVolume_;
    const NorvikLevelItem* leftLevel_;
    const NorvikLevelItem* rightLevel_;
};
