// The device page against the in-process driver: texts for every kind of unit and every S/P-DIF input state,
// the switches with their refusals, the policy bits, and a unit that went away. The mixer buttons are tried
// in the frame: a shown mixer is a dialog that the page fixture's box closer would take for a message box.
#include "cpl/FormDevice.h"
#include "tests/cpl/PageTest.h"

namespace
{
class DevicePage : public PageTest
{
  protected:
    // The page of the unit at `index` of the model's list, shown in the host.
    void OpenPage(size_t index)
    {
        const NorvikDeviceRecord unit = model_.Units().at(index);
        keys_ = {unit.key1, unit.key2};
        page_ = std::make_unique<FormDevice>(client_, unit.key1, unit.key2, hardware_, software_);
        Open(*page_, 400, 340);
    }
    std::wstring Text(int id) const { return ControlText(page_->Window(), id); }
    bool Checked(int id) const { return IsDlgButtonChecked(page_->Window(), id) == BST_CHECKED; }
    void Click(int id) { (void)SendMessageW(GetDlgItem(page_->Window(), id), BM_CLICK, 0, 0); }
    NorvikDevice& Device() { return *client_.FindDevice(keys_.key1, keys_.key2); }
    // The switch as the unit has it.
    bool OnInUnit(int id)
    {
        bool on = false;
        const NorvikStatus status = id == IDC_SPDIF_PASS_THROUGH ? Device().GetSpdifPassThrough(0, 0, &on)
                                    : id == IDC_VOLUME_BYPASS    ? Device().GetVolumeBypass(&on)
                                                                 : Device().GetMuteBypass(&on);
        EXPECT_EQ(NORVIK_STATUS_SUCCESS, status);
        return on;
    }

    NorvikDeviceKeys keys_{};
    FormMixer hardware_{0, 0, true}; // windowless: the buttons are tried in the frame
    FormMixer software_{0, 0, false};
    std::unique_ptr<FormDevice> page_;
};
} // namespace

TEST_F(DevicePage, InfoTextTellsTheConnectionAndStreaming)
{
    SimUnitSpec slow;
    slow.serial = L"CVX-SLOW";
    slow.highSpeed = false;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.PlugUnit(slow));
    UpdateDevices();
    const struct
    {
        size_t unit;
        const wchar_t* text;
        const wchar_t* screenshot;
    } cases[] = {
        {0, L"Corvex\nSerial: CVX10001\n\nThis device is selected for streaming.", L"page-device-streaming"},
        {1, L"Corvex\nSerial: CVX10002\n\nThis device is not streaming.", nullptr},
        {2, L"Corvex\nSerial: CVX-SLOW\n\nConnected to USB 1.1 port. CANNOT stream audio!",
         L"page-device-usb11"},
    };
    for (const auto& c : cases)
    {
        OpenPage(c.unit);
        EXPECT_EQ(c.text, Text(IDC_DEVICE_INFO_TEXT)) << "unit " << c.unit;
        if (c.screenshot != nullptr)
        {
            Screenshot(c.screenshot);
        }
    }

    // The port outranks the streaming mark, which the model never sets on a slow unit.
    NorvikDeviceRecord record = model_.Units()[2];
    record.streamingFlags = 1;
    EXPECT_EQ(L"Corvex\nSerial: CVX-SLOW\n\nConnected to USB 1.1 port. CANNOT stream audio!",
              device_page::DeviceInfoText(record));
}

TEST_F(DevicePage, SpdifTextForEveryStateAndFormat)
{
    OpenPage(0);
    const struct
    {
        bool present;
        NorvikSpdifInStatus status;
        const wchar_t* text;
    } cases[] = {
        {true, {0, 0, 0, 0}, L"Not Streaming"},
        {true, {0, 1, 0, 0}, L"No Signal"},
        {true, {0, 2, 1, 48000}, L"Synchronizing"},
        {true, {0, 3, 0, 0}, L"Locked (unknown Format)"},
        {true, {0, 3, 1, 48000}, L"Locked (PCM 48000 Hz)"},
        {true, {0, 3, 2, 44100}, L"Locked (Non-PCM)"},
        {true, {0, 3, 3, 0}, L"invalid Format"},
        {true, {0, 4, 1, 0}, L"invalid State"},
        {false, {0, 3, 1, 48000}, L"SPDIF not available"},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSpdifIn(keys_, c.present, c.status));
        page_->Refresh();
        EXPECT_EQ(c.text, Text(IDC_SPDIF_STATUS_TEXT))
            << "state " << c.status.state << " format " << c.status.format << " present " << c.present;
    }
    // Any other failure leaves the line empty.
    model_.InjectFault(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, NORVIK_STATUS_DEVICE_REMOVED);
    page_->Refresh();
    EXPECT_EQ(L"", Text(IDC_SPDIF_STATUS_TEXT));
}

TEST_F(DevicePage, SwitchesReachTheUnitAndARefusalClearsTheBox)
{
    OpenPage(1);
    const struct
    {
        int id;
        uint32_t setCode;
        const wchar_t* failure;
    } switches[] = {
        {IDC_SPDIF_PASS_THROUGH, NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, L"Set SPDIF pass through failed."},
        {IDC_VOLUME_BYPASS, NORVIK_IOCTL_SET_VOLUME_BYPASS, L"Set Bypass volume failed."},
        {IDC_MUTE_BYPASS, NORVIK_IOCTL_SET_MUTE_BYPASS, L"Set Bypass mute failed."},
    };
    for (const auto& s : switches)
    {
        const std::string name = "switch " + std::to_string(s.id);
        // Checked while the unit refuses: the box says why and shows the switch off.
        ClearLog();
        model_.InjectFault(s.setCode, NORVIK_STATUS_NOT_SUPPORTED);
        Click(s.id);
        const auto boxes = TakeBoxes();
        ASSERT_EQ(1u, boxes.size()) << name;
        EXPECT_EQ(std::wstring(s.failure) + L" (Status=NORVIK_STATUS_NOT_SUPPORTED).", boxes[0].text) << name;
        EXPECT_FALSE(Checked(s.id)) << name;
        EXPECT_EQ(1u, LoggedRequests(s.setCode)) << name;

        // Then accepted, and read back as on by a refresh; unchecking turns it off again.
        Click(s.id);
        EXPECT_TRUE(TakeBoxes().empty()) << name;
        EXPECT_TRUE(OnInUnit(s.id)) << name;
        page_->Refresh();
        EXPECT_TRUE(Checked(s.id)) << name;
        Click(s.id);
        EXPECT_FALSE(OnInUnit(s.id)) << name;
    }
    // A switch keeps what it showed when its read fails.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, Device().SetMuteBypass(true));
    page_->Refresh();
    ASSERT_TRUE(Checked(IDC_MUTE_BYPASS));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, Device().SetMuteBypass(false));
    model_.InjectFault(NORVIK_IOCTL_GET_MUTE_BYPASS, NORVIK_STATUS_DEVICE_REMOVED);
    page_->Refresh();
    EXPECT_TRUE(Checked(IDC_MUTE_BYPASS));
}

TEST_F(DevicePage, ForbidRateChangeSetsBitZeroOnlyThroughTheService)
{
    model_.SetPolicy(0x6);
    OpenPage(0);
    EXPECT_FALSE(Checked(IDC_FORBID_RATE_CHANGE));
    Click(IDC_FORBID_RATE_CHANGE);
    EXPECT_EQ(0x7u, model_.Settings().policy);
    Click(IDC_FORBID_RATE_CHANGE);
    EXPECT_EQ(0x6u, model_.Settings().policy);
    EXPECT_TRUE(TakeBoxes().empty());

    // A policy that cannot be read is taken as 0.
    model_.InjectFault(NORVIK_IOCTL_GET_POLICY, NORVIK_STATUS_DEVICE_REMOVED);
    Click(IDC_FORBID_RATE_CHANGE);
    EXPECT_EQ(0x1u, model_.Settings().policy);
    page_->Refresh();
    EXPECT_TRUE(Checked(IDC_FORBID_RATE_CHANGE));

    // The service refuses while a program streams: the box is shown cleared.
    Click(IDC_FORBID_RATE_CHANGE);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StartClient(4));
    Click(IDC_FORBID_RATE_CHANGE);
    const auto boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Changing the policy failed. (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).", boxes[0].text);
    EXPECT_FALSE(Checked(IDC_FORBID_RATE_CHANGE));
    EXPECT_EQ(0x0u, model_.Settings().policy);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StopClient(4));
}

TEST_F(DevicePage, RestoreSettingsIsTheServicesSwitch)
{
    OpenPage(1);
    EXPECT_FALSE(Checked(IDC_RESTORE_SETTINGS)) << "off unless turned on";
    bool on = false;
    Click(IDC_RESTORE_SETTINGS);
    EXPECT_TRUE(TakeBoxes().empty());
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.GetRestoreSettings(keys_.key1, keys_.key2, &on));
    EXPECT_TRUE(on);
    Click(IDC_RESTORE_SETTINGS);
    page_->Refresh();
    EXPECT_FALSE(Checked(IDC_RESTORE_SETTINGS));
}

TEST_F(DevicePage, AUnitThatWentAwayEmptiesTheTextsAndTakesNoChanges)
{
    OpenPage(1);
    Click(IDC_VOLUME_BYPASS);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.UnplugUnit(keys_.key1, keys_.key2));
    UpdateDevices();
    page_->Refresh();
    EXPECT_EQ(L"", Text(IDC_DEVICE_INFO_TEXT));
    EXPECT_EQ(L"", Text(IDC_SPDIF_STATUS_TEXT));
    EXPECT_TRUE(Checked(IDC_VOLUME_BYPASS)) << "the switches show what they showed";

    ClearLog();
    Click(IDC_MUTE_BYPASS);
    EXPECT_EQ(0u, LoggedRequests(NORVIK_IOCTL_SET_MUTE_BYPASS));
    EXPECT_TRUE(TakeBoxes().empty());
}
