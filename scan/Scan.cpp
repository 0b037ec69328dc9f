#include "scan/Scan.h"

#include "base/FileNames.h"
#include "base/JobState.h"

#include <cstring>
#include <new>
#include <string>

IMPLEMENT_DYNCREATE(CScan, CWinThread)

namespace {

const char kMagic[8] = {'Z', 'M', 'R', 'F', 'v', '1', '.', '0'};

// Sections of a report, in file order, and the ScanFlags byte of each.
enum { SECTION_DIRECTORIES, SECTION_REGISTRY, SECTION_SETTINGS, SECTION_DOS, SECTION_COUNT };
const int kSectionFlag[SECTION_COUNT] = {SF_DIRECTORIES, SF_REGISTRY, SF_SETTINGS_FILES,
                                         SF_DOS_FILES};

const char kDirectoryLine[] = "Сканирование каталога ";
const char kKeyLine[] = "Сканирование ключа ";
const char kFileLine[] = "Сканирование файла ";

const DWORD kMaxName = 0xFFFF;     // longest name a u16 length can tell
const ULONGLONG kMaxReport = 0xFFFFFFFFull; // block offsets and lengths are u32

// path, a backslash unless path ends in one, and name; false when it does not fit.
bool JoinPath(char* out, size_t size, const char* path, const char* name)
{
    size_t lp = std::strlen(path), ln = std::strlen(name);
    bool slash = lp > 0 && path[lp - 1] == '\\';
    size_t total = lp + (slash ? 0 : 1) + ln;
    if (total >= size)
        return false;
    std::memcpy(out, path, lp);
    if (!slash)
        out[lp++] = '\\';
    std::memcpy(out + lp, name, ln + 1);
    return true;
}

} // namespace

CScan::CScan()
    : m_hReport(INVALID_HANDLE_VALUE), m_recType(0), m_recLen(0), m_nRecords(0), m_bCancel(0),
      m_pszReportPath(nullptr), m_bReportFailed(0), m_pOutput(nullptr), m_nReportSize(0),
      m_pWriteBuffer(nullptr), m_nWriteFill(0)
{
    m_controls.SetCancelFlag(&m_bCancel);
    g_bEngineBusy = 1;
}

CScan::~CScan()
{
    delete[] m_pszReportPath;
    delete[] m_pWriteBuffer;
}

BOOL CScan::InitInstance() { return TRUE; }

void CScan::SetTargets(CWnd* pPage, CListCtrl* pList, CWnd* pStatus)
{
    m_controls.SetPage(pPage);
    m_controls.SetList(pList);
    m_controls.SetCurrentItemLabel(pStatus);
    m_pOutput = &m_controls;
}

void CScan::SetReportPath(const char* path)
{
    delete[] m_pszReportPath;
    m_pszReportPath = nullptr;
    if (!path)
        return;
    size_t n = std::strlen(path) + 1;
    m_pszReportPath = new (std::nothrow) char[n];
    if (m_pszReportPath)
        std::memcpy(m_pszReportPath, path, n);
}

void CScan::SetLineImage(int line, int image)
{
    if (m_pOutput && !m_bCancel)
        m_pOutput->SetLineImage(line, image);
}

void CScan::SetStatusText(const char* text)
{
    if (m_pOutput && !m_bCancel)
        m_pOutput->SetCurrentItem(text);
}

// ---------------------------------------------------------------------------
// Run

int CScan::SectionEntryCount(int section) const
{
    switch (section) {
    case SECTION_DIRECTORIES: return g_PathList.nCount;
    case SECTION_REGISTRY: return g_KeyList.nCount;
    case SECTION_SETTINGS: return g_SettingsFiles.nCount;
    default: return g_DosFiles.nCount;
    }
}

void CScan::EntryName(int section, int index, char* name) const
{
    const char* src;
    switch (section) {
    case SECTION_DIRECTORIES: src = g_PathList.items[index].szPath; break;
    case SECTION_REGISTRY:
        src = g_KeyList.items[index].szPath;
        if (!*src)
            src = RootKeyName(g_KeyList.items[index].dwRoot, g_osFamily);
        break;
    case SECTION_SETTINGS: src = g_SettingsFiles.szPath[index]; break;
    default: src = g_DosFiles.szPath[index]; break;
    }
    size_t n = strnlen(src, MAX_PATH - 1);
    std::memcpy(name, src, n);
    name[n] = 0;
    // A directory is named without its trailing backslash, a drive root keeps it.
    if (section == SECTION_DIRECTORIES && n > 3 && name[n - 1] == '\\')
        name[n - 1] = 0;
}

void CScan::WriteEntryRecords(int section, int index)
{
    switch (section) {
    case SECTION_DIRECTORIES:
        ScanDirectory(g_PathList.items[index].szPath, MODE_RECORD);
        break;
    case SECTION_REGISTRY:
        m_nRecords = 1;
        BeginRecord(REC_KEY, "\\", 1);
        ScanKey(RootKeyHandle(g_KeyList.items[index].dwRoot), "", MODE_RECORD);
        break;
    case SECTION_SETTINGS: ScanTextFile(g_SettingsFiles.szPath[index]); break;
    default: ScanTextFile(g_DosFiles.szPath[index]); break;
    }
}

void CScan::WriteSection(int section, int firstLine)
{
    int count = SectionEntryCount(section);
    DWORD* positions = new (std::nothrow) DWORD[count > 0 ? count : 1];
    if (!positions) {
        m_bReportFailed = 1;
        return;
    }
    WriteWord((WORD)count);
    char name[MAX_PATH];
    int written = 0;
    for (; written < count && !m_bCancel; written++) {
        EntryName(section, written, name);
        WORD length = (WORD)std::strlen(name);
        WriteWord(length);
        WriteBytes(name, length);
        positions[written] = (DWORD)m_nReportSize;
        static const BYTE zero[12] = {};
        WriteBytes(zero, sizeof zero);
    }
    for (int k = 0; k < written && !m_bCancel; k++) {
        SetLineImage(firstLine + k, IMAGE_RUNNING);
        DWORD start = (DWORD)m_nReportSize;
        m_nRecords = 0;
        WriteEntryRecords(section, k);
        PatchDescriptor(positions[k], start, (DWORD)(m_nReportSize - start), m_nRecords);
        SetLineImage(firstLine + k, IMAGE_DONE);
    }
    delete[] positions;
}

int CScan::Run()
{
    // Nothing may leave the thread: a failed allocation ends the job like a
    // failed write, with the report removed and g_bEngineBusy cleared.
    try {
        ScanJob();
    } catch (...) {
        m_bReportFailed = 1;
        if (m_hReport != INVALID_HANDLE_VALUE) {
            CloseHandle(m_hReport);
            m_hReport = INVALID_HANDLE_VALUE;
            DeleteFileA(m_pszReportPath);
        }
        delete[] m_pWriteBuffer;
        m_pWriteBuffer = nullptr;
        try {
            if (!m_bCancel && m_pOutput)
                m_pOutput->JobEnded(false);
        } catch (...) {
        }
        g_bEngineBusy = 0;
    }
    return 0;
}

void CScan::ScanJob()
{
    int counts[SECTION_COUNT];
    for (int s = 0; s < SECTION_COUNT; s++) {
        counts[s] = SectionEntryCount(s);
        if (counts[s] == 0)
            ScanFlags[kSectionFlag[s]] = 0;
    }

    if (m_pOutput && !m_bCancel) {
        char line[MAX_PATH + 64];
        char name[MAX_PATH];
        static const char* const prefix[SECTION_COUNT] = {kDirectoryLine, kKeyLine, kFileLine,
                                                          kFileLine};
        for (int s = 0; s < SECTION_COUNT; s++) {
            if (!ScanFlags[kSectionFlag[s]])
                continue;
            for (int k = 0; k < counts[s] && !m_bCancel; k++) {
                EntryName(s, k, name);
                std::strcpy(line, prefix[s]);
                std::strcat(line, name);
                m_pOutput->AddLine(line, IMAGE_PENDING);
            }
        }
    }

    m_bReportFailed = 0;
    m_nReportSize = 0;
    m_nWriteFill = 0;
    m_hReport = INVALID_HANDLE_VALUE;
    if (m_pszReportPath)
        m_hReport = CreateFileA(m_pszReportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    bool created = m_hReport != INVALID_HANDLE_VALUE;
    if (!created)
        m_bReportFailed = 1;
    delete[] m_pWriteBuffer;
    m_pWriteBuffer = new (std::nothrow) BYTE[WRITE_BUFFER_SIZE];

    SYSTEMTIME now;
    GetSystemTime(&now);
    WriteBytes(kMagic, sizeof kMagic);
    WriteBytes(ScanFlags, 8);
    const WORD timeFields[8] = {now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
                                now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
    for (WORD field : timeFields)
        WriteWord(field);

    int line = 0;
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!ScanFlags[kSectionFlag[s]])
            continue;
        WriteSection(s, line);
        line += counts[s];
    }

    if (!m_bCancel)
        SetStatusText("");
    if (created) {
        Flush();
        CloseHandle(m_hReport);
        m_hReport = INVALID_HANDLE_VALUE;
        // A cancelled scan leaves no report; neither does one that could not be
        // written whole, which would otherwise pass for a complete record.
        if (m_bCancel || m_bReportFailed)
            DeleteFileA(m_pszReportPath);
    }
    delete[] m_pWriteBuffer;
    m_pWriteBuffer = nullptr;

    if (!m_bCancel && m_pOutput)
        m_pOutput->JobEnded(!m_bReportFailed);
    g_bEngineBusy = 0;
}

// ---------------------------------------------------------------------------
// Report output

void CScan::WriteBytes(const void* data, DWORD size)
{
    if (m_hReport == INVALID_HANDLE_VALUE || m_hReport == nullptr || m_bReportFailed || size == 0)
        return;
    if (m_nReportSize + size > kMaxReport) {
        m_bReportFailed = 1;
        return;
    }
    if (m_pWriteBuffer) {
        if (m_nWriteFill + size > WRITE_BUFFER_SIZE && !Flush())
            return;
        if (size <= WRITE_BUFFER_SIZE) {
            std::memcpy(m_pWriteBuffer + m_nWriteFill, data, size);
            m_nWriteFill += size;
            m_nReportSize += size;
            return;
        }
    }
    DWORD done = 0;
    if (!WriteFile(m_hReport, data, size, &done, nullptr) || done != size) {
        m_bReportFailed = 1;
        return;
    }
    m_nReportSize += size;
}

bool CScan::Flush()
{
    if (!m_pWriteBuffer || m_nWriteFill == 0)
        return !m_bReportFailed;
    DWORD done = 0;
    DWORD fill = m_nWriteFill;
    m_nWriteFill = 0;
    if (!WriteFile(m_hReport, m_pWriteBuffer, fill, &done, nullptr) || done != fill) {
        m_bReportFailed = 1;
        return false;
    }
    return true;
}

bool CScan::PatchDescriptor(DWORD position, DWORD start, DWORD length, DWORD count)
{
    if (m_hReport == INVALID_HANDLE_VALUE || m_hReport == nullptr || m_bReportFailed)
        return false;
    if (!Flush())
        return false;
    const DWORD fields[3] = {start, length, count};
    DWORD done = 0;
    bool ok = SetFilePointer(m_hReport, (LONG)position, nullptr, FILE_BEGIN) == position &&
              WriteFile(m_hReport, fields, sizeof fields, &done, nullptr) && done == sizeof fields;
    if (SetFilePointer(m_hReport, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        ok = false;
    if (!ok)
        m_bReportFailed = 1;
    return ok;
}

bool CScan::BeginRecord(BYTE type, const char* name, size_t length)
{
    if (length > kMaxName)
        return false;
    m_recType = type;
    m_recLen = (WORD)length;
    WriteBytes(&m_recType, 1);
    WriteWord(m_recLen);
    WriteBytes(name, (DWORD)length);
    return true;
}

// ---------------------------------------------------------------------------
// Directory walk

namespace {

typedef DWORD(WINAPI* FinalPathFunc)(HANDLE, LPSTR, DWORD, DWORD);

// The system's final-path query where there is one (not before Windows Vista).
FinalPathFunc FinalPathQuery()
{
    static FinalPathFunc func = (FinalPathFunc)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA");
    return func;
}

// Path of the file or directory that path opens, with every link on the way
// resolved; false when it cannot be opened or told.
bool FinalPath(const char* path, char* out, DWORD size)
{
    FinalPathFunc query = FinalPathQuery();
    char plain[MAX_PATH];
    size_t length = std::strlen(path);
    if (!query || length == 0 || length >= sizeof plain)
        return false;
    std::memcpy(plain, path, length + 1);
    if (length > 3 && plain[length - 1] == '\\')
        plain[length - 1] = 0;
    HANDLE h = CreateFileA(plain, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = query(h, out, size, 0);
    CloseHandle(h);
    return n > 0 && n < size;
}

} // namespace

bool CScan::IsLinkedDirectory(const char* path)
{
    char plain[MAX_PATH];
    size_t n = std::strlen(path);
    if (n == 0 || n >= sizeof plain)
        return false;
    std::memcpy(plain, path, n + 1);
    if (n > 3 && plain[n - 1] == '\\')
        plain[n - 1] = 0;
    DWORD attributes = GetFileAttributesA(plain);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool CScan::IsOwnFile(const char* finalDir, const char* full, const char* name)
{
    char expected[3 * MAX_PATH + 8];
    char finalFile[2 * MAX_PATH + 8];
    if (!finalDir || std::strlen(finalDir) + std::strlen(name) >= sizeof expected ||
        !FinalPath(full, finalFile, sizeof finalFile))
        return false;
    std::strcpy(expected, finalDir);
    std::strcat(expected, name);
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, finalFile, -1, expected, -1) ==
           CSTR_EQUAL;
}

void CScan::ScanDirectory(const char* path, int mode)
{
    // An empty path would name the root of the current drive.
    if (!path || !*path)
        return;
    // A directory that is itself a link or junction is left alone when deleting:
    // its contents belong to another tree.
    if (mode == MODE_DELETE && IsLinkedDirectory(path))
        return;

    // Where the system can tell, the resolved path of the directory, against which
    // each file is checked before it is deleted: a symbolic link to a file that
    // does not carry the reparse-point attribute (Wine shows Unix links to files
    // as plain files) would otherwise take its target with it.
    char finalDir[2 * MAX_PATH + 8];
    bool checkFiles = mode == MODE_DELETE && FinalPathQuery() != nullptr;
    bool haveFinalDir = checkFiles && FinalPath(path, finalDir, sizeof finalDir - 1);
    if (haveFinalDir) {
        size_t n = std::strlen(finalDir);
        if (n > 0 && finalDir[n - 1] != '\\')
            std::strcpy(finalDir + n, "\\");
    }

    char pattern[MAX_PATH + 8];
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA fd;
    if (JoinPath(pattern, sizeof pattern, path, "*.*"))
        find = FindFirstFileA(pattern, &fd);
    if (mode == MODE_RECORD)
        SetStatusText(path);

    if (find != INVALID_HANDLE_VALUE) {
        char full[2 * MAX_PATH + 2];
        do {
            if (IsDotEntry(fd.cFileName) || !JoinPath(full, sizeof full - 1, path, fd.cFileName))
                continue;
            bool directory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            bool link = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            switch (mode) {
            case MODE_RECORD:
                if (!BeginRecord(directory ? REC_DIRECTORY : REC_FILE, full, std::strlen(full)))
                    break;
                m_nRecords++;
                if (ScanFlags[SF_SIZES]) {
                    WriteDword(fd.nFileSizeHigh);
                    WriteDword(fd.nFileSizeLow);
                }
                if (ScanFlags[SF_ATTRIBUTES])
                    WriteDword(fd.dwFileAttributes);
                if (ScanFlags[SF_CREATION_TIMES]) {
                    WriteDword(fd.ftCreationTime.dwHighDateTime);
                    WriteDword(fd.ftCreationTime.dwLowDateTime);
                }
                if (directory && !link) {
                    std::strcat(full, "\\");
                    ScanDirectory(full, MODE_RECORD);
                }
                break;
            case MODE_DELETE:
                if (link) {
                    // The link itself goes, never what it points to; its
                    // attributes are left alone, since setting them may reach
                    // the target.
                    if (directory)
                        RemoveDirectoryA(full);
                    else
                        DeleteFileA(full);
                } else if (directory) {
                    ScanDirectory(full, MODE_DELETE);
                } else if (!checkFiles || IsOwnFile(haveFinalDir ? finalDir : nullptr, full,
                                                    fd.cFileName)) {
                    SetFileAttributesA(full, FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(full);
                }
                break;
            default:
                m_nRecords++;
                if (directory && !link) {
                    std::strcat(full, "\\");
                    ScanDirectory(full, MODE_COUNT);
                }
                break;
            }
        } while (!m_bCancel && FindNextFileA(find, &fd));
        FindClose(find);
    }

    if (mode == MODE_DELETE) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(path);
    }
}

// ---------------------------------------------------------------------------
// Registry walk

void CScan::ScanKey(HKEY root, const char* path, int mode)
{
    if (mode != MODE_RECORD && mode != MODE_COUNT)
        return;
    if (!path)
        path = "";
    if (mode == MODE_RECORD)
        SetStatusText(path);

    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;

    size_t pathLength = std::strlen(path);
    if (mode == MODE_RECORD && ScanFlags[SF_VALUES]) {
        for (DWORD index = 0; !m_bCancel; index++) {
            DWORD nameLength = VALUE_NAME_SIZE;
            DWORD dataLength = VALUE_DATA_SIZE;
            DWORD type = 0;
            if (RegEnumValueA(key, index, m_szValueName, &nameLength, nullptr, &type, m_valueData,
                              &dataLength) != ERROR_SUCCESS)
                break;
            const char* name = nameLength ? m_szValueName : "@";
            if (!nameLength)
                nameLength = 1;
            size_t length = pathLength + 1 + nameLength;
            if (length > kMaxName)
                continue;
            m_recType = REC_VALUE;
            m_recLen = (WORD)length;
            WriteBytes(&m_recType, 1);
            WriteWord(m_recLen);
            WriteBytes(path, (DWORD)pathLength);
            WriteBytes("\\", 1);
            WriteBytes(name, nameLength);
            WriteDword(type);
            WriteDword(dataLength);
            WriteBytes(m_valueData, dataLength);
            m_nRecords++;
        }
    }

    char subkey[VALUE_NAME_SIZE];
    std::string child;
    for (DWORD index = 0; !m_bCancel; index++) {
        DWORD length = sizeof subkey;
        if (RegEnumKeyExA(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        child.assign(path, pathLength);
        if (pathLength)
            child += '\\';
        child.append(subkey, length);
        if (mode == MODE_RECORD && !BeginRecord(REC_KEY, child.data(), child.size()))
            continue;
        m_nRecords++;
        ScanKey(root, child.c_str(), mode);
    }
    RegCloseKey(key);
}

// ---------------------------------------------------------------------------
// Text files

void CScan::WriteTextLine(const BYTE* line, size_t length)
{
    // A line longer than a record can hold goes into several records.
    do {
        size_t part = length > kMaxName ? kMaxName : length;
        BeginRecord(REC_LINE, (const char*)line, part);
        m_nRecords++;
        line += part;
        length -= part;
    } while (length > 0);
}

void CScan::ScanTextFile(const char* path)
{
    SetStatusText(path);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    BYTE* data = nullptr;
    DWORD got = 0;
    if (size != INVALID_FILE_SIZE && high == 0 && size > 0) {
        data = new (std::nothrow) BYTE[size];
        if (data && !ReadFile(file, data, size, &got, nullptr))
            got = 0;
    }
    CloseHandle(file);
    if (!data)
        return;

    size_t start = 0;
    size_t i = 0;
    bool cancelled = false;
    while (i < got) {
        if (data[i] != 13) {
            i++;
            continue;
        }
        if (m_bCancel) {
            cancelled = true;
            break;
        }
        WriteTextLine(data + start, i - start);
        i++;
        // The line feed of a CR LF pair belongs to the line end; any other byte
        // after a lone carriage return starts the next line.
        if (i < got && data[i] == 10)
            i++;
        start = i;
    }
    if (!cancelled && got > start)
        WriteTextLine(data + start, got - start);
    delete[] data;
}
