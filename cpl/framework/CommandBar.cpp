#include "cpl/framework/CommandBar.h"

#include <commctrl.h>
#include <cwctype>
#include <string>

namespace
{
// Toolbar buttons carry ids from here upwards, one per top-level menu item.
constexpr UINT kFirstButtonId = 0xE900;
constexpr UINT kMaxButtons = 32;

#pragma pack(push, 1)
struct ToolbarResourceHeader
{
    WORD version; // 1
    WORD width;
    WORD height;
    WORD count;
};
#pragma pack(pop)

std::wstring MenuItemText(HMENU menu, int index)
{
    wchar_t text[128] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 127;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info))
        return std::wstring();
    return text;
}

// Copies one image of a toolbar strip into a 32-bit bitmap whose background (the colour of the top-left
// pixel, light grey by convention) is transparent.
HBITMAP ExtractImage(HBITMAP strip, int index, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueMemoryDc screenCompatible(CreateCompatibleDC(nullptr));
    HBITMAP image = CreateDIBSection(screenCompatible.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    UniqueMemoryDc source(CreateCompatibleDC(nullptr));
    if (image == nullptr || !source || !screenCompatible)
    {
        if (image != nullptr)
            (void)DeleteObject(image);
        return nullptr;
    }
    HGDIOBJ oldSource = SelectObject(source.Get(), strip);
    HGDIOBJ oldTarget = SelectObject(screenCompatible.Get(), image);
    (void)BitBlt(screenCompatible.Get(), 0, 0, width, height, source.Get(), index * width, 0, SRCCOPY);
    (void)GdiFlush();
    auto* pixels = static_cast<DWORD*>(bits);
    const DWORD background = pixels[0] & 0x00FFFFFF;
    for (int i = 0; i < width * height; ++i)
    {
        const DWORD rgb = pixels[i] & 0x00FFFFFF;
        pixels[i] = rgb == background ? 0 : (rgb | 0xFF000000);
    }
    SelectObject(screenCompatible.Get(), oldTarget);
    SelectObject(source.Get(), oldSource);
    return image;
}
} // namespace

bool CommandBar::Create(HWND frame, UINT rebarId, int menuId, int toolbarId)
{
    frame_ = frame;
    if (HMENU own = GetMenu(frame))
    {
        (void)SetMenu(frame, nullptr);
        (void)DestroyMenu(own);
    }
    menu_.Attach(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId)));
    if (!menu_)
        return false;
    rebar_ = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                 RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                             0, 0, 0, 0, frame, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(rebarId)),
                             GetModuleHandleW(nullptr), nullptr);
    if (rebar_ == nullptr)
        return false;
    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT |
                                   CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                               0, 0, 0, 0, rebar_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (toolbar_ == nullptr)
        return false;
    AddButtons();
    AddMenuImages(toolbarId);

    SIZE size{};
    (void)SendMessageW(toolbar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
    band.fStyle = RBBS_NOGRIPPER | RBBS_CHILDEDGE;
    band.hwndChild = toolbar_;
    band.cxMinChild = size.cx;
    band.cyMinChild = size.cy;
    band.cx = size.cx;
    (void)SendMessageW(rebar_, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    return true;
}

void CommandBar::AddButtons()
{
    (void)SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    (void)SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    const int count = GetMenuItemCount(menu_.Get());
    for (int i = 0; i < count && i < static_cast<int>(kMaxButtons); ++i)
    {
        std::wstring text = MenuItemText(menu_.Get(), i);
        text.push_back(L'\0'); // TB_ADDSTRING takes a double-terminated list
        const LRESULT stringIndex =
            SendMessageW(toolbar_, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(text.c_str()));
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = static_cast<int>(kFirstButtonId + i);
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = stringIndex;
        (void)SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    (void)SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void CommandBar::AddMenuImages(int toolbarId)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(toolbarId), MAKEINTRESOURCEW(241));
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const auto* header = static_cast<const ToolbarResourceHeader*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = found != nullptr ? SizeofResource(instance, found) : 0;
    if (header == nullptr || size < sizeof(ToolbarResourceHeader) || header->version != 1 ||
        size < sizeof(ToolbarResourceHeader) + header->count * sizeof(WORD))
        return;
    UniqueBitmap strip(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(toolbarId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip)
        return;
    const auto* ids = reinterpret_cast<const WORD*>(header + 1);
    int image = 0;
    for (WORD i = 0; i < header->count; ++i)
    {
        if (ids[i] == 0)
            continue; // a separator has no image
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        // Only commands that the menu has get an image.
        if (GetMenuItemInfoW(menu_.Get(), ids[i], FALSE, &info))
        {
            UniqueBitmap bitmap(ExtractImage(strip.Get(), image, header->width, header->height));
            if (bitmap)
            {
                info.fMask = MIIM_BITMAP;
                info.hbmpItem = bitmap.Get();
                (void)SetMenuItemInfoW(menu_.Get(), ids[i], FALSE, &info);
                itemImages_.push_back(std::move(bitmap));
            }
        }
        ++image;
    }
}

int CommandBar::Height() const
{
    RECT rect{};
    if (rebar_ == nullptr)
        return 0;
    (void)GetWindowRect(rebar_, &rect);
    return rect.bottom - rect.top;
}

void CommandBar::UpdateLayout()
{
    if (rebar_ != nullptr)
        (void)SendMessageW(rebar_, WM_SIZE, 0, 0);
}

int CommandBar::FindMnemonic(wchar_t key) const
{
    const int count = GetMenuItemCount(menu_.Get());
    for (int i = 0; i < count; ++i)
    {
        const std::wstring text = MenuItemText(menu_.Get(), i);
        const size_t amp = text.find(L'&');
        if (amp != std::wstring::npos && amp + 1 < text.size() &&
            std::towlower(text[amp + 1]) == std::towlower(key))
            return i;
    }
    return -1;
}

void CommandBar::DropDown(int index)
{
    HMENU popup = GetSubMenu(menu_.Get(), index);
    const UINT buttonId = kFirstButtonId + static_cast<UINT>(index);
    RECT button{};
    if (popup == nullptr || !SendMessageW(toolbar_, TB_GETRECT, buttonId, reinterpret_cast<LPARAM>(&button)))
        return;
    (void)MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS exclude{};
    exclude.cbSize = sizeof(exclude);
    exclude.rcExclude = button;
    (void)SendMessageW(toolbar_, TB_PRESSBUTTON, buttonId, TRUE);
    // The chosen command arrives at the frame as WM_COMMAND, like one from a window menu.
    (void)TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL, button.left, button.bottom,
                           frame_, &exclude);
    (void)SendMessageW(toolbar_, TB_PRESSBUTTON, buttonId, FALSE);
}

bool CommandBar::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND && lParam != 0 && reinterpret_cast<HWND>(lParam) == toolbar_)
    {
        const UINT id = LOWORD(wParam);
        if (id >= kFirstButtonId && id < kFirstButtonId + kMaxButtons)
        {
            DropDown(static_cast<int>(id - kFirstButtonId));
            result = 0;
            return true;
        }
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && lParam != 0)
    {
        // Alt + a menu's mnemonic opens that menu, as it would on a window menu.
        const int index = FindMnemonic(static_cast<wchar_t>(lParam));
        if (index >= 0)
        {
            DropDown(index);
            result = 0;
            return true;
        }
    }
    return false;
}
