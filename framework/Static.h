// Static text control wrapper.
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd {
public:
    CStatic() {}
    explicit CStatic(HWND hWnd) : CWnd(hWnd) {}
};
