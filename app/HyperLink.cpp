#include "app/HyperLink.h"

#include "framework/WinApp.h"
#include "res/resource.h"

CHyperLink::CHyperLink() : m_hNormalFont(nullptr), m_hUnderlineFont(nullptr), m_bHover(FALSE), m_hBackground(nullptr)
{
}

CHyperLink::~CHyperLink() { ReleaseGdiObjects(); }

BOOL CHyperLink::SubclassWindow(HWND hWnd)
{
    if (!CWindowImpl::SubclassWindow(hWnd))
        return FALSE;
    ::SetWindowLongPtrA(hWnd, GWL_STYLE, GetStyle() | SS_NOTIFY);
    m_bHover = FALSE;
    CreateFonts();
    return TRUE;
}

namespace {

// Brightness of a colour, 0..255, as the eye weighs red, green and blue.
int Brightness(COLORREF c)
{
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

} // namespace

COLORREF CHyperLink::ChooseLinkColor(BOOL hasHotTracking, COLORREF hotTracking, COLORREF selection, COLORREF face)
{
    const int kLeastContrast = 64;
    int contrast = Brightness(hotTracking) - Brightness(face);
    if (hasHotTracking && (contrast >= kLeastContrast || contrast <= -kLeastContrast))
        return hotTracking;
    return selection;
}

COLORREF CHyperLink::LinkColor()
{
    // A scheme without the colour has no brush for it.
    return ChooseLinkColor(::GetSysColorBrush(COLOR_HOTLIGHT) != nullptr, ::GetSysColor(COLOR_HOTLIGHT),
                           ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_BTNFACE));
}

void CHyperLink::CreateFonts()
{
    if (m_hNormalFont)
        return;
    HFONT font = (HFONT)SendMessage(WM_GETFONT);
    if (!font)
        font = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    if (!font)
        font = (HFONT)::GetStockObject(ANSI_VAR_FONT);
    LOGFONTA lf = {};
    if (!font || !::GetObjectA(font, sizeof(lf), &lf))
        return;
    lf.lfUnderline = FALSE;
    m_hNormalFont = ::CreateFontIndirectA(&lf);
    lf.lfUnderline = TRUE;
    m_hUnderlineFont = ::CreateFontIndirectA(&lf);
    SendMessage(WM_SETFONT, (WPARAM)m_hNormalFont, TRUE);
}

void CHyperLink::ReleaseGdiObjects()
{
    if (m_hNormalFont)
        ::DeleteObject(m_hNormalFont);
    if (m_hUnderlineFont)
        ::DeleteObject(m_hUnderlineFont);
    if (m_hBackground)
        ::DeleteObject(m_hBackground);
    m_hNormalFont = m_hUnderlineFont = nullptr;
    m_hBackground = nullptr;
}

int CHyperLink::OnCreate(CREATESTRUCTA*)
{
    int result = (int)Default();
    CreateFonts();
    return result;
}

void CHyperLink::OnDestroy()
{
    Default();
    if (m_bHover)
        KillTimer(HOVER_TIMER);
    m_bHover = FALSE;
    ReleaseGdiObjects();
}

LRESULT CHyperLink::OnSetCursor()
{
    ::SetCursor(::LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_LINK_CURSOR)));
    return TRUE;
}

void CHyperLink::OnMouseMove(LPARAM lParam)
{
    RECT client;
    GetClientRect(&client);
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (::PtInRect(&client, pt) && !m_bHover) {
        m_bHover = TRUE;
        // The control hears of the pointer only while it is over it: the
        // timer notices when it has gone, wherever it went.
        SetTimer(HOVER_TIMER, HOVER_PERIOD_MS);
        if (m_hUnderlineFont)
            SendMessage(WM_SETFONT, (WPARAM)m_hUnderlineFont, TRUE);
    }
    Default();
}

void CHyperLink::OnTimer(UINT_PTR id)
{
    DWORD pos = ::GetMessagePos();
    POINT pt = {(short)LOWORD(pos), (short)HIWORD(pos)};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client;
    GetClientRect(&client);
    if (id == HOVER_TIMER && !::PtInRect(&client, pt) && m_bHover) {
        m_bHover = FALSE;
        KillTimer(HOVER_TIMER);
        if (m_hNormalFont)
            SendMessage(WM_SETFONT, (WPARAM)m_hNormalFont, TRUE);
    }
    Default();
}

HBRUSH CHyperLink::OnReflectedColor(HDC dc)
{
    ::SetTextColor(dc, LinkColor());
    ::SetBkMode(dc, TRANSPARENT);
    if (!m_hBackground)
        m_hBackground = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    return m_hBackground;
}

LRESULT CHyperLink::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETCURSOR:
        return OnSetCursor();
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return 0;
    case WM_REFLECT_BASE + WM_CTLCOLORSTATIC:
        return (LRESULT)OnReflectedColor((HDC)wParam);
    default:
        return Default();
    }
}
