// The window framework on its own: command line switches, the placement clamp, forms with resize maps, the
// splitter and the status bar's menu help.
#include "cpl/CplCommandLine.h"
#include "cpl/FormStaticText.h"
#include "cpl/framework/StatusBar.h"
#include "cpl/framework/UiHandles.h"
#include "cpl/framework/VerticalSplitter.h"
#include "cpl/framework/WtlRegistrySetting.h"
#include "resources/corvexcpl.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <vector>

TEST(CplCommandLine, MatchesWholeTokensWithoutRegardToCase)
{
    const struct
    {
        const wchar_t* commandLine;
        bool hasExit;
    } cases[] = {
        {L"-exit", true},        {L"-EXIT", true},
        {L"-Exit", true},        {L"  -hide   -exit ", true},
        {L"x-exit", false},      {L"-exitnow", false},
        {L"\"-exit\"", false},   {L"", false},
        {L"-hide\t-eXiT", true}, {L"-notray -exit-", false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.hasExit, CplCommandLine::HasSwitch(c.commandLine, kSwitchExit)) << c.commandLine;
    }
}

// Each kind must go back through its own release function: a DC given to DeleteObject, say, would leak.
TEST(UiHandles, ReleaseEachKindWhenTheOwnerGoes)
{
    HGDIOBJ brush = nullptr, bitmap = nullptr, font = nullptr, dc = nullptr;
    HMENU menu = nullptr;
    HWND window = nullptr;
    {
        UniqueBrush ownedBrush(CreateSolidBrush(RGB(1, 2, 3)));
        UniqueBitmap ownedBitmap(CreateBitmap(4, 4, 1, 32, nullptr));
        UniqueFont ownedFont(
            CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        UniqueMemoryDc ownedDc(CreateCompatibleDC(nullptr));
        UniqueMenu ownedMenu(CreatePopupMenu());
        UniqueWindow ownedWindow(
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
        brush = ownedBrush.Get();
        bitmap = ownedBitmap.Get();
        font = ownedFont.Get();
        dc = ownedDc.Get();
        menu = ownedMenu.Get();
        window = ownedWindow.Get();
        ASSERT_TRUE(brush && bitmap && font && dc && menu && window);
        ownedMenu.Attach(menu); // taking the held handle again must not release it
        EXPECT_TRUE(IsMenu(menu));
    }
    EXPECT_EQ(0u, GetObjectType(brush));
    EXPECT_EQ(0u, GetObjectType(bitmap));
    EXPECT_EQ(0u, GetObjectType(font));
    EXPECT_EQ(0u, GetObjectType(dc));
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_FALSE(IsWindow(window));
}

TEST(ClampToScreen, KeepsFiftyPixelsOnTheScreen)
{
    const struct
    {
        RECT stored;
        RECT expected;
    } cases[] = {
        {{100, 100, 650, 520}, {100, 100, 650, 520}},
        {{5000, 100, 5550, 520}, {1870, 100, 1920, 520}}, // far right: a 50-pixel strip stays
        {{-300, -40, 250, 380}, {0, 0, 250, 380}},        // off the top left
        {{100, 100, 110, 520}, {935, 515, 985, 565}},     // narrower than 50: the centred square
        {{100, 1200, 650, 1620}, {100, 1030, 650, 1080}}, // below the screen
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
    };
    for (const auto& c : cases)
    {
        const RECT r = ClampToScreen(c.stored, 1920, 1080);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.stored.left << "," << c.stored.top << " -> " << r.left
                                                << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

namespace
{
// A plain top-level window to host child forms.
class HostWindow : public WindowImpl
{
  public:
    HostWindow()
    {
        WNDCLASSEXW windowClass{};
        windowClass.lpszClassName = L"CplFrameworkTestHost";
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        EXPECT_TRUE(RegisterWindowClass(windowClass));
        EXPECT_NE(nullptr, Create(L"CplFrameworkTestHost", nullptr, L"host",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, RECT{0, 0, 600, 400}));
    }
};

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
} // namespace

TEST(FormBaseImpl, ResizeMapGrowsAndShrinksTheText)
{
    HostWindow host;
    FormStaticText form(L"There is no Meridant device connected.");
    ASSERT_NE(nullptr, form.Create(host.Hwnd()));
    wchar_t text[100] = L"";
    GetDlgItemTextW(form.Hwnd(), IDC_STATIC_TEXT, text, 100);
    EXPECT_STREQ(L"There is no Meridant device connected.", text);
    EXPECT_TRUE(GetWindowLongPtrW(form.Hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(IsWindowVisible(form.Hwnd()));

    RECT client{};
    GetClientRect(form.Hwnd(), &client);
    const RECT before = ChildRect(form.Hwnd(), form.Item(IDC_STATIC_TEXT));
    RECT window{};
    GetWindowRect(form.Hwnd(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;

    SetWindowPos(form.Hwnd(), nullptr, 0, 0, width + 100, height + 40, SWP_NOZORDER | SWP_NOMOVE);
    RECT grown = ChildRect(form.Hwnd(), form.Item(IDC_STATIC_TEXT));
    EXPECT_EQ(before.left, grown.left);
    EXPECT_EQ(before.top, grown.top);
    EXPECT_EQ(before.right + 100, grown.right);
    EXPECT_EQ(before.bottom + 40, grown.bottom);

    SetWindowPos(form.Hwnd(), nullptr, 0, 0, width - 20, height - 10, SWP_NOZORDER | SWP_NOMOVE);
    RECT shrunk = ChildRect(form.Hwnd(), form.Item(IDC_STATIC_TEXT));
    EXPECT_EQ(before.right - 20, shrunk.right);
    EXPECT_EQ(before.bottom - 10, shrunk.bottom);
}

namespace
{
// Records what the framework hands a form.
class ProbeForm : public FormBaseImpl<ProbeForm>
{
  public:
    static constexpr int kDialogId = IDD_SAMPLE_RATE;

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) override
    {
        init.message = message;
        init.wParam = wParam;
        init.lParam = lParam;
        return TRUE;
    }
    void OnTimer(UINT_PTR timerId) override { timers.push_back(timerId); }
    void Refresh() override {}

    MSG init{};
    std::vector<UINT_PTR> timers;
};
} // namespace

TEST(FormBaseImpl, OnInitFormGetsTheInitDialogArgumentsAndOneOnTimerServesBothBases)
{
    HostWindow host;
    ProbeForm form;
    ASSERT_NE(nullptr, form.Create(host.Hwnd()));
    EXPECT_EQ(UINT{WM_INITDIALOG}, form.init.message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(form.Item(IDC_RATE_LIST)), form.init.wParam) << "the first tab stop";
    EXPECT_EQ(reinterpret_cast<LPARAM>(static_cast<DialogImpl*>(&form)), form.init.lParam);

    (void)SendMessageW(form.Hwnd(), WM_TIMER, 7, 0);
    static_cast<FormBase&>(form).OnTimer(8);
    EXPECT_EQ((std::vector<UINT_PTR>{7, 8}), form.timers);
}

TEST(VerticalSplitter, PlacesThePanesBesideTheBar)
{
    HostWindow host;
    VerticalSplitter splitter;
    ASSERT_NE(nullptr, splitter.Create(host.Hwnd(), RECT{0, 0, 500, 300}, 1));
    FormStaticText left(L"left");
    FormStaticText right(L"right");
    left.Create(splitter.Hwnd());
    right.Create(splitter.Hwnd());
    splitter.SetSplitterPos(150);
    splitter.SetPanes(left.Hwnd(), right.Hwnd());

    const RECT l = ChildRect(splitter.Hwnd(), left.Hwnd());
    const RECT r = ChildRect(splitter.Hwnd(), right.Hwnd());
    EXPECT_EQ(0, l.left);
    EXPECT_EQ(150, l.right);
    EXPECT_EQ(300, l.bottom);
    EXPECT_EQ(150 + VerticalSplitter::kBarWidth, r.left);
    EXPECT_EQ(500, r.right);

    // Notifications of the panes reach the splitter's parent.
    SetWindowPos(splitter.Hwnd(), nullptr, 0, 0, 700, 300, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(700, ChildRect(splitter.Hwnd(), right.Hwnd()).right);
}

TEST(StatusBar, MenuHelpShowsTheTextBeforeTheLineBreak)
{
    HostWindow host;
    StatusBar bar;
    ASSERT_NE(nullptr, bar.Create(host.Hwnd(), 59393, L"Ready", {220, 190}));
    EXPECT_EQ(3, SendMessageW(bar.Hwnd(), SB_GETPARTS, 0, 0));
    EXPECT_EQ(L"Ready", bar.PaneText(0));

    EXPECT_EQ(L"Quit the application", StatusBar::MenuHelpText(57665));
    EXPECT_EQ(L"", StatusBar::MenuHelpText(4711));

    bar.OnMenuSelect(57665, MF_STRING, reinterpret_cast<HMENU>(1));
    EXPECT_TRUE(bar.ShowsMenuHelp());
    EXPECT_TRUE(SendMessageW(bar.Hwnd(), SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(L"Quit the application", bar.MenuHelp());
    bar.OnMenuSelect(0, 0xFFFF, nullptr);
    EXPECT_FALSE(SendMessageW(bar.Hwnd(), SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(L"Ready", bar.PaneText(0));
}

namespace
{
// The size in dialog units that a DLGTEMPLATEEX resource declares.
SIZE TemplateSize(int dialogId)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(dialogId), MAKEINTRESOURCEW(5)); // RT_DIALOG
    const auto* words =
        static_cast<const WORD*>(found ? LockResource(LoadResource(nullptr, found)) : nullptr);
    if (words == nullptr || words[1] != 0xFFFF)
    {
        return SIZE{};
    }
    // dlgVer, signature, helpID (2), exStyle (2), style (2), cDlgItems, x, y, then cx and cy.
    return SIZE{static_cast<short>(words[11]), static_cast<short>(words[12])};
}

class AnyForm : public DialogImpl
{
};
} // namespace

TEST(Resources, DialogsHaveTheirSizesAndControls)
{
    const struct
    {
        int id;
        SIZE size;
        std::vector<int> controls;
    } cases[] = {
        {IDD_ABOUTBOX, {224, 102}, {IDC_VERSION_TEXT, IDC_WEB_LINK, IDOK}},
        {IDD_SAMPLE_RATE, {160, 82}, {IDC_RATE_GROUP, IDC_RATE_LIST, IDC_RATE_APPLY, IDC_DSD_TEXT}},
        {IDD_STATIC_TEXT, {160, 94}, {IDC_STATIC_TEXT}},
        {IDD_SELECTION, {100, 200}, {IDC_PAGE_TREE}},
    };
    HostWindow host;
    for (const auto& c : cases)
    {
        const SIZE size = TemplateSize(c.id);
        EXPECT_EQ(c.size.cx, size.cx) << c.id;
        EXPECT_EQ(c.size.cy, size.cy) << c.id;
        AnyForm form;
        ASSERT_NE(nullptr, form.CreateModeless(c.id, host.Hwnd())) << c.id;
        for (int control : c.controls)
        {
            EXPECT_NE(nullptr, form.Item(control)) << c.id << " lacks " << control;
        }
    }
    wchar_t title[64] = L"";
    EXPECT_GT(LoadStringW(GetModuleHandleW(nullptr), IDR_MAINFRAME, title, 64), 0);
    EXPECT_STREQ(L"Corvex Control Panel", title);
}
