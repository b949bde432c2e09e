// Checks the formatting rules that the whole code base relies on under this toolchain.
#include <gtest/gtest.h>
#include <windows.h>
#include <strsafe.h>

TEST(Platform, WideFormattingFollowsTheWindowsRule)
{
    wchar_t text[64];
    ASSERT_EQ(S_OK, StringCchPrintfW(text, 64, L"%s (Status=%hs).", L"Failed", "NAME"));
    EXPECT_STREQ(L"Failed (Status=NAME).", text);
}

TEST(Platform, RunsWithADisplay)
{
    EXPECT_NE(nullptr, GetDesktopWindow());
}
