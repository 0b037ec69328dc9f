#include "restore/ReplacingFile.h"

#include "base/RootKeys.h"

#include <cstdio>

namespace {

// The folder part of a path, with its separator ("" when there is none).
std::string FolderOf(const std::string& path)
{
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// A name in the folder that nothing has yet ("~zm00042.tmp"); with a handle, the
// file is created under it (write access, no sharing), else only the name is
// found. "" when none can be had.
std::string FreeName(const std::string& folder, HANDLE* handle)
{
    static unsigned s_counter = 0;
    for (int attempt = 0; attempt < 1000; attempt++) {
        char name[32];
        std::snprintf(name, sizeof name, "~zm%05u.tmp", s_counter++ % 100000u);
        std::string path = folder + name;
        if (!handle) {
            if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
                return path;
            continue;
        }
        *handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (*handle != INVALID_HANDLE_VALUE)
            return path;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return std::string();
    }
    return std::string();
}

#ifdef _WIN32
// Windows 95, 98 and ME: the old file steps aside, the new one moves in, and the
// old one goes only then; when the new one cannot move in, the old one comes back.
bool ReplaceByMovingAside(const std::string& from, const std::string& to)
{
    const std::string aside = FreeName(FolderOf(to), nullptr);
    if (aside.empty() || !MoveFileA(to.c_str(), aside.c_str()))
        return false;
    if (!MoveFileA(from.c_str(), to.c_str())) {
        MoveFileA(aside.c_str(), to.c_str());
        return false;
    }
    DeleteFileA(aside.c_str());
    return true;
}

bool OnWindows9x()
{
    static const bool s_9x = RunningOsFamily() == OS_WIN9X;
    return s_9x;
}
#endif

bool Move(const std::string& from, const std::string& to, bool replace, bool exists)
{
#ifdef _WIN32
    if (!OnWindows9x()) {
        if (MoveFileExA(from.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
            return true;
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
            return false;
    }
    // A plain move never replaces.
    if (replace && exists)
        return ReplaceByMovingAside(from, to);
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
#else
    (void)exists;
    return MoveFileExA(from.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
#endif
}

// Renames over the target. On Windows a read-only, hidden or system target cannot
// be replaced: it loses its attributes first and gets them back when the rename
// fails.
bool Rename(const std::string& from, const std::string& to, bool replace)
{
    DWORD old = GetFileAttributesA(to.c_str());
    const bool exists = old != INVALID_FILE_ATTRIBUTES;
    if (exists && (old & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const bool cleared = replace && exists && (old & kBlocking);
    if (cleared)
        SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (Move(from, to, replace, exists))
        return true;
    if (cleared)
        SetFileAttributesA(to.c_str(), old);
    return false;
}

} // namespace

CReplacingFile::CReplacingFile(const std::string& target)
    : m_target(target), m_hFile(INVALID_HANDLE_VALUE)
{
}

CReplacingFile::~CReplacingFile() { Discard(); }

bool CReplacingFile::Create()
{
    Discard();
    m_temp = FreeName(FolderOf(m_target), &m_hFile);
    return !m_temp.empty();
}

bool CReplacingFile::Write(const void* data, DWORD size)
{
    DWORD written = 0;
    return m_hFile != INVALID_HANDLE_VALUE &&
           (size == 0 || (WriteFile(m_hFile, data, size, &written, nullptr) && written == size));
}

bool CReplacingFile::Commit(bool replace, bool readOnly, const FILETIME* access,
                            const FILETIME* write)
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return false;
    // Times go on through the handle, after the last write and before the close.
    if (access || write)
        SetFileTime(m_hFile, nullptr, access, write);
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (readOnly) {
        DWORD attributes = GetFileAttributesA(m_temp.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            attributes = 0;
        SetFileAttributesA(m_temp.c_str(), (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_READONLY);
    }
    if (Rename(m_temp, m_target, replace)) {
        m_temp.clear();
        return true;
    }
    Discard();
    return false;
}

void CReplacingFile::Discard()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (!m_temp.empty()) {
        SetFileAttributesA(m_temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(m_temp.c_str());
        m_temp.clear();
    }
}
