#include "backup/Backup.h"

#include "base/FileNames.h"
#include "base/JobState.h"
#include "backup/ArchiveFormat.h"
#include "scan/Scan.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

IMPLEMENT_DYNCREATE(CBackup, CCompress)

DWORD CBackup::s_nLastPercent[3];

namespace {

const char kAddedDirectory[] = "Добавлен каталог ";
const char kAddedFile[] = "Добавлен файл ";
const char kAddedKey[] = "Добавлен ключ ";
const char kCreateFailed[] = "Ошибка создания архива ";
const char kWriteFailed[] = "Ошибка записи архива, архив удалён";
const char kSumsFailed[] = "Не удалось записать файл контрольных сумм ";
const char kTooLarge[] = "Ошибка записи архива: размер превышает 4 ГБ, архив удалён";
const char kNoMemory[] = "Недостаточно памяти, архив удалён";

// Enumerations pass over entries that cannot be stored (names too long for a
// record) but give up after this many in a row: some keys (performance data)
// answer every index with the same error.
const int kMaxSkippedInARow = 256;

// The non-empty components of a backslash-separated path.
std::vector<std::string> Components(const char* path)
{
    std::vector<std::string> out;
    const char* p = path;
    while (*p) {
        const char* end = std::strchr(p, '\\');
        if (!end)
            end = p + std::strlen(p);
        if (end > p)
            out.emplace_back(p, end - p);
        p = *end ? end + 1 : end;
    }
    return out;
}

// The first n components joined with backslashes.
std::string Prefix(const std::vector<std::string>& parts, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; i++) {
        if (i)
            s += '\\';
        s += parts[i];
    }
    return s;
}

bool SamePath(const char* a, const std::string& b) { return lstrcmpiA(a, b.c_str()) == 0; }

// A path-list item as the writer uses it: a full path that starts with a drive,
// directories with exactly one trailing backslash. False when it cannot be one.
bool NormalizePathItem(const PathItem& item, char* out, bool& directory)
{
    size_t n = strnlen(item.szPath, MAX_PATH);
    if (n >= MAX_PATH || n < 3)
        return false;
    std::memcpy(out, item.szPath, n + 1);
    if (!std::isalpha((unsigned char)out[0]) || out[1] != ':' || out[2] != '\\')
        return false;
    directory = item.bDirectory || out[n - 1] == '\\';
    if (directory && out[n - 1] != '\\') {
        if (n + 1 >= MAX_PATH)
            return false;
        out[n++] = '\\';
        out[n] = 0;
    }
    // A file must have a name; a directory other than a drive must too.
    return Components(out).size() >= (directory ? 1u : 2u);
}

// FAT date and time words of a universal file time, in local time. Times the
// words cannot hold are brought to the nearest they can (1980 .. 2107).
void DosDateTime(const FILETIME& utc, WORD& date, WORD& time)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) {
        date = (1 << 5) | 1;
        time = 0;
        return;
    }
    if (st.wYear < 1980) {
        date = (1 << 5) | 1;
        time = 0;
        return;
    }
    if (st.wYear > 2107) {
        date = (WORD)((127 << 9) | (12 << 5) | 31);
        time = (WORD)((23 << 11) | (59 << 5) | 29);
        return;
    }
    date = (WORD)(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
    time = (WORD)((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
}

FILETIME Now()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ft;
}

} // namespace

CBackup::CBackup()
    : m_hArchive(INVALID_HANDLE_VALUE), m_nProgressTotal(0), m_nProgressDone(0),
      m_pszArchivePath(nullptr), m_nResult(RESULT_OK), m_nBlockLimit(BLOCK_LIMIT),
      m_nCodingThreads(CBlockCoder::DefaultHelpers()), m_nPeakHeld(0), m_bSumsWritten(false), m_nValueTokens(0),
      m_nAncestors(0), m_nTopLevel(0)
{
    m_bCancel = 0;
    m_controls.SetCancelFlag(&m_bCancel);
    g_bEngineBusy = 1;
}

CBackup::~CBackup()
{
    if (m_hArchive != INVALID_HANDLE_VALUE)
        CloseHandle(m_hArchive);
    delete[] m_pszArchivePath;
}

BOOL CBackup::InitInstance() { return TRUE; }

void CBackup::SetControls(CWnd* pPage, CWnd* pCurrentItem, CListCtrl* pLog,
                          CProgressCtrl* pItemProgress, CProgressCtrl* pTotalProgress,
                          CWnd* pItemPercent, CWnd* pTotalPercent)
{
    m_controls.SetPage(pPage);
    m_controls.SetCurrentItemLabel(pCurrentItem);
    m_controls.SetList(pLog);
    m_controls.SetItemBar(pItemProgress, pItemPercent);
    m_controls.SetJobBar(pTotalProgress, pTotalPercent);
    m_controls.ClearLines();
    m_pOutput = &m_controls;
}

void CBackup::SetArchivePath(const char* path)
{
    delete[] m_pszArchivePath;
    m_pszArchivePath = nullptr;
    if (path) {
        size_t n = std::strlen(path);
        m_pszArchivePath = new char[n + 1];
        std::memcpy(m_pszArchivePath, path, n + 1);
    }
}

int CBackup::Run()
{
    // Nothing may leave the thread: a failed allocation ends the job like a
    // failed write, with the archive removed and g_bEngineBusy cleared.
    try {
        WriteArchive();
    } catch (...) {
        m_nResult = RESULT_NO_MEMORY;
        try {
            FinishJob();
        } catch (...) {
            g_bEngineBusy = 0;
        }
    }
    return 0;
}

void CBackup::WriteArchive()
{
    m_nProgressTotal = m_nProgressDone = 0;
    for (DWORD& p : s_nLastPercent)
        p = 0;
    m_nResult = RESULT_OK;

    CountWork();

    if (m_pszArchivePath)
        m_hArchive = CreateFileA(m_pszArchivePath, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hArchive == INVALID_HANDLE_VALUE) {
        m_nResult = RESULT_CREATE_FAILED;
        FinishJob();
        return;
    }
    // A checksum file of an older archive of this name would not fit this one.
    CArchiveSums::Remove(m_pszArchivePath);
    m_sums = CArchiveSums();

    // Flags are stored as 0 or 1; a section without items is left out.
    for (BYTE& f : ArchiveFlags)
        f = f ? 1 : 0;
    if (g_PathList.nCount == 0)
        ArchiveFlags[AF_FILES] = 0;
    if (g_KeyList.nCount == 0)
        ArchiveFlags[AF_REGISTRY] = 0;

    Write(ARCHIVE_MAGIC, ARCHIVE_MAGIC_SIZE);
    Write(ArchiveFlags, 4);
    SYSTEMTIME now;
    GetSystemTime(&now);
    const WORD fields[8] = {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                            now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    Write(fields, sizeof fields);
    WriteByte(g_osFamily);

    if (m_nCodingThreads > 1)
        m_pCoder.reset(new CBlockCoder(m_nCodingThreads, READ_AHEAD_CAP, s_nMaxPiece, m_encodeMode));
    if (ArchiveFlags[AF_FILES])
        WriteFilesSection();
    if (m_pCoder)
        m_pCoder->Clear();
    if (ArchiveFlags[AF_REGISTRY])
        WriteRegistrySection();
    if (m_pCoder) {
        m_nPeakHeld = m_pCoder->PeakHeld();
        m_pCoder.reset(); // its threads are gone before the job ends
    }

    FinishJob();
}

void CBackup::FinishJob()
{
    m_pCoder.reset();
    if (m_hArchive != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hArchive);
        m_hArchive = INVALID_HANDLE_VALUE;
        // Nothing incomplete is left behind: a cancelled job or one whose writes
        // failed removes what it wrote.
        if (m_bCancel || m_nResult != RESULT_OK)
            DeleteFileA(m_pszArchivePath);
        else
            m_bSumsWritten = WriteSums();
    }
    if (!m_bCancel && m_pOutput) {
        ShowCurrentItem("");
        m_pOutput->SetJobProgress(-1);
        if (m_nResult == RESULT_CREATE_FAILED) {
            char line[sizeof kCreateFailed + MAX_PATH];
            std::snprintf(line, sizeof line, "%s%s", kCreateFailed,
                          m_pszArchivePath ? m_pszArchivePath : "");
            AddLogLine(line);
        } else if (m_nResult == RESULT_TOO_LARGE) {
            AddLogLine(kTooLarge);
        } else if (m_nResult == RESULT_NO_MEMORY) {
            AddLogLine(kNoMemory);
        } else if (m_nResult != RESULT_OK) {
            AddLogLine(kWriteFailed);
        } else if (!m_bSumsWritten) {
            AddLogLine((kSumsFailed + CArchiveSums::PathFor(m_pszArchivePath)).c_str());
        }
        m_pOutput->JobEnded(m_nResult == RESULT_OK);
    }
    g_bEngineBusy = 0;
}

bool CBackup::WriteSums()
{
    // The archive as it stands on the disk, counts patched, read once more.
    unsigned long long size = 0;
    DWORD crc = 0;
    if (!CArchiveSums::SumFile(m_pszArchivePath, size, crc))
        return false;
    m_sums.SetArchive(size, crc);
    return m_sums.Save(m_pszArchivePath);
}

// Progress estimate: every record that makes a step is counted, the chosen items'
// own records included, so that the overall percentage reaches 100 at the end.
void CBackup::CountWork()
{
    CScan* scan = new (std::nothrow) CScan;
    if (!scan)
        return;
    unsigned long long total = 0;
    if (ArchiveFlags[AF_FILES]) {
        for (DWORD i = 0; i < g_PathList.nCount && !m_bCancel; i++) {
            char path[MAX_PATH + 1];
            bool directory = false;
            if (!NormalizePathItem(g_PathList.items[i], path, directory))
                continue;
            if (directory && IsDirectory(path)) {
                scan->m_nRecords = 0;
                scan->ScanDirectory(path, CScan::MODE_COUNT);
                total += scan->m_nRecords + 1ull;
            } else if (!directory && FileExists(path)) {
                total += 1;
            }
        }
    }
    if (ArchiveFlags[AF_REGISTRY]) {
        for (DWORD i = 0; i < g_KeyList.nCount && !m_bCancel; i++) {
            const KeyItem& item = g_KeyList.items[i];
            if (!IsRootCode(item.dwRoot))
                continue;
            std::string path = Prefix(Components(item.szPath), Components(item.szPath).size());
            scan->m_nRecords = 0;
            scan->ScanKey(RootKeyHandle(item.dwRoot), path.c_str(), CScan::MODE_COUNT);
            total += scan->m_nRecords + (path.empty() ? 0ull : 1ull);
        }
    }
    delete scan;
    m_nProgressTotal = total > 0xFFFFFFFFull ? 0xFFFFFFFFu : (DWORD)total;
}

void CBackup::WriteFilesSection()
{
    unsigned long long countOffset = Position();
    WriteDword(0);
    TruncateAncestors(0);
    m_nTopLevel = 0;
    for (DWORD i = 0; i < g_PathList.nCount && !Stopped(); i++) {
        char path[MAX_PATH + 1];
        bool directory = false;
        if (!NormalizePathItem(g_PathList.items[i], path, directory) ||
            !(directory ? IsDirectory(path) : FileExists(path))) {
            m_skippedItems.push_back(g_PathList.items[i].szPath);
            continue;
        }
        WriteDirectoryChain(path);
        if (directory && m_pCoder)
            m_pCoder->QueueTree(path);
        if (directory)
            WriteDirectoryTree(path);
        else
            WriteFileRecord(path);
        if (!Stopped())
            AddLogLine((std::string(directory ? kAddedDirectory : kAddedFile) + path).c_str());
    }
    TruncateAncestors(0);
    PatchDwords(countOffset, &m_nTopLevel, 1);
}

void CBackup::WriteRegistrySection()
{
    unsigned long long countOffset = Position();
    WriteDword(0);
    TruncateAncestors(0);
    m_nTopLevel = 0;
    for (DWORD i = 0; i < g_KeyList.nCount && !Stopped(); i++) {
        const KeyItem& item = g_KeyList.items[i];
        size_t n = strnlen(item.szPath, MAX_PATH);
        if (!IsRootCode(item.dwRoot) || n >= MAX_PATH) {
            m_skippedItems.push_back(std::string(item.szPath, n));
            continue;
        }
        std::vector<std::string> parts = Components(item.szPath);
        std::string path = Prefix(parts, parts.size());
        WriteRootKey(item.dwRoot);
        WriteKeyChain(item.dwRoot, path.c_str());
        WriteKeyTree(item.dwRoot, path.c_str());
        if (!Stopped())
            AddLogLine((std::string(kAddedKey) + RootKeyName(item.dwRoot, g_osFamily) + "\\" + path)
                           .c_str());
    }
    TruncateAncestors(0);
    PatchDwords(countOffset, &m_nTopLevel, 1);
}

// ---- ancestors ----

void CBackup::TruncateAncestors(int depth)
{
    if (depth < m_nAncestors)
        m_nAncestors = depth < 0 ? 0 : depth;
}

bool CBackup::PushAncestor(const char* path, DWORD root, DWORD count, unsigned long long offset,
                           BYTE pending)
{
    if (m_nAncestors >= MAX_ANCESTORS || std::strlen(path) >= MAX_PATH)
        return false;
    AncestorEntry& e = m_ancestors[m_nAncestors++];
    std::strcpy(e.szPath, path);
    e.dwRoot = root;
    e.nCount = count;
    e.nValues = 0;
    e.nOffset = offset;
    e.bPending = pending;
    return true;
}

void CBackup::AddChildToLastAncestor()
{
    if (m_nAncestors == 0)
        return;
    AncestorEntry& e = m_ancestors[m_nAncestors - 1];
    if (e.bPending) {
        // Its count of 1 already stands for this child.
        e.bPending = 0;
        return;
    }
    e.nCount++;
    PatchDwords(e.nOffset, &e.nCount, 1);
}

// Only the records on the chain from the last top-level record down to the last
// record written are kept: anything appended now lands after every record, so it
// can only become a child of one of them. An ancestor whose subtree a later item
// has closed is therefore written afresh below the deepest one still open.
void CBackup::WriteDirectoryChain(const char* path)
{
    std::vector<std::string> parts = Components(path);
    if (parts.empty())
        return;
    size_t ancestors = parts.size() - 1;
    size_t kept = 0;
    while (kept < ancestors && (int)kept < m_nAncestors &&
           SamePath(m_ancestors[kept].szPath, Prefix(parts, kept + 1)))
        kept++;
    TruncateAncestors((int)kept);
    if (kept == 0) {
        // A new drive record is a top-level record; a whole drive's own record is
        // counted by WriteDirectoryTree.
        if (ancestors > 0)
            m_nTopLevel++;
    } else {
        AddChildToLastAncestor();
    }
    for (size_t i = kept; i < ancestors && !Stopped(); i++) {
        std::string full = Prefix(parts, i + 1);
        std::string attributePath = i == 0 ? full + "\\" : full;
        unsigned long long offset = WriteDirectoryHead(parts[i].c_str(), attributePath.c_str(), 1);
        PushAncestor(full.c_str(), 0, 1, offset, 0);
    }
}

void CBackup::WriteRootKey(DWORD root)
{
    if (m_nAncestors > 0 && m_ancestors[0].dwRoot == root)
        return;
    TruncateAncestors(0);
    unsigned long long offset = WriteKeyHead("", root, 1, 0);
    PushAncestor("", root, 1, offset, 1);
    m_nTopLevel++;
}

void CBackup::WriteKeyChain(DWORD root, const char* path)
{
    std::vector<std::string> parts = Components(path);
    if (parts.empty())
        return; // a whole root: WriteKeyTree decides about its record
    if (m_nAncestors == 0 || m_ancestors[0].dwRoot != root)
        WriteRootKey(root);
    size_t ancestors = parts.size() - 1;
    size_t kept = 0; // key-path prefixes kept, below the root entry
    while (kept < ancestors && (int)kept + 1 < m_nAncestors &&
           SamePath(m_ancestors[kept + 1].szPath, Prefix(parts, kept + 1)))
        kept++;
    TruncateAncestors((int)kept + 1);
    AddChildToLastAncestor();
    for (size_t i = kept; i < ancestors && !Stopped(); i++) {
        unsigned long long offset = WriteKeyHead(parts[i].c_str(), root, 1, 0);
        PushAncestor(Prefix(parts, i + 1).c_str(), root, 1, offset, 0);
    }
}

// ---- files section ----

unsigned long long CBackup::WriteDirectoryHead(const char* name, const char* attributePath,
                                               DWORD count)
{
    WriteByte(ARC_DIRECTORY);
    WriteName(name, std::strlen(name));
    if (ArchiveFlags[AF_ATTRIBUTES]) {
        DWORD attributes = GetFileAttributesA(attributePath);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            attributes = FILE_ATTRIBUTE_DIRECTORY;
        WriteDword(attributes);
    }
    if (ArchiveFlags[AF_TIMES]) {
        WORD date, time;
        DosDateTime(Now(), date, time);
        const WORD words[4] = {date, time, date, time};
        Write(words, sizeof words);
    }
    unsigned long long offset = Position();
    WriteDword(count);
    return offset;
}

void CBackup::WriteDirectoryTree(const char* path)
{
    size_t length = std::strlen(path);
    bool wholeDrive = length < 4 && length >= 2 && path[1] == ':';
    if (wholeDrive)
        m_nTopLevel++;
    std::string dir(path);
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    std::vector<std::string> parts = Components(dir.c_str());
    std::string name = wholeDrive ? std::string(path, 2) : (parts.empty() ? "" : parts.back());
    // The directory's own attributes: the root directory for a drive.
    std::string attributePath = wholeDrive ? name + "\\" : dir.substr(0, dir.size() - 1);
    unsigned long long countOffset = WriteDirectoryHead(name.c_str(), attributePath.c_str(), 0);
    ProgressStep(STEP_DIRECTORY);

    DWORD count = 0;
    WIN32_FIND_DATAA fd;
    HANDLE find = Stopped() ? INVALID_HANDLE_VALUE : FindFirstFileA((dir + "*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (!Stopped() && error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            Unreadable(dir);
    } else {
        do {
            if (IsDotEntry(fd.cFileName))
                continue;
            bool directory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            std::string full = dir + fd.cFileName;
            // Entries whose path does not fit the program's path buffers could
            // be neither read nor restored.
            if (full.size() + (directory ? 1 : 0) >= MAX_PATH) {
                Unreadable(full);
                continue;
            }
            count++;
            if (!directory) {
                WriteFileRecord(full.c_str());
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link or junction is stored as an empty directory: its contents
                // belong to another tree (and may contain this one).
                WriteDirectoryHead(fd.cFileName, full.c_str(), 0);
                ProgressStep(STEP_DIRECTORY);
            } else {
                WriteDirectoryTree((full + "\\").c_str());
            }
        } while (!Stopped() && FindNextFileA(find, &fd));
        FindClose(find);
    }
    PatchDwords(countOffset, &count, 1);
}

void CBackup::WriteFileRecord(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    const char* name = slash ? slash + 1 : path;
    const unsigned long long recordAt = Position();
    WriteByte(ARC_FILE);
    WriteName(name, std::strlen(name));
    if (ArchiveFlags[AF_ATTRIBUTES]) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            attributes = FILE_ATTRIBUTE_NORMAL;
        WriteDword(attributes);
    }
    // A block coded ahead was read by a helper, which kept the times the file
    // had before its reading touched the access time.
    CBlockCoder::Result coded;
    bool ahead = m_pCoder && !Stopped() && m_pCoder->Take(path, coded, &m_bCancel);
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    bool readable = h != INVALID_HANDLE_VALUE;
    if (ArchiveFlags[AF_TIMES]) {
        FILETIME access, write;
        if (ahead && coded.bTimes) {
            access = coded.access;
            write = coded.write;
        } else if (!readable || !GetFileTime(h, nullptr, &access, &write)) {
            access = write = Now();
        }
        WORD words[4];
        DosDateTime(access, words[0], words[1]);
        DosDateTime(write, words[2], words[3]);
        Write(words, sizeof words);
    }
    if (readable)
        CloseHandle(h);
    else if (!Stopped())
        Unreadable(path);
    ShowCurrentItem(path);
    if (Stopped() || !BlockMayStart())
        return;
    if (ahead)
        WriteCodedBlock(coded);
    else
        CompressFile(path, m_hArchive);
    m_sums.AddBlock(recordAt, ahead ? coded.crc : m_nPlainCrc);
    CheckStream();
    if (readable && m_bShortRead && !Stopped())
        Unreadable(path);
    ProgressStep(STEP_FILE);
}

void CBackup::WriteCodedBlock(const CBlockCoder::Result& coded)
{
    // The frame CompressFile writes: plain size (as read), code size, code.
    m_bWriteError = FALSE;
    m_bShortRead = coded.bShortRead ? TRUE : FALSE;
    WriteDword(coded.dwSize);
    WriteDword((DWORD)coded.code.size());
    Write(coded.code.data(), (DWORD)coded.code.size());
}

// ---- registry section ----

unsigned long long CBackup::WriteKeyHead(const char* name, DWORD root, DWORD subkeys, DWORD values)
{
    WriteByte(ARC_KEY);
    WriteName(name, std::strlen(name));
    WriteDword(root);
    unsigned long long offset = Position();
    WriteDword(subkeys);
    WriteDword(values);
    return offset;
}

void CBackup::WriteKeyTree(DWORD root, const char* path)
{
    std::vector<std::string> parts = Components(path);
    std::string keyPath = Prefix(parts, parts.size());
    ShowCurrentItem(keyPath.c_str());
    if (Stopped())
        return;
    std::string shownRoot = RootKeyName(root, g_osFamily);

    if (keyPath.empty()) {
        // A whole root: its record is the root record just written for it. A
        // root record that already has children cannot take values any more
        // (values come first), so the root is then written again at top level.
        if (!(m_nAncestors == 1 && m_ancestors[0].dwRoot == root && m_ancestors[0].bPending)) {
            TruncateAncestors(0);
            unsigned long long offset = WriteKeyHead("", root, 0, 0);
            PushAncestor("", root, 0, offset, 0);
            m_nTopLevel++;
        }
        AncestorEntry& e = m_ancestors[0];
        DWORD subkeys = 0, values = 0;
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootKeyHandle(root), nullptr, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            WriteKeyContents(key, root, keyPath, subkeys, values);
            RegCloseKey(key);
        } else if (!Stopped()) {
            Unreadable(shownRoot);
        }
        e.nCount = subkeys;
        e.nValues = values;
        e.bPending = 0;
        const DWORD counts[2] = {subkeys, values};
        PatchDwords(e.nOffset, counts, 2);
        return;
    }

    unsigned long long offset = WriteKeyHead(parts.back().c_str(), root, 0, 0);
    DWORD subkeys = 0, values = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKeyHandle(root), keyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        WriteKeyContents(key, root, keyPath, subkeys, values);
        RegCloseKey(key);
    } else if (!Stopped()) {
        Unreadable(shownRoot + "\\" + keyPath);
    }
    const DWORD counts[2] = {subkeys, values};
    PatchDwords(offset, counts, 2);
    ProgressStep(STEP_KEY);
}

void CBackup::WriteKeyContents(HKEY key, DWORD root, const std::string& path, DWORD& subkeys,
                               DWORD& values)
{
    int skipped = 0;
    if (m_pCoder) {
        WriteValuesAhead(key, root, path, values);
    } else {
        for (DWORD index = 0; !Stopped() && skipped < kMaxSkippedInARow; index++) {
            int r = WriteValueRecord(key, index);
            if (r == 0)
                break;
            if (r > 0) {
                values++;
                skipped = 0;
            } else if (!Stopped()) {
                skipped++;
                ValueUnreadable(root, path, index);
            }
        }
    }
    char name[MAX_PATH];
    skipped = 0;
    for (DWORD index = 0; !Stopped() && skipped < kMaxSkippedInARow; index++) {
        DWORD length = sizeof name;
        LONG rc = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            // A name longer than a record can hold.
            skipped++;
            Unreadable(std::string(RootKeyName(root, g_osFamily)) + "\\" + path +
                       (path.empty() ? "" : "\\") + "<подключ " + std::to_string(index) + ">");
            continue;
        }
        skipped = 0;
        if (rc != ERROR_SUCCESS)
            break;
        std::string child = path.empty() ? std::string(name) : path + "\\" + name;
        WriteSubkeyTree(key, root, name, child);
        subkeys++;
    }
}

void CBackup::WriteValuesAhead(HKEY key, DWORD root, const std::string& path, DWORD& values)
{
    // The key's values are read first, the large ones handed to the coding
    // threads, and then all are written in order: the records come out as
    // the writer alone writes them.
    struct Read {
        int result;
        DWORD index;
        ValueData value;
        std::string token; // of a value being coded ahead
    };
    std::vector<Read> reads;
    int skipped = 0;
    // No more is handed over than the threads may hold at once, so that every
    // value handed over can begin before the first is written.
    unsigned long long handedOver = 0;
    size_t tokens = 0;
    for (DWORD index = 0; !Stopped() && skipped < kMaxSkippedInARow; index++) {
        Read read{0, index, ValueData(), std::string()};
        read.result = ReadValue(key, index, read.value);
        if (read.result == 0)
            break;
        skipped = read.result > 0 ? 0 : skipped + 1;
        size_t size = read.value.data.size();
        if (read.result > 0 && size >= LARGE_VALUE && tokens < MAX_VALUES_AHEAD &&
            handedOver + size <= READ_AHEAD_CAP / 4) {
            handedOver += size;
            tokens++;
            // "?" starts no file path: the token cannot meet a file's.
            read.token = "?" + std::to_string(m_nValueTokens++);
            m_pCoder->SubmitData(read.token, read.value.data);
        }
        reads.push_back(std::move(read));
    }
    for (const Read& read : reads) {
        if (Stopped())
            break;
        if (read.result > 0) {
            CBlockCoder::Result coded;
            bool ahead = !read.token.empty() && m_pCoder->Take(read.token, coded, &m_bCancel);
            WriteValue(read.value, ahead ? &coded : nullptr);
            values++;
        } else {
            ValueUnreadable(root, path, read.index);
        }
    }
}

void CBackup::ValueUnreadable(DWORD root, const std::string& path, DWORD index)
{
    Unreadable(std::string(RootKeyName(root, g_osFamily)) + "\\" + path + (path.empty() ? "" : "\\") +
               "<значение " + std::to_string(index) + ">");
}

void CBackup::WriteSubkeyTree(HKEY parent, DWORD root, const char* name, const std::string& path)
{
    ShowCurrentItem(path.c_str());
    unsigned long long offset = WriteKeyHead(name, root, 0, 0);
    DWORD subkeys = 0, values = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        WriteKeyContents(key, root, path, subkeys, values);
        RegCloseKey(key);
    } else if (!Stopped()) {
        Unreadable(std::string(RootKeyName(root, g_osFamily)) + "\\" + path);
    }
    const DWORD counts[2] = {subkeys, values};
    PatchDwords(offset, counts, 2);
    ProgressStep(STEP_KEY);
}

int CBackup::ReadValue(HKEY key, DWORD index, ValueData& value)
{
    char name[MAX_PATH];
    DWORD nameLength = sizeof name;
    DWORD type = 0, size = 0;
    LONG rc = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size);
    if (rc == ERROR_MORE_DATA)
        return -1; // the name does not fit a record
    if (rc != ERROR_SUCCESS)
        return 0;

    // The data may change between the two calls: ask again until it fits.
    std::vector<BYTE>& data = value.data;
    DWORD got = 0;
    for (int attempt = 0; attempt < 4; attempt++) {
        try {
            data.resize(size ? size : 1);
        } catch (...) {
            return -1;
        }
        got = size;
        rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &got);
        if (rc != ERROR_MORE_DATA)
            break;
        size = got > size ? got : size * 2 + 64;
    }
    if (rc != ERROR_SUCCESS)
        return -1;
    data.resize(got);
    value.name.assign(name, nameLength);
    value.type = type;
    return 1;
}

void CBackup::WriteValue(const ValueData& value, const CBlockCoder::Result* coded)
{
    const unsigned long long recordAt = Position();
    WriteByte(ARC_VALUE);
    WriteName(value.name.data(), value.name.size());
    WriteDword(value.type);
    if (Stopped() || !BlockMayStart())
        return;
    if (coded)
        WriteCodedBlock(*coded);
    else
        CompressBlock(m_hArchive, value.data.data(), (DWORD)value.data.size());
    m_sums.AddBlock(recordAt, coded ? coded->crc : m_nPlainCrc);
    CheckStream();
}

int CBackup::WriteValueRecord(HKEY key, DWORD index)
{
    ValueData value;
    int r = ReadValue(key, index, value);
    if (r > 0)
        WriteValue(value, nullptr);
    return r;
}

// ---- output ----

void CBackup::Write(const void* data, DWORD size)
{
    if (Stopped() || size == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hArchive, data, size, &written, nullptr) || written != size)
        m_nResult = RESULT_WRITE_FAILED;
}

void CBackup::WriteName(const char* name, size_t length)
{
    if (length > ARCHIVE_MAX_NAME)
        length = ARCHIVE_MAX_NAME;
    WriteWord((WORD)length);
    Write(name, (DWORD)length);
}

unsigned long long CBackup::Position()
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_hArchive, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        if (!Stopped())
            m_nResult = RESULT_WRITE_FAILED;
        return 0;
    }
    return ((unsigned long long)(DWORD)high << 32) | low;
}

void CBackup::PatchDwords(unsigned long long offset, const DWORD* values, int count)
{
    if (Stopped())
        return;
    LONG high = (LONG)(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_hArchive, (LONG)(DWORD)offset, &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        m_nResult = RESULT_WRITE_FAILED;
        return;
    }
    Write(values, (DWORD)(4 * count));
    high = 0;
    SetFilePointer(m_hArchive, 0, &high, FILE_END);
}

bool CBackup::BlockMayStart()
{
    unsigned long long at = Position();
    if (Stopped())
        return false;
    if (at >= m_nBlockLimit) {
        m_nResult = RESULT_TOO_LARGE;
        return false;
    }
    return true;
}

void CBackup::CheckStream()
{
    if (m_bWriteError && m_nResult == RESULT_OK)
        m_nResult = RESULT_WRITE_FAILED;
    // The readers hold archive offsets in 32 bits (and FAT volumes hold no
    // larger file): a block must also end below 4 GiB.
    if (m_nResult == RESULT_OK && !Stopped() && Position() > 0xFFFFFFFFull)
        m_nResult = RESULT_TOO_LARGE;
}

// ---- displays ----

void CBackup::ProgressStep(int kind)
{
    if (Stopped())
        return;
    m_nProgressDone++;
    DWORD total = m_nProgressTotal ? m_nProgressTotal : 1;
    unsigned long long percent = (unsigned long long)m_nProgressDone * 100 / total;
    // Entries that appeared after the count must not take the display past 100.
    if (percent > 100)
        percent = 100;
    if ((DWORD)percent == s_nLastPercent[kind])
        return;
    s_nLastPercent[kind] = (DWORD)percent;
    if (m_pOutput && !m_bCancel)
        m_pOutput->SetJobProgress((int)percent);
}

void CBackup::ShowCurrentItem(const char* text)
{
    if (m_pOutput && !m_bCancel)
        m_pOutput->SetCurrentItem(text);
}

void CBackup::AddLogLine(const char* text)
{
    if (m_pOutput && !m_bCancel)
        m_pOutput->AddLine(text);
}

void CBackup::Unreadable(const std::string& what) { m_unreadable.push_back(what); }
