// A main frame against the simulator model inside the test process, with the service's server on a thread
// of its own when a test needs the service.
#pragma once

#include "cpl/CplCommandLine.h"
#include "cpl/MainFrame.h"
#include "service/CustomServer.h"
#include "tests/common/ServerLoop.h"
#include "tests/common/SimulatedDriver.h"
#include "tests/cpl/CplTestSupport.h"

#include <gtest/gtest.h>
#include <dbt.h>

#include <memory>

// The product's server on its loop, started at construction; the loop ends before the server goes.
class ServerThread
{
  public:
    ServerThread() : ready_(loop_.Start(server_)) {}
    // Whether the server finished its start-up (see ServerLoop::Start).
    bool Ready() const { return ready_; }

  private:
    CustomServer server_;
    ServerLoop loop_;
    bool ready_;
};

// What the page tree shows for one item.
struct TreeItemData
{
    std::wstring text;
    FormBase* page = nullptr;
    int image = -1;
    int selectedImage = -1;
};

class CplFrameFixture : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates and shows the frame with `commandLine` as the program's command line.
    void CreateFrame(const wchar_t* commandLine = L"-notray");
    void DestroyFrame();
    // Closes mainClient's driver and lets its device objects go, as at the end of a test.
    void CloseClient();
    void StartService();

    TreeItemData ReadTreeItem(HTREEITEM item);
    // Selects the page's tree item and lets the frame show it.
    void SelectPage(FormBase* page);
    std::wstring StatusText(int pane) { return frame_->Status().PaneText(pane); }
    // Lets the frame handle what the driver queued for it, without waiting for the notification thread.
    void DrainDriver();
    // A device-interface broadcast of the driver's class to the frame (an arrival unless `event` says other).
    LRESULT SendArrival(const wchar_t* name, WPARAM event = DBT_DEVICEARRIVAL);

    SimulatedDriver driver_;
    DriverModel& model_ = driver_.model;
    std::unique_ptr<MainFrame> frame_;
    std::unique_ptr<ServerThread> service_;
};
