#include "cpl/mixer/FormMixerConnection.h"

#include "cpl/mixer/FormWeightCtrl.h"
#include "cpl/mixer/MixerControls.h"

FormMixerConnection::FormMixerConnection(uint32_t key1, uint32_t key2, NorvikWeightItem* leftToLeft,
                                         NorvikWeightItem* leftToRight, NorvikWeightItem* rightToLeft,
                                         NorvikWeightItem* rightToRight)
    : key1_(key1), key2_(key2), records_{leftToLeft, leftToRight, rightToLeft, rightToRight},
      connectedBrush_(CreateSolidBrush(kConnectedColour)), openBrush_(CreateSolidBrush(kOpenColour))
{
}

LRESULT FormMixerConnection::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    for (int cell = 0; cell < kCells; ++cell)
        cells_[cell] = Item(kCellIds[cell]);
    return TRUE;
}

void FormMixerConnection::ShowWeights()
{
    for (int cell = 0; cell < kCells; ++cell)
        ShowCell(cell);
}

void FormMixerConnection::ClearWeights()
{
    for (HWND cell : cells_)
        mixer_controls::ShowText(cell, mixer_values::kNotAvailable);
}

bool FormMixerConnection::OnCommand(UINT, UINT code, HWND control)
{
    const int cell = CellOf(control);
    if (cell < 0 || code != STN_CLICKED)
        return false;
    EditCell(cell);
    return true;
}

bool FormMixerConnection::OnCtlColorStatic(HDC dc, HWND control, HBRUSH& brush)
{
    const int cell = CellOf(control);
    if (cell < 0)
        return false;
    // Read at every repaint, so a cell changes colour as soon as it is redrawn after its record changed.
    const bool connected = records_[cell]->IsConnected();
    (void)SetBkColor(dc, connected ? kConnectedColour : kOpenColour);
    brush = connected ? connectedBrush_.Get() : openBrush_.Get();
    return true;
}

int FormMixerConnection::CellOf(HWND control) const
{
    for (int cell = 0; cell < kCells; ++cell)
        if (control != nullptr && cells_[cell] == control)
            return cell;
    return -1;
}

void FormMixerConnection::ShowCell(int cell)
{
    mixer_controls::ShowText(cells_[cell], mixer_values::CellText(*records_[cell]).c_str());
}

void FormMixerConnection::EditCell(int cell)
{
    RECT rect{};
    (void)GetWindowRect(cells_[cell], &rect);
    FormWeightCtrl editor(key1_, key2_, rect.left, rect.top, records_[cell]);
    // Owned by the mixer window, which it disables while it runs, whichever window was active.
    (void)editor.RunModal(GetAncestor(Hwnd(), GA_ROOT));
    ShowCell(cell);
}
