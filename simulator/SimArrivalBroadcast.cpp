#include "simulator/SimArrivalBroadcast.h"

#include <windows.h>

#include <dbt.h>
#include <strsafe.h>

#include <cstddef>
#include <vector>

namespace
{
// {53A43FDF-0796-4483-9547-A6B25C1FA343}
const GUID kInterfaceClass = {0x53A43FDF, 0x0796, 0x4483, {0x95, 0x47, 0xA6, 0xB2, 0x5C, 0x1F, 0xA3, 0x43}};
constexpr DWORD kTimeoutMs = 2000;
} // namespace

void BroadcastDeviceInterfaceChange(bool arrived, const NorvikDeviceRecord& record)
{
    wchar_t name[200];
    if (FAILED(StringCchPrintfW(name, ARRAYSIZE(name), L"\\\\?\\USB#VID_%04X&PID_%04X#%s#%s",
                                record.identity1, record.identity2, record.serial, NORVIK_DRIVER_NAME)))
        return;
    size_t length = wcslen(name);
    // The structure ends in a one-character name array; the whole path follows in place.
    std::vector<uint8_t> buffer(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                (length + 1) * sizeof(wchar_t));
    auto* header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
    header->dbcc_size = static_cast<DWORD>(buffer.size());
    header->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header->dbcc_classguid = kInterfaceClass;
    memcpy(header->dbcc_name, name, (length + 1) * sizeof(wchar_t));
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE,
                              arrived ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                              reinterpret_cast<LPARAM>(header), SMTO_ABORTIFHUNG, kTimeoutMs, &result);
}
