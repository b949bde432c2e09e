// One crossing of the mixer's matrix: the four crosspoints of a stereo input pair (rows) and a stereo output
// pair (columns) as a 2 x 2 grid of cells, green while connected and white while not. A click on a cell opens
// the weight control for that crosspoint.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "cpl/framework/UiHandles.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <cstdint>

class FormMixerConnection : public FormBaseImpl<FormMixerConnection>
{
  public:
    static constexpr int kDialogId = IDD_MIXER_CONNECTION;
    static constexpr int kCells = 4;
    // Cell ids in grid order: left input to left output, left to right, right to left, right to right.
    static constexpr int kCellIds[kCells] = {IDC_CELL_LEFT_TO_LEFT, IDC_CELL_LEFT_TO_RIGHT,
                                             IDC_CELL_RIGHT_TO_LEFT, IDC_CELL_RIGHT_TO_RIGHT};
    static constexpr COLORREF kConnectedColour = RGB(0, 255, 0);
    static constexpr COLORREF kOpenColour = RGB(255, 255, 255);

    // The records, in the order of kCellIds, belong to the mixer window and outlive the block.
    FormMixerConnection(uint32_t key1, uint32_t key2, NorvikWeightItem* leftToLeft,
                        NorvikWeightItem* leftToRight, NorvikWeightItem* rightToLeft,
                        NorvikWeightItem* rightToRight);

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override {}

    // Each cell's text from its record.
    void ShowWeights();
    // After a failed weight read: "n/a" in every cell; the colours keep following the records.
    void ClearWeights();

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnCtlColorStatic(HDC dc, HWND control, HBRUSH& brush) override;

  private:
    int CellOf(HWND control) const;
    void ShowCell(int cell);
    void EditCell(int cell);

    uint32_t key1_;
    uint32_t key2_;
    HWND cells_[kCells] = {}; // child controls, owned by the dialog
    NorvikWeightItem* records_[kCells];
    UniqueBrush connectedBrush_;
    UniqueBrush openBrush_;
};
