#include "service/NorvikDeviceCtrl.h"

#include <cwchar>

NorvikStatus NorvikDeviceCtrl::OnOpened()
{
    return NORVIK_STATUS_SUCCESS;
}

std::wstring NorvikDeviceCtrl::GetRegistryName() const
{
    const NorvikDeviceRecord& record = Record();
    return std::wstring(record.serial, wcsnlen(record.serial, sizeof(record.serial) / sizeof(wchar_t)));
}

NorvikStatus NorvikDeviceCtrl::BeforeStreamingChange(uint32_t, uint32_t, uint32_t)
{
    return NORVIK_STATUS_SUCCESS;
}

void NorvikDeviceCtrl::AfterStreamingChange(uint32_t, uint32_t, uint32_t)
{
}

void NorvikDeviceCtrl::StreamingChangeFailed(uint32_t, uint32_t, NorvikStatus)
{
}

void NorvikDeviceCtrl::OnLevelsChanged()
{
}

void NorvikDeviceCtrl::OnEndpointEvent1(uint32_t)
{
}

void NorvikDeviceCtrl::OnEndpointEvent2(uint32_t)
{
}

NorvikStatus NorvikDeviceCtrl::OnDeviceOption(uint8_t)
{
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus NorvikDeviceCtrl::BeforeStreamingUp()
{
    return NORVIK_STATUS_SUCCESS;
}
