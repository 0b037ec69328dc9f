#include "tests/compare/CompareTestUtil.h"

#include "base/JobState.h"
#include "cli/CompareCommand.h"
#include "compare/ReportMemory.h"
#include "tests/support/OutputCapture.h"
#include "tests/support/TestFiles.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

const char* const kHeadings[4] = {
    "    - Сканирование каталогов -",
    "    - Сканирование реестра -",
    "    - Сканирование файлов настройки -",
    "    - Сканирование DOS-файлов -",
};
const char kNotDone[] = "        не производилось";
const char kNoDifferences[] = "Расхождений не обнаружено";

void CLinesOutput::AddLine(const char* text, int)
{
    m_lines.push_back(text);
    if (m_pCancel && m_nCancelAfter && m_lines.size() >= m_nCancelAfter)
        *m_pCancel = 1;
}

void CLinesOutput::ClearLines()
{
    m_lines.clear();
    m_nClears++;
}

std::string CompareResult::Text() const
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\n";
    return s;
}

std::vector<std::string> PathListStrings()
{
    std::vector<std::string> v;
    for (WORD k = 0; k < g_PathList.nCount; k++)
        v.push_back(g_PathList.items[k].szPath);
    return v;
}

std::vector<std::string> KeyListStrings()
{
    std::vector<std::string> v;
    for (WORD k = 0; k < g_KeyList.nCount; k++)
        v.push_back(g_KeyList.items[k].szPath);
    return v;
}

namespace {
CompareResult Collect(CCompareCore& core, CLinesOutput& out, int result)
{
    CompareResult r;
    r.result = result;
    r.lines = out.m_lines;
    r.paths = PathListStrings();
    r.keys = KeyListStrings();
    r.filesFlag = ArchiveFlags[0];
    r.registryFlag = ArchiveFlags[3];
    r.searches = core.m_nSearches;
    return r;
}
} // namespace

CompareResult RunCompare(const Bytes& older, const Bytes& newer, bool literal)
{
    CReportMemory a(older.data(), older.size()), b(newer.data(), newer.size());
    CLinesOutput out;
    CCompareCore core(&out, nullptr);
    core.m_bLiteralSearch = literal;
    int result = core.Run(&a, "old.zmr", &b, "new.zmr");
    return Collect(core, out, result);
}

CompareResult RunCompareFiles(const std::string& path1, const std::string& path2, bool literal)
{
    CLinesOutput out;
    CCompareCore core(&out, nullptr);
    core.m_bLiteralSearch = literal;
    int result = core.Run(path1.c_str(), path2.c_str());
    return Collect(core, out, result);
}

// Runs the command with standard output sent to a file; returns what it wrote.
int RunCompareCommand(std::vector<std::string> args, const std::string& capture, std::string* output)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    COutputCapture streams(capture, capture + ".err");
    int rc = CompareCommand((int)argv.size(), argv.data());
    streams.Stop();
#ifdef _WIN32
    _setmode(1, _O_TEXT); // the command writes its lines in binary mode
#endif
    *output = streams.Out();
    return rc;
}
