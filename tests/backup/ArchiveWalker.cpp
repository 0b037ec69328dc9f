#include "tests/backup/ArchiveWalker.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Deepest nesting accepted; real archives stay far below it (paths are short),
// and a damaged one must not run the parser out of stack.
const int kMaxDepth = 600;

struct Parser {
    const WalkerBytes& d;
    WalkedArchive& a;
    size_t pos = 0;

    bool Fail(bool truncation, const std::string& why)
    {
        if (a.error.empty()) {
            a.error = why;
            a.errorOffset = pos;
            if (truncation)
                a.truncated = true;
            else
                a.corrupt = true;
        }
        return false;
    }
    bool Need(size_t n, const char* what)
    {
        if (d.size() - pos < n || pos > d.size())
            return Fail(true, std::string("archive ends inside ") + what);
        return true;
    }
    bool U8(uint8_t& v, const char* what)
    {
        if (!Need(1, what))
            return false;
        v = d[pos++];
        return true;
    }
    bool U16(uint16_t& v, const char* what)
    {
        if (!Need(2, what))
            return false;
        v = (uint16_t)(d[pos] | d[pos + 1] << 8);
        pos += 2;
        return true;
    }
    bool U32(uint32_t& v, const char* what)
    {
        if (!Need(4, what))
            return false;
        v = (uint32_t)d[pos] | (uint32_t)d[pos + 1] << 8 | (uint32_t)d[pos + 2] << 16 |
            (uint32_t)d[pos + 3] << 24;
        pos += 4;
        return true;
    }
    bool Name(std::string& name)
    {
        uint16_t len = 0;
        if (!U16(len, "a name length"))
            return false;
        if (len > 259) {
            pos -= 2;
            return Fail(false, "name length " + std::to_string(len) + " exceeds 259");
        }
        if (!Need(len, "a name"))
            return false;
        name.assign((const char*)d.data() + pos, len);
        pos += len;
        return true;
    }
    bool Block(WalkedRecord& r)
    {
        if (!U32(r.plainSize, "a plain size") || !U32(r.codeSize, "a code size"))
            return false;
        r.codeOffset = pos;
        if (!Need(r.codeSize, "a block's code"))
            return false;
        pos += r.codeSize;
        return true;
    }

    static std::string Join(const std::string& parent, const std::string& name, bool keys)
    {
        if (keys && (parent.empty() || parent.back() == '\\'))
            return parent + name;
        if (!keys && parent.empty())
            return name;
        return parent + "\\" + name;
    }

    // A directory or file record and its subtree.
    bool FileRecord(std::vector<WalkedRecord>& out, const std::string& parent, int depth)
    {
        if (depth > kMaxDepth)
            return Fail(false, "records nested too deeply");
        out.emplace_back();
        WalkedRecord& r = out.back();
        r.offset = pos;
        if (!U8(r.type, "a record type"))
            return false;
        if (r.type != 1 && r.type != 2) {
            pos--;
            return Fail(false, "record type " + std::to_string(r.type) +
                                   " where a directory or file was expected");
        }
        if (!Name(r.name))
            return false;
        r.path = Join(parent, r.name, false);
        if (a.flags[1]) {
            r.hasAttributes = true;
            if (!U32(r.attributes, "attributes"))
                return false;
        }
        if (a.flags[2]) {
            r.hasTimes = true;
            if (!U16(r.accessDate, "a date") || !U16(r.accessTime, "a time") ||
                !U16(r.writeDate, "a date") || !U16(r.writeTime, "a time"))
                return false;
        }
        if (r.type == 2) {
            bool ok = Block(r);
            r.endOffset = pos;
            return ok;
        }
        if (!U32(r.childCount, "a child count"))
            return false;
        std::string path = r.path;
        for (uint32_t i = 0; i < r.childCount; i++) {
            // r may move when out grows; children are appended to r's own vector.
            if (!FileRecord(out.back().children, path, depth + 1))
                return false;
        }
        out.back().endOffset = pos;
        return true;
    }

    bool ValueRecord(std::vector<WalkedRecord>& out, const std::string& keyPath, uint32_t root)
    {
        out.emplace_back();
        WalkedRecord& r = out.back();
        r.offset = pos;
        r.path = keyPath;
        r.root = root;
        if (!U8(r.type, "a record type"))
            return false;
        if (r.type != 4) {
            pos--;
            return Fail(false, "record type " + std::to_string(r.type) +
                                   " where a value was expected");
        }
        if (!Name(r.name) || !U32(r.valueType, "a value type"))
            return false;
        bool ok = Block(r);
        r.endOffset = pos;
        return ok;
    }

    bool KeyRecord(std::vector<WalkedRecord>& out, const std::string& parent, int depth)
    {
        if (depth > kMaxDepth)
            return Fail(false, "records nested too deeply");
        out.emplace_back();
        WalkedRecord& r = out.back();
        r.offset = pos;
        if (!U8(r.type, "a record type"))
            return false;
        if (r.type != 3) {
            pos--;
            return Fail(false, "record type " + std::to_string(r.type) +
                                   " where a key was expected");
        }
        if (!Name(r.name))
            return false;
        r.path = depth == 0 ? r.name : Join(parent, r.name, true);
        if (!U32(r.root, "a root code") || !U32(r.childCount, "a subkey count") ||
            !U32(r.valueCount, "a value count"))
            return false;
        std::string path = r.path;
        uint32_t root = r.root, subkeys = r.childCount, values = r.valueCount;
        for (uint32_t i = 0; i < values; i++)
            if (!ValueRecord(out.back().children, path, root))
                return false;
        for (uint32_t i = 0; i < subkeys; i++)
            if (!KeyRecord(out.back().children, path, depth + 1))
                return false;
        out.back().endOffset = pos;
        return true;
    }

    void Run()
    {
        a.size = d.size();
        if (d.size() < 8 || std::memcmp(d.data(), "ZMAFv1.0", 8) != 0) {
            if (d.size() >= 8)
                std::memcpy(a.magic, d.data(), 8);
            Fail(d.size() < 8, "not an archive: no ZMAFv1.0 magic");
            a.endOffset = 0;
            return;
        }
        std::memcpy(a.magic, d.data(), 8);
        pos = 8;
        for (int i = 0; i < 4; i++)
            if (!U8(a.flags[i], "the header flags"))
                return Finish();
        for (int i = 0; i < 8; i++)
            if (!U16(a.time[i], "the header time"))
                return Finish();
        if (!U8(a.osFamily, "the header"))
            return Finish();
        if (a.flags[0]) {
            a.fileCountOffset = pos;
            if (!U32(a.fileCount, "the files section count"))
                return Finish();
            for (uint32_t i = 0; i < a.fileCount; i++)
                if (!FileRecord(a.files, "", 0))
                    return Finish();
        }
        if (a.flags[3]) {
            a.keyCountOffset = pos;
            if (!U32(a.keyCount, "the registry section count"))
                return Finish();
            for (uint32_t i = 0; i < a.keyCount; i++)
                if (!KeyRecord(a.keys, "", 0))
                    return Finish();
        }
        a.ok = true;
        Finish();
    }

    void Finish()
    {
        a.endOffset = pos;
        if (a.ok)
            a.trailingBytes = d.size() - pos;
    }
};

void Collect(const WalkedRecord& r, std::vector<const WalkedRecord*>& out)
{
    out.push_back(&r);
    for (const WalkedRecord& c : r.children)
        Collect(c, out);
}

void Describe(const WalkedRecord& r, int depth, std::string& s)
{
    char line[600];
    std::string indent(depth * 2, ' ');
    switch (r.type) {
    case 1:
        std::snprintf(line, sizeof line, "D %s [%u]", r.name.c_str(), (unsigned)r.childCount);
        break;
    case 2:
        std::snprintf(line, sizeof line, "F %s %u/%u", r.name.c_str(), (unsigned)r.plainSize,
                      (unsigned)r.codeSize);
        break;
    case 3:
        std::snprintf(line, sizeof line, "K %s S=%u V=%u root=%08X", r.name.c_str(),
                      (unsigned)r.childCount, (unsigned)r.valueCount, (unsigned)r.root);
        break;
    default:
        std::snprintf(line, sizeof line, "V %s t=%u %u/%u", r.name.c_str(), (unsigned)r.valueType,
                      (unsigned)r.plainSize, (unsigned)r.codeSize);
        break;
    }
    s += indent + line + "\n";
    for (const WalkedRecord& c : r.children)
        Describe(c, depth + 1, s);
}

} // namespace

WalkedArchive WalkArchive(const WalkerBytes& data)
{
    WalkedArchive a;
    Parser p{data, a};
    p.Run();
    return a;
}

WalkedArchive WalkArchiveFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        WalkedArchive a;
        a.error = "cannot read " + path;
        return a;
    }
    WalkerBytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return WalkArchive(data);
}

std::vector<const WalkedRecord*> WalkedArchive::AllRecords() const
{
    std::vector<const WalkedRecord*> out;
    for (const WalkedRecord& r : files)
        Collect(r, out);
    for (const WalkedRecord& r : keys)
        Collect(r, out);
    return out;
}

const WalkedRecord* WalkedArchive::FindFile(const std::string& path) const
{
    for (const WalkedRecord* r : AllRecords())
        if ((r->type == 1 || r->type == 2) && r->path == path)
            return r;
    return nullptr;
}

const WalkedRecord* WalkedArchive::FindKey(uint32_t root, const std::string& path) const
{
    for (const WalkedRecord& top : keys) {
        if (top.root != root)
            continue;
        std::vector<const WalkedRecord*> all;
        Collect(top, all);
        for (const WalkedRecord* r : all)
            if (r->type == 3 && r->path == path)
                return r;
    }
    return nullptr;
}

const WalkedRecord* WalkedArchive::FindValue(uint32_t root, const std::string& keyPath,
                                             const std::string& name) const
{
    const WalkedRecord* key = FindKey(root, keyPath);
    if (!key)
        return nullptr;
    for (const WalkedRecord& c : key->children)
        if (c.type == 4 && c.name == name)
            return &c;
    return nullptr;
}

std::string DescribeArchive(const WalkedArchive& a)
{
    std::string s;
    if (a.flags[0]) {
        s += "files " + std::to_string(a.fileCount) + "\n";
        for (const WalkedRecord& r : a.files)
            Describe(r, 0, s);
    }
    if (a.flags[3]) {
        s += "registry " + std::to_string(a.keyCount) + "\n";
        for (const WalkedRecord& r : a.keys)
            Describe(r, 0, s);
    }
    if (!a.ok)
        s += "error at " + std::to_string(a.errorOffset) + ": " + a.error + "\n";
    return s;
}

WalkerBytes RecordCode(const WalkerBytes& data, const WalkedRecord& r)
{
    if (r.codeOffset > data.size() || data.size() - r.codeOffset < r.codeSize)
        return WalkerBytes();
    return WalkerBytes(data.begin() + r.codeOffset, data.begin() + r.codeOffset + r.codeSize);
}
