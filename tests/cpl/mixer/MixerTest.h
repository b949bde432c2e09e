// The fixture of the mixer tests: the simulator model in process with two default units, mainClient opened
// on it as the control panel opens it, and an owner window for mixers and a host for the weight control.
// Requests are checked in the model's log by request code and by the record they carried.
#pragma once

#include "cpl/framework/UiHandles.h"
#include "cpl/mixer/FormMixer.h"
#include "tests/common/SimulatedDriver.h"
#include "tests/cpl/CplTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

class MixerTest : public testing::Test
{
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    NorvikDeviceKeys Keys(size_t unit = 0) const;
    // A hidden mixer of the first unit, created as the frame creates it.
    UniqueDialog<FormMixer> CreateMixer(bool hardwareInputs, NorvikDeviceKeys keys);
    UniqueDialog<FormMixer> CreateMixer(bool hardwareInputs) { return CreateMixer(hardwareInputs, Keys()); }
    // Shows the mixer as the device page's button does and lets it paint.
    void Show(FormMixer& mixer);

    // Requests of `code` since the last ClearLog, in order.
    std::vector<SimLogEntry> Requests(uint32_t code) const;
    void ClearLog() { model_.ClearRequestLog(); }
    // The one record a single-item request carried.
    template <typename Record> static Record Sent(const SimLogEntry& entry)
    {
        static_assert(sizeof(Record) <= sizeof(entry.head), "record fits the logged head");
        Record record;
        std::memcpy(&record, entry.head, sizeof(record));
        return record;
    }

    // Sends WM_VSCROLL with `code` from `fader` to `dialog`, after moving the fader to `position` (>= 0).
    static void Scroll(HWND dialog, HWND fader, UINT code, int position = -1);
    static void Click(HWND button);
    // A rectangle of `child` in the client coordinates of `parent`.
    static RECT ClientRect(HWND parent, HWND child);
    static SIZE ClientSize(HWND window);
    static SIZE WindowSize(HWND window);
    static std::wstring Text(HWND window);

    HWND Owner() const { return owner_.Get(); }

    SimulatedDriver driver_;
    DriverModel& model_ = driver_.model;

  private:
    UniqueWindow owner_;
};
