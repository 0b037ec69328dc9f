// Edit control wrapper.
#pragma once

#include "framework/Wnd.h"

#ifdef _WIN32
class CEdit : public CWnd {
public:
    CEdit() {}
    explicit CEdit(HWND hWnd) : CWnd(hWnd) {}

    void SetLimitText(UINT max) const { SendMessage(EM_LIMITTEXT, (WPARAM)max); }
    void SetSel(int start, int end) const { SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)end); }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE) const
    {
        SendMessage(EM_REPLACESEL, (WPARAM)canUndo, (LPARAM)text);
    }
    void SetReadOnly(BOOL readOnly = TRUE) const { SendMessage(EM_SETREADONLY, (WPARAM)readOnly); }
    BOOL GetModify() const { return (BOOL)SendMessage(EM_GETMODIFY); }
};
#endif
