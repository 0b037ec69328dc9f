// The scanner as a job: progress lines and their images, the status text, the
// finish notification to the page's sheet, cancelling, a report that cannot be
// created, and a run on a worker thread against real controls.
#include "scan/Scan.h"

#include "base/JobState.h"
#include "framework/Static.h"
#include "tests/scan/ReportReader.h"
#include "tests/scan/ScanTestUtil.h"
#include "tests/support/LineRecorder.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

// Keeps the progress list operations instead of showing them, and can cancel
// when a chosen line starts running.
class CRecordingScan : public CScan {
public:
    CRecordingScan()
    {
        SetOutput(&recorder);
        recorder.onImage = [this](int line, int image) {
            if (image == IMAGE_RUNNING && line == cancelWhenRunning)
                m_bCancel = 1;
        };
    }

    CLineRecorder recorder;
    std::vector<std::string>& lines = recorder.lines;
    std::vector<std::pair<int, int>>& images = recorder.images;
    int cancelWhenRunning = -1;
};

// The real page controls, and a cancel when a chosen line starts running.
class CCancellingControls : public CControlOutput {
public:
    void SetLineImage(int line, int image) override
    {
        CControlOutput::SetLineImage(line, image);
        if (image == CScan::IMAGE_RUNNING && line == cancelWhenRunning)
            *pCancel = 1;
    }
    int cancelWhenRunning = -1;
    volatile BYTE* pCancel = nullptr;
};

// Real list control; cancels when a chosen line starts running.
class CCancellingScan : public CScan {
public:
    int cancelWhenRunning = -1;

    void SetTargets(CWnd* pPage, CListCtrl* pList, CWnd* pStatus)
    {
        controls.SetCancelFlag(&m_bCancel);
        controls.SetPage(pPage);
        controls.SetList(pList);
        controls.SetCurrentItemLabel(pStatus);
        controls.cancelWhenRunning = cancelWhenRunning;
        controls.pCancel = &m_bCancel;
        SetOutput(&controls);
    }

private:
    CCancellingControls controls;
};

// A sheet window with a page holding the progress list and the status text.
class CTestPage {
public:
    CTestPage()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        sheet.Attach(CreateWindowExA(0, "STATIC", "sheet", WS_POPUP, 0, 0, 400, 300, nullptr,
                                     nullptr, nullptr, nullptr));
        page.Attach(CreateWindowExA(0, "STATIC", "page", WS_CHILD, 0, 0, 400, 300, sheet, nullptr,
                                    nullptr, nullptr));
        list.Attach(CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 400, 200,
                                    page, nullptr, nullptr, nullptr));
        status.Attach(CreateWindowExA(0, "STATIC", "before", WS_CHILD, 0, 210, 400, 20, page,
                                      nullptr, nullptr, nullptr));
        list.InsertColumn(0, "", 380);
    }
    ~CTestPage() { DestroyWindow(sheet); }
    bool Ok() const { return sheet.m_hWnd && page.m_hWnd && list.m_hWnd && status.m_hWnd; }

    // Finish notifications waiting for the sheet.
    int TakeFinishMessages()
    {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, sheet, PSM_SETWIZBUTTONS, PSM_SETWIZBUTTONS, PM_REMOVE)) {
            EXPECT_EQ(msg.wParam, 0u);
            EXPECT_EQ(msg.lParam, (LPARAM)PSWIZB_FINISH);
            n++;
        }
        return n;
    }
    std::string LineText(int i)
    {
        char text[600] = {};
        list.GetItemText(i, 0, text, sizeof text);
        return text;
    }
    std::string StatusText()
    {
        char text[600] = {};
        status.GetWindowText(text, sizeof text);
        return text;
    }

    CWnd sheet, page;
    CListCtrl list;
    CStatic status;
};

class ScanRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetScanJob();
        report = dir / "run.zmr";
        for (const char* d : {"d1", "d2"}) {
            MakeDir(dir / d);
            MakeFile(dir / d + "\\f.txt", "f");
        }
        MakeFile(dir / "set.ini", "[a]\r\nb=1\r\n");
        MakeFile(dir / "auto.bat", "rem\r\n");
        AddPathItem((dir / "d1\\").c_str(), 1);
        AddPathItem((dir / "d2").c_str(), 1);
        AddKeyItem(0x8000000F, "HKEY_DYN_DATA", 1); // opens nothing: a root record alone
        AddFileListItem(g_SettingsFiles, (dir / "set.ini").c_str());
        AddFileListItem(g_DosFiles, (dir / "auto.bat").c_str());
        std::memset(ScanFlags, 1, sizeof ScanFlags);
    }
    void TearDown() override { ResetScanJob(); }

    std::vector<std::string> ExpectedLines()
    {
        return {"Сканирование каталога " + dir / "d1", "Сканирование каталога " + dir / "d2",
                "Сканирование ключа HKEY_DYN_DATA", "Сканирование файла " + dir / "set.ini",
                "Сканирование файла " + dir / "auto.bat"};
    }

    CScratchDir dir;
    std::string report;
};

} // namespace

TEST_F(ScanRun, ProgressLinesArePendingThenRunningThenDoneInListOrder)
{
    CRecordingScan scan;
    scan.SetReportPath(report.c_str());
    scan.Run();
    EXPECT_EQ(scan.lines, ExpectedLines());
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < 5; i++) {
        expected.push_back({i, CScan::IMAGE_RUNNING});
        expected.push_back({i, CScan::IMAGE_DONE});
    }
    EXPECT_EQ(scan.images, expected);
    EXPECT_TRUE(FileExistsAt(report));
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(ScanRun, RealControlsShowEveryLineDoneAndTheSheetMayFinish)
{
    CTestPage page;
    ASSERT_TRUE(page.Ok());
    page.list.AddLine("an earlier line", 1);
    CScan scan;
    scan.SetReportPath(report.c_str());
    scan.SetTargets(&page.page, &page.list, &page.status);
    scan.Run();

    std::vector<std::string> lines = ExpectedLines();
    ASSERT_EQ(page.list.GetItemCount(), 1 + (int)lines.size());
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(page.LineText(1 + (int)i), lines[i]);
        EXPECT_EQ(page.list.GetItemImage(1 + (int)i), CScan::IMAGE_DONE);
    }
    EXPECT_EQ(page.StatusText(), "");
    EXPECT_EQ(page.TakeFinishMessages(), 1);
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(report, bytes));
    report::Report r;
    std::string error;
    EXPECT_TRUE(report::Read(bytes, r, error)) << error;
}

TEST_F(ScanRun, CancelLeavesNoReportNoFinishAndTheControlsAsTheyWere)
{
    CTestPage page;
    ASSERT_TRUE(page.Ok());
    CCancellingScan scan;
    scan.cancelWhenRunning = 1;
    scan.SetReportPath(report.c_str());
    scan.SetTargets(&page.page, &page.list, &page.status);
    scan.Run();

    EXPECT_FALSE(FileExistsAt(report));
    EXPECT_EQ(page.TakeFinishMessages(), 0);
    EXPECT_EQ(g_bEngineBusy, 0);
    ASSERT_EQ(page.list.GetItemCount(), 5);
    EXPECT_EQ(page.list.GetItemImage(0), CScan::IMAGE_DONE);
    EXPECT_EQ(page.list.GetItemImage(1), CScan::IMAGE_RUNNING);
    for (int i = 2; i < 5; i++)
        EXPECT_EQ(page.list.GetItemImage(i), CScan::IMAGE_PENDING) << i;
    // The status text still shows the last directory walked, not cleared.
    EXPECT_EQ(page.StatusText(), dir / "d1\\");
}

TEST_F(ScanRun, CancelBeforeTheStartTouchesNothing)
{
    CTestPage page;
    ASSERT_TRUE(page.Ok());
    MakeFile(report, "an older report");
    CScan scan;
    scan.m_bCancel = 1;
    scan.SetReportPath(report.c_str());
    scan.SetTargets(&page.page, &page.list, &page.status);
    scan.Run();
    EXPECT_EQ(page.list.GetItemCount(), 0);
    EXPECT_EQ(page.StatusText(), "before");
    EXPECT_EQ(page.TakeFinishMessages(), 0);
    EXPECT_FALSE(FileExistsAt(report)); // replaced, then deleted as cancelled
    EXPECT_EQ(g_bEngineBusy, 0);
}

namespace {
CScan* g_cancelTarget = nullptr;
std::string g_cancelText;
WNDPROC g_staticProc = nullptr;

// Status text window procedure that cancels the scan when a chosen text arrives.
LRESULT CALLBACK CancellingStatusProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETTEXT && g_cancelTarget && lParam && g_cancelText == (const char*)lParam)
        g_cancelTarget->m_bCancel = 1;
    return CallWindowProcA(g_staticProc, hWnd, msg, wParam, lParam);
}
} // namespace

TEST_F(ScanRun, CancelInTheMiddleOfADirectoryWalk)
{
    for (int i = 0; i < 30; i++)
        MakeFile(dir / "d2\\" + std::to_string(i), "x");
    CTestPage page;
    ASSERT_TRUE(page.Ok());
    CScan scan;
    g_cancelTarget = &scan;
    g_cancelText = dir / "d2";
    g_staticProc = (WNDPROC)SetWindowLongPtrA(page.status, GWLP_WNDPROC,
                                              (LONG_PTR)&CancellingStatusProc);
    scan.SetReportPath(report.c_str());
    scan.SetTargets(&page.page, &page.list, &page.status);
    scan.Run();
    SetWindowLongPtrA(page.status, GWLP_WNDPROC, (LONG_PTR)g_staticProc);
    g_cancelTarget = nullptr;

    EXPECT_FALSE(FileExistsAt(report));
    EXPECT_EQ(page.TakeFinishMessages(), 0);
    EXPECT_EQ(page.StatusText(), dir / "d2");
    EXPECT_EQ(page.list.GetItemImage(0), CScan::IMAGE_DONE);
    EXPECT_EQ(page.list.GetItemImage(1), CScan::IMAGE_RUNNING);
    EXPECT_EQ(page.list.GetItemImage(2), CScan::IMAGE_PENDING);
    // The walk stopped after the entry in hand.
    EXPECT_LE(scan.m_nRecords, 1u);
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(ScanRun, ReportThatCannotBeCreatedIsNotReportedByTheEngine)
{
    CTestPage page;
    ASSERT_TRUE(page.Ok());
    std::string bad = dir / "no such folder\\r.zmr";
    CScan scan;
    scan.SetReportPath(bad.c_str());
    scan.SetTargets(&page.page, &page.list, &page.status);
    scan.Run();
    EXPECT_EQ(scan.m_bReportFailed, 1);
    EXPECT_FALSE(FileExistsAt(bad));
    // The walk still ran through every entry and the wizard may finish.
    ASSERT_EQ(page.list.GetItemCount(), 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(page.list.GetItemImage(i), CScan::IMAGE_DONE);
    EXPECT_EQ(page.TakeFinishMessages(), 1);
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(ScanRun, AFileInUseAtTheReportPathIsLeftAsItWas)
{
    MakeFile(report, "someone else's");
    HANDLE held = CreateFileA(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CScan scan;
    scan.SetReportPath(report.c_str());
    scan.Run();
    CloseHandle(held);
    EXPECT_EQ(scan.m_bReportFailed, 1);
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(report, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "someone else's");
}

TEST_F(ScanRun, WorkerThreadCreatedFromItsClassRecord)
{
    CTestPage page;
    ASSERT_TRUE(page.Ok());
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CScan), THREAD_PRIORITY_BELOW_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(thread->IsKindOf(RUNTIME_CLASS(CScan)));
    EXPECT_EQ(g_bEngineBusy, 1);
    CScan* scan = static_cast<CScan*>(thread);
    scan->SetReportPath(report.c_str());
    scan->SetTargets(&page.page, &page.list, &page.status);
    HANDLE done = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &done,
                                SYNCHRONIZE, FALSE, 0));
    thread->ResumeThread(); // the object deletes itself when the thread ends

    // The worker talks to the controls of this thread: pump until it ends.
    int finish = 0;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &done, FALSE, 60000, QS_ALLINPUT);
        ASSERT_NE(r, (DWORD)WAIT_TIMEOUT);
        if (r == WAIT_OBJECT_0)
            break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == PSM_SETWIZBUTTONS && msg.hwnd == page.sheet.m_hWnd)
                finish++;
            else
                DispatchMessageA(&msg);
        }
    }
    CloseHandle(done);
    finish += page.TakeFinishMessages();
    EXPECT_EQ(finish, 1);
    EXPECT_EQ(g_bEngineBusy, 0);
    std::vector<std::string> lines = ExpectedLines();
    ASSERT_EQ(page.list.GetItemCount(), (int)lines.size());
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(page.LineText((int)i), lines[i]);
        EXPECT_EQ(page.list.GetItemImage((int)i), CScan::IMAGE_DONE);
    }
    EXPECT_EQ(page.StatusText(), "");
    Bytes bytes;
    ASSERT_TRUE(ReadFileBytes(report, bytes));
    report::Report r;
    std::string error;
    ASSERT_TRUE(report::Read(bytes, r, error)) << error;
    EXPECT_EQ(r.sections[report::DIRECTORIES].size(), 2u);
    EXPECT_EQ(r.sections[report::DOS_FILES][0].records[0].name, "rem");
}

TEST_F(ScanRun, AFailedAllocationInsideTheJobEndsItWithoutAReport)
{
    // The output throws as an allocation would when the second entry starts: the
    // report is open by then. Nothing may leave the thread.
    CLineRecorder recorder;
    recorder.onImage = [](int line, int image) {
        if (line == 1 && image == CScan::IMAGE_RUNNING)
            throw std::bad_alloc();
    };
    CScan* scan = new CScan;
    scan->SetOutput(&recorder);
    scan->SetReportPath(report.c_str());
    EXPECT_EQ(scan->Run(), 0);
    EXPECT_TRUE(scan->m_bReportFailed);
    delete scan;
    EXPECT_FALSE(FileExistsAt(report));
    EXPECT_EQ(recorder.ended, 1);
    EXPECT_FALSE(recorder.success);
    EXPECT_EQ(g_bEngineBusy, 0);
}
