// Static text control wrapper.
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd {
public:
    CStatic() {}
    explicit CStatic(HWND hWnd) : CWnd(hWnd) {}

#ifdef _WIN32
    // Pictures of statics with the bitmap or icon style; return the old one.
    HBITMAP SetBitmap(HBITMAP bmp) const { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp); }
    HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(STM_GETIMAGE, IMAGE_BITMAP); }
    HICON SetIcon(HICON icon) const { return (HICON)SendMessage(STM_SETICON, (WPARAM)icon); }
#endif
};
