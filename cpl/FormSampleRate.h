// The "Sample Rate" page: the rates the driver offers, the current one selected, and Apply, which asks the
// service to change the rate. Says when the driver runs in DSD mode.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "resources/corvexcpl.h"

#include <cstdint>
#include <string>

class FormSampleRate : public FormBaseImpl<FormSampleRate>
{
  public:
    static constexpr int kDialogId = IDD_SAMPLE_RATE;

    // `client` is the process's client; it outlives the page.
    explicit FormSampleRate(NorvikClient& client) : client_(client) {}

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override;

    // What the Apply button does.
    void Apply();

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;

  private:
    void Disable();

    HWND rateList_ = nullptr;
    HWND applyButton_ = nullptr;
    HWND dsdText_ = nullptr;
    NorvikClient& client_;
};
