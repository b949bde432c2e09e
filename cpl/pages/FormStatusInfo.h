// The Status Info page: the driver's five error counters, refreshed every second while the page is shown,
// non-zero counts painted red, and a description of the selected counter.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikValueTexts.h"
#include "resources/corvexcpl.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

namespace status_info
{
constexpr const wchar_t* kNoSelectionText = L"Select a counter to see its description.";
constexpr UINT_PTR kRefreshTimerId = 1113;
constexpr UINT kRefreshPeriodMs = 1000;

constexpr COLORREF kCountedColour = RGB(255, 0, 0);
constexpr COLORREF kPlainColour = RGB(0, 0, 0);

// The text colour of a list cell: the value column is red while its counter is above zero.
COLORREF CellTextColour(int column, uint32_t value);
} // namespace status_info

class FormStatusInfo : public FormBaseImpl<FormStatusInfo>
{
  public:
    static constexpr int kDialogId = IDD_STATUS_INFO;
    static ResizeMapSpan ResizeMap();

    // `client` is the process's client; it outlives the page.
    explicit FormStatusInfo(NorvikClient& client) : client_(client) {}

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    // Starts the refresh timer, refreshes at once and shows the page.
    void Show() override;
    // Stops the refresh timer and hides the page.
    void Hide() override;
    void OnTimer(UINT_PTR timerId) override;
    void Refresh() override;

    bool IsTimerRunning() const { return timerRunning_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnDestroy() override;

  private:
    void StopTimer();
    void UpdateDescription();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;

    NorvikClient& client_;
    HWND list_ = nullptr; // child control, owned by the dialog
    NorvikErrorCounters counters_{};
    bool timerRunning_ = false;
};
