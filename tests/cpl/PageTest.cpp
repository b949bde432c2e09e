#include "tests/cpl/PageTest.h"

#include "driverapi/NorvikMessage.h"

#include <algorithm>

namespace
{
constexpr wchar_t kHostClass[] = L"CorvexPageTestHost";
} // namespace

void PageTest::SetUpTestSuite()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kHostClass;
    (void)RegisterClassExW(&windowClass);
}

void PageTest::SetUp()
{
    service_ = std::make_unique<ServerThread>();
    ASSERT_TRUE(service_->Ready());
    ASSERT_TRUE(model_.HasServer());
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.OpenAsClient(NORVIK_DRIVER_NAME));
    UpdateDevices();
    host_.Attach(CreateWindowExW(0, kHostClass, L"page test", WS_POPUP | WS_CLIPCHILDREN, 20, 20, 400, 300,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(host_);
    boxes_ = std::make_unique<DialogCloser>();
    ClearLog();
}

void PageTest::TearDown()
{
    boxes_.reset();
    host_.Close();
    client_.CloseAll();
    bool changed = false;
    (void)client_.UpdateDeviceList(&changed); // its device objects go before the model they were opened on
    service_.reset();
    PumpMessages();
}

void PageTest::Fit(HWND page, int width, int height)
{
    (void)SetWindowPos(Host(), HWND_TOP, 20, 20, width, height, SWP_SHOWWINDOW);
    (void)SetWindowPos(page, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    PumpMessages();
}

void PageTest::Screenshot(const wchar_t* name)
{
    (void)SetWindowPos(Host(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages();
    EXPECT_FALSE(SaveScreenshot(Host(), name).empty()) << "screenshot " << testing::PrintToString(name);
}

size_t PageTest::LoggedRequests(uint32_t code) const
{
    return CountRequests(model_.RequestLog(), code);
}

size_t PageTest::SentRequests(uint32_t messageCode) const
{
    return CountRequests(model_.RequestLog(), NORVIK_IOCTL_SEND_MESSAGE, messageCode);
}

void PageTest::ClearLog()
{
    model_.ClearRequestLog();
}

std::vector<SeenMessageBox> PageTest::TakeBoxes()
{
    std::vector<SeenMessageBox> seen = boxes_->Seen();
    seen.erase(seen.begin(), seen.begin() + static_cast<std::ptrdiff_t>(std::min(boxesTaken_, seen.size())));
    boxesTaken_ += seen.size();
    return seen;
}

void PageTest::UpdateDevices()
{
    bool changed = false;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, client_.UpdateDeviceList(&changed));
}

std::wstring ControlText(HWND dialog, int id)
{
    wchar_t text[512] = L"";
    (void)GetDlgItemTextW(dialog, id, text, ARRAYSIZE(text));
    return text;
}

std::wstring ComboSelectionText(HWND combo)
{
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
    {
        return L"(none)";
    }
    wchar_t text[64] = L"";
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >=
        static_cast<LRESULT>(ARRAYSIZE(text)))
    {
        return L"(too long)";
    }
    (void)SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ListText(HWND list, int row, int column)
{
    wchar_t text[256] = L"";
    ListView_GetItemText(list, row, column, text, ARRAYSIZE(text));
    return text;
}

int ColumnWidth(HWND list, int column)
{
    return ListView_GetColumnWidth(list, column);
}

int ColumnCount(HWND list)
{
    return Header_GetItemCount(ListView_GetHeader(list));
}

void SelectListRow(HWND list, int row)
{
    if (row < 0)
    {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    else
    {
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}
