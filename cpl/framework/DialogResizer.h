// Moves and sizes a dialog's controls with the dialog by a table of rules, one row per control. The size the
// dialog had when Init ran is the reference: a control's rule applies the difference to that size.
#pragma once

#include <windows.h>
#include <vector>

enum ResizeRule : unsigned
{
    kResizeMoveX = 1,
    kResizeMoveY = 2,
    kResizeSizeX = 4,
    kResizeSizeY = 8,
    kResizeGrow = kResizeSizeX | kResizeSizeY,
};

struct ResizeMapEntry
{
    int controlId;
    unsigned rules; // ResizeRule bits
};

class DialogResizer
{
  public:
    // Records the dialog's client size and the controls of the map; ids that are not found are skipped.
    void Init(HWND dialog, const ResizeMapEntry* map, size_t count);
    // Lays the controls out for the dialog's current client size.
    void UpdateLayout();
    SIZE ReferenceSize() const { return reference_; }

  private:
    struct Control
    {
        HWND hwnd;
        unsigned rules;
        RECT rect; // in dialog client coordinates at Init
    };
    HWND dialog_ = nullptr; // not owned
    SIZE reference_{};
    std::vector<Control> controls_;
};
