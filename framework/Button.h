// Button control wrapper (push buttons, check boxes, radio buttons).
#pragma once

#include "framework/Wnd.h"

#ifdef _WIN32
class CButton : public CWnd {
public:
    CButton() {}
    explicit CButton(HWND hWnd) : CWnd(hWnd) {}

    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int check) const { SendMessage(BM_SETCHECK, (WPARAM)check); }
    void Click() const { SendMessage(BM_CLICK); }
    // Sets the picture of a button with the icon or bitmap style; returns the old one.
    HICON SetIcon(HICON icon) const { return (HICON)SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)icon); }
    HICON GetIcon() const { return (HICON)SendMessage(BM_GETIMAGE, IMAGE_ICON); }
    HBITMAP SetBitmap(HBITMAP bmp) const
    {
        return (HBITMAP)SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp);
    }
};
#endif
