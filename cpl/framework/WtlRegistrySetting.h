// Mix-in that keeps the window's position and size per user in the registry: REG_DWORD values "PosX",
// "PosY", "Width" and "Height" under a key of HKEY_CURRENT_USER. Stored rectangles are clamped to the
// primary screen so that a window can always be reached.
#pragma once

#include "wn/WnRegKey.h"

#include <windows.h>
#include <algorithm>
#include <climits>
#include <string>

// Keeps at least 50 pixels of the rectangle on a screen of width x height; a rectangle that ends up narrower
// or lower than 50 pixels becomes the 50 x 50 square in the middle of the screen.
inline RECT ClampToScreen(RECT rect, LONG width, LONG height)
{
    constexpr LONG kVisible = 50;
    RECT clamped{};
    clamped.left = std::min(std::max(rect.left, 0L), width - kVisible);
    clamped.top = std::min(std::max(rect.top, 0L), height - kVisible);
    clamped.right = std::min(std::max(rect.right, kVisible), width);
    clamped.bottom = std::min(std::max(rect.bottom, kVisible), height);
    if (clamped.right - clamped.left < kVisible || clamped.bottom - clamped.top < kVisible)
    {
        constexpr LONG kHalf = kVisible / 2;
        clamped = RECT{width / 2 - kHalf, height / 2 - kHalf, width / 2 + kHalf, height / 2 + kHalf};
    }
    return clamped;
}

// origin + extent for a stored pair: added in 64 bits, since both come from the registry and their sum may
// not fit; the result is held to the LONG range, which the screen clamp then narrows.
inline LONG StoredEdge(LONG origin, DWORD extent)
{
    const long long edge = static_cast<long long>(origin) + static_cast<LONG>(extent);
    return static_cast<LONG>(std::clamp<long long>(edge, LONG_MIN, LONG_MAX));
}

template <typename T> class WtlRegistrySetting
{
  public:
    explicit WtlRegistrySetting(const wchar_t* subKey) : subKey_(subKey) {}

    // Applies the stored rectangle, clamped, without showing the window. Returns false (and changes
    // nothing) unless all four values are stored as 4-byte REG_DWORD values.
    bool RestorePlacement()
    {
        WnRegKey key = OpenKey();
        DWORD values[4] = {};
        for (int i = 0; i < 4; ++i)
        {
            DWORD type = 0;
            DWORD size = sizeof(values[i]);
            if (!key ||
                RegQueryValueExW(key.Get(), kNames[i], nullptr, &type, reinterpret_cast<BYTE*>(&values[i]),
                                 &size) != ERROR_SUCCESS ||
                type != REG_DWORD || size != sizeof(DWORD))
                return false;
        }
        const auto left = static_cast<LONG>(values[0]);
        const auto top = static_cast<LONG>(values[1]);
        const RECT rect =
            ClampToScreen(RECT{left, top, StoredEdge(left, values[2]), StoredEdge(top, values[3])},
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return SetWindowPos(static_cast<T*>(this)->Hwnd(), nullptr, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top,
                            SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
    }

    // Stores the clamped window rectangle; nothing while the window is minimised. Stops at the first
    // failed write, so a partial save keeps the earlier values of the rest.
    void SavePlacement()
    {
        HWND window = static_cast<T*>(this)->Hwnd();
        RECT rect{};
        if (IsIconic(window) || !GetWindowRect(window, &rect))
            return;
        rect = ClampToScreen(rect, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        const DWORD values[4] = {static_cast<DWORD>(rect.left), static_cast<DWORD>(rect.top),
                                 static_cast<DWORD>(rect.right - rect.left),
                                 static_cast<DWORD>(rect.bottom - rect.top)};
        WnRegKey key = OpenKey();
        for (int i = 0; key && i < 4; ++i)
            if (RegSetValueExW(key.Get(), kNames[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]),
                               sizeof(DWORD)) != ERROR_SUCCESS)
                return;
    }

  private:
    static constexpr const wchar_t* kNames[4] = {L"PosX", L"PosY", L"Width", L"Height"};

    WnRegKey OpenKey() const
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, nullptr, 0,
                            KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return WnRegKey();
        return WnRegKey(key);
    }

    std::wstring subKey_;
};
