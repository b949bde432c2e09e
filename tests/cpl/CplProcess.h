// Runs corvexcpl.exe (and other programs of the build) as child processes of a test.
#pragma once

#include <windows.h>

#include <string>

// build\<relativePath>, found from the test exe's own path (build\tests\<folder>\<exe>).
std::wstring BuildProgramPath(const wchar_t* relativePath);

class ChildProgram
{
  public:
    ChildProgram() = default;
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // `environment`: extra "NAME=value" entries added to the test's own environment.
    bool Start(const std::wstring& program, const std::wstring& arguments,
               const std::wstring& environment = std::wstring());
    // Waits for the end while pumping the test thread's messages (a child may send to our windows).
    bool WaitForExit(DWORD timeoutMs = 30000);
    bool HasExited() const;
    DWORD ExitCode() const;
    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_; }
    // Ends a child that is still running (clean-up after a failed test).
    void Kill();

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// The top-level window of class `className` that belongs to process `processId` (0: any), or null.
HWND FindProcessWindow(const wchar_t* className, DWORD processId);

// The notification-area icon whose tip is `tip`, as the shell shows it to the user: its place in the shell's
// notification area window (client coordinates). False when the shell shows no such icon.
bool FindTrayIcon(const wchar_t* tip, RECT* place);
// Clicks that place as the mouse would: a right click (the icon's menu opens on the button's release) or a
// left double-click.
void ClickTrayIcon(const RECT& place, bool rightClick);
// The pop-up menu window that the process shows, or null.
HWND FindPopupMenu(DWORD processId);
