// Tree view control wrapper.
#pragma once

#include "framework/Wnd.h"

#ifdef _WIN32
#include <commctrl.h>

class CTreeCtrl : public CWnd {
public:
    CTreeCtrl() {}
    explicit CTreeCtrl(HWND hWnd) : CWnd(hWnd) {}

    HTREEITEM InsertItem(LPCSTR text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST, LPARAM data = 0) const
    {
        TVINSERTSTRUCTA ins = {};
        ins.hParent = parent;
        ins.hInsertAfter = after;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM | (image >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
        ins.item.pszText = const_cast<LPSTR>(text);
        ins.item.iImage = image;
        ins.item.iSelectedImage = selectedImage;
        ins.item.lParam = data;
        return (HTREEITEM)SendMessage(TVM_INSERTITEMA, 0, (LPARAM)&ins);
    }
    // Inserts an item that shows an expand button before its children exist.
    HTREEITEM InsertItemWithChildren(LPCSTR text, int image, int selectedImage, HTREEITEM parent,
                                     HTREEITEM after = TVI_LAST, LPARAM data = 0) const
    {
        TVINSERTSTRUCTA ins = {};
        ins.hParent = parent;
        ins.hInsertAfter = after;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN |
                        (image >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
        ins.item.pszText = const_cast<LPSTR>(text);
        ins.item.iImage = image;
        ins.item.iSelectedImage = selectedImage;
        ins.item.cChildren = 1;
        ins.item.lParam = data;
        return (HTREEITEM)SendMessage(TVM_INSERTITEMA, 0, (LPARAM)&ins);
    }
    BOOL DeleteItem(HTREEITEM item) const { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)item); }
    BOOL DeleteAllItems() const { return DeleteItem(TVI_ROOT); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const
    {
        return (HTREEITEM)SendMessage(TVM_GETNEXTITEM, code, (LPARAM)item);
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item) const { return (BOOL)SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)item); }
    BOOL Expand(HTREEITEM item, UINT code = TVE_EXPAND) const
    {
        return (BOOL)SendMessage(TVM_EXPAND, code, (LPARAM)item);
    }
    int GetCount() const { return (int)SendMessage(TVM_GETCOUNT); }
    BOOL EnsureVisible(HTREEITEM item) const
    {
        return (BOOL)SendMessage(TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    }
    BOOL IsExpanded(HTREEITEM item) const { return (GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }
    BOOL GetItemText(HTREEITEM item, LPSTR text, int size) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = size;
        if (size > 0)
            text[0] = 0;
        return (BOOL)SendMessage(TVM_GETITEMA, 0, (LPARAM)&tv);
    }
    BOOL SetItemText(HTREEITEM item, LPCSTR text) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = const_cast<LPSTR>(text);
        return (BOOL)SendMessage(TVM_SETITEMA, 0, (LPARAM)&tv);
    }
    LPARAM GetItemData(HTREEITEM item) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        SendMessage(TVM_GETITEMA, 0, (LPARAM)&tv);
        return tv.lParam;
    }
    BOOL SetItemData(HTREEITEM item, LPARAM data) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_PARAM;
        tv.hItem = item;
        tv.lParam = data;
        return (BOOL)SendMessage(TVM_SETITEMA, 0, (LPARAM)&tv);
    }
    UINT GetItemState(HTREEITEM item, UINT mask) const
    {
        return (UINT)SendMessage(TVM_GETITEMSTATE, (WPARAM)item, (LPARAM)mask);
    }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_STATE;
        tv.hItem = item;
        tv.state = state;
        tv.stateMask = mask;
        return (BOOL)SendMessage(TVM_SETITEMA, 0, (LPARAM)&tv);
    }
    // Check boxes (TVS_CHECKBOXES): state image 1 is unchecked, 2 checked.
    BOOL GetCheck(HTREEITEM item) const
    {
        return ((GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
    }
    BOOL SetCheck(HTREEITEM item, BOOL check) const
    {
        return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), TVIS_STATEIMAGEMASK);
    }
    int GetItemImage(HTREEITEM item) const
    {
        TVITEMA tv = {};
        tv.mask = TVIF_IMAGE;
        tv.hItem = item;
        tv.iImage = -1;
        SendMessage(TVM_GETITEMA, 0, (LPARAM)&tv);
        return tv.iImage;
    }
    BOOL ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    // Sorts the direct children of an item with a comparison of their item data.
    BOOL SortChildrenCB(HTREEITEM parent, PFNTVCOMPARE compare, LPARAM param) const
    {
        TVSORTCB sort = {};
        sort.hParent = parent;
        sort.lpfnCompare = compare;
        sort.lParam = param;
        return (BOOL)SendMessage(TVM_SORTCHILDRENCB, 0, (LPARAM)&sort);
    }
    BOOL SortChildren(HTREEITEM parent) const
    {
        return (BOOL)SendMessage(TVM_SORTCHILDREN, 0, (LPARAM)parent);
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int type = TVSIL_NORMAL) const
    {
        return (HIMAGELIST)SendMessage(TVM_SETIMAGELIST, (WPARAM)type, (LPARAM)list);
    }
    HTREEITEM HitTest(POINT pt, UINT* flags = nullptr) const
    {
        TVHITTESTINFO hit = {};
        hit.pt = pt;
        HTREEITEM item = (HTREEITEM)SendMessage(TVM_HITTEST, 0, (LPARAM)&hit);
        if (flags)
            *flags = hit.flags;
        return item;
    }
};
#endif
