#pragma once
#include <cstdint>

// Windows endpoint levels are 16.16 fixed-point dB; the unit's volumes are hundredths of a dB.
constexpr int16_t kMinHardwareVolume = -9000;
constexpr int16_t kMaxHardwareVolume = 9000;

// Clamped to -90.00 .. +90.00 dB before narrowing, so a very loud level can not wrap to a quiet one.
constexpr int16_t WindowsLevelToHardwareVolume(int32_t level)
{
    if (level == INT32_MIN)
        return kMinHardwareVolume;
    int64_t hundredths = static_cast<int64_t>(level) * 100 / 65536;
    if (hundredths < kMinHardwareVolume)
        hundredths = kMinHardwareVolume;
    if (hundredths > kMaxHardwareVolume)
        hundredths = kMaxHardwareVolume;
    return static_cast<int16_t>(hundredths);
}

constexpr int32_t HardwareVolumeToWindowsLevel(int16_t volume)
{
    return static_cast<int32_t>(static_cast<int64_t>(volume) * 65536 / 100);
}
