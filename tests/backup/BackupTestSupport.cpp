#include "tests/backup/BackupTestSupport.h"

#include "base/JobState.h"
#include "tests/support/LineRecorder.h"

#include <gtest/gtest.h>

#include <cstring>

void ResetJob(int files, int attributes, int times, int registry)
{
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    ArchiveFlags[AF_FILES] = (BYTE)files;
    ArchiveFlags[AF_ATTRIBUTES] = (BYTE)attributes;
    ArchiveFlags[AF_TIMES] = (BYTE)times;
    ArchiveFlags[AF_REGISTRY] = (BYTE)registry;
    g_osFamily = OS_NT5;
}

void AddPath(const std::string& path)
{
    ASSERT_TRUE(AddPathItem(path.c_str(), !path.empty() && path.back() == '\\'));
}

void AddKey(DWORD root, const std::string& path) { ASSERT_TRUE(AddKeyItem(root, path.c_str(), 1)); }

BackupOutcome RunBackup(const std::string& archive, unsigned long long blockLimit, unsigned threads)
{
    CLineRecorder recorder;
    CBackup* b = new CBackup;
    b->SetOutput(&recorder);
    b->SetArchivePath(archive.c_str());
    if (blockLimit)
        b->m_nBlockLimit = blockLimit;
    if (threads)
        b->m_nCodingThreads = threads;
    b->Run();
    BackupOutcome o;
    o.result = b->m_nResult;
    o.log = recorder.lines;
    o.unreadable = b->m_unreadable;
    o.skipped = b->m_skippedItems;
    delete b;
    EXPECT_EQ(g_bEngineBusy, 0);
    return o;
}

// ---- test drive ----

bool CTestDrive::Available()
{
    static int known = -1;
    if (known >= 0)
        return known == 1;
    known = 0;
    // Under Wine only: Q: must be the prefix's drive_q directory, which the
    // fixture links; a probe file written through Q: has to show up there.
    typedef char*(CDECL * UnixName)(LPCWSTR);
    UnixName unixName =
        (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    DWORD a = GetFileAttributesA("Q:\\");
    if (!unixName || a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    char* name = unixName(L"Q:\\");
    if (!name)
        return false;
    std::string s(name);
    HeapFree(GetProcessHeap(), 0, name);
    const std::string tail = "/dosdevices/q:/";
    if (s.size() <= tail.size() || s.compare(s.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    std::string prefix = s.substr(0, s.size() - tail.size());
    std::string mirror = "Z:" + prefix + "/drive_q/zm_drive_probe";
    for (char& c : mirror)
        if (c == '/')
            c = '\\';
    if (!WriteFileBytes("Q:\\zm_drive_probe", {}))
        return false;
    known = GetFileAttributesA(mirror.c_str()) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
    DeleteFileA("Q:\\zm_drive_probe");
    return known == 1;
}

void CTestDrive::Empty()
{
    if (Available())
        EmptyTree("Q:\\");
}

CTestDrive::CTestDrive() { Empty(); }
CTestDrive::~CTestDrive() { Empty(); }

// ---- registry ----

void DeleteKeyTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    char name[MAX_PATH];
    for (;;) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteKeyTree(root, path + "\\" + name);
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

CTestKey::CTestKey(const std::string& name) : m_path("Software\\ZelmoraTest\\" + name)
{
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
    HKEY k = Create("");
    RegCloseKey(k);
}

CTestKey::~CTestKey()
{
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZelmoraTest"); // only when empty
}

HKEY CTestKey::Create(const std::string& sub) const
{
    HKEY k = nullptr;
    std::string p = sub.empty() ? m_path : m_path + "\\" + sub;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, p.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &k, nullptr),
              ERROR_SUCCESS)
        << p;
    return k;
}

void CTestKey::SetValue(const std::string& sub, const std::string& name, DWORD type,
                        const Bytes& data) const
{
    HKEY k = Create(sub);
    EXPECT_EQ(RegSetValueExA(k, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                             (DWORD)data.size()),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

// ---- blocks, times, files ----

bool ExpandRecord(const Bytes& archive, const WalkedRecord& r, Bytes& out)
{
    out.assign(r.plainSize, 0);
    if (r.plainSize == 0)
        return r.codeSize == 0;
    Bytes code = RecordCode(archive, r);
    if (code.size() != r.codeSize)
        return false;
    CCompress* c = new CCompress;
    DWORD produced = 0;
    c->ExpandToMemory(code.data(), out.data(), (DWORD)code.size(), &produced, r.plainSize);
    delete c;
    return produced == r.plainSize;
}

void ExpectedDosTime(const FILETIME& utc, WORD& date, WORD& time)
{
    FILETIME local;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToDosDateTime(&local, &date, &time);
}

void MakeDirs(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); i++)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void MakeFile(const std::string& path, const Bytes& data)
{
    size_t slash = path.rfind('\\');
    if (slash != std::string::npos)
        MakeDirs(path.substr(0, slash));
    ASSERT_TRUE(WriteFileBytes(path, data)) << path;
}

std::string Describe(const WalkedArchive& a) { return DescribeArchive(a); }

FILETIME MakeTime(int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME st = {};
    st.wYear = (WORD)y;
    st.wMonth = (WORD)mo;
    st.wDay = (WORD)d;
    st.wHour = (WORD)h;
    st.wMinute = (WORD)mi;
    st.wSecond = (WORD)s;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

void SetTimes(const std::string& path, const FILETIME& access, const FILETIME& write)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    ASSERT_TRUE(SetFileTime(h, nullptr, &access, &write));
    CloseHandle(h);
}
