// A page that shows one line of text, centred: the page shown while no device is connected, and the mixer's
// "No mixer pins." message.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "resources/corvexcpl.h"

#include <string>

class FormStaticText : public FormBaseImpl<FormStaticText>
{
  public:
    static constexpr int kDialogId = IDD_STATIC_TEXT;
    static ResizeMapSpan ResizeMap();

    explicit FormStaticText(std::wstring text) : text_(std::move(text)) {}

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override {}
    const std::wstring& Text() const { return text_; }

  private:
    std::wstring text_;
};
