// The Driver Info page against the in-process driver.
#include "cpl/pages/FormDrvInfo.h"
#include "tests/cpl/PageTest.h"

namespace
{
class DrvInfoPage : public PageTest
{
  protected:
    void SetUp() override
    {
        PageTest::SetUp();
        Open(page_, 300, 280);
    }
    std::wstring Text() const { return ControlText(page_.Window(), IDC_DRIVER_INFO_TEXT); }

    FormDrvInfo page_{client_};
};
} // namespace

TEST_F(DrvInfoPage, ShowsVersionsAndBuildType)
{
    struct Case
    {
        NorvikDriverInfo info;
        const wchar_t* text;
    };
    const Case cases[] = {
        {{2, 1, 2, 3, 45, 0},
         L"\nDriver version: \t  2.3.45\nBuild type: \t  release \n\nInterface version: 2.1\n"},
        {{2, 4, 2, 3, 5, 1},
         L"\nDriver version: \t  2.3.5\nBuild type: \t  debug \n\nInterface version: 2.4\n"},
        {{2, 0, 1, 0, 0, 0x80000000},
         L"\nDriver version: \t  1.0.0\nBuild type: \t  release \n\nInterface version: 2.0\n"},
        {{2, 0, 4, 10, 1000, 3},
         L"\nDriver version: \t  4.10.1000\nBuild type: \t  debug \n\nInterface version: 2.0\n"},
        {{2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE},
         L"\nDriver version: \t  4294967295.4294967295.4294967295\nBuild type: \t  release \n\nInterface "
         L"version: 2.4294967295\n"},
    };
    for (const Case& c : cases)
    {
        model_.SetDriverInfo(c.info);
        page_.Refresh();
        EXPECT_EQ(c.text, Text()) << "flags " << c.info.flags << ", build " << c.info.driverBuild;
    }
    model_.SetDriverInfo(cases[0].info);
    page_.Refresh();
    Screenshot(L"pages_driver_info");
}

TEST_F(DrvInfoPage, FailuresKeepTheText)
{
    EXPECT_EQ(L"", Text()) << "the dialog's own text before the first read";
    model_.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_DEVICE_REMOVED);
    page_.Refresh();
    EXPECT_EQ(L"", Text());

    model_.SetDriverInfo({2, 1, 2, 3, 45, 0});
    page_.Refresh();
    const std::wstring shown = Text();
    model_.SetDriverInfo({2, 1, 9, 9, 9, 1});
    model_.InjectFault(NORVIK_IOCTL_GET_DRIVER_INFO, NORVIK_STATUS_DEVICE_REMOVED);
    page_.Refresh();
    EXPECT_EQ(shown, Text());
    client_.CloseAll();
    page_.Refresh();
    EXPECT_EQ(shown, Text());
}
