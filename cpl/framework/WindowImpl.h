// A window of a registered class whose messages go to a C++ object (MessageTarget's typed handlers).
#pragma once

#include "cpl/framework/MessageTarget.h"

class WindowImpl : public MessageTarget
{
  public:
    // Destroys the window if it still exists, so that no message reaches a dead object.
    ~WindowImpl() override;

    // Registers a class whose window procedure routes to Window objects; the other fields are the caller's.
    // Registering an existing class again is not an error.
    static bool RegisterWindowClass(WNDCLASSEXW windowClass);

    // Creates the window; the class must have been registered with RegisterWindowClass. Returns null on
    // failure.
    HWND Create(const wchar_t* className, HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                const RECT& rect, HMENU menuOrId = nullptr);
    void Destroy();

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
