#include "cpl/pages/FormPlugin.h"

#include <commctrl.h>
#include <strsafe.h>

#include <algorithm>

namespace
{
// Two-digit channel numbers keep the sorted list in channel order.
constexpr uint32_t kMaxEffectChannels = 98;
// The faders' positions travel in 16 bits in their notifications.
constexpr uint32_t kMaxDelayLimitMs = 0x7FFF;
} // namespace

namespace effect_page
{
std::wstring PairText(uint32_t first)
{
    wchar_t text[32];
    (void)StringCchPrintfW(text, ARRAYSIZE(text), L"Channel %02u/%02u", first + 1, first + 2);
    return text;
}

std::wstring DelayText(uint32_t milliseconds)
{
    wchar_t text[32];
    (void)StringCchPrintfW(text, ARRAYSIZE(text), L"%u ms", milliseconds);
    return text;
}

std::wstring AmplificationText(uint32_t value)
{
    wchar_t text[32];
    (void)StringCchPrintfW(text, ARRAYSIZE(text), L"%u.%02u", value / 1000, (value % 1000) / 10);
    return text;
}

int FaderPosition(uint32_t maximum, uint32_t value)
{
    return value >= maximum ? 0 : static_cast<int>(maximum - value);
}

uint32_t FaderValue(uint32_t maximum, int position)
{
    return position <= 0 ? maximum : static_cast<uint32_t>(position) >= maximum ? 0 : maximum - position;
}
} // namespace effect_page

LRESULT FormPlugin::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    NorvikPluginRecord record{};
    record.selector = NORVIK_PLUGIN_MAX_DELAY;
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (device != nullptr && device->QueryPlugin(&record) == NORVIK_STATUS_SUCCESS)
        maxDelay_ = std::min(record.count, kMaxDelayLimitMs);
    const auto setUp = [this](int fader, uint32_t maximum)
    {
        (void)SendDlgItemMessageW(Hwnd(), fader, TBM_SETRANGEMIN, FALSE, 0);
        (void)SendDlgItemMessageW(Hwnd(), fader, TBM_SETRANGEMAX, FALSE, static_cast<LPARAM>(maximum));
        (void)SendDlgItemMessageW(Hwnd(), fader, TBM_SETPOS, TRUE, 0);
        (void)SendDlgItemMessageW(Hwnd(), fader, TBM_SETTICFREQ, std::max<uint32_t>(maximum / 10, 1), 0);
    };
    setUp(IDC_DELAY_FADER, maxDelay_);
    setUp(IDC_AMPLIFICATION_FADER, kMaxAmplification);
    return TRUE;
}

void FormPlugin::Refresh()
{
    FillChannelList();
    Read(kDelay);
    Read(kAmplification);
}

bool FormPlugin::OnCommand(UINT id, UINT code, HWND)
{
    if (id != IDC_CHANNEL_PAIR_LIST || code != CBN_SELCHANGE)
        return false;
    Read(kDelay);
    Read(kAmplification);
    return true;
}

bool FormPlugin::OnScroll(bool vertical, UINT code, int, HWND control)
{
    // Home and End (6, 7) move the thumb like the other keys and the mouse; only the end of a drag (8)
    // brings nothing new.
    if (!vertical || code > TB_BOTTOM)
        return false;
    if (control == Item(IDC_DELAY_FADER))
    {
        Write(kDelay);
        return true;
    }
    if (control == Item(IDC_AMPLIFICATION_FADER))
    {
        Write(kAmplification);
        return true;
    }
    return false;
}

uint32_t FormPlugin::Maximum(const Parameter& parameter) const
{
    return parameter.selector == NORVIK_PLUGIN_DELAY ? maxDelay_ : kMaxAmplification;
}

std::optional<uint32_t> FormPlugin::SelectedChannel() const
{
    const HWND list = Item(IDC_CHANNEL_PAIR_LIST);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return std::nullopt;
    return static_cast<uint32_t>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void FormPlugin::FillChannelList()
{
    const HWND list = Item(IDC_CHANNEL_PAIR_LIST);
    (void)SendMessageW(list, CB_RESETCONTENT, 0, 0);
    NorvikPluginRecord record{};
    record.selector = NORVIK_PLUGIN_CHANNEL_COUNT;
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (device == nullptr || device->QueryPlugin(&record) != NORVIK_STATUS_SUCCESS)
        return;
    const uint32_t channels = std::min(record.count, kMaxEffectChannels);
    // An odd last channel has no partner and is left out.
    for (uint32_t first = 0; first + 1 < channels; first += 2)
    {
        const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(effect_page::PairText(first).c_str()));
        if (index >= 0)
            (void)SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), first);
    }
    (void)SendMessageW(list, CB_SETCURSEL, 0, 0);
}

void FormPlugin::Read(const Parameter& parameter)
{
    const std::optional<uint32_t> channel = SelectedChannel();
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (!channel || device == nullptr)
        return;
    NorvikPluginRecord record{};
    record.selector = parameter.selector;
    record.count = 1;
    record.pairs[0].channel = *channel;
    if (device->QueryPlugin(&record) != NORVIK_STATUS_SUCCESS)
        return;
    const uint32_t value = record.pairs[0].value;
    (void)SendDlgItemMessageW(Hwnd(), parameter.fader, TBM_SETPOS, TRUE,
                              effect_page::FaderPosition(Maximum(parameter), value));
    const std::wstring text = parameter.selector == NORVIK_PLUGIN_DELAY
                                  ? effect_page::DelayText(value)
                                  : effect_page::AmplificationText(value);
    (void)SetDlgItemTextW(Hwnd(), parameter.text, text.c_str());
}

void FormPlugin::Write(const Parameter& parameter)
{
    const std::optional<uint32_t> channel = SelectedChannel();
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (!channel || device == nullptr)
        return;
    // The trackbar has already moved when it notifies, whichever key or mouse action moved it.
    const int position = static_cast<int>(SendDlgItemMessageW(Hwnd(), parameter.fader, TBM_GETPOS, 0, 0));
    const uint32_t value = effect_page::FaderValue(Maximum(parameter), position);
    // Both channels of the pair in one request, so they never differ.
    NorvikPluginRecord record{};
    record.selector = parameter.selector;
    record.count = 2;
    record.pairs[0] = {*channel, value};
    record.pairs[1] = {*channel + 1, value};
    (void)device->SetPluginParameters(record);
    // A refused value shows what the unit really has.
    Read(parameter);
}
