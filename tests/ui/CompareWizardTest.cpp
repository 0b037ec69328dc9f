// The comparing wizard on real sheets, driven from a second thread as a user
// would: the selection page's button rules, a file that is not a report, a full
// path typed into a box, a real comparison of two reports written by the
// scanner before and after real changes (the list against zmcli compare's
// lines, the clipboard, the saved log), and the archiving wizard opened from
// the list.
#include "ui/CompareSheet.h"

#include "ui/ArchiveSheet.h"
#include "base/JobState.h"
#include "base/Settings.h"
#include "cli/CompareCommand.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "scan/Scan.h"
#include "tests/backup/ArchiveWalker.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/OutputCapture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kCaption[] = "Zelmora: Сравнение";

// Picks an entry of a combo box's list, as a click in the list does.
void Pick(HWND sheet, int box, const std::string& text)
{
    HWND page = CurrentPage(sheet);
    HWND combo = ::GetDlgItem(page, box);
    ::SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text.c_str());
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(box, CBN_SELCHANGE), (LPARAM)combo);
}

// A report of the directory by the real scanner.
void Scan(const std::string& directory, const std::string& report)
{
    std::memset(ScanFlags, 0, sizeof ScanFlags);
    ScanFlags[SF_DIRECTORIES] = ScanFlags[SF_SIZES] = 1;
    g_PathList.nCount = g_KeyList.nCount = g_SettingsFiles.nCount = g_DosFiles.nCount = 0;
    AddPathItem(directory.c_str(), 1);
    CScan scan;
    scan.SetReportPath(report.c_str());
    scan.Run();
    g_bEngineBusy = 0;
}

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr))
        return "<closed>";
    if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        const char* p = static_cast<const char*>(::GlobalLock(h));
        size_t size = ::GlobalSize(h);
        if (p) {
            size_t n = strnlen(p, size);
            text.assign(p, n);
            if (n == size || p[n] != 0)
                text += "<no zero>";
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    return text;
}

class CompareWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordedCalls().clear();
        ::CreateDirectoryA((dir / "Reports").c_str(), nullptr);
        ::CreateDirectoryA((dir / "Logs").c_str(), nullptr);
        lstrcpyA(settings.ZMRFolder, (dir / "Reports").c_str());
        lstrcpyA(settings.LOGFolder, (dir / "Logs").c_str());
        g_osFamily = OS_NT5;
    }
    void TearDown() override
    {
        CProgressPage::WaitForWorker();
        g_PathList.nCount = g_KeyList.nCount = 0;
    }
    CWinApp app;
    CSettings settings;
    CScratchDir dir;
    CArchiveSheet archive;
};

} // namespace

TEST_F(CompareWizard, NextNeedsTwoDifferentNamesAndTwoReports)
{
    WriteText(dir / "Reports\\a.zmr", "ZMRFv1.0 and more");
    WriteText(dir / "Reports\\b.zmr", "not a report");
    CCompareSheet sheet(&archive);
    Problems p;
    std::string message;
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return p.Check(false, "no sheet");
        p.ButtonsAre(s, "-+x+", "welcome");
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_COMPARE_FIRST, "selection"))
            return Press(s, PSBTN_CANCEL);
        HWND page = CurrentPage(s);
        p.Check(::SendDlgItemMessageA(page, IDC_COMPARE_FIRST, CB_GETCOUNT, 0, 0) == 2, "both reports listed");
        p.ButtonsAre(s, "+-x+", "two empty boxes");
        TypeInCombo(s, IDC_COMPARE_FIRST, "a.zmr");
        TypeInCombo(s, IDC_COMPARE_SECOND, "a.zmr");
        p.ButtonsAre(s, "+-x+", "the same name twice");
        TypeInCombo(s, IDC_COMPARE_SECOND, "A.zmr");
        p.ButtonsAre(s, "++x+", "names that differ in case");
        // A pick in one list while the other box holds typed text only.
        Pick(s, IDC_COMPARE_SECOND, "b.zmr");
        p.ButtonsAre(s, "+-x+", "a typed box counts as empty on a pick");
        TypeInCombo(s, IDC_COMPARE_FIRST, "a.zmr");
        p.ButtonsAre(s, "++x+", "the typed box edited again");
        // b.zmr is not a report: the message, and the page stays. (Posted: the
        // message box runs inside the sheet's handling of the button.)
        ::PostMessageA(s, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        message = AnswerMessageBox("Zelmora: Ошибка");
        p.Check(PageWithControl(s, IDC_COMPARE_FIRST), "still on the selection page");
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(message, "Файл b.zmr не содержит отчет");
}

TEST_F(CompareWizard, DifferencesOfRealReportsAreListedCopiedSavedAndArchived)
{
    // Before and after real changes, scanned by the real scanner.
    ::CreateDirectoryA((dir / "tree").c_str(), nullptr);
    WriteText(dir / "tree\\kept.txt", "kept");
    WriteText(dir / "tree\\changed.txt", "short");
    Scan(dir / "tree\\", dir / "Reports\\before.zmr");
    WriteText(dir / "tree\\changed.txt", "much longer now");
    WriteText(dir / "tree\\new.txt", "new");
    Scan(dir / "tree\\", dir / "Reports\\after.zmr");
    std::string expected;
    {
        COutputCapture capture(dir / "out.txt", dir / "err.txt");
        std::string a = dir / "Reports\\before.zmr", b = dir / "Reports\\after.zmr";
        char* argv[] = {&a[0], &b[0]};
        ASSERT_EQ(CompareCommand(2, argv), 0);
        capture.Stop();
        expected = capture.Out();
    }
    ASSERT_NE(expected.find("new.txt"), std::string::npos) << expected;

    CCompareSheet sheet(&archive);
    Problems p;
    std::string listed, logFile = dir / "Logs\\diff.log", archivePath = dir / "backup.zma";
    bool archiveShown = false;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_COMPARE_FIRST, "selection");
        if (!s)
            return;
        // A full path is used as it stands.
        TypeInCombo(s, IDC_COMPARE_FIRST, dir / "Reports\\before.zmr");
        Pick(s, IDC_COMPARE_SECOND, "after.zmr");
        TypeInCombo(s, IDC_COMPARE_FIRST, dir / "Reports\\before.zmr");
        Press(s, PSBTN_NEXT);
        if (!p.OnPage(s, IDC_RESULT_COPY, "result"))
            return Press(s, PSBTN_CANCEL);
        p.ButtonsAre(s, "-x++", "compared");
        HWND page = CurrentPage(s);
        for (int id : {IDC_RESULT_SAVE, IDC_RESULT_COPY, IDC_RESULT_BACKUP})
            p.Check(WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }),
                    "list buttons enabled");
        HWND list = ::GetDlgItem(page, IDC_MESSAGES);
        int n = (int)::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            char text[1024] = "";
            LVITEMA item = {};
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)i, (LPARAM)&item);
            listed += std::string(text) + "\r\n";
        }
        Click(s, IDC_RESULT_COPY);
        // Save: the dialog by its caption, a name typed, OK.
        ::PostMessageA(::GetDlgItem(page, IDC_RESULT_SAVE), BM_CLICK, 0, 0);
        p.Check(AnswerFileDialog("Сохранение отчета", logFile), "the save dialog answered");
        // Backup: the archiving wizard over this one, at its options page.
        ::PostMessageA(::GetDlgItem(page, IDC_RESULT_BACKUP), BM_CLICK, 0, 0);
        if (HWND a = WaitForWindow("Zelmora: Архивирование")) {
            archiveShown = true;
            p.Check(PageWithControl(a, IDC_OPTION_FILES), "the archiving wizard at its options page");
            p.Check(::IsDlgButtonChecked(CurrentPage(a), IDC_OPTION_FILES) == BST_CHECKED,
                    "the comparison's files flag");
            Press(a, PSBTN_CANCEL);
            p.Check(WaitFor([&] { return !::IsWindow(a); }), "the archiving wizard closed");
        }
        p.Check(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == n, "the list unchanged");
        // Backup again, run to its end this time.
        ::PostMessageA(::GetDlgItem(page, IDC_RESULT_BACKUP), BM_CLICK, 0, 0);
        if (HWND a = WaitForWindow("Zelmora: Архивирование")) {
            PageWithControl(a, IDC_OPTION_FILES);
            Press(a, PSBTN_NEXT);
            p.Check(PageWithControl(a, IDC_FOLDER_TREE), "the tree page");
            p.Check(SheetButtonsBecome(a, "++x+"), "the created and changed items checked");
            Press(a, PSBTN_NEXT);
            PageWithControl(a, IDC_FILE_NAME);
            ::SetDlgItemTextA(CurrentPage(a), IDC_FILE_NAME, archivePath.c_str());
            Press(a, PSBTN_NEXT);
            p.Check(SheetButtonsBecome(a, "-x++"), "the archive written");
            Press(a, PSBTN_FINISH);
            p.Check(WaitFor([&] { return !::IsWindow(a); }), "the archiving wizard closed after its run");
        }
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(ClipboardText(), expected);
    EXPECT_EQ(ReadText(logFile), expected);
    EXPECT_TRUE(archiveShown);
    EXPECT_EQ(archive.m_nStartPage, 0u);
    // The archive holds the created and the changed file, nothing else.
    WalkedArchive a = WalkArchiveFile(archivePath);
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_NE(a.FindFile(dir / "tree\\new.txt"), nullptr);
    EXPECT_NE(a.FindFile(dir / "tree\\changed.txt"), nullptr);
    EXPECT_EQ(a.FindFile(dir / "tree\\kept.txt"), nullptr);
}

// The comparator always writes its section headings; a list emptied after the
// comparison shows what an empty list saves.
TEST_F(CompareWizard, AnEmptyListSavesAnEmptyFile)
{
    ::CreateDirectoryA((dir / "tree").c_str(), nullptr);
    WriteText(dir / "tree\\same.txt", "same");
    Scan(dir / "tree\\", dir / "Reports\\one.zmr");
    Scan(dir / "tree\\", dir / "Reports\\two.zmr");
    CCompareSheet sheet(&archive);
    Problems p;
    std::string logFile = dir / "Logs\\empty.log";
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_COMPARE_FIRST, "selection");
        if (!s)
            return;
        TypeInCombo(s, IDC_COMPARE_FIRST, "one.zmr");
        TypeInCombo(s, IDC_COMPARE_SECOND, "two.zmr");
        Press(s, PSBTN_NEXT);
        p.ButtonsAre(s, "-x++", "compared");
        HWND page = CurrentPage(s);
        p.Check(WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(page, IDC_RESULT_SAVE)) != FALSE; }),
                "save enabled");
        ::SendDlgItemMessageA(page, IDC_MESSAGES, LVM_DELETEALLITEMS, 0, 0);
        ::PostMessageA(::GetDlgItem(page, IDC_RESULT_SAVE), BM_CLICK, 0, 0);
        p.Check(AnswerFileDialog("Сохранение отчета", logFile), "the save dialog answered");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(logFile, bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(CompareWizard, AReportChosenInAnotherFolderMovesBothNamesThere)
{
    ::CreateDirectoryA((dir / "elsewhere").c_str(), nullptr);
    WriteText(dir / "Reports\\here.zmr", "ZMRFv1.0");
    WriteText(dir / "elsewhere\\one.zmr", "ZMRFv1.0");
    WriteText(dir / "elsewhere\\two.zmr", "ZMRFv1.0");
    CCompareSheet sheet(&archive);
    Problems p;
    std::string second, firstList;
    auto driver = Driver([&] {
        HWND s = PastWelcome(WaitForWindow(kCaption), p, IDC_COMPARE_FIRST, "selection");
        if (!s)
            return;
        HWND page = CurrentPage(s);
        ::PostMessageA(::GetDlgItem(page, IDC_COMPARE_SECOND_BROWSE), BM_CLICK, 0, 0);
        p.Check(AnswerFileDialog("Открытие файла с отчетом", dir / "elsewhere\\two.zmr"),
                "the open dialog answered");
        char text[MAX_PATH] = "";
        p.Check(WaitFor([&] {
                    ::GetDlgItemTextA(page, IDC_COMPARE_SECOND, text, sizeof text);
                    return text[0] != 0;
                }),
                "the chosen name in the box");
        second = text;
        int n = (int)::SendDlgItemMessageA(page, IDC_COMPARE_FIRST, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            char entry[MAX_PATH] = "";
            ::SendDlgItemMessageA(page, IDC_COMPARE_FIRST, CB_GETLBTEXT, (WPARAM)i, (LPARAM)entry);
            firstList += std::string(entry) + " ";
        }
        // The first name now names a file of the new folder.
        TypeInCombo(s, IDC_COMPARE_FIRST, "one.zmr");
        p.ButtonsAre(s, "++x+", "two names");
        Press(s, PSBTN_NEXT);
        p.Check(PageWithControl(s, IDC_RESULT_COPY), "both files of the new folder are reports");
        p.ButtonsAre(s, "-x++", "compared");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(p.text, "");
    EXPECT_EQ(second, "two.zmr");
    EXPECT_EQ(firstList, "one.zmr two.zmr ");
}
