// The echo effect of one unit: per stereo pair of its effect channels, the delay and the amplification, each
// sent to the unit as the fader moves and read back from it.
#pragma once

#include "cpl/framework/Fader.h"
#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <optional>

class FormPlugin : public FormBaseImpl<FormPlugin>
{
  public:
    static constexpr int kDialogId = IDD_PLUGIN;
    static constexpr uint32_t kDefaultMaxDelayMs = 100;

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
    // Before the parameters, which name them.
    Fader delayFader_;
    Fader amplificationFader_;

    // One of the two parameters: its selector and its controls.
    struct Parameter
    {
        uint32_t selector;
        Fader FormPlugin::*fader;
        int text;
    };
    static constexpr Parameter kDelay{NORVIK_PLUGIN_DELAY, &FormPlugin::delayFader_, IDC_DELAY_TEXT};
    static constexpr Parameter kAmplification{NORVIK_PLUGIN_AMPLIFICATION, &FormPlugin::amplificationFader_,
                                              IDC_AMPLIFICATION_TEXT};

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
