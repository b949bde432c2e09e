#include "tests/cpl/mixer/MixerTest.h"

#include "cpl/NorvikCplClient.h"

#include <commctrl.h>

namespace
{
constexpr wchar_t kOwnerClass[] = L"CorvexMixerTestOwner";
} // namespace

void MixerTest::SetUpTestSuite()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kOwnerClass;
    (void)RegisterClassExW(&windowClass);
}

void MixerTest::SetUp()
{
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, mainClient.OpenAsClient(NORVIK_DRIVER_NAME));
    bool changed = false;
    ASSERT_EQ(NORVIK_STATUS_SUCCESS, mainClient.UpdateDeviceList(&changed));
    owner_.Attach(CreateWindowExW(0, kOwnerClass, L"mixer test", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(owner_);
    // Still meters repaint nothing, so a poll stays cheap; tests of the meters fix a level of their own.
    model_.SetLevelsMode(SimLevelsMode::Off);
    ClearLog();
}

void MixerTest::TearDown()
{
    owner_.Close();
    mainClient.CloseAll();
    bool changed = false;
    (void)mainClient.UpdateDeviceList(&changed); // its device objects go before the model they were opened on
    PumpMessages();
}

NorvikDeviceKeys MixerTest::Keys(size_t unit) const
{
    const NorvikDevice* device = mainClient.DeviceAt(unit);
    return device == nullptr ? NorvikDeviceKeys{} : NorvikDeviceKeys{device->Key1(), device->Key2()};
}

UniqueDialog<FormMixer> MixerTest::CreateMixer(bool hardwareInputs, NorvikDeviceKeys keys)
{
    auto mixer = MakeDialog<FormMixer>(keys.key1, keys.key2, hardwareInputs);
    EXPECT_NE(nullptr, mixer->Create(Owner()));
    return mixer;
}

void MixerTest::Show(FormMixer& mixer)
{
    mixer.ShowMixer();
    PumpMessages();
}

std::vector<SimLogEntry> MixerTest::Requests(uint32_t code) const
{
    std::vector<SimLogEntry> found;
    for (const SimLogEntry& entry : model_.RequestLog())
    {
        if (entry.code == code)
        {
            found.push_back(entry);
        }
    }
    return found;
}

void MixerTest::Scroll(HWND dialog, HWND fader, UINT code, int position)
{
    if (position >= 0)
    {
        (void)SendMessageW(fader, TBM_SETPOS, TRUE, position);
    }
    (void)SendMessageW(dialog, WM_VSCROLL, MAKEWPARAM(code, position < 0 ? 0 : position),
                       reinterpret_cast<LPARAM>(fader));
}

void MixerTest::Click(HWND button)
{
    (void)SendMessageW(button, BM_CLICK, 0, 0);
}

RECT MixerTest::ClientRect(HWND parent, HWND child)
{
    RECT rect{};
    (void)GetWindowRect(child, &rect);
    (void)MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE MixerTest::ClientSize(HWND window)
{
    RECT rect{};
    (void)GetClientRect(window, &rect);
    return SIZE{rect.right, rect.bottom};
}

SIZE MixerTest::WindowSize(HWND window)
{
    RECT rect{};
    (void)GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring MixerTest::Text(HWND window)
{
    wchar_t text[256] = L"";
    (void)GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}
