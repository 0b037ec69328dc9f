// Fuzz target: two reports cut from one input (the magic put in front of each
// unless the first byte asks otherwise) compared with the indexed and with the
// literal search; both must give the same lines and selections. Then the raw
// input is split into records and matched against itself shifted.
#include "base/JobState.h"
#include "compare/BlockMatcher.h"
#include "compare/CompareCore.h"
#include "compare/ReportMemory.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CRecordingOutput : public CJobOutput {
public:
    void AddLine(const char* text, int) override { m_lines.push_back(text); }
    void ClearLines() override { m_lines.clear(); }
    std::vector<std::string> m_lines;
};

struct Outcome {
    int result;
    std::vector<std::string> lines;
    std::vector<std::string> selections;
};

Outcome Compare(const std::vector<BYTE>& a, const std::vector<BYTE>& b, bool literal)
{
    CReportMemory ma(a.data(), a.size()), mb(b.data(), b.size());
    CRecordingOutput out;
    CCompareCore core(&out, nullptr);
    core.m_bLiteralSearch = literal;
    Outcome o;
    o.result = core.Run(&ma, "a", &mb, "b");
    o.lines = out.m_lines;
    for (WORD k = 0; k < g_PathList.nCount; k++)
        o.selections.push_back(g_PathList.items[k].szPath);
    for (WORD k = 0; k < g_KeyList.nCount; k++)
        o.selections.push_back(std::string("key:") + g_KeyList.items[k].szPath);
    return o;
}

std::vector<BYTE> Report(bool magic, const uint8_t* data, size_t size)
{
    static const char kMagic[] = "ZMRFv1.0";
    std::vector<BYTE> r;
    if (magic)
        r.assign(kMagic, kMagic + 8);
    r.insert(r.end(), data, data + size);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    bool magic = (data[0] & 1) == 0;
    size_t rest = size - 3;
    size_t split = rest ? (size_t)(data[1] | (data[2] << 8)) % (rest + 1) : 0;
    const uint8_t* body = data + 3;
    std::vector<BYTE> a = Report(magic, body, split), b = Report(magic, body + split, rest - split);
    // The second report may also be the first one slightly changed.
    if (data[0] & 2)
        b = a;
    if ((data[0] & 2) && b.size() > 40)
        b[b.size() - 1 - (data[0] >> 2) % 32] ^= 0x55;

    Outcome fast = Compare(a, b, false);
    Outcome slow = Compare(a, b, true);
    if (fast.result != slow.result || fast.lines != slow.lines || fast.selections != slow.selections)
        __builtin_trap();

    // The raw bytes as a block under flags of the first byte, matched against the
    // records from a later start.
    BYTE flags[8] = {1, (BYTE)(data[0] & 4), (BYTE)(data[0] & 8), (BYTE)(data[0] & 16), 1, 1, 0, 0};
    std::vector<ReportItem> items(rest / 3 + 1);
    DWORD n = CReportBlock::ParseBlock(items.data(), flags, body, (DWORD)rest, (DWORD)items.size());
    DWORD skip = n ? data[1] % n : 0;
    std::vector<LONG> m1(n), m2(n - skip), l1(n), l2(n - skip);
    CBlockMatcher matcher(flags, flags);
    matcher.Match(items.data(), n, items.data() + skip, n - skip, m1.data(), m2.data());
    matcher.m_bLiteralSearch = true;
    matcher.Match(items.data(), n, items.data() + skip, n - skip, l1.data(), l2.data());
    if (m1 != l1 || m2 != l2)
        __builtin_trap();
    return 0;
}
