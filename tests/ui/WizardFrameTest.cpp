// The wizard frame on real sheets, driven from a second thread as a user would:
// pages by PSM_PRESSBUTTON, boxes by BM_CLICK. The button rules of each kind of
// page, the close-all box reaching the system-call seam only when it is on at
// the moment of Next, the start of an engine at the priority of the settings,
// Finish after a normal end, and Cancel while a real archive is being written.
#include "ui/ProgressPage.h"
#include "ui/WelcomePage.h"
#include "ui/WizardSheet.h"

#include "backup/Backup.h"
#include "base/ControlOutput.h"
#include "base/JobState.h"
#include "framework/Button.h"
#include "framework/Static.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "scan/Scan.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/app/WindowTestSupport.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WizardDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

const char kCaption[] = "Zelmora: Архивирование";

// A test engine that reports one line, then waits for the test to let it end
// (or for its cancel flag), and reports the end of the job.
class CGateEngine : public CWinThread {
    DECLARE_DYNCREATE(CGateEngine)
public:
    CGateEngine() : m_bCancel(0)
    {
        m_controls.SetCancelFlag(&m_bCancel);
        g_bEngineBusy = 1;
        s_nCreated++;
    }
    BOOL InitInstance() override { return TRUE; }
    int Run() override
    {
        s_nPriority = ::GetThreadPriority(::GetCurrentThread());
        m_controls.AddLine("работаю");
        while (!m_bCancel && ::WaitForSingleObject(s_hGate, 5) == WAIT_TIMEOUT) {
        }
        if (!m_bCancel)
            m_controls.JobEnded(true);
        else
            ::Sleep(s_nLingerMs); // a unit of work still to finish after the cancel
        g_bEngineBusy = 0;
        s_nEnded++;
        return 0;
    }

    CControlOutput m_controls;
    volatile BYTE m_bCancel;
    static HANDLE s_hGate;
    static std::atomic<int> s_nCreated;
    static std::atomic<int> s_nPriority;
    static std::atomic<int> s_nEnded;
    static DWORD s_nLingerMs;
};
IMPLEMENT_DYNCREATE(CGateEngine, CWinThread)
HANDLE CGateEngine::s_hGate = nullptr;
std::atomic<int> CGateEngine::s_nCreated{0};
std::atomic<int> CGateEngine::s_nPriority{-100};
std::atomic<int> CGateEngine::s_nEnded{0};
DWORD CGateEngine::s_nLingerMs = 0;

class CGatePage : public CProgressPage {
public:
    CGatePage()
        : CProgressPage(IDD_ARCHIVE_PROGRESS, RUNTIME_CLASS(CGateEngine),
                        &CSettings::BackupThreadPriority)
    {
    }

protected:
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override
    {
        CGateEngine* e = static_cast<CGateEngine*>(pEngine);
        e->m_controls.SetPage(this);
        e->m_controls.SetList(&m_List);
        return &e->m_bCancel;
    }
};

// The archive writer's progress page over a prepared job.
class CArchiveRunPage : public CProgressPage {
public:
    CArchiveRunPage()
        : CProgressPage(IDD_ARCHIVE_PROGRESS, RUNTIME_CLASS(CBackup),
                        &CSettings::BackupThreadPriority)
    {
    }
    std::string m_archive;

protected:
    BOOL OnInitDialog() override
    {
        CProgressPage::OnInitDialog();
        AttachDlgItem(m_Current, IDC_ARCHIVE_CURRENT);
        AttachDlgItem(m_ItemBar, IDC_PROGRESS);
        AttachDlgItem(m_JobBar, IDC_JOB_PROGRESS);
        AttachDlgItem(m_ItemPercent, IDC_PERCENT);
        AttachDlgItem(m_JobPercent, IDC_JOB_PERCENT);
        return TRUE;
    }
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override
    {
        CBackup* b = static_cast<CBackup*>(pEngine);
        b->SetArchivePath(m_archive.c_str());
        b->SetControls(this, &m_Current, &m_List, &m_ItemBar, &m_JobBar, &m_ItemPercent, &m_JobPercent);
        return &b->m_bCancel;
    }
    CStatic m_Current, m_ItemPercent, m_JobPercent;
    CProgressCtrl m_ItemBar, m_JobBar;
};

// The scanner's progress page (the list with its step images).
class CScanRunPage : public CProgressPage {
public:
    CScanRunPage()
        : CProgressPage(IDD_SCAN_PROGRESS, RUNTIME_CLASS(CScan), &CSettings::ScanThreadPriority,
                        LIST_STEPS)
    {
    }
    std::string m_report;

protected:
    BOOL OnInitDialog() override
    {
        CProgressPage::OnInitDialog();
        AttachDlgItem(m_Current, IDC_SCAN_CURRENT);
        return TRUE;
    }
    volatile BYTE* PrepareEngine(CWinThread* pEngine) override
    {
        CScan* s = static_cast<CScan*>(pEngine);
        s->SetReportPath(m_report.c_str());
        s->SetTargets(this, &m_List, &m_Current);
        return &s->m_bCancel;
    }
    CStatic m_Current;
};

// A middle page whose input is complete while its box 1200 is checked.
class CInputPage : public CWizardPage {
public:
    CInputPage() : CWizardPage(301) { RouteCommand(1200, BN_CLICKED, &CInputPage::OnBoxClicked); }

protected:
    BOOL OnInitDialog() override
    {
        AttachDlgItem(m_Box, 1200);
        return TRUE;
    }
    BOOL OnSetActive() override
    {
        ShowInputComplete(m_Box.GetCheck() == BST_CHECKED);
        return TRUE;
    }
    void OnBoxClicked() { ShowInputComplete(m_Box.GetCheck() == BST_CHECKED); }
    CButton m_Box;
};

bool ButtonsBecome(HWND sheet, const std::string& expected) { return SheetButtonsBecome(sheet, expected); }

bool PageBecomes(HWND sheet, int templateControl) { return PageWithControl(sheet, templateControl); }

// Should a driver fail, the sheet is cancelled after a while so that no modal
// loop is left running.
VOID CALLBACK CancelSheets(HWND, UINT, UINT_PTR, DWORD)
{
    HWND sheet = ::FindWindowA(nullptr, kCaption);
    if (sheet)
        Press(sheet, PSBTN_CANCEL);
}
struct ModalGuard {
    UINT_PTR timer = ::SetTimer(nullptr, 0, 60000, &CancelSheets);
    ~ModalGuard() { ::KillTimer(nullptr, timer); }
};

int ExitWindowsCalls(UINT flags)
{
    int n = 0;
    for (const RecordedCall& c : CallsNamed("ExitWindowsEx"))
        n += c.flags == flags;
    return n;
}

class WizardFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordedCalls().clear();
        g_bEngineBusy = 0;
        CGateEngine::s_hGate = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override
    {
        ::SetEvent(CGateEngine::s_hGate);
        CProgressPage::WaitForWorker();
        ::CloseHandle(CGateEngine::s_hGate);
        CGateEngine::s_nLingerMs = 0;
        g_PathList.nCount = 0;
        g_KeyList.nCount = 0;
    }
    CWinApp app;
    CSettings settings;
};

} // namespace

TEST_F(WizardFrame, WelcomeAndMiddlePageButtonsAndTheCloseAllBox)
{
    ModalGuard guard;
    CWizardSheet sheet;
    CWelcomePage welcome(IDD_ARCHIVE_WELCOME);
    CInputPage input;
    sheet.AddPage(&welcome);
    sheet.AddPage(&input);
    std::string failures;
    auto expect = [&](bool ok, const char* what) {
        if (!ok)
            failures += std::string(what) + "; ";
    };
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return failures += "no sheet", void();
        expect(ButtonsBecome(s, "-+x+"), "welcome: Next alone");
        // The box clicked on and off again: Next closes nothing.
        Click(s, IDC_CLOSE_ALL);
        Click(s, IDC_CLOSE_ALL);
        Press(s, PSBTN_NEXT);
        expect(PageBecomes(s, 1200), "the middle page");
        expect(ExitWindowsCalls(EWX_LOGOFF | EWX_FORCE) == 0, "unchecked box closed nothing");
        // Middle page: Back alone until its input is complete.
        expect(ButtonsBecome(s, "+-x+"), "middle page incomplete: Back alone");
        Click(s, 1200);
        expect(ButtonsBecome(s, "++x+"), "middle page complete: Back and Next");
        Click(s, 1200);
        expect(ButtonsBecome(s, "+-x+"), "middle page incomplete again");
        // Back, the box on at the moment of Next: one forced log-off.
        Press(s, PSBTN_BACK);
        expect(PageBecomes(s, IDC_CLOSE_ALL), "back on the welcome page");
        Click(s, IDC_CLOSE_ALL);
        Press(s, PSBTN_NEXT);
        expect(PageBecomes(s, 1200), "the middle page again");
        expect(ExitWindowsCalls(EWX_LOGOFF | EWX_FORCE) == 1, "checked box: one forced log-off");
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(failures, "");
    EXPECT_EQ(CallsNamed("ExitWindowsEx").size(), 1u);

    // The next run starts at the welcome page with the box off.
    failures.clear();
    driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return failures += "no sheet", void();
        expect(PageBecomes(s, IDC_CLOSE_ALL), "a new run starts at the welcome page");
        expect(::IsDlgButtonChecked(CurrentPage(s), IDC_CLOSE_ALL) == BST_UNCHECKED, "box off");
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(failures, "");
}

TEST_F(WizardFrame, ProgressPageRunsTheEngineAndOffersOnlyFinishAtItsEnd)
{
    ModalGuard guard;
    settings.BackupThreadPriority = THREAD_PRIORITY_BELOW_NORMAL;
    CWizardSheet sheet;
    CWelcomePage welcome(IDD_ARCHIVE_WELCOME);
    CGatePage progress;
    sheet.AddPage(&welcome);
    sheet.AddPage(&progress);
    std::string failures;
    auto expect = [&](bool ok, const char* what) {
        if (!ok)
            failures += std::string(what) + "; ";
    };
    int created = CGateEngine::s_nCreated;
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return failures += "no sheet", void();
        expect(ButtonsBecome(s, "-+x+"), "welcome: Next alone");
        Press(s, PSBTN_NEXT);
        expect(PageBecomes(s, IDC_MESSAGES), "the progress page");
        // While the job runs: only Cancel.
        expect(ButtonsBecome(s, "-x-+"), "running: disabled Finish, Cancel");
        expect(WaitFor([&] { return ::SendDlgItemMessageA(CurrentPage(s), IDC_MESSAGES,
                                                          LVM_GETITEMCOUNT, 0, 0) == 1; }),
               "the engine's line");
        expect(g_bEngineBusy == 1, "busy while running");
        char percent[16] = "";
        ::GetDlgItemTextA(CurrentPage(s), IDC_JOB_PERCENT, percent, sizeof percent);
        expect(std::string(percent) == "0%", "job percent starts at 0%");
        ::SetEvent(CGateEngine::s_hGate);
        expect(ButtonsBecome(s, "-x++"), "ended: Finish, Back still disabled");
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(failures, "");
    EXPECT_EQ(CGateEngine::s_nCreated, created + 1);
    EXPECT_EQ(CGateEngine::s_nPriority, THREAD_PRIORITY_BELOW_NORMAL);
    CProgressPage::WaitForWorker();
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(WizardFrame, CancelledRunIsFollowedByAFreshRunFromTheWelcomePage)
{
    ModalGuard guard;
    CWizardSheet sheet;
    CWelcomePage welcome(IDD_ARCHIVE_WELCOME);
    CGatePage progress;
    sheet.AddPage(&welcome);
    sheet.AddPage(&progress);
    std::string failures;
    auto expect = [&](bool ok, const char* what) {
        if (!ok)
            failures += std::string(what) + "; ";
    };
    int created = CGateEngine::s_nCreated;
    for (int run = 0; run < 2; run++) {
        auto driver = Driver([&] {
            HWND s = WaitForWindow(kCaption);
            if (!s)
                return failures += "no sheet", void();
            expect(PageBecomes(s, IDC_CLOSE_ALL), "starts at the welcome page");
            Press(s, PSBTN_NEXT);
            expect(PageBecomes(s, IDC_MESSAGES), "the progress page");
            expect(ButtonsBecome(s, "-x-+"), "running");
            if (run == 0) {
                Press(s, PSBTN_CANCEL);
            } else {
                ::SetEvent(CGateEngine::s_hGate);
                expect(ButtonsBecome(s, "-x++"), "the second run ends normally");
                Press(s, PSBTN_FINISH);
            }
        });
        INT_PTR r = sheet.DoModal();
        driver->Join();
        if (run == 0) {
            EXPECT_EQ(r, 0) << "cancelled";
        }
    }
    EXPECT_EQ(failures, "");
    EXPECT_EQ(CGateEngine::s_nCreated, created + 2);
    CProgressPage::WaitForWorker();
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(WizardFrame, CancelDuringARealArchiveClosesTheSheetAndLeavesNoArchive)
{
    ModalGuard guard;
    CScratchDir dir;
    // Enough incompressible data that the writer is still at it when Cancel comes.
    ASSERT_TRUE(WriteFileBytes(dir / "big.bin", RandomBytes(24u << 20, 5)));
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
    AddPathItem((dir / "big.bin").c_str(), 0);
    ArchiveFlags[AF_FILES] = 1;
    ArchiveFlags[AF_ATTRIBUTES] = ArchiveFlags[AF_TIMES] = ArchiveFlags[AF_REGISTRY] = 0;
    CWizardSheet sheet;
    CWelcomePage welcome(IDD_ARCHIVE_WELCOME);
    CArchiveRunPage progress;
    progress.m_archive = dir / "a.zma";
    sheet.AddPage(&welcome);
    sheet.AddPage(&progress);
    std::string failures;
    auto expect = [&](bool ok, const char* what) {
        if (!ok)
            failures += std::string(what) + "; ";
    };
    std::atomic<bool> runningAtCancel{false};
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return failures += "no sheet", void();
        Press(s, PSBTN_NEXT);
        expect(PageBecomes(s, IDC_MESSAGES), "the progress page");
        // The file is being coded once its item percentage shows.
        expect(WaitFor([&] {
                   char text[16] = "";
                   ::GetDlgItemTextA(CurrentPage(s), IDC_PERCENT, text, sizeof text);
                   return text[0] != 0;
               }),
               "the writer at work");
        runningAtCancel = progress.IsEngineRunning();
        Press(s, PSBTN_CANCEL);
    });
    INT_PTR r = sheet.DoModal();
    bool runningAfterClose = progress.IsEngineRunning();
    driver->Join();
    EXPECT_EQ(failures, "");
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(runningAtCancel);
    (void)runningAfterClose; // the worker may or may not have seen the flag yet
    CProgressPage::WaitForWorker();
    EXPECT_FALSE(FileExistsAt(dir / "a.zma"));
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(WizardFrame, CancelRightAtTheEndOfARealScanNeverHurts)
{
    CScratchDir dir;
    ::CreateDirectoryA((dir / "d").c_str(), nullptr);
    WriteText(dir / "d\\f.txt", "f");
    CWizardSheet sheet;
    CWelcomePage welcome(IDD_SCAN_WELCOME);
    CScanRunPage progress;
    sheet.AddPage(&welcome);
    sheet.AddPage(&progress);
    int finished = 0, cancelled = 0;
    for (int run = 0; run < 12; run++) {
        ModalGuard guard;
        progress.m_report = dir / ("r" + std::to_string(run) + ".zmr");
        std::memset(ScanFlags, 0, sizeof ScanFlags);
        ScanFlags[SF_DIRECTORIES] = 1;
        g_PathList.nCount = 0;
        g_KeyList.nCount = 0;
        g_SettingsFiles.nCount = 0;
        g_DosFiles.nCount = 0;
        AddPathItem((dir / "d\\").c_str(), 1);
        auto driver = Driver([&] {
            HWND s = WaitForWindow("Zelmora: Сканирование");
            if (!s)
                return;
            Press(s, PSBTN_NEXT);
            // Cancel a little later each run, across the end of the job.
            WaitFor([&] { return ::GetDlgItem(CurrentPage(s), IDC_MESSAGES) != nullptr; });
            ::Sleep(run * 2);
            Press(s, PSBTN_CANCEL);
        });
        sheet.DoModal();
        driver->Join();
        CProgressPage::WaitForWorker();
        EXPECT_EQ(g_bEngineBusy, 0);
        (FileExistsAt(progress.m_report) ? finished : cancelled)++;
    }
    EXPECT_EQ(finished + cancelled, 12);
    std::printf("scans finished before the cancel: %d, cancelled: %d\n", finished, cancelled);
}

TEST_F(WizardFrame, ANewRunWaitsForACancelledWorkerStillEnding)
{
    ModalGuard guard;
    // The cancelled engine takes a while to see its flag through: the next run
    // of any wizard must not start while it still works on the shared job.
    CGateEngine::s_nLingerMs = 400;
    CWizardSheet sheet, other;
    CWelcomePage welcome(IDD_ARCHIVE_WELCOME), otherWelcome(IDD_SCAN_WELCOME);
    CGatePage progress;
    sheet.AddPage(&welcome);
    sheet.AddPage(&progress);
    other.AddPage(&otherWelcome);
    std::string failures;
    auto driver = Driver([&] {
        HWND s = WaitForWindow(kCaption);
        if (!s)
            return failures += "no sheet", void();
        Press(s, PSBTN_NEXT);
        if (!ButtonsBecome(s, "-x-+"))
            failures += "not running; ";
        Press(s, PSBTN_CANCEL);
    });
    sheet.DoModal();
    driver->Join();
    int endedAtClose = CGateEngine::s_nEnded;
    int endedAtNextRun = -1;
    driver = Driver([&] {
        HWND s = WaitForWindow("Zelmora: Сканирование");
        if (!s)
            return failures += "no second sheet", void();
        endedAtNextRun = CGateEngine::s_nEnded;
        Press(s, PSBTN_CANCEL);
    });
    other.DoModal();
    driver->Join();
    EXPECT_EQ(failures, "");
    EXPECT_EQ(endedAtNextRun, endedAtClose + 1) << "the next wizard opened before the worker ended";
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(WizardFrame, ScanningListShowsTheStepsOfARealScan)
{
    ModalGuard guard;
    CScratchDir dir;
    ::CreateDirectoryA((dir / "d").c_str(), nullptr);
    WriteText(dir / "d\\f.txt", "f");
    std::memset(ScanFlags, 0, sizeof ScanFlags);
    ScanFlags[SF_DIRECTORIES] = 1;
    g_PathList.nCount = g_KeyList.nCount = g_SettingsFiles.nCount = g_DosFiles.nCount = 0;
    AddPathItem((dir / "d\\").c_str(), 1);
    AddPathItem(dir.Path().c_str(), 1);
    CWizardSheet sheet;
    CWelcomePage welcome(IDD_SCAN_WELCOME);
    CScanRunPage progress;
    progress.m_report = dir / "r.zmr";
    sheet.AddPage(&welcome);
    sheet.AddPage(&progress);
    std::string failures, heading;
    int images[2] = {-1, -1}, width = 0, listWidth = 0;
    auto driver = Driver([&] {
        HWND s = WaitForWindow("Zelmora: Сканирование");
        if (!s)
            return failures += "no sheet", void();
        Press(s, PSBTN_NEXT);
        if (!ButtonsBecome(s, "-x++"))
            failures += "no Finish; ";
        HWND list = ::GetDlgItem(CurrentPage(s), IDC_MESSAGES);
        char text[64] = "";
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = text;
        col.cchTextMax = sizeof text;
        ::SendMessageA(list, LVM_GETCOLUMNA, 0, (LPARAM)&col);
        heading = text;
        width = col.cx;
        RECT r;
        ::GetWindowRect(list, &r);
        listWidth = r.right - r.left;
        for (int i = 0; i < 2; i++) {
            LVITEMA item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            ::SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item);
            images[i] = item.iImage;
        }
        Press(s, PSBTN_FINISH);
    });
    sheet.DoModal();
    driver->Join();
    EXPECT_EQ(failures, "");
    EXPECT_EQ(heading, "Список действий:");
    EXPECT_EQ(width, listWidth - 4);
    EXPECT_EQ(images[0], CScan::IMAGE_DONE);
    EXPECT_EQ(images[1], CScan::IMAGE_DONE);
    EXPECT_TRUE(FileExistsAt(dir / "r.zmr"));
}
