#pragma once
#include "wn/WnEvent.h"
#include "wn/WnThread.h"
#include "wn/WnThreadCallbackInterface.h"

// A worker thread that posts a message to a window each time a watched event fires. It only waits and
// posts, so the window's thread does all the work. One post may stand for several signals of an
// auto-reset event; the window should drain whatever the event announces.
class WnPostWindowMessageThread : public WnThreadCallbackInterface
{
  public:
    WnPostWindowMessageThread();
    // Stops a running thread first: the thread uses this object.
    ~WnPostWindowMessageThread() override;
    WnPostWindowMessageThread(const WnPostWindowMessageThread&) = delete;
    WnPostWindowMessageThread& operator=(const WnPostWindowMessageThread&) = delete;

    // Starts posting message (both parameters 0) to window whenever watchedEvent is signalled. The window
    // and the event must outlive the thread. Returns 183 while running.
    [[nodiscard]] DWORD Start(HWND window, HANDLE watchedEvent, UINT message);
    // Signals the stop event and waits for the thread to end, without a time-out.
    DWORD Stop();
    bool IsRunning() const noexcept { return thread_.Get() != nullptr; }

    DWORD Run() override;

  private:
    WnThread thread_;
    HWND window_ = nullptr;         // not owned
    HANDLE watchedEvent_ = nullptr; // not owned
    WnEvent stopEvent_;
    UINT message_ = 0;
};
