// The three programs together: corvexsim.exe on a pipe of the test's own, corvexsvc.exe -console and
// corvexcpl.exe, both told to use that pipe; and the means to read the control panel's windows from outside.
#pragma once

#include "simulator/SimControlClient.h"
#include "tests/cpl/CplProcess.h"

#include <windows.h>

#include <string>

class CplEndToEnd
{
  public:
    explicit CplEndToEnd(std::wstring pipeName) : pipeName_(std::move(pipeName)) {}
    ~CplEndToEnd();

    // Starts the simulator and the service; true once the service holds the server role.
    bool StartDriverAndService();
    // Starts corvexsim.exe on the session's pipe (`arguments` after the pipe) and connects to its control
    // pipe.
    bool StartSimulator(const std::wstring& arguments = std::wstring());
    void KillSimulator() { simulator_.Kill(); }
    // Starts `corvexsvc.exe -console` without waiting for it to serve.
    bool StartService();
    void KillService() { service_.Kill(); }
    // Whether a handle holds the server role ("role":0 in the simulator's dump).
    bool HasServer();
    // Starts the control panel; true once its window shows (checked every pollMs), with the page tree filled
    // unless `withDevices` is false.
    bool StartControlPanel(const std::wstring& arguments = L"-notray", DWORD pollMs = 20,
                           bool withDevices = true);
    // Asks the control panel to exit and waits for its end.
    bool StopControlPanel();
    // One control command to the simulator; the reply line ("ok ..." or "error ...").
    std::string Control(const std::string& command);

    HWND MainWindow() const { return mainWindow_; }
    ChildProgram& ControlPanel() { return controlPanel_; }
    ChildProgram& Simulator() { return simulator_; }
    ChildProgram& Service() { return service_; }
    // A pane of the control panel's status bar (read through memory in its process).
    std::wstring StatusText(int pane) const;
    // The first window with this control id below the main window.
    HWND FindControl(int controlId) const;
    // The number of items in the page tree.
    int TreeItems() const;
    // Selects the rate with this text on the Sample Rate page; false when it is not listed.
    bool SelectRate(const wchar_t* text) const;
    // Clicks the page's Apply button without waiting: the control panel's window thread waits for the
    // service while it handles the click.
    void PressApply() const;

  private:
    std::wstring Environment() const;

    std::wstring pipeName_;
    ChildProgram simulator_;
    ChildProgram service_;
    ChildProgram controlPanel_;
    SimControlClient control_;
    HWND mainWindow_ = nullptr; // in the control panel's process
};

// The first visible window with this control id below `parent`, in creation order.
HWND FindVisibleControl(HWND parent, int controlId);
// The visible top-level window of that process with this title.
HWND FindProcessWindowTitled(DWORD processId, const wchar_t* title);
// Shows the first unit's device page of the control panel whose main window is `mainWindow`, presses its
// mixer button and waits for the mixer window; null when it does not show.
HWND OpenFirstUnitsMixer(HWND mainWindow, DWORD processId, bool hardwareInputs);
