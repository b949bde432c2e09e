#include "cpl/pages/FormChannels.h"

#include "cpl/framework/ReportList.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace channel_pages
{
uint32_t BoundedChannelCount(const NorvikChannelList& list)
{
    return std::min<uint32_t>(list.count, NORVIK_MAX_CHANNELS);
}

std::vector<ChannelRow> CollectChannelRows(const NorvikChannelList& list, const ReadChannelInfo& readInfo,
                                           const DeviceNameByKeys& deviceName)
{
    std::vector<ChannelRow> rows;
    const uint32_t count = BoundedChannelCount(list);
    for (uint32_t i = 0; i < count; ++i)
    {
        NorvikChannelInfo info{};
        if (readInfo(list.channels[i], &info) != NORVIK_STATUS_SUCCESS)
            continue;
        const wchar_t* device = deviceName(info.key1, info.key2);
        if (device == nullptr)
            continue;
        // The driver's name need not be terminated within its array.
        rows.push_back({device, std::wstring(info.name, wcsnlen(info.name, std::size(info.name)))});
    }
    return rows;
}
} // namespace channel_pages

ResizeMapSpan FormChannels::ResizeMap()
{
    static const ResizeMapEntry map[] = {{IDC_CHANNEL_LIST, kResizeGrow}};
    return MakeResizeMap(map);
}

LRESULT FormChannels::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    list_ = Item(IDC_CHANNEL_LIST);
    // The widths follow the list's width.
    SetUpReportList(list_, {{L"Device", 100}, {L"Channel name", 100}});
    SetColumnWidths();
    return TRUE;
}

void FormChannels::OnResize()
{
    SetColumnWidths();
}

void FormChannels::SetColumnWidths()
{
    RECT client{};
    if (list_ == nullptr || !GetClientRect(list_, &client) || client.right - client.left <= 0)
        return;
    const int half = (client.right - client.left) / 2;
    (void)ListView_SetColumnWidth(list_, 0, half);
    (void)ListView_SetColumnWidth(list_, 1, half);
}

void FormChannels::Refresh()
{
    (void)ListView_DeleteAllItems(list_);
    NorvikChannelList list{};
    if (GetChannelList(&list) != NORVIK_STATUS_SUCCESS)
        return;
    const auto rows = channel_pages::CollectChannelRows(
        list,
        [this](const NorvikChannelId& channel, NorvikChannelInfo* info)
        { return client_.GetChannelInfo(channel, info); },
        [this](uint32_t key1, uint32_t key2) -> const wchar_t*
        {
            const NorvikDevice* device = client_.FindDevice(key1, key2);
            return device != nullptr ? device->Name() : nullptr;
        });
    for (const channel_pages::ChannelRow& row : rows)
        (void)AppendReportRow(list_, {row.device.c_str(), row.channel.c_str()});
    // The rows may have brought a scroll bar that narrows the list.
    SetColumnWidths();
}
