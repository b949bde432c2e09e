// Records the mixer window exchanges with the unit, in a fixed array that is never reallocated: the strips
// and connection blocks keep pointers to single records, and the unit reads and writes the array in place.
#pragma once

#include <algorithm>
#include <cstdint>

template <typename T, uint32_t N> struct FixedRecords
{
    T items[N] = {};
    uint32_t count = 0; // the records in use, from the start; never above N

    // Appends `item` and returns where it lies; null when the array is full.
    T* Add(const T& item)
    {
        if (count >= N)
            return nullptr;
        items[count] = item;
        return &items[count++];
    }
    bool IsEmpty() const { return count == 0; }
    void Clear()
    {
        std::fill(items, items + N, T{});
        count = 0;
    }
};
