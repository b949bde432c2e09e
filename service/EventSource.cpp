#include "service/EventSource.h"
#include "service/RegistryKey.h"

#include <strsafe.h>

namespace
{
constexpr size_t kKeyPathCapacity = 260;
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
} // namespace

DWORD AddEventSource(const wchar_t* logName, const wchar_t* sourceName, const wchar_t* messageFile)
{
    wchar_t path[kKeyPathCapacity] = {};
    (void)StringCchPrintfW(path, kKeyPathCapacity, L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\%s\\%s",
                           logName, sourceName);
    RegistryKey key;
    DWORD result = key.Create(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WRITE);
    if (result != ERROR_SUCCESS)
        return result;
    result = key.SetString(L"EventMessageFile", REG_EXPAND_SZ, messageFile);
    if (result != ERROR_SUCCESS)
        return result;
    return key.SetDword(L"TypesSupported", kTypesSupported);
}

DWORD RemoveEventSource(const wchar_t* logName, const wchar_t* sourceName)
{
    wchar_t path[kKeyPathCapacity] = {};
    (void)StringCchPrintfW(path, kKeyPathCapacity, L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\%s",
                           logName);
    RegistryKey key;
    const DWORD result = key.Open(HKEY_LOCAL_MACHINE, path, KEY_WRITE);
    if (result != ERROR_SUCCESS)
        return result;
    (void)key.DeleteSubKey(sourceName);
    return ERROR_SUCCESS;
}
