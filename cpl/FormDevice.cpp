#include "cpl/FormDevice.h"

#include "cpl/CplMessageBox.h"
#include "driverapi/NorvikValueTexts.h"
#include "wn/WnText.h"

#include <cwchar>
#include <iterator>

namespace device_page
{
std::wstring DeviceInfoText(const NorvikDeviceRecord& record)
{
    const wchar_t* line = !record.IsHighSpeed()        ? L"Connected to USB 1.1 port. CANNOT stream audio!"
                          : record.IsStreamingDevice() ? L"This device is selected for streaming."
                                                       : L"This device is not streaming.";
    // The record comes from the driver: never read past its array.
    const std::wstring serial(record.serial, wcsnlen(record.serial, std::size(record.serial)));
    return FormatText(L"Corvex\nSerial: %s\n\n%s", serial.c_str(), line);
}

} // namespace device_page

const FormDevice::Switch FormDevice::kSwitches[5] = {
    {IDC_SPDIF_PASS_THROUGH, &State::passThrough, L"Set SPDIF pass through failed."},
    {IDC_VOLUME_BYPASS, &State::volumeBypass, L"Set Bypass volume failed."},
    {IDC_MUTE_BYPASS, &State::muteBypass, L"Set Bypass mute failed."},
    {IDC_FORBID_RATE_CHANGE, &State::forbidRateChange, kChangePolicy.failed},
    {IDC_RESTORE_SETTINGS, &State::restoreSettings, kChangeRestoreSetting.failed},
};

LRESULT FormDevice::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    Refresh();
    return TRUE;
}

void FormDevice::Refresh()
{
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (device == nullptr)
    {
        state_.info.clear();
        state_.spdif.clear();
        ShowState();
        return;
    }
    state_.info = device_page::DeviceInfoText(device->Record());
    NorvikSpdifInStatus spdif{};
    const NorvikStatus spdifStatus = device->GetSpdifInStatus(0, &spdif);
    state_.spdif = SpdifInStatusText(spdifStatus, spdif);
    // Each switch keeps what it showed when its read fails.
    bool on = false;
    if (device->GetSpdifPassThrough(0, 0, &on) == NORVIK_STATUS_SUCCESS)
        state_.passThrough = on;
    if (device->GetVolumeBypass(&on) == NORVIK_STATUS_SUCCESS)
        state_.volumeBypass = on;
    if (device->GetMuteBypass(&on) == NORVIK_STATUS_SUCCESS)
        state_.muteBypass = on;
    uint32_t policy = 0;
    if (client_.GetPolicy(&policy) == NORVIK_STATUS_SUCCESS)
        state_.forbidRateChange = ForbidsRateChange(policy);
    if (client_.GetRestoreSettings(key1_, key2_, &on) == NORVIK_STATUS_SUCCESS)
        state_.restoreSettings = on;
    ShowState();
}

bool FormDevice::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_HARDWARE_MIXER || id == IDC_SOFTWARE_MIXER)
    {
        (id == IDC_HARDWARE_MIXER ? hardwareInputsMixer_ : softwareOutputsMixer_).ShowMixer();
        return true;
    }
    for (const Switch& change : kSwitches)
    {
        if (change.id == static_cast<int>(id))
        {
            ChangeSwitch(change);
            return true;
        }
    }
    return false;
}

void FormDevice::ChangeSwitch(const Switch& change)
{
    for (const Switch& each : kSwitches)
        state_.*each.flag = IsDlgButtonChecked(Hwnd(), each.id) == BST_CHECKED;
    NorvikStatus status = NORVIK_STATUS_SUCCESS;
    if (!SendSwitch(change.id, &status) || status == NORVIK_STATUS_SUCCESS)
        return; // the box keeps what the user gave it
    ReportFailure(Hwnd(), change.failure, status);
    state_.*change.flag = false;
    ShowState();
}

bool FormDevice::SendSwitch(int id, NorvikStatus* status)
{
    if (id == IDC_FORBID_RATE_CHANGE)
    {
        // The other bits of the policy are sent back as the driver gave them.
        uint32_t policy = 0;
        if (client_.GetPolicy(&policy) != NORVIK_STATUS_SUCCESS)
            policy = 0;
        *status = client_.SetPolicy(WithRateChangeForbidden(policy, state_.forbidRateChange),
                                    NORVIK_CLIENT_TIMEOUT_MS);
        return true;
    }
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (device == nullptr)
        return false;
    switch (id)
    {
    case IDC_SPDIF_PASS_THROUGH:
        *status = device->SetSpdifPassThrough(0, 0, state_.passThrough);
        break;
    case IDC_VOLUME_BYPASS:
        *status = device->SetVolumeBypass(state_.volumeBypass);
        break;
    case IDC_RESTORE_SETTINGS:
        *status = client_.SetRestoreSettings(key1_, key2_, state_.restoreSettings);
        break;
    default:
        *status = device->SetMuteBypass(state_.muteBypass);
        break;
    }
    return true;
}

void FormDevice::ShowState()
{
    (void)SetDlgItemTextW(Hwnd(), IDC_DEVICE_INFO_TEXT, state_.info.c_str());
    (void)SetDlgItemTextW(Hwnd(), IDC_SPDIF_STATUS_TEXT, state_.spdif.c_str());
    for (const Switch& each : kSwitches)
        (void)CheckDlgButton(Hwnd(), each.id, state_.*each.flag ? BST_CHECKED : BST_UNCHECKED);
}
