// The scanning wizard on real sheets, driven from a second thread as a user
// would: the built-in job of each type and family, the custom pages with their
// rules and edge cases, a custom scan of a test tree and registry subtree read
// back from the report, the proposed report names, and a cancelled scan.
#include "ui/ScanSheet.h"

#include "base/JobState.h"
#include "base/Settings.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/scan/ReportReader.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestRegistry.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kCaption[] = "Zelmora: Сканирование";
const char kTestKey[] = "Software\\ZelmoraTest\\ScanWizard";

std::string Job()
{
    std::string s = "flags ";
    for (BYTE f : ScanFlags)
        s += std::to_string(f);
    s += " paths";
    for (unsigned i = 0; i < g_PathList.nCount; i++)
        s += std::string(" ") + g_PathList.items[i].szPath + (g_PathList.items[i].bDirectory ? "|d" : "|f");
    s += " keys";
    char code[16];
    for (unsigned i = 0; i < g_KeyList.nCount; i++) {
        wsprintfA(code, "%X", (unsigned)g_KeyList.items[i].dwRoot);
        s += std::string(" ") + code + ":" + g_KeyList.items[i].szPath;
    }
    s += " ini";
    for (unsigned i = 0; i < g_SettingsFiles.nCount; i++)
        s += std::string(" ") + g_SettingsFiles.szPath[i];
    s += " dos";
    for (unsigned i = 0; i < g_DosFiles.nCount; i++)
        s += std::string(" ") + g_DosFiles.szPath[i];
    return s;
}

class ScanWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordedCalls().clear();
        lstrcpyA(settings.ZMRFolder, (dir / "Reports").c_str());
        lstrcpyA(g_szWindowsDir, "C:\\WINNT\\");
        lstrcpyA(g_szSystemDir, "C:\\WINNT\\system32\\");
        lstrcpyA(g_szProgramFilesDir, "C:\\Program Files\\");
        g_osFamily = OS_NT5;
        ScanType = 0;
        for (const char* d : {"tree\\", "tree\\one\\", "tree\\two\\"})
            ::CreateDirectoryA((dir / d).c_str(), nullptr);
        WriteText(dir / "tree\\one\\f.txt", "f");
        WriteText(dir / "tree\\two\\g.txt", "g");
    }
    void TearDown() override
    {
        CProgressPage::WaitForWorker();
        g_szWindowsDir[0] = g_szSystemDir[0] = g_szProgramFilesDir[0] = 0;
        g_PathList.nCount = g_KeyList.nCount = g_SettingsFiles.nCount = g_DosFiles.nCount = 0;
    }
    CWinApp app;
    CSettings settings;
    CScratchDir dir;
};

} // namespace

TEST_F(ScanWizard, BuiltInJobOfEachTypeAndFamily)
{
    CScanSheet sheet;
    g_osFamily = OS_NT5;
    sheet.ApplyType(CScanSheet::TYPE_NORMAL);
    EXPECT_EQ(Job(), "flags 10001111 paths C:\\WINNT\\|d C:\\Program Files\\|d C:\\Documents and settings|d "
                     "keys 80000002:HKEY_LOCAL_MACHINE 80000003:HKEY_USERS 80000005:HKEY_CURRENT_CONFIG "
                     "ini C:\\WINNT\\control.ini C:\\WINNT\\system.ini C:\\WINNT\\win.ini "
                     "dos C:\\WINNT\\system32\\autoexec.nt C:\\WINNT\\system32\\config.nt");
    sheet.ApplyType(CScanSheet::TYPE_REDUCED);
    EXPECT_EQ(Job(), "flags 10001000 paths C:\\WINNT\\|d C:\\Program Files\\|d "
                     "keys 80000002:HKEY_LOCAL_MACHINE 80000003:HKEY_USERS 80000005:HKEY_CURRENT_CONFIG "
                     "ini dos");
    sheet.ApplyType(CScanSheet::TYPE_FULL);
    EXPECT_EQ(Job(), "flags 11111111 paths C:\\WINNT\\|d C:\\Program Files\\|d C:\\Documents and settings|d "
                     "keys 80000002:HKEY_LOCAL_MACHINE 80000003:HKEY_USERS 80000005:HKEY_CURRENT_CONFIG "
                     "ini C:\\WINNT\\control.ini C:\\WINNT\\system.ini C:\\WINNT\\win.ini "
                     "dos C:\\boot.ini C:\\WINNT\\system32\\autoexec.nt C:\\WINNT\\system32\\config.nt");
    // NT 4 is of the NT family: Documents and settings too.
    g_osFamily = OS_NT4;
    sheet.ApplyType(CScanSheet::TYPE_NORMAL);
    EXPECT_NE(Job().find("C:\\Documents and settings|d"), std::string::npos);

    g_osFamily = OS_WIN9X;
    lstrcpyA(g_szWindowsDir, "C:\\WINDOWS\\");
    sheet.ApplyType(CScanSheet::TYPE_NORMAL);
    EXPECT_EQ(Job(), "flags 10001111 paths C:\\WINDOWS\\|d C:\\Program Files\\|d "
                     "keys 80000002:HKEY_LOCAL_MACHINE 80000003:HKEY_USERS 80000005:HKEY_CURRENT_CONFIG "
                     "ini C:\\WINDOWS\\control.ini C:\\WINDOWS\\system.ini C:\\WINDOWS\\win.ini "
                     "dos C:\\autoexec.bat C:\\config.sys C:\\msdos.sys");
    sheet.ApplyType(CScanSheet::TYPE_FULL);
    EXPECT_EQ(Job(), "flags 11111111 paths C:\\WINDOWS\\|d C:\\Program Files\\|d "
                     "keys 80000002:HKEY_LOCAL_MACHINE 80000003:HKEY_USERS 80000005:HKEY_CURRENT_CONFIG "
                     "ini C:\\WINDOWS\\control.ini C:\\WINDOWS\\system.ini C:\\WINDOWS\\win.ini "
                     "dos C:\\autoexec.bat C:\\config.sys C:\\msdos.sys C:\\WINDOWS\\winstart.bat "
                     "C:\\WINDOWS\\dosstart.bat");

    EXPECT_EQ(sheet.GetPageCount(), 4);
    sheet.ApplyType(CScanSheet::TYPE_CUSTOM);
    EXPECT_EQ(Job(), "flags 00000000 paths keys ini dos");
    EXPECT_EQ(sheet.GetPageCount(), 6);
    EXPECT_EQ(sheet.GetPageIndex(&sheet.m_ChoicesPage), 3);
    sheet.ApplyType(CScanSheet::TYPE_REDUCED);
    EXPECT_EQ(sheet.GetPageCount(), 4);
}

TEST_F(ScanWizard, CustomPagesFollowTheirBoxesAndAgreeWithTheFlags)
{
    g_osFamily = OS_WIN9X;
    lstrcpyA(g_szWindowsDir, "C:\\WINDOWS\\");
    CScanSheet sheet;
    Problems p;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_SCAN_TYPE_NORMAL, "type");
        if (!s)
            return;
        p.Check(::IsDlgButtonChecked(CurrentPage(s), IDC_SCAN_TYPE_NORMAL) == BST_CHECKED, "normal first");
        Click(s, IDC_SCAN_TYPE_CUSTOM);
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_SCAN_DIRECTORIES, "options")) {
            HWND page = CurrentPage(s);
            p.Check(::IsWindowVisible(::GetDlgItem(page, IDC_SCAN_NOTE_9X)) &&
                        !::IsWindowVisible(::GetDlgItem(page, IDC_SCAN_NOTE_NT)),
                    "the Windows 95/98/ME note");
            p.ButtonsAre(s, "+-x+", "options without a choice");
            p.Check(!::IsWindowEnabled(::GetDlgItem(page, IDC_SCAN_SIZES)), "sizes greyed");
            Click(s, IDC_SCAN_DIRECTORIES);
            p.Check(::IsWindowEnabled(::GetDlgItem(page, IDC_SCAN_SIZES)), "sizes with directories");
            Click(s, IDC_SCAN_SETTINGS);
            Click(s, IDC_SCAN_DOS);
            p.ButtonsAre(s, "++x+", "options chosen");
            p.Check(std::memcmp(ScanFlags, "\1\0\0\0\0\0\1\1", 8) == 0, "the flags of the boxes");
        }
        // Back to the type page and forward again: the boxes show the cleared flags.
        Press(s, PSBTN_BACK);
        p.OnPage(s, IDC_SCAN_TYPE_NORMAL, "type again");
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_SCAN_DIRECTORIES, "options again")) {
            for (int id : {IDC_SCAN_DIRECTORIES, IDC_SCAN_SETTINGS, IDC_SCAN_DOS})
                p.Check(::IsDlgButtonChecked(CurrentPage(s), id) == BST_UNCHECKED, "boxes as the flags");
            p.ButtonsAre(s, "+-x+", "nothing chosen after the type was applied again");
            Click(s, IDC_SCAN_DIRECTORIES);
            Click(s, IDC_SCAN_SETTINGS);
            Click(s, IDC_SCAN_DOS);
        }
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_SCAN_TREE, "choices")) {
            HWND page = CurrentPage(s);
            char text[64] = "";
            ::GetDlgItemTextA(page, IDC_SCAN_HKDD, text, sizeof text);
            p.Check(std::string(text) == "HKEY_DYN_DATA", "the sixth root of Windows 95/98/ME");
            p.Check(!::IsWindowEnabled(::GetDlgItem(page, IDC_SCAN_HKCU)), "roots greyed without registry");
            p.Check(!::IsWindowEnabled(::GetDlgItem(page, IDC_SCAN_BOOT_INI)), "NT files greyed on 9x");
            p.Check(::IsWindowEnabled(::GetDlgItem(page, IDC_SCAN_WINSTART)), "9x files enabled");
            p.ButtonsAre(s, "+-x+", "no choice yet");
            Click(s, IDC_SCAN_CONTROL_INI);
            Click(s, IDC_SCAN_WINSTART);
            p.ButtonsAre(s, "++x+", "two files chosen");
        }
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FILE_NAME, "report file");
        p.Check(Job() == "flags 10000011 paths keys ini C:\\WINDOWS\\control.ini dos C:\\WINDOWS\\winstart.bat",
                "the lists of the boxes: " + Job());
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
}

TEST_F(ScanWizard, ReportNamesFollowTheNumberedFiles)
{
    CScanSheet sheet;
    std::string names[2];
    for (int run = 0; run < 2; run++) {
        if (run == 1) {
            WriteText(dir / "Reports\\Rep0007.zmr", "x");
            WriteText(dir / "Reports\\Rep0000.zmr", "x");
        }
        auto driver = Driver([&] {
            HWND s = WaitForWindow(kCaption);
            if (!s)
                return;
            Press(s, PSBTN_NEXT);
            PageWithControl(s, IDC_SCAN_TYPE_NORMAL);
            Press(s, PSBTN_NEXT);
            if (PageWithControl(s, IDC_FILE_NAME)) {
                char text[MAX_PATH] = "";
                ::GetDlgItemTextA(CurrentPage(s), IDC_FILE_NAME, text, sizeof text);
                names[run] = text;
            }
            Press(s, PSBTN_CANCEL);
        });
        sheet.DoModal();
        driver->Join();
    }
    EXPECT_EQ(names[0], dir / "Reports\\Rep0000.zmr");
    EXPECT_EQ(names[1], dir / "Reports\\Rep0008.zmr");
}

TEST_F(ScanWizard, CustomScanOfATreeAndARegistryRootIsReadBack)
{
    CScanSheet sheet;
    Problems p;
    std::string reportPath = dir / "custom.zmr";
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_SCAN_TYPE_NORMAL, "type");
        if (!s)
            return;
        Click(s, IDC_SCAN_TYPE_CUSTOM);
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_SCAN_DIRECTORIES, "options");
        Click(s, IDC_SCAN_DIRECTORIES);
        Click(s, IDC_SCAN_SIZES);
        Click(s, IDC_SCAN_REGISTRY);
        Press(s, PSBTN_NEXT);
        if (p.OnPage(s, IDC_SCAN_TREE, "choices")) {
            HWND tree = ::GetDlgItem(CurrentPage(s), IDC_SCAN_TREE);
            HTREEITEM item = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
            std::string path = dir / "tree";
            size_t start = 0;
            while (item && start < path.size()) {
                size_t end = path.find('\\', start);
                std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
                start = end == std::string::npos ? path.size() : end + 1;
                item = TreeChild(tree, item, part);
                if (item)
                    ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
            }
            p.Check(item != nullptr, "the test tree in the folder tree");
            if (item) {
                p.Check(TreeChild(tree, item, "f.txt") == nullptr, "no files in this tree");
                TreeToggle(tree, TreeChild(tree, item, "one"));
            }
            Click(s, IDC_SCAN_HKCC);
            p.ButtonsAre(s, "++x+", "choices made");
        }
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FILE_NAME, "report file");
        ::SetDlgItemTextA(CurrentPage(s), IDC_FILE_NAME, reportPath.c_str());
        Press(s, PSBTN_NEXT);
        p.ButtonsAre(s, "-x++", "the report written");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    ASSERT_EQ(p.text, "");
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(reportPath, bytes));
    report::Report r;
    std::string error;
    ASSERT_TRUE(report::Read(bytes, r, error)) << error;
    ASSERT_EQ(r.sections[report::DIRECTORIES].size(), 1u);
    EXPECT_EQ(r.sections[report::DIRECTORIES][0].name, dir / "tree\\one");
    ASSERT_EQ(r.sections[report::REGISTRY].size(), 1u);
    EXPECT_EQ(r.sections[report::REGISTRY][0].name, "HKEY_CURRENT_CONFIG");
    EXPECT_TRUE(r.sections[report::SETTINGS_FILES].empty());
    EXPECT_TRUE(r.sections[report::DOS_FILES].empty());
}

TEST_F(ScanWizard, CancelDuringAScanLeavesNoReport)
{
    // Many directories, so that the scan is still at work when Cancel comes.
    for (int i = 0; i < 300; i++) {
        std::string d = dir / ("tree\\many" + std::to_string(i));
        ::CreateDirectoryA(d.c_str(), nullptr);
        for (int k = 0; k < 10; k++)
            WriteText(d + "\\f" + std::to_string(k), "x");
    }
    CScanSheet sheet;
    Problems p;
    std::string reportPath = dir / "cancelled.zmr";
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_SCAN_TYPE_NORMAL, "type");
        if (!s)
            return;
        Click(s, IDC_SCAN_TYPE_REDUCED);
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_FILE_NAME, "report file");
        ::SetDlgItemTextA(CurrentPage(s), IDC_FILE_NAME, reportPath.c_str());
        Press(s, PSBTN_NEXT);
        p.OnPage(s, IDC_MESSAGES, "progress");
        Press(s, PSBTN_CANCEL);
    });
    lstrcpyA(g_szWindowsDir, (dir / "tree\\").c_str());
    lstrcpyA(g_szProgramFilesDir, (dir / "tree\\").c_str());
    INT_PTR r = sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(r, 0);
    CProgressPage::WaitForWorker();
    EXPECT_FALSE(FileExistsAt(reportPath));
    EXPECT_EQ(g_bEngineBusy, 0);
}
