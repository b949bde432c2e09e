// The modal About box: the driver package's name and version and a link to the maker's web site.
#pragma once

#include "cpl/framework/DialogImpl.h"
#include "cpl/framework/HyperLink.h"

#include <string>

class CAboutDlg : public DialogImpl
{
  public:
    static constexpr const wchar_t* kWebAddress = L"https://www.meridant.com/";

    // Runs the box modally, owned by `owner`; returns when it closes.
    INT_PTR Run(HWND owner);

    // "Meridant Device Driver\nVersion 1.36.1\n<years>, Meridant".
    static std::wstring VersionText();
    const HyperLink& Link() const { return link_; }

  protected:
    bool OnInitDialog(HWND focus, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnClose() override;

  private:
    void CenterOverOwner();

    HyperLink link_;
};
