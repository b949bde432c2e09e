// The page of one connected unit: who it is, how it is connected, what its S/PDIF input receives, its
// pass-through and bypass switches, the driver-wide ban on sample rate changes, and the buttons that open
// its two mixer windows.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "cpl/mixer/FormMixer.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikValueTexts.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <string>

namespace device_page
{
// "Corvex\nSerial: <serial>\n\n<status line>": a USB 1.1 port outranks the streaming mark.
std::wstring DeviceInfoText(const NorvikDeviceRecord& record);
} // namespace device_page

class FormDevice : public FormBaseImpl<FormDevice>
{
  public:
    static constexpr int kDialogId = IDD_DEVICE;

    // `client` is the process's client and the mixers are the unit's windows; all outlive the page. The
    // page keeps keys, never a device: the unit is looked up again for every action.
    FormDevice(NorvikClient& client, uint32_t key1, uint32_t key2, FormMixer& hardwareInputsMixer,
               FormMixer& softwareOutputsMixer)
        : client_(client), key1_(key1), key2_(key2), hardwareInputsMixer_(hardwareInputsMixer),
          softwareOutputsMixer_(softwareOutputsMixer)
    {
    }

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override;

    uint32_t Key1() const { return key1_; }
    uint32_t Key2() const { return key2_; }
    FormMixer& HardwareInputsMixer() const { return hardwareInputsMixer_; }
    FormMixer& SoftwareOutputsMixer() const { return softwareOutputsMixer_; }

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

  private:
    // What the page shows; a failed change puts it back into the controls with that switch cleared.
    struct State
    {
        std::wstring info;
        std::wstring spdif;
        bool passThrough = false;
        bool volumeBypass = false;
        bool muteBypass = false;
        bool forbidRateChange = false;
        bool restoreSettings = false;
    };
    struct Switch
    {
        int id;
        bool State::*flag;
        const wchar_t* failure;
    };
    static const Switch kSwitches[5];

    void ChangeSwitch(const Switch& change);
    // The switch's request with the state's flag; false when the unit is gone and nothing was sent.
    bool SendSwitch(int id, NorvikStatus* status);
    void ShowState();

    NorvikClient& client_;
    const uint32_t key1_;
    const uint32_t key2_;
    FormMixer& hardwareInputsMixer_;
    FormMixer& softwareOutputsMixer_;
    State state_;
};
