// Device-change messages these tests send themselves. The simulators of tests running beside them send their
// arrivals and removals to every window of the session, so a test's recorder keeps interface events of its
// own class only; events without an interface header are kept, they are what the filters under test drop.
#pragma once

#include <windows.h>

#include <dbt.h>

// {6F3C2B1E-5A47-4C8D-9E21-7B0D4A93C515}: no driver announces it.
const GUID kTestInterfaceClass = {
    0x6F3C2B1E, 0x5A47, 0x4C8D, {0x9E, 0x21, 0x7B, 0x0D, 0x4A, 0x93, 0xC5, 0x15}};

inline bool IsForeignInterfaceEvent(const void* data)
{
    const auto* header = static_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return false;
    return !IsEqualGUID(static_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data)->dbcc_classguid,
                        kTestInterfaceClass);
}
