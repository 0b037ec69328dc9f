#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE), m_bDefaulted(FALSE)
{
}

CDialog::~CDialog()
{
    if (!m_bModal && m_hWnd && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this) {
        CWinApp::RemoveModeless(m_hWnd);
        HWND h = m_hWnd;
        Unbind();
        ::DestroyWindow(h);
    }
}

INT_PTR CDialog::DoModal()
{
    m_bModal = TRUE;
    s_pCreating = this;
    INT_PTR r = ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                  AfxGetOwnerWindow(m_pParentWnd, this), &CDialog::StaticDialogProc,
                                  (LPARAM)this);
    s_pCreating = nullptr;
    m_bModal = FALSE;
    return r;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (nIDTemplate)
        m_nIDTemplate = nIDTemplate;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    s_pCreating = this;
    HWND h = ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                  m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr,
                                  &CDialog::StaticDialogProc, (LPARAM)this);
    s_pCreating = nullptr;
    if (!h)
        return FALSE;
    CWinApp::AddModeless(h);
    return TRUE;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_bModal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = static_cast<CDialog*>(FromHandle(hWnd));
    if (!self && s_pCreating) {
        self = static_cast<CDialog*>(s_pCreating);
        s_pCreating = nullptr;
        self->Bind(hWnd);
    }
    if (!self && msg == WM_INITDIALOG && lParam) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->Bind(hWnd);
    }
    if (!self)
        return FALSE;
    return self->DialogDispatch(msg, wParam, lParam);
}

INT_PTR CDialog::DialogDispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = m_hWnd;
    if (msg == WM_NCDESTROY) {
        CWinApp::RemoveModeless(hWnd);
        DetachDlgItems(); // the controls are gone already
        Dispatch(msg, wParam, lParam); // the object may be gone afterwards
        return FALSE;
    }
    BOOL saved = m_bDefaulted;
    m_bDefaulted = FALSE;
    LRESULT r = Dispatch(msg, wParam, lParam);
    BOOL defaulted = m_bDefaulted;
    m_bDefaulted = saved;
    if (defaulted)
        return FALSE;
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return (INT_PTR)r;
    default:
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, (LONG_PTR)r);
        return TRUE;
    }
}

LRESULT CDialog::DefaultProc(UINT, WPARAM, LPARAM)
{
    m_bDefaulted = TRUE;
    return 0;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        return OnInitDialog();
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC && msg != WM_CTLCOLORDLG) {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control && control != m_hWnd && FromHandle(control)) {
            LRESULT brush = ::SendMessageA(control, WM_REFLECT_BASE + msg, wParam, lParam);
            if (brush)
                return brush;
        }
    }
    if (msg == WM_NOTIFY) {
        const NMHDR* pnmh = reinterpret_cast<const NMHDR*>(lParam);
        if (!pnmh || !IsNotifySource(pnmh))
            return Default();
    }
    return CWindowImpl::WindowProc(msg, wParam, lParam);
}

BOOL CDialog::IsNotifySource(const NMHDR* pnmh) const
{
    HWND from = pnmh->hwndFrom;
    if (!from || !m_hWnd)
        return FALSE;
    // The dialog itself may notify itself.
    if (from == m_hWnd)
        return TRUE;
    // One of its controls: a child (not an owned popup, for which GetParent
    // gives the owner) reporting its own id.
    return (::GetWindowLongA(from, GWL_STYLE) & WS_CHILD) && ::GetParent(from) == m_hWnd &&
           ::GetDlgCtrlID(from) == (int)pnmh->idFrom;
}

BOOL CDialog::AttachDlgItem(CWnd& control, int id)
{
    control.Attach(::GetDlgItem(m_hWnd, id));
    if (!control.m_hWnd)
        return FALSE;
    for (CWnd* attached : m_dlgItems)
        if (attached == &control)
            return TRUE;
    m_dlgItems.push_back(&control);
    return TRUE;
}

void CDialog::DetachDlgItems()
{
    for (CWnd* control : m_dlgItems)
        control->Detach();
    m_dlgItems.clear();
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnCommand(UINT id, UINT code, HWND)
{
    if (m_map.HandleCommand(this, id, code))
        return;
    if (id == IDOK && code == BN_CLICKED)
        OnOK();
    else if (id == IDCANCEL && code == BN_CLICKED)
        OnCancel();
    else
        Default();
}

LRESULT CDialog::OnNotify(int, NMHDR* pnmh)
{
    LRESULT result = 0;
    if (m_map.HandleNotify(this, pnmh, &result))
        return result;
    return Default();
}

void CDialog::OnNcDestroy() { Default(); }
