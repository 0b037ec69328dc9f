// The restoring wizard on real sheets, driven from a second thread as a user
// would: the archive page's name and check, the contents trees of real archives
// written by the archive writer, ticks turned into selections, the restore
// types and options, a whole run putting a tree and a registry subtree back,
// and damaged archives on the contents trees.
#include "ui/RestoreSheet.h"

#include "backup/Backup.h"
#include "base/JobState.h"
#include "base/Settings.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "ui/ArchiveContents.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestRegistry.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kCaption[] = "Zelmora: Восстановление";
const char kTestKey[] = "Software\\ZelmoraTest\\RestoreWizard";

int ItemImage(HWND tree, HTREEITEM item)
{
    TVITEMA tv = {};
    tv.mask = TVIF_IMAGE;
    tv.hItem = item;
    ::SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&tv);
    return tv.iImage;
}

HTREEITEM First(HWND tree, HTREEITEM parent)
{
    return (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, (LPARAM)parent);
}

HTREEITEM Next(HWND tree, HTREEITEM item) { return (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item); }

// A tree as text: "name(image)[children]" depth first.
std::string Outline(HWND tree, HTREEITEM parent)
{
    std::string s;
    for (HTREEITEM c = First(tree, parent); c; c = Next(tree, c)) {
        s += TreeText(tree, c) + "(" + std::to_string(ItemImage(tree, c)) + ")";
        std::string below = Outline(tree, c);
        if (!below.empty())
            s += "[" + below + "]";
        s += " ";
    }
    return s;
}

void SetValue(const std::string& sub, const char* name, const char* value)
{
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, std::string(kTestKey) + sub, name, value));
}

std::string GetValue(const std::string& sub, const char* name)
{
    return StringValue(HKEY_CURRENT_USER, std::string(kTestKey) + sub, name);
}

class RestoreWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordedCalls().clear();
        lstrcpyA(settings.ZMAFolder, (dir / "Archives").c_str());
        ::CreateDirectoryA((dir / "Archives").c_str(), nullptr);
        g_osFamily = OS_NT5;
        g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;
        for (const char* d : {"src\\", "src\\Sub\\", "src\\other\\"})
            ::CreateDirectoryA((dir / d).c_str(), nullptr);
        WriteText(dir / "src\\b.txt", "bee");
        WriteText(dir / "src\\A.txt", "ay");
        WriteText(dir / "src\\Sub\\c.txt", "sea");
        WriteText(dir / "src\\other\\d.txt", "dee");
        RemoveKeyTree(HKEY_CURRENT_USER, kTestKey);
        SetValue("", "top", "1");
        SetValue("\\Inner", "v", "two");
    }
    void TearDown() override
    {
        CProgressPage::WaitForWorker();
        RemoveKeyTree(HKEY_CURRENT_USER, kTestKey);
        g_PathList.nCount = g_KeyList.nCount = 0;
        g_bRestoreAttributes = g_bRestoreTimes = g_bClearFolders = g_bOverwriteFiles = 0;
    }
    // An archive of the test tree and the test key, by the archive writer.
    std::string MakeArchive(bool files, bool registry, const char* name = "a.zma")
    {
        g_PathList.nCount = g_KeyList.nCount = 0;
        if (files)
            AddPathItem((dir / "src\\").c_str(), 1);
        if (registry)
            AddKeyItem(0x80000001u, kTestKey, 1);
        ArchiveFlags[AF_FILES] = files;
        ArchiveFlags[AF_ATTRIBUTES] = ArchiveFlags[AF_TIMES] = 1;
        ArchiveFlags[AF_REGISTRY] = registry;
        std::string path = dir / (std::string("Archives\\") + name);
        CBackup* b = new CBackup;
        b->SetArchivePath(path.c_str());
        b->Run();
        delete b;
        g_bEngineBusy = 0;
        return path;
    }
    CWinApp app;
    CSettings settings;
    CScratchDir dir;
};

} // namespace

TEST_F(RestoreWizard, ArchivePageNeedsANameAndAnArchive)
{
    MakeArchive(true, false);
    WriteText(dir / "Archives\\fake.zma", "not an archive at all");
    CRestoreSheet sheet;
    Problems p;
    std::string message;
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return p.Check(false, "no sheet");
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_RESTORE_ARCHIVE_NAME, "archive"))
            return Press(s, PSBTN_CANCEL);
        p.Check(::SendDlgItemMessageA(CurrentPage(s), IDC_RESTORE_ARCHIVE_NAME, CB_GETCOUNT, 0, 0) == 2,
                "the folder's archives listed");
        p.ButtonsAre(s, "+-x+", "no name");
        TypeInCombo(s, IDC_RESTORE_ARCHIVE_NAME, "fake.zma");
        p.ButtonsAre(s, "++x+", "a name");
        ::PostMessageA(s, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        message = AnswerMessageBox("Zelmora: Ошибка");
        p.Check(PageWithControl(s, IDC_RESTORE_ARCHIVE_NAME), "still on the archive page");
        TypeInCombo(s, IDC_RESTORE_ARCHIVE_NAME, "");
        p.ButtonsAre(s, "+-x+", "the name emptied");
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(message, "Выбранный файл не является ZM-архивом");
}

TEST_F(RestoreWizard, ContentsTreesShowTheArchiveAndTicksBecomeSelections)
{
    std::string archive = MakeArchive(true, true);
    CRestoreSheet sheet;
    Problems p;
    std::string files, keys, jobAll, jobSiblings;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_RESTORE_ARCHIVE_NAME, "archive");
        if (!s)
            return;
        TypeInCombo(s, IDC_RESTORE_ARCHIVE_NAME, "a.zma");
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_FOLDER_TREE, "contents"))
            return Press(s, PSBTN_CANCEL);
        HWND page = CurrentPage(s);
        HWND ft = ::GetDlgItem(page, IDC_FOLDER_TREE), kt = ::GetDlgItem(page, IDC_KEY_TREE);
        p.ButtonsAre(s, "+-x+", "nothing ticked");
        // Down to the test tree, then its outline.
        std::vector<std::string> parts;
        std::string d = dir / "src";
        for (size_t start = 0; start < d.size();) {
            size_t end = d.find('\\', start);
            parts.push_back(d.substr(start, end == std::string::npos ? std::string::npos : end - start));
            start = end == std::string::npos ? d.size() : end + 1;
        }
        HTREEITEM item = First(ft, nullptr);
        p.Check(TreeText(ft, item) == "a.zma", "the top item names the archive");
        for (const std::string& part : parts) {
            ::SendMessageA(ft, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
            item = TreeChild(ft, item, part);
            if (!item)
                break;
        }
        p.Check(item != nullptr, "the test tree in the file tree");
        if (!item)
            return Press(s, PSBTN_CANCEL);
        ::SendMessageA(ft, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
        files = Outline(ft, item);
        keys = Outline(kt, First(kt, nullptr));
        // The whole directory: one selection.
        TreeToggle(ft, item);
        p.ButtonsAre(s, "++x+", "a tick");
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_RESTORE_TYPE, "options");
        jobAll = std::to_string(g_PathList.nCount) + ":" + g_PathList.items[0].szPath;
        // Back, one file unticked: the siblings one by one; nothing twice.
        Press(s, PSBTN_BACK);
        p.OnPage(s, IDC_FOLDER_TREE, "contents again");
        TreeToggle(ft, TreeChild(ft, item, "b.txt"));
        p.Check(WaitFor([&] {
                    return ((::SendMessageA(ft, TVM_GETITEMSTATE, (WPARAM)item, TVIS_STATEIMAGEMASK) >> 12) & 0xF) == 1;
                }),
                "the directory unticked with its file");
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_RESTORE_TYPE, "options again");
        for (unsigned i = 0; i < g_PathList.nCount; i++)
            jobSiblings += std::string(g_PathList.items[i].szPath) + "|" +
                           std::to_string(g_PathList.items[i].bDirectory) + " ";
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    // Directories first, each group by name; files with image 7, folders 6.
    EXPECT_EQ(files, "other(6)[d.txt(7) ] Sub(6)[c.txt(7) ] A.txt(7) b.txt(7) ");
    // The root key shown by its name; subkeys before values (8: a string).
    std::string expectedKeys = "HKEY_CURRENT_USER(6)[Software(6)[ZelmoraTest(6)[RestoreWizard(6)[Inner(6)[v(8) ] top(8) ] ] ] ] ";
    EXPECT_EQ(keys, expectedKeys);
    std::string parent = dir.Path();
    EXPECT_EQ(jobAll, "1:" + parent);
    EXPECT_EQ(jobSiblings, parent + "src\\|1 " + parent + "src\\|1 " + parent + "src\\|0 ");
}

TEST_F(RestoreWizard, ARegistryOnlyArchiveShowsADisabledEmptyFileTree)
{
    MakeArchive(false, true, "r.zma");
    CRestoreSheet sheet;
    Problems p;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_RESTORE_ARCHIVE_NAME, "archive");
        if (!s)
            return;
        TypeInCombo(s, IDC_RESTORE_ARCHIVE_NAME, "r.zma");
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_FOLDER_TREE, "contents")) {
            HWND ft = ::GetDlgItem(CurrentPage(s), IDC_FOLDER_TREE);
            p.Check(!::IsWindowEnabled(ft), "file tree disabled");
            p.Check(::SendMessageA(ft, TVM_GETCOUNT, 0, 0) == 0, "file tree empty");
            p.Check(::IsWindowEnabled(::GetDlgItem(CurrentPage(s), IDC_KEY_TREE)), "key tree enabled");
        }
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
}

TEST_F(RestoreWizard, RestoreTypesSetTheOptionsAndOnlyAHandTickWarns)
{
    MakeArchive(true, false);
    CRestoreSheet sheet;
    Problems p;
    std::string warning;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_RESTORE_ARCHIVE_NAME, "archive");
        if (!s)
            return;
        TypeInCombo(s, IDC_RESTORE_ARCHIVE_NAME, "a.zma");
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FOLDER_TREE, "contents");
        HWND ft = ::GetDlgItem(CurrentPage(s), IDC_FOLDER_TREE);
        TreeToggle(ft, First(ft, nullptr));
        p.ButtonsAre(s, "++x+", "a tick");
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_RESTORE_TYPE, "options"))
            return Press(s, PSBTN_CANCEL);
        HWND page = CurrentPage(s);
        HWND list = ::GetDlgItem(page, IDC_RESTORE_TYPE);
        p.Check(::SendMessageA(list, LB_GETCURSEL, 0, 0) == 3, "the user's own type first");
        auto boxes = [&] {
            std::string b;
            for (int id : {IDC_RESTORE_ATTRIBUTES, IDC_RESTORE_TIMES, IDC_RESTORE_CLEAR, IDC_RESTORE_OVERWRITE})
                b += ::IsDlgButtonChecked(page, id) == BST_CHECKED ? '1' : '0';
            return b;
        };
        auto choose = [&](int type) {
            ::SendMessageA(list, LB_SETCURSEL, (WPARAM)type, 0);
            ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_RESTORE_TYPE, LBN_SELCHANGE), (LPARAM)list);
        };
        choose(1);
        p.Check(boxes() == "1110", "from Windows: attributes, times, clearing, no warning");
        choose(0);
        p.Check(boxes() == "1100", "normal");
        choose(2);
        p.Check(boxes() == "1100", "from DOS");
        p.Check(g_bClearFolders == 0 && g_bRestoreAttributes == 1, "the options follow the boxes");
        // A hand tick on clearing warns, and the box stays ticked.
        ::PostMessageA(::GetDlgItem(page, IDC_RESTORE_CLEAR), BM_CLICK, 0, 0);
        warning = AnswerMessageBox("Zelmora: Предупреждение");
        p.Check(WaitFor([&] { return g_bClearFolders == 1; }), "clearing on by hand");
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(warning, "Внимание! Вы активизировали опцию \"Очищать каталоги перед восстановлением\". "
                       "При этом будут удалены все подкаталоги выбранных каталогов, вне зависимости, "
                       "присутствуют ли они в архиве или нет.");
}

TEST_F(RestoreWizard, ATreeAndARegistrySubtreeComeBackExactly)
{
    std::string archive = MakeArchive(true, true);
    RemoveTree(dir / "src");
    RemoveKeyTree(HKEY_CURRENT_USER, kTestKey);
    CRestoreSheet sheet;
    Problems p;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_RESTORE_ARCHIVE_NAME, "archive");
        if (!s)
            return;
        TypeInCombo(s, IDC_RESTORE_ARCHIVE_NAME, archive); // a full path, used as it stands
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_FOLDER_TREE, "contents"))
            return Press(s, PSBTN_CANCEL);
        HWND page = CurrentPage(s);
        for (int id : {IDC_FOLDER_TREE, IDC_KEY_TREE}) {
            HWND t = ::GetDlgItem(page, id);
            TreeToggle(t, First(t, nullptr));
        }
        p.ButtonsAre(s, "++x+", "everything ticked");
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_RESTORE_TYPE, "options");
        Press(s, PSBTN_NEXT);
        p.ButtonsAre(s, "-x++", "restored");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    ASSERT_EQ(p.text, "");
    EXPECT_EQ(ReadText(dir / "src\\b.txt"), "bee");
    EXPECT_EQ(ReadText(dir / "src\\A.txt"), "ay");
    EXPECT_EQ(ReadText(dir / "src\\Sub\\c.txt"), "sea");
    EXPECT_EQ(ReadText(dir / "src\\other\\d.txt"), "dee");
    EXPECT_EQ(GetValue("", "top"), "1");
    EXPECT_EQ(GetValue("\\Inner", "v"), "two");
}

TEST_F(RestoreWizard, DamagedArchivesNeverBreakTheContentsTrees)
{
    std::string archive = MakeArchive(true, true);
    Bytes original = ReadFileBytes(archive);
    ASSERT_GT(original.size(), 100u);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND frame = CreateWindowA("STATIC", "trees", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    CTreeCtrl files(CreateWindowA(WC_TREEVIEWA, "", WS_CHILD | TVS_CHECKBOXES, 0, 0, 200, 300, frame, nullptr,
                                  nullptr, nullptr));
    CTreeCtrl keys(CreateWindowA(WC_TREEVIEWA, "", WS_CHILD | TVS_CHECKBOXES, 200, 0, 200, 300, frame, nullptr,
                                 nullptr, nullptr));
    CTreeSelector selector;
    CArchiveContents contents(selector);
    ASSERT_TRUE(contents.Load(archive.c_str(), files, keys));
    int whole = files.GetCount() + keys.GetCount();
    std::string damaged = dir / "damaged.zma";
    unsigned seed = 12345;
    int failures = 0;
    for (int round = 0; round < 300; round++) {
        Bytes bytes = original;
        seed = seed * 1103515245u + 12345u;
        if (round % 3 == 0) {
            bytes.resize(29 + seed % (bytes.size() - 29)); // truncated
        } else {
            for (int k = 0; k < 1 + round % 4; k++) {
                seed = seed * 1103515245u + 12345u;
                size_t at = 29 + (seed >> 8) % (bytes.size() - 29);
                bytes[at] = (unsigned char)(seed >> 3); // a count, a length, a type...
            }
        }
        ASSERT_TRUE(WriteFileBytes(damaged, bytes));
        if (!contents.Load(damaged.c_str(), files, keys))
            failures++;
        // Never more items than records can be read from the bytes.
        ASSERT_LE(files.GetCount() + keys.GetCount(), (int)bytes.size()) << round;
    }
    EXPECT_GT(failures, 50);
    EXPECT_GT(whole, 10);
    DestroyWindow(frame);
}

TEST_F(RestoreWizard, AnArchiveChosenInAnotherFolderIsListedAndRead)
{
    std::string made = MakeArchive(true, false, "moved.zma");
    ::CreateDirectoryA((dir / "elsewhere").c_str(), nullptr);
    ASSERT_TRUE(::MoveFileA(made.c_str(), (dir / "elsewhere\\moved.zma").c_str()));
    WriteText(dir / "elsewhere\\second.zma", "x");
    CRestoreSheet sheet;
    Problems p;
    std::string list, top;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_RESTORE_ARCHIVE_NAME, "archive");
        if (!s)
            return;
        HWND page = CurrentPage(s);
        ::PostMessageA(::GetDlgItem(page, IDC_FILE_BROWSE), BM_CLICK, 0, 0);
        p.Check(AnswerFileDialog("Открытие архива", dir / "elsewhere\\moved.zma"), "the open dialog answered");
        p.ButtonsAre(s, "++x+", "a name chosen");
        int n = (int)::SendDlgItemMessageA(page, IDC_RESTORE_ARCHIVE_NAME, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            char entry[MAX_PATH] = "";
            ::SendDlgItemMessageA(page, IDC_RESTORE_ARCHIVE_NAME, CB_GETLBTEXT, (WPARAM)i, (LPARAM)entry);
            list += std::string(entry) + " ";
        }
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_FOLDER_TREE, "contents")) {
            HWND ft = ::GetDlgItem(CurrentPage(s), IDC_FOLDER_TREE);
            top = TreeText(ft, First(ft, nullptr));
        }
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(list, "moved.zma second.zma ");
    EXPECT_EQ(top, "moved.zma");
    EXPECT_EQ(std::string(g_szArchiveName), dir / "elsewhere\\moved.zma");
}
