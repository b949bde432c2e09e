#include "cpl/CplCommandLine.h"

#include <windows.h>
#include <cwctype>

namespace
{
std::wstring& StoredCommandLine()
{
    static std::wstring commandLine;
    return commandLine;
}
} // namespace

void CplCommandLine::Store(const wchar_t* commandLine)
{
    StoredCommandLine() = commandLine != nullptr ? commandLine : L"";
}

const std::wstring& CplCommandLine::Get()
{
    return StoredCommandLine();
}

bool CplCommandLine::HasSwitch(const wchar_t* name)
{
    return HasSwitch(StoredCommandLine(), name);
}

bool CplCommandLine::HasSwitch(const std::wstring& commandLine, const wchar_t* name)
{
    size_t position = 0;
    while (position < commandLine.size())
    {
        while (position < commandLine.size() && std::iswspace(commandLine[position]))
            ++position;
        size_t end = position;
        while (end < commandLine.size() && !std::iswspace(commandLine[end]))
            ++end;
        if (end > position &&
            CompareStringOrdinal(commandLine.c_str() + position, static_cast<int>(end - position), name, -1,
                                 TRUE) == CSTR_EQUAL)
            return true;
        position = end;
    }
    return false;
}
