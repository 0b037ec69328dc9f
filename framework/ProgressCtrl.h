// Progress bar control wrapper.
#pragma once

#include "framework/Wnd.h"

#ifdef _WIN32
#include <commctrl.h>
#endif

class CProgressCtrl : public CWnd {
public:
    CProgressCtrl() {}
    explicit CProgressCtrl(HWND hWnd) : CWnd(hWnd) {}

    void SetRange(int lower, int upper) const { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    int SetPos(int pos) const { return (int)SendMessage(PBM_SETPOS, (WPARAM)pos, 0); }
    int GetPos() const { return (int)SendMessage(PBM_GETPOS, 0, 0); }
};
