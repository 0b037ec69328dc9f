#include "ui/CompareResultPage.h"

#include "ui/ArchiveSheet.h"
#include "base/Settings.h"
#include "compare/Compare.h"
#include "ui/CompareFilesPage.h"
#include "framework/FileDialog.h"
#include "res/resource.h"

#include <cstring>

CCompareResultPage::CCompareResultPage(const CCompareFilesPage* pFilesPage, CArchiveSheet* pArchiveSheet)
    : CProgressPage(IDD_COMPARE_RESULT, RUNTIME_CLASS(CCompare), &CSettings::CompareThreadPriority),
      m_pFilesPage(pFilesPage), m_pArchiveSheet(pArchiveSheet)
{
    RouteCommand(IDC_RESULT_COPY, BN_CLICKED, &CCompareResultPage::OnCopy);
    RouteCommand(IDC_RESULT_SAVE, BN_CLICKED, &CCompareResultPage::OnSave);
    RouteCommand(IDC_RESULT_BACKUP, BN_CLICKED, &CCompareResultPage::OnBackup);
}

BOOL CCompareResultPage::OnInitDialog()
{
    CProgressPage::OnInitDialog();
    AttachDlgItem(m_Save, IDC_RESULT_SAVE);
    AttachDlgItem(m_Copy, IDC_RESULT_COPY);
    AttachDlgItem(m_Backup, IDC_RESULT_BACKUP);
    return TRUE;
}

volatile BYTE* CCompareResultPage::PrepareEngine(CWinThread* pEngine)
{
    CCompare* compare = static_cast<CCompare*>(pEngine);
    compare->SetPaths(m_pFilesPage->FirstPath().c_str(), m_pFilesPage->SecondPath().c_str());
    compare->SetTargets(this, &m_Copy, &m_Backup, &m_Save, &m_List);
    return &compare->m_bCancel;
}

std::string CCompareResultPage::ListText() const
{
    std::string text;
    int count = m_List.GetItemCount();
    for (int i = 0; i < count; i++) {
        // Lines may be long (paths and values): ask until the text fits.
        std::string line;
        for (int size = 512;; size *= 2) {
            line.assign((size_t)size, '\0');
            int n = m_List.GetItemText(i, 0, &line[0], size);
            if (n < size - 1 || size >= (1 << 20)) {
                line.resize((size_t)n);
                break;
            }
        }
        text += line;
        text += "\r\n";
    }
    return text;
}

void CCompareResultPage::OnCopy()
{
    std::string text = ListText();
    if (!::OpenClipboard(m_hWnd))
        return;
    // Other formats of an earlier copy must not stay beside this text.
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (block) {
        char* p = static_cast<char*>(::GlobalLock(block));
        std::memcpy(p, text.c_str(), text.size() + 1);
        ::GlobalUnlock(block);
        if (!::SetClipboardData(CF_TEXT, block))
            ::GlobalFree(block);
    }
    ::CloseClipboard();
}

void CCompareResultPage::OnSave()
{
    const char* folder = GetSettings().LOGFolder;
    size_t n = std::strlen(folder);
    std::string initial = std::string(folder) + (n && folder[n - 1] != '\\' ? "\\" : "") + "*.log";
    CFileDialog dlg(FALSE, "log", initial.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "LOG-файлы|*.log|Все файлы|*.*||", this);
    dlg.SetTitle("Сохранение отчета");
    if (dlg.DoModal() != IDOK)
        return;
    std::string text = ListText();
    HANDLE h = ::CreateFileA(dlg.GetPathName(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!text.empty())
        ::WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
    ::CloseHandle(h);
}

void CCompareResultPage::OnBackup()
{
    if (!m_pArchiveSheet)
        return;
    CWnd owner(GetSheetWindow());
    m_pArchiveSheet->DoModalPreloaded(&owner);
}
