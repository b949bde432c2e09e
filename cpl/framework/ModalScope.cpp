#include "cpl/framework/ModalScope.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace
{
// The panel's windows all live on its one user-interface thread.
int openLoops = 0;
std::vector<std::pair<HWND, UINT>> held;
} // namespace

ModalScope::ModalScope()
{
    ++openLoops;
}

ModalScope::~ModalScope()
{
    if (--openLoops != 0)
        return;
    // Posted, not run here: the caller of the loop finishes first. A window destroyed meanwhile gets nothing.
    std::vector<std::pair<HWND, UINT>> due;
    due.swap(held);
    for (const auto& [window, message] : due)
        if (IsWindow(window))
            (void)PostMessageW(window, message, 0, 0);
}

bool ModalScope::IsOpen()
{
    return openLoops != 0;
}

bool ModalScope::HoldBack(HWND window, UINT message)
{
    if (openLoops == 0)
        return false;
    const std::pair<HWND, UINT> entry{window, message};
    if (std::find(held.begin(), held.end(), entry) == held.end())
        held.push_back(entry);
    return true;
}
