#include "cpl/framework/DialogResizer.h"

#include <algorithm>

void DialogResizer::Init(HWND dialog, const ResizeMapEntry* map, size_t count)
{
    dialog_ = dialog;
    controls_.clear();
    RECT client{};
    (void)GetClientRect(dialog, &client);
    reference_ = SIZE{client.right - client.left, client.bottom - client.top};
    for (size_t i = 0; i < count; ++i)
    {
        HWND control = GetDlgItem(dialog, map[i].controlId);
        if (control == nullptr)
            continue;
        RECT rect{};
        (void)GetWindowRect(control, &rect);
        (void)MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        controls_.push_back(Control{control, map[i].rules, rect});
    }
}

void DialogResizer::UpdateLayout()
{
    if (dialog_ == nullptr || controls_.empty())
        return;
    RECT client{};
    (void)GetClientRect(dialog_, &client);
    const LONG dx = (client.right - client.left) - reference_.cx;
    const LONG dy = (client.bottom - client.top) - reference_.cy;
    HDWP batch = BeginDeferWindowPos(static_cast<int>(controls_.size()));
    for (const Control& control : controls_)
    {
        RECT rect = control.rect;
        if (control.rules & kResizeMoveX)
            OffsetRect(&rect, dx, 0);
        if (control.rules & kResizeMoveY)
            OffsetRect(&rect, 0, dy);
        if (control.rules & kResizeSizeX)
            rect.right = std::max(rect.left, rect.right + dx);
        if (control.rules & kResizeSizeY)
            rect.bottom = std::max(rect.top, rect.bottom + dy);
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (batch != nullptr)
        {
            batch = DeferWindowPos(batch, control.hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, flags);
        }
        else
        {
            (void)SetWindowPos(control.hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, flags);
        }
    }
    if (batch != nullptr)
        (void)EndDeferWindowPos(batch);
    (void)InvalidateRect(dialog_, nullptr, TRUE);
}
