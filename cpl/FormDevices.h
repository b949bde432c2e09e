// The Devices page: the connected units, which of them streams, and the streaming mode, changed through the
// service.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace devices_page
{
// Column widths for a list whose client area is `clientWidth` pixels wide; none for a zero-width list,
// which keeps its columns.
std::optional<std::array<int, 3>> ColumnWidths(int clientWidth);

// The mode the radio group shows: the status's mode word when it is 0 (one device) or 1 (all devices);
// none for any other value, which leaves the group as it is.
std::optional<uint32_t> ModeFromStatus(const NorvikStreamingStatus& status);

// Whether the unit with these keys streams, by the driver's current device list; `cached` when the list
// does not hold the unit.
bool IsStreamingUnit(const NorvikDeviceList& list, uint32_t key1, uint32_t key2, bool cached);
} // namespace devices_page

class FormDevices : public FormBaseImpl<FormDevices>
{
  public:
    static constexpr int kDialogId = IDD_DEVICES;
    static ResizeMapSpan ResizeMap();

    // `client` is the process's client; it outlives the page.
    explicit FormDevices(NorvikClient& client) : client_(client) {}

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnResize() override;
    void Refresh() override;

    // 0: one selected device streams; 1: all devices stream.
    uint32_t Mode() const { return mode_; }

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

  private:
    void UpdateButton();
    void SelectForStreaming();
    void ChangeMode();
    void SelectStreamingDevice(uint32_t key1, uint32_t key2, uint32_t mode);

    NorvikClient& client_;
    HWND list_ = nullptr;                   // child control, owned by the dialog
    std::vector<NorvikDeviceKeys> rowKeys_; // by row index (the rows' item data)
    uint32_t mode_ = 0;
};
