#include "service/NorvikDeviceCtrl.h"

#include <cwchar>

NorvikStatus NorvikDeviceCtrl::OnOpened()
{
    return NORVIK_STATUS_SUCCESS;
}

std::wstring NorvikDeviceCtrl::GetRegistryName() const
{
    const NorvikDeviceRecord& record = Record();
    const std::wstring serial(record.serial, wcsnlen(record.serial, sizeof(record.serial) / sizeof(wchar_t)));
    // A backslash would nest one unit's key inside another's ("ZZ" and "ZZ\x"); it is written as %5C.
    // Serials without one keep their plain names, so keys stored before stay valid.
    std::wstring name;
    for (const wchar_t c : serial)
        if (c == L'\\')
            name += L"%5C";
        else
            name += c;
    return name;
}

NorvikStatus NorvikDeviceCtrl::BeforeStreamingChange(uint32_t, uint32_t, uint32_t)
{
    return NORVIK_STATUS_SUCCESS;
}

void NorvikDeviceCtrl::AfterStreamingChange(uint32_t, uint32_t, uint32_t) {}

void NorvikDeviceCtrl::StreamingChangeFailed(uint32_t, uint32_t, NorvikStatus) {}

void NorvikDeviceCtrl::OnLevelsChanged() {}

void NorvikDeviceCtrl::OnEndpointEvent1(uint32_t) {}

void NorvikDeviceCtrl::OnEndpointEvent2(uint32_t) {}

NorvikStatus NorvikDeviceCtrl::OnDeviceOption(uint8_t)
{
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus NorvikDeviceCtrl::BeforeStreamingUp()
{
    return NORVIK_STATUS_SUCCESS;
}
