// The tree selector on real tree views in a real dialog: roots per family, lazy
// filling of real directories and of a registry subtree of the tests' own, check
// boxes toggled from the keyboard and noticed when the items are drawn, the
// lists collected from the trees and the trees checked from prepared lists.
#include "ui/TreeSelector.h"

#include "base/JobState.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kTestKey[] = "Software\\ZelmoraTest\\Trees";

// A dialog holding both trees, routing their notifications to a selector as a
// wizard page does.
class CTreeHost : public CDialog {
public:
    explicit CTreeHost(CTreeSelector::FolderKind kind = CTreeSelector::FOLDERS_AND_FILES)
        : CDialog(300), m_Selector(kind)
    {
        for (UINT id : {1050u, 1049u}) {
            RouteNotify(id, TVN_ITEMEXPANDINGA, &CTreeHost::OnTreeNotify);
            RouteNotify(id, TVN_ITEMEXPANDINGW, &CTreeHost::OnTreeNotify);
            RouteNotify(id, NM_CUSTOMDRAW, &CTreeHost::OnTreeNotify);
        }
    }

    CTreeCtrl m_Folders, m_Registry;
    CTreeSelector m_Selector;
    int m_nChanges = 0;

protected:
    BOOL OnInitDialog() override
    {
        AttachDlgItem(m_Folders, 1050);
        AttachDlgItem(m_Registry, 1049);
        m_Selector.SetTrees(&m_Folders, &m_Registry);
        m_Selector.FillRoots();
        return TRUE;
    }
    LRESULT OnTreeNotify(NMHDR* pnmh)
    {
        bool changed = false;
        LRESULT r = m_Selector.OnTreeNotify(pnmh, &changed);
        if (changed)
            m_nChanges++;
        return r;
    }
};

std::string Text(const CTreeCtrl& tree, HTREEITEM item)
{
    char text[MAX_PATH] = "";
    tree.GetItemText(item, text, sizeof text);
    return text;
}

std::vector<std::string> ChildTexts(const CTreeCtrl& tree, HTREEITEM item)
{
    std::vector<std::string> out;
    for (HTREEITEM c = tree.GetChildItem(item); c; c = tree.GetNextSiblingItem(c))
        out.push_back(Text(tree, c));
    return out;
}

HTREEITEM Child(const CTreeCtrl& tree, HTREEITEM item, const std::string& text)
{
    for (HTREEITEM c = tree.GetChildItem(item); c; c = tree.GetNextSiblingItem(c))
        if (::lstrcmpiA(Text(tree, c).c_str(), text.c_str()) == 0)
            return c;
    return nullptr;
}

// Expands the items along a backslash path from the root item as the user
// would (TVM_EXPAND), returning the last one.
HTREEITEM Open(CTreeCtrl& tree, const std::string& path)
{
    HTREEITEM item = tree.GetRootItem();
    size_t start = 0;
    while (item && start < path.size()) {
        size_t end = path.find('\\', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? path.size() : end + 1;
        if (part.empty())
            continue;
        item = Child(tree, item, part);
        if (item)
            tree.Expand(item);
    }
    return item;
}

// Draws the tree now: the custom-draw notifications are where check changes
// are noticed.
void Draw(CTreeCtrl& tree)
{
    tree.Invalidate(FALSE);
    tree.UpdateWindow();
    PumpPending();
}

// Toggles an item's check box the way the keyboard does: select it, press space.
void Toggle(CTreeCtrl& tree, HTREEITEM item)
{
    tree.EnsureVisible(item);
    tree.SelectItem(item);
    BOOL before = tree.GetCheck(item);
    tree.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    tree.SendMessage(WM_KEYUP, VK_SPACE, 0);
    ASSERT_NE(before, tree.GetCheck(item)) << "space did not toggle " << Text(tree, item);
    Draw(tree);
}

std::vector<std::string> CollectedPaths()
{
    std::vector<std::string> out;
    for (unsigned i = 0; i < g_PathList.nCount; i++)
        out.push_back(std::string(g_PathList.items[i].szPath) +
                      (g_PathList.items[i].bDirectory ? " d" : " f"));
    return out;
}

struct KeyEntry {
    DWORD root;
    std::string path;
    BYTE key;
    bool operator==(const KeyEntry& o) const { return root == o.root && path == o.path && key == o.key; }
};

std::vector<KeyEntry> CollectedKeys()
{
    std::vector<KeyEntry> out;
    for (unsigned i = 0; i < g_KeyList.nCount; i++)
        out.push_back({g_KeyList.items[i].dwRoot, g_KeyList.items[i].szPath, g_KeyList.items[i].bKey});
    return out;
}

void DeleteTree(HKEY root, const std::string& path) { RemoveKeyTree(root, path); }

void CreateKey(const std::string& path)
{
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

class TreeSelector : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_osFamily = OS_NT5;
        g_PathList.nCount = 0;
        g_KeyList.nCount = 0;
        // A small tree of directories and files, with names whose order differs
        // by case.
        for (const char* d : {"beta\\", "Alpha\\", "alpha2\\", "Alpha\\inner\\", "empty\\"})
            ::CreateDirectoryA((dir / d).c_str(), nullptr);
        for (const char* f : {"b.txt", "A.txt", "c.TXT", "Alpha\\x.txt", "beta\\y.txt"})
            WriteText(dir / f, "text");
        root = dir.Path().substr(0, dir.Path().size() - 1); // no final backslash
        DeleteTree(HKEY_CURRENT_USER, kTestKey);
        CreateKey(std::string(kTestKey) + "\\One\\Deep");
        CreateKey(std::string(kTestKey) + "\\two");
    }
    void TearDown() override
    {
        DeleteTree(HKEY_CURRENT_USER, kTestKey);
        g_PathList.nCount = 0;
        g_KeyList.nCount = 0;
    }
    CScratchDir dir;
    std::string root;
};

} // namespace

TEST_F(TreeSelector, RootsShowEveryDriveAndTheRootKeysOfTheFamily)
{
    CWinApp app;
    for (BYTE family : {OS_WIN9X, OS_NT4, OS_NT5}) {
        g_osFamily = family;
        CTreeHost host;
        ASSERT_TRUE(host.Create());
        HTREEITEM top = host.m_Folders.GetRootItem();
        EXPECT_EQ(Text(host.m_Folders, top), "Мой компьютер");
        EXPECT_TRUE(host.m_Folders.IsExpanded(top));
        EXPECT_EQ(host.m_Folders.GetItemImage(top), CTreeSelector::IMAGE_COMPUTER);
        std::vector<std::string> drives;
        DWORD mask = ::GetLogicalDrives();
        for (int d = 0; d < 26; d++)
            if (mask & (1u << d))
                drives.push_back(std::string(1, (char)('A' + d)) + ":");
        EXPECT_EQ(ChildTexts(host.m_Folders, top), drives);
        HTREEITEM c = Child(host.m_Folders, top, "C:");
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(CTreeSelector::ItemData(host.m_Folders, c)->path, std::string("C:\\"));
        EXPECT_EQ(host.m_Folders.GetItemImage(c), (int)::GetDriveTypeA("C:\\") - 1);
        // Each drive waits with a placeholder and is not filled yet.
        EXPECT_EQ(ChildTexts(host.m_Folders, c), std::vector<std::string>{"!!!not expanded!!!"});

        HTREEITEM keys = host.m_Registry.GetRootItem();
        EXPECT_EQ(Text(host.m_Registry, keys), "Мой компьютер");
        std::vector<std::string> expected = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                             "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                             "HKEY_CURRENT_CONFIG"};
        expected.push_back(family == OS_WIN9X ? "HKEY_DYN_DATA" : "HKEY_PERFORMANCE_DATA");
        EXPECT_EQ(ChildTexts(host.m_Registry, keys), expected) << (int)family;
        HTREEITEM last = Child(host.m_Registry, keys, expected.back());
        EXPECT_EQ(CTreeSelector::ItemData(host.m_Registry, last)->root,
                  family == OS_WIN9X ? 0x80000006u : 0x80000004u);
        host.DestroyWindow();
    }
}

TEST_F(TreeSelector, DirectoriesComeFirstEachGroupByNameRegardlessOfCase)
{
    CWinApp app;
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    HTREEITEM item = Open(host.m_Folders, root);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ChildTexts(host.m_Folders, item),
              (std::vector<std::string>{"Alpha", "alpha2", "beta", "empty", "A.txt", "b.txt", "c.TXT"}));
    // Paths: directories with a final backslash, files without; images 6 and 7;
    // a placeholder only below a directory with something in it.
    HTREEITEM alpha = Child(host.m_Folders, item, "Alpha");
    HTREEITEM empty = Child(host.m_Folders, item, "empty");
    HTREEITEM file = Child(host.m_Folders, item, "b.txt");
    EXPECT_EQ(CTreeSelector::ItemData(host.m_Folders, alpha)->path, dir / "Alpha\\");
    EXPECT_EQ(CTreeSelector::ItemData(host.m_Folders, file)->path, dir / "b.txt");
    EXPECT_EQ(host.m_Folders.GetItemImage(alpha), CTreeSelector::IMAGE_FOLDER);
    EXPECT_EQ(host.m_Folders.GetItemImage(file), CTreeSelector::IMAGE_FILE);
    EXPECT_EQ(ChildTexts(host.m_Folders, alpha), std::vector<std::string>{"!!!not expanded!!!"});
    EXPECT_EQ(host.m_Folders.GetChildItem(empty), nullptr);
    EXPECT_EQ(host.m_Folders.GetChildItem(file), nullptr);

    // Collapsing and expanding again reads nothing anew.
    WriteText(dir / "late.txt", "x");
    host.m_Folders.Expand(item, TVE_COLLAPSE);
    host.m_Folders.Expand(item, TVE_EXPAND);
    EXPECT_EQ(ChildTexts(host.m_Folders, item).size(), 7u);

    // A directory that is gone by the time it is expanded has no children.
    RemoveTree(dir / "beta");
    HTREEITEM beta = Child(host.m_Folders, item, "beta");
    host.m_Folders.Expand(beta);
    EXPECT_EQ(host.m_Folders.GetChildItem(beta), nullptr);
    host.DestroyWindow();
}

TEST_F(TreeSelector, FoldersOnlyShowsNoFilesAndNeedsASubdirectoryToExpand)
{
    CWinApp app;
    CTreeHost host(CTreeSelector::FOLDERS_ONLY);
    ASSERT_TRUE(host.Create());
    HTREEITEM item = Open(host.m_Folders, root);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ChildTexts(host.m_Folders, item),
              (std::vector<std::string>{"Alpha", "alpha2", "beta", "empty"}));
    // Alpha holds a directory, beta only a file.
    EXPECT_NE(host.m_Folders.GetChildItem(Child(host.m_Folders, item, "Alpha")), nullptr);
    EXPECT_EQ(host.m_Folders.GetChildItem(Child(host.m_Folders, item, "beta")), nullptr);
    host.DestroyWindow();
}

TEST_F(TreeSelector, UncheckingOneFolderInACheckedOneUnchecksTheChainAboveIt)
{
    CWinApp app;
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    CTreeCtrl& t = host.m_Folders;
    HTREEITEM item = Open(t, root);
    ASSERT_NE(item, nullptr);
    t.Expand(item, TVE_COLLAPSE);
    // Checked before it is looked into: its children come checked.
    HTREEITEM alpha = Child(t, item, "Alpha");
    Toggle(t, item);
    EXPECT_TRUE(t.GetCheck(alpha));
    EXPECT_EQ(CTreeSelector::ItemData(t, alpha)->state, 1);
    EXPECT_TRUE(t.GetCheck(t.GetChildItem(alpha))) << "the placeholder";
    t.Expand(item);
    t.Expand(alpha);
    EXPECT_EQ(ChildTexts(t, alpha), (std::vector<std::string>{"inner", "x.txt"}));
    EXPECT_TRUE(t.GetCheck(Child(t, alpha, "inner")));
    EXPECT_TRUE(t.GetCheck(Child(t, alpha, "x.txt")));
    EXPECT_FALSE(t.GetCheck(t.GetRootItem())) << "checking never checks ancestors";

    // Unchecking one folder: every ancestor goes unchecked, the siblings stay.
    HTREEITEM beta = Child(t, item, "beta");
    Toggle(t, beta);
    EXPECT_FALSE(t.GetCheck(item));
    EXPECT_FALSE(t.GetCheck(t.GetRootItem()));
    for (HTREEITEM up = t.GetParentItem(item); up; up = t.GetParentItem(up))
        EXPECT_EQ(CTreeSelector::ItemData(t, up)->state, 0) << Text(t, up);
    EXPECT_TRUE(t.GetCheck(alpha));
    EXPECT_GT(host.m_nChanges, 0);

    // The topmost checked items, in tree order.
    EXPECT_TRUE(host.m_Selector.CollectChecked());
    EXPECT_EQ(CollectedPaths(), (std::vector<std::string>{dir / "Alpha\\ d", dir / "alpha2\\ d",
                                                    dir / "empty\\ d", dir / "A.txt f",
                                                    dir / "b.txt f", dir / "c.TXT f"}));
    EXPECT_EQ(g_KeyList.nCount, 0);
    EXPECT_TRUE(CTreeSelector::AnyChecked(t, t.GetRootItem()));
    host.DestroyWindow();
}

TEST_F(TreeSelector, MyComputerCheckedGivesOneEntryPerDrive)
{
    CWinApp app;
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    CTreeCtrl& t = host.m_Folders;
    EXPECT_FALSE(CTreeSelector::AnyChecked(t, t.GetRootItem()));
    Toggle(t, t.GetRootItem());
    EXPECT_TRUE(host.m_Selector.CollectChecked());
    std::vector<std::string> expected;
    DWORD mask = ::GetLogicalDrives();
    for (int d = 0; d < 26; d++)
        if (mask & (1u << d))
            expected.push_back(std::string(1, (char)('A' + d)) + ":\\ d");
    EXPECT_EQ(CollectedPaths(), expected);
    host.DestroyWindow();
}

TEST_F(TreeSelector, RegistryKeysFillLazilyAndAWholeRootIsOneEntry)
{
    CWinApp app;
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    CTreeCtrl& t = host.m_Registry;
    HTREEITEM trees = Open(t, std::string("HKEY_CURRENT_USER\\") + kTestKey);
    ASSERT_NE(trees, nullptr);
    EXPECT_EQ(ChildTexts(t, trees), (std::vector<std::string>{"One", "two"}));
    HTREEITEM one = Child(t, trees, "One");
    EXPECT_EQ(CTreeSelector::ItemData(t, one)->path, std::string(kTestKey) + "\\One");
    EXPECT_EQ(CTreeSelector::ItemData(t, one)->root, 0x80000001u);
    // A placeholder only below a key that has subkeys.
    EXPECT_EQ(ChildTexts(t, one), std::vector<std::string>{"!!!not expanded!!!"});
    EXPECT_EQ(t.GetChildItem(Child(t, trees, "two")), nullptr);

    Toggle(t, one);
    EXPECT_TRUE(host.m_Selector.CollectChecked());
    EXPECT_EQ(CollectedKeys(), (std::vector<KeyEntry>{{0x80000001u, std::string(kTestKey) + "\\One", 1}}));

    // The whole of a root: its code and an empty path.
    HTREEITEM users = Child(t, t.GetRootItem(), "HKEY_USERS");
    Toggle(t, users);
    EXPECT_TRUE(host.m_Selector.CollectChecked());
    EXPECT_EQ(CollectedKeys(), (std::vector<KeyEntry>{{0x80000001u, std::string(kTestKey) + "\\One", 1},
                                                {0x80000003u, "", 1}}));
    host.DestroyWindow();
}

TEST_F(TreeSelector, PreparedListsCheckTheItemsTheyName)
{
    CWinApp app;
    // Lists in the comparator's form: full paths, keys as root name + path.
    AddPathItem((dir / "Alpha\\inner\\").c_str(), 1);
    AddPathItem((dir / "b.txt").c_str(), 0);
    AddPathItem((dir / "missing\\").c_str(), 1);
    AddKeyItem(0x80000001u, (std::string("HKEY_CURRENT_USER\\") + kTestKey + "\\One\\Deep\\").c_str(), 1);
    AddKeyItem(0x80000001u, (std::string("HKEY_CURRENT_USER\\") + kTestKey + "\\two\\value").c_str(), 0);
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    host.m_Selector.CheckListedItems();
    Draw(host.m_Folders);
    Draw(host.m_Registry);

    CTreeCtrl& f = host.m_Folders;
    HTREEITEM item = Open(f, root);
    HTREEITEM inner = Child(f, Child(f, item, "Alpha"), "inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_TRUE(f.GetCheck(inner));
    EXPECT_TRUE(f.GetCheck(Child(f, item, "b.txt")));
    EXPECT_FALSE(f.GetCheck(Child(f, item, "Alpha")));
    EXPECT_FALSE(f.GetCheck(Child(f, item, "A.txt")));

    CTreeCtrl& r = host.m_Registry;
    HTREEITEM trees = Open(r, std::string("HKEY_CURRENT_USER\\") + kTestKey);
    HTREEITEM deep = Child(r, Child(r, trees, "One"), "Deep");
    ASSERT_NE(deep, nullptr);
    EXPECT_TRUE(r.GetCheck(deep));
    EXPECT_FALSE(r.GetCheck(Child(r, trees, "two"))) << "a value names no item of the tree";

    EXPECT_TRUE(host.m_Selector.CollectChecked());
    EXPECT_EQ(CollectedPaths(), (std::vector<std::string>{dir / "Alpha\\inner\\ d", dir / "b.txt f"}));
    EXPECT_EQ(CollectedKeys(),
              (std::vector<KeyEntry>{{0x80000001u, std::string(kTestKey) + "\\One\\Deep", 1}}));
    host.DestroyWindow();
}

TEST_F(TreeSelector, TenImagesFromTheSystemOrTheProgramsOwnPictures)
{
    CWinApp app;
    CTreeSelector selector;
    selector.LoadImages();
    EXPECT_EQ(ImageList_GetImageCount(selector.GetImageList()), CTreeSelector::IMAGE_COUNT);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(selector.GetImageList(), &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    // Which images the system's files lacked, for the record.
    std::string own;
    for (int i = 0; i < CTreeSelector::IMAGE_COUNT; i++)
        if (selector.m_nFallbackImages & (1u << i))
            own += std::to_string(i) + " ";
    std::printf("tree images taken from the program's own pictures: %s\n", own.empty() ? "none" : own.c_str());
    RecordProperty("OwnImages", own);
}

TEST_F(TreeSelector, MoreCheckedItemsThanAListHoldsAreReported)
{
    CWinApp app;
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    CTreeCtrl& t = host.m_Folders;
    // One more checked item than a 16-bit count can hold, below one folder.
    t.SetRedraw(FALSE);
    HTREEITEM parent = host.m_Selector.InsertItem(t, t.GetRootItem(), "many", CTreeSelector::IMAGE_FOLDER,
                                                  new TreeItemData(0, "X:\\many\\"));
    char path[32];
    for (unsigned i = 0; i <= MAX_JOB_COUNT; i++) {
        std::snprintf(path, sizeof path, "X:\\many\\%05u", i);
        host.m_Selector.InsertItem(t, parent, path + 8, CTreeSelector::IMAGE_FILE,
                                   new TreeItemData(1, path));
    }
    t.SetRedraw(TRUE);
    EXPECT_FALSE(host.m_Selector.CollectChecked());
    EXPECT_EQ(g_PathList.nCount, (WORD)MAX_JOB_COUNT);
    EXPECT_STREQ(g_PathList.items[MAX_JOB_COUNT - 1].szPath, "X:\\many\\65534");
    host.DestroyWindow();
}

TEST_F(TreeSelector, AClickNotYetDrawnIsCollectedAllTheSame)
{
    CWinApp app;
    CTreeHost host;
    ASSERT_TRUE(host.Create());
    CTreeCtrl& t = host.m_Folders;
    Draw(t);
    // A tick, and the lists read before any paint could notice it (a key press
    // is handled before a pending paint).
    HTREEITEM top = t.GetRootItem();
    t.SelectItem(top);
    t.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    t.SendMessage(WM_KEYUP, VK_SPACE, 0);
    ASSERT_TRUE(t.GetCheck(top));
    EXPECT_TRUE(host.m_Selector.CollectChecked());
    EXPECT_EQ(g_PathList.nCount, (WORD)__builtin_popcount(::GetLogicalDrives()));
    host.DestroyWindow();
}
