// The echo effect of one unit: per stereo pair of its effect channels, the delay and the amplification, each
// sent to the unit as the fader moves and read back from it.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <optional>
#include <string>

namespace effect_page
{
// "Channel 01/02" for the pair that starts at the 0-based channel `first`.
std::wstring PairText(uint32_t first);
// "%u ms".
std::wstring DelayText(uint32_t milliseconds);
// 0 to 1000 as "0.00" to "1.00".
std::wstring AmplificationText(uint32_t value);
// A value's fader position: the fader's top (position 0) is the largest value.
int FaderPosition(uint32_t maximum, uint32_t value);
// The value a fader position stands for.
uint32_t FaderValue(uint32_t maximum, int position);
} // namespace effect_page

class FormPlugin : public FormBaseImpl<FormPlugin>
{
  public:
    static constexpr int kDialogId = IDD_PLUGIN;
    static constexpr uint32_t kDefaultMaxDelayMs = 100;
    static constexpr uint32_t kMaxAmplification = 1000;

    // `client` is the process's client; it outlives the page.
    FormPlugin(NorvikClient& client, uint32_t key1, uint32_t key2) : client_(client), key1_(key1), key2_(key2)
    {
    }

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override;

    uint32_t MaxDelay() const { return maxDelay_; }

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnScroll(bool vertical, UINT code, int position, HWND control) override;

  private:
    // One of the two parameters: its selector and its controls.
    struct Parameter
    {
        uint32_t selector;
        int fader;
        int text;
    };
    static constexpr Parameter kDelay{NORVIK_PLUGIN_DELAY, IDC_DELAY_FADER, IDC_DELAY_TEXT};
    static constexpr Parameter kAmplification{NORVIK_PLUGIN_AMPLIFICATION, IDC_AMPLIFICATION_FADER,
                                              IDC_AMPLIFICATION_TEXT};

    uint32_t Maximum(const Parameter& parameter) const;
    // The first channel of the selected pair; none without a selection.
    std::optional<uint32_t> SelectedChannel() const;
    void FillChannelList();
    void Read(const Parameter& parameter);
    void Write(const Parameter& parameter);

    NorvikClient& client_;
    const uint32_t key1_;
    const uint32_t key2_;
    uint32_t maxDelay_ = kDefaultMaxDelayMs; // read once, when the page is created
};
