#include "restore/Restore.h"

#include "base/FileNames.h"
#include "base/JobState.h"
#include "restore/ArchiveNames.h"
#include "restore/ReplacingFile.h"
#include "scan/Scan.h"

#include <cstdio>
#include <cstring>
#include <new>

IMPLEMENT_DYNCREATE(CRestore, CCompress)

const char* const CRestore::kOpenError = kArchiveOpenError;
const char* const CRestore::kSuccess = "Все данные были успешно восстановлены";
const char* const CRestore::kDamaged = kArchiveDamaged;

namespace {

const char* const kBadName = "Недопустимое имя в архиве: ";
const char* const kBadPath = "Недопустимый путь: ";
const char* const kBadRoot = "Недопустимый корневой ключ в архиве: ";
const char* const kLongPath = "Слишком длинный путь: ";
const char* const kNoMemory = "Недостаточно памяти для восстановления ";
const char* const kNoDirectory = "Не удалось создать каталог ";
const char* const kWriteFailed = "Не удалось записать файл ";
const char* const kSumsDamaged = "Файл контрольных сумм поврежден и не используется: ";
const char* const kKeyFailed = "Не удалось создать ключ ";
const char* const kValueFailed = "Не удалось записать значение ";

// A parent path handed in by a selection: a drive, then components, each followed
// by a backslash.
bool IsSafeParentPath(const char* path)
{
    size_t length = std::strlen(path);
    if (length >= MAX_PATH || length < 3 || path[length - 1] != '\\')
        return false;
    size_t start = 0;
    bool first = true;
    for (size_t i = 0; i < length; i++) {
        if (path[i] != '\\')
            continue;
        const char* part = path + start;
        size_t n = i - start;
        if (first ? !IsDriveName(part, n) : !IsSafeComponent(part, n))
            return false;
        first = false;
        start = i + 1;
    }
    return true;
}

// Creates every directory of a parent path (ending in a backslash) from the top;
// failures (existing directories, the drive) are of no concern.
void CreateParentChain(const char* path)
{
    std::string p = path;
    size_t last = p.rfind('\\');
    if (last == std::string::npos)
        return;
    p.resize(last + 1);
    for (size_t i = 0; i < p.size(); i++)
        if (p[i] == '\\')
            CreateDirectoryA(p.substr(0, i).c_str(), nullptr);
    CreateDirectoryA(p.c_str(), nullptr);
}

DWORD SettableAttributes(DWORD attributes)
{
    attributes &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

} // namespace

CRestore::CRestore()
    : m_nLines(0), m_bSucceeded(false), m_pszArchiveName(nullptr), m_bDamageReported(false),
      m_nDepth(0)
{
    m_bCancel = 0;
    m_controls.SetCancelFlag(&m_bCancel);
    g_bEngineBusy = 1;
}

CRestore::~CRestore()
{
    m_archive.Close();
    delete[] m_pszArchiveName;
}

BOOL CRestore::InitInstance() { return TRUE; }

void CRestore::SetControls(CWnd* pPage, CStatic* pCurrentItem, CListCtrl* pMessages,
                           CProgressCtrl* pProgress, CWnd* pPercent)
{
    m_controls.SetPage(pPage);
    m_controls.SetCurrentItemLabel(pCurrentItem);
    m_controls.SetList(pMessages);
    m_controls.SetItemBar(pProgress, pPercent);
    m_controls.ClearLines();
    m_pOutput = &m_controls;
}

void CRestore::SetArchiveName(LPCSTR name)
{
    delete[] m_pszArchiveName;
    m_pszArchiveName = nullptr;
    if (!name)
        return;
    size_t n = std::strlen(name);
    m_pszArchiveName = new (std::nothrow) char[n + 1];
    if (m_pszArchiveName)
        std::memcpy(m_pszArchiveName, name, n + 1);
}

BYTE* CRestore::AllocateBlock(DWORD size) { return new (std::nothrow) BYTE[size ? size : 1]; }

void CRestore::FreeBlock(BYTE* block) { delete[] block; }

void CRestore::ClearDirectory(LPCSTR path)
{
    // The scanner's deleting walk, on an object of its own made for the purpose.
    CScan* scan = new (std::nothrow) CScan;
    if (!scan)
        return;
    scan->ScanDirectory(path, CScan::MODE_DELETE);
    delete scan;
}

void CRestore::AddLine(const std::string& text)
{
    if (m_bCancel)
        return;
    m_nLines++;
    if (m_pOutput)
        m_pOutput->AddLine(text.c_str());
}

void CRestore::ReportDamage()
{
    m_archive.m_bDamaged = true;
    ReportUnlike();
}

void CRestore::ReportUnlike()
{
    bool first = !m_bDamageReported;
    m_bDamageReported = true;
    if (first)
        AddLine(kDamaged);
}

bool CRestore::BlockMatches(unsigned long long offset, DWORD crc) const
{
    DWORD expected = 0;
    return !m_sums.Loaded() || (m_sums.BlockCrc(offset, expected) && expected == crc);
}

void CRestore::ShowItem(LPCSTR text)
{
    if (!m_bCancel && m_pOutput)
        m_pOutput->SetCurrentItem(text);
}

// The success line, when the run was not cancelled and nothing else was reported.
void CRestore::ReportSuccess()
{
    if (m_bCancel)
        return;
    ShowItem("");
    if (m_nLines == 0) {
        AddLine(kSuccess);
        m_bSucceeded = true;
    }
}

bool CRestore::OpenArchive(LPCSTR archiveName, BYTE* pOsFamily)
{
    m_archive.Close();
    m_bDamageReported = false;
    ArchiveHeader header;
    if (!m_archive.Open(archiveName) || !m_archive.ReadHeader(header) ||
        !CArchiveReader::IsArchiveMagic(header.magic)) {
        m_archive.Close();
        m_archive.m_bDamaged = false;
        AddLine(kOpenError);
        return false;
    }
    std::memcpy(ArchiveFlags, header.flags, sizeof header.flags);
    if (pOsFamily)
        *pOsFamily = header.osFamily;
    // With its checksum file, an archive that is not the one written is damaged,
    // and no block unlike its sum replaces anything.
    if (m_sums.Load(archiveName) == CArchiveSums::DAMAGED)
        AddLine(kSumsDamaged + Printable(archiveName, std::strlen(archiveName)) + CArchiveSums::kSuffix);
    else if (m_sums.Loaded() && !m_sums.ArchiveMatches(archiveName))
        ReportUnlike();
    return true;
}

void CRestore::CloseArchive() { m_archive.Close(); }

void CRestore::RestoreAll(CWnd* pWnd, LPCSTR archiveName, CStatic* pCurrentItem,
                          CListCtrl* pMessages, CProgressCtrl* pProgress, CWnd* pPercent)
{
    m_controls.SetPage(pWnd);
    m_controls.SetCurrentItemLabel(pCurrentItem);
    m_controls.SetList(pMessages);
    m_controls.SetItemBar(pProgress, pPercent);
    // Run on the window's own thread: repaint it as we go.
    m_controls.SetRepaint(true);
    if (!m_pOutput)
        m_pOutput = &m_controls;
    m_nLines = 0;
    m_bSucceeded = false;
    // Nothing may leave the engine: a failed allocation ends the restore with
    // the line about the memory.
    try {
        RestoreArchive(archiveName);
    } catch (...) {
        m_archive.Close();
        try {
            AddLine(kNoMemory + std::string(archiveName ? archiveName : ""));
        } catch (...) {
        }
    }
    m_controls.SetRepaint(false);
    g_bEngineBusy = 0;
}

void CRestore::RestoreArchive(LPCSTR archiveName)
{
    BYTE family = 0;
    if (!OpenArchive(archiveName, &family))
        return;
    g_osFamily = family;
    DWORD count = 0;
    if (ArchiveFlags[AF_FILES]) {
        if (!m_archive.ReadDword(count))
            ReportDamage();
        for (DWORD i = 0; i < count && !Stopped(); i++)
            RestoreFileRecord("", 0);
    }
    if (ArchiveFlags[AF_REGISTRY] && !Stopped()) {
        if (!m_archive.ReadDword(count))
            ReportDamage();
        for (DWORD i = 0; i < count && !Stopped(); i++)
            RestoreKeyRecord(nullptr, "", 0);
    }
    // The archive ends after the last record of its last section; bytes
    // beyond it mean the counts do not describe the file.
    if (!Stopped() && m_archive.Remaining() > 0)
        ReportDamage();
    CloseArchive();
    ReportSuccess();
}

int CRestore::Run()
{
    m_nLines = 0;
    m_bSucceeded = false;
    bool opened = false;
    // Nothing may leave the thread: a failed allocation ends the job with the
    // line about the memory, and g_bEngineBusy is cleared all the same.
    try {
        opened = OpenArchive(m_pszArchiveName ? m_pszArchiveName : g_szArchiveName);
        // An archive that cannot be opened leaves the wizard where it is (with
        // its one line): the user goes back and picks another.
        if (opened) {
            RestoreSelections();
            CloseArchive();
            ReportSuccess();
            if (!m_bCancel && m_pOutput)
                m_pOutput->JobEnded(m_bSucceeded);
        }
    } catch (...) {
        m_archive.Close();
        try {
            AddLine(kNoMemory + std::string(m_pszArchiveName ? m_pszArchiveName : g_szArchiveName));
            if (!m_bCancel && m_pOutput)
                m_pOutput->JobEnded(false);
        } catch (...) {
        }
    }
    g_bEngineBusy = 0;
    return 0;
}

void CRestore::RestoreSelections()
{
    if (ArchiveFlags[AF_FILES]) {
        for (unsigned i = 0; i < g_PathList.nCount && !Stopped(); i++)
            RestoreFileRecord(g_PathList.items[i].szPath, g_PathList.items[i].dwOffset);
    }
    if (!ArchiveFlags[AF_REGISTRY])
        return;
    for (unsigned i = 0; i < g_KeyList.nCount && !Stopped(); i++) {
        const KeyItem& item = g_KeyList.items[i];
        if (item.bKey) {
            RestoreKeyRecord(RootKeyHandle(item.dwRoot), item.szPath, item.dwOffset);
            continue;
        }
        if (!IsRootCode(item.dwRoot)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", (unsigned)item.dwRoot);
            AddLine(std::string(kBadRoot) + code);
            continue;
        }
        std::string display = std::string(RootKeyName(item.dwRoot, g_osFamily)) + "\\" +
                              Printable(item.szPath, std::strlen(item.szPath));
        HKEY key = nullptr;
        if (RegCreateKeyExA(RootKeyHandle(item.dwRoot), item.szPath, 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            key = nullptr;
            AddLine(kKeyFailed + display);
        }
        m_keyDisplay = display;
        RestoreValueRecord(key, item.dwOffset);
        if (key)
            RegCloseKey(key);
    }
}

// ---- files section ----------------------------------------------------------

void CRestore::RestoreFileRecord(LPCSTR parentPath, DWORD offset)
{
    if (Stopped())
        return;
    if (!parentPath)
        parentPath = "";
    if (m_nDepth == 0 && *parentPath) {
        if (!IsSafeParentPath(parentPath)) {
            AddLine(kBadPath + Printable(parentPath, std::strlen(parentPath)));
            if (offset && !m_archive.Seek(offset))
                ReportDamage();
            else
                SkipFileRecords(1);
            return;
        }
        CreateParentChain(parentPath);
    }
    RestoreFileRecordAt(parentPath, offset);
}

void CRestore::RestoreFileRecordAt(LPCSTR parentPath, DWORD offset)
{
    if (Stopped())
        return;
    if (offset && !m_archive.Seek(offset)) {
        ReportDamage();
        return;
    }
    const unsigned long long recordAt = m_archive.Tell();
    FileRecordHead head;
    if (!m_archive.ReadFileHead(head, ArchiveFlags[AF_ATTRIBUTES] != 0,
                                ArchiveFlags[AF_TIMES] != 0) ||
        (head.type != ARC_DIRECTORY && head.type != ARC_FILE)) {
        ReportDamage();
        return;
    }
    const bool topLevel = parentPath[0] == 0;
    const bool named = topLevel ? head.type == ARC_DIRECTORY && IsDriveName(head.name, head.nameLength)
                                : IsSafeComponent(head.name, head.nameLength);
    std::string full = std::string(parentPath) + std::string(head.name, head.nameLength);
    const char* refusal = !named ? kBadName : full.size() >= MAX_PATH ? kLongPath : nullptr;
    if (refusal) {
        AddLine(refusal + Printable(full));
        if (head.type == ARC_DIRECTORY)
            SkipFileRecords(head.count);
        else
            SkipCode();
        return;
    }
    ShowItem(full.c_str());
    if (head.type == ARC_DIRECTORY)
        RestoreDirectory(head, full.c_str(), topLevel);
    else
        RestoreFileData(head, full.c_str(), recordAt);
}

void CRestore::RestoreDirectory(const FileRecordHead& head, const char* fullPath, bool drive)
{
    // A drive record stands for the drive's root directory. Its contents are only
    // ever restored into, never cleared: the drive also holds what the archive does
    // not (the running system, this archive, the user's other data).
    std::string dir = drive ? std::string(fullPath) + "\\" : std::string(fullPath);
    if (!drive) {
        if (g_bClearFolders && IsDirectory(fullPath))
            ClearDirectory(fullPath);
        CreateDirectoryA(fullPath, nullptr);
    }
    if (!IsDirectory(dir.c_str())) {
        AddLine(kNoDirectory + Printable(fullPath, std::strlen(fullPath)));
        SkipFileRecords(head.count);
        return;
    }

    std::string parent = std::string(fullPath) + "\\";
    m_nDepth++;
    for (DWORD i = 0; i < head.count && !Stopped(); i++)
        RestoreFileRecordAt(parent.c_str(), 0);
    m_nDepth--;
    if (Stopped() || drive)
        return;

    // Stamps go on after the contents, which would otherwise change the times.
    if (ArchiveFlags[AF_ATTRIBUTES] && g_bRestoreAttributes)
        SetFileAttributesA(fullPath, SettableAttributes(head.attributes));
    if (ArchiveFlags[AF_TIMES] && g_bRestoreTimes) {
        FILETIME access, write;
        bool a = DosStampToFileTime(head.accessDate, head.accessTime, &access);
        bool w = DosStampToFileTime(head.writeDate, head.writeTime, &write);
        HANDLE h = CreateFileA(fullPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            if (a || w)
                SetFileTime(h, nullptr, a ? &access : nullptr, w ? &write : nullptr);
            CloseHandle(h);
        }
    }
}

void CRestore::RestoreFileData(const FileRecordHead& head, const char* fullPath,
                               unsigned long long recordAt)
{
    const DWORD plainSize = head.count;
    DWORD codeSize = 0;
    if (!m_archive.ReadDword(codeSize) || codeSize > m_archive.Remaining() ||
        plainSize > (unsigned long long)MAX_EXPANSION * codeSize) {
        ReportDamage();
        return;
    }
    BYTE* code = nullptr;
    if (codeSize) {
        code = AllocateBlock(codeSize);
        if (!code) {
            AddLine(kNoMemory + Printable(fullPath, std::strlen(fullPath)));
            if (!m_archive.Skip(codeSize))
                ReportDamage();
            return;
        }
        if (!m_archive.Read(code, codeSize)) {
            FreeBlock(code);
            ReportDamage();
            return;
        }
    }

    bool write = g_bOverwriteFiles != 0;
    if (!write) {
        HANDLE h = CreateFileA(fullPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            write = true;
        } else {
            CloseHandle(h);
            AddLine("Файл " + Printable(fullPath, std::strlen(fullPath)) + " уже существует");
        }
    }
    if (write) {
        // The decoding goes to a file of its own beside the target, which takes
        // the target's place only when it is whole: a damaged block, a cancel or
        // a failed write leave what is on the disk as it was.
        static const BYTE kNoCode[1] = {0};
        CReplacingFile out(fullPath);
        if (!out.Create()) {
            FreeBlock(code);
            AddLine(kWriteFailed + Printable(fullPath, std::strlen(fullPath)));
            return;
        }
        ExpandToHandle(code ? code : kNoCode, codeSize, out.Handle(), plainSize);
        FreeBlock(code);
        if (m_bCancel)
            return;
        if (m_bWriteError) {
            AddLine(kWriteFailed + Printable(fullPath, std::strlen(fullPath)));
            return;
        }
        if (m_nOut != plainSize) {
            // The code does not decode to the size the record gives: what came
            // out is not the file that was archived.
            ReportDamage();
            return;
        }
        if (!BlockMatches(recordAt, m_nPlainCrc)) {
            ReportUnlike();
            return;
        }
        if (!out.Commit(true, false, nullptr, nullptr)) {
            AddLine(kWriteFailed + Printable(fullPath, std::strlen(fullPath)));
            return;
        }
    } else {
        FreeBlock(code);
    }
    ApplyFileStamps(head, fullPath);
}

void CRestore::ApplyFileStamps(const FileRecordHead& head, const char* fullPath)
{
    const bool attributes = ArchiveFlags[AF_ATTRIBUTES] != 0;
    // Times first: a file whose stored attributes make it read-only could not be
    // opened for them afterwards.
    if (ArchiveFlags[AF_TIMES]) {
        FILETIME access, write;
        bool a = DosStampToFileTime(head.accessDate, head.accessTime, &access);
        bool w = DosStampToFileTime(head.writeDate, head.writeTime, &write);
        if (a || w) {
            DWORD current = GetFileAttributesA(fullPath);
            bool readOnly = current != INVALID_FILE_ATTRIBUTES && (current & FILE_ATTRIBUTE_READONLY);
            if (readOnly)
                SetFileAttributesA(fullPath, SettableAttributes(current & ~FILE_ATTRIBUTE_READONLY));
            HANDLE h = CreateFileA(fullPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                SetFileTime(h, nullptr, a ? &access : nullptr, w ? &write : nullptr);
                CloseHandle(h);
            }
            if (readOnly && !attributes)
                SetFileAttributesA(fullPath, SettableAttributes(current));
        }
    }
    if (attributes)
        SetFileAttributesA(fullPath, SettableAttributes(head.attributes));
}

void CRestore::SkipCode()
{
    DWORD codeSize = 0;
    if (!m_archive.ReadDword(codeSize) || !m_archive.Skip(codeSize))
        ReportDamage();
}

void CRestore::SkipFileRecords(unsigned long long count)
{
    // Pre-order records: a directory's children follow it, so the records still to
    // be read past are a plain count, however deep the tree.
    while (count && !Stopped()) {
        FileRecordHead head;
        if (!m_archive.ReadFileHead(head, ArchiveFlags[AF_ATTRIBUTES] != 0,
                                    ArchiveFlags[AF_TIMES] != 0)) {
            ReportDamage();
            return;
        }
        count--;
        if (head.type == ARC_DIRECTORY) {
            count += head.count;
        } else if (head.type == ARC_FILE) {
            SkipCode();
        } else {
            ReportDamage();
            return;
        }
    }
}

// ---- registry section -------------------------------------------------------

void CRestore::RestoreKeyRecord(HKEY root, LPCSTR parentPath, DWORD offset)
{
    RestoreKeyRecordAt(root, parentPath ? parentPath : "", offset);
}

void CRestore::RestoreKeyRecordAt(HKEY root, LPCSTR parentPath, DWORD offset)
{
    if (Stopped())
        return;
    if (offset && !m_archive.Seek(offset)) {
        ReportDamage();
        return;
    }
    KeyRecordHead head;
    if (!m_archive.ReadKeyHead(head) || head.type != ARC_KEY) {
        ReportDamage();
        return;
    }
    const unsigned long long children = (unsigned long long)head.values + head.subkeys;

    std::string path = parentPath;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    path.append(head.name, head.nameLength);

    DWORD rootCode = root ? RootKeyCode(root) : head.root;
    if (!IsRootCode(rootCode) || (root && RootKeyHandle(rootCode) != root)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", (unsigned)rootCode);
        AddLine(std::string(kBadRoot) + code);
        SkipKeyRecords(children);
        return;
    }
    std::string display = std::string(RootKeyName(rootCode, g_osFamily)) + "\\" + Printable(path);
    // A key name is one component; below the top only a root record goes unnamed
    // (an unnamed key deeper down would name its parent again).
    bool named = std::memchr(head.name, '\\', head.nameLength) == nullptr &&
                 std::strlen(head.name) == head.nameLength &&
                 (head.nameLength > 0 || m_nDepth == 0);
    const char* refusal = !named ? kBadName : path.size() >= MAX_PATH ? kLongPath : nullptr;
    if (refusal) {
        AddLine(refusal + display);
        SkipKeyRecords(children);
        return;
    }

    HKEY hRoot = RootKeyHandle(rootCode);
    ShowItem(display.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyExA(hRoot, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        key = nullptr;
        AddLine(kKeyFailed + display);
    }
    m_nDepth++;
    for (DWORD i = 0; i < head.values && !Stopped(); i++)
        RestoreValueIntoKey(key, display.c_str(), 0);
    if (key)
        RegCloseKey(key);
    for (DWORD i = 0; i < head.subkeys && !Stopped(); i++)
        RestoreKeyRecordAt(hRoot, path.c_str(), 0);
    m_nDepth--;
}

void CRestore::RestoreValueRecord(HKEY key, DWORD offset)
{
    RestoreValueIntoKey(key, m_keyDisplay.c_str(), offset);
}

void CRestore::RestoreValueIntoKey(HKEY key, const char* keyDisplay, DWORD offset)
{
    if (Stopped())
        return;
    if (offset && !m_archive.Seek(offset)) {
        ReportDamage();
        return;
    }
    const unsigned long long recordAt = m_archive.Tell();
    ValueRecordHead head;
    if (!m_archive.ReadValueHead(head) || head.type != ARC_VALUE ||
        head.codeSize > m_archive.Remaining() ||
        head.plainSize > (unsigned long long)MAX_EXPANSION * head.codeSize) {
        ReportDamage();
        return;
    }
    std::string display = std::string(keyDisplay) + "\\" + Printable(head.name, head.nameLength);
    if (std::strlen(head.name) != head.nameLength) {
        AddLine(kBadName + display);
        if (!m_archive.Skip(head.codeSize))
            ReportDamage();
        return;
    }
    if (!key) {
        if (!m_archive.Skip(head.codeSize))
            ReportDamage();
        return;
    }

    BYTE* code = nullptr;
    BYTE* data = nullptr;
    if (head.codeSize) {
        code = AllocateBlock(head.codeSize);
        if (!code) {
            AddLine(kNoMemory + display);
            if (!m_archive.Skip(head.codeSize))
                ReportDamage();
            return;
        }
        if (!m_archive.Read(code, head.codeSize)) {
            FreeBlock(code);
            ReportDamage();
            return;
        }
    }
    if (head.plainSize) {
        data = AllocateBlock(head.plainSize);
        if (!data) {
            FreeBlock(code);
            AddLine(kNoMemory + display);
            return;
        }
    }
    DWORD produced = 0;
    if (head.codeSize)
        ExpandToMemory(code, data, head.codeSize, &produced, head.plainSize);
    FreeBlock(code);
    if (m_bCancel) {
        FreeBlock(data);
        return;
    }
    if (produced != head.plainSize) {
        FreeBlock(data);
        ReportDamage();
        return;
    }
    if (!BlockMatches(recordAt, head.codeSize ? m_nPlainCrc : 0)) {
        FreeBlock(data);
        ReportUnlike();
        return;
    }
    static const BYTE kNoData[1] = {0};
    if (RegSetValueExA(key, head.name, 0, head.valueType, data ? data : kNoData, head.plainSize) !=
        ERROR_SUCCESS)
        AddLine(kValueFailed + display);
    FreeBlock(data);
}

void CRestore::SkipKeyRecords(unsigned long long count)
{
    // Key and value records frame themselves by their type, so like the files
    // section they are read past as a plain count of records.
    while (count && !Stopped()) {
        BYTE type = 0;
        char name[MAX_PATH];
        WORD length = 0;
        if (!m_archive.ReadByte(type) || !m_archive.ReadName(name, length)) {
            ReportDamage();
            return;
        }
        count--;
        DWORD a = 0, b = 0, c = 0;
        if (!m_archive.ReadDword(a) || !m_archive.ReadDword(b) || !m_archive.ReadDword(c)) {
            ReportDamage();
            return;
        }
        if (type == ARC_KEY) {
            count += (unsigned long long)b + c; // root, subkeys, values
        } else if (type == ARC_VALUE) {
            if (!m_archive.Skip(c)) { // value type, plain size, code size
                ReportDamage();
                return;
            }
        } else {
            ReportDamage();
            return;
        }
    }
}
