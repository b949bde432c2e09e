// A menu bar made of a toolbar in a rebar: one button per top-level item of the frame's menu, each of which
// drops its sub-menu down. Menu items whose command has a button in the toolbar resource show that image.
#pragma once

#include "cpl/framework/UiHandles.h"

#include <windows.h>
#include <vector>

class CommandBar
{
  public:
    // Builds the bar from menu resource `menuId`; a menu the frame has of its own is removed. `toolbarId`
    // names a toolbar resource (type 241) and its bitmap.
    bool Create(HWND frame, UINT rebarId, int menuId, int toolbarId);

    HWND Rebar() const { return rebar_; }
    HWND ToolBar() const { return toolbar_; }
    HMENU Menu() const { return menu_.Get(); }
    int Height() const;
    // Follows the frame's width (call from the frame's WM_SIZE).
    void UpdateLayout();

    // Takes the bar's own messages (its buttons' WM_COMMAND, Alt + a mnemonic); the frame offers it every
    // message first.
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Drops down the sub-menu of top-level item `index`; returns after the menu closed.
    void DropDown(int index);
    // The top-level item whose mnemonic is `key`, or -1.
    int FindMnemonic(wchar_t key) const;

  private:
    void AddButtons();
    void AddMenuImages(int toolbarId);

    HWND frame_ = nullptr;   // not owned
    HWND rebar_ = nullptr;   // a child of the frame
    HWND toolbar_ = nullptr; // a child of the rebar
    UniqueMenu menu_;
    std::vector<UniqueBitmap> itemImages_; // must outlive the menu items that show them
};
