#include "compare/RecordIndex.h"

#include <cstring>

CRecordIndex::CRecordIndex() : m_nMask(0), m_pItems(nullptr) {}

void CRecordIndex::Release()
{
    std::vector<Slot>().swap(m_slots);
    m_nMask = 0;
    m_pItems = nullptr;
}

DWORD CRecordIndex::Hash(const ReportItem& item)
{
    // FNV-1a over the type byte and the name bytes, then a final mix so that the
    // low bits, which pick the slot, depend on every byte.
    DWORD h = 2166136261u;
    h = (h ^ item.bType) * 16777619u;
    for (WORD k = 0; k < item.nNameLength; k++)
        h = (h ^ item.pName[k]) * 16777619u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

bool CRecordIndex::SameKey(const ReportItem& a, const ReportItem& b)
{
    return a.bType == b.bType && a.nNameLength == b.nNameLength &&
           (a.nNameLength == 0 || std::memcmp(a.pName, b.pName, a.nNameLength) == 0);
}

void CRecordIndex::Build(const ReportItem* items, DWORD count)
{
    Release();
    size_t size = 16;
    while (size < (size_t)count * 2)
        size *= 2;
    m_slots.assign(size, Slot{0, 0});
    m_nMask = (DWORD)(size - 1);
    m_pItems = items;
    // Items go in in block order and a key already present is not replaced, so
    // each key keeps its first item.
    for (DWORD j = 0; j < count; j++) {
        DWORD h = Hash(items[j]);
        for (DWORD s = h & m_nMask;; s = (s + 1) & m_nMask) {
            Slot& slot = m_slots[s];
            if (slot.dwIndex == 0) {
                slot.dwHash = h;
                slot.dwIndex = j + 1;
                break;
            }
            if (slot.dwHash == h && SameKey(items[slot.dwIndex - 1], items[j]))
                break;
        }
    }
}

LONG CRecordIndex::FindFirst(const ReportItem& item) const
{
    if (!m_pItems)
        return -1;
    DWORD h = Hash(item);
    for (DWORD s = h & m_nMask;; s = (s + 1) & m_nMask) {
        const Slot& slot = m_slots[s];
        if (slot.dwIndex == 0)
            return -1;
        if (slot.dwHash == h && SameKey(m_pItems[slot.dwIndex - 1], item))
            return (LONG)(slot.dwIndex - 1);
    }
}
