#include "tests/cpl/CplFrameFixture.h"

#include "cpl/NorvikCplClient.h"

#include <strsafe.h>

void CplFrameFixture::SetUp()
{
    DeletePlacement();
    ASSERT_TRUE(MainFrame::RegisterWindowClass());
}

void CplFrameFixture::TearDown()
{
    DestroyFrame();
    service_.reset();
    CloseClient();
    DeletePlacement();
}

void CplFrameFixture::CloseClient()
{
    // mainClient lives for the process: its device objects must go before the model they were opened on.
    mainClient.CloseAll();
    bool changed = false;
    (void)mainClient.UpdateDeviceList(&changed);
}

void CplFrameFixture::CreateFrame(const wchar_t* commandLine)
{
    CplCommandLine::Store(commandLine);
    frame_ = std::make_unique<MainFrame>();
    ASSERT_NE(nullptr, frame_->CreateFrame(
                           RECT{100, 100, 100 + MainFrame::kDefaultWidth, 100 + MainFrame::kDefaultHeight}));
    ShowWindow(frame_->Hwnd(), SW_SHOW);
    PumpMessages();
}

void CplFrameFixture::DestroyFrame()
{
    frame_.reset();
    PumpMessages();
}

TreeItemData CplFrameFixture::ReadTreeItem(HTREEITEM item)
{
    wchar_t text[128] = L"";
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = ARRAYSIZE(text);
    EXPECT_TRUE(TreeView_GetItem(frame_->Selection().Tree(), &data));
    return {text, reinterpret_cast<FormBase*>(data.lParam), data.iImage, data.iSelectedImage};
}

void CplFrameFixture::SelectPage(FormBase* page)
{
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(frame_->Selection().SelectPage(page));
    PumpMessages();
    ASSERT_EQ(page, frame_->CurrentPage());
}

void CplFrameFixture::StartService()
{
    service_ = std::make_unique<ServerThread>();
    ASSERT_TRUE(service_->Ready());
    ASSERT_TRUE(model_.HasServer());
}

void CplFrameFixture::DrainDriver()
{
    PumpMessages();
    frame_->DrainNotifications();
    PumpMessages();
}

LRESULT CplFrameFixture::SendArrival(const wchar_t* name, WPARAM event)
{
    struct
    {
        DEV_BROADCAST_DEVICEINTERFACE_W header;
        wchar_t more[64];
    } broadcast{};
    broadcast.header.dbcc_size = sizeof(broadcast);
    broadcast.header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast.header.dbcc_classguid = kNorvikInterfaceClass;
    StringCchCopyW(broadcast.header.dbcc_name, 64, name);
    return SendMessageW(frame_->Hwnd(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&broadcast));
}
