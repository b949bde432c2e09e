// The Buffer Settings page: the streaming and ASIO buffer size classes of the driver, their latencies, and
// the change of both classes through the service.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikValueTexts.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <optional>
#include <string>

namespace buffer_settings
{
// The page's two latency lines: the streaming one ends with a line break, the ASIO one adds the samples.
std::wstring StreamingLatencyText(uint32_t microseconds);
std::wstring AsioLatencyText(uint32_t microseconds, uint32_t samples);

// The payload of the change request. A list without a selection sends the class the driver reported in
// `record`, so nothing that the driver did not offer is ever sent.
NorvikSetBufferSizes BuildChangeRequest(const NorvikBufferSizes& record,
                                        std::optional<uint32_t> streamingSelection,
                                        std::optional<uint32_t> asioSelection);
} // namespace buffer_settings

class FormBufferSettings : public FormBaseImpl<FormBufferSettings>
{
  public:
    static constexpr int kDialogId = IDD_BUFFER_SETTINGS;

    // `client` is the process's client; it outlives the page.
    explicit FormBufferSettings(NorvikClient& client) : client_(client) {}

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override;

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

  private:
    void Apply();
    void EnableControls(bool enable);

    NorvikClient& client_;
};
