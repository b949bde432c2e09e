// The pages in the real main frame: their places in the page tree, each shown in the right-hand pane (with a
// screenshot), the status page's timer following the selection, and the buffer page following 3001.
#include "cpl/FormBufferSettings.h"
#include "cpl/pages/FormStatusInfo.h"
#include "tests/cpl/CplFrameFixture.h"

#include <commctrl.h>

namespace
{
class PagesInFrame : public CplFrameFixture
{
  protected:
    FormBase* PageNamed(const wchar_t* text)
    {
        for (FormBase* page : frame_->Selection().PagesInOrder())
        {
            if (frame_->Selection().ItemText(page) == text)
            {
                return page;
            }
        }
        ADD_FAILURE() << "no page " << testing::PrintToString(std::wstring(text));
        return nullptr;
    }
};
} // namespace

TEST_F(PagesInFrame, TreeHoldsThePagesInTheirPlaces)
{
    CreateFrame();
    FormSelection& tree = frame_->Selection();
    struct Entry
    {
        const wchar_t* text;
        int image;
    };
    const Entry expected[] = {
        {L"Sample Rate", kTreeImageSettings},
        {L"Buffer Settings", kTreeImageSettings},
        {L"Devices", kTreeImageDevice},
        {L"ASIO IN Channels", kTreeImageChannels},
        {L"ASIO OUT Channels", kTreeImageChannels},
        {L"Status Info", kTreeImageInfo},
        {L"Driver Info", kTreeImageInfo},
    };
    HTREEITEM item = TreeView_GetRoot(tree.Tree());
    for (const Entry& entry : expected)
    {
        ASSERT_NE(nullptr, item) << "missing " << testing::PrintToString(std::wstring(entry.text));
        const TreeItemData data = ReadTreeItem(item);
        EXPECT_EQ(entry.text, data.text);
        EXPECT_EQ(entry.image, data.image) << testing::PrintToString(std::wstring(entry.text));
        EXPECT_EQ(entry.image, data.selectedImage) << testing::PrintToString(std::wstring(entry.text));
        item = TreeView_GetNextSibling(tree.Tree(), item);
    }
    EXPECT_EQ(nullptr, item) << "no further root items";
}

TEST_F(PagesInFrame, EveryPageShowsInThePane)
{
    StartService();
    CreateFrame();
    const struct
    {
        const wchar_t* text;
        const wchar_t* screenshot;
    } pages[] = {
        {L"Buffer Settings", L"frame-buffer-settings"},   {L"Devices", L"frame-devices"},
        {L"ASIO IN Channels", L"frame-asio-in-channels"}, {L"ASIO OUT Channels", L"frame-asio-out-channels"},
        {L"Status Info", L"frame-status-info"},           {L"Driver Info", L"frame-driver-info"},
    };
    for (const auto& entry : pages)
    {
        FormBase* page = PageNamed(entry.text);
        SelectPage(page);
        if (HWND counters = GetDlgItem(page->Window(), IDC_COUNTER_LIST))
        {
            // The longest description must fit its box.
            ListView_SetItemState(counters, 4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        EXPECT_TRUE(IsWindowVisible(page->Window())) << testing::PrintToString(std::wstring(entry.text));
        EXPECT_EQ(page->Window(), frame_->Splitter().RightPane());
        EXPECT_FALSE(SaveScreenshot(frame_->Hwnd(), entry.screenshot).empty());
    }
}

TEST_F(PagesInFrame, StatusTimerRunsOnlyWhileItsPageIsSelected)
{
    CreateFrame();
    auto* status = dynamic_cast<FormStatusInfo*>(PageNamed(L"Status Info"));
    ASSERT_NE(nullptr, status);
    EXPECT_FALSE(status->IsTimerRunning());
    SelectPage(status);
    EXPECT_TRUE(status->IsTimerRunning());
    SelectPage(PageNamed(L"Driver Info"));
    EXPECT_FALSE(status->IsTimerRunning());
    EXPECT_FALSE(IsWindowVisible(status->Window()));
}

TEST_F(PagesInFrame, BufferPageFollowsTheDriversAnnouncement)
{
    CreateFrame();
    FormBase* page = PageNamed(L"Buffer Settings");
    SelectPage(page);
    const HWND streaming = GetDlgItem(page->Window(), IDC_STREAMING_BUFFER_LIST);
    model_.SetBufferClasses(4, 3, 0); // announced with 3001
    DrainDriver();
    wchar_t text[32] = L"";
    (void)GetWindowTextW(streaming, text, ARRAYSIZE(text));
    EXPECT_STREQ(L"ExtraLarge", text);
}
