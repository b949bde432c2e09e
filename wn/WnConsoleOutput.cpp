#include "wn/WnConsoleOutput.h"

#include <windows.h>
#include <strsafe.h>

#include <cstdarg>
#include <cwchar>
#include <vector>

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
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::vector<char> utf8(static_cast<size_t>(bytes));
    (void)WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    (void)WriteFile(output, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr);
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
