#include "cpl/framework/VerticalSplitter.h"

#include <algorithm>

namespace
{
const wchar_t kSplitterClass[] = L"CorvexVerticalSplitter";
constexpr int kMinimumPaneWidth = 20;
} // namespace

HWND VerticalSplitter::Create(HWND parent, const RECT& rect, UINT controlId)
{
    WNDCLASSEXW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    windowClass.lpszClassName = kSplitterClass;
    if (!RegisterWindowClass(windowClass))
        return nullptr;
    // The panes are dialogs: the control-parent style lets dialog navigation step into them.
    return WindowImpl::Create(kSplitterClass, parent, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              WS_EX_CONTROLPARENT, rect,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)));
}

void VerticalSplitter::SetPanes(HWND left, HWND right)
{
    left_ = left;
    right_ = right;
    UpdateLayout();
}

void VerticalSplitter::SetLeftPane(HWND left)
{
    SetPanes(left, right_);
}

void VerticalSplitter::SetRightPane(HWND right)
{
    SetPanes(left_, right);
}

void VerticalSplitter::SetSplitterPos(int position)
{
    position_ = std::max(0, position);
    UpdateLayout();
}

int VerticalSplitter::ClampedPosition(int position) const
{
    RECT client{};
    (void)GetClientRect(Hwnd(), &client);
    const int widest = client.right - kBarWidth - kMinimumPaneWidth;
    return std::max(0, std::min(position, std::max(kMinimumPaneWidth, widest)));
}

RECT VerticalSplitter::BarRect() const
{
    RECT client{};
    (void)GetClientRect(Hwnd(), &client);
    const int position = ClampedPosition(position_);
    return RECT{position, 0, position + kBarWidth, client.bottom};
}

void VerticalSplitter::UpdateLayout()
{
    if (Hwnd() == nullptr)
        return;
    RECT client{};
    (void)GetClientRect(Hwnd(), &client);
    const RECT bar = BarRect();
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (left_ != nullptr)
        (void)SetWindowPos(left_, nullptr, 0, 0, bar.left, client.bottom, flags);
    if (right_ != nullptr)
    {
        (void)SetWindowPos(right_, nullptr, bar.right, 0, std::max(0L, client.right - bar.right),
                           client.bottom, flags);
    }
    (void)InvalidateRect(Hwnd(), &bar, TRUE);
}

bool VerticalSplitter::OnSize(UINT, SIZE)
{
    UpdateLayout();
    return true;
}

bool VerticalSplitter::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const int x = static_cast<short>(LOWORD(lParam));
    switch (message)
    {
    case WM_COMMAND:
    case WM_NOTIFY:
        // The panes' notifications belong to the window that owns the splitter.
        result = SendMessageW(GetParent(Hwnd()), message, wParam, lParam);
        return true;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        dragOffset_ = x - BarRect().left;
        (void)SetCapture(Hwnd());
        return true;
    case WM_MOUSEMOVE:
        if (dragging_)
        {
            position_ = ClampedPosition(x - dragOffset_);
            UpdateLayout();
        }
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_)
        {
            dragging_ = false;
            if (message == WM_LBUTTONUP)
                (void)ReleaseCapture();
        }
        return true;
    default:
        return false;
    }
}
