// Check-box trees for picking what a job works on: a folder tree (drives,
// directories and, in one variant, files) and a registry tree (root keys and
// keys), both filled lazily: a directory or key shows a placeholder child until
// it is first expanded. The program keeps its own record beside every real item
// (the control says nothing when a check box changes) and notices changes when
// the items are drawn: a change is given to the whole subtree, and an unchecked
// item unchecks every ancestor. The checked items become the job's path list and
// key list, topmost items only, in tree order; a prepared list can check the
// items it names.
//
// The archiving wizard uses both trees with files; the scanning wizard the
// folder tree of directories only; the restoring wizard's archive trees use the
// records, the images and the check propagation (SyncCheck, AnyChecked).
#pragma once

#include "framework/ImageList.h"
#include "framework/TreeCtrl.h"

#include <memory>
#include <vector>

// The record beside each real item (placeholders have none).
struct TreeItemData {
    LONG state;   // the check state last seen (0 or 1)
    char* path;   // heap string; see CTreeSelector for its form in each tree
    DWORD offset; // archive record offset (the restoring wizard's trees)
    DWORD root;   // registry tree: the root key code

    TreeItemData(LONG s, const char* p, DWORD o = 0, DWORD r = 0);
    ~TreeItemData();
    TreeItemData(const TreeItemData&) = delete;
    TreeItemData& operator=(const TreeItemData&) = delete;
};

class CTreeSelector {
public:
    // The image list, in this order.
    enum Image {
        IMAGE_COMPUTER, IMAGE_REMOVABLE, IMAGE_FIXED, IMAGE_REMOTE, IMAGE_CDROM, IMAGE_RAMDISK,
        IMAGE_FOLDER, IMAGE_FILE, IMAGE_STRING_VALUE, IMAGE_VALUE, IMAGE_COUNT
    };
    enum FolderKind { FOLDERS_AND_FILES, FOLDERS_ONLY };

    static const char kPlaceholder[]; // "!!!not expanded!!!"
    static const char kComputer[];    // "Мой компьютер"

    explicit CTreeSelector(FolderKind kind = FOLDERS_AND_FILES);
    ~CTreeSelector();
    CTreeSelector(const CTreeSelector&) = delete;
    CTreeSelector& operator=(const CTreeSelector&) = delete;

    // The ten 16x16 icons, from explorer.exe, shell32.dll and regedit.exe as
    // the system has them; an icon a file lacks is taken from the program's own
    // pictures (bitmap 196). The bit of each image taken from there is set in
    // m_nFallbackImages.
    void LoadImages();
    HIMAGELIST GetImageList() const { return m_Images; }
    unsigned m_nFallbackImages;

    // The trees of a page (either may be null); their items are the selector's
    // until the next FillRoots or the selector's end.
    void SetTrees(CTreeCtrl* pFolders, CTreeCtrl* pRegistry);

    // Builds both trees afresh, nothing checked, and expands their root items.
    // Folder tree: "Мой компьютер", then each drive ("C:", path "C:\") with a
    // placeholder. Registry tree: "Мой компьютер", then the root keys of the
    // running family (empty path, the root's code) with a placeholder each.
    void FillRoots();
    // Fills an item on its first expansion (the placeholder goes, the children
    // get its check state); anything later does nothing.
    void ExpandNode(CTreeCtrl& tree, HTREEITEM item);
    // A tree's notification: fills items about to expand, and for custom draw
    // asks for every item and syncs its check box. *pChanged is set when a
    // check change was seen (the page then re-evaluates its buttons).
    LRESULT OnTreeNotify(NMHDR* pnmh, bool* pChanged);

    // Notices a changed check box (true when there was one) and propagates it.
    static bool SyncCheck(CTreeCtrl& tree, HTREEITEM item);
    // Notices every change not yet drawn, parents before children: a page
    // calls it before it reads the ticks (a key press can come before the
    // paint that would have noticed the last click).
    static void SyncAll(CTreeCtrl& tree);
    // The item or any item below it is checked.
    static bool AnyChecked(const CTreeCtrl& tree, HTREEITEM item);
    static TreeItemData* ItemData(const CTreeCtrl& tree, HTREEITEM item);

    // Empties the path list and the key list and refills them from the trees.
    // False when the checked items were more than a list holds (the list then
    // holds the first of them).
    bool CollectChecked();
    // Each half alone: the path list from the folder tree (paths; the
    // is-directory byte for paths ending in a backslash), the key list from the
    // registry tree (path below the root, root code, is-key for folder images).
    bool CollectFolders();
    bool CollectKeys();
    // Checks the items that the path list and the key list name; key-list
    // entries read root name + "\" + key path, with or without a final
    // backslash. Items are expanded on the way.
    void CheckListedItems();

    // An item with its record; the tree owns the item, the selector the record.
    HTREEITEM InsertItem(CTreeCtrl& tree, HTREEITEM parent, const char* text, int image,
                         TreeItemData* data);
    HTREEITEM InsertPlaceholder(CTreeCtrl& tree, HTREEITEM parent, BOOL check);
    // Forgets every record (the trees' items must be gone or going).
    void ReleaseRecords();
    // Makes the tree's check boxes before any item is checked: some tree views
    // (Wine's) make them at their first paint and uncheck every item then.
    static void PrepareCheckBoxes(CTreeCtrl& tree);

private:
    void ExpandFolder(CTreeCtrl& tree, HTREEITEM item, const TreeItemData& data, BOOL check);
    void ExpandKey(CTreeCtrl& tree, HTREEITEM item, const TreeItemData& data, BOOL check);
    bool HasSubentries(const char* directory) const;
    bool CollectFrom(CTreeCtrl& tree, HTREEITEM item, bool folders);
    void CheckPath(CTreeCtrl& tree, const char* walk, const char* target);

    FolderKind m_nKind;
    CImageList m_Images;
    CTreeCtrl* m_pFolders;
    CTreeCtrl* m_pRegistry;
    std::vector<std::unique_ptr<TreeItemData>> m_records;
};
