// The archiving wizard on real sheets, driven from a second thread as a user
// would: the built-in lists of each type and family, the pages that the custom
// type brings in and takes out, the options and name pages' buttons, trees
// checked by hand on a real directory tree and registry subtree, the archive
// read back and restored, the preloaded start of the comparing wizard, and a
// cancelled run.
#include "ui/ArchiveSheet.h"

#include "base/JobState.h"
#include "base/Settings.h"
#include "cli/RestoreCommand.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/backup/ArchiveWalker.h"
#include "tests/support/OutputCapture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestRegistry.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>

namespace {

const char kCaption[] = "Zelmora: Архивирование";
const char kTestKey[] = "Software\\ZelmoraTest\\ArchiveWizard";

HWND Page(HWND sheet) { return CurrentPage(sheet); }

// Expands the items along a backslash path from the root item.
HTREEITEM Open(HWND tree, const std::string& path)
{
    HTREEITEM item = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    size_t start = 0;
    while (item && start < path.size()) {
        size_t end = path.find('\\', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? path.size() : end + 1;
        if (part.empty())
            continue;
        item = TreeChild(tree, item, part);
        if (item)
            ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
    }
    return item;
}

std::string Paths()
{
    std::string s;
    for (unsigned i = 0; i < g_PathList.nCount; i++)
        s += std::string(g_PathList.items[i].szPath) + (g_PathList.items[i].bDirectory ? "|d " : "|f ");
    return s;
}

std::string Keys()
{
    std::string s;
    char code[16];
    for (unsigned i = 0; i < g_KeyList.nCount; i++) {
        wsprintfA(code, "%08X", (unsigned)g_KeyList.items[i].dwRoot);
        s += std::string(code) + ":" + g_KeyList.items[i].szPath + (g_KeyList.items[i].bKey ? "|k " : "|v ");
    }
    return s;
}

std::string Flags()
{
    return std::to_string(ArchiveFlags[0]) + std::to_string(ArchiveFlags[1]) +
           std::to_string(ArchiveFlags[2]) + std::to_string(ArchiveFlags[3]);
}

void SetKey(const std::string& sub, const char* name, const char* value)
{
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, std::string(kTestKey) + sub, name, value));
}

void DeleteKeyTree(const std::string& path) { RemoveKeyTree(HKEY_CURRENT_USER, path); }

std::string KeyValue(const std::string& sub, const char* name)
{
    return StringValue(HKEY_CURRENT_USER, std::string(kTestKey) + sub, name);
}

class ArchiveWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordedCalls().clear();
        settings.BackupThreadPriority = THREAD_PRIORITY_NORMAL;
        lstrcpyA(settings.ZMAFolder, (dir / "Archives").c_str());
        lstrcpyA(g_szWindowsDir, "D:\\WINNT\\");
        lstrcpyA(g_szSystemDir, "D:\\WINNT\\system32\\");
        lstrcpyA(g_szProgramFilesDir, "D:\\Program Files\\");
        g_osFamily = OS_NT5;
        ArchiveType = 0;
        g_bPresetSelection = 0;
        g_PathList.nCount = g_KeyList.nCount = 0;
        // The tree the custom runs archive, and a registry subtree.
        for (const char* d : {"src\\", "src\\sub\\", "src\\skip\\"})
            ::CreateDirectoryA((dir / d).c_str(), nullptr);
        WriteText(dir / "src\\a.txt", "alpha alpha alpha");
        WriteText(dir / "src\\sub\\b.txt", "beta");
        WriteText(dir / "src\\skip\\c.txt", "not chosen");
        DeleteKeyTree(kTestKey);
        SetKey("\\Chosen", "v", "one");
        SetKey("\\Chosen\\Deep", "w", "two");
        SetKey("\\Other", "x", "three");
    }
    void TearDown() override
    {
        CProgressPage::WaitForWorker();
        DeleteKeyTree(kTestKey);
        g_szWindowsDir[0] = g_szSystemDir[0] = g_szProgramFilesDir[0] = 0;
        g_PathList.nCount = g_KeyList.nCount = 0;
    }

    // The items of the custom runs, checked by hand in the trees of the page.
    void CheckByHand(HWND sheet, Problems& p)
    {
        HWND folders = ::GetDlgItem(Page(sheet), IDC_FOLDER_TREE);
        HWND keys = ::GetDlgItem(Page(sheet), IDC_KEY_TREE);
        HTREEITEM src = Open(folders, dir / "src");
        p.Check(src != nullptr, "src in the tree");
        if (!src)
            return;
        TreeToggle(folders, TreeChild(folders, src, "a.txt"));
        TreeToggle(folders, TreeChild(folders, src, "sub"));
        HTREEITEM base = Open(keys, std::string("HKEY_CURRENT_USER\\") + kTestKey);
        p.Check(base != nullptr, "the test key in the tree");
        if (base)
            TreeToggle(keys, TreeChild(keys, base, "Chosen"));
    }

    CWinApp app;
    CSettings settings;
    CScratchDir dir;
};

// What an archive of the custom runs must hold, and nothing else.
void ExpectTheChosenItems(const WalkedArchive& a, const CScratchDir& dir)
{
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_EQ(std::string(a.flags, a.flags + 4), std::string("\1\1\1\1", 4));
    ASSERT_NE(a.FindFile(dir / "src\\a.txt"), nullptr);
    ASSERT_NE(a.FindFile(dir / "src\\sub\\b.txt"), nullptr);
    EXPECT_EQ(a.FindFile(dir / "src\\skip"), nullptr);
    EXPECT_EQ(a.FindFile(dir / "src\\skip\\c.txt"), nullptr);
    const WalkedRecord* src = a.FindFile(dir / "src");
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->childCount, 2u); // a.txt and sub only
    EXPECT_NE(a.FindKey(0x80000001u, std::string(kTestKey) + "\\Chosen"), nullptr);
    EXPECT_NE(a.FindValue(0x80000001u, std::string(kTestKey) + "\\Chosen\\Deep", "w"), nullptr);
    EXPECT_EQ(a.FindKey(0x80000001u, std::string(kTestKey) + "\\Other"), nullptr);
}

} // namespace

TEST_F(ArchiveWizard, BuiltInListsOfEachTypeAndFamily)
{
    CArchiveSheet sheet;
    // Family 2: the Windows directory's drive stands for "C:".
    sheet.ApplyType(CArchiveSheet::TYPE_NORMAL);
    EXPECT_EQ(Flags(), "1110");
    EXPECT_EQ(Paths(), "D:\\WINNT\\|d D:\\Program Files\\|d D:\\Documents and settings\\|d "
                       "D:\\ntldr|f D:\\bootfont.bin|f D:\\bootsect.dos|f D:\\boot.ini|f "
                       "D:\\ntdetect.com|f ");
    EXPECT_EQ(Keys(), "");
    sheet.ApplyType(CArchiveSheet::TYPE_SETTINGS);
    EXPECT_EQ(Flags(), "1111");
    EXPECT_EQ(Paths(), "D:\\boot.ini|f D:\\WINNT\\system32\\autoexec.nt|f D:\\WINNT\\system32\\config.nt|f "
                       "D:\\WINNT\\control.ini|f D:\\WINNT\\system.ini|f D:\\WINNT\\win.ini|f ");
    EXPECT_EQ(Keys(), "80000002:|k 80000003:|k 80000005:|k ");
    sheet.ApplyType(CArchiveSheet::TYPE_DISK);
    EXPECT_EQ(Flags(), "1110");
    EXPECT_EQ(Paths(), "D:\\|d ");
    EXPECT_EQ(Keys(), "");

    g_osFamily = OS_NT4;
    sheet.ApplyType(CArchiveSheet::TYPE_NORMAL);
    EXPECT_EQ(Paths(), "D:\\WINNT\\|d D:\\Program Files\\|d D:\\ntldr|f D:\\bootfont.bin|f "
                       "D:\\bootsect.dos|f D:\\boot.ini|f D:\\ntdetect.com|f ");
    sheet.ApplyType(CArchiveSheet::TYPE_SETTINGS);
    EXPECT_EQ(Paths(), "D:\\boot.ini|f D:\\WINNT\\system32\\autoexec.nt|f D:\\WINNT\\system32\\config.nt|f "
                       "D:\\WINNT\\control.ini|f D:\\WINNT\\system.ini|f D:\\WINNT\\win.ini|f ");

    g_osFamily = OS_WIN9X;
    lstrcpyA(g_szWindowsDir, "C:\\WINDOWS\\");
    lstrcpyA(g_szSystemDir, "C:\\WINDOWS\\SYSTEM\\");
    lstrcpyA(g_szProgramFilesDir, "C:\\Program Files\\");
    sheet.ApplyType(CArchiveSheet::TYPE_NORMAL);
    EXPECT_EQ(Paths(), "C:\\WINDOWS\\|d C:\\Program Files\\|d C:\\autoexec.bat|f C:\\config.sys|f "
                       "C:\\msdos.sys|f C:\\command.com|f C:\\io.sys|f C:\\logo.sys|f ");
    sheet.ApplyType(CArchiveSheet::TYPE_SETTINGS);
    EXPECT_EQ(Paths(), "C:\\autoexec.bat|f C:\\config.sys|f C:\\msdos.sys|f C:\\WINDOWS\\winstart.bat|f "
                       "C:\\WINDOWS\\dosstart.bat|f C:\\WINDOWS\\control.ini|f C:\\WINDOWS\\system.ini|f "
                       "C:\\WINDOWS\\win.ini|f ");
    EXPECT_EQ(Keys(), "80000002:|k 80000003:|k 80000005:|k ");

    // The custom type: no flags, empty lists, six pages; back to four and six.
    EXPECT_EQ(sheet.GetPageCount(), 4);
    sheet.ApplyType(CArchiveSheet::TYPE_CUSTOM);
    EXPECT_EQ(Flags(), "0000");
    EXPECT_EQ(g_PathList.nCount + g_KeyList.nCount, 0);
    EXPECT_EQ(sheet.GetPageCount(), 6);
    EXPECT_EQ(sheet.GetPageIndex(&sheet.m_OptionsPage), 2);
    EXPECT_EQ(sheet.GetPageIndex(&sheet.m_ProgressPage), 5);
    sheet.ApplyType(CArchiveSheet::TYPE_DISK);
    EXPECT_EQ(sheet.GetPageCount(), 4);
    sheet.ApplyType(CArchiveSheet::TYPE_CUSTOM);
    EXPECT_EQ(sheet.GetPageCount(), 6);
}

TEST_F(ArchiveWizard, TypeClicksChangeThePagesOfTheRunningSheet)
{
    CArchiveSheet sheet;
    Problems p;
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return p.Check(false, "no sheet");
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_TYPE_NORMAL, "type"))
            return Press(s, PSBTN_CANCEL);
        p.Check(::IsDlgButtonChecked(Page(s), IDC_TYPE_NORMAL) == BST_CHECKED, "the normal type shown");
        p.ButtonsAre(s, "++x+", "type page");
        auto pages = [&] {
            int n = 0;
            while (n < 10 && ::SendMessageA(s, PSM_INDEXTOPAGE, (WPARAM)n, 0))
                n++;
            return n;
        };
        p.Check(pages() == 4, "four pages at first");
        Click(s, IDC_TYPE_CUSTOM);
        p.Check(pages() == 6, "six with the custom type");
        Click(s, IDC_TYPE_SETTINGS);
        p.Check(pages() == 4 && Flags() == "1111", "four again with system settings");
        Click(s, IDC_TYPE_CUSTOM);
        p.Check(pages() == 6 && Flags() == "0000", "six again, nothing set");
        // The options page: every box off, Back alone until files or registry.
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_OPTION_FILES, "options")) {
            HWND page = Page(s);
            for (int id : {IDC_OPTION_FILES, IDC_OPTION_ATTRIBUTES, IDC_OPTION_TIMES, IDC_OPTION_REGISTRY})
                p.Check(::IsDlgButtonChecked(page, id) == BST_UNCHECKED, "boxes off");
            p.Check(!::IsWindowEnabled(::GetDlgItem(page, IDC_OPTION_ATTRIBUTES)), "attributes greyed");
            p.ButtonsAre(s, "+-x+", "options without a choice");
            Click(s, IDC_OPTION_FILES);
            p.Check(::IsWindowEnabled(::GetDlgItem(page, IDC_OPTION_TIMES)), "times enabled with files");
            p.ButtonsAre(s, "++x+", "options with files");
            Click(s, IDC_OPTION_TIMES);
            Click(s, IDC_OPTION_FILES);
            p.Check(Flags() == "0010", "times kept while files is off");
            p.ButtonsAre(s, "+-x+", "options without files again");
            Click(s, IDC_OPTION_REGISTRY);
            p.ButtonsAre(s, "++x+", "options with the registry");
        }
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
}

TEST_F(ArchiveWizard, NamePageProposesTheNextNumberAndNeedsAName)
{
    ::CreateDirectoryA((dir / "Archives").c_str(), nullptr);
    WriteText(dir / "Archives\\Arc0000.zma", "x");
    WriteText(dir / "Archives\\Arc0003.zma", "x");
    CArchiveSheet sheet;
    Problems p;
    std::string proposed;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_TYPE_NORMAL, "type");
        if (!s)
            return;
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_FILE_NAME, "name")) {
            char text[MAX_PATH] = "";
            ::GetDlgItemTextA(Page(s), IDC_FILE_NAME, text, sizeof text);
            proposed = text;
            p.ButtonsAre(s, "++x+", "a proposed name");
            ::SetDlgItemTextA(Page(s), IDC_FILE_NAME, "");
            p.ButtonsAre(s, "+-x+", "an empty name");
            ::SetDlgItemTextA(Page(s), IDC_FILE_NAME, "x");
            p.ButtonsAre(s, "++x+", "one character");
        }
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(proposed, dir / "Archives\\Arc0004.zma");
}

TEST_F(ArchiveWizard, CustomArchiveOfCheckedItemsRestoresExactly)
{
    CArchiveSheet sheet;
    Problems p;
    std::string archive = dir / "custom.zma";
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_TYPE_NORMAL, "type");
        if (!s)
            return;
        Click(s, IDC_TYPE_CUSTOM);
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_OPTION_FILES, "options");
        for (int id : {IDC_OPTION_FILES, IDC_OPTION_ATTRIBUTES, IDC_OPTION_TIMES, IDC_OPTION_REGISTRY})
            Click(s, id);
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_FOLDER_TREE, "tree"))
            return Press(s, PSBTN_CANCEL);
        p.ButtonsAre(s, "+-x+", "trees with nothing checked");
        CheckByHand(s, p);
        p.ButtonsAre(s, "++x+", "trees with checked items");
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FILE_NAME, "name");
        ::SetDlgItemTextA(Page(s), IDC_FILE_NAME, archive.c_str());
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_MESSAGES, "progress");
        p.ButtonsAre(s, "-x++", "the archive written");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    ASSERT_EQ(p.text, "");
    WalkedArchive a = WalkArchiveFile(archive);
    ExpectTheChosenItems(a, dir);

    // Restored after the originals are gone: the same files and values.
    RemoveTree(dir / "src");
    DeleteKeyTree(kTestKey);
    {
        COutputCapture capture(dir / "out.txt", dir / "err.txt");
        std::string arg = archive;
        char* argv[] = {&arg[0]};
        EXPECT_EQ(RestoreCommand(1, argv), 0);
    }
    EXPECT_EQ(ReadText(dir / "src\\a.txt"), "alpha alpha alpha");
    EXPECT_EQ(ReadText(dir / "src\\sub\\b.txt"), "beta");
    EXPECT_FALSE(FileExistsAt(dir / "src\\skip\\c.txt"));
    EXPECT_EQ(KeyValue("\\Chosen", "v"), "one");
    EXPECT_EQ(KeyValue("\\Chosen\\Deep", "w"), "two");
    EXPECT_EQ(KeyValue("\\Other", "x"), "<no key>");
}

TEST_F(ArchiveWizard, PreloadedStartChecksTheListedItemsAndStartsAtTheOptions)
{
    // The comparator's form: full paths, keys as root name + key path.
    ArchiveFlags[AF_FILES] = ArchiveFlags[AF_ATTRIBUTES] = ArchiveFlags[AF_TIMES] = 1;
    ArchiveFlags[AF_REGISTRY] = 1;
    g_PathList.nCount = g_KeyList.nCount = 0;
    AddPathItem((dir / "src\\a.txt").c_str(), 0);
    AddPathItem((dir / "src\\sub\\").c_str(), 1);
    AddKeyItem(0x80000001u, (std::string("HKEY_CURRENT_USER\\") + kTestKey + "\\Chosen\\").c_str(), 1);
    CArchiveSheet sheet;
    Problems p;
    std::string archive = dir / "preloaded.zma";
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return p.Check(false, "no sheet");
        if (p.OnPage(s, IDC_OPTION_FILES, "options (the start page)")) {
            for (int id : {IDC_OPTION_FILES, IDC_OPTION_ATTRIBUTES, IDC_OPTION_TIMES, IDC_OPTION_REGISTRY})
                p.Check(::IsDlgButtonChecked(Page(s), id) == BST_CHECKED, "the comparison's flags");
        }
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_FOLDER_TREE, "tree")) {
            HWND folders = ::GetDlgItem(Page(s), IDC_FOLDER_TREE);
            HTREEITEM src = Open(folders, dir / "src");
            p.Check(src && TreeChecked(folders, TreeChild(folders, src, "a.txt")), "a.txt checked");
            p.Check(src && TreeChecked(folders, TreeChild(folders, src, "sub")), "sub checked");
            p.Check(src && !TreeChecked(folders, TreeChild(folders, src, "skip")), "skip not checked");
            p.ButtonsAre(s, "++x+", "preselected trees");
        }
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FILE_NAME, "name");
        ::SetDlgItemTextA(Page(s), IDC_FILE_NAME, archive.c_str());
        Press(s, PSBTN_NEXT);
        p.ButtonsAre(s, "-x++", "the archive written");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModalPreloaded();
    driver->Join();
    ASSERT_EQ(p.text, "");
    ExpectTheChosenItems(WalkArchiveFile(archive), dir);
    EXPECT_EQ(g_bPresetSelection, 0);
    EXPECT_EQ(sheet.m_nStartPage, 0u) << "the next opening starts at the welcome page";
}

TEST_F(ArchiveWizard, CancelDuringALargeFileLeavesNoArchive)
{
    ASSERT_TRUE(WriteFileBytes(dir / "src\\big.bin", RandomBytes(24u << 20, 9)));
    ArchiveFlags[AF_FILES] = 1;
    ArchiveFlags[AF_ATTRIBUTES] = ArchiveFlags[AF_TIMES] = ArchiveFlags[AF_REGISTRY] = 0;
    g_PathList.nCount = g_KeyList.nCount = 0;
    AddPathItem((dir / "src\\big.bin").c_str(), 0);
    CArchiveSheet sheet;
    Problems p;
    std::string archive = dir / "big.zma";
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return p.Check(false, "no sheet");
        Press(s, PSBTN_NEXT); // options -> trees
        p.OnPage(s, IDC_FOLDER_TREE, "tree");
        p.ButtonsAre(s, "++x+", "the preselected file");
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FILE_NAME, "name");
        ::SetDlgItemTextA(Page(s), IDC_FILE_NAME, archive.c_str());
        Press(s, PSBTN_NEXT);
        p.Check(WaitFor([&] {
                    char text[16] = "";
                    ::GetDlgItemTextA(Page(s), IDC_PERCENT, text, sizeof text);
                    return text[0] != 0;
                }),
                "the writer at work");
        p.Check(FileExistsAt(archive), "the archive begun");
        Press(s, PSBTN_CANCEL);
    });
    INT_PTR r = sheet.DoModalPreloaded();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(r, 0);
    CProgressPage::WaitForWorker();
    EXPECT_FALSE(FileExistsAt(archive));
    EXPECT_EQ(g_bEngineBusy, 0);
}
