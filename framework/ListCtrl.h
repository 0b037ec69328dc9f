// List-view control wrapper (report style lists of lines with small images).
#pragma once

#include "framework/Wnd.h"

#ifdef _WIN32
#include <commctrl.h>

class CListCtrl : public CWnd {
public:
    CListCtrl() {}
    explicit CListCtrl(HWND hWnd) : CWnd(hWnd) {}

    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    BOOL DeleteAllItems() const { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    // Inserts a line at index (or at the end for a large index); returns its index.
    int InsertItem(int index, LPCSTR text, int image = -1) const
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
        item.iItem = index;
        item.pszText = const_cast<LPSTR>(text);
        item.iImage = image;
        return (int)SendMessage(LVM_INSERTITEMA, 0, (LPARAM)&item);
    }
    // Appends a line; returns its index.
    int AddLine(LPCSTR text, int image = -1) const { return InsertItem(GetItemCount(), text, image); }
    BOOL SetItemText(int index, int column, LPCSTR text) const
    {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = const_cast<LPSTR>(text);
        return (BOOL)SendMessage(LVM_SETITEMTEXTA, (WPARAM)index, (LPARAM)&item);
    }
    int GetItemText(int index, int column, LPSTR text, int size) const
    {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = size;
        return (int)SendMessage(LVM_GETITEMTEXTA, (WPARAM)index, (LPARAM)&item);
    }
    BOOL SetItemImage(int index, int image) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        item.iImage = image;
        return (BOOL)SendMessage(LVM_SETITEMA, 0, (LPARAM)&item);
    }
    int GetItemImage(int index) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        SendMessage(LVM_GETITEMA, 0, (LPARAM)&item);
        return item.iImage;
    }
    BOOL EnsureVisible(int index) const { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, (WPARAM)index, FALSE); }
    HIMAGELIST SetImageList(HIMAGELIST list, int type = LVSIL_SMALL) const
    {
        return (HIMAGELIST)SendMessage(LVM_SETIMAGELIST, (WPARAM)type, (LPARAM)list);
    }
    DWORD SetExtendedStyle(DWORD style) const
    {
        return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)style);
    }
    BOOL SetColumnWidth(int column, int width) const
    {
        return (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, (WPARAM)column, MAKELPARAM(width, 0));
    }
    BOOL DeleteItem(int index) const { return (BOOL)SendMessage(LVM_DELETEITEM, (WPARAM)index); }
    int InsertColumn(int index, LPCSTR heading, int width) const
    {
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = const_cast<LPSTR>(heading);
        col.cx = width;
        return (int)SendMessage(LVM_INSERTCOLUMNA, (WPARAM)index, (LPARAM)&col);
    }
};
#endif
