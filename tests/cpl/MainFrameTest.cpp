// The main frame with real windows against the simulator model: page tree, status bar, notifications,
// arrivals and removals, a driver restarted under the frame, window placement, the close box, keyboard
// navigation, menu help and the About box.
#include "tests/cpl/CplFrameFixture.h"

#include "driverapi/PipeDriverPort.h"
#include "resources/corvexcpl.h"
#include "simulator/SimPipeServer.h"

#include <commctrl.h>
#include <dbt.h>
#include <thread>

namespace
{
using MainFrameTest = CplFrameFixture;

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}
} // namespace

TEST_F(MainFrameTest, TreeHoldsThePagesInOrderAndShowsSampleRate)
{
    CreateFrame();
    FormSelection& tree = frame_->Selection();
    const std::vector<FormBase*> pages = tree.PagesInOrder();
    ASSERT_EQ(10u, pages.size()) << "seven fixed pages, two device pages and one effect page";
    EXPECT_EQ(&frame_->SampleRatePage(), pages[0]);
    EXPECT_EQ(L"Sample Rate", tree.ItemText(pages[0]));
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = TreeView_GetRoot(tree.Tree());
    ASSERT_TRUE(TreeView_GetItem(tree.Tree(), &item));
    EXPECT_EQ(kTreeImageSettings, item.iImage);
    EXPECT_EQ(kTreeImageSettings, item.iSelectedImage);
    EXPECT_EQ(6, ImageList_GetImageCount(TreeView_GetImageList(tree.Tree(), TVSIL_NORMAL)));

    EXPECT_EQ(&frame_->SampleRatePage(), tree.SelectedPage());
    EXPECT_EQ(&frame_->SampleRatePage(), frame_->CurrentPage());
    EXPECT_TRUE(IsWindowVisible(frame_->SampleRatePage().Window()));
    EXPECT_FALSE(IsWindowVisible(frame_->NoDevicePage().Window()));
    EXPECT_TRUE(IsWindowEnabled(tree.Window()));
    EXPECT_EQ(tree.Window(), frame_->Splitter().LeftPane());
    EXPECT_EQ(frame_->SampleRatePage().Window(), frame_->Splitter().RightPane());
    EXPECT_EQ(MainFrame::kSplitterPosition, frame_->Splitter().SplitterPos());

    EXPECT_TRUE(mainClient.IsOpen());
    EXPECT_EQ(2u, mainClient.DeviceCount()); // read at connection, not only after the service's next 3030
    EXPECT_TRUE(MainFrame::IsNotificationThreadRunning());
    EXPECT_TRUE(frame_->VisibleClient().IsOpen());
    EXPECT_EQ(nullptr, GetMenu(frame_->Hwnd()));
    EXPECT_FALSE(GetWindowLongPtrW(frame_->Hwnd(), GWL_STYLE) & WS_MAXIMIZEBOX);
    EXPECT_EQ(L"Ready", StatusText(0));
    EXPECT_GE(frame_->Status().PaneWidth(1), 220);
    EXPECT_GE(frame_->Status().PaneWidth(2), 190);
}

TEST_F(MainFrameTest, WithoutDriverTheTreeIsEmptyAndDisabled)
{
    model_.SetPresent(false);
    CreateFrame();
    EXPECT_TRUE(frame_->Selection().PagesInOrder().empty());
    EXPECT_FALSE(IsWindowEnabled(frame_->Selection().Window()));
    EXPECT_EQ(&frame_->NoDevicePage(), frame_->CurrentPage());
    EXPECT_TRUE(IsWindowVisible(frame_->NoDevicePage().Window()));
    wchar_t text[100] = L"";
    GetDlgItemTextW(frame_->NoDevicePage().Window(), IDC_STATIC_TEXT, text, 100);
    EXPECT_STREQ(L"There is no Meridant device connected.", text);
    EXPECT_EQ(L"Ready", StatusText(0));
    EXPECT_EQ(L"Driver not available.", StatusText(1));
    EXPECT_EQ(L"", StatusText(2));
    EXPECT_FALSE(mainClient.IsOpen());
    EXPECT_FALSE(MainFrame::IsNotificationThreadRunning());
    EXPECT_FALSE(frame_->VisibleClient().IsOpen());
    SaveScreenshot(frame_->Hwnd(), L"page-no-device");
}

TEST_F(MainFrameTest, StatusBarShowsEveryStreamingStateAndTheRate)
{
    CreateFrame();
    const struct
    {
        uint32_t state;
        const wchar_t* text;
    } cases[] = {
        {0, L"Streaming state: Undefined"},
        {1, L"Streaming state: Down"},
        {2, L"Streaming state: Ready"},
        {3, L"Streaming state: Prepared"},
        {4, L"Streaming state: Running"},
        {5, L"Streaming state: Error"},
        {6, L"Streaming not supported on USB 1.1 port."},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetStreamingState(c.state));
        frame_->UpdateStatusBar();
        EXPECT_EQ(c.text, StatusText(1)) << c.state;
        EXPECT_EQ(L"Current sampling rate: 48.000 kHz", StatusText(2)) << c.state;
    }

    // A state the frame does not know leaves the pane as it was; the rate still shows.
    NorvikStreamingStatus unknown{};
    unknown.state = 7;
    unknown.sampleRate = 44100;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&unknown);
    model_.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, 0, 1,
                       std::vector<uint8_t>(bytes, bytes + sizeof(unknown)));
    frame_->UpdateStatusBar();
    EXPECT_EQ(L"Streaming not supported on USB 1.1 port.", StatusText(1));
    EXPECT_EQ(L"Current sampling rate: 44.100 kHz", StatusText(2));

    model_.InjectFault(NORVIK_IOCTL_GET_STREAMING_STATUS, NORVIK_STATUS_FAILED);
    frame_->UpdateStatusBar();
    EXPECT_EQ(L"Streaming state unknown", StatusText(1));
    EXPECT_EQ(L"Current sampling rate: unknown", StatusText(2));
}

TEST_F(MainFrameTest, NotificationsRefreshThePagesAndTheStatusBarByCode)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({44100, 48000, 96000}));
    CreateFrame();
    const HWND rates = frame_->SampleRatePage().Item(IDC_RATE_LIST);
    const HTREEITEM root = TreeView_GetRoot(frame_->Selection().Tree());

    // 3001 (the driver's own rate change): page and status bar.
    model_.SetCurrentRate(96000);
    DrainDriver();
    EXPECT_EQ(2, SendMessageW(rates, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"Current sampling rate: 96.000 kHz", StatusText(2));

    // 3011: the page is read again.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({44100, 96000}));
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_SAMPLE_RATE_CHANGED);
    DrainDriver();
    EXPECT_EQ(2, SendMessageW(rates, CB_GETCOUNT, 0, 0));

    // 3010 changes nothing; 3040 (with or without a proper payload) updates the status bar.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetStreamingState(4));
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_STREAMING_STATE_CHANGED);
    DrainDriver();
    EXPECT_EQ(L"Streaming state: Down", StatusText(1));
    const uint32_t shortPayload = 7;
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, &shortPayload,
                  sizeof(shortPayload));
    DrainDriver();
    EXPECT_EQ(L"Streaming state: Running", StatusText(1));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetStreamingState(2));
    const NorvikDeviceKeys keys{model_.Units()[0].key1, model_.Units()[0].key2};
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, &keys, sizeof(keys));
    DrainDriver();
    EXPECT_EQ(L"Streaming state: Ready", StatusText(1));

    // 3030 without a change in the list refreshes the selected page and the status bar (the service's
    // streaming may have come up since the list was read); the tree stays as it was.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({32000, 44100, 48000, 96000}));
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetStreamingState(3));
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
    DrainDriver();
    EXPECT_EQ(4, SendMessageW(rates, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Streaming state: Prepared", StatusText(1));
    EXPECT_EQ(root, TreeView_GetRoot(frame_->Selection().Tree()));
}

TEST_F(MainFrameTest, ABurstOfNotificationsIsDrainedThroughThePostingThread)
{
    CreateFrame();
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({44100}));
    for (int i = 0; i < 10; ++i)
    {
        model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_SAMPLE_RATE_CHANGED);
    }
    const HWND rates = frame_->SampleRatePage().Item(IDC_RATE_LIST);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(rates, CB_GETCOUNT, 0, 0) == 1; }));
    PumpMessages();
    NorvikMessage left;
    left.Init(0, 0);
    EXPECT_EQ(NORVIK_STATUS_NO_MORE_ITEMS, mainClient.ReceiveNotification(&left));
}

TEST_F(MainFrameTest, ArrivalWhileDisconnectedConnectsAndArrivalWhileConnectedChangesNothing)
{
    model_.SetPresent(false);
    CreateFrame();
    model_.SetPresent(true);

    // Other events, and broadcasts without a name, are not arrivals of the interface.
    SendArrival(L"\\\\?\\USB#corvex", DBT_DEVICEREMOVECOMPLETE);
    SendArrival(L"");
    EXPECT_FALSE(mainClient.IsOpen());

    SendArrival(L"\\\\?\\USB#corvex");
    PumpMessages();
    EXPECT_TRUE(mainClient.IsOpen());
    EXPECT_TRUE(MainFrame::IsNotificationThreadRunning());
    EXPECT_EQ(10u, frame_->Selection().PagesInOrder().size());
    EXPECT_TRUE(IsWindowEnabled(frame_->Selection().Window()));
    EXPECT_EQ(&frame_->SampleRatePage(), frame_->CurrentPage());
    EXPECT_EQ(L"Streaming state: Down", StatusText(1));

    const HTREEITEM root = TreeView_GetRoot(frame_->Selection().Tree());
    SendArrival(L"\\\\?\\USB#corvex");
    EXPECT_EQ(root, TreeView_GetRoot(frame_->Selection().Tree()));
}

TEST_F(MainFrameTest, LastUnitRemovedDisconnectsAndEmptiesTheTreeUntilTheNextArrival)
{
    CreateFrame();
    for (const NorvikDeviceRecord& unit : model_.Units())
    {
        ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.UnplugUnit(unit.key1, unit.key2));
    }
    model_.Notify(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
    DrainDriver();
    EXPECT_FALSE(mainClient.IsOpen());
    EXPECT_FALSE(MainFrame::IsNotificationThreadRunning());
    EXPECT_FALSE(frame_->VisibleClient().IsOpen());
    EXPECT_TRUE(frame_->Selection().PagesInOrder().empty());
    EXPECT_FALSE(IsWindowEnabled(frame_->Selection().Window()));
    EXPECT_EQ(&frame_->NoDevicePage(), frame_->CurrentPage());
    EXPECT_EQ(L"Driver not available.", StatusText(1));
    EXPECT_EQ(L"", StatusText(2));

    SimUnitSpec unitSpec;
    unitSpec.serial = L"CX000777";
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.PlugUnit(unitSpec));
    SendArrival(L"\\\\?\\USB#corvex");
    EXPECT_TRUE(mainClient.IsOpen());
    EXPECT_EQ(1u, mainClient.DeviceCount());
    EXPECT_EQ(&frame_->SampleRatePage(), frame_->CurrentPage());
}

TEST_F(MainFrameTest, ADriverRestartedUnderTheFrameIsConnectedAgainAtTheNextArrival)
{
    SimPipeServer server(model_, driver_.control);
    const std::wstring name = L"corvex-cpl-restart-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(0u, server.Start(name));
    PipeDriverPort pipePort(L"\\\\.\\pipe\\" + name);
    SetDriverPortForTesting(&pipePort);
    CreateFrame();

    server.Stop();
    SimUnitSpec unitSpec;
    unitSpec.serial = L"CX000778";
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.PlugUnit(unitSpec));
    ASSERT_EQ(0u, server.Start(name));
    SendArrival(L"\\\\?\\USB#corvex");
    EXPECT_TRUE(mainClient.IsOpen());
    EXPECT_TRUE(MainFrame::IsNotificationThreadRunning());
    EXPECT_EQ(3u, mainClient.DeviceCount());
    EXPECT_EQ(L"Streaming state: Down", StatusText(1));
    DestroyFrame();
    driver_.Route();
}

TEST_F(MainFrameTest, StoredPlacementIsRestoredClampedToTheScreen)
{
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    const struct
    {
        DWORD x, y, w, h;
        LONG left, top;
    } cases[] = {
        {120, 80, 600, 450, 120, 80},
        {5000, 100, 550, 420, width - 50, 100},               // only a strip stays on the screen
        {100, 100, 10, 420, width / 2 - 25, height / 2 - 25}, // too narrow: the square in the middle
        {static_cast<DWORD>(-300), static_cast<DWORD>(-20), 550, 420, 0, 0},
        {100, 80, 0x7FFFFFFF, 0x7FFFFFFF, 100, 80}, // right and bottom beyond 32 bits: the screen's edges
        {0x7FFFFFFF, 0x7FFFFFFF, 600, 450, width - 50, height - 50},
    };
    for (const auto& c : cases)
    {
        StorePlacement(c.x, c.y, c.w, c.h);
        CreateFrame();
        const RECT rect = WindowRect(frame_->Hwnd());
        EXPECT_EQ(c.left, rect.left) << c.x;
        EXPECT_EQ(c.top, rect.top) << c.y;
        // The minimum track size still applies to what the clamp leaves.
        EXPECT_GE(rect.right - rect.left, 50) << c.x;
        DestroyFrame();
    }
}

TEST_F(MainFrameTest, IncompletePlacementKeepsTheStartRectangle)
{
    StorePlacement(300, 300, 600, 450);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kCplRegistryKey, 0, KEY_SET_VALUE, &key));
    RegSetValueExW(key, L"Height", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"450"), 8);
    RegCloseKey(key);
    CreateFrame();
    EXPECT_EQ(100, WindowRect(frame_->Hwnd()).left);
    DestroyFrame();

    DeletePlacement();
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kCplRegistryKey, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    const DWORD x = 300;
    RegSetValueExW(key, L"PosX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&x), sizeof(x));
    RegCloseKey(key);
    CreateFrame();
    EXPECT_EQ(100, WindowRect(frame_->Hwnd()).left);
}

TEST_F(MainFrameTest, PlacementIsSavedOnCloseAndMinimiseButNotWhileMinimised)
{
    CreateFrame();
    SetWindowPos(frame_->Hwnd(), nullptr, 200, 150, 600, 450, SWP_NOZORDER);
    SendMessageW(frame_->Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(frame_->Hwnd()));
    EXPECT_EQ((std::vector<DWORD>{200, 150, 600, 450}), StoredPlacement());

    DeletePlacement();
    SendMessageW(frame_->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(nullptr, frame_->Hwnd());
    EXPECT_TRUE(StoredPlacement().empty());

    CreateFrame();
    SetWindowPos(frame_->Hwnd(), nullptr, 210, 160, 640, 480, SWP_NOZORDER);
    SendMessageW(frame_->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<DWORD>{210, 160, 640, 480}), StoredPlacement());
}

TEST_F(MainFrameTest, MinimumTrackSizeIsSetAndTheMaximumLeftAsTheSystemGaveIt)
{
    CreateFrame(L"");
    MINMAXINFO info{};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {3000, 2000};
    EXPECT_EQ(0, SendMessageW(frame_->Hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(550, info.ptMinTrackSize.x);
    EXPECT_EQ(420, info.ptMinTrackSize.y);
    EXPECT_EQ(3000, info.ptMaxTrackSize.x);
    EXPECT_EQ(2000, info.ptMaxTrackSize.y);
}

TEST_F(MainFrameTest, CloseBoxHidesToTheTrayAndTheTrayBringsTheWindowBack)
{
    CreateFrame(L"");
    if (!frame_->IsIconInstalled())
    {
        GTEST_SKIP() << "the shell refused the tray icon";
    }
    SendMessageW(frame_->Hwnd(), WM_SYSCOMMAND, SC_CLOSE | 3, 0);
    ASSERT_TRUE(IsWindow(frame_->Hwnd()));
    EXPECT_FALSE(IsWindowVisible(frame_->Hwnd()));
    EXPECT_FALSE(frame_->VisibleClient().IsOpen());
    EXPECT_TRUE(mainClient.IsOpen());

    SendMessageW(frame_->Hwnd(), WM_TRAYICON, IDI_TRAY, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(frame_->Hwnd()));
    EXPECT_TRUE(frame_->VisibleClient().IsOpen());

    SendMessageW(frame_->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageW(frame_->Hwnd(), WM_COMMAND, ID_TRAY_RESTORE, 0);
    EXPECT_TRUE(IsWindowVisible(frame_->Hwnd()));

    // "E&xit" really ends it.
    SendMessageW(frame_->Hwnd(), WM_COMMAND, ID_APP_EXIT, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, frame_->Hwnd());
    EXPECT_FALSE(mainClient.IsOpen());
}

TEST_F(MainFrameTest, WithoutTrayTheCloseBoxEndsTheWindowAndSavesThePlacement)
{
    CreateFrame(L"-NoTray");
    EXPECT_FALSE(frame_->IsIconInstalled());
    SendMessageW(frame_->Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, frame_->Hwnd());
    EXPECT_EQ(4u, StoredPlacement().size());
    EXPECT_FALSE(mainClient.IsOpen());
}

TEST_F(MainFrameTest, TabMovesFromTheTreeIntoThePageAndEnterPressesApply)
{
    CreateFrame();
    SetForegroundWindow(frame_->Hwnd());
    SetFocus(frame_->Selection().Tree());
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(frame_->PreTranslateMessage(tab));
    EXPECT_EQ(frame_->SampleRatePage().Item(IDC_RATE_LIST), GetFocus());

    // No service answers: the request fails at once and the failure shows.
    DialogCloser closer;
    MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(frame_->PreTranslateMessage(enter));
    ASSERT_EQ(1u, closer.Seen().size());
    EXPECT_EQ(L"Changing the sample rate failed. (Status=NORVIK_STATUS_NO_SERVER).", closer.Seen()[0].text);
}

TEST_F(MainFrameTest, MenuHelpShowsInTheStatusBarWhileAMenuItemIsHighlighted)
{
    CreateFrame();
    HMENU menu = GetSubMenu(frame_->Commands().Menu(), 0);
    SendMessageW(frame_->Hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, MF_STRING),
                 reinterpret_cast<LPARAM>(menu));
    EXPECT_TRUE(frame_->Status().ShowsMenuHelp());
    EXPECT_EQ(L"Quit the application", frame_->Status().MenuHelp());
    SendMessageW(frame_->Hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(frame_->Status().ShowsMenuHelp());
    EXPECT_EQ(L"Ready", StatusText(0));

    // The command bar: Alt with a mnemonic finds its menu; About shows the toolbar's image, Exit none.
    EXPECT_EQ(0, frame_->Commands().FindMnemonic(L'F'));
    EXPECT_EQ(1, frame_->Commands().FindMnemonic(L'h'));
    EXPECT_EQ(-1, frame_->Commands().FindMnemonic(L'x'));
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_BITMAP;
    ASSERT_TRUE(GetMenuItemInfoW(frame_->Commands().Menu(), ID_APP_ABOUT, FALSE, &item));
    EXPECT_NE(nullptr, item.hbmpItem);
    ASSERT_TRUE(GetMenuItemInfoW(frame_->Commands().Menu(), ID_APP_EXIT, FALSE, &item));
    EXPECT_EQ(nullptr, item.hbmpItem);
}

TEST_F(MainFrameTest, AboutBoxShowsTheVersionAndTheLink)
{
    CreateFrame();
    std::wstring caption, version, link;
    DialogCloser closer(
        [&](HWND dialog)
        {
            wchar_t text[256] = L"";
            GetWindowTextW(dialog, text, 256);
            caption = text;
            GetDlgItemTextW(dialog, IDC_VERSION_TEXT, text, 256);
            version = text;
            GetDlgItemTextW(dialog, IDC_WEB_LINK, text, 256);
            link = text;
            SaveScreenshot(dialog, L"about-box");
        });
    SendMessageW(frame_->Hwnd(), WM_COMMAND, ID_APP_ABOUT, 0);
    EXPECT_EQ(L"About Corvex Control Panel", caption);
    EXPECT_EQ(L"Meridant Device Driver\nVersion 1.36.1\n2008-2024, Meridant", version);
    EXPECT_EQ(L"https://www.meridant.com/", link);
}

TEST_F(MainFrameTest, CommandBarDropsTheHelpMenuDownWithItsHelpText)
{
    CreateFrame();
    SetForegroundWindow(frame_->Hwnd());
    std::wstring helpWhileOpen;
    HWND frame = frame_->Hwnd();
    StatusBar* status = &frame_->Status();
    std::thread watcher(
        [&]
        {
            HWND menu = nullptr;
            for (int i = 0; i < 250 && menu == nullptr; ++i)
            {
                Sleep(20);
                menu = FindWindowW(L"#32768", nullptr);
                menu = menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
            }
            if (menu == nullptr)
            {
                return;
            }
            // Highlight the first item, as the mouse would, and photograph frame and menu together.
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            for (int i = 0; i < 250 && !SendMessageW(status->Hwnd(), SB_ISSIMPLE, 0, 0); ++i)
            {
                Sleep(20);
            }
            // The window thread sits in the menu's loop; a sent message makes what it wrote visible here.
            SendMessageW(frame, WM_NULL, 0, 0);
            helpWhileOpen = status->MenuHelp();
            SaveScreenshot(frame, L"menu-help");
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        });
    frame_->Commands().DropDown(1);
    watcher.join();
    EXPECT_EQ(L"Display program information, version number and copyright", helpWhileOpen);
    EXPECT_FALSE(frame_->Status().ShowsMenuHelp());
}
