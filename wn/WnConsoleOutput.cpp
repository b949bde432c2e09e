#include "wn/WnConsoleOutput.h"
#include "wn/WnText.h"

#include <windows.h>
#include <strsafe.h>

#include <cstdarg>
#include <cwchar>
#include <string>

namespace
{
constexpr size_t kTextCapacity = 4096;

void WriteText(DWORD stream, const wchar_t* text)
{
    const HANDLE output = GetStdHandle(stream);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return;
    const int length = static_cast<int>(wcslen(text));
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(output, &mode))
    {
        (void)WriteConsoleW(output, text, static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    const std::string utf8 = Utf8(std::wstring_view(text, static_cast<size_t>(length)));
    if (!utf8.empty())
        (void)WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}
} // namespace

void ConsoleWrite(const wchar_t* text)
{
    WriteText(STD_OUTPUT_HANDLE, text);
}

void ConsoleWriteError(const wchar_t* text)
{
    WriteText(STD_ERROR_HANDLE, text);
}

void ConsolePrint(const wchar_t* format, ...)
{
    wchar_t text[kTextCapacity] = {};
    va_list arguments;
    va_start(arguments, format);
    (void)StringCchVPrintfW(text, kTextCapacity, format, arguments);
    va_end(arguments);
    ConsoleWrite(text);
}
