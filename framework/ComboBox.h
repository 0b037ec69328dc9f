// Combo box control wrapper.
#pragma once

#include "framework/Wnd.h"

#ifdef _WIN32
class CComboBox : public CWnd {
public:
    CComboBox() {}
    explicit CComboBox(HWND hWnd) : CWnd(hWnd) {}

    int AddString(LPCSTR text) const { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)text); }
    int InsertString(int index, LPCSTR text) const
    {
        return (int)SendMessage(CB_INSERTSTRING, (WPARAM)index, (LPARAM)text);
    }
    int DeleteString(int index) const { return (int)SendMessage(CB_DELETESTRING, (WPARAM)index); }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int index) const { return (int)SendMessage(CB_SETCURSEL, (WPARAM)index); }
    int GetLBTextLen(int index) const { return (int)SendMessage(CB_GETLBTEXTLEN, (WPARAM)index); }
    // Copies item text into a buffer of at least GetLBTextLen + 1 characters.
    int GetLBText(int index, LPSTR text) const
    {
        return (int)SendMessage(CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
    }
    int FindStringExact(int start, LPCSTR text) const
    {
        return (int)SendMessage(CB_FINDSTRINGEXACT, (WPARAM)start, (LPARAM)text);
    }
    int SelectString(int start, LPCSTR text) const
    {
        return (int)SendMessage(CB_SELECTSTRING, (WPARAM)start, (LPARAM)text);
    }
    BOOL LimitText(int max) const { return (BOOL)SendMessage(CB_LIMITTEXT, (WPARAM)max); }
    LRESULT GetItemData(int index) const { return SendMessage(CB_GETITEMDATA, (WPARAM)index); }
    int SetItemData(int index, LPARAM data) const
    {
        return (int)SendMessage(CB_SETITEMDATA, (WPARAM)index, data);
    }
    BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
};
#endif
