#include "ui/TreeSelector.h"

#include "base/FileNames.h"
#include "base/JobState.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <cstring>
#include <shellapi.h>
#include <string>

const char CTreeSelector::kPlaceholder[] = "!!!not expanded!!!";
const char CTreeSelector::kComputer[] = "Мой компьютер";

namespace {

enum { ICON_EXPLORER, ICON_SHELL32, ICON_REGEDIT };

// Where each image's icon comes from: the file and the icon's index in it.
struct IconSource {
    int file;
    int index;
};
const IconSource kIcons[CTreeSelector::IMAGE_COUNT] = {
    {ICON_EXPLORER, 0}, {ICON_SHELL32, 7}, {ICON_SHELL32, 8}, {ICON_SHELL32, 9},
    {ICON_SHELL32, 11}, {ICON_SHELL32, 12}, {ICON_SHELL32, 3}, {ICON_SHELL32, 0},
    {ICON_REGEDIT, 7},  {ICON_REGEDIT, 8},
};

// The registry tree's root keys, in order; the last two rows stand for one
// place, by family.
struct RootRow {
    DWORD code;
    int families; // bit per family that shows it
};
const RootRow kRoots[] = {
    {0x80000000u, 7}, {0x80000001u, 7}, {0x80000002u, 7}, {0x80000003u, 7},
    {0x80000005u, 7}, {0x80000006u, 1 << OS_WIN9X},
    {0x80000004u, (1 << OS_NT4) | (1 << OS_NT5)},
};

std::string WindowsDir()
{
    if (g_szWindowsDir[0])
        return g_szWindowsDir;
    char dir[MAX_PATH] = "";
    UINT n = ::GetWindowsDirectoryA(dir, MAX_PATH);
    std::string s = n && n < MAX_PATH ? dir : "C:\\WINDOWS";
    if (s.back() != '\\')
        s += '\\';
    return s;
}

std::string SystemDir()
{
    if (g_szSystemDir[0])
        return g_szSystemDir;
    char dir[MAX_PATH] = "";
    UINT n = ::GetSystemDirectoryA(dir, MAX_PATH);
    std::string s = n && n < MAX_PATH ? dir : "C:\\WINDOWS\\SYSTEM";
    if (s.back() != '\\')
        s += '\\';
    return s;
}

// The last component of a record's path (a directory's without its backslash).
const char* LastName(const char* path, size_t* length)
{
    size_t n = std::strlen(path);
    if (n && path[n - 1] == '\\')
        n--;
    size_t start = n;
    while (start > 0 && path[start - 1] != '\\')
        start--;
    *length = n - start;
    return path + start;
}

bool IsDirectoryPath(const char* path)
{
    size_t n = std::strlen(path);
    return n && path[n - 1] == '\\';
}

// The order of a folder's or a key's children: directories before files, each
// group by name regardless of case (lstrcmpi, the control's own comparison).
int CALLBACK CompareChildren(LPARAM a, LPARAM b, LPARAM)
{
    const TreeItemData* x = reinterpret_cast<const TreeItemData*>(a);
    const TreeItemData* y = reinterpret_cast<const TreeItemData*>(b);
    if (!x || !y)
        return x ? -1 : y ? 1 : 0;
    bool dx = IsDirectoryPath(x->path), dy = IsDirectoryPath(y->path);
    if (dx != dy)
        return dx ? -1 : 1;
    size_t nx, ny;
    const char* px = LastName(x->path, &nx);
    const char* py = LastName(y->path, &ny);
    std::string sx(px, nx), sy(py, ny);
    return ::lstrcmpiA(sx.c_str(), sy.c_str());
}

std::string ItemText(const CTreeCtrl& tree, HTREEITEM item)
{
    char text[MAX_PATH + 2] = "";
    tree.GetItemText(item, text, sizeof text);
    return text;
}

} // namespace

TreeItemData::TreeItemData(LONG s, const char* p, DWORD o, DWORD r)
    : state(s), path(nullptr), offset(o), root(r)
{
    size_t n = std::strlen(p ? p : "");
    path = new char[n + 1];
    std::memcpy(path, p ? p : "", n + 1);
}

TreeItemData::~TreeItemData() { delete[] path; }

CTreeSelector::CTreeSelector(FolderKind kind)
    : m_nFallbackImages(0), m_nKind(kind), m_pFolders(nullptr), m_pRegistry(nullptr)
{
}

CTreeSelector::~CTreeSelector() {}

void CTreeSelector::LoadImages()
{
    if (m_Images.GetSafeHandle())
        return;
    m_Images.Create(16, 16, ILC_COLOR16 | ILC_MASK, IMAGE_COUNT, 0);
    const std::string files[3] = {WindowsDir() + "explorer.exe", SystemDir() + "shell32.dll",
                                  WindowsDir() + "regedit.exe"};
    HBITMAP own = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_TREE_IMAGES));
    HDC screen = ::GetDC(nullptr);
    HDC from = ::CreateCompatibleDC(screen);
    HDC to = ::CreateCompatibleDC(screen);
    m_nFallbackImages = 0;
    for (int i = 0; i < IMAGE_COUNT; i++) {
        HICON icon = nullptr;
        ::ExtractIconExA(files[kIcons[i].file].c_str(), kIcons[i].index, nullptr, &icon, 1);
        if (icon) {
            m_Images.Add(icon);
            ::DestroyIcon(icon);
            continue;
        }
        // The program's own picture: the i-th 16x16 square of the strip.
        m_nFallbackImages |= 1u << i;
        HBITMAP piece = ::CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ oldFrom = ::SelectObject(from, own);
        HGDIOBJ oldTo = ::SelectObject(to, piece);
        if (own)
            ::BitBlt(to, 0, 0, 16, 16, from, i * 16, 0, SRCCOPY);
        else
            ::PatBlt(to, 0, 0, 16, 16, WHITENESS);
        ::SelectObject(to, oldTo);
        ::SelectObject(from, oldFrom);
        m_Images.Add(piece, RGB(255, 255, 255));
        ::DeleteObject(piece);
    }
    ::DeleteDC(to);
    ::DeleteDC(from);
    ::ReleaseDC(nullptr, screen);
    if (own)
        ::DeleteObject(own);
}

void CTreeSelector::SetTrees(CTreeCtrl* pFolders, CTreeCtrl* pRegistry)
{
    m_pFolders = pFolders;
    m_pRegistry = pRegistry;
}

void CTreeSelector::ReleaseRecords() { m_records.clear(); }

HTREEITEM CTreeSelector::InsertItem(CTreeCtrl& tree, HTREEITEM parent, const char* text, int image,
                                    TreeItemData* data)
{
    m_records.emplace_back(data);
    HTREEITEM item = tree.InsertItem(text, image, image, parent, TVI_LAST, (LPARAM)data);
    if (!item)
        return nullptr;
    tree.SetCheck(item, data->state != 0);
    return item;
}

HTREEITEM CTreeSelector::InsertPlaceholder(CTreeCtrl& tree, HTREEITEM parent, BOOL check)
{
    HTREEITEM item = tree.InsertItem(kPlaceholder, IMAGE_COMPUTER, IMAGE_COMPUTER, parent);
    if (item)
        tree.SetCheck(item, check);
    return item;
}

void CTreeSelector::PrepareCheckBoxes(CTreeCtrl& tree)
{
    if (tree.SendMessage(TVM_GETIMAGELIST, TVSIL_STATE, 0))
        return;
    // A paint into a memory context, which the user never sees.
    HDC screen = ::GetDC(tree.m_hWnd);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 1, 1);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    tree.SendMessage(WM_PAINT, (WPARAM)memory, 0);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(tree.m_hWnd, screen);
}

void CTreeSelector::FillRoots()
{
    LoadImages();
    CTreeCtrl* trees[2] = {m_pFolders, m_pRegistry};
    for (CTreeCtrl* t : trees)
        if (t && t->m_hWnd) {
            PrepareCheckBoxes(*t);
            t->SetImageList(m_Images);
            t->DeleteAllItems();
        }
    ReleaseRecords();

    if (m_pFolders && m_pFolders->m_hWnd) {
        CTreeCtrl& tree = *m_pFolders;
        HTREEITEM root = InsertItem(tree, TVI_ROOT, kComputer, IMAGE_COMPUTER,
                                    new TreeItemData(0, kComputer));
        DWORD drives = ::GetLogicalDrives();
        for (int d = 0; d < 26; d++) {
            if (!(drives & (1u << d)))
                continue;
            char path[4] = {(char)('A' + d), ':', '\\', 0};
            char text[3] = {(char)('A' + d), ':', 0};
            UINT type = ::GetDriveTypeA(path);
            int image = type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK ? (int)type - 1 : IMAGE_FIXED;
            HTREEITEM item = InsertItem(tree, root, text, image, new TreeItemData(0, path));
            InsertPlaceholder(tree, item, FALSE);
        }
        tree.Expand(root);
    }
    if (m_pRegistry && m_pRegistry->m_hWnd) {
        CTreeCtrl& tree = *m_pRegistry;
        HTREEITEM root = InsertItem(tree, TVI_ROOT, kComputer, IMAGE_COMPUTER,
                                    new TreeItemData(0, kComputer));
        for (const RootRow& row : kRoots) {
            if (!(row.families & (1 << g_osFamily)))
                continue;
            HTREEITEM item = InsertItem(tree, root, RootKeyName(row.code, g_osFamily), IMAGE_FOLDER,
                                        new TreeItemData(0, "", 0, row.code));
            InsertPlaceholder(tree, item, FALSE);
        }
        tree.Expand(root);
    }
}

TreeItemData* CTreeSelector::ItemData(const CTreeCtrl& tree, HTREEITEM item)
{
    return item ? reinterpret_cast<TreeItemData*>(tree.GetItemData(item)) : nullptr;
}

void CTreeSelector::ExpandNode(CTreeCtrl& tree, HTREEITEM item)
{
    HTREEITEM first = tree.GetChildItem(item);
    if (!first || ItemText(tree, first) != kPlaceholder)
        return;
    TreeItemData* data = ItemData(tree, item);
    BOOL check = tree.GetCheck(first);
    tree.DeleteItem(first);
    if (!data)
        return;
    if (&tree == m_pRegistry)
        ExpandKey(tree, item, *data, check);
    else
        ExpandFolder(tree, item, *data, check);
    tree.SortChildrenCB(item, &CompareChildren, 0);
}

bool CTreeSelector::HasSubentries(const char* directory) const
{
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((std::string(directory) + "*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool any = false;
    do {
        if (IsDotEntry(fd.cFileName))
            continue;
        // Directories only: a folder is expandable when it holds a folder.
        if (m_nKind == FOLDERS_ONLY && !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        any = true;
    } while (!any && ::FindNextFileA(find, &fd));
    ::FindClose(find);
    return any;
}

void CTreeSelector::ExpandFolder(CTreeCtrl& tree, HTREEITEM item, const TreeItemData& data,
                                 BOOL check)
{
    std::string dir = data.path;
    if (dir.empty() || dir.back() != '\\')
        return; // the root item or a file: nothing below
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((dir + "*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return; // no medium, no access: no children
    do {
        if (IsDotEntry(fd.cFileName))
            continue;
        bool directory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (m_nKind == FOLDERS_ONLY && !directory)
            continue;
        std::string path = dir + fd.cFileName + (directory ? "\\" : "");
        // Items whose path the job's lists could not hold are left out.
        if (path.size() >= MAX_PATH)
            continue;
        HTREEITEM child = InsertItem(tree, item, fd.cFileName, directory ? IMAGE_FOLDER : IMAGE_FILE,
                                     new TreeItemData(check ? 1 : 0, path.c_str()));
        if (child && directory && HasSubentries(path.c_str()))
            InsertPlaceholder(tree, child, check);
    } while (::FindNextFileA(find, &fd));
    ::FindClose(find);
}

void CTreeSelector::ExpandKey(CTreeCtrl& tree, HTREEITEM item, const TreeItemData& data, BOOL check)
{
    if (!IsRootCode(data.root))
        return;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(RootKeyHandle(data.root), data.path[0] ? data.path : nullptr, 0, KEY_READ,
                        &key) != ERROR_SUCCESS)
        return;
    char name[MAX_PATH];
    for (DWORD index = 0;; index++) {
        DWORD length = sizeof name;
        LONG rc = ::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
            continue; // a name longer than the lists can hold
        if (rc != ERROR_SUCCESS)
            break;
        std::string path = data.path[0] ? std::string(data.path) + "\\" + name : std::string(name);
        if (path.size() >= MAX_PATH)
            continue;
        HTREEITEM child = InsertItem(tree, item, name, IMAGE_FOLDER,
                                     new TreeItemData(check ? 1 : 0, path.c_str(), 0, data.root));
        HKEY sub = nullptr;
        DWORD subkeys = 0;
        if (::RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            if (::RegQueryInfoKeyA(sub, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                subkeys = 0;
            ::RegCloseKey(sub);
        }
        if (child && subkeys > 0)
            InsertPlaceholder(tree, child, check);
    }
    ::RegCloseKey(key);
}

LRESULT CTreeSelector::OnTreeNotify(NMHDR* pnmh, bool* pChanged)
{
    CTreeCtrl tree(pnmh->hwndFrom);
    CTreeCtrl* own = m_pFolders && m_pFolders->m_hWnd == pnmh->hwndFrom     ? m_pFolders
                     : m_pRegistry && m_pRegistry->m_hWnd == pnmh->hwndFrom ? m_pRegistry
                                                                            : nullptr;
    if (pnmh->code == TVN_ITEMEXPANDINGA || pnmh->code == TVN_ITEMEXPANDINGW) {
        // The A and W records lay out the item the same way.
        NMTREEVIEWA* tv = reinterpret_cast<NMTREEVIEWA*>(pnmh);
        if (own && (tv->action & TVE_EXPAND))
            ExpandNode(*own, tv->itemNew.hItem);
        return FALSE; // the expansion always proceeds
    }
    if (pnmh->code == NM_CUSTOMDRAW) {
        NMTVCUSTOMDRAW* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pnmh);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            HTREEITEM item = (HTREEITEM)cd->nmcd.dwItemSpec;
            if (ItemData(tree, item) && SyncCheck(tree, item) && pChanged)
                *pChanged = true;
        }
        return CDRF_DODEFAULT;
    }
    return 0;
}

namespace {

void SetSubtree(CTreeCtrl& tree, HTREEITEM item, BOOL check)
{
    for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child)) {
        tree.SetCheck(child, check);
        if (TreeItemData* d = CTreeSelector::ItemData(tree, child))
            d->state = check ? 1 : 0;
        SetSubtree(tree, child, check);
    }
}

} // namespace

bool CTreeSelector::SyncCheck(CTreeCtrl& tree, HTREEITEM item)
{
    TreeItemData* data = ItemData(tree, item);
    if (!data)
        return false;
    BOOL check = tree.GetCheck(item);
    if ((check ? 1 : 0) == data->state)
        return false;
    data->state = check ? 1 : 0;
    SetSubtree(tree, item, check);
    if (!check) {
        for (HTREEITEM up = tree.GetParentItem(item); up; up = tree.GetParentItem(up)) {
            tree.SetCheck(up, FALSE);
            if (TreeItemData* d = ItemData(tree, up))
                d->state = 0;
        }
    }
    return true;
}

namespace {

void SyncBelow(CTreeCtrl& tree, HTREEITEM parent)
{
    for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
        CTreeSelector::SyncCheck(tree, item);
        SyncBelow(tree, item);
    }
}

} // namespace

void CTreeSelector::SyncAll(CTreeCtrl& tree)
{
    if (!tree.m_hWnd)
        return;
    tree.UpdateWindow();
    HTREEITEM root = tree.GetRootItem();
    if (!root)
        return;
    SyncCheck(tree, root);
    SyncBelow(tree, root);
}

bool CTreeSelector::AnyChecked(const CTreeCtrl& tree, HTREEITEM item)
{
    if (!item)
        return false;
    if (tree.GetCheck(item))
        return true;
    for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
        if (AnyChecked(tree, child))
            return true;
    return false;
}

bool CTreeSelector::CollectChecked()
{
    bool folders = CollectFolders();
    bool keys = CollectKeys();
    return folders && keys;
}

bool CTreeSelector::CollectFolders()
{
    g_PathList.nCount = 0;
    if (m_pFolders)
        SyncAll(*m_pFolders);
    return !(m_pFolders && m_pFolders->m_hWnd) ||
           CollectFrom(*m_pFolders, m_pFolders->GetRootItem(), true);
}

bool CTreeSelector::CollectKeys()
{
    g_KeyList.nCount = 0;
    if (m_pRegistry)
        SyncAll(*m_pRegistry);
    return !(m_pRegistry && m_pRegistry->m_hWnd) ||
           CollectFrom(*m_pRegistry, m_pRegistry->GetRootItem(), false);
}

bool CTreeSelector::CollectFrom(CTreeCtrl& tree, HTREEITEM parent, bool folders)
{
    for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
        TreeItemData* data = ItemData(tree, item);
        if (!data)
            continue; // a placeholder below an unchecked item
        if (!tree.GetCheck(item)) {
            if (!CollectFrom(tree, item, folders))
                return false;
            continue;
        }
        bool added = folders ? AddPathItem(data->path, IsDirectoryPath(data->path) ? 1 : 0)
                             : AddKeyItem(data->root, data->path,
                                          tree.GetItemImage(item) == IMAGE_FOLDER ? 1 : 0);
        if (!added)
            return false; // a list is full
    }
    return true;
}

// Walks from the tree's root item along the components of walk, expanding each
// item reached, and checks those whose path is target.
void CTreeSelector::CheckPath(CTreeCtrl& tree, const char* walk, const char* target)
{
    HTREEITEM current = tree.GetRootItem();
    const char* p = walk;
    while (current && *p) {
        const char* end = std::strchr(p, '\\');
        std::string component = end ? std::string(p, end - p) : std::string(p);
        p = end ? end + 1 : p + std::strlen(p);
        if (component.empty())
            continue;
        if (!tree.GetChildItem(current))
            break;
        HTREEITEM match = nullptr;
        for (HTREEITEM c = tree.GetChildItem(current); c; c = tree.GetNextSiblingItem(c))
            if (::lstrcmpiA(ItemText(tree, c).c_str(), component.c_str()) == 0) {
                match = c;
                break;
            }
        if (!match)
            break;
        ExpandNode(tree, match);
        tree.Expand(match);
        current = match;
        TreeItemData* data = ItemData(tree, current);
        if (data && std::strcmp(data->path, target) == 0)
            tree.SetCheck(current, TRUE);
    }
}

void CTreeSelector::CheckListedItems()
{
    if (m_pFolders && m_pFolders->m_hWnd)
        for (unsigned i = 0; i < g_PathList.nCount; i++)
            CheckPath(*m_pFolders, g_PathList.items[i].szPath, g_PathList.items[i].szPath);
    if (m_pRegistry && m_pRegistry->m_hWnd)
        for (unsigned i = 0; i < g_KeyList.nCount; i++) {
            const char* entry = g_KeyList.items[i].szPath;
            const char* slash = std::strchr(entry, '\\');
            std::string target = slash ? slash + 1 : "";
            if (!target.empty() && target.back() == '\\')
                target.pop_back();
            // An entry without a backslash names a whole root.
            CheckPath(*m_pRegistry, entry, target.c_str());
        }
}
