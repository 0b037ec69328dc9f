// The registry part of a comparison as the changes that turn one state into
// the other: keys to delete, keys to create with their values, values to set
// and values to delete. It watches a comparison (CCompareObserver) and keeps
// the keys and values of every registry entry that both reports hold; either
// direction can then be asked for: from the older state to the newer (redo)
// or back (undo). Only reports that recorded value data can give values.
#pragma once

#include "compare/CompareObserver.h"

#include <string>
#include <vector>

class CRegistryDiff : public CCompareObserver {
public:
    struct Value {
        std::string name; // empty for the key's default value
        DWORD dwType;
        std::string data;
    };
    struct Key {
        std::string path; // below the root, without a leading backslash; empty for the root
        std::vector<Value> values;
    };
    // One step of a script, in the order it must be applied.
    struct Step {
        enum Kind { DELETE_KEY, KEY, SET_VALUE, DELETE_VALUE } kind;
        std::string key;   // full path, root name first (for DELETE_KEY and KEY)
        const Value* pValue; // SET_VALUE and DELETE_VALUE: of the last KEY step
    };

    CRegistryDiff();

    // Both reports recorded the registry with its values.
    bool HasValues() const { return m_bValues; }
    // Every registry entry pair was read whole.
    bool IsComplete() const { return m_bComplete; }
    // Root entries both reports hold.
    size_t RootCount() const { return m_roots.size(); }

    // The steps from the older state to the newer (redo), or back (undo).
    // The values the steps point to live as long as this object.
    std::vector<Step> Steps(bool undo) const;
    // The same steps as a REGEDIT4 script (code page 1251, CR LF lines).
    std::string Script(bool undo) const;

    // The keys of one block, in record order. A value belongs to the key whose
    // record came last before it (a key's values follow its record), so value
    // names with backslashes stay whole; "@" is the default value.
    static std::vector<Key> ReadKeys(const CReportBlock& block);

    void OnReports(const ReportHeader& older, const ReportHeader& newer) override;
    void OnRegistryEntry(const std::string& root, const CReportBlock& older, const CReportBlock& newer) override;
    void OnEntryNotCompared(int section, const std::string& name) override;

private:
    struct Root {
        std::string name;
        std::vector<Key> keys[2]; // older, newer
    };

    static void AddSteps(const Root& root, const std::vector<Key>& from, const std::vector<Key>& to,
                         std::vector<Step>& steps);

    std::vector<Root> m_roots;
    bool m_bValues;
    bool m_bComplete;
};
