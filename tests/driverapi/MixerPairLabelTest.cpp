// Pair labels by kind and side, as the mixer heads its rows and columns.
#include "driverapi/MixerPairLabel.h"

#include <gtest/gtest.h>

TEST(MixerPairLabel, ByKindAndSide)
{
    static const struct
    {
        uint8_t kind;
        uint8_t left;
        uint8_t right;
        const wchar_t* row;
        const wchar_t* column;
    } cases[] = {
        {NORVIK_PIN_ANALOG, 0, 1, L"Analog In 1/2", L"Analog Out 1/2"},
        {NORVIK_PIN_ANALOG, 14, 15, L"Analog In 15/16", L"Analog Out 15/16"},
        {NORVIK_PIN_SPDIF, 0, 1, L"SPDIF In 1/2", L"SPDIF Out 1/2"},
        {NORVIK_PIN_SOFTWARE, 2, 3, L"Out 3/4", L"unknown"},
        {NORVIK_PIN_SOFTWARE_SPDIF, 0, 1, L"SPDIF 1/2", L"unknown"},
        {NORVIK_PIN_VIRTUAL, 6, 7, L"Virtual In 7/8", L"Virtual In 7/8"},
        {4, 0, 1, L"unknown", L"unknown"},
        {200, 0, 1, L"unknown", L"unknown"},
        {NORVIK_PIN_ANALOG, 255, 0, L"Analog In 256/1", L"Analog Out 256/1"}, // numbered as reported
    };
    for (const auto& c : cases)
    {
        const NorvikPin left{c.kind, c.left, {}};
        const NorvikPin right{c.kind, c.right, {}};
        EXPECT_EQ(c.row, MixerPairLabel(MixerSide::Row, left, right)) << int(c.kind);
        EXPECT_EQ(c.column, MixerPairLabel(MixerSide::Column, left, right)) << int(c.kind);
    }
}
