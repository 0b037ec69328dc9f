#include "compare/CompareCore.h"

#include "base/JobState.h"
#include "compare/ReportFile.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>

namespace {

const char kMagic[8] = {'Z', 'M', 'R', 'F', 'v', '1', '.', '0'};

struct SectionInfo {
    int nFlag;
    const char* pszHeading;
    const char* pszTitle;
};

const SectionInfo kSections[] = {
    {SF_DIRECTORIES, "    - Сканирование каталогов -", "Каталог "},
    {SF_REGISTRY, "    - Сканирование реестра -", "Ключ "},
    {SF_SETTINGS_FILES, "    - Сканирование файлов настройки -", "Файл "},
    {SF_DOS_FILES, "    - Сканирование DOS-файлов -", "Файл "},
};

const char kNotDone[] = "        не производилось";
const char kNoDifferences[] = "Расхождений не обнаружено";

WORD GetU16(const BYTE* p) { return (WORD)(p[0] | (p[1] << 8)); }
DWORD GetU32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((DWORD)p[3] << 24); }

std::string Name(const ReportItem& item)
{
    return std::string(reinterpret_cast<const char*>(item.pName), item.nNameLength);
}

std::string Number(uint64_t n)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llu", (unsigned long long)n);
    return text;
}

// Scan times compare by year, month, day, hour, minute, second and milliseconds;
// the day of the week (word 2) does not count.
bool IsLater(const WORD* a, const WORD* b)
{
    static const int order[] = {0, 1, 3, 4, 5, 6, 7};
    for (int k : order)
        if (a[k] != b[k])
            return a[k] > b[k];
    return false;
}

} // namespace

CCompareCore::CCompareCore(CJobOutput* pOutput, const volatile BYTE* pCancel)
    : m_bLiteralSearch(false), m_nLines(0), m_nSearches(0), m_matcher(m_flags1, m_flags2),
      m_pReport{nullptr, nullptr}, m_nPosition{0, 0}, m_bBroken{false, false}, m_dwRoot(0),
      m_pOutput(pOutput), m_pCancel(pCancel), m_nSection(-1)
{
    std::memset(m_flags1, 0, sizeof m_flags1);
    std::memset(m_flags2, 0, sizeof m_flags2);
}

const char* CCompareCore::FormatAttributes(DWORD attributes, char* buffer)
{
    std::strcpy(buffer, "<");
    if (attributes & 0x01)
        std::strcat(buffer, " RO");
    static const struct {
        DWORD bit;
        const char* text;
    } later[] = {{0x20, " A"}, {0x04, " S"}, {0x02, " H"}};
    for (const auto& a : later) {
        if (!(attributes & a.bit))
            continue;
        if (buffer[1])
            std::strcat(buffer, ";");
        std::strcat(buffer, a.text);
    }
    if (buffer[1])
        std::strcat(buffer, " ");
    std::strcat(buffer, ">");
    return buffer;
}

bool CCompareCore::SameEntryName(const BYTE* a, WORD na, const BYTE* b, WORD nb)
{
    if (na != nb)
        return false;
    for (WORD k = 0; k < na; k++) {
        BYTE x = a[k], y = b[k];
        if (x >= 'a' && x <= 'z')
            x = (BYTE)(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = (BYTE)(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

void CCompareCore::AddLine(const std::string& line, CCompareObserver::LineKind kind)
{
    if (Cancelled())
        return;
    m_nLines++;
    if (m_pOutput)
        m_pOutput->AddLine(line.c_str());
    for (CCompareObserver* o : m_observers)
        o->OnLine(kind, m_nSection, line);
}

void CCompareCore::NotCompared(const std::string& name)
{
    for (CCompareObserver* o : m_observers)
        o->OnEntryNotCompared(m_nSection, name);
}

int CCompareCore::Run(const char* path1, const char* path2)
{
    CReportFile file1, file2;
    bool open1 = file1.Open(path1);
    bool open2 = file2.Open(path2);
    return Run(open1 ? &file1 : nullptr, path1, open2 ? &file2 : nullptr, path2);
}

bool CCompareCore::ReadHeader(int side, BYTE* flags, WORD* time)
{
    CReportSource* report = m_pReport[side];
    BYTE header[HEADER_SIZE];
    if (!report || !report->Seek(0) || !report->Read(header, 8) ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return false;
    // A report too short for its flags and its time is no report either.
    if (!report->Read(header + 8, HEADER_SIZE - 8))
        return false;
    std::memcpy(flags, header + 8, 8);
    for (int k = 0; k < 8; k++)
        time[k] = GetU16(header + 16 + 2 * k);
    return true;
}

int CCompareCore::Run(CReportSource* pReport1, const char* path1, CReportSource* pReport2,
                      const char* path2)
{
    m_nLines = 0;
    m_nSearches = 0;
    m_pReport[0] = pReport1;
    m_pReport[1] = pReport2;
    m_path[0] = path1 ? path1 : "";
    m_path[1] = path2 ? path2 : "";
    m_bBroken[0] = m_bBroken[1] = false;
    m_nSection = -1;

    WORD time1[8], time2[8];
    if (!ReadHeader(0, m_flags1, time1)) {
        AddLine("Ошибка открытия файла " + m_path[0]);
        return RESULT_NOT_A_REPORT;
    }
    if (!ReadHeader(1, m_flags2, time2)) {
        AddLine("Ошибка открытия файла " + m_path[1]);
        return RESULT_NOT_A_REPORT;
    }
    // From here on report 1 is the older one; equal times keep the order chosen.
    if (IsLater(time1, time2)) {
        std::swap(m_pReport[0], m_pReport[1]);
        std::swap(m_path[0], m_path[1]);
        BYTE t[8];
        std::memcpy(t, m_flags1, 8);
        std::memcpy(m_flags1, m_flags2, 8);
        std::memcpy(m_flags2, t, 8);
        std::swap(time1, time2);
    }
    if (!m_observers.empty()) {
        ReportHeader older, newer;
        older.path = m_path[0];
        newer.path = m_path[1];
        std::memcpy(older.flags, m_flags1, 8);
        std::memcpy(newer.flags, m_flags2, 8);
        std::memcpy(older.time, time1, sizeof older.time);
        std::memcpy(newer.time, time2, sizeof newer.time);
        for (CCompareObserver* o : m_observers)
            o->OnReports(older, newer);
    }
    m_nPosition[0] = m_nPosition[1] = HEADER_SIZE;

    if (m_pOutput && !Cancelled())
        m_pOutput->ClearLines();
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;

    for (const SectionInfo& s : kSections) {
        m_nSection = (int)(&s - kSections);
        AddLine(s.pszHeading, CCompareObserver::LINE_SECTION);
        if (Cancelled())
            continue;
        try {
            CompareSection(m_flags1[s.nFlag], m_flags2[s.nFlag], s.pszTitle);
        } catch (const std::exception&) {
            // A section table too large for the memory left: the rest of both
            // reports cannot be found.
            m_bBroken[0] = m_bBroken[1] = true;
            AddLine("Недостаточно памяти для сравнения раздела");
            NotCompared("");
        }
    }

    ArchiveFlags[AF_FILES] = g_PathList.nCount > 0;
    ArchiveFlags[AF_REGISTRY] = g_KeyList.nCount > 0;
    m_pReport[0] = m_pReport[1] = nullptr;
    m_nSection = -1;
    return Cancelled() ? RESULT_CANCELLED : RESULT_COMPARED;
}

bool CCompareCore::ReadSectionTable(int side, std::vector<SectionEntry>& entries)
{
    CReportSource& report = *m_pReport[side];
    uint64_t position = m_nPosition[side];
    BYTE head[2];
    bool ok = !m_bBroken[side] && report.Seek(position) && report.Read(head, 2);
    position += 2;
    WORD count = ok ? GetU16(head) : 0;
    for (WORD k = 0; ok && k < count; k++) {
        if (Cancelled())
            return false;
        BYTE fixed[12];
        ok = report.Read(head, 2);
        WORD length = ok ? GetU16(head) : 0;
        // A name running past the end of the file is not even allocated.
        ok = ok && position + 2 + length + sizeof fixed <= report.Size();
        SectionEntry e;
        if (ok) {
            e.name.resize(length);
            ok = report.Read(&e.name[0], length) && report.Read(fixed, sizeof fixed);
        }
        if (!ok)
            break;
        e.dwOffset = GetU32(fixed);
        e.dwLength = GetU32(fixed + 4);
        e.dwCount = GetU32(fixed + 8);
        position += 2 + length + sizeof fixed;
        entries.push_back(std::move(e));
    }
    if (!ok) {
        m_bBroken[side] = true;
        entries.clear();
        AddLine("Поврежден отчет " + m_path[side] + ": оглавление раздела не читается");
        return false;
    }
    // The next section starts after the last block, or after the table when the
    // section has no entries.
    m_nPosition[side] =
        count ? (uint64_t)entries.back().dwOffset + entries.back().dwLength : position;
    return true;
}

void CCompareCore::CompareSection(BYTE has1, BYTE has2, const char* title)
{
    if (Cancelled())
        return;
    std::vector<SectionEntry> table1, table2;
    bool ok1 = false, ok2 = false;
    if (has1)
        ok1 = ReadSectionTable(0, table1);
    if (has2 && !Cancelled())
        ok2 = ReadSectionTable(1, table2);
    if (has1 && has2) {
        if (!ok1 || !ok2) {
            NotCompared("");
            return;
        }
        for (size_t a = 0; a < table1.size() && !Cancelled(); a++) {
            const SectionEntry& e1 = table1[a];
            for (size_t b = 0; b < table2.size() && !Cancelled(); b++) {
                const SectionEntry& e2 = table2[b];
                if (SameEntryName(reinterpret_cast<const BYTE*>(e1.name.data()), (WORD)e1.name.size(),
                                  reinterpret_cast<const BYTE*>(e2.name.data()), (WORD)e2.name.size()))
                    CompareEntries(e1, e2, title);
            }
        }
    } else {
        AddLine(kNotDone);
    }
}

void CCompareCore::CompareEntries(const SectionEntry& e1, const SectionEntry& e2, const char* title)
{
    AddLine(title + e1.name + ":", CCompareObserver::LINE_ENTRY);
    try {
        int s1 = m_block1.Load(*m_pReport[0], e1.dwOffset, e1.dwLength, e1.dwCount, m_flags1, m_pCancel);
        int s2 = CReportBlock::BLOCK_OK;
        if (!Cancelled())
            s2 = m_block2.Load(*m_pReport[1], e2.dwOffset, e2.dwLength, e2.dwCount, m_flags2, m_pCancel);
        if (!Cancelled()) {
            if (s1 != CReportBlock::BLOCK_OK)
                ReportBlockDamage(0, s1, m_block1);
            if (s2 != CReportBlock::BLOCK_OK)
                ReportBlockDamage(1, s2, m_block2);
            if (s1 == CReportBlock::BLOCK_OK && s2 == CReportBlock::BLOCK_OK) {
                m_dwRoot = RootKeyFromName(e1.name.c_str());
                if (m_nSection == CCompareObserver::SECTION_REGISTRY)
                    for (CCompareObserver* o : m_observers)
                        o->OnRegistryEntry(e1.name, m_block1, m_block2);
                CompareBlocks(e1.name + "\\");
            } else {
                NotCompared(e1.name);
            }
        }
    } catch (const std::exception&) {
        // Blocks too large for the memory left: this pair is not compared.
        m_block1.Release();
        m_block2.Release();
        AddLine("Недостаточно памяти для сравнения записей " + e1.name);
        NotCompared(e1.name);
    }
    m_block1.Release();
    m_block2.Release();
}

void CCompareCore::ReportBlockDamage(int side, int status, const CReportBlock& block)
{
    std::string line = "Поврежден отчет " + m_path[side] + ": ";
    switch (status) {
    case CReportBlock::BLOCK_OUTSIDE:
        line += "блок записей выходит за конец файла";
        break;
    case CReportBlock::BLOCK_UNREADABLE:
        line = "Ошибка чтения файла " + m_path[side];
        break;
    default:
        line += "целых записей " + Number(block.ItemCount()) + " из " + Number(block.DeclaredCount());
        break;
    }
    AddLine(line);
}

void CCompareCore::CompareBlocks(const std::string& prefix)
{
    if (Cancelled())
        return;
    const ReportItem* items1 = m_block1.Items();
    const ReportItem* items2 = m_block2.Items();
    DWORD n1 = m_block1.ItemCount(), n2 = m_block2.ItemCount();
    std::vector<LONG> marks1(n1), marks2(n2);
    DWORD lines = m_nLines;

    m_matcher.m_bLiteralSearch = m_bLiteralSearch;
    m_matcher.Match(items1, n1, items2, n2, marks1.data(), marks2.data(), m_pCancel);
    m_nSearches += m_matcher.m_nSearches;

    for (DWORD j = 0; j < n2 && !Cancelled(); j++)
        if (marks2[j] == MARK_UNMATCHED)
            AddCreated(items2[j], prefix);
    for (DWORD i = 0; i < n1 && !Cancelled(); i++)
        if (marks1[i] == MARK_UNMATCHED)
            AddDeleted(items1[i]);
    for (DWORD i = 0; i < n1 && !Cancelled(); i++)
        if (marks1[i] >= 0)
            AddChanged(items1[i], items2[marks1[i]], prefix);
    if (m_nLines == lines)
        AddLine(kNoDifferences);
}

void CCompareCore::AddCreated(const ReportItem& item, const std::string& prefix)
{
    std::string name = Name(item);
    switch (item.bType) {
    case REC_DIRECTORY:
        AddLine("Создан подкаталог " + name, CCompareObserver::LINE_CREATED);
        SelectPath(name + "\\");
        break;
    case REC_FILE:
        AddLine("Создан файл " + name, CCompareObserver::LINE_CREATED);
        SelectPath(name);
        break;
    case REC_KEY:
        AddLine("Создан раздел " + name, CCompareObserver::LINE_CREATED);
        SelectKey(prefix + name + "\\", 1);
        break;
    case REC_VALUE:
        AddLine("Создана переменная " + name, CCompareObserver::LINE_CREATED);
        SelectKey(prefix + name, 0);
        break;
    case REC_LINE:
        AddLine("Вставлена строка \"" + name + "\"", CCompareObserver::LINE_CREATED);
        break;
    default:
        break; // records of unknown types are not named
    }
}

void CCompareCore::AddDeleted(const ReportItem& item)
{
    std::string name = Name(item);
    switch (item.bType) {
    case REC_DIRECTORY: AddLine("Удален подкаталог " + name, CCompareObserver::LINE_DELETED); break;
    case REC_FILE: AddLine("Удален файл " + name, CCompareObserver::LINE_DELETED); break;
    case REC_KEY: AddLine("Удален раздел " + name, CCompareObserver::LINE_DELETED); break;
    case REC_VALUE: AddLine("Удалена переменная " + name, CCompareObserver::LINE_DELETED); break;
    case REC_LINE: AddLine("Удалена строка \"" + name + "\"", CCompareObserver::LINE_DELETED); break;
    default: break;
    }
}

void CCompareCore::AddChanged(const ReportItem& older, const ReportItem& newer,
                              const std::string& prefix)
{
    UINT r = CompareItems(older, newer);
    std::string name = Name(older);
    if (r == CMP_VALUE) {
        AddLine("Изменено значение переменной " + name, CCompareObserver::LINE_CHANGED);
        SelectKey(prefix + name, 0);
        return;
    }
    if (!(r & (CMP_SIZE | CMP_ATTRIBUTES | CMP_CREATION)))
        return;
    const char* kind = older.bType == REC_DIRECTORY ? "каталога " : "файла ";
    std::string text;
    if (r & CMP_SIZE)
        text = "Изменен размер файла " + name;
    if (r & CMP_ATTRIBUTES) {
        char was[ATTRIBUTE_TEXT], now[ATTRIBUTE_TEXT];
        text = std::string("Изменены атрибуты ") + kind + name + " с " +
               FormatAttributes(older.dwAttributes, was) + " на " +
               FormatAttributes(newer.dwAttributes, now);
    }
    if (r & CMP_CREATION)
        text = std::string("Изменено время создания ") + kind + name;
    AddLine(text, CCompareObserver::LINE_CHANGED);
    // The path goes in as recorded: no backslash is added for a directory.
    SelectPath(name);
}

void CCompareCore::SelectPath(const std::string& path)
{
    if (Cancelled())
        return;
    if (g_PathList.nCount >= MAX_JOB_COUNT)
        AddLine("Список файлов для архива заполнен, не добавлено: " + path);
    else if (path.size() >= MAX_PATH)
        AddLine("Слишком длинный путь для архива, не добавлено: " + path);
    else if (path.find('\0') != std::string::npos)
        AddLine("Недопустимое имя для архива, не добавлено: " + path);
    else
        AddPathItem(path.c_str(), (BYTE)(!path.empty() && path.back() == '\\'));
}

void CCompareCore::SelectKey(const std::string& entry, BYTE key)
{
    if (Cancelled())
        return;
    if (g_KeyList.nCount >= MAX_JOB_COUNT)
        AddLine("Список ключей для архива заполнен, не добавлено: " + entry);
    else if (entry.size() >= MAX_PATH)
        AddLine("Слишком длинный путь для архива, не добавлено: " + entry);
    else if (entry.find('\0') != std::string::npos)
        AddLine("Недопустимое имя для архива, не добавлено: " + entry);
    else
        AddKeyItem(m_dwRoot, entry.c_str(), key);
}
