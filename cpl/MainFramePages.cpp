// The frame's page handling: the tree, the current page and keyboard navigation inside the panes.
#include "cpl/MainFrame.h"

void MainFrame::ShowPage(FormBase* page)
{
    if (page == nullptr)
    {
        return;
    }
    if (currentPage_ != nullptr)
    {
        currentPage_->Hide();
    }
    page->Show();
    currentPage_ = page;
    splitter_.SetRightPane(page->Window());
}

void MainFrame::OnSelectionChanged()
{
    FormBase* page = selection_->SelectedPage();
    if (page != nullptr)
    {
        page->Refresh();
        ShowPage(page);
    }
}

void MainFrame::RemoveFixedPages()
{
    selection_->RemovePage(sampleRatePage_.get());
    selection_->RemovePage(bufferSettingsPage_.get());
    selection_->RemovePage(devicesPage_.get());
    selection_->RemovePage(inChannelsPage_.get());
    selection_->RemovePage(outChannelsPage_.get());
    selection_->RemovePage(statusInfoPage_.get());
    selection_->RemovePage(driverInfoPage_.get());
}

void MainFrame::AddFixedPages()
{
    selection_->AddPage(L"Sample Rate", sampleRatePage_.get(), nullptr, kTreeImageSettings);
    selection_->AddPage(L"Buffer Settings", bufferSettingsPage_.get(), nullptr, kTreeImageSettings);
    selection_->AddPage(L"Devices", devicesPage_.get(), nullptr, kTreeImageDevice);
    selection_->AddPage(L"ASIO IN Channels", inChannelsPage_.get(), nullptr, kTreeImageChannels);
    selection_->AddPage(L"ASIO OUT Channels", outChannelsPage_.get(), nullptr, kTreeImageChannels);
    selection_->AddPage(L"Status Info", statusInfoPage_.get(), nullptr, kTreeImageInfo);
    selection_->AddPage(L"Driver Info", driverInfoPage_.get(), nullptr, kTreeImageInfo);
}

void MainFrame::RebuildPageTree()
{
    devicePages_.Clear(*selection_, currentPage_);
    RemoveFixedPages();
    (void)EnableWindow(selection_->Window(), FALSE);
    ShowPage(noDevicePage_.get());
    if (!mainClient.IsOpen())
    {
        return;
    }
    AddFixedPages();
    // Children of "Devices": their place in the tree does not depend on when they are added.
    devicePages_.Build(mainClient, Hwnd(), splitter_.Hwnd(), *selection_, devicesPage_.get(),
                       kTreeImageDevice);
    (void)EnableWindow(selection_->Window(), TRUE);
    if (selection_->SelectedPage() == nullptr)
    {
        selection_->SelectFirst();
    }
}

bool MainFrame::PreTranslateMessage(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || splitter_.Hwnd() == nullptr ||
        !IsChild(splitter_.Hwnd(), message.hwnd))
    {
        return false;
    }
    // The form (a direct child of the splitter) that holds the keyboard focus.
    HWND form = message.hwnd;
    while (form != nullptr && GetParent(form) != splitter_.Hwnd())
    {
        form = GetParent(form);
    }
    const bool enter =
        (message.message == WM_KEYDOWN || message.message == WM_CHAR) && message.wParam == VK_RETURN;
    // Enter belongs to the form's default button; Tab and the arrows move across both panes.
    return IsDialogMessageW(enter && form != nullptr ? form : splitter_.Hwnd(), &message) != FALSE;
}
