#include "wn/WnText.h"

#include <windows.h>
#include <strsafe.h>

#include <climits>
#include <cstdarg>

std::wstring FormatText(const wchar_t* format, ...)
{
    wchar_t text[1024] = L"";
    va_list arguments;
    va_start(arguments, format);
    (void)StringCchVPrintfW(text, ARRAYSIZE(text), format, arguments);
    va_end(arguments);
    return text;
}

std::string Utf8(std::wstring_view text)
{
    if (text.empty() || text.size() > INT_MAX / 4)
        return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(bytes > 0 ? static_cast<size_t>(bytes) : 0, '\0');
    if (bytes > 0)
        (void)WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring FromUtf8(std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX)
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring result(chars > 0 ? static_cast<size_t>(chars) : 0, L'\0');
    if (chars > 0)
        (void)MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), chars);
    return result;
}
