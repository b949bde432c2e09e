// The Buffer Settings page against the in-process driver: the classes it selects, the latency texts, the
// disabled state, and Apply through the service with its two failure boxes.
#include "cpl/FormBufferSettings.h"
#include "tests/cpl/PageTest.h"

namespace
{

class BufferSettingsPage : public PageTest
{
  protected:
    void SetUp() override
    {
        PageTest::SetUp();
        Open(page_, 300, 200);
    }

    HWND Item(int id) const { return GetDlgItem(page_.Window(), id); }
    std::wstring Streaming() const { return ComboSelectionText(Item(IDC_STREAMING_BUFFER_LIST)); }
    std::wstring Asio() const { return ComboSelectionText(Item(IDC_ASIO_BUFFER_LIST)); }
    void Choose(int listId, int index)
    {
        (void)SendMessageW(Item(listId), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    void ClickApply()
    {
        (void)SendMessageW(page_.Window(), WM_COMMAND, MAKEWPARAM(IDC_BUFFER_APPLY, BN_CLICKED),
                           reinterpret_cast<LPARAM>(Item(IDC_BUFFER_APPLY)));
    }
    bool AllEnabled(bool enabled) const
    {
        for (int id : {IDC_STREAMING_BUFFER_LIST, IDC_ASIO_BUFFER_LIST, IDC_STREAMING_LATENCY,
                       IDC_ASIO_LATENCY, IDC_BUFFER_APPLY})
        {
            if ((IsWindowEnabled(Item(id)) != FALSE) != enabled)
            {
                return false;
            }
        }
        return true;
    }

    FormBufferSettings page_{client_};
};
} // namespace

TEST_F(BufferSettingsPage, SelectsTheDriversClasses)
{
    struct Case
    {
        uint32_t streamingClass;
        uint32_t asioClass;
        const wchar_t* streaming;
        const wchar_t* asio;
    };
    // Each row starts from the previous one's selection: a class outside a list keeps it.
    const Case cases[] = {
        {2, 1, L"Small", L"Small"},     {4, 3, L"ExtraLarge", L"Maximum"}, {1, 0, L"ExtraSmall", L"Minimum"},
        {3, 2, L"Large", L"Large"},     {5, 0, L"Safe", L"Minimum"},       {0, 3, L"Minimum", L"Maximum"},
        {6, 9, L"Minimum", L"Maximum"},
    };
    for (const Case& c : cases)
    {
        model_.SetBufferClasses(c.streamingClass, c.asioClass, 0);
        page_.Refresh();
        EXPECT_EQ(c.streaming, Streaming()) << "streaming class " << c.streamingClass;
        EXPECT_EQ(c.asio, Asio()) << "ASIO class " << c.asioClass;
        EXPECT_TRUE(AllEnabled(true));
    }
}

TEST_F(BufferSettingsPage, LatencyTextsCutTheTenths)
{
    NorvikBufferSizes record{};
    record.streamingClass = 2;
    record.asioClass = 1;
    record.streamingLatencyUs = 999;
    record.asioLatencyUs = 10667;
    record.asioLatencySamples = 512;
    model_.InjectFault(NORVIK_IOCTL_GET_BUFFER_SIZES, NORVIK_STATUS_SUCCESS, 1, Bytes(record));
    page_.Refresh();
    EXPECT_EQ(L"0.9 millisecs\n", ControlText(page_.Window(), IDC_STREAMING_LATENCY));
    EXPECT_EQ(L"10.6 millisecs\n512 samples", ControlText(page_.Window(), IDC_ASIO_LATENCY));
    Screenshot(L"pages_buffer_settings");
}

TEST_F(BufferSettingsPage, WithoutTheDriverEverythingIsDisabledAndKept)
{
    model_.SetBufferClasses(2, 1, 0);
    page_.Refresh();
    const std::wstring latency = ControlText(page_.Window(), IDC_STREAMING_LATENCY);
    ASSERT_FALSE(latency.empty());

    model_.InjectFault(NORVIK_IOCTL_GET_BUFFER_SIZES, NORVIK_STATUS_DEVICE_REMOVED);
    page_.Refresh();
    EXPECT_TRUE(AllEnabled(false));
    EXPECT_EQ(latency, ControlText(page_.Window(), IDC_STREAMING_LATENCY));

    page_.Refresh();
    EXPECT_TRUE(AllEnabled(true));

    client_.CloseAll();
    ClearLog();
    page_.Refresh();
    EXPECT_TRUE(AllEnabled(false));
    EXPECT_EQ(L"Small", Streaming());
    ClickApply(); // nothing to send without the driver
    EXPECT_EQ(0u, SentRequests(NORVIK_REQ_SET_BUFFER_SIZES));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(BufferSettingsPage, ApplyAlwaysSendsTheChange)
{
    model_.SetBufferClasses(2, 1, 77);
    page_.Refresh();

    ClickApply(); // unchanged selections
    EXPECT_EQ(1u, SentRequests(NORVIK_REQ_SET_BUFFER_SIZES));

    Choose(IDC_STREAMING_BUFFER_LIST, 4);
    Choose(IDC_ASIO_BUFFER_LIST, 3);
    ClickApply();
    EXPECT_EQ(2u, SentRequests(NORVIK_REQ_SET_BUFFER_SIZES));
    const SimDriverState driver = model_.Settings();
    EXPECT_EQ(4u, driver.streamingClass);
    EXPECT_EQ(3u, driver.asioClass);
    EXPECT_EQ(77u, driver.thirdBufferValue) << "the third value goes back as read";
    // The page shows what the driver holds now.
    EXPECT_EQ(L"ExtraLarge", Streaming());
    EXPECT_EQ(L"Maximum", Asio());
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(BufferSettingsPage, ApplyWithoutSelectionSendsTheReportedClasses)
{
    // Before its first refresh the page selects nothing; what it sends must be what the driver reported.
    model_.SetBufferClasses(5, 2, 9);
    ASSERT_EQ(L"(none)", Streaming());
    ClickApply();
    EXPECT_EQ(1u, SentRequests(NORVIK_REQ_SET_BUFFER_SIZES));
    EXPECT_TRUE(TakeBoxes().empty()) << "the driver accepted the classes it reported";
    const SimDriverState driver = model_.Settings();
    EXPECT_EQ(5u, driver.streamingClass);
    EXPECT_EQ(2u, driver.asioClass);
    EXPECT_EQ(9u, driver.thirdBufferValue);
    EXPECT_EQ(L"Safe", Streaming());
}

TEST_F(BufferSettingsPage, RefusalsAreReported)
{
    model_.SetBufferClasses(2, 1, 0);
    page_.Refresh();

    // A client streams: the service refuses.
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StartClient(4));
    Choose(IDC_STREAMING_BUFFER_LIST, 5);
    ClickApply();
    auto boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Corvex Control Panel", boxes[0].caption);
    EXPECT_EQ(L"Changing the buffer sizes failed. (Status=NORVIK_STATUS_SOUND_DEVICE_IN_USE).",
              boxes[0].text);
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_EQ(L"Small", Streaming()) << "the page shows the driver's classes again";
    EXPECT_EQ(2u, model_.Settings().streamingClass);
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, model_.StopClient(4));

    model_.InjectFault(NORVIK_IOCTL_GET_BUFFER_SIZES, NORVIK_STATUS_NOT_OPENED);
    ClearLog();
    ClickApply();
    boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Get the buffer sizes failed. (Status=NORVIK_STATUS_NOT_OPENED).", boxes[0].text);
    EXPECT_TRUE(boxes[0].errorIcon);
    EXPECT_EQ(0u, SentRequests(NORVIK_REQ_SET_BUFFER_SIZES)) << "nothing sent";
}
