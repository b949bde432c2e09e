// Helpers of the control panel tests: pumping the test thread's messages, closing message boxes from a
// helper thread after reading them, screenshots, and the service's server running on its own thread.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Dispatches everything queued for the test thread, each due timer once; a WM_QUIT left by a destroyed frame
// is dropped.
void PumpMessages();
// Pumps until `done` holds or `timeoutMs` passed (a safety net, not a measurement); returns `done()`.
// `done` is checked again at least every `pollMs`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000, DWORD pollMs = 20);

// What a message box showed.
struct SeenMessageBox
{
    std::wstring caption;
    std::wstring text;
    bool errorIcon = false;
    bool warningIcon = false;
};

// Watches for message boxes and dialogs of this process, reads them and closes them (with IDOK), so a modal
// box never blocks a test. A dialog is matched by class "#32770"; `inspect` may read more of it first.
class DialogCloser
{
  public:
    explicit DialogCloser(std::function<void(HWND)> inspect = nullptr);
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;

    std::vector<SeenMessageBox> Seen() const;

  private:
    void Watch();

    std::function<void(HWND)> inspect_;
    mutable std::mutex lock_;
    std::vector<SeenMessageBox> seen_;
    HANDLE stop_;
    std::thread thread_;
};

// The control panel's stored window placement under HKEY_CURRENT_USER: PosX, PosY, Width, Height.
void DeletePlacement();
void StorePlacement(DWORD x, DWORD y, DWORD width, DWORD height);
// The values stored, in that order; fewer when some are missing.
std::vector<DWORD> StoredPlacement();

// Saves what the screen shows of `window` (a top-level window) as a PNG file under the build tree's
// "screenshots" folder; returns the path, or empty on failure.
std::wstring SaveScreenshot(HWND window, const wchar_t* name);
