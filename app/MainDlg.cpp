#include "app/MainDlg.h"

#include "framework/Button.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

struct ButtonPicture {
    UINT button;
    UINT bitmap;
};
const ButtonPicture kButtons[CMainDlg::WIZARD_COUNT] = {
    {IDC_ARCHIVE, IDB_ARCHIVE}, {IDC_RESTORE, IDB_RESTORE}, {IDC_SCAN, IDB_SCAN}, {IDC_COMPARE, IDB_COMPARE}};

} // namespace

CMainDlg::CMainDlg()
    : CDialog(IDD_MAIN), m_CompareSheet(&m_ArchiveSheet),
      m_pWizards{&m_ArchiveSheet, &m_RestoreSheet, &m_ScanSheet, &m_CompareSheet},
      m_hIcons()
{
    g_pArchiveSheet = &m_ArchiveSheet;
    g_pRestoreSheet = &m_RestoreSheet;
    g_pScanSheet = &m_ScanSheet;
    g_pCompareSheet = &m_CompareSheet;
}

CMainDlg::~CMainDlg()
{
    CWizardSheet** pointers[WIZARD_COUNT] = {&g_pArchiveSheet, &g_pRestoreSheet, &g_pScanSheet,
                                             &g_pCompareSheet};
    for (int i = 0; i < WIZARD_COUNT; ++i)
        if (*pointers[i] == m_pWizards[i])
            *pointers[i] = nullptr;
    for (HICON& icon : m_hIcons)
        if (icon) {
            ::DestroyIcon(icon);
            icon = nullptr;
        }
}

BOOL CMainDlg::OnInitDialog()
{
    m_ImageList.Create(64, 64, ILC_COLOR16 | ILC_MASK, 4, 4);
    for (int i = 0; i < WIZARD_COUNT; ++i) {
        HBITMAP bmp = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(kButtons[i].bitmap));
        if (!bmp)
            continue; // the button stays without a picture
        m_ImageList.Add(bmp, RGB(255, 255, 255));
        ::DeleteObject(bmp);
        if (m_hIcons[i])
            ::DestroyIcon(m_hIcons[i]);
        m_hIcons[i] = m_ImageList.ExtractIcon(m_ImageList.GetImageCount() - 1);
        CButton(::GetDlgItem(m_hWnd, kButtons[i].button)).SetIcon(m_hIcons[i]);
    }
    return TRUE;
}

void CMainDlg::OnDestroy()
{
    Default();
    m_ImageList.DeleteImageList();
}

void CMainDlg::OnCommand(UINT id, UINT code, HWND hCtl)
{
    if (code == BN_CLICKED) {
        for (int i = 0; i < WIZARD_COUNT; ++i)
            if (id == kButtons[i].button) {
                ShowWizard((Wizard)i);
                return;
            }
    }
    CDialog::OnCommand(id, code, hCtl);
}

void CMainDlg::ShowWizard(Wizard which)
{
    if (which >= 0 && which < WIZARD_COUNT && m_pWizards[which])
        m_pWizards[which]->DoModal();
}

void CMainDlg::OnOK() {}

void CMainDlg::OnCancel() {}
