// The common half of windows and dialogs: it knows its HWND and unpacks each message once into a typed
// handler. Every handler returns true when it handled the message; unhandled messages get the host's default
// processing (DefWindowProc for windows, the dialog manager for dialogs).
#pragma once

#include <windows.h>

class MessageTarget
{
  public:
    MessageTarget() = default;
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;
    virtual ~MessageTarget() = default;

    HWND Hwnd() const { return hwnd_; }
    bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }

    // Runs the typed dispatch for one message; public so that hosts (and tests) can feed messages.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  protected:
    // First chance at every message: mix-ins and application-defined messages are handled here.
    virtual bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // Returning false makes the window creation fail.
    virtual bool OnCreate(const CREATESTRUCTW&) { return true; }
    // Returns whether the dialog manager should set the focus to `focus`.
    virtual bool OnInitDialog(HWND /*focus*/, LPARAM) { return true; }
    virtual void OnDestroy() {}
    virtual bool OnClose() { return false; }
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(const NMHDR&, LRESULT& /*result*/) { return false; }
    virtual bool OnSize(UINT /*type*/, SIZE) { return false; }
    // Every WM_TIMER of a timer set without a timer procedure.
    virtual void OnTimer(UINT_PTR /*timerId*/) {}
    virtual bool OnShowWindow(bool /*shown*/, UINT /*reason*/) { return false; }
    virtual bool OnSysCommand(UINT /*command*/, POINT /*cursor*/) { return false; }
    virtual bool OnGetMinMaxInfo(MINMAXINFO&) { return false; }
    virtual bool OnScroll(bool /*vertical*/, UINT /*code*/, int /*position*/, HWND /*control*/)
    {
        return false;
    }
    // Sets `brush` (and colours on `dc`) when the control gets non-default colours.
    virtual bool OnCtlColorStatic(HDC /*dc*/, HWND /*control*/, HBRUSH& /*brush*/) { return false; }
    virtual bool OnDeviceChange(UINT /*event*/, LPARAM /*data*/, LRESULT& /*result*/) { return false; }
    virtual bool OnMenuSelect(UINT /*item*/, UINT /*flags*/, HMENU) { return false; }
    // The last message the window receives; the HWND is already forgotten.
    virtual void OnFinalMessage() {}

    void AttachHwnd(HWND hwnd) { hwnd_ = hwnd; }
    // Run by the hosts on WM_NCDESTROY.
    void DetachHwnd();

  private:
    HWND hwnd_ = nullptr;
};

// Offers a message to each of `handlers` in turn until one handles it: the mix-ins of a window (and the
// helpers it owns) share this one signature, so that the host chains them in one place.
template <typename... Handlers>
bool ChainMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, Handlers&... handlers)
{
    return (handlers.ProcessMessage(message, wParam, lParam, result) || ...);
}
