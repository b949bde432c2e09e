// Owning wrappers for the user-interface handles of the control panel (menus, icons, image lists, GDI
// objects, memory DCs, windows). Registry keys are WnRegKey.
#pragma once

#include "wn/WnUniqueHandleT.h"

#include <windows.h>
#include <commctrl.h>

using UniqueMenu = WnUniqueNullHandle<HMENU, DestroyMenu>;
using UniqueIcon = WnUniqueNullHandle<HICON, DestroyIcon>;
using UniqueImageList = WnUniqueNullHandle<HIMAGELIST, ImageList_Destroy>;
// A DC from CreateCompatibleDC; DCs from GetDC go back with ReleaseDC instead.
using UniqueMemoryDc = WnUniqueNullHandle<HDC, DeleteDC>;

template <typename GdiHandle> using UniqueGdiObject = WnUniqueNullHandle<GdiHandle, DeleteObject>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;

// A window that the holder destroys (for child controls made in code, and windows in tests).
using UniqueWindow = WnUniqueNullHandle<HWND, DestroyWindow>;
