// The control panel's single top-level window: command bar, page tree and current page in a splitter,
// status bar, tray icon, window placement, and the driver connections whose notifications it turns into page
// refreshes and tree rebuilds.
#pragma once

#include "cpl/DevicePages.h"
#include "cpl/FormBufferSettings.h"
#include "cpl/FormDevices.h"
#include "cpl/FormSampleRate.h"
#include "cpl/FormSelection.h"
#include "cpl/FormStaticText.h"
#include "cpl/NorvikCplClient.h"
#include "cpl/framework/CommandBar.h"
#include "cpl/framework/MessageLoop.h"
#include "cpl/framework/StatusBar.h"
#include "cpl/framework/UiHandles.h"
#include "cpl/framework/VerticalSplitter.h"
#include "cpl/framework/WindowImpl.h"
#include "cpl/framework/WtlMinMaxTrackSize.h"
#include "cpl/framework/WtlRegistrySetting.h"
#include "cpl/framework/WtlTrayIcon.h"
#include "cpl/pages/FormDrvInfo.h"
#include "cpl/pages/FormInChannels.h"
#include "cpl/pages/FormOutChannels.h"
#include "cpl/pages/FormStatusInfo.h"
#include "driverapi/NorvikMessage.h"
#include "wn/WnDeviceNotificationList.h"

#include <array>
#include <memory>

// Posted by the notification thread when mainClient has notifications waiting.
constexpr UINT WM_DRIVER_NOTIFICATION = WM_APP + 10;
// Mouse events on the tray icon (wParam: icon id; lParam: the mouse message).
constexpr UINT WM_TRAYICON = WM_USER + 100;

// Names both the single-instance mutex and the main window's class, so other instances find the window.
constexpr const wchar_t* kCplInstanceId = L"{DFACB534-986A-4604-8AC7-BBE74ACBF2B8}";
constexpr const wchar_t* kCplRegistryKey = L"Software\\MERIDANT\\corvex\\cpl";

// Images of the page tree: indexes into the frame's image list, whose order MainFrame::CreateImageList keeps.
enum TreeImage : int
{
    kTreeImageSettings = 0,
    kTreeImageInfo = 1,
    kTreeImageChannels = 3,
    kTreeImageDevice = 4,
};

class MainFrame : public WindowImpl,
                  public WtlTrayIcon<MainFrame>,
                  public WtlMinMaxTrackSize<MainFrame>,
                  public WtlRegistrySetting<MainFrame>,
                  public MessageFilter
{
  public:
    static constexpr int kDefaultWidth = 550;
    static constexpr int kDefaultHeight = 420;
    static constexpr int kSplitterPosition = 150;

    MainFrame();
    ~MainFrame() override;

    static bool RegisterWindowClass();
    // Creates the hidden main window with the program title and its command bar; null on failure.
    HWND CreateFrame(const RECT& rect);

    // Switches the right-hand pane to `page` (refreshed by its Show); null does nothing.
    void ShowPage(FormBase* page);
    // Refills the tree (and the per-device pages) from mainClient's device list.
    void RebuildPageTree();
    void UpdateStatusBar();
    // Opens mainClient and starts the notification thread; returns true when it newly connected.
    bool ConnectDriver();
    void DisconnectDriver();
    // Receives and dispatches every pending notification of mainClient.
    void DrainNotifications();
    void OnDriverNotification(const NorvikMessage& message);

    FormBase* CurrentPage() const { return currentPage_; }
    FormSelection& Selection() { return *selection_; }
    FormStaticText& NoDevicePage() { return noDevicePage_; }
    FormSampleRate& SampleRatePage() { return sampleRatePage_; }
    StatusBar& Status() { return statusBar_; }
    CommandBar& Commands() { return commandBar_; }
    VerticalSplitter& Splitter() { return splitter_; }
    const DevicePages& PerDevicePages() const { return devicePages_; }
    const NorvikCplClient& VisibleClient() const { return visibleClient_; }
    static bool IsNotificationThreadRunning();

    // Dialog navigation (Tab, arrows, Enter) inside the panes; nothing else is translated.
    bool PreTranslateMessage(MSG& message) override;

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    bool OnClose() override;
    bool OnSize(UINT type, SIZE size) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    bool OnShowWindow(bool shown, UINT reason) override;
    bool OnSysCommand(UINT command, POINT cursor) override;
    bool OnDeviceChange(UINT event, LPARAM data, LRESULT& result) override;
    bool OnMenuSelect(UINT item, UINT flags, HMENU menu) override;

  private:
    // A page of the tree's fixed part: its item's text and image, and how its dialog is made.
    struct FixedPage
    {
        const wchar_t* title;
        TreeImage image;
        FormBase& page;
        HWND (*create)(FormBase& page, HWND parent);
    };
    template <typename Form> static FixedPage Row(const wchar_t* title, TreeImage image, Form& form);

    bool CreateImageList();
    bool CreateFixedPages();
    void UpdateLayout();
    void OnSelectionChanged();

    CommandBar commandBar_;
    StatusBar statusBar_;
    VerticalSplitter splitter_;
    UniqueImageList images_;
    UniqueDialog<FormSelection> selection_;
    FormStaticText noDevicePage_{L"There is no Meridant device connected."};
    FormSampleRate sampleRatePage_{mainClient};
    FormBufferSettings bufferSettingsPage_{mainClient};
    FormDevices devicesPage_{mainClient};
    FormInChannels inChannelsPage_{mainClient};
    FormOutChannels outChannelsPage_{mainClient};
    FormStatusInfo statusInfoPage_{mainClient};
    FormDrvInfo driverInfoPage_{mainClient};
    // The pages above in tree order; the per-device pages go under "Devices".
    const std::array<FixedPage, 7> fixedPages_;
    DevicePages devicePages_;
    FormBase* currentPage_ = nullptr; // one of the pages above
    NorvikCplClient visibleClient_;   // role 3, open exactly while the window is visible
    WnDeviceNotificationList deviceNotifications_;
    bool registeredWithLoop_ = false;
};
