#include "ui/CompareFilesPage.h"

#include "base/Settings.h"
#include "framework/FileDialog.h"
#include "res/resource.h"

#include <cstring>

namespace {

const UINT kBoxes[2] = {IDC_COMPARE_FIRST, IDC_COMPARE_SECOND};
const UINT kBrowse[2] = {IDC_COMPARE_FIRST_BROWSE, IDC_COMPARE_SECOND_BROWSE};
const char kReportMagic[8] = {'Z', 'M', 'R', 'F', 'v', '1', '.', '0'};

int BoxIndex(UINT id) { return id == kBoxes[1] || id == kBrowse[1] ? 1 : 0; }

// A name that names a file by itself: a drive, or a path from a root.
bool IsFullPath(const char* name)
{
    return (name[0] && name[1] == ':') || name[0] == '\\';
}

bool IsReport(const std::string& path)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    char magic[8];
    DWORD got = 0;
    bool ok = ::ReadFile(h, magic, sizeof magic, &got, nullptr) && got == sizeof magic &&
              std::memcmp(magic, kReportMagic, sizeof magic) == 0;
    ::CloseHandle(h);
    return ok;
}

} // namespace

CCompareFilesPage::CCompareFilesPage() : CWizardPage(IDD_COMPARE_FILES)
{
    m_szFolder[0] = 0;
    m_szNames[0][0] = m_szNames[1][0] = 0;
    for (int i = 0; i < 2; i++) {
        RouteCommand(kBoxes[i], CBN_EDITCHANGE, &CCompareFilesPage::OnTextEdited);
        RouteCommand(kBoxes[i], CBN_SELCHANGE, &CCompareFilesPage::OnSelectionChanged);
        RouteCommand(kBrowse[i], BN_CLICKED, &CCompareFilesPage::OnBrowse);
    }
}

std::string CCompareFilesPage::PathOf(const char* name) const
{
    return IsFullPath(name) ? std::string(name) : std::string(m_szFolder) + name;
}

BOOL CCompareFilesPage::OnInitDialog()
{
    for (int i = 0; i < 2; i++) {
        AttachDlgItem(m_Boxes[i], kBoxes[i]);
        m_Boxes[i].LimitText(MAX_PATH - 1);
    }
    // Each run starts in the report folder, both boxes empty.
    const char* folder = GetSettings().ZMRFolder;
    size_t n = std::strlen(folder);
    lstrcpynA(m_szFolder, folder, MAX_PATH - 1);
    if (n && folder[n - 1] != '\\' && n + 1 < MAX_PATH)
        std::strcat(m_szFolder, "\\");
    m_szNames[0][0] = m_szNames[1][0] = 0;
    return TRUE;
}

BOOL CCompareFilesPage::OnSetActive()
{
    FillLists();
    return TRUE;
}

void CCompareFilesPage::FillLists()
{
    char texts[2][MAX_PATH];
    for (int i = 0; i < 2; i++) {
        m_Boxes[i].GetWindowText(texts[i], MAX_PATH);
        m_Boxes[i].ResetContent();
        m_Boxes[i].SetWindowText(texts[i]);
        lstrcpyA(m_szNames[i], texts[i]);
    }
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((std::string(m_szFolder) + "*.zmr").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            for (CComboBox& box : m_Boxes)
                box.AddString(fd.cFileName);
        } while (::FindNextFileA(find, &fd));
        ::FindClose(find);
    }
    ShowButtons();
}

void CCompareFilesPage::ShowButtons() const
{
    ShowInputComplete(m_szNames[0][0] && m_szNames[1][0] && std::strcmp(m_szNames[0], m_szNames[1]) != 0);
}

void CCompareFilesPage::OnTextEdited(UINT)
{
    for (int i = 0; i < 2; i++)
        m_Boxes[i].GetWindowText(m_szNames[i], MAX_PATH);
    ShowButtons();
}

void CCompareFilesPage::OnSelectionChanged(UINT)
{
    // The selected entries: a box with none counts as empty.
    for (int i = 0; i < 2; i++) {
        int sel = m_Boxes[i].GetCurSel();
        m_szNames[i][0] = 0;
        if (sel >= 0 && m_Boxes[i].GetLBTextLen(sel) < MAX_PATH)
            m_Boxes[i].GetLBText(sel, m_szNames[i]);
    }
    ShowButtons();
}

void CCompareFilesPage::OnBrowse(UINT id)
{
    int i = BoxIndex(id);
    std::string initial = std::string(m_szFolder) + "*.zmr";
    CFileDialog dlg(TRUE, "zmr", initial.c_str(), OFN_HIDEREADONLY,
                    "Файлы с отчетами|*.zmr|Все файлы|*.*||", this);
    dlg.SetTitle("Открытие файла с отчетом");
    if (dlg.DoModal() != IDOK)
        return;
    const char* path = dlg.GetPathName();
    const char* slash = std::strrchr(path, '\\');
    m_Boxes[i].SetWindowText(slash ? slash + 1 : path);
    if (slash) {
        size_t n = (size_t)(slash - path) + 1;
        if (n < MAX_PATH) {
            std::memcpy(m_szFolder, path, n);
            m_szFolder[n] = 0;
        }
    }
    FillLists();
}

LRESULT CCompareFilesPage::OnWizardNext()
{
    // The job takes the boxes' texts as they stand.
    for (int i = 0; i < 2; i++)
        m_Boxes[i].GetWindowText(m_szNames[i], MAX_PATH);
    for (int i = 0; i < 2; i++) {
        if (IsReport(PathOf(m_szNames[i])))
            continue;
        std::string text = std::string("Файл ") + m_szNames[i] + " не содержит отчет";
        ::MessageBoxA(GetSheetWindow(), text.c_str(), "Zelmora: Ошибка", MB_OK | MB_ICONERROR);
        return -1;
    }
    return 0;
}
