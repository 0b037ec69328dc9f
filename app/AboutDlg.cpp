#include "app/AboutDlg.h"

#include "base/SystemCalls.h"
#include "framework/WinApp.h"
#include "res/resource.h"

const char CAboutDlg::kSiteUrl[] = "http://www.quorvane.example";
const char CAboutDlg::kMakerMail[] = "mailto:Quorvane<info@quorvane.example>";
const char CAboutDlg::kCodeMail[] = "mailto:Andrey Vorontsov<andrey@quorvane.example>";
const char CAboutDlg::kArtMail[] = "mailto:Maria Lebedeva<maria@quorvane.example>";

CAboutDlg::CAboutDlg(CWnd* pParentWnd) : CDialog(IDD_ABOUT, pParentWnd)
{
    RouteCommand(IDC_ABOUT_SITE, STN_CLICKED, &CAboutDlg::OnSiteClicked);
    RouteCommand(IDC_ABOUT_MAIL, STN_CLICKED, &CAboutDlg::OnMailClicked);
    RouteCommand(IDC_ABOUT_MAIL_CODE, STN_CLICKED, &CAboutDlg::OnMailClicked);
    RouteCommand(IDC_ABOUT_MAIL_ART, STN_CLICKED, &CAboutDlg::OnMailClicked);
}

void CAboutDlg::OpenTarget(HWND parent, const char* target)
{
    g_SystemCalls.pfnShellExecute(parent, nullptr, target, nullptr, nullptr, SW_SHOWDEFAULT);
}

BOOL CAboutDlg::OnInitDialog()
{
    SetIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_MAIN)), TRUE);
    m_SiteLink.SubclassWindow(::GetDlgItem(m_hWnd, IDC_ABOUT_SITE));
    m_MailLink.SubclassWindow(::GetDlgItem(m_hWnd, IDC_ABOUT_MAIL));
    m_CodeMailLink.SubclassWindow(::GetDlgItem(m_hWnd, IDC_ABOUT_MAIL_CODE));
    m_ArtMailLink.SubclassWindow(::GetDlgItem(m_hWnd, IDC_ABOUT_MAIL_ART));
    return TRUE;
}

void CAboutDlg::OnSiteClicked() { OpenWebSite(m_hWnd); }

void CAboutDlg::OnMailClicked(UINT id)
{
    const char* target = id == IDC_ABOUT_MAIL ? kMakerMail : id == IDC_ABOUT_MAIL_CODE ? kCodeMail : kArtMail;
    OpenTarget(m_hWnd, target);
}
