#include "restore/ItemSelection.h"

#include "base/Cp1251.h"

std::string CItemSelection::Key(const std::string& path)
{
    std::string key;
    key.reserve(path.size());
    for (char c : path) {
        if (c == '/')
            c = '\\';
        // Repeated separators name nothing more than one.
        if (c == '\\' && !key.empty() && key.back() == '\\')
            continue;
        key += Cp1251Upper(c);
    }
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

void CItemSelection::Add(const std::string& item)
{
    m_items.push_back({item, Key(item), false});
}

CItemSelection::Match CItemSelection::Of(const std::string& path)
{
    if (m_items.empty())
        return SELECTED;
    const std::string key = Key(path);
    Match match = NONE;
    for (Item& item : m_items) {
        const std::string& k = item.key;
        if (k.size() <= key.size()) {
            if (key.compare(0, k.size(), k) != 0)
                continue;
            if (k.size() == key.size()) {
                item.found = true;
                match = SELECTED;
            } else if (key[k.size()] == '\\' || k.empty()) {
                match = SELECTED;
            }
        } else if (match == NONE && k[key.size()] == '\\' && k.compare(0, key.size(), key) == 0) {
            match = ON_THE_WAY;
        }
    }
    return match;
}

std::vector<std::string> CItemSelection::Unfound() const
{
    std::vector<std::string> out;
    for (const Item& item : m_items)
        if (!item.found)
            out.push_back(item.given);
    return out;
}
