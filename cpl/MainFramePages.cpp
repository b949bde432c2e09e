// The frame's page handling: the tree, the current page and keyboard navigation inside the panes.
#include "cpl/MainFrame.h"

void MainFrame::ShowPage(FormBase* page)
{
    if (page == nullptr)
        return;
    if (currentPage_ != nullptr)
        currentPage_->Hide();
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

void MainFrame::RebuildPageTree()
{
    devicePages_.Clear(*selection_, currentPage_);
    for (const FixedPage& row : fixedPages_)
        selection_->RemovePage(&row.page);
    (void)EnableWindow(selection_->Window(), FALSE);
    ShowPage(&noDevicePage_);
    if (!mainClient.IsOpen())
        return;
    for (const FixedPage& row : fixedPages_)
        selection_->AddPage(row.title, &row.page, nullptr, row.image);
    // Children of "Devices": their place in the tree does not depend on when they are added.
    devicePages_.Build(mainClient, Hwnd(), splitter_.Hwnd(), *selection_, &devicesPage_, kTreeImageDevice);
    (void)EnableWindow(selection_->Window(), TRUE);
    if (selection_->SelectedPage() == nullptr)
        selection_->SelectFirst();
}

bool MainFrame::PreTranslateMessage(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || splitter_.Hwnd() == nullptr ||
        !IsChild(splitter_.Hwnd(), message.hwnd))
        return false;
    // The form (a direct child of the splitter) that holds the keyboard focus.
    HWND form = message.hwnd;
    while (form != nullptr && GetParent(form) != splitter_.Hwnd())
        form = GetParent(form);
    const bool enter =
        (message.message == WM_KEYDOWN || message.message == WM_CHAR) && message.wParam == VK_RETURN;
    // Enter belongs to the form's default button; Tab and the arrows move across both panes.
    return IsDialogMessageW(enter && form != nullptr ? form : splitter_.Hwnd(), &message) != FALSE;
}
