#include "cpl/mixer/FormMixer.h"
#include "driverapi/MixerPairLabel.h"

#include "cpl/NorvikCplClient.h"
#include "cpl/framework/ModalScope.h"
#include "cpl/mixer/MixerPlacement.h"
#include "driverapi/NorvikValueTexts.h"
#include "resources/corvexcpl.h"

#include <algorithm>

namespace
{
SIZE WindowSize(HWND window)
{
    RECT rect{};
    (void)GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// After a read of the records in place, every child shows them, or clears its display when the read failed.
template <typename Child>
void Deliver(NorvikStatus read, const std::vector<UniqueDialog<Child>>& children, void (Child::*show)(),
             void (Child::*clear)())
{
    for (const auto& child : children)
        ((*child).*(read == NORVIK_STATUS_SUCCESS ? show : clear))();
}
} // namespace

FormMixer::FormMixer(uint32_t key1, uint32_t key2, bool isHardwareInputs)
    : key1_(key1), key2_(key2), isHardwareInputs_(isHardwareInputs),
      headingBrush_(CreateSolidBrush(kHeadingColour))
{
}

HWND FormMixer::Create(HWND owner)
{
    HWND window = CreateModeless(IDD_MIXER, owner);
    if (window != nullptr)
    {
        if (MessageLoop* loop = AppModule::GetMessageLoop())
        {
            loop->AddMessageFilter(this);
            registeredWithLoop_ = true;
        }
    }
    return window;
}

bool FormMixer::PreTranslateMessage(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || Hwnd() == nullptr ||
        (message.hwnd != Hwnd() && !IsChild(Hwnd(), message.hwnd)))
        return false;
    return IsDialogMessageW(Hwnd(), &message) != FALSE;
}

void FormMixer::ShowMixer()
{
    // A mixer whose window was never created has nothing to build its strips in.
    if (Hwnd() == nullptr || IsWindowVisible(Hwnd()))
        return;
    TearDown();
    if (!placed_)
    {
        mixer_placement::Cascade(Hwnd());
        placed_ = true;
    }
    Build();
    (void)ShowWindow(Hwnd(), SW_SHOW);
}

void FormMixer::RebuildIfVisible()
{
    if (!IsWindowVisible(Hwnd()))
        return;
    (void)ShowWindow(Hwnd(), SW_HIDE);
    TearDown();
    Build();
    (void)ShowWindow(Hwnd(), SW_SHOW);
}

void FormMixer::ReloadVolumes()
{
    NorvikDevice* device = mainClient.FindDevice(key1_, key2_);
    if (device == nullptr || outputVolumes_.IsEmpty())
        return;
    Deliver(device->GetPinVolumes(outputVolumes_.items, outputVolumes_.count), outputStrips_,
            &FormStereoOutputCtrl::ShowVolumes, &FormStereoOutputCtrl::ClearVolumes);
}

void FormMixer::ReloadWeights()
{
    NorvikDevice* device = mainClient.FindDevice(key1_, key2_);
    if (device == nullptr || crosspoints_.IsEmpty())
        return;
    Deliver(device->GetCrosspointWeights(crosspoints_.items, crosspoints_.count), connections_,
            &FormMixerConnection::ShowWeights, &FormMixerConnection::ClearWeights);
}

// Two requests per tick with the records in place; the strips only move their meters.
void FormMixer::PollLevels()
{
    NorvikDevice* device = mainClient.FindDevice(key1_, key2_);
    if (device == nullptr)
        return;
    if (!outputLevels_.IsEmpty())
    {
        Deliver(device->GetOutputLevels(outputLevels_.items, outputLevels_.count), outputStrips_,
                &FormStereoOutputCtrl::ShowLevels, &FormStereoOutputCtrl::ClearLevels);
    }
    if (!inputLevels_.IsEmpty())
    {
        Deliver(device->GetInputLevels(inputLevels_.items, inputLevels_.count), inputStrips_,
                &FormStereoInputCtrl::ShowLevels, &FormStereoInputCtrl::ClearLevels);
    }
}

bool FormMixer::OnInitDialog(HWND, LPARAM)
{
    (void)ShowWindow(Hwnd(), SW_HIDE);
    (void)SendMessageW(
        Hwnd(), WM_SETICON, ICON_BIG,
        reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    return FALSE;
}

// Closing never destroys the window: the frame owns it until the next page tree rebuild.
bool FormMixer::OnClose()
{
    // The weight control edits records of this window: it closes first.
    if (ModalScope::HoldBack(Hwnd(), WM_CLOSE))
        return true;
    (void)ShowWindow(Hwnd(), SW_HIDE);
    TearDown();
    return true;
}

void FormMixer::OnDestroy()
{
    (void)ShowWindow(Hwnd(), SW_HIDE);
    TearDown();
    if (registeredWithLoop_)
    {
        if (MessageLoop* loop = AppModule::GetMessageLoop())
            loop->RemoveMessageFilter(this);
        registeredWithLoop_ = false;
    }
}

void FormMixer::OnTimer(UINT_PTR)
{
    PollLevels();
}

bool FormMixer::OnCtlColorStatic(HDC dc, HWND control, HBRUSH& brush)
{
    if (!IsHeading(control))
        return false;
    (void)SetBkColor(dc, kHeadingColour);
    brush = headingBrush_.Get();
    return true;
}

void FormMixer::Build()
{
    (void)SetWindowTextW(Hwnd(), MixerTitle(isHardwareInputs_));
    NorvikDevice* device = mainClient.FindDevice(key1_, key2_);
    if (device == nullptr)
        return;
    // A list that failed is empty; the other one still makes its strips.
    (void)pins_.Read(*device, isHardwareInputs_);
    if (pins_.outputCount == 0 && pins_.inputCount == 0)
    {
        ShowNoPins();
        return;
    }
    (void)auxiliary_.OpenAuxiliary(mainClient.DriverName(), NORVIK_ROLE_AUXILIARY);
    (void)auxiliaryMixer_.OpenAuxiliary(mainClient.DriverName(), NORVIK_ROLE_AUXILIARY_MIXER);

    int rowHeight = 0;
    const int inputWidth = BuildInputRows(&rowHeight);
    AddHeading(MixerInputHeading(isHardwareInputs_), 0, 0, inputWidth, kHeadingHeight);
    BuildCrossings(inputWidth);
    const int outputsTop = kHeadingHeight + static_cast<int>(inputStrips_.size()) * rowHeight;
    int columnWidth = 0;
    const int outputHeight = BuildOutputColumns(inputWidth, outputsTop, &columnWidth);
    const int outputsWidth = static_cast<int>(outputStrips_.size()) * (columnWidth + kBarWidth);
    if (pins_.outputCount != 0)
    {
        // Each label covers half of the columns, whatever the kinds of their pins.
        const int quarter = outputsWidth / 8;
        const int top = outputsTop + outputHeight;
        AddHeading(L"Hardware Outputs", inputWidth + 2, top, 4 * quarter - 2, kHeadingHeight);
        AddHeading(L"Virtual Inputs", inputWidth + 4 * quarter + 2, top, 4 * quarter - 2, kHeadingHeight);
        SetClientSize(inputWidth + outputsWidth, top + kHeadingHeight);
    }
    else
    {
        SetClientSize(inputWidth, outputsTop);
    }
    ReloadWeights();
    ReloadVolumes();
    if (IsWindowVisible(Hwnd()))
        StartPolling();
}

// The poll follows the window's visibility, whatever hid it (closing, a rebuild, the owner minimised): a
// hidden mixer never polls.
bool FormMixer::OnShowWindow(bool shown, UINT)
{
    if (shown)
        StartPolling();
    else
        StopPolling();
    return false;
}

void FormMixer::StartPolling()
{
    if (timerId_ == 0 && (!outputLevels_.IsEmpty() || !inputLevels_.IsEmpty()))
        timerId_ = SetTimer(Hwnd(), kPollTimerId, kPollPeriodMs, nullptr);
}

void FormMixer::StopPolling()
{
    if (timerId_ != 0)
    {
        (void)KillTimer(Hwnd(), timerId_);
        timerId_ = 0;
    }
}

void FormMixer::ShowNoPins()
{
    messageForm_ = MakeDialog<FormStaticText>(L"No mixer pins.");
    if (messageForm_->Create(Hwnd()) == nullptr)
        return;
    const SIZE size = Place(messageForm_->Window(), 0, 0);
    SetClientSize(size.cx, size.cy);
}

// A last unpaired pin has no row. Every strip has its template's size, so the first one measures them all.
int FormMixer::BuildInputRows(int* rowHeight)
{
    const uint32_t pairs = MixerPairs(pins_.inputCount);
    SIZE size{};
    inputStrips_.reserve(pairs);
    for (uint32_t row = 0; row < pairs; ++row)
    {
        const NorvikPin left = pins_.inputs[2 * row];
        const NorvikPin right = pins_.inputs[2 * row + 1];
        // One level per input pin: the pins' bound leaves room for them all.
        const NorvikLevelItem* leftLevel = inputLevels_.Add(NorvikLevelItem{left, 0, {}});
        const NorvikLevelItem* rightLevel = inputLevels_.Add(NorvikLevelItem{right, 0, {}});
        auto strip = MakeDialog<FormStereoInputCtrl>(MixerPairLabel(MixerSide::Row, left, right).c_str(),
                                                     leftLevel, rightLevel);
        (void)strip->Create(Hwnd());
        if (row == 0)
            size = WindowSize(strip->Window());
        const int top = kHeadingHeight + static_cast<int>(row) * size.cy;
        AddBar(0, top, kBarWidth, size.cy);
        AddBar(0, top, size.cx, kBarWidth);
        Place(strip->Window(), kBarWidth, top + kBarWidth);
        inputStrips_.push_back(std::move(strip));
    }
    if (pairs != 0)
        AddBar(0, kHeadingHeight + static_cast<int>(pairs) * size.cy, size.cx, kBarWidth);
    *rowHeight = size.cy;
    return size.cx;
}

void FormMixer::BuildCrossings(int inputWidth)
{
    const uint32_t inputPairs = MixerPairs(pins_.inputCount);
    const uint32_t outputPairs = MixerPairs(pins_.outputCount);
    SIZE size{};
    connections_.reserve(inputPairs * outputPairs);
    for (uint32_t column = 0; column < outputPairs; ++column)
    {
        const NorvikPin outLeft = pins_.outputs[2 * column];
        const NorvikPin outRight = pins_.outputs[2 * column + 1];
        for (uint32_t row = 0; row < inputPairs; ++row)
        {
            const NorvikPin inLeft = pins_.inputs[2 * row];
            const NorvikPin inRight = pins_.inputs[2 * row + 1];
            // The unit's order: both outputs of the left input, then both of the right input.
            NorvikWeightItem* leftToLeft = crosspoints_.Add(NorvikWeightItem{outLeft, inLeft, 0, 0, 0});
            NorvikWeightItem* leftToRight = crosspoints_.Add(NorvikWeightItem{outRight, inLeft, 0, 0, 0});
            NorvikWeightItem* rightToLeft = crosspoints_.Add(NorvikWeightItem{outLeft, inRight, 0, 0, 0});
            NorvikWeightItem* rightToRight = crosspoints_.Add(NorvikWeightItem{outRight, inRight, 0, 0, 0});
            auto connection = MakeDialog<FormMixerConnection>(key1_, key2_, leftToLeft, leftToRight,
                                                              rightToLeft, rightToRight);
            (void)connection->Create(Hwnd());
            if (connections_.empty())
                size = WindowSize(connection->Window());
            Place(connection->Window(),
                  inputWidth + kBarWidth + static_cast<int>(column) * (size.cx + kBarWidth),
                  kHeadingHeight + static_cast<int>(row) * size.cy);
            connections_.push_back(std::move(connection));
        }
    }
}

int FormMixer::BuildOutputColumns(int inputWidth, int top, int* columnWidth)
{
    const uint32_t pairs = MixerPairs(pins_.outputCount);
    SIZE size{};
    outputStrips_.reserve(pairs);
    for (uint32_t column = 0; column < pairs; ++column)
    {
        const NorvikPin left = pins_.outputs[2 * column];
        const NorvikPin right = pins_.outputs[2 * column + 1];
        // One level and one volume per output pin: the pins' bound leaves room for them all.
        const NorvikLevelItem* leftLevel = outputLevels_.Add(NorvikLevelItem{left, 0, {}});
        const NorvikLevelItem* rightLevel = outputLevels_.Add(NorvikLevelItem{right, 0, {}});
        NorvikVolumeItem* leftVolume = outputVolumes_.Add(NorvikVolumeItem{left, 0, 0, 0});
        NorvikVolumeItem* rightVolume = outputVolumes_.Add(NorvikVolumeItem{right, 0, 0, 0});
        auto strip = MakeDialog<FormStereoOutputCtrl>(key1_, key2_,
                                                      MixerPairLabel(MixerSide::Column, left, right).c_str(),
                                                      leftVolume, rightVolume, leftLevel, rightLevel);
        (void)strip->Create(Hwnd());
        if (column == 0)
            size = WindowSize(strip->Window());
        const int x = inputWidth + kBarWidth + static_cast<int>(column) * (size.cx + kBarWidth);
        Place(strip->Window(), x, top);
        AddBar(x - 3, 0, kBarWidth, top + size.cy);
        outputStrips_.push_back(std::move(strip));
    }
    *columnWidth = size.cx;
    return size.cy;
}

void FormMixer::AddBar(int left, int top, int width, int height)
{
    UniqueWindow bar(CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE, left, top,
                                     width, height, Hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (bar)
        bars_.push_back(std::move(bar));
}

void FormMixer::AddHeading(const wchar_t* text, int left, int top, int width, int height)
{
    UniqueWindow heading(CreateWindowExW(
        WS_EX_STATICEDGE, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, left, top,
        std::max(width, 0), height, Hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (heading)
    {
        (void)SendMessageW(heading.Get(), WM_SETFONT,
                           reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        headings_.push_back(std::move(heading));
    }
}

SIZE FormMixer::Place(HWND child, int left, int top)
{
    (void)SetWindowPos(child, nullptr, left, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return WindowSize(child);
}

// The position stays; the frame is whatever the window's style adds around the client area.
void FormMixer::SetClientSize(int width, int height)
{
    RECT window{};
    RECT client{};
    (void)GetWindowRect(Hwnd(), &window);
    (void)GetClientRect(Hwnd(), &client);
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    const SIZE size{std::max(width + frameWidth, mixer_placement::kMinWindowWidth), height + frameHeight};
    const POINT at = mixer_placement::KeepOnWorkArea(Hwnd(), POINT{window.left, window.top}, size);
    (void)SetWindowPos(Hwnd(), nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool FormMixer::IsHeading(HWND control) const
{
    return std::any_of(
        headings_.begin(), headings_.end(),
        [control](const UniqueWindow& heading) { return heading.Get() == control; });
}

void FormMixer::TearDown()
{
    StopPolling();
    outputStrips_.clear();
    inputStrips_.clear();
    connections_.clear();
    bars_.clear();
    headings_.clear();
    messageForm_.reset();
    pins_ = MixerPins{};
    outputLevels_.Clear();
    inputLevels_.Clear();
    outputVolumes_.Clear();
    crosspoints_.Clear();
    auxiliary_.CloseAll();
    auxiliaryMixer_.CloseAll();
}
