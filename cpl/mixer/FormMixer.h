// One mixer window of a unit: the hardware inputs mixer or the software outputs mixer, built from the unit's
// pin lists each time it is shown. Not a page: a modeless pop-up owned by the main window; closing hides it.
#pragma once

#include "cpl/framework/DialogImpl.h"

#include <cstdint>

class FormMixer : public DialogImpl
{
  public:
    FormMixer(uint32_t key1, uint32_t key2, bool isHardwareInputs);
    ~FormMixer() override;

    // Creates the hidden, empty window as an owned pop-up of `owner`; null on failure.
    HWND Create(HWND owner);

    // The device page's buttons: builds and shows a hidden mixer; a visible one is left as it is.
    void ShowMixer();
    // Notification 3050: a visible mixer is rebuilt in place; a hidden one does nothing.
    void RebuildIfVisible();
    // Notification 3051: re-reads the output volumes into the strips.
    void ReloadVolumes();
    // Notification 3052: re-reads the crosspoint weights into the connection blocks.
    void ReloadWeights();

    uint32_t Key1() const { return key1_; }
    uint32_t Key2() const { return key2_; }
    bool IsHardwareInputs() const { return isHardwareInputs_; }

  private:
    const uint32_t key1_;
    const uint32_t key2_;
    const bool isHardwareInputs_;
};
