// The Sample Rate page against the simulator model and, for Apply, the service's server on its own thread.
#include "tests/cpl/CplFrameFixture.h"

#include "resources/corvexcpl.h"

namespace
{
class SampleRatePageTest : public CplFrameFixture
{
  protected:
    HWND RateList() { return frame_->SampleRatePage().Item(IDC_RATE_LIST); }
    std::vector<std::wstring> Items()
    {
        std::vector<std::wstring> items;
        const LRESULT count = SendMessageW(RateList(), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
        {
            wchar_t text[64] = L"";
            SendMessageW(RateList(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    std::wstring Selected()
    {
        const LRESULT index = SendMessageW(RateList(), CB_GETCURSEL, 0, 0);
        return index == CB_ERR ? L"(none)" : Items()[index];
    }
    void Select(const wchar_t* text)
    {
        SendMessageW(RateList(), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    }
    bool DsdTextShown() { return IsWindowVisible(frame_->SampleRatePage().Item(IDC_DSD_TEXT)); }
    size_t RateRequestsSent()
    {
        return CountRequests(model_.RequestLog(), NORVIK_IOCTL_SEND_MESSAGE, NORVIK_REQ_SET_SAMPLE_RATE);
    }
    void Apply()
    {
        SendMessageW(frame_->SampleRatePage().Window(), WM_COMMAND, MAKEWPARAM(IDC_RATE_APPLY, BN_CLICKED),
                     reinterpret_cast<LPARAM>(frame_->SampleRatePage().Item(IDC_RATE_APPLY)));
    }
};
} // namespace

TEST_F(SampleRatePageTest, ListsTheOfferedRatesInTheDriversOrderAndSelectsTheCurrentOne)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({48000, 44100, 96000, 88200, 192000, 176400}));
    model_.SetCurrentRate(96000);
    CreateFrame();
    EXPECT_EQ((std::vector<std::wstring>{L"48.000 kHz", L"44.100 kHz", L"96.000 kHz", L"88.200 kHz",
                                         L"192.000 kHz", L"176.400 kHz"}),
              Items());
    EXPECT_EQ(88200, SendMessageW(RateList(), CB_GETITEMDATA, 3, 0));
    EXPECT_EQ(L"96.000 kHz", Selected());
    EXPECT_TRUE(IsWindowEnabled(RateList()));
    EXPECT_TRUE(IsWindowEnabled(frame_->SampleRatePage().Item(IDC_RATE_APPLY)));
    EXPECT_FALSE(DsdTextShown());
    SaveScreenshot(frame_->Hwnd(), L"page-sample-rate");

    model_.SetCurrentRate(32000); // not offered: nothing is selected
    frame_->SampleRatePage().Refresh();
    EXPECT_EQ(L"(none)", Selected());
}

TEST_F(SampleRatePageTest, AtMostTwelveRatesAreListedWhateverCountTheDriverReports)
{
    CreateFrame();
    NorvikSampleRates record{};
    record.current = 8000;
    record.count = 20;
    for (uint32_t i = 0; i < NORVIK_MAX_SAMPLE_RATES; ++i)
    {
        record.rates[i] = 8000 * (i + 1);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    model_.InjectFault(NORVIK_IOCTL_GET_SAMPLE_RATES, 0, 1,
                       std::vector<uint8_t>(bytes, bytes + sizeof(record)));
    frame_->SampleRatePage().Refresh();
    ASSERT_EQ(12u, Items().size());
    EXPECT_EQ(L"96.000 kHz", Items()[11]);
    EXPECT_EQ(L"8.000 kHz", Selected());
}

TEST_F(SampleRatePageTest, DsdModeShowsItsTextAndApplyOnlyWarns)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({44100, 48000, 2822400, 5644800}));
    model_.SetCurrentRate(2822400);
    CreateFrame();
    EXPECT_EQ(L"2822.400 kHz", Selected());
    EXPECT_TRUE(DsdTextShown());
    SaveScreenshot(frame_->Hwnd(), L"page-sample-rate-dsd");

    model_.ClearRequestLog();
    {
        DialogCloser closer;
        Apply();
        ASSERT_EQ(1u, closer.Seen().size());
        const SeenMessageBox box = closer.Seen()[0];
        EXPECT_EQ(L"Corvex Control Panel", box.caption);
        EXPECT_EQ(L"Changing to this the sample rate prohibited.\n"
                  L"It sample rate can be installed only from ASIO host for DSD mode.",
                  box.text);
        EXPECT_TRUE(box.warningIcon);
    }
    EXPECT_EQ(0u, RateRequestsSent());

    // A failed read empties and disables the list; what the DSD text showed stays.
    model_.InjectFault(NORVIK_IOCTL_GET_SAMPLE_RATES, NORVIK_STATUS_FAILED);
    frame_->SampleRatePage().Refresh();
    EXPECT_TRUE(Items().empty());
    EXPECT_FALSE(IsWindowEnabled(RateList()));
    EXPECT_FALSE(IsWindowEnabled(frame_->SampleRatePage().Item(IDC_RATE_APPLY)));
    EXPECT_TRUE(DsdTextShown());

    model_.SetCurrentRate(48000);
    frame_->SampleRatePage().Refresh();
    EXPECT_FALSE(DsdTextShown());
}

TEST_F(SampleRatePageTest, ApplyChangesTheRateThroughTheService)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({44100, 48000, 96000}));
    CreateFrame();
    StartService();
    Select(L"96.000 kHz");
    {
        DialogCloser closer;
        Apply();
        EXPECT_TRUE(closer.Seen().empty());
    }
    EXPECT_EQ(96000u, model_.Settings().currentRate);
    EXPECT_TRUE(PumpUntil([this] { return StatusText(2) == L"Current sampling rate: 96.000 kHz"; }));
    EXPECT_EQ(L"96.000 kHz", Selected());

    // The current rate is sent all the same.
    const size_t before = RateRequestsSent();
    Apply();
    EXPECT_EQ(before + 1, RateRequestsSent());
}

TEST_F(SampleRatePageTest, ARefusedChangeShowsTheErrorAndThenTheDriversRate)
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.SetSampleRates({44100, 48000, 96000}));
    CreateFrame();
    StartService();
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StartClient(4)); // a program streams: the service refuses
    PumpMessages();
    Select(L"96.000 kHz");
    DialogCloser closer;
    Apply();
    ASSERT_EQ(1u, closer.Seen().size());
    EXPECT_EQ(L"Changing the sample rate failed. (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).",
              closer.Seen()[0].text);
    EXPECT_EQ(L"Corvex Control Panel", closer.Seen()[0].caption);
    EXPECT_TRUE(closer.Seen()[0].errorIcon);
    EXPECT_EQ(L"48.000 kHz", Selected());
}

TEST_F(SampleRatePageTest, AFailureWithAKnownCauseAddsTheCauseLine)
{
    CreateFrame();
    model_.InjectFault(NORVIK_IOCTL_SEND_MESSAGE, NORVIK_STATUS_NO_STREAMING_DEVICE);
    DialogCloser closer;
    Apply();
    ASSERT_EQ(1u, closer.Seen().size());
    EXPECT_EQ(L"Changing the sample rate failed. (Status=NORVIK_STATUS_NO_STREAMING_DEVICE).\n"
              L"There is no device selected for streaming.",
              closer.Seen()[0].text);
}
