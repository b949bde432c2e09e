// The page tree on the left of the main window. Each item stands for a page; its item data is the page.
// The tree's notifications go on to the parent window, where the frame switches pages.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "resources/corvexcpl.h"

#include <commctrl.h>
#include <map>
#include <string>
#include <vector>

class FormSelection : public FormBaseImpl<FormSelection>
{
  public:
    static constexpr int kDialogId = IDD_SELECTION;
    static ResizeMapSpan ResizeMap();

    explicit FormSelection(HIMAGELIST images) : images_(images) {}

    LRESULT OnInitForm(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Refresh() override {}

    // Inserts an item for `page` as the last child of `parent`'s item (expanding it), or as the last root
    // item when there is no parent or it has no item.
    void AddPage(const wchar_t* text, FormBase* page, FormBase* parent, int image);
    // Removes the page's item; nothing when the page has none.
    void RemovePage(FormBase* page);
    // The page of the selected item, or null.
    FormBase* SelectedPage() const;
    // Selects the first root item and gives the tree the keyboard focus.
    void SelectFirst();
    // Selects the page's item; false when it has none.
    bool SelectPage(FormBase* page);

    HWND Tree() const { return tree_; }
    // The pages of the tree in display order (depth first), for tests and keyboard navigation.
    std::vector<FormBase*> PagesInOrder() const;
    std::wstring ItemText(FormBase* page) const;

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

  private:
    HIMAGELIST images_; // not owned: the frame's image list
    HWND tree_ = nullptr;
    std::map<FormBase*, HTREEITEM> items_;
};
