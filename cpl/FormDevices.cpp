#include "cpl/FormDevices.h"

#include "cpl/CplMessageBox.h"
#include "cpl/framework/ReportList.h"

#include <commctrl.h>

#include <algorithm>

namespace devices_page
{
std::optional<std::array<int, 3>> ColumnWidths(int clientWidth)
{
    if (clientWidth <= 0)
        return std::nullopt;
    return std::array<int, 3>{clientWidth * 2 / 7, clientWidth * 2 / 6, clientWidth / 5};
}

std::optional<uint32_t> ModeFromStatus(const NorvikStreamingStatus& status)
{
    if (status.mode == 0 || status.mode == 1)
        return status.mode;
    return std::nullopt;
}

bool IsStreamingUnit(const NorvikDeviceList& list, uint32_t key1, uint32_t key2, bool cached)
{
    const uint32_t count = std::min<uint32_t>(list.count, NORVIK_MAX_DEVICES);
    for (uint32_t i = 0; i < count; ++i)
        if (list.devices[i].key1 == key1 && list.devices[i].key2 == key2)
            return list.devices[i].IsStreamingDevice();
    return cached;
}
} // namespace devices_page

ResizeMapSpan FormDevices::ResizeMap()
{
    static const ResizeMapEntry map[] = {
        {IDC_DEVICE_LIST, kResizeGrow},           {IDC_SELECT_FOR_STREAMING, kResizeMoveY},
        {IDC_STREAMING_MODE_GROUP, kResizeMoveY}, {IDC_MODE_SINGLE_DEVICE, kResizeMoveY},
        {IDC_MODE_ALL_DEVICES, kResizeMoveY},
    };
    return MakeResizeMap(map);
}

LRESULT FormDevices::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    list_ = Item(IDC_DEVICE_LIST);
    SetUpReportList(list_, {{L"Device", 40}, {L"Serial number", 40}, {L"Streaming", 30, LVCFMT_CENTER}});
    mode_ = 0;
    (void)CheckRadioButton(Hwnd(), IDC_MODE_SINGLE_DEVICE, IDC_MODE_ALL_DEVICES, IDC_MODE_SINGLE_DEVICE);
    return TRUE;
}

void FormDevices::OnResize()
{
    RECT client{};
    if (list_ == nullptr || !GetClientRect(list_, &client))
        return;
    if (const auto widths = devices_page::ColumnWidths(client.right - client.left))
        for (int i = 0; i < 3; ++i)
            (void)ListView_SetColumnWidth(list_, i, (*widths)[i]);
}

void FormDevices::Refresh()
{
    (void)ListView_DeleteAllItems(list_);
    const size_t count = client_.IsOpen() ? client_.DeviceCount() : 0;
    rowKeys_.assign(count, NorvikDeviceKeys{});

    NorvikStreamingStatus status{};
    if (client_.GetStreamingStatus(&status) != NORVIK_STATUS_SUCCESS)
        status = NorvikStreamingStatus{};
    // The client's records change only with the device list; the streaming mark is read fresh, so that
    // the page shows a new streaming device at once.
    NorvikDeviceList current{};
    if (count == 0 || client_.GetDeviceList(&current) != NORVIK_STATUS_SUCCESS)
        current.count = 0;

    for (size_t i = 0; i < count; ++i)
    {
        const NorvikDevice* device = client_.DeviceAt(i);
        if (device == nullptr)
            continue;
        const bool streaming = devices_page::IsStreamingUnit(current, device->Key1(), device->Key2(),
                                                             device->IsStreamingDevice());
        (void)AppendReportRow(list_, {L"Corvex", device->Serial(), streaming ? L"X" : L""},
                              static_cast<LPARAM>(i));
        rowKeys_[i] = {device->Key1(), device->Key2()};
    }
    UpdateButton();

    if (const auto mode = devices_page::ModeFromStatus(status))
    {
        mode_ = *mode;
        (void)CheckRadioButton(Hwnd(), IDC_MODE_SINGLE_DEVICE, IDC_MODE_ALL_DEVICES,
                               mode_ == 0 ? IDC_MODE_SINGLE_DEVICE : IDC_MODE_ALL_DEVICES);
    }
}

bool FormDevices::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id)
    {
    case IDC_SELECT_FOR_STREAMING:
        SelectForStreaming();
        return true;
    case IDC_MODE_SINGLE_DEVICE:
    case IDC_MODE_ALL_DEVICES:
        ChangeMode();
        return true;
    default:
        return false;
    }
}

bool FormDevices::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom == IDC_DEVICE_LIST && header.code == LVN_ITEMCHANGED)
    {
        UpdateButton();
        result = 0;
        return true;
    }
    return false;
}

void FormDevices::UpdateButton()
{
    const bool selected = ListView_GetNextItem(list_, -1, LVNI_SELECTED) >= 0;
    (void)EnableWindow(Item(IDC_SELECT_FOR_STREAMING), selected);
}

void FormDevices::SelectForStreaming()
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item.iItem < 0 || !ListView_GetItem(list_, &item))
        return;
    const size_t index = static_cast<size_t>(item.lParam);
    if (index >= rowKeys_.size())
        return;
    SelectStreamingDevice(rowKeys_[index].key1, rowKeys_[index].key2, 0);
}

void FormDevices::ChangeMode()
{
    if (IsDlgButtonChecked(Hwnd(), IDC_MODE_SINGLE_DEVICE) == BST_CHECKED)
        mode_ = 0;
    else if (IsDlgButtonChecked(Hwnd(), IDC_MODE_ALL_DEVICES) == BST_CHECKED)
        mode_ = 1;
    else
        return;
    // The single-device mode names no device: the service keeps or chooses it.
    SelectStreamingDevice(0, 0, mode_);
}

void FormDevices::SelectStreamingDevice(uint32_t key1, uint32_t key2, uint32_t mode)
{
    const NorvikStatus status = client_.SelectStreamingDevice(key1, key2, mode);
    if (status != NORVIK_STATUS_SUCCESS)
        ReportFailure(Hwnd(), L"Selecting the streaming device failed.", status);
    Refresh();
}
