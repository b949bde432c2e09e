#include "service/WnEventLogWriter.h"
#include "wn/WnLastError.h"

#include <strsafe.h>

#include <cstdarg>

WnEventLogWriter::~WnEventLogWriter()
{
    (void)Close();
}

DWORD WnEventLogWriter::Open(const wchar_t* sourceName)
{
    (void)Close();
    handle_.Attach(RegisterEventSourceW(nullptr, sourceName));
    return handle_ ? ERROR_SUCCESS : WnLastError();
}

DWORD WnEventLogWriter::Close()
{
    const HANDLE source = handle_.Detach();
    if (source == nullptr)
        return ERROR_SUCCESS;
    return DeregisterEventSource(source) ? ERROR_SUCCESS : WnLastError();
}

DWORD WnEventLogWriter::ReportInfo(const wchar_t* format, ...)
{
    wchar_t text[kTextCapacity] = {};
    va_list arguments;
    va_start(arguments, format);
    // A cut or failed format still reports what was formatted; StringCchVPrintfW always terminates.
    (void)StringCchVPrintfW(text, kTextCapacity, format, arguments);
    va_end(arguments);
    return Report(EVENTLOG_INFORMATION_TYPE, kInformationEventId, text);
}

DWORD WnEventLogWriter::ReportWarning(const wchar_t* text)
{
    return Report(EVENTLOG_WARNING_TYPE, kWarningEventId, text);
}

DWORD WnEventLogWriter::ReportError(const wchar_t* text)
{
    return Report(EVENTLOG_ERROR_TYPE, kErrorEventId, text);
}

DWORD WnEventLogWriter::Report(WORD type, DWORD eventId, const wchar_t* text)
{
    if (mirror_ != nullptr)
        mirror_->OnReport(type, eventId, text);
    if (!handle_)
        return ERROR_INVALID_HANDLE;
    const wchar_t* strings[] = {text};
    if (!ReportEventW(handle_.Get(), type, 0, eventId, nullptr, 1, 0, strings, nullptr))
        return WnLastError();
    return ERROR_SUCCESS;
}
