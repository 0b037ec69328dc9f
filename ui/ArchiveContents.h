// The contents of an archive as two check-box trees: the files section's
// records under a top item named after the archive, the registry section's
// under a top item of its own, each item with its record's offset. Read through
// the bounds-checked reader without recursion, so that a damaged or hostile
// archive shows what could be read and never crashes, hangs or trusts a count
// beyond the records the file holds.
#pragma once

#include "framework/TreeCtrl.h"
#include "ui/TreeSelector.h"

#include <string>

class CArchiveContents {
public:
    // The trees' items and records go through the selector (its images too).
    explicit CArchiveContents(CTreeSelector& selector) : m_Selector(selector) {}

    // Empties both trees and fills them from the archive; ArchiveFlags take the
    // archive's flag bytes. False when the archive could not be opened or was
    // damaged (what came before the damage is shown).
    bool Load(const char* archivePath, CTreeCtrl& files, CTreeCtrl& keys);

    // The restore job from the ticks: the path list and the key list with the
    // record offsets. False when the ticks need more entries than a list holds.
    static bool BuildJob(CTreeCtrl& files, CTreeCtrl& keys);

private:
    CTreeSelector& m_Selector;
};
