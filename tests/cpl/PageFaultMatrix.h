// The pages' fault matrix fixture: each page opened against the simulator model, the requests it sends made
// to fail or return malformed records, and what the page shows then.
#pragma once

#include "cpl/FormBufferSettings.h"
#include "cpl/FormDevice.h"
#include "cpl/FormDevices.h"
#include "cpl/NorvikCplClient.h"
#include "cpl/mixer/FormWeightCtrl.h"
#include "cpl/pages/FormPlugin.h"
#include "cpl/pages/FormDrvInfo.h"
#include "cpl/pages/FormInChannels.h"
#include "cpl/pages/FormOutChannels.h"
#include "cpl/pages/FormStatusInfo.h"
#include "driverapi/NorvikStatus.h"
#include "tests/common/FaultMatrix.h"
#include "tests/cpl/PageTest.h"

#include <commctrl.h>

#include <cstring>

class PageFaultMatrix : public PageTest
{
  public:
    using Place = FaultPlace<PageFaultMatrix>;

    void Inject(uint32_t ioctl, NorvikStatus status, std::vector<uint8_t> output = {})
    {
        model_.InjectFault(ioctl, status, 1, std::move(output));
    }

    static std::wstring Box(const wchar_t* message, NorvikStatus status)
    {
        const char* name = StatusName(status);
        return std::wstring(message) + L" (Status=" + std::wstring(name, name + strlen(name)) + L").";
    }

    // The one box that the action showed.
    std::wstring OnlyBox()
    {
        const std::vector<SeenMessageBox> boxes = TakeBoxes();
        return boxes.size() == 1 ? boxes[0].text : L"(" + std::to_wstring(boxes.size()) + L" boxes)";
    }

    static void Click(HWND page, int id)
    {
        (void)SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    void BuffersRefresh(NorvikStatus status)
    {
        FormBufferSettings page(client_);
        Open(page, 300, 200);
        Inject(NORVIK_IOCTL_GET_BUFFER_SIZES, status);
        page.Refresh();
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page.Window(), IDC_BUFFER_APPLY)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page.Window(), IDC_STREAMING_BUFFER_LIST)));
    }

    void BuffersApplyRead(NorvikStatus status)
    {
        FormBufferSettings page(client_);
        Open(page, 300, 200);
        Inject(NORVIK_IOCTL_GET_BUFFER_SIZES, status);
        ClearLog();
        Click(page.Window(), IDC_BUFFER_APPLY);
        EXPECT_EQ(Box(L"Get the buffer sizes failed.", status), OnlyBox());
        EXPECT_EQ(0u, SentRequests(NORVIK_REQ_SET_BUFFER_SIZES)) << "nothing sent";
    }

    void BuffersApplySend(NorvikStatus status)
    {
        FormBufferSettings page(client_);
        Open(page, 300, 200);
        Inject(NORVIK_IOCTL_SEND_MESSAGE, status);
        Click(page.Window(), IDC_BUFFER_APPLY);
        EXPECT_EQ(Box(L"Changing the buffer sizes failed.", status), OnlyBox());
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page.Window(), IDC_BUFFER_APPLY)))
            << "the page shows the driver again";
    }

    void DevicesRefresh(NorvikStatus status)
    {
        FormDevices page(client_);
        Open(page, 400, 300);
        NorvikStreamingStatus all = {};
        all.mode = 1;
        Inject(NORVIK_IOCTL_GET_STREAMING_STATUS, 0, Bytes(all));
        page.Refresh();
        ASSERT_EQ(1u, page.Mode());
        Inject(NORVIK_IOCTL_GET_STREAMING_STATUS, status);
        page.Refresh();
        EXPECT_EQ(0u, page.Mode()) << "the status reads as zeros";
        EXPECT_EQ(2, ListView_GetItemCount(GetDlgItem(page.Window(), IDC_DEVICE_LIST)));
    }

    void DevicesMode(NorvikStatus status)
    {
        FormDevices page(client_);
        Open(page, 400, 300);
        Inject(NORVIK_IOCTL_SEND_MESSAGE, status);
        CheckRadioButton(page.Window(), IDC_MODE_SINGLE_DEVICE, IDC_MODE_ALL_DEVICES, IDC_MODE_ALL_DEVICES);
        Click(page.Window(), IDC_MODE_ALL_DEVICES);
        EXPECT_EQ(Box(L"Selecting the streaming device failed.", status), OnlyBox());
        EXPECT_EQ(0u, page.Mode()) << "the driver's mode shown again";
    }

    void DevicesSelect(NorvikStatus status)
    {
        FormDevices page(client_);
        Open(page, 400, 300);
        page.Refresh();
        SelectListRow(GetDlgItem(page.Window(), IDC_DEVICE_LIST), 1);
        Inject(NORVIK_IOCTL_SEND_MESSAGE, status);
        Click(page.Window(), IDC_SELECT_FOR_STREAMING);
        EXPECT_EQ(Box(L"Selecting the streaming device failed.", status), OnlyBox());
    }

    // Rows of a channel page refreshed with the faults injected so far.
    template <typename Form> int ChannelRows()
    {
        Form page(client_);
        Open(page, 420, 300);
        page.Refresh();
        return ListView_GetItemCount(GetDlgItem(page.Window(), IDC_CHANNEL_LIST));
    }

    void InChannelList(NorvikStatus status)
    {
        Inject(NORVIK_IOCTL_GET_IN_CHANNEL_LIST, status);
        EXPECT_EQ(0, ChannelRows<FormInChannels>());
    }
    void OutChannelList(NorvikStatus status)
    {
        Inject(NORVIK_IOCTL_GET_OUT_CHANNEL_LIST, status);
        EXPECT_EQ(0, ChannelRows<FormOutChannels>());
    }
    void ChannelInfo(NorvikStatus status)
    {
        const int all = ChannelRows<FormInChannels>();
        Inject(NORVIK_IOCTL_GET_CHANNEL_INFO, status);
        EXPECT_EQ(all - 1, ChannelRows<FormInChannels>()) << "only that channel goes";
    }

    void ErrorCounters(NorvikStatus status)
    {
        FormStatusInfo page(client_);
        Open(page, 460, 320);
        HWND list = GetDlgItem(page.Window(), IDC_COUNTER_LIST);
        page.Refresh();
        const std::wstring before = ListText(list, 0, 1);
        Inject(NORVIK_IOCTL_GET_ERROR_COUNTERS, status);
        page.Refresh();
        EXPECT_EQ(before, ListText(list, 0, 1));
        EXPECT_FALSE(before.empty());
    }

    // The device page of the second unit (its mixers stay windowless here).
    std::unique_ptr<FormDevice> OpenDevicePage()
    {
        const NorvikDeviceRecord unit = model_.Units().at(1);
        auto page =
            std::make_unique<FormDevice>(client_, unit.key1, unit.key2, hardwareMixer_, softwareMixer_);
        Open(*page, 400, 340);
        return page;
    }

    // A switch the unit (or, for the policy, the service) refuses: the box, and the box shown cleared.
    void DeviceSwitch(NorvikStatus status, uint32_t ioctl, int id, const wchar_t* failure)
    {
        const std::unique_ptr<FormDevice> page = OpenDevicePage();
        Inject(ioctl, status);
        (void)SendMessageW(GetDlgItem(page->Window(), id), BM_CLICK, 0, 0);
        EXPECT_EQ(Box(failure, status), OnlyBox());
        EXPECT_NE(BST_CHECKED, IsDlgButtonChecked(page->Window(), id));
    }
    void PassThroughSet(NorvikStatus status)
    {
        DeviceSwitch(status, NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, IDC_SPDIF_PASS_THROUGH,
                     L"Set SPDIF pass through failed.");
    }
    void VolumeBypassSet(NorvikStatus status)
    {
        DeviceSwitch(status, NORVIK_IOCTL_SET_VOLUME_BYPASS, IDC_VOLUME_BYPASS, L"Set Bypass volume failed.");
    }
    void MuteBypassSet(NorvikStatus status)
    {
        DeviceSwitch(status, NORVIK_IOCTL_SET_MUTE_BYPASS, IDC_MUTE_BYPASS, L"Set Bypass mute failed.");
    }
    void PolicySet(NorvikStatus status)
    {
        DeviceSwitch(status, NORVIK_IOCTL_SEND_MESSAGE, IDC_FORBID_RATE_CHANGE,
                     L"Changing the policy failed.");
    }

    // A failed read keeps what the switch showed.
    void DeviceSwitchRead(NorvikStatus status, uint32_t ioctl, int id)
    {
        const std::unique_ptr<FormDevice> page = OpenDevicePage();
        if (IsDlgButtonChecked(page->Window(), id) != BST_CHECKED) // an earlier row may have left it on
        {
            (void)SendMessageW(GetDlgItem(page->Window(), id), BM_CLICK, 0, 0);
        }
        ASSERT_EQ(BST_CHECKED, IsDlgButtonChecked(page->Window(), id));
        Inject(ioctl, status);
        page->Refresh();
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page->Window(), id));
    }
    void PassThroughRead(NorvikStatus status)
    {
        DeviceSwitchRead(status, NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, IDC_SPDIF_PASS_THROUGH);
    }
    void VolumeBypassRead(NorvikStatus status)
    {
        DeviceSwitchRead(status, NORVIK_IOCTL_GET_VOLUME_BYPASS, IDC_VOLUME_BYPASS);
    }
    void MuteBypassRead(NorvikStatus status)
    {
        DeviceSwitchRead(status, NORVIK_IOCTL_GET_MUTE_BYPASS, IDC_MUTE_BYPASS);
    }
    void PolicyRead(NorvikStatus status)
    {
        DeviceSwitchRead(status, NORVIK_IOCTL_GET_POLICY, IDC_FORBID_RATE_CHANGE);
    }

    void SpdifInRead(NorvikStatus status)
    {
        const std::unique_ptr<FormDevice> page = OpenDevicePage();
        Inject(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, status);
        page->Refresh();
        EXPECT_EQ(L"", ControlText(page->Window(), IDC_SPDIF_STATUS_TEXT));
    }

    void DriverInfo(NorvikStatus status)
    {
        FormDrvInfo page(client_);
        Open(page, 400, 200);
        page.Refresh();
        const std::wstring before = ControlText(page.Window(), IDC_DRIVER_INFO_TEXT);
        Inject(NORVIK_IOCTL_GET_DRIVER_INFO, status);
        page.Refresh();
        EXPECT_EQ(before, ControlText(page.Window(), IDC_DRIVER_INFO_TEXT));
    }

    // The effect page of the second unit (the one with the effect), its first pair selected.
    std::unique_ptr<FormPlugin> OpenEffectPage()
    {
        const NorvikDeviceRecord unit = model_.Units().at(1);
        auto page = std::make_unique<FormPlugin>(client_, unit.key1, unit.key2);
        Open(*page, 400, 300);
        page->Refresh();
        return page;
    }
    void EffectChannels(NorvikStatus status)
    {
        const std::unique_ptr<FormPlugin> page = OpenEffectPage();
        Inject(NORVIK_IOCTL_QUERY_PLUGIN, status);
        page->Refresh();
        EXPECT_EQ(0, SendDlgItemMessageW(page->Window(), IDC_CHANNEL_PAIR_LIST, CB_GETCOUNT, 0, 0));
    }
    void EffectSet(NorvikStatus status)
    {
        const std::unique_ptr<FormPlugin> page = OpenEffectPage();
        const std::wstring before = ControlText(page->Window(), IDC_DELAY_TEXT);
        (void)TakeBoxes();
        Inject(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, status);
        HWND fader = GetDlgItem(page->Window(), IDC_DELAY_FADER);
        (void)SendMessageW(fader, TBM_SETPOS, TRUE, 40);
        (void)SendMessageW(page->Window(), WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 40),
                           reinterpret_cast<LPARAM>(fader));
        EXPECT_EQ(before, ControlText(page->Window(), IDC_DELAY_TEXT)) << "what the unit kept";
        EXPECT_EQ(0u, TakeBoxes().size());
    }

    // A shown mixer of the first unit on the frame's client, as the device page's button shows it; still
    // levels that put every meter off the bottom.
    UniqueDialog<FormMixer> ShowMixer(bool hardwareInputs)
    {
        if (!mainClientOpen_)
        {
            INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
            (void)InitCommonControlsEx(&controls);
            EXPECT_EQ(NORVIK_STATUS_SUCCESS, mainClient.OpenAsClient(NORVIK_DRIVER_NAME));
            bool changed = false;
            EXPECT_EQ(NORVIK_STATUS_SUCCESS, mainClient.UpdateDeviceList(&changed));
            mainClientOpen_ = true;
        }
        model_.SetLevelsMode(SimLevelsMode::Fixed, -1000);
        const NorvikDevice* unit = mainClient.DeviceAt(0);
        auto mixer = MakeDialog<FormMixer>(unit->Key1(), unit->Key2(), hardwareInputs);
        EXPECT_NE(nullptr, mixer->Create(Host()));
        mixer->ShowMixer();
        PumpMessages();
        return mixer;
    }
    void TearDown() override
    {
        if (mainClientOpen_)
        {
            mainClient.CloseAll();
            bool changed = false;
            (void)mainClient.UpdateDeviceList(&changed); // its devices go before the model
        }
        PageTest::TearDown();
    }

    void MixerPins(NorvikStatus status)
    {
        // The outputs' pins are read first: without them the mixer has rows but no columns.
        Inject(NORVIK_IOCTL_GET_MIXER_PINS, status);
        const UniqueDialog<FormMixer> mixer = ShowMixer(true);
        EXPECT_EQ(0u, mixer->OutputStripCountForTesting());
        // A unit reported removed has its handle closed: its inputs cannot be read either.
        EXPECT_EQ(status == NORVIK_STATUS_DEVICE_REMOVED ? 0u : 9u, mixer->InputStripCountForTesting());
    }
    static int Meter(HWND strip)
    {
        return static_cast<int>(SendDlgItemMessageW(strip, IDC_METER_LEFT, PBM_GETPOS, 0, 0));
    }
    void Levels(NorvikStatus status, uint32_t ioctl)
    {
        const UniqueDialog<FormMixer> mixer = ShowMixer(true);
        Inject(ioctl, status);
        (void)SendMessageW(mixer->Hwnd(), WM_TIMER, FormMixer::kPollTimerId, 0);
        // The level read that went through shows -10 dB; the failed one puts its meters at the bottom. The
        // outputs are read first: after their removal (the unit's handle closed) the inputs fail too.
        const bool outputs = ioctl == NORVIK_IOCTL_GET_OUTPUT_LEVELS;
        const bool removed = status == NORVIK_STATUS_DEVICE_REMOVED;
        EXPECT_EQ(outputs ? 0 : 5000, Meter(mixer->OutputStripForTesting(0).Window()));
        EXPECT_EQ(outputs && !removed ? 5000 : 0, Meter(mixer->InputStripForTesting(0).Window()));
    }
    void OutputLevels(NorvikStatus status) { Levels(status, NORVIK_IOCTL_GET_OUTPUT_LEVELS); }
    void InputLevels(NorvikStatus status) { Levels(status, NORVIK_IOCTL_GET_INPUT_LEVELS); }
    void Volumes(NorvikStatus status)
    {
        const UniqueDialog<FormMixer> mixer = ShowMixer(true);
        Inject(NORVIK_IOCTL_GET_PIN_VOLUMES, status);
        mixer->ReloadVolumes();
        EXPECT_EQ(L"n/a", ControlText(mixer->OutputStripForTesting(0).Window(), IDC_VOLUME_TEXT_LEFT));
    }
    void Weights(NorvikStatus status)
    {
        const UniqueDialog<FormMixer> mixer = ShowMixer(false);
        Inject(NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, status);
        mixer->ReloadWeights();
        EXPECT_EQ(L"n/a", ControlText(mixer->ConnectionForTesting(0, 0).Window(), IDC_CELL_LEFT_TO_LEFT));
    }
    void VolumeSet(NorvikStatus status)
    {
        const UniqueDialog<FormMixer> mixer = ShowMixer(true);
        HWND strip = mixer->OutputStripForTesting(0).Window();
        HWND fader = GetDlgItem(strip, IDC_FADER_LEFT);
        (void)TakeBoxes(); // the box watcher counts the mixer windows too
        Inject(NORVIK_IOCTL_SET_PIN_VOLUMES, status);
        (void)SendMessageW(fader, TBM_SETPOS, TRUE, 1000);
        (void)SendMessageW(strip, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 1000),
                           reinterpret_cast<LPARAM>(fader));
        EXPECT_EQ(0u, TakeBoxes().size());
    }
    void WeightSet(NorvikStatus status)
    {
        (void)ShowMixer(true); // opens the frame's client
        const NorvikDevice* unit = mainClient.DeviceAt(0);
        NorvikWeightItem record{{NORVIK_PIN_ANALOG, 0, {}}, {NORVIK_PIN_ANALOG, 0, {}}, -650, 0, 0};
        FormWeightCtrl control(unit->Key1(), unit->Key2(), 40, 50, &record);
        ASSERT_NE(nullptr, control.Create(Host()));
        (void)TakeBoxes();
        Inject(NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, status);
        (void)SendDlgItemMessageW(control.Window(), IDC_WEIGHT_CONNECTED, BM_CLICK, 0, 0);
        EXPECT_TRUE(record.IsConnected()) << "the choice stays";
        EXPECT_EQ(0u, TakeBoxes().size());
    }

  private:
    bool mainClientOpen_ = false;
    FormMixer hardwareMixer_{0, 0, true};
    FormMixer softwareMixer_{0, 0, false};
};
