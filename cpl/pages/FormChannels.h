// The ASIO channel pages: every input or output channel that the driver offers, with its unit's name.
// FormChannels shows a list; FormInChannels and FormOutChannels say which list.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikStatus.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace channel_pages
{
struct ChannelRow
{
    std::wstring device;
    std::wstring channel;
};

// The record holds at most 96 identifiers, whatever count the driver reports.
uint32_t BoundedChannelCount(const NorvikChannelList& list);

// Reads the information of each listed channel and names its unit. A channel whose information cannot be
// read, or whose unit is not in the device list (deviceName returns null), is left out.
using ReadChannelInfo = std::function<NorvikStatus(const NorvikChannelId&, NorvikChannelInfo*)>;
using DeviceNameByKeys = std::function<const wchar_t*(uint32_t key1, uint32_t key2)>;
std::vector<ChannelRow> CollectChannelRows(const NorvikChannelList& list, const ReadChannelInfo& readInfo,
                                           const DeviceNameByKeys& deviceName);
} // namespace channel_pages

class FormChannels : public FormBaseImpl<FormChannels>
{
  public:
    static constexpr int kDialogId = IDD_CHANNELS;
    static ResizeMapSpan ResizeMap();

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnResize() override;
    void Refresh() override;

  protected:
    // `client` is the process's client; it outlives the page.
    explicit FormChannels(NorvikClient& client) : client_(client) {}

    // Reads the list that this page shows.
    [[nodiscard]] virtual NorvikStatus GetChannelList(NorvikChannelList* list) = 0;

    NorvikClient& Client() const { return client_; }

  private:
    void SetColumnWidths();

    NorvikClient& client_;
    HWND list_ = nullptr; // child control, owned by the dialog
};
