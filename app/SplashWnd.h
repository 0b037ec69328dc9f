// The start-up picture: a topmost pop-up showing bitmap 180 for 750 ms; when it
// goes it shows its owner, the main window. Created on the heap, it deletes
// itself once its window is gone.
#pragma once

#include "framework/WindowImpl.h"

class CSplashWnd : public CWindowImpl {
public:
    CSplashWnd();
    // Creates, centres, shows and paints the window; pSelf (if given) is cleared
    // when the object deletes itself.
    BOOL Create(CWnd* pOwner, CSplashWnd** pSelf = nullptr);

    enum { TIMER_ID = 1, SHOW_TIME_MS = 750, WIDTH = 350, HEIGHT = 256 };

protected:
    void OnPaint() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    void PostNcDestroy() override;

    HWND m_hOwner;
    CSplashWnd** m_pSelf;
};
