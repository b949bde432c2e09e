#include "service/RegistryKey.h"

#include <cwchar>
#include <utility>

DWORD RegistryKey::Create(HKEY parent, const wchar_t* subKey, REGSAM access)
{
    return static_cast<DWORD>(RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                              nullptr, key_.Put(), nullptr));
}

DWORD RegistryKey::Open(HKEY parent, const wchar_t* subKey, REGSAM access)
{
    return static_cast<DWORD>(RegOpenKeyExW(parent, subKey, 0, access, key_.Put()));
}

DWORD RegistryKey::SetString(const wchar_t* name, DWORD type, const wchar_t* value)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_BAD_FORMAT;
    const DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    return static_cast<DWORD>(
        RegSetValueExW(key_.Get(), name, 0, type, reinterpret_cast<const BYTE*>(value), bytes));
}

DWORD RegistryKey::SetDword(const wchar_t* name, DWORD value)
{
    return static_cast<DWORD>(
        RegSetValueExW(key_.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

DWORD RegistryKey::QueryDword(const wchar_t* name, DWORD* value) const
{
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LONG result =
        RegQueryValueExW(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (result == ERROR_MORE_DATA)
        return ERROR_BAD_FORMAT;
    if (result != ERROR_SUCCESS)
        return static_cast<DWORD>(result);
    if (type != REG_DWORD || size != sizeof(data))
        return ERROR_BAD_FORMAT;
    *value = data;
    return ERROR_SUCCESS;
}

DWORD RegistryKey::QueryString(const wchar_t* name, size_t maxChars, std::wstring* value) const
{
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key_.Get(), name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return static_cast<DWORD>(result);
    if (type != REG_SZ || size % sizeof(wchar_t) != 0 || size > (maxChars + 1) * sizeof(wchar_t))
        return ERROR_BAD_FORMAT;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    result = RegQueryValueExW(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    if (result == ERROR_MORE_DATA)
        return ERROR_BAD_FORMAT; // grew between the two reads
    if (result != ERROR_SUCCESS)
        return static_cast<DWORD>(result);
    text.resize(wcsnlen(text.c_str(), size / sizeof(wchar_t)));
    *value = std::move(text);
    return ERROR_SUCCESS;
}

DWORD RegistryKey::DeleteValue(const wchar_t* name)
{
    return static_cast<DWORD>(RegDeleteValueW(key_.Get(), name));
}

DWORD RegistryKey::DeleteSubKey(const wchar_t* name)
{
    return static_cast<DWORD>(RegDeleteKeyW(key_.Get(), name));
}
