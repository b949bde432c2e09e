#include "cpl/FormSampleRate.h"

#include "cpl/CplMessageBox.h"

#include "driverapi/NorvikValueTexts.h"

LRESULT FormSampleRate::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    rateList_ = Item(IDC_RATE_LIST);
    applyButton_ = Item(IDC_RATE_APPLY);
    dsdText_ = Item(IDC_DSD_TEXT);
    return TRUE;
}

void FormSampleRate::Disable()
{
    (void)SendMessageW(rateList_, CB_RESETCONTENT, 0, 0);
    (void)EnableWindow(rateList_, FALSE);
    (void)EnableWindow(applyButton_, FALSE);
}

void FormSampleRate::Refresh()
{
    NorvikSampleRates rates{};
    if (!client_.IsOpen() || client_.GetSampleRates(&rates) != NORVIK_STATUS_SUCCESS)
    {
        // The DSD text keeps what it showed: nothing new is known about the mode.
        Disable();
        return;
    }
    (void)SendMessageW(rateList_, CB_RESETCONTENT, 0, 0);
    // The library has already bounded the count by the 12 rates the record holds.
    for (uint32_t i = 0; i < rates.count && i < NORVIK_MAX_SAMPLE_RATES; ++i)
    {
        const LRESULT index = SendMessageW(rateList_, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(SampleRateText(rates.rates[i]).c_str()));
        if (index >= 0)
            (void)SendMessageW(rateList_, CB_SETITEMDATA, static_cast<WPARAM>(index), rates.rates[i]);
    }
    (void)EnableWindow(rateList_, TRUE);
    (void)EnableWindow(applyButton_, TRUE);
    (void)SendMessageW(rateList_, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(SampleRateText(rates.current).c_str()));
    (void)ShowWindow(dsdText_, IsDsdRate(rates.current) ? SW_SHOW : SW_HIDE);
}

void FormSampleRate::Apply()
{
    if (!client_.IsOpen())
        return;
    const LRESULT selected = SendMessageW(rateList_, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return;
    const auto rate =
        static_cast<uint32_t>(SendMessageW(rateList_, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    if (IsDsdRate(rate))
    {
        // DSD rates belong to the ASIO host that streams DSD; the panel never requests them.
        ShowWarning(Hwnd(), kDsdRateRefusal);
    }
    else
    {
        const NorvikStatus status = client_.SetSampleRate(rate, NORVIK_CLIENT_TIMEOUT_MS);
        if (status != NORVIK_STATUS_SUCCESS)
            ReportFailure(Hwnd(), kChangeSampleRate.failed, status);
    }
    Refresh();
}

bool FormSampleRate::OnCommand(UINT id, UINT code, HWND)
{
    if (id == IDC_RATE_APPLY && code == BN_CLICKED)
    {
        Apply();
        return true;
    }
    return false;
}
