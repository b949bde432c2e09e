#include "cpl/MainFrame.h"

#include "cpl/CAboutDlg.h"
#include "cpl/CplCommandLine.h"
#include "cpl/CplMessageBox.h"
#include "cpl/framework/ModalScope.h"
#include "resources/corvexcpl.h"

#include <dbt.h>

namespace
{
constexpr int kStreamingPaneWidth = 220;
constexpr int kRatePaneWidth = 190;

std::wstring LoadResourceString(UINT id)
{
    wchar_t text[256] = L"";
    (void)LoadStringW(GetModuleHandleW(nullptr), id, text, 256);
    return text;
}
} // namespace

template <typename Form>
MainFrame::FixedPage MainFrame::Row(const wchar_t* title, TreeImage image, Form& form)
{
    return {title, image, form,
            [](FormBase& page, HWND parent) { return static_cast<Form&>(page).Create(parent); }};
}

MainFrame::MainFrame()
    : WtlMinMaxTrackSize<MainFrame>(SIZE{kDefaultWidth, kDefaultHeight}, SIZE{-1, -1}),
      WtlRegistrySetting<MainFrame>(kCplRegistryKey),
      fixedPages_{Row(L"Sample Rate", kTreeImageSettings, sampleRatePage_),
                  Row(L"Buffer Settings", kTreeImageSettings, bufferSettingsPage_),
                  Row(L"Devices", kTreeImageDevice, devicesPage_),
                  Row(L"ASIO IN Channels", kTreeImageChannels, inChannelsPage_),
                  Row(L"ASIO OUT Channels", kTreeImageChannels, outChannelsPage_),
                  Row(L"Status Info", kTreeImageInfo, statusInfoPage_),
                  Row(L"Driver Info", kTreeImageInfo, driverInfoPage_)}
{
}

MainFrame::~MainFrame()
{
    // The window (and with it the pages' dialogs) goes before the page objects.
    Destroy();
}

bool MainFrame::RegisterWindowClass()
{
    WNDCLASSEXW windowClass{};
    windowClass.lpszClassName = kCplInstanceId;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return WindowImpl::RegisterWindowClass(windowClass);
}

HWND MainFrame::CreateFrame(const RECT& rect)
{
    // The main menu becomes the command bar at creation; the window itself never has a menu.
    return Create(kCplInstanceId, nullptr, CplTitle().c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                  rect);
}

bool MainFrame::OnCreate(const CREATESTRUCTW&)
{
    if (!commandBar_.Create(Hwnd(), IDC_REBAR, IDR_MAINFRAME, IDR_MAINFRAME))
        return false;
    // Resizable and minimisable, not maximisable. WS_CLIPCHILDREN, a frame's usual style that the window was
    // created with, goes too: the panel has always run without it once created (the bars and the splitter
    // cover the whole client area). Keep it that way unless a repaint problem says otherwise.
    SetWindowLongPtrW(Hwnd(), GWL_STYLE,
                      GetWindowLongPtrW(Hwnd(), GWL_STYLE) & ~(WS_MAXIMIZEBOX | WS_CLIPCHILDREN));

    if (statusBar_.Create(Hwnd(), IDC_STATUS_BAR, LoadResourceString(IDS_READY).c_str(),
                          {kStreamingPaneWidth, kRatePaneWidth}) == nullptr)
        return false;
    // The longest texts of the panes must fit whatever font the system gives the bar.
    statusBar_.FitPaneTo(1, L"Streaming not supported on USB 1.1 port.");
    statusBar_.FitPaneTo(2, L"Current sampling rate: 5644.800 kHz");
    RECT client{};
    (void)GetClientRect(Hwnd(), &client);
    if (splitter_.Create(Hwnd(), client, IDC_SPLITTER) == nullptr)
        return false;
    splitter_.SetSplitterPos(kSplitterPosition);
    if (!CreateImageList() || !CreateFixedPages())
        return false;
    if (!CplCommandLine::HasSwitch(kSwitchNoTray))
        (void)InstallIcon(CplTitle().c_str(), IDR_MAINFRAME, IDI_TRAY, WM_TRAYICON, IDR_TRAYMENU);
    (void)deviceNotifications_.Register(Hwnd(), kNorvikInterfaceClass);
    (void)ConnectDriver();
    RebuildPageTree();
    (void)RestorePlacement();
    (void)ShowWindow(selection_->Window(), SW_SHOW);
    splitter_.SetLeftPane(selection_->Window());
    UpdateStatusBar();
    UpdateLayout();
    if (MessageLoop* loop = AppModule::GetMessageLoop())
    {
        loop->AddMessageFilter(this);
        registeredWithLoop_ = true;
    }
    return true;
}

bool MainFrame::CreateImageList()
{
    images_.Attach(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 2));
    if (!images_)
        return false;
    // The tree's items refer to images by index (TreeImage), so the order is fixed: settings, info, channels
    // at 3, device at 4. Indexes 2 and 5 hold unused copies of the info icon only to keep the others in
    // place.
    const int icons[] = {IDI_TREE_SETTINGS, IDI_TREE_INFO,   IDI_TREE_INFO,
                         IDI_TREE_CHANNELS, IDI_TREE_DEVICE, IDI_TREE_INFO};
    for (int icon : icons)
    {
        UniqueIcon loaded(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon), IMAGE_ICON, 16, 16, 0)));
        (void)ImageList_AddIcon(images_.Get(), loaded.Get());
    }
    return true;
}

bool MainFrame::CreateFixedPages()
{
    selection_ = MakeDialog<FormSelection>(images_.Get());
    if (selection_->Create(splitter_.Hwnd()) == nullptr || noDevicePage_.Create(splitter_.Hwnd()) == nullptr)
        return false;
    for (const FixedPage& row : fixedPages_)
        if (row.create(row.page, splitter_.Hwnd()) == nullptr)
            return false;
    return true;
}

void MainFrame::OnDestroy()
{
    if (registeredWithLoop_)
    {
        if (MessageLoop* loop = AppModule::GetMessageLoop())
            loop->RemoveMessageFilter(this);
        registeredWithLoop_ = false;
    }
    DisconnectDriver();
    deviceNotifications_.UnregisterAll();
    RemoveIcon();
    // A normal end has always given the process exit code 1, and scripts that start the panel may rely on it.
    PostQuitMessage(1);
}

bool MainFrame::OnClose()
{
    // Exit while a box is open: the box's caller still runs inside the frame.
    if (ModalScope::HoldBack(Hwnd(), WM_CLOSE))
        return true;
    SavePlacement();
    return false; // the default destroys the window
}

void MainFrame::UpdateLayout()
{
    commandBar_.UpdateLayout();
    statusBar_.UpdateLayout();
    RECT client{};
    (void)GetClientRect(Hwnd(), &client);
    client.top += commandBar_.Height();
    client.bottom -= statusBar_.Height();
    if (client.bottom < client.top)
        client.bottom = client.top;
    (void)SetWindowPos(splitter_.Hwnd(), nullptr, client.left, client.top, client.right - client.left,
                       client.bottom - client.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainFrame::OnSize(UINT, SIZE)
{
    UpdateLayout();
    return true;
}

bool MainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (ChainMessage(message, wParam, lParam, result, static_cast<WtlMinMaxTrackSize<MainFrame>&>(*this),
                     static_cast<WtlTrayIcon<MainFrame>&>(*this), commandBar_))
        return true;
    if (message == WM_DRIVER_NOTIFICATION)
    {
        DrainNotifications();
        return true;
    }
    if (message == WM_MIXER_VOLUMES_SENT)
    {
        // The unit's other mixer shows the same volumes from records of its own.
        if (FormMixer* other = devicePages_.OtherMixer(reinterpret_cast<HWND>(lParam)))
            other->ReloadVolumes();
        return true;
    }
    return false;
}

bool MainFrame::OnCommand(UINT id, UINT, HWND)
{
    switch (id)
    {
    case ID_APP_ABOUT:
    {
        HWND owner = GetActiveWindow();
        CAboutDlg about;
        (void)about.Run(owner != nullptr ? owner : Hwnd());
        return true;
    }
    case ID_APP_EXIT:
        (void)PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        return true;
    case ID_TRAY_RESTORE:
        (void)ShowWindow(Hwnd(), SW_RESTORE);
        (void)SetForegroundWindow(Hwnd());
        return true;
    default:
        return false;
    }
}

bool MainFrame::OnNotify(const NMHDR& header, LRESULT&)
{
    if (header.idFrom == IDC_PAGE_TREE && header.code == TVN_SELCHANGEDW)
    {
        OnSelectionChanged();
        return true;
    }
    return false;
}

bool MainFrame::OnShowWindow(bool shown, UINT)
{
    if (shown)
    {
        if (!visibleClient_.IsOpen())
            (void)visibleClient_.OpenAuxiliary(NORVIK_DRIVER_NAME, NORVIK_ROLE_AUXILIARY);
    }
    else
    {
        visibleClient_.CloseAll();
    }
    return false;
}

bool MainFrame::OnSysCommand(UINT command, POINT)
{
    switch (command & 0xFFF0)
    {
    case SC_CLOSE:
        // With a tray icon the close box only hides the window; it lives on in the tray.
        if (IsIconInstalled())
        {
            (void)ShowWindow(Hwnd(), SW_HIDE);
            return true;
        }
        return false;
    case SC_MINIMIZE:
        SavePlacement();
        return false;
    default:
        return false;
    }
}

bool MainFrame::OnDeviceChange(UINT event, LPARAM data, LRESULT& result)
{
    result = TRUE;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (event != DBT_DEVICEARRIVAL || header == nullptr ||
        header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header->dbch_size < offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + sizeof(wchar_t))
        return true;
    const auto* deviceInterface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
    if (deviceInterface->dbcc_name[0] == L'\0')
        return true;
    if (ConnectDriver())
    {
        // The service announces its device list when it changes, which may be before this client was
        // there to hear it: build the tree from the list just read.
        RebuildPageTree();
        UpdateStatusBar();
    }
    return true;
}

bool MainFrame::OnMenuSelect(UINT item, UINT flags, HMENU menu)
{
    statusBar_.OnMenuSelect(item, flags, menu);
    return true;
}
