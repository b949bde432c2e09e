// Each unit's pages and mixer windows in the real main frame: their places under "Devices", their windows,
// a rebuild while a device page is shown, and the unit notifications that reach them. What the mixers do with
// 3050 to 3052 is the mixer tests' business.
#include "cpl/FormDevice.h"
#include "tests/cpl/CplFrameFixture.h"
#include "tests/cpl/PageTest.h"

#include <commctrl.h>

#include <cstring>

namespace
{
class DevicePagesInFrame : public CplFrameFixture
{
  protected:
    // The items under "Devices", in tree order.
    std::vector<TreeItemData> DeviceChildren()
    {
        const HWND tree = frame_->Selection().Tree();
        HTREEITEM devices = TreeView_GetRoot(tree);
        for (int i = 0; i < 2 && devices != nullptr; ++i)
        {
            devices = TreeView_GetNextSibling(tree, devices);
        }
        std::vector<TreeItemData> children;
        for (HTREEITEM item = devices != nullptr ? TreeView_GetChild(tree, devices) : nullptr;
             item != nullptr; item = TreeView_GetNextSibling(tree, item))
        {
            children.push_back(ReadTreeItem(item));
        }
        return children;
    }
    FormDevice* DevicePage(size_t unit)
    {
        const NorvikDeviceRecord record = model_.Units().at(unit);
        return frame_->PerDevicePages().Find(record.key1, record.key2);
    }
};
} // namespace

TEST_F(DevicePagesInFrame, EachUnitHasItsPagesUnderDevicesAndTwoHiddenMixers)
{
    CreateFrame();
    const std::vector<TreeItemData> children = DeviceChildren();
    ASSERT_EQ(3u, children.size());
    const wchar_t* texts[] = {L"Corvex", L"Corvex", L"Plugin1"};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(texts[i], children[i].text) << i;
        EXPECT_EQ(kTreeImageDevice, children[i].image) << i;
        EXPECT_FALSE(IsWindowVisible(children[i].page->Window())) << i;
    }
    for (size_t unit = 0; unit < 2; ++unit)
    {
        FormDevice* page = DevicePage(unit);
        ASSERT_NE(nullptr, page) << unit;
        EXPECT_EQ(children[unit].page, page);
        for (FormMixer* mixer : {&page->HardwareInputsMixer(), &page->SoftwareOutputsMixer()})
        {
            EXPECT_EQ(frame_->Hwnd(), GetWindow(mixer->Hwnd(), GW_OWNER)) << unit;
            EXPECT_FALSE(IsWindowVisible(mixer->Hwnd())) << unit;
            EXPECT_EQ(page->Key1(), mixer->Key1ForTesting());
            EXPECT_EQ(page->Key2(), mixer->Key2ForTesting());
        }
        EXPECT_TRUE(page->HardwareInputsMixer().IsHardwareInputsForTesting());
        EXPECT_FALSE(page->SoftwareOutputsMixer().IsHardwareInputsForTesting());
    }
    SelectPage(DevicePage(1));
    EXPECT_FALSE(SaveScreenshot(frame_->Hwnd(), L"frame-device").empty());
    SelectPage(children[2].page);
    EXPECT_FALSE(SaveScreenshot(frame_->Hwnd(), L"frame-effect").empty());
}

TEST_F(DevicePagesInFrame, WithoutUnitsDevicesHasNoChildren)
{
    for (const NorvikDeviceRecord& unit : model_.Units())
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.UnplugUnit(unit.key1, unit.key2));
    }
    CreateFrame();
    EXPECT_EQ(7u, frame_->Selection().PagesInOrder().size());
    EXPECT_TRUE(DeviceChildren().empty());
}

TEST_F(DevicePagesInFrame, RebuildWhileADevicePageIsShownForgetsItsPagesAndClosesItsMixers)
{
    CreateFrame();
    FormDevice* page = DevicePage(0);
    SelectPage(page);
    (void)SendMessageW(GetDlgItem(page->Window(), IDC_HARDWARE_MIXER), BM_CLICK, 0, 0);
    const HWND mixer = page->HardwareInputsMixer().Hwnd();
    ASSERT_TRUE(IsWindowVisible(mixer));
    EXPECT_FALSE(IsWindowVisible(page->SoftwareOutputsMixer().Hwnd()));

    const NorvikDeviceRecord first = model_.Units()[0];
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.UnplugUnit(first.key1, first.key2));
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
    DrainDriver();

    EXPECT_FALSE(IsWindow(mixer));
    EXPECT_EQ(&frame_->SampleRatePage(), frame_->Selection().SelectedPage());
    EXPECT_EQ(&frame_->SampleRatePage(), frame_->CurrentPage());
    EXPECT_TRUE(IsWindowVisible(frame_->SampleRatePage().Window()));
    EXPECT_EQ(nullptr, frame_->PerDevicePages().Find(first.key1, first.key2));
    // The effect unit is now first in the list.
    const std::vector<TreeItemData> children = DeviceChildren();
    ASSERT_EQ(2u, children.size());
    EXPECT_EQ(L"Corvex", children[0].text);
    EXPECT_EQ(L"Plugin0", children[1].text);
}

TEST_F(DevicePagesInFrame, UnitNotificationsReachOnlyThatUnitsPage)
{
    CreateFrame();
    const NorvikDeviceRecord units[] = {model_.Units()[0], model_.Units()[1]};
    const auto spdif = [this](size_t unit)
    { return ControlText(DevicePage(unit)->Window(), IDC_SPDIF_STATUS_TEXT); };
    ASSERT_EQ(L"No Signal", spdif(0));

    // The model announces the change with 3040 and the unit's keys: that page and the status bar follow.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetStreamingState(4));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS,
              model_.SetSpdifIn({units[0].key1, units[0].key2}, true, NorvikSpdifInStatus{0, 3, 1, 96000}));
    DrainDriver();
    EXPECT_EQ(L"Locked (PCM 96000 Hz)", spdif(0));
    EXPECT_EQ(L"No Signal", spdif(1));
    EXPECT_EQ(L"Streaming state: Running", StatusText(1));

    // A payload that is not exactly the keys refreshes no page, only the status bar.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS,
              model_.SetSpdifIn({units[1].key1, units[1].key2}, false, NorvikSpdifInStatus{}));
    NorvikMessage dropped;
    dropped.Init(0, 0);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, mainClient.ReceiveNotification(&dropped));
    ASSERT_EQ(NORVIK_NOTIFY_DEVICE_STATE_CHANGED, dropped.code);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetStreamingState(2));
    const uint32_t longer[3] = {units[1].key1, units[1].key2, 0};
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, longer, sizeof(longer));
    DrainDriver();
    EXPECT_EQ(L"No Signal", spdif(1));
    EXPECT_EQ(L"Streaming state: Ready", StatusText(1));
}

// A box on a page and the weight control keep what they edit: the tree and mixer rebuilds of a 3030 with a
// changed list and a 3050 wait until they close, so only the edited crosspoint reaches the unit.
TEST_F(DevicePagesInFrame, RebuildsWaitForAnOpenBoxOrWeightControl)
{
    CreateFrame();
    FormDevice* page = DevicePage(0);
    SelectPage(page);
    const NorvikDeviceKeys keys{page->Key1(), page->Key2()};
    const HWND frame = frame_->Hwnd();
    size_t devicesDuringBox = 0;
    const auto replugAndNotify = [&](bool pins)
    {
        (void)model_.PlugUnit(SimUnitSpec{pins ? L"CVX-RULE-2" : L"CVX-RULE-1"});
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
        if (pins)
            (void)model_.SetMixerPins(keys, 26, 2, 2);
        (void)SendMessageW(frame, WM_DRIVER_NOTIFICATION, 0, 0);
    };
    {
        DialogCloser closer(
            [&](HWND)
            {
                replugAndNotify(false);
                devicesDuringBox = DeviceChildren().size();
            });
        model_.InjectFault(NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, NORVIK_STATUS_NOT_SUPPORTED);
        (void)SendMessageW(GetDlgItem(page->Window(), IDC_SPDIF_PASS_THROUGH), BM_CLICK, 0, 0);
        ASSERT_EQ(1u, closer.Seen().size());
    }
    EXPECT_EQ(3u, devicesDuringBox);
    ASSERT_TRUE(PumpUntil([&] { return DeviceChildren().size() == 4; }));

    page = DevicePage(0);
    (void)SendMessageW(GetDlgItem(page->Window(), IDC_HARDWARE_MIXER), BM_CLICK, 0, 0);
    FormMixer& mixer = page->HardwareInputsMixer();
    const HWND mixerWindow = mixer.Hwnd();
    // The second input pair's left input to the second output pair's left output.
    FormMixerConnection& block = mixer.ConnectionForTesting(1, 1);
    const NorvikWeightItem edited =
        mixer.CrosspointForTesting(static_cast<uint32_t>(1 * mixer.InputStripCountForTesting() + 1) * 4);
    model_.ClearRequestLog();
    {
        DialogCloser closer(
            [&](HWND dialog)
            {
                HWND fader = GetDlgItem(dialog, IDC_WEIGHT_FADER);
                replugAndNotify(true);
                // What a user then does with the fader (and Exit, and the mixer's close box) meets the same
                // crosspoint in the same windows.
                (void)PostMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);
                (void)SendMessageW(mixerWindow, WM_CLOSE, 0, 0);
                (void)SendMessageW(fader, TBM_SETPOS, TRUE, 1000);
                (void)SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 1000),
                                   reinterpret_cast<LPARAM>(fader));
            });
        const HWND cell = GetDlgItem(block.Window(), IDC_CELL_LEFT_TO_LEFT);
        (void)SendMessageW(block.Window(), WM_COMMAND, MAKEWPARAM(IDC_CELL_LEFT_TO_LEFT, STN_CLICKED),
                           reinterpret_cast<LPARAM>(cell));
    }
    std::vector<SimLogEntry> sent;
    for (const SimLogEntry& entry : model_.RequestLog())
    {
        sent.insert(sent.end(), entry.code == NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS ? 1 : 0, entry);
    }
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(0, std::memcmp(&edited, sent[0].head, 8)) << "the edited crosspoint's output and input pins";
    EXPECT_EQ(-400, *reinterpret_cast<const int16_t*>(sent[0].head + 8));
    // Then the held rebuild and the held Exit run: the frame goes as the user asked.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }));
    frame_.reset();
}

// Both mixers of a unit show its output volumes from records of their own, and the unit does not tell a
// handle of its own changes: after a strip sends, the other mixer reads them again. Repeated 3050 already
// queued for one unit cost one rebuild, and the mixer stays shown.
TEST_F(DevicePagesInFrame, TheTwoMixersAgreeAndABurstCostsOneRebuild)
{
    CreateFrame();
    FormDevice* page = DevicePage(0);
    const NorvikDeviceKeys keys{page->Key1(), page->Key2()};
    page->HardwareInputsMixer().ShowMixer();
    page->SoftwareOutputsMixer().ShowMixer();
    const HWND hardwareStrip = page->HardwareInputsMixer().OutputStripForTesting(0).Window();
    const HWND softwareStrip = page->SoftwareOutputsMixer().OutputStripForTesting(0).Window();
    (void)SendMessageW(GetDlgItem(hardwareStrip, IDC_MUTE), BM_CLICK, 0, 0);
    EXPECT_EQ(L"M", ControlText(softwareStrip, IDC_VOLUME_TEXT_LEFT));
    HWND fader = GetDlgItem(softwareStrip, IDC_FADER_LEFT);
    (void)SendMessageW(fader, TBM_SETPOS, TRUE, 1000);
    (void)SendMessageW(softwareStrip, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 1000),
                       reinterpret_cast<LPARAM>(fader));
    NorvikVolumeItem volume{NorvikPin{NORVIK_PIN_ANALOG, 0, {}}, 0, 0, 0};
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, mainClient.FindDevice(keys.key1, keys.key2)->GetPinVolumes(&volume, 1));
    EXPECT_TRUE(volume.IsMuted()) << "the unit stays muted";
    EXPECT_EQ(L"M", ControlText(hardwareStrip, IDC_VOLUME_TEXT_LEFT));

    for (int i = 0; i < 30; ++i)
    {
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_MIXER_PINS_CHANGED, &keys, sizeof(keys));
    }
    model_.ClearRequestLog();
    DrainDriver();
    size_t pinReads = 0;
    for (const SimLogEntry& entry : model_.RequestLog())
    {
        pinReads += entry.code == NORVIK_IOCTL_GET_MIXER_PINS ? 1 : 0;
    }
    EXPECT_EQ(4u, pinReads) << "one rebuild of each mixer";
    EXPECT_TRUE(IsWindowVisible(page->HardwareInputsMixer().Hwnd()));
    EXPECT_TRUE(page->HardwareInputsMixer().IsPollingForTesting());
}
