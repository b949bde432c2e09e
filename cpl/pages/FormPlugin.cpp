#include "cpl/pages/FormPlugin.h"

#include "driverapi/EffectValues.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace
{
// The faders' positions travel in 16 bits in their notifications.
constexpr uint32_t kMaxDelayLimitMs = 0x7FFF;
} // namespace

LRESULT FormPlugin::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    uint32_t maxDelay = 0;
    if (device != nullptr &&
        QueryEffectValue(*device, NORVIK_PLUGIN_MAX_DELAY, 0, &maxDelay) == NORVIK_STATUS_SUCCESS)
        maxDelay_ = std::min(maxDelay, kMaxDelayLimitMs);
    const auto setUp = [](Fader& fader, HWND window, uint32_t maximum)
    {
        fader.SetUp(window, 0, static_cast<int>(maximum), false);
        fader.SetValue(static_cast<int>(maximum));
        (void)SendMessageW(window, TBM_SETTICFREQ, std::max<uint32_t>(maximum / 10, 1), 0);
    };
    setUp(delayFader_, Item(IDC_DELAY_FADER), maxDelay_);
    setUp(amplificationFader_, Item(IDC_AMPLIFICATION_FADER), kMaxEffectAmplification);
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
    if (!vertical || !Fader::Moves(code))
        return false;
    if (control == delayFader_.Window())
    {
        Write(kDelay);
        return true;
    }
    if (control == amplificationFader_.Window())
    {
        Write(kAmplification);
        return true;
    }
    return false;
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
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    uint32_t channels = 0;
    if (device == nullptr ||
        QueryEffectValue(*device, NORVIK_PLUGIN_CHANNEL_COUNT, 0, &channels) != NORVIK_STATUS_SUCCESS)
        return;
    channels = std::min(channels, kMaxEffectChannels);
    // An odd last channel has no partner and is left out.
    for (uint32_t first = 0; first + 1 < channels; first += 2)
    {
        const LRESULT index =
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(EffectPairLabel(first).c_str()));
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
    uint32_t value = 0;
    if (QueryEffectValue(*device, parameter.selector, *channel, &value) != NORVIK_STATUS_SUCCESS)
        return;
    // Beyond the fader's range (and beyond an int) the thumb stands at the top.
    (this->*parameter.fader).SetValue(static_cast<int>(std::min<uint32_t>(value, INT_MAX)));
    const std::wstring text =
        parameter.selector == NORVIK_PLUGIN_DELAY ? EffectDelayText(value) : EffectAmplificationText(value);
    (void)SetDlgItemTextW(Hwnd(), parameter.text, text.c_str());
}

void FormPlugin::Write(const Parameter& parameter)
{
    const std::optional<uint32_t> channel = SelectedChannel();
    NorvikDevice* device = client_.FindDevice(key1_, key2_);
    if (!channel || device == nullptr)
        return;
    const auto value = static_cast<uint32_t>((this->*parameter.fader).Value());
    (void)SetEffectPairValue(*device, parameter.selector, *channel, value);
    // A refused value shows what the unit really has.
    Read(parameter);
}
