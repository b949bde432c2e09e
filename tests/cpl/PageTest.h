// The fixture of the page tests: an in-process driver model with two units, the service's server on a
// thread of its own, a client opened on the model as the control panel's, and a visible top-level window
// that holds the page under test. Message boxes are read and closed by a DialogCloser.
#pragma once

#include "cpl/framework/UiHandles.h"
#include "driverapi/NorvikClient.h"
#include "tests/common/SimulatedDriver.h"
#include "tests/cpl/CplFrameFixture.h"
#include "tests/cpl/CplTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

class PageTest : public testing::Test
{
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Creates the page's dialog in the host and shows both, the page filling the host at the given size.
    template <typename Form> void Open(Form& page, int width, int height)
    {
        ASSERT_NE(nullptr, page.Create(Host()));
        Fit(page.Window(), width, height);
    }
    // Shows the host and the page, which fills it at the given size.
    void Fit(HWND page, int width, int height);
    void Screenshot(const wchar_t* name);

    // Requests of `code` that reached the driver since the last ClearLog.
    size_t LoggedRequests(uint32_t code) const;
    // Messages with `messageCode` sent to the driver since the last ClearLog.
    size_t SentRequests(uint32_t messageCode) const;
    void ClearLog();
    std::vector<SeenMessageBox> TakeBoxes();

    // Re-reads the device list of the client, as the frame does on 3030.
    void UpdateDevices();

    HWND Host() const { return host_.Get(); }

    // A record for the model to answer one request with.
    template <typename Record> static std::vector<uint8_t> Bytes(const Record& record)
    {
        std::vector<uint8_t> bytes(sizeof(record));
        std::memcpy(bytes.data(), &record, sizeof(record));
        return bytes;
    }

    SimulatedDriver driver_;
    DriverModel& model_ = driver_.model;
    std::unique_ptr<ServerThread> service_;
    NorvikClient client_;

  private:
    UniqueWindow host_;
    std::unique_ptr<DialogCloser> boxes_;
    size_t boxesTaken_ = 0;
};

// Texts of the controls.
std::wstring ControlText(HWND dialog, int id);
std::wstring ComboSelectionText(HWND combo);
std::wstring ListText(HWND list, int row, int column);
int ColumnWidth(HWND list, int column);
int ColumnCount(HWND list);
void SelectListRow(HWND list, int row); // -1 clears the selection
