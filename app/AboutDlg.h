// The About box: name and version, the maker with its web site and mail, and
// the two credited people with their mail, each address a link that hands
// itself to the shell (browser or mail program).
#pragma once

#include "app/HyperLink.h"
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    // The maker's web address, and the mail targets of the maker and of the two
    // credited people ("mailto:" display name <address>).
    static const char kSiteUrl[];
    static const char kMakerMail[];
    static const char kCodeMail[];
    static const char kArtMail[];

    explicit CAboutDlg(CWnd* pParentWnd = nullptr);

    // Shell-opens a target (a web address or a mail target) with the default
    // verb; nothing is reported when no program takes it.
    static void OpenTarget(HWND parent, const char* target);
    // Opens the maker's web site.
    static void OpenWebSite(HWND parent) { OpenTarget(parent, kSiteUrl); }

    CHyperLink m_SiteLink;
    CHyperLink m_MailLink;
    CHyperLink m_CodeMailLink;
    CHyperLink m_ArtMailLink;

protected:
    BOOL OnInitDialog() override;

    void OnSiteClicked();
    void OnMailClicked(UINT id);
};
