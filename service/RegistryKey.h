#pragma once
#include "wn/WnRegKey.h"

#include <windows.h>

#include <string>

// One open registry key with the few typed operations the service needs.
class RegistryKey
{
  public:
    // Both close a held key first; they return 0 or the registry error.
    [[nodiscard]] DWORD Create(HKEY parent, const wchar_t* subKey, REGSAM access);
    [[nodiscard]] DWORD Open(HKEY parent, const wchar_t* subKey, REGSAM access);
    HKEY Get() const noexcept { return key_.Get(); }

    // Only REG_SZ and REG_EXPAND_SZ are strings; any other type is refused with ERROR_BAD_FORMAT before the
    // registry is touched. The stored size includes the terminating zero.
    [[nodiscard]] DWORD SetString(const wchar_t* name, DWORD type, const wchar_t* value);
    [[nodiscard]] DWORD SetDword(const wchar_t* name, DWORD value);
    // A value of another type or size gives ERROR_BAD_FORMAT and leaves *value alone.
    [[nodiscard]] DWORD QueryDword(const wchar_t* name, DWORD* value) const;
    // A REG_SZ of at most maxChars characters; another type, or a longer or odd-sized value, gives
    // ERROR_BAD_FORMAT and leaves *value alone.
    [[nodiscard]] DWORD QueryString(const wchar_t* name, size_t maxChars, std::wstring* value) const;
    DWORD DeleteValue(const wchar_t* name);
    [[nodiscard]] DWORD DeleteSubKey(const wchar_t* name);

  private:
    WnRegKey key_;
};
