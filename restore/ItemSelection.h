// The records an extraction is asked for: archive paths ("C:\WINDOWS\win.ini",
// "HKEY_CURRENT_USER\Software\X"), each naming a record and, for a directory or a
// key, everything below it. Paths compare by components, letters in either case
// (code page 1251), and '/' separates components as '\' does. No item at all
// selects everything.
#pragma once

#include <string>
#include <vector>

class CItemSelection {
public:
    enum Match {
        NONE,     // neither the record nor anything below it is asked for
        ON_THE_WAY, // something below the record is asked for, not the record itself
        SELECTED, // the record is asked for, or lies below a record that is
    };

    // An item in code page 1251.
    void Add(const std::string& item);
    bool Empty() const { return m_items.empty(); }

    // How a record stands by its archive path; an item that names it exactly is
    // marked as found.
    Match Of(const std::string& path);

    // Items that named no record, as they were given.
    std::vector<std::string> Unfound() const;

private:
    struct Item {
        std::string given;
        std::string key; // separators made '\', capitals, no trailing separator
        bool found;
    };
    static std::string Key(const std::string& path);

    std::vector<Item> m_items;
};
