#include "cpl/FormSelection.h"

ResizeMapSpan FormSelection::ResizeMap()
{
    static const ResizeMapEntry map[] = {{IDC_PAGE_TREE, kResizeGrow}};
    return MakeResizeMap(map);
}

LRESULT FormSelection::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    tree_ = Item(IDC_PAGE_TREE);
    (void)TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
    return TRUE;
}

void FormSelection::AddPage(const wchar_t* text, FormBase* page, FormBase* parent, int image)
{
    const auto parentItem = parent != nullptr ? items_.find(parent) : items_.end();
    TVINSERTSTRUCTW insert{};
    insert.hParent = parentItem != items_.end() ? parentItem->second : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = reinterpret_cast<LPARAM>(page);
    HTREEITEM item = TreeView_InsertItem(tree_, &insert);
    if (item == nullptr)
        return;
    if (parentItem != items_.end())
        (void)TreeView_Expand(tree_, parentItem->second, TVE_EXPAND);
    items_[page] = item;
    (void)RedrawWindow(tree_, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void FormSelection::RemovePage(FormBase* page)
{
    const auto found = page != nullptr ? items_.find(page) : items_.end();
    if (found == items_.end())
        return;
    // Without its page the item selects nothing while the tree moves its selection during the deletion.
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = found->second;
    item.lParam = 0;
    (void)TreeView_SetItem(tree_, &item);
    (void)TreeView_DeleteItem(tree_, found->second);
    items_.erase(found);
}

FormBase* FormSelection::SelectedPage() const
{
    HTREEITEM selected = TreeView_GetSelection(tree_);
    if (selected == nullptr)
        return nullptr;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
    return TreeView_GetItem(tree_, &item) ? reinterpret_cast<FormBase*>(item.lParam) : nullptr;
}

void FormSelection::SelectFirst()
{
    HTREEITEM first = TreeView_GetRoot(tree_);
    if (first != nullptr)
        (void)TreeView_SelectItem(tree_, first);
    (void)SetFocus(tree_);
}

bool FormSelection::SelectPage(FormBase* page)
{
    const auto found = items_.find(page);
    return found != items_.end() && TreeView_SelectItem(tree_, found->second);
}

std::vector<FormBase*> FormSelection::PagesInOrder() const
{
    std::vector<FormBase*> pages;
    // Depth first: an item, then its children, then its next sibling.
    std::vector<HTREEITEM> pending;
    for (HTREEITEM item = TreeView_GetRoot(tree_); item != nullptr || !pending.empty();)
    {
        if (item == nullptr)
        {
            item = pending.back();
            pending.pop_back();
            continue;
        }
        TVITEMW data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        if (TreeView_GetItem(tree_, &data))
            pages.push_back(reinterpret_cast<FormBase*>(data.lParam));
        HTREEITEM next = TreeView_GetNextSibling(tree_, item);
        HTREEITEM child = TreeView_GetChild(tree_, item);
        if (child != nullptr)
        {
            if (next != nullptr)
                pending.push_back(next);
            item = child;
        }
        else
        {
            item = next;
        }
    }
    return pages;
}

std::wstring FormSelection::ItemText(FormBase* page) const
{
    const auto found = items_.find(page);
    if (found == items_.end())
        return std::wstring();
    wchar_t text[128] = L"";
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = found->second;
    item.pszText = text;
    item.cchTextMax = 128;
    return TreeView_GetItem(tree_, &item) ? text : L"";
}

bool FormSelection::OnCommand(UINT id, UINT code, HWND control)
{
    (void)SendMessageW(GetParent(Hwnd()), WM_COMMAND, MAKEWPARAM(id, code),
                       reinterpret_cast<LPARAM>(control));
    return true;
}

bool FormSelection::OnNotify(const NMHDR& header, LRESULT& result)
{
    result = SendMessageW(GetParent(Hwnd()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}
