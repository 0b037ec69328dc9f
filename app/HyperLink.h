// A static text control shown as a link: the hand cursor over it, underlined
// while the pointer is on it, drawn in the hot-tracking colour, and reporting
// clicks to its parent (STN_CLICKED). Attached to a dialog's static control
// with SubclassWindow; the parent must reflect colour requests (CDialog does).
#pragma once

#include "framework/WindowImpl.h"

class CHyperLink : public CWindowImpl {
public:
    enum { HOVER_TIMER = 1, HOVER_PERIOD_MS = 50 };

    CHyperLink();
    ~CHyperLink() override;

    // Takes over the control: adds SS_NOTIFY (so that it reports clicks) and
    // makes the normal and underlined fonts from the control's font.
    BOOL SubclassWindow(HWND hWnd);

    BOOL IsHovering() const { return m_bHover; }
    HFONT GetNormalFont() const { return m_hNormalFont; }
    HFONT GetUnderlineFont() const { return m_hUnderlineFont; }
    // The text colour: the hot-tracking colour where the colour scheme has
    // one, else the selection colour.
    static COLORREF LinkColor();
    // The choice behind it. A hot-tracking colour that barely stands out from
    // the face of the dialog (some schemes make it a light grey) would hide
    // the link, so the selection colour is taken then too.
    static COLORREF ChooseLinkColor(BOOL hasHotTracking, COLORREF hotTracking, COLORREF selection,
                                    COLORREF face);

protected:
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    LRESULT OnSetCursor();
    void OnMouseMove(LPARAM lParam);
    HBRUSH OnReflectedColor(HDC dc);
    void CreateFonts();
    void ReleaseGdiObjects();

    HFONT m_hNormalFont;
    HFONT m_hUnderlineFont;
    BOOL m_bHover;
    HBRUSH m_hBackground;
};
