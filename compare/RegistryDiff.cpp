#include "compare/RegistryDiff.h"

#include "base/JobState.h"
#include "base/RegFileWriter.h"

#include <map>

namespace {

// Registry names compare without regard to the case of Latin letters (as the
// comparison pairs its entries).
std::string Folded(const std::string& s)
{
    std::string f(s);
    for (char& c : f)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return f;
}

std::string FullPath(const std::string& root, const std::string& path)
{
    return path.empty() ? root : root + "\\" + path;
}

// Whether a key lies below another key of the set (its parent, or further up).
bool BelowOneOf(const std::string& folded, const std::map<std::string, const CRegistryDiff::Key*>& set)
{
    for (size_t cut = folded.rfind('\\'); cut != std::string::npos && cut > 0; cut = folded.rfind('\\', cut - 1)) {
        if (set.count(folded.substr(0, cut)))
            return true;
    }
    return false;
}

bool SameValue(const CRegistryDiff::Value& a, const CRegistryDiff::Value& b)
{
    return a.dwType == b.dwType && a.data == b.data;
}

} // namespace

CRegistryDiff::CRegistryDiff() : m_bValues(false), m_bComplete(true) {}

std::vector<CRegistryDiff::Key> CRegistryDiff::ReadKeys(const CReportBlock& block)
{
    std::vector<Key> keys;
    const ReportItem* items = block.Items();
    for (DWORD k = 0; k < block.ItemCount(); k++) {
        const ReportItem& item = items[k];
        std::string name(reinterpret_cast<const char*>(item.pName), item.nNameLength);
        if (item.bType == REC_KEY) {
            keys.push_back({name == "\\" ? std::string() : name, {}});
        } else if (item.bType == REC_VALUE && !keys.empty()) {
            Key& key = keys.back();
            // "key\name", or "\name" for a value of the root.
            std::string prefix = key.path + "\\";
            std::string valueName;
            if (name.compare(0, prefix.size(), prefix) == 0)
                valueName = name.substr(prefix.size());
            else
                valueName = name.substr(name.rfind('\\') + 1);
            if (valueName == "@")
                valueName.clear();
            key.values.push_back(
                {valueName, item.dwValueType, std::string(reinterpret_cast<const char*>(item.pData), item.dwDataSize)});
        }
    }
    return keys;
}

void CRegistryDiff::OnReports(const ReportHeader& older, const ReportHeader& newer)
{
    m_roots.clear();
    m_bComplete = true;
    m_bValues = older.flags[SF_REGISTRY] && newer.flags[SF_REGISTRY] && older.flags[SF_VALUES] &&
                newer.flags[SF_VALUES];
}

void CRegistryDiff::OnRegistryEntry(const std::string& root, const CReportBlock& older, const CReportBlock& newer)
{
    Root r;
    r.name = root;
    r.keys[0] = ReadKeys(older);
    r.keys[1] = ReadKeys(newer);
    m_roots.push_back(std::move(r));
}

void CRegistryDiff::OnEntryNotCompared(int section, const std::string&)
{
    if (section == SECTION_REGISTRY)
        m_bComplete = false;
}

void CRegistryDiff::AddSteps(const Root& root, const std::vector<Key>& from, const std::vector<Key>& to,
                             std::vector<Step>& steps)
{
    std::map<std::string, const Key*> had, has, gone;
    for (const Key& k : from)
        had[Folded(k.path)] = &k;
    for (const Key& k : to)
        has[Folded(k.path)] = &k;
    for (const Key& k : from) {
        std::string f = Folded(k.path);
        if (!has.count(f) && !f.empty())
            gone[f] = &k;
    }
    // Deleting a key deletes all below it: only the topmost go in.
    for (const Key& k : from) {
        std::string f = Folded(k.path);
        if (gone.count(f) && !BelowOneOf(f, gone))
            steps.push_back({Step::DELETE_KEY, FullPath(root.name, k.path), nullptr});
    }
    for (const Key& k : to) {
        auto before = had.find(Folded(k.path));
        const Key* old = before == had.end() ? nullptr : before->second;
        std::vector<Step> changes;
        std::map<std::string, const Value*> oldValues, now;
        if (old)
            for (const Value& o : old->values)
                oldValues[Folded(o.name)] = &o;
        for (const Value& v : k.values) {
            now[Folded(v.name)] = &v;
            auto was = oldValues.find(Folded(v.name));
            if (was == oldValues.end() || !SameValue(*was->second, v))
                changes.push_back({Step::SET_VALUE, std::string(), &v});
        }
        if (old)
            for (const Value& o : old->values)
                if (!now.count(Folded(o.name)))
                    changes.push_back({Step::DELETE_VALUE, std::string(), &o});
        // A new key is written even without values, so that it is created.
        if (!old || !changes.empty()) {
            steps.push_back({Step::KEY, FullPath(root.name, k.path), nullptr});
            steps.insert(steps.end(), changes.begin(), changes.end());
        }
    }
}

std::vector<CRegistryDiff::Step> CRegistryDiff::Steps(bool undo) const
{
    std::vector<Step> steps;
    for (const Root& r : m_roots)
        AddSteps(r, r.keys[undo ? 1 : 0], r.keys[undo ? 0 : 1], steps);
    return steps;
}

std::string CRegistryDiff::Script(bool undo) const
{
    CRegFileWriter writer;
    for (const Step& step : Steps(undo)) {
        switch (step.kind) {
        case Step::DELETE_KEY: writer.DeleteKey(step.key); break;
        case Step::KEY: writer.Key(step.key); break;
        case Step::SET_VALUE:
            writer.Value(step.pValue->name, step.pValue->dwType,
                         reinterpret_cast<const BYTE*>(step.pValue->data.data()), (DWORD)step.pValue->data.size());
            break;
        case Step::DELETE_VALUE: writer.DeleteValue(step.pValue->name); break;
        }
    }
    return writer.Text();
}
