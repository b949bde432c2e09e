#include "simulator/SimArrivalBroadcast.h"
#include "wn/WnDesktopHandles.h"

#include <windows.h>

#include <dbt.h>
#include <strsafe.h>

#include <cstddef>
#include <string>
#include <vector>

namespace
{
// {53A43FDF-0796-4483-9547-A6B25C1FA343}
const GUID kInterfaceClass = {0x53A43FDF, 0x0796, 0x4483, {0x95, 0x47, 0xA6, 0xB2, 0x5C, 0x1F, 0xA3, 0x43}};
constexpr DWORD kTimeoutMs = 2000;

struct Change
{
    WPARAM event;
    const DEV_BROADCAST_DEVICEINTERFACE_W* header;
};

void Send(HWND window, const Change& change)
{
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutW(window, WM_DEVICECHANGE, change.event, reinterpret_cast<LPARAM>(change.header),
                              SMTO_ABORTIFHUNG, kTimeoutMs, &result);
}

BOOL CALLBACK SendToWindow(HWND window, LPARAM context)
{
    Send(window, *reinterpret_cast<const Change*>(context));
    return TRUE;
}

BOOL CALLBACK CollectName(LPWSTR name, LPARAM context)
{
    reinterpret_cast<std::vector<std::wstring>*>(context)->emplace_back(name);
    return TRUE;
}

std::wstring ObjectName(HANDLE object)
{
    wchar_t name[256] = {};
    DWORD needed = 0;
    return GetUserObjectInformationW(object, UOI_NAME, name, sizeof(name) - sizeof(wchar_t), &needed)
               ? std::wstring(name)
               : std::wstring();
}

// OpenDesktopW looks the name up in the process's window station, so the station is switched for the call.
WnDesktop OpenDesktopIn(HWINSTA station, const std::wstring& name)
{
    const HWINSTA own = GetProcessWindowStation(); // not owned
    if (station != own && !SetProcessWindowStation(station))
        return WnDesktop();
    WnDesktop desktop(OpenDesktopW(name.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
    if (station != own)
        (void)SetProcessWindowStation(own);
    return desktop;
}

// Windows hands an interface arrival to every window registered for it, also to those of services in a
// window station of their own. HWND_BROADCAST reaches only this thread's desktop, so every other desktop of
// every window station is visited window by window.
void SendToOtherDesktops(const Change& change)
{
    const std::wstring ownStation = ObjectName(GetProcessWindowStation());
    const std::wstring ownDesktop = ObjectName(GetThreadDesktop(GetCurrentThreadId()));
    std::vector<std::wstring> stations;
    (void)EnumWindowStationsW(CollectName, reinterpret_cast<LPARAM>(&stations));
    for (const std::wstring& stationName : stations)
    {
        const WnWindowStation station(OpenWindowStationW(stationName.c_str(), FALSE, WINSTA_ENUMDESKTOPS));
        if (!station)
            continue;
        std::vector<std::wstring> desktops;
        (void)EnumDesktopsW(station.Get(), CollectName, reinterpret_cast<LPARAM>(&desktops));
        for (const std::wstring& desktopName : desktops)
        {
            if (_wcsicmp(stationName.c_str(), ownStation.c_str()) == 0 &&
                _wcsicmp(desktopName.c_str(), ownDesktop.c_str()) == 0)
                continue;
            const WnDesktop desktop = OpenDesktopIn(station.Get(), desktopName);
            if (desktop)
                (void)EnumDesktopWindows(desktop.Get(), SendToWindow, reinterpret_cast<LPARAM>(&change));
        }
    }
}
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
    const Change change{arrived ? static_cast<WPARAM>(DBT_DEVICEARRIVAL) : DBT_DEVICEREMOVECOMPLETE, header};
    Send(HWND_BROADCAST, change);
    SendToOtherDesktops(change);
}
