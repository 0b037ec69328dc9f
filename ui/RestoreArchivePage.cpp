#include "ui/RestoreArchivePage.h"

#include "base/JobState.h"
#include "base/Settings.h"
#include "framework/FileDialog.h"
#include "res/resource.h"
#include "restore/ArchiveReader.h"

#include <cstdio>
#include <cstring>
#include <string>

CRestoreArchivePage::CRestoreArchivePage() : CWizardPage(IDD_RESTORE_ARCHIVE)
{
    m_szFolder[0] = 0;
    RouteCommand(IDC_RESTORE_ARCHIVE_NAME, CBN_EDITCHANGE, &CRestoreArchivePage::OnTextEdited);
    RouteCommand(IDC_RESTORE_ARCHIVE_NAME, CBN_SELCHANGE, &CRestoreArchivePage::OnSelectionChanged);
    RouteCommand(IDC_FILE_BROWSE, BN_CLICKED, &CRestoreArchivePage::OnBrowse);
}

BOOL CRestoreArchivePage::OnInitDialog()
{
    AttachDlgItem(m_Name, IDC_RESTORE_ARCHIVE_NAME);
    m_Name.LimitText(MAX_PATH - 1);
    const char* folder = GetSettings().ZMAFolder;
    size_t n = std::strlen(folder);
    std::snprintf(m_szFolder, MAX_PATH, "%s%s", folder, n && folder[n - 1] != '\\' ? "\\" : "");
    return TRUE;
}

BOOL CRestoreArchivePage::OnSetActive()
{
    FillList();
    return TRUE;
}

void CRestoreArchivePage::FillList()
{
    char text[MAX_PATH];
    m_Name.GetWindowText(text, MAX_PATH);
    m_Name.ResetContent();
    m_Name.SetWindowText(text);
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((std::string(m_szFolder) + "*.zma").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                m_Name.AddString(fd.cFileName);
        } while (::FindNextFileA(find, &fd));
        ::FindClose(find);
    }
    UseName(text);
}

// The archive the job restores: the name in the page's folder, or a full path
// as it stands.
void CRestoreArchivePage::UseName(const char* name)
{
    bool full = (name[0] && name[1] == ':') || name[0] == '\\';
    if (!name[0])
        g_szArchiveName[0] = 0;
    else
        std::snprintf(g_szArchiveName, MAX_PATH, "%s%s", full ? "" : m_szFolder, name);
    ShowInputComplete(name[0] != 0);
}

void CRestoreArchivePage::OnTextEdited()
{
    char text[MAX_PATH];
    m_Name.GetWindowText(text, MAX_PATH);
    UseName(text);
}

void CRestoreArchivePage::OnSelectionChanged()
{
    char text[MAX_PATH] = "";
    int sel = m_Name.GetCurSel();
    if (sel >= 0 && m_Name.GetLBTextLen(sel) < MAX_PATH)
        m_Name.GetLBText(sel, text);
    UseName(text);
}

void CRestoreArchivePage::OnBrowse()
{
    const char* folder = GetSettings().ZMAFolder;
    size_t n = std::strlen(folder);
    char initial[MAX_PATH];
    std::snprintf(initial, MAX_PATH, "%s%s*.zma", folder, n && folder[n - 1] != '\\' ? "\\" : "");
    CFileDialog dlg(TRUE, "zma", initial, OFN_HIDEREADONLY, "ZM-архивы|*.zma|Все файлы|*.*||", this);
    dlg.SetTitle("Открытие архива");
    if (dlg.DoModal() != IDOK)
        return;
    const char* path = dlg.GetPathName();
    const char* slash = std::strrchr(path, '\\');
    m_Name.SetWindowText(slash ? slash + 1 : path);
    if (slash && (size_t)(slash - path) + 1 < MAX_PATH) {
        std::memcpy(m_szFolder, path, (size_t)(slash - path) + 1);
        m_szFolder[slash - path + 1] = 0;
    }
    FillList();
}

LRESULT CRestoreArchivePage::OnWizardNext()
{
    CArchiveReader reader;
    ArchiveHeader header;
    if (reader.Open(g_szArchiveName) && reader.ReadHeader(header) &&
        CArchiveReader::IsArchiveMagic(header.magic))
        return 0;
    ::MessageBoxA(GetSheetWindow(), "Выбранный файл не является ZM-архивом", "Zelmora: Ошибка",
                  MB_OK | MB_ICONERROR);
    return -1;
}
