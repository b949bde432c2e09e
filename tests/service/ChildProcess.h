// Runs the project's programs as child processes under test: their output, exit code and console group.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The build tree's root, found from the running test exe (build\tests\<folder>\<exe>).
std::wstring BuildRoot();
// build\service\corvexsvc.exe and the like.
std::wstring BuildProgram(const wchar_t* relativePath);

struct ChildResult
{
    DWORD exitCode = 0xdeadbeef;
    std::string output; // standard output, and standard error unless kept apart; UTF-8
    std::string errors; // standard error when kept apart
    bool timedOut = false;
};

// Runs `program arguments` to its end (at most timeoutMs) with its output captured; standard error goes
// into `errors` when separateErrors is set.
ChildResult RunChild(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs = 30000,
                     bool separateErrors = false);

// A child that keeps running while the test works; its output goes to a file that Output() reads.
class BackgroundChild
{
  public:
    BackgroundChild() = default;
    ~BackgroundChild();
    BackgroundChild(const BackgroundChild&) = delete;
    BackgroundChild& operator=(const BackgroundChild&) = delete;

    // Ends and forgets an earlier child first. The child shares the test's console, so a console Ctrl+C
    // reaches it. environment: extra "NAME=value" pairs, '\n'-separated, added to the test's own.
    // desktop: "station\\desktop" to run on instead of the test's own (an inheritable desktop handle held by
    // the test makes it the default of the child's later threads too).
    bool Start(const std::wstring& program, const std::wstring& arguments,
               const std::wstring& environment = L"", const wchar_t* desktop = nullptr);
    // Waits for the child's end; false on time-out.
    bool Wait(DWORD timeoutMs);
    DWORD ExitCode() const;
    std::string Output() const;
    // Waits until the output contains `text`; false on time-out or when the child ended without it.
    bool WaitForOutput(const std::string& text, DWORD timeoutMs) const;
    // Ends a child that is still running (the test's clean-up after a failure).
    void Kill();
    HANDLE Process() const { return process_; }

  private:
    void Release();

    HANDLE process_ = nullptr;
    std::wstring outputPath_;
};

// The whole file as bytes; empty when it cannot be read. Other processes may still be writing it.
std::string ReadFileText(const std::wstring& path);

// Polls until `condition` holds (other threads and processes work at their own pace); false on time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Runs `body` on a thread of its own and waits for it to return. A body that hangs is left running, so the
// test fails instead of hanging; it must hold what it uses (shared pointers, no references to locals).
bool ReturnsWithin(std::function<void()> body, DWORD timeoutMs = 10000);

// How many handles the process holds; -1 when that cannot be read. (GetProcessHandleCount always says 0 under
// Wine; the system's handle table tells.)
long CountProcessHandles(DWORD processId);

// Sends Ctrl+C to every process of the test's console (the test itself ignores it meanwhile).
bool SendConsoleCtrlC();
