// A window split into a left and a right pane by a vertical bar that the user can drag. The panes are
// windows of their own, children of the splitter; the splitter passes their notifications on to its parent.
#pragma once

#include "cpl/framework/WindowImpl.h"

class VerticalSplitter : public WindowImpl
{
  public:
    static constexpr int kBarWidth = 4;

    HWND Create(HWND parent, const RECT& rect, UINT controlId);

    void SetPanes(HWND left, HWND right);
    void SetLeftPane(HWND left);
    void SetRightPane(HWND right);
    HWND LeftPane() const { return left_; }
    HWND RightPane() const { return right_; }
    // Position of the bar's left edge in client pixels.
    void SetSplitterPos(int position);
    int SplitterPos() const { return position_; }
    // Moves the panes to the current size and position.
    void UpdateLayout();

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnSize(UINT type, SIZE size) override;

  private:
    int ClampedPosition(int position) const;
    RECT BarRect() const;

    HWND left_ = nullptr;  // not owned: the pane belongs to its form
    HWND right_ = nullptr; // not owned
    int position_ = 150;
    bool dragging_ = false;
    int dragOffset_ = 0;
};
