// Turns a static text control into a hyperlink: blue underlined label, hand cursor, and a click (or the
// space bar when it has the focus) opens the target with the shell.
#pragma once

#include "cpl/framework/UiHandles.h"

#include <windows.h>
#include <string>

class HyperLink
{
  public:
    HyperLink() = default;
    HyperLink(const HyperLink&) = delete;
    HyperLink& operator=(const HyperLink&) = delete;
    ~HyperLink();

    bool Attach(HWND control, const wchar_t* label, const wchar_t* target);
    void Detach();
    const std::wstring& Label() const { return label_; }
    const std::wstring& Target() const { return target_; }
    // Opens the target with the shell's default handler.
    void Navigate() const;

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    void Paint(HWND hwnd);

    HWND control_ = nullptr; // not owned: a control of the dialog
    std::wstring label_;
    std::wstring target_;
    UniqueFont underlined_;
};
