#include "tests/cpl/mixer/MixerTest.h"

#include "cpl/NorvikCplClient.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace
{
bool SameRect(const RECT& rect, int left, int top, int width, int height)
{
    return rect.left == left && rect.top == top && rect.right - rect.left == width &&
           rect.bottom - rect.top == height;
}

std::string Describe(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}
} // namespace

#define EXPECT_RECT(rect, left, top, width, height)                                                          \
    EXPECT_TRUE(SameRect(rect, left, top, width, height))                                                    \
        << #rect << ": " << Describe(rect) << ", expected " << (left) << "," << (top) << " " << (width)      \
        << "x" << (height)

// The full matrix of a default unit, 13 output pairs by 9 input pairs, laid out from the sizes the strips and
// blocks measure.
TEST_F(MixerTest, DefaultUnitIsLaidOutToThePixel)
{
    auto mixer = CreateMixer(true);
    const auto start = std::chrono::steady_clock::now();
    mixer->ShowMixer();
    const auto built = std::chrono::steady_clock::now();
    PumpMessages();
    const auto painted = std::chrono::steady_clock::now();
    std::printf(
        "[ figures  ] mixer built in %lld ms, shown and painted in %lld ms\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(built - start).count()),
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(painted - start).count()));

    HWND window = mixer->Hwnd();
    ASSERT_EQ(13u, mixer->OutputStripCount());
    ASSERT_EQ(9u, mixer->InputStripCount());
    ASSERT_EQ(117u, mixer->ConnectionCount());
    EXPECT_EQ(L"Hardware Inputs Mixer", Text(window));

    const SIZE in = WindowSize(mixer->InputStrip(0).Window());
    const SIZE out = WindowSize(mixer->OutputStrip(0).Window());
    const SIZE block = WindowSize(mixer->Connection(0, 0).Window());
    EXPECT_EQ(block.cy, in.cy) << "blocks line up with the rows";
    EXPECT_EQ(block.cx, out.cx) << "blocks line up with the columns";
    const int yo = 20 + 9 * in.cy;
    for (int r : {0, 8})
    {
        EXPECT_RECT(ClientRect(window, mixer->InputStrip(r).Window()), 4, 24 + r * in.cy, in.cx, in.cy);
    }
    for (int k : {0, 12})
    {
        EXPECT_RECT(ClientRect(window, mixer->OutputStrip(k).Window()), in.cx + 4 + k * (out.cx + 4), yo,
                    out.cx, out.cy);
        for (int r : {0, 8})
        {
            EXPECT_RECT(ClientRect(window, mixer->Connection(k, r).Window()), in.cx + 4 + k * (block.cx + 4),
                        20 + r * block.cy, block.cx, block.cy);
        }
    }
    const int q = 13 * (out.cx + 4) / 8;
    ASSERT_EQ(3u, mixer->Headings().size());
    EXPECT_RECT(ClientRect(window, mixer->Headings()[0].Get()), 0, 0, in.cx, 20);
    EXPECT_RECT(ClientRect(window, mixer->Headings()[1].Get()), in.cx + 2, yo + out.cy, 4 * q - 2, 20);
    EXPECT_RECT(ClientRect(window, mixer->Headings()[2].Get()), in.cx + 4 * q + 2, yo + out.cy, 4 * q - 2,
                20);
    EXPECT_EQ(L"Hardware Inputs", Text(mixer->Headings()[0].Get()));
    EXPECT_EQ(L"Hardware Outputs", Text(mixer->Headings()[1].Get()));
    EXPECT_EQ(L"Virtual Inputs", Text(mixer->Headings()[2].Get()));
    const SIZE client = ClientSize(window);
    EXPECT_EQ(in.cx + 13 * (out.cx + 4), client.cx);
    EXPECT_EQ(yo + out.cy + 20, client.cy);
    EXPECT_TRUE(mixer->IsPolling());
    EXPECT_TRUE(mixer->HoldsAuxiliaryHandles());
    EXPECT_FALSE(SaveScreenshot(window, L"mixer_hardware_inputs").empty());
}
