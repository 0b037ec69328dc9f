#include "ui/ArchiveContents.h"

#include "base/JobState.h"
#include "restore/ArchiveReader.h"

#include <cstring>
#include <vector>

namespace {

// Records record their name in the item's record, with a carriage return in
// front for directories and keys, which sort first.
const char kFirst = '\r';

int CALLBACK CompareNames(LPARAM a, LPARAM b, LPARAM)
{
    const TreeItemData* x = reinterpret_cast<const TreeItemData*>(a);
    const TreeItemData* y = reinterpret_cast<const TreeItemData*>(b);
    if (!x || !y)
        return 0;
    bool fx = x->path[0] == kFirst, fy = y->path[0] == kFirst;
    if (fx != fy)
        return fx ? -1 : 1;
    return ::lstrcmpiA(x->path + (fx ? 1 : 0), y->path + (fy ? 1 : 0));
}

const char* FileNameOf(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

struct Frame {
    HTREEITEM item;
    unsigned long long left; // records still to read as its children
    bool sort;               // its children are sorted when it is complete
};

std::string ItemText(const CTreeCtrl& tree, HTREEITEM item)
{
    char text[MAX_PATH + 2] = "";
    tree.GetItemText(item, text, sizeof text);
    return text;
}

} // namespace

bool CArchiveContents::Load(const char* archivePath, CTreeCtrl& files, CTreeCtrl& keys)
{
    CTreeCtrl* trees[2] = {&files, &keys};
    for (CTreeCtrl* t : trees) {
        CTreeSelector::PrepareCheckBoxes(*t);
        m_Selector.LoadImages();
        t->SetImageList(m_Selector.GetImageList());
        t->DeleteAllItems();
    }
    m_Selector.ReleaseRecords();

    CArchiveReader reader;
    ArchiveHeader header;
    if (!reader.Open(archivePath) || !reader.ReadHeader(header))
        return false;
    std::memcpy(ArchiveFlags, header.flags, sizeof header.flags);
    const bool attributes = ArchiveFlags[AF_ATTRIBUTES] != 0, times = ArchiveFlags[AF_TIMES] != 0;
    const std::string top = FileNameOf(archivePath);

    for (int section = 0; section < 2 && !reader.m_bDamaged; section++) {
        if (!ArchiveFlags[section == 0 ? AF_FILES : AF_REGISTRY])
            continue;
        CTreeCtrl& tree = *trees[section];
        DWORD count = 0;
        if (!reader.ReadDword(count))
            break;
        HTREEITEM topItem = m_Selector.InsertItem(tree, TVI_ROOT, top.c_str(), CTreeSelector::IMAGE_COMPUTER,
                                                  new TreeItemData(0, top.c_str()));
        std::vector<Frame> stack;
        stack.push_back({topItem, count, false});
        while (!stack.empty() && !reader.m_bDamaged) {
            Frame& frame = stack.back();
            if (frame.left == 0) {
                // The top item's children keep archive order.
                if (frame.sort)
                    tree.SortChildrenCB(frame.item, &CompareNames, 0);
                for (HTREEITEM c = tree.GetChildItem(frame.item); c; c = tree.GetNextSiblingItem(c)) {
                    std::string text = ItemText(tree, c);
                    if (!text.empty() && text[0] == kFirst)
                        tree.SetItemText(c, text.c_str() + 1);
                }
                stack.pop_back();
                continue;
            }
            frame.left--;
            HTREEITEM parent = frame.item;
            DWORD offset = (DWORD)reader.Tell();
            if (section == 0) {
                FileRecordHead head;
                if (!reader.ReadFileHead(head, attributes, times))
                    break;
                if (head.type == ARC_DIRECTORY) {
                    bool drive = head.nameLength >= 2 && head.name[1] == ':';
                    std::string name = drive ? std::string(head.name) : kFirst + std::string(head.name);
                    HTREEITEM item = m_Selector.InsertItem(tree, parent, name.c_str(),
                                                           drive ? CTreeSelector::IMAGE_FIXED
                                                                 : CTreeSelector::IMAGE_FOLDER,
                                                           new TreeItemData(0, name.c_str(), offset));
                    stack.push_back({item, head.count, true});
                } else if (head.type == ARC_FILE) {
                    DWORD codeSize = 0;
                    if (!reader.ReadDword(codeSize) || !reader.Skip(codeSize))
                        break;
                    m_Selector.InsertItem(tree, parent, head.name, CTreeSelector::IMAGE_FILE,
                                          new TreeItemData(0, head.name, offset));
                } else {
                    reader.m_bDamaged = true;
                }
            } else {
                BYTE type = 0;
                char name[MAX_PATH];
                WORD length = 0;
                if (!reader.ReadByte(type) || !reader.ReadName(name, length))
                    break;
                DWORD a = 0, b = 0, c = 0;
                if (!reader.ReadDword(a) || !reader.ReadDword(b) || !reader.ReadDword(c))
                    break;
                if (type == ARC_KEY) {
                    // a: the stored root, b: subkeys, c: values.
                    std::string text = length == 0 ? std::string(RootKeyName(a, g_osFamily))
                                                   : kFirst + std::string(name);
                    HTREEITEM item = m_Selector.InsertItem(tree, parent, text.c_str(), CTreeSelector::IMAGE_FOLDER,
                                                           new TreeItemData(0, text.c_str(), offset, a));
                    stack.push_back({item, (unsigned long long)b + c, true});
                } else if (type == ARC_VALUE) {
                    // a: the value type, b: plain size, c: code size.
                    if (!reader.Skip(c))
                        break;
                    TreeItemData* up = CTreeSelector::ItemData(tree, parent);
                    m_Selector.InsertItem(tree, parent, name,
                                          a == REG_SZ ? CTreeSelector::IMAGE_STRING_VALUE
                                                      : CTreeSelector::IMAGE_VALUE,
                                          new TreeItemData(0, name, offset, up ? up->root : 0));
                } else {
                    reader.m_bDamaged = true;
                }
            }
        }
        tree.Expand(topItem);
    }
    bool damaged = reader.m_bDamaged;
    reader.Close();
    files.EnableWindow(ArchiveFlags[AF_FILES] != 0);
    keys.EnableWindow(ArchiveFlags[AF_REGISTRY] != 0);
    g_PathList.nCount = g_KeyList.nCount = 0;
    return !damaged;
}

namespace {

// depth: that of parent's children (1 for the top-level records).
bool Collect(const CTreeCtrl& tree, HTREEITEM parent, const std::string& parentPath, int depth, bool keys)
{
    for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
        TreeItemData* data = CTreeSelector::ItemData(tree, item);
        std::string text = ItemText(tree, item);
        bool selectable = data && data->offset != 0 && (!keys || depth >= 2);
        if (tree.GetCheck(item) && selectable) {
            int image = tree.GetItemImage(item);
            bool added;
            if (!keys) {
                added = AddPathItem(parentPath.c_str(), image != CTreeSelector::IMAGE_FILE ? 1 : 0);
                if (added)
                    g_PathList.items[g_PathList.nCount - 1].dwOffset = data->offset;
            } else {
                bool key = image == CTreeSelector::IMAGE_FOLDER;
                // A key restores below its parent path; a value into its key.
                std::string path = parentPath;
                if (!key && !path.empty() && path.back() == '\\')
                    path.pop_back();
                added = AddKeyItem(data->root, path.c_str(), key ? 1 : 0);
                if (added)
                    g_KeyList.items[g_KeyList.nCount - 1].dwOffset = data->offset;
            }
            if (!added)
                return false;
            continue;
        }
        // The top-level key's text is a root name, not part of the path.
        std::string below = keys && depth == 1 ? parentPath : parentPath + text + "\\";
        if (!Collect(tree, item, below, depth + 1, keys))
            return false;
    }
    return true;
}

} // namespace

bool CArchiveContents::BuildJob(CTreeCtrl& files, CTreeCtrl& keys)
{
    CTreeSelector::SyncAll(files);
    CTreeSelector::SyncAll(keys);
    g_PathList.nCount = g_KeyList.nCount = 0;
    bool ok = true;
    if (files.m_hWnd && files.GetRootItem())
        ok = Collect(files, files.GetRootItem(), "", 1, false);
    if (ok && keys.m_hWnd && keys.GetRootItem())
        ok = Collect(keys, keys.GetRootItem(), "", 1, true);
    return ok;
}
