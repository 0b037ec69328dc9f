#include "restore/ReplacingFile.h"

#include <cstdio>

namespace {

// The folder part of a path, with its separator ("" when there is none).
std::string FolderOf(const std::string& path)
{
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool Move(const char* from, const char* to, bool replace)
{
    if (MoveFileExA(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0))
        return true;
#ifdef _WIN32
    // Windows 95, 98 and ME have no MoveFileEx: a plain move, which never replaces,
    // after the target is removed when it is to be replaced.
    if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        if (replace)
            DeleteFileA(to);
        return MoveFileA(from, to) != FALSE;
    }
#endif
    return false;
}

// Renames over the target. On Windows a read-only target cannot be replaced: it
// loses the attribute first and gets it back when the rename fails.
bool Rename(const char* from, const char* to, bool replace)
{
#ifdef _WIN32
    DWORD old = replace ? GetFileAttributesA(to) : INVALID_FILE_ATTRIBUTES;
    bool readOnly = old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) &&
                    !(old & FILE_ATTRIBUTE_DIRECTORY);
    if (readOnly)
        SetFileAttributesA(to, old & ~FILE_ATTRIBUTE_READONLY);
    if (Move(from, to, replace))
        return true;
    if (readOnly)
        SetFileAttributesA(to, old);
    return false;
#else
    return Move(from, to, replace);
#endif
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
    const std::string folder = FolderOf(m_target);
    static unsigned s_counter = 0;
    for (int attempt = 0; attempt < 1000; attempt++) {
        char name[32];
        std::snprintf(name, sizeof name, "~zm%05u.tmp", s_counter++ % 100000u);
        std::string temp = folder + name;
        m_hFile = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_hFile != INVALID_HANDLE_VALUE) {
            m_temp = temp;
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
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
    if (Rename(m_temp.c_str(), m_target.c_str(), replace)) {
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
