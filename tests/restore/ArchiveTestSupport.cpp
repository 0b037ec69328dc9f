#include "tests/restore/ArchiveTestSupport.h"

#include <cstring>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#include <ctime>
#endif

namespace {

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

const DosStamp kStampA = {(43 << 9) | (7 << 5) | 9, (8 << 11) | (1 << 5) | 2,
                          (40 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29};
const DosStamp kStampB = {(44 << 9) | (2 << 5) | 28, (12 << 11), (39 << 9) | (6 << 5) | 15,
                          (6 << 11) | (30 << 5)};

} // namespace

const std::vector<SampleEntry>& SampleEntries()
{
    static const std::string s(1, kPathSeparator);
    static const std::vector<SampleEntry> entries = {
        {"C:", "C", true, {}, FILE_ATTRIBUTE_DIRECTORY, kStampA},
        {"C:\\Папка", "C" + s + NATIVE_TEXT("Папка"), true, {}, FILE_ATTRIBUTE_DIRECTORY, kStampA},
        {"C:\\Папка\\текст.txt", "C" + s + NATIVE_TEXT("Папка") + s + NATIVE_TEXT("текст.txt"), false,
         TextBytes(5000, 1), FILE_ATTRIBUTE_ARCHIVE, kStampB},
        {"C:\\Папка\\ro.bin", "C" + s + NATIVE_TEXT("Папка") + s + "ro.bin", false, RandomBytes(3000, 2),
         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, kStampA},
        {"C:\\Папка\\пусто.txt", "C" + s + NATIVE_TEXT("Папка") + s + NATIVE_TEXT("пусто.txt"), false,
         {}, FILE_ATTRIBUTE_ARCHIVE, kStampB},
        {"C:\\Папка\\Вложенная", "C" + s + NATIVE_TEXT("Папка") + s + NATIVE_TEXT("Вложенная"), true, {},
         FILE_ATTRIBUTE_DIRECTORY, kStampB},
        {"C:\\Папка\\Вложенная\\deep.txt",
         "C" + s + NATIVE_TEXT("Папка") + s + NATIVE_TEXT("Вложенная") + s + "deep.txt", false,
         TextBytes(20000, 3), FILE_ATTRIBUTE_ARCHIVE, kStampA},
        {"C:\\empty", "C" + s + "empty", true, {}, FILE_ATTRIBUTE_DIRECTORY, kStampA},
    };
    return entries;
}

const std::vector<SampleValue>& SampleValues()
{
    static const std::vector<SampleValue> values = {
        {"", 1, BytesOf(std::string("default", 8))},
        {"строка", 1, BytesOf(std::string("a\"b\\c Текст", 12))},
        {"exp", 2, BytesOf(std::string("%PATH%;x", 9))},
        {"bin", 3, RandomBytes(70, 4)},
        {"dw", 4, MakeBytes({0xEF, 0xBE, 0xAD, 0x0E})},
        {"multi", 7, BytesOf(std::string("a\0bb\0\0", 6))},
        {"q", 11, MakeBytes({1, 2, 3, 4, 5, 6, 7, 8})},
        {"none", 0, {}},
    };
    return values;
}

const std::vector<std::string>& CraftedNames()
{
    static const std::vector<std::string> names = {
        "..",  ".",    "...",     ". .",  "a\\b",     "\\x",    "a/b",     "/",    "/etc",
        "c:d", "C:",   "",        "CON",  "nul.txt",  "Com1",   "lpt9.log", "AUX ", "CONIN$",
        "a*b", "q?",   "x\x01y", std::string("a\0b", 3), "a<b", "a|b",     "\"q\""};
    return names;
}

void CraftedBox(CArchiveBuilder& b, const std::string& name)
{
    b.Dir("box", 3);
    b.Dir(name, 2);
    b.File("inner.txt", BytesOf("inner"));
    b.Dir("deeper", 1);
    b.File("x.txt", BytesOf("x"));
    b.File(name, BytesOf("refused file"));
    b.File("ok.txt", BytesOf("ok"));
}

std::string Shown(const std::string& name)
{
    std::string shown = name;
    for (char& c : shown)
        if ((unsigned char)c < 32)
            c = '?';
    return shown;
}

std::string LinesText(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\n";
    return s;
}

CArchiveBuilder SampleArchive()
{
    const std::vector<SampleEntry>& e = SampleEntries();
    CArchiveBuilder b(1, 1, 1, 1);
    b.Count(1);
    b.Dir("C:", 2, e[0].attributes, e[0].stamp);
    b.Dir("Папка", 4, e[1].attributes, e[1].stamp);
    b.File("текст.txt", e[2].data, e[2].attributes, e[2].stamp);
    b.File("ro.bin", e[3].data, e[3].attributes, e[3].stamp);
    b.File("пусто.txt", e[4].data, e[4].attributes, e[4].stamp);
    b.Dir("Вложенная", 1, e[5].attributes, e[5].stamp);
    b.File("deep.txt", e[6].data, e[6].attributes, e[6].stamp);
    b.Dir("empty", 0, e[7].attributes, e[7].stamp);
    b.Count(1);
    b.KeyChain(0x80000001, "Software\\ZelmoraSample", 0, (DWORD)SampleValues().size());
    for (const SampleValue& v : SampleValues())
        b.Value(v.name, v.type, v.data);
    return b;
}

#ifdef _WIN32
bool ReadDosStamp(const std::string& path, DosStamp& stamp)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME access, write, local;
    bool ok = GetFileTime(h, nullptr, &access, &write) != 0;
    CloseHandle(h);
    ok = ok && FileTimeToLocalFileTime(&access, &local) &&
         FileTimeToDosDateTime(&local, &stamp.accessDate, &stamp.accessTime);
    ok = ok && FileTimeToLocalFileTime(&write, &local) &&
         FileTimeToDosDateTime(&local, &stamp.writeDate, &stamp.writeTime);
    return ok;
}

bool IsDirectoryAt(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReadOnlyAt(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

std::set<std::string> ListNames(const std::string& dir)
{
    std::set<std::string> names;
    std::string base = dir;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((base + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(fd.cFileName, ".") && std::strcmp(fd.cFileName, ".."))
            names.insert(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}
#else
namespace {

void DosFields(time_t t, WORD& date, WORD& time)
{
    struct tm local;
    localtime_r(&t, &local);
    date = (WORD)(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    time = (WORD)((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

} // namespace

bool ReadDosStamp(const std::string& path, DosStamp& stamp)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return false;
    DosFields(st.st_atime, stamp.accessDate, stamp.accessTime);
    DosFields(st.st_mtime, stamp.writeDate, stamp.writeTime);
    return true;
}

bool IsDirectoryAt(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnlyAt(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

std::set<std::string> ListNames(const std::string& dir)
{
    std::set<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = readdir(d))
        if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
            names.insert(e->d_name);
    closedir(d);
    return names;
}
#endif

bool SameStamp(const DosStamp& a, const DosStamp& b)
{
    return a.accessDate == b.accessDate && a.accessTime == b.accessTime &&
           a.writeDate == b.writeDate && a.writeTime == b.writeTime;
}

static void ListTreeInto(const std::string& base, const std::string& rel, std::set<std::string>& out)
{
    for (const std::string& name : ListNames(base + rel)) {
        std::string path = rel + name;
        if (IsDirectoryAt(base + path)) {
            out.insert(path + kPathSeparator);
            ListTreeInto(base, path + kPathSeparator, out);
        } else {
            out.insert(path);
        }
    }
}

std::set<std::string> ListTree(const std::string& dir)
{
    std::set<std::string> out;
    std::string base = dir;
    if (!base.empty() && base.back() != kPathSeparator)
        base += kPathSeparator;
    ListTreeInto(base, "", out);
    return out;
}
