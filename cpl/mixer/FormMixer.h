// One mixer window of a unit: the hardware inputs mixer or the software outputs mixer, built from the unit's
// pin lists each time it is shown. Not a page: a modeless pop-up owned by the main window; closing hides it
// and empties it.
//
// The records the unit reads and writes (pins, levels, volumes, crosspoint weights) are fixed arrays of the
// window, never reallocated: the strips and connection blocks keep pointers to single records and read and
// write them in place, and the level poll hands the arrays to the unit as they lie.
#pragma once

#include "cpl/FormStaticText.h"
#include "cpl/framework/DialogImpl.h"
#include "cpl/framework/MessageLoop.h"
#include "cpl/framework/UiHandles.h"
#include "cpl/mixer/FixedRecords.h"
#include "cpl/mixer/FormMixerConnection.h"
#include "cpl/mixer/FormStereoInputCtrl.h"
#include "cpl/mixer/FormStereoOutputCtrl.h"
#include "driverapi/MixerPins.h"
#include "driverapi/NorvikDriver.h"
#include "driverapi/NorvikIoctl.h"

#include <cstdint>
#include <memory>
#include <vector>

class FormMixer : public DialogImpl, public MessageFilter
{
  public:
    static constexpr UINT_PTR kPollTimerId = 1112;
    static constexpr UINT kPollPeriodMs = 20;
    // Heights of the heading labels; width of the separator bars.
    static constexpr int kHeadingHeight = 20;
    static constexpr int kBarWidth = 4;
    static constexpr COLORREF kHeadingColour = RGB(255, 255, 0);

    FormMixer(uint32_t key1, uint32_t key2, bool isHardwareInputs);

    // Creates the hidden, empty window as an owned pop-up of `owner`; null on failure.
    HWND Create(HWND owner);

    // The device page's buttons: builds and shows a hidden mixer; a visible one is left as it is.
    void ShowMixer();
    // Notification 3050: a visible mixer is rebuilt in place; a hidden one does nothing.
    void RebuildIfVisible();
    // Notification 3051: re-reads the output volumes into the strips.
    void ReloadVolumes();
    // Notification 3052: re-reads the crosspoint weights into the connection blocks.
    void ReloadWeights();

    // Tab and the arrow keys move between the controls of the strips, as in a dialog box.
    bool PreTranslateMessage(MSG& message) override;

    // For the tests: which unit and mixer, and what the window holds while it is built.
    uint32_t Key1ForTesting() const { return key1_; }
    uint32_t Key2ForTesting() const { return key2_; }
    bool IsHardwareInputsForTesting() const { return isHardwareInputs_; }
    size_t OutputStripCountForTesting() const { return outputStrips_.size(); }
    size_t InputStripCountForTesting() const { return inputStrips_.size(); }
    size_t ConnectionCountForTesting() const { return connections_.size(); }
    FormStereoOutputCtrl& OutputStripForTesting(size_t column) const { return *outputStrips_.at(column); }
    FormStereoInputCtrl& InputStripForTesting(size_t row) const { return *inputStrips_.at(row); }
    // The block of output pair `column` and input pair `row`.
    FormMixerConnection& ConnectionForTesting(size_t column, size_t row) const
    {
        return *connections_.at(column * inputStrips_.size() + row);
    }
    // The "No mixer pins." form, or null.
    FormStaticText* MessageFormForTesting() const { return messageForm_.get(); }
    // Heading labels in creation order: the input heading, then the two bottom labels.
    const std::vector<UniqueWindow>& HeadingsForTesting() const { return headings_; }
    bool IsPollingForTesting() const { return timerId_ != 0; }
    bool HoldsAuxiliaryHandlesForTesting() const { return auxiliary_.IsOpen() || auxiliaryMixer_.IsOpen(); }
    uint32_t CrosspointCountForTesting() const { return crosspoints_.count; }
    const NorvikWeightItem& CrosspointForTesting(uint32_t index) const { return crosspoints_.items[index]; }

  protected:
    bool OnInitDialog(HWND focus, LPARAM lParam) override;
    bool OnClose() override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR timerId) override;
    bool OnShowWindow(bool shown, UINT reason) override;
    bool OnCtlColorStatic(HDC dc, HWND control, HBRUSH& brush) override;

  private:
    void Build();
    void TearDown();
    void PollLevels();
    void StartPolling();
    void StopPolling();

    void ShowNoPins();
    // Returns the width of an input strip, 0 without input rows; *rowHeight is the height of one row.
    int BuildInputRows(int* rowHeight);
    void BuildCrossings(int inputWidth);
    // Returns the height of an output strip, 0 without output columns; *columnWidth is the width of one.
    int BuildOutputColumns(int inputWidth, int top, int* columnWidth);
    void AddBar(int left, int top, int width, int height);
    void AddHeading(const wchar_t* text, int left, int top, int width, int height);
    // Shows a child at (left, top) with the size its template gave it, and returns that size.
    SIZE Place(HWND child, int left, int top);
    void SetClientSize(int width, int height);
    bool IsHeading(HWND control) const;

    // The unit is looked up through mainClient by its keys at every use, by design: the mixer outlives a
    // rebuild of the client's device list and follows its unit through it, and finds nothing once the unit
    // is gone. Holding a device pointer instead would dangle.
    const uint32_t key1_;
    const uint32_t key2_;
    const bool isHardwareInputs_;

    MixerPins pins_;
    FixedRecords<NorvikLevelItem, kMaxMixerOutputPins> outputLevels_;
    FixedRecords<NorvikLevelItem, kMaxMixerInputPins> inputLevels_;
    FixedRecords<NorvikVolumeItem, kMaxMixerOutputPins> outputVolumes_;
    FixedRecords<NorvikWeightItem, kMaxMixerCrosspoints> crosspoints_;

    std::vector<UniqueDialog<FormStereoOutputCtrl>> outputStrips_;
    std::vector<UniqueDialog<FormStereoInputCtrl>> inputStrips_;
    std::vector<UniqueDialog<FormMixerConnection>> connections_;
    std::vector<UniqueWindow> bars_;
    std::vector<UniqueWindow> headings_;
    UniqueDialog<FormStaticText> messageForm_;

    // Held while the window is built; they carry no requests: holding them open tells the driver a mixer is
    // shown.
    NorvikDriver auxiliary_;
    NorvikDriver auxiliaryMixer_;
    UniqueBrush headingBrush_;
    UINT_PTR timerId_ = 0;
    bool placed_ = false; // cascaded at its first showing; afterwards it stays where the user put it
    bool registeredWithLoop_ = false;
};
