// End to end with the pages: the driver simulator, the service in console mode and the control panel, each
// a process of its own. Buffer classes and the streaming device chosen in the control panel reach the
// simulator through the service; a change refused while a program streams is reported with its status.
#include "resources/corvexcpl.h"
#include "tests/cpl/CplTestSupport.h"
#include "tests/e2e/e2e_cpl_session.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <commctrl.h>

namespace
{
// The root items of the page tree, in their order.
enum RootItem
{
    kSampleRate,
    kBufferSettings,
    kDevices,
    kAsioInChannels,
    kAsioOutChannels,
    kStatusInfo,
    kDriverInfo,
};

struct VisibleSearch
{
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchVisibleControl(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<VisibleSearch*>(data);
    if (GetDlgCtrlID(window) == search->controlId && IsWindowVisible(window))
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

class PagesEndToEnd : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(session_.StartDriverAndService());
        ASSERT_TRUE(session_.StartControlPanel());
    }
    void TearDown() override { EXPECT_TRUE(session_.StopControlPanel()); }

    nlohmann::json Dump()
    {
        const std::string reply = session_.Control("dump");
        if (reply.rfind("ok ", 0) != 0)
        {
            return nlohmann::json();
        }
        return nlohmann::json::parse(reply.substr(3), nullptr, false);
    }
    bool Ok(const std::string& command) { return session_.Control(command).rfind("ok", 0) == 0; }

    // Selects a root item of the tree (TVM_SELECTITEM carries no pointer across processes).
    bool SelectPage(RootItem index)
    {
        const HWND tree = session_.FindControl(1002);
        auto item = reinterpret_cast<LPARAM>(TreeView_GetRoot(tree));
        for (int i = 0; i < index && item != 0; ++i)
        {
            item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item);
        }
        return item != 0 && SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item) != 0;
    }
    // A control of the page that shows (several pages share control ids).
    HWND PageControl(int controlId) const
    {
        VisibleSearch search{controlId, nullptr};
        EnumChildWindows(session_.MainWindow(), &MatchVisibleControl, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // Clicks a button without waiting: the control panel's window thread waits for the service meanwhile.
    void Click(int controlId) const
    {
        const HWND button = PageControl(controlId);
        ASSERT_NE(nullptr, button);
        PostMessageW(button, BM_CLICK, 0, 0);
    }
    // Selects a row of a list view; the item record goes through memory of the control panel.
    bool SelectRow(HWND list, int row)
    {
        const HANDLE process = session_.ControlPanel().Process();
        void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
        if (remote == nullptr)
        {
            return false;
        }
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        const bool done = WriteProcessMemory(process, remote, &item, sizeof(item), nullptr) &&
                          SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote)) != 0;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        return done;
    }
    // The text of the message box the control panel shows, which is then closed.
    std::wstring TakeMessageBox()
    {
        HWND box = nullptr;
        const DWORD process = session_.ControlPanel().ProcessId();
        if (!PumpUntil(
                [&]
                { return (box = FindProcessWindow(L"#32770", process)) != nullptr && IsWindowVisible(box); }))
        {
            return L"(no message box)";
        }
        wchar_t text[512] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, ARRAYSIZE(text));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        (void)PumpUntil([&] { return !IsWindow(box); });
        return text;
    }

    CplEndToEnd session_{L"corvex-e2e-pages"};
};
} // namespace

TEST_F(PagesEndToEnd, BufferClassesReachTheSimulatorAndARefusalIsReported)
{
    ASSERT_TRUE(SelectPage(kBufferSettings));
    ASSERT_TRUE(PumpUntil([&] { return PageControl(IDC_BUFFER_APPLY) != nullptr; }));
    const HWND streaming = PageControl(IDC_STREAMING_BUFFER_LIST);
    const HWND asio = PageControl(IDC_ASIO_BUFFER_LIST);
    ASSERT_EQ(4, SendMessageW(streaming, CB_SETCURSEL, 4, 0)); // "ExtraLarge"
    ASSERT_EQ(3, SendMessageW(asio, CB_SETCURSEL, 3, 0));      // "Maximum"
    Click(IDC_BUFFER_APPLY);
    EXPECT_TRUE(PumpUntil(
        [&]
        {
            const nlohmann::json buffers = Dump()["buffers"];
            return buffers["streamingClass"] == 4 && buffers["asioClass"] == 3;
        }))
        << Dump()["buffers"].dump();
    EXPECT_FALSE(SaveScreenshot(session_.MainWindow(), L"e2e-pages-buffer-settings").empty());

    // While a program streams, the service refuses; the page then shows the driver's classes again.
    ASSERT_TRUE(Ok("client start 4"));
    ASSERT_EQ(0, SendMessageW(streaming, CB_SETCURSEL, 0, 0));
    Click(IDC_BUFFER_APPLY);
    EXPECT_EQ(L"Changing the buffer sizes failed. (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).",
              TakeMessageBox());
    EXPECT_EQ(4, Dump()["buffers"]["streamingClass"]);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(streaming, CB_GETCURSEL, 0, 0) == 4; }));
    ASSERT_TRUE(Ok("client stop 4"));
}

TEST_F(PagesEndToEnd, StreamingDeviceAndModeReachTheSimulator)
{
    ASSERT_TRUE(SelectPage(kDevices));
    ASSERT_TRUE(PumpUntil([&] { return PageControl(IDC_DEVICE_LIST) != nullptr; }));
    const HWND list = PageControl(IDC_DEVICE_LIST);
    ASSERT_EQ(2, ListView_GetItemCount(list));
    ASSERT_TRUE(SelectRow(list, 1));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(PageControl(IDC_SELECT_FOR_STREAMING)) != FALSE; }));
    Click(IDC_SELECT_FOR_STREAMING);
    EXPECT_TRUE(PumpUntil(
        [&]
        {
            const nlohmann::json units = Dump()["units"];
            return units.size() == 2 && units[0]["streaming"] == false && units[1]["streaming"] == true;
        }))
        << Dump()["units"].dump();

    Click(IDC_MODE_ALL_DEVICES);
    EXPECT_TRUE(PumpUntil([&] { return Dump()["streaming"]["mode"] == 1; }));
    EXPECT_TRUE(PumpUntil(
        [&] { return SendMessageW(PageControl(IDC_MODE_ALL_DEVICES), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_FALSE(SaveScreenshot(session_.MainWindow(), L"e2e-pages-devices").empty());

    Click(IDC_MODE_SINGLE_DEVICE);
    EXPECT_TRUE(PumpUntil([&] { return Dump()["streaming"]["mode"] == 0; }));
}
