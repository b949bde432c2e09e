// The frame's status bar: a stretching first pane and fixed-width panes to its right, with a size grip.
// While a menu item is highlighted it shows the item's help text (the part of the string resource with the
// item's command id before the first line break) and returns to its panes when the menu closes.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

class StatusBar
{
  public:
    // `fixedWidths` are the widths of panes 1..n in pixels; pane 0 takes what is left.
    HWND Create(HWND parent, UINT controlId, const wchar_t* defaultText, std::vector<int> fixedWidths);
    HWND Hwnd() const { return hwnd_; }

    // Widens fixed pane `pane` (1..n) when `text` would not fit it in the bar's font; the widths given at
    // creation are minimums.
    void FitPaneTo(int pane, const wchar_t* text);
    int PaneWidth(int pane) const
    {
        return pane >= 1 && pane <= static_cast<int>(fixedWidths_.size()) ? fixedWidths_[pane - 1] : 0;
    }
    void SetPaneText(int pane, const wchar_t* text);
    std::wstring PaneText(int pane) const;
    // Follows the parent's size (call from the parent's WM_SIZE).
    void UpdateLayout();
    int Height() const;

    // Feed WM_MENUSELECT of the window that owns the menus.
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    bool ShowsMenuHelp() const { return showingMenuHelp_; }
    const std::wstring& MenuHelp() const { return menuHelp_; }
    // The help text of a command: its string resource up to the first line break; empty without a string.
    static std::wstring MenuHelpText(UINT commandId);

  private:
    HWND hwnd_ = nullptr; // a child of the frame; destroyed with it
    std::vector<int> fixedWidths_;
    bool showingMenuHelp_ = false;
    std::wstring menuHelp_;
};
