#include "cpl/mixer/FormMixer.h"

#include "resources/corvexcpl_mixer.h"

// Nothing is built yet: the window exists, hidden, so the frame and the device page can own and show it.
FormMixer::FormMixer(uint32_t key1, uint32_t key2, bool isHardwareInputs)
    : key1_(key1), key2_(key2), isHardwareInputs_(isHardwareInputs)
{
}

FormMixer::~FormMixer() = default;

HWND FormMixer::Create(HWND owner)
{
    return CreateModeless(IDD_MIXER, owner);
}

void FormMixer::ShowMixer()
{
    if (!IsWindowVisible(Hwnd()))
    {
        (void)ShowWindow(Hwnd(), SW_SHOW);
    }
}

void FormMixer::RebuildIfVisible() {}

void FormMixer::ReloadVolumes() {}

void FormMixer::ReloadWeights() {}
