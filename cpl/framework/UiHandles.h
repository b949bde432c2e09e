// Owning wrappers for the user-interface handles of the control panel (menus, icons, GDI objects,
// image lists, registry keys). Move-only; the destructor releases the handle.
#pragma once

#include "wn/WnUniqueHandleT.h"

#include <windows.h>
#include <commctrl.h>
#include <utility>

template <typename Handle, void (*Release)(Handle)> class UniqueUiHandle
{
  public:
    UniqueUiHandle() = default;
    explicit UniqueUiHandle(Handle handle) : handle_(handle) {}
    ~UniqueUiHandle() { Reset(); }
    UniqueUiHandle(const UniqueUiHandle&) = delete;
    UniqueUiHandle& operator=(const UniqueUiHandle&) = delete;
    UniqueUiHandle(UniqueUiHandle&& other) noexcept : handle_(other.Detach()) {}
    UniqueUiHandle& operator=(UniqueUiHandle&& other) noexcept
    {
        if (this != &other)
        {
            Reset(other.Detach());
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr)
    {
        if (handle_ != nullptr)
        {
            Release(handle_);
        }
        handle_ = handle;
    }
    Handle Detach() { return std::exchange(handle_, nullptr); }

  private:
    Handle handle_ = nullptr;
};

namespace ui_handle_release
{
inline void Menu(HMENU h)
{
    (void)DestroyMenu(h);
}
inline void Icon(HICON h)
{
    (void)DestroyIcon(h);
}
inline void ImageList(HIMAGELIST h)
{
    (void)ImageList_Destroy(h);
}
inline void RegKey(HKEY h)
{
    (void)RegCloseKey(h);
}
inline void GdiObject(HGDIOBJ h)
{
    (void)DeleteObject(h);
}
inline void Brush(HBRUSH h)
{
    GdiObject(h);
}
inline void Bitmap(HBITMAP h)
{
    GdiObject(h);
}
inline void Font(HFONT h)
{
    GdiObject(h);
}
inline void MemoryDc(HDC h)
{
    (void)DeleteDC(h);
}
} // namespace ui_handle_release

using UniqueMenu = UniqueUiHandle<HMENU, ui_handle_release::Menu>;
using UniqueIcon = UniqueUiHandle<HICON, ui_handle_release::Icon>;
using UniqueImageList = UniqueUiHandle<HIMAGELIST, ui_handle_release::ImageList>;
using UniqueRegKey = UniqueUiHandle<HKEY, ui_handle_release::RegKey>;
using UniqueBrush = UniqueUiHandle<HBRUSH, ui_handle_release::Brush>;
using UniqueBitmap = UniqueUiHandle<HBITMAP, ui_handle_release::Bitmap>;
using UniqueFont = UniqueUiHandle<HFONT, ui_handle_release::Font>;
using UniqueMemoryDc = UniqueUiHandle<HDC, ui_handle_release::MemoryDc>;

// A window that the holder destroys (for child controls made in code, and windows in tests).
struct WindowTraits
{
    using Type = HWND;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type window) noexcept { (void)DestroyWindow(window); }
};
using UniqueWindow = WnUniqueHandleT<WindowTraits>;
