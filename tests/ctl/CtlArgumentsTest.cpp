// The argument forms: whole words only, ranges enforced, and the dB text the mixer prints.
#include "ctl/CtlArguments.h"
#include "driverapi/NorvikValueTexts.h"

#include <gtest/gtest.h>

using namespace ctl_arguments;

TEST(CtlArguments, DecibelsWithinTheFaders)
{
    static const struct
    {
        const wchar_t* text;
        bool valid;
        int16_t hundredths;
    } cases[] = {
        {L"0", true, 0},
        {L"-6.5", true, -650},
        {L"-6.50dB", true, -650},
        {L"+6", true, 600},
        {L"-60", true, -6000},
        {L"-0.05", true, -5},
        {L"6 dB", false, 0},
        {L"6.01", false, 0},
        {L"-60.01", false, 0},
        {L"-6.505", false, 0},
        {L"--6", false, 0},
        {L"6.", true, 600},
        {L".5", true, 50},
        {L"", false, 0},
        {L"dB", false, 0},
        {L"1e1", false, 0},
        {L"99999999999", false, 0},
        {L"\x0661", false, 0}, // an Arabic-Indic digit is no digit here
    };
    for (const auto& c : cases)
    {
        int16_t value = 12345;
        EXPECT_EQ(c.valid, ParseDecibels(c.text, &value)) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(c.valid ? c.hundredths : 12345, value) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(CtlArguments, CountsFractionsAndSerials)
{
    uint32_t value = 0;
    EXPECT_TRUE(ParseCount(L"48000", UINT32_MAX, &value));
    EXPECT_EQ(48000u, value);
    EXPECT_FALSE(ParseCount(L"4294967296", UINT32_MAX, &value));
    EXPECT_FALSE(ParseCount(L"-1", UINT32_MAX, &value));
    EXPECT_FALSE(ParseCount(L"48000.0", UINT32_MAX, &value));
    EXPECT_FALSE(ParseCount(L"6", 5, &value));
    EXPECT_TRUE(ParseFraction(L"0.125", &value));
    EXPECT_EQ(125u, value);
    EXPECT_TRUE(ParseFraction(L"1", &value));
    EXPECT_EQ(1000u, value);
    EXPECT_FALSE(ParseFraction(L"1.001", &value));
    EXPECT_FALSE(ParseFraction(L"0.0001", &value));
    EXPECT_TRUE(IsSerial(L"CVX10001"));
    EXPECT_TRUE(IsSerial(std::wstring(19, L'9')));
    EXPECT_FALSE(IsSerial(std::wstring(20, L'9')));
    EXPECT_FALSE(IsSerial(L""));
    EXPECT_FALSE(IsSerial(L"CVX\n1"));
}

TEST(CtlArguments, DecibelText)
{
    EXPECT_EQ(L"-6.50", DecibelText(-650));
    EXPECT_EQ(L"-0.05", DecibelText(-5));
    EXPECT_EQ(L"6.00", DecibelText(600));
    EXPECT_EQ(L"0.00", DecibelText(0));
    EXPECT_EQ(L"-327.68", DecibelText(INT16_MIN));
}
