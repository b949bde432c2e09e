#include "cpl/FormBufferSettings.h"

#include "cpl/CplMessageBox.h"

#include "wn/WnText.h"

#include <windows.h>

namespace buffer_settings
{
std::wstring StreamingLatencyText(uint32_t microseconds)
{
    return LatencyText(microseconds) + L"\n";
}

std::wstring AsioLatencyText(uint32_t microseconds, uint32_t samples)
{
    return LatencyText(microseconds) + FormatText(L"\n%u samples", samples);
}

NorvikSetBufferSizes BuildChangeRequest(const NorvikBufferSizes& record,
                                        std::optional<uint32_t> streamingSelection,
                                        std::optional<uint32_t> asioSelection)
{
    NorvikSetBufferSizes request{};
    request.streamingClass = streamingSelection.value_or(record.streamingClass);
    request.asioClass = asioSelection.value_or(record.asioClass);
    request.thirdValue = record.thirdValue;
    return request;
}
} // namespace buffer_settings

namespace
{
template <size_t N> void FillClassList(HWND list, const NorvikBufferClass (&entries)[N])
{
    (void)SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const NorvikBufferClass& entry : entries)
    {
        const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text));
        if (index >= 0)
            (void)SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.value);
    }
}

std::optional<uint32_t> SelectedClass(HWND list)
{
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return std::nullopt;
    return static_cast<uint32_t>(SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

// The list's own prefix search; a text that matches no entry leaves the selection as it was.
void SelectByText(HWND list, const wchar_t* text)
{
    (void)SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}
} // namespace

LRESULT FormBufferSettings::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    FillClassList(Item(IDC_STREAMING_BUFFER_LIST), kStreamingBufferClasses);
    FillClassList(Item(IDC_ASIO_BUFFER_LIST), kAsioBufferClasses);
    return TRUE;
}

void FormBufferSettings::Refresh()
{
    NorvikBufferSizes record{};
    if (!client_.IsOpen() || client_.GetBufferSizes(&record) != NORVIK_STATUS_SUCCESS)
    {
        EnableControls(false);
        return;
    }
    SelectByText(Item(IDC_STREAMING_BUFFER_LIST), StreamingClassText(record.streamingClass));
    SelectByText(Item(IDC_ASIO_BUFFER_LIST), AsioClassText(record.asioClass));
    EnableControls(true);
    (void)SetDlgItemTextW(Hwnd(), IDC_STREAMING_LATENCY,
                          buffer_settings::StreamingLatencyText(record.streamingLatencyUs).c_str());
    (void)SetDlgItemTextW(
        Hwnd(), IDC_ASIO_LATENCY,
        buffer_settings::AsioLatencyText(record.asioLatencyUs, record.asioLatencySamples).c_str());
}

bool FormBufferSettings::OnCommand(UINT id, UINT code, HWND)
{
    if (id == IDC_BUFFER_APPLY && code == BN_CLICKED)
    {
        Apply();
        return true;
    }
    return false;
}

void FormBufferSettings::Apply()
{
    if (!client_.IsOpen())
        return;
    NorvikBufferSizes record{};
    NorvikStatus status = client_.GetBufferSizes(&record);
    if (status != NORVIK_STATUS_SUCCESS)
    {
        ReportFailure(Hwnd(), kReadBufferSizes.failed, status);
    }
    else
    {
        const NorvikSetBufferSizes request =
            buffer_settings::BuildChangeRequest(record, SelectedClass(Item(IDC_STREAMING_BUFFER_LIST)),
                                                SelectedClass(Item(IDC_ASIO_BUFFER_LIST)));
        status = client_.SetBufferSizes(request.streamingClass, request.asioClass, request.thirdValue);
        if (status != NORVIK_STATUS_SUCCESS)
            ReportFailure(Hwnd(), kChangeBufferSizes.failed, status);
    }
    Refresh();
}

void FormBufferSettings::EnableControls(bool enable)
{
    for (int id : {IDC_STREAMING_BUFFER_LIST, IDC_ASIO_BUFFER_LIST, IDC_STREAMING_LATENCY, IDC_ASIO_LATENCY,
                   IDC_BUFFER_APPLY})
        (void)EnableWindow(Item(id), enable);
}
