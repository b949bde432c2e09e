#include "ctl/CtlOutput.h"

#include "driverapi/StatusReport.h"

#include <windows.h>
#include <strsafe.h>

#include <cstdarg>
#include <vector>

void CtlOutput::Line(const std::wstring& text)
{
    if (!json_)
        console_.Out(text + L"\n");
}

void CtlOutput::Emit(const nlohmann::json& value)
{
    if (json_)
    {
        // Replacing, not throwing, keeps a stray byte from the driver from ending the program.
        console_.Out(FromUtf8(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)) + L"\n");
    }
}

void CtlOutput::Error(const std::wstring& text)
{
    console_.Err(text + L"\n");
}

int CtlOutput::Refused(const std::wstring& what, NorvikStatus status)
{
    Error(StatusReport((what + L" failed").c_str(), status));
    if (status == NORVIK_STATUS_NO_SERVER)
    {
        Error(L"The Corvex control service (corvexsvc) is not running.");
        return kExitUnavailable;
    }
    const wchar_t* lost = lostConnection_ ? lostConnection_() : nullptr;
    if (lost != nullptr)
    {
        Error(lost);
        return kExitUnavailable;
    }
    return kExitRefused;
}

int CtlOutput::Usage(const std::wstring& problem, const std::wstring& usage)
{
    Error(problem);
    Error(usage);
    return kExitUsage;
}

int CtlOutput::Unavailable(const std::wstring& text)
{
    Error(text);
    return kExitUnavailable;
}

std::wstring FormatText(const wchar_t* format, ...)
{
    wchar_t text[1024] = L"";
    va_list arguments;
    va_start(arguments, format);
    (void)StringCchVPrintfW(text, ARRAYSIZE(text), format, arguments);
    va_end(arguments);
    return text;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(bytes > 0 ? static_cast<size_t>(bytes) : 0, '\0');
    if (bytes > 0)
        (void)WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring result(chars > 0 ? static_cast<size_t>(chars) : 0, L'\0');
    if (chars > 0)
        (void)MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), chars);
    return result;
}
