// The restoring wizard's job: Run over file and registry selections located by
// their record offsets, on a worker thread that reports to a page's controls and
// tells the page's sheet when it is finished.
#include "base/JobState.h"
#include "tests/restore/RestoreTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <memory>

namespace {

const DWORD kHKCU = 0x80000001;

std::string Text(const char* s) { return s; }
Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

void ClearJob()
{
    g_PathList.nCount = 0;
    g_KeyList.nCount = 0;
}

void AddFileSelection(const std::string& parent, size_t offset)
{
    ASSERT_TRUE(AddPathItem(parent.c_str(), 1));
    g_PathList.items[g_PathList.nCount - 1].dwOffset = (DWORD)offset;
}

void AddKeySelection(DWORD root, const std::string& path, BYTE isKey, size_t offset)
{
    ASSERT_TRUE(AddKeyItem(root, path.c_str(), isKey));
    g_KeyList.items[g_KeyList.nCount - 1].dwOffset = (DWORD)offset;
}

// An archive with files and keys, and the offsets of the records the tests pick.
struct JobArchive {
    CArchiveBuilder b{1, 1, 1, 1};
    size_t sel = 0, c = 0, k1 = 0, v2b = 0;
    JobArchive(const std::string& scratch, const std::string& keyPath)
    {
        b.Count(1);
        b.Chain(scratch, 2);
        sel = b.Dir("sel", 2);
        b.File("a.txt", BytesOf("a"));
        b.File("b.txt", BytesOf("b"));
        b.Dir("other", 2);
        c = b.File("c.txt", BytesOf("c"));
        b.File("d.txt", BytesOf("d"));
        b.Count(1);
        b.KeyChain(kHKCU, keyPath, 2, 1);
        b.Value("top", REG_DWORD, MakeBytes({1, 0, 0, 0}));
        k1 = b.Key("k1", kHKCU, 0, 1);
        b.Value("v1", REG_DWORD, MakeBytes({2, 0, 0, 0}));
        b.Key("k2", kHKCU, 0, 2);
        b.Value("v2a", REG_DWORD, MakeBytes({3, 0, 0, 0}));
        v2b = b.Value("v2b", REG_DWORD, MakeBytes({4, 0, 0, 0}));
    }
    void Select(const std::string& scratch, const std::string& keyPath)
    {
        ClearJob();
        AddFileSelection(scratch, sel);
        AddFileSelection(scratch + "other\\", c);
        AddKeySelection(kHKCU, keyPath + "\\", 1, k1);
        AddKeySelection(kHKCU, keyPath + "\\k2", 0, v2b);
    }
};

void ExpectJobRestored(const CScratchDir& dir, const CTestKey& key)
{
    EXPECT_EQ(ListTree(dir.Path()),
              (std::set<std::string>{"a.zma", "other\\", "other\\c.txt", "sel\\", "sel\\a.txt",
                                     "sel\\b.txt"}));
    EXPECT_EQ(SubkeyNames(key.Path()), (std::set<std::string>{"k1", "k2"}));
    EXPECT_EQ(ValueNames(key.Path()), std::set<std::string>{});
    EXPECT_EQ(ValueNames(key / "k1"), std::set<std::string>{"v1"});
    EXPECT_EQ(ValueNames(key / "k2"), std::set<std::string>{"v2b"});
}

} // namespace

TEST(RestoreRun, RestoresOnlyTheSelectedRecords)
{
    CScratchDir dir;
    CTestKey key("RestoreRunJob");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    a.Select(dir.Path(), key.Path());
    std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
    r->SetArchiveName((dir / "a.zma").c_str());
    EXPECT_EQ(r->Run(), 0);
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kSuccess) + "]");
    ExpectJobRestored(dir, key);
    EXPECT_EQ(g_bEngineBusy, 0);
    ClearJob();
}

TEST(RestoreRun, SectionsAbsentFromTheHeaderAreNotRestored)
{
    CScratchDir dir;
    CTestKey key("RestoreRunFlags");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    a.b.m_data[11] = 0; // the registry section is there, but the header says not
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    a.Select(dir.Path(), key.Path());
    std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
    r->SetArchiveName((dir / "a.zma").c_str());
    r->Run();
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kSuccess) + "]");
    EXPECT_TRUE(FileExistsAt(dir / "sel\\a.txt"));
    EXPECT_FALSE(KeyExists(key / "k1"));
    ClearJob();
}

TEST(RestoreRun, FallsBackToTheSharedArchiveName)
{
    CScratchDir dir;
    CTestKey key("RestoreRunName");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    a.Select(dir.Path(), key.Path());
    std::strcpy(g_szArchiveName, (dir / "a.zma").c_str());
    std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
    r->Run();
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kSuccess) + "]");
    ExpectJobRestored(dir, key);
    g_szArchiveName[0] = 0;
    ClearJob();
}

TEST(RestoreRun, UnsafeSelectionsAreRefused)
{
    CScratchDir dir;
    CTestKey key("RestoreRunUnsafe");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    ClearJob();
    AddFileSelection(dir / "..\\", a.sel);
    AddFileSelection("sel\\", a.c);
    AddFileSelection(dir / "x:y\\", a.c);
    AddKeySelection(0x7FFFFFFF, key.Path(), 0, a.v2b);
    AddKeySelection(0x7FFFFFFF, key.Path(), 1, a.k1);
    std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
    r->SetArchiveName((dir / "a.zma").c_str());
    r->Run();
    EXPECT_EQ(JoinLines(r->m_messages), "[Недопустимый путь: " + dir / "..\\" +
                                            "][Недопустимый путь: sel\\][Недопустимый путь: " +
                                            dir / "x:y\\" +
                                            "][Недопустимый корневой ключ в архиве: 0x7FFFFFFF]"
                                            "[Недопустимый корневой ключ в архиве: 0x7FFFFFFF]");
    EXPECT_EQ(ListNames(dir.Path()), std::set<std::string>{"a.zma"});
    EXPECT_EQ(SubkeyNames(key.Path()), std::set<std::string>{});
    ClearJob();
}

TEST(RestoreRun, SelectionOffsetBeyondTheArchiveIsDamage)
{
    CScratchDir dir;
    CTestKey key("RestoreRunOffset");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    ClearJob();
    AddFileSelection(dir.Path(), a.b.m_data.size() + 10);
    AddFileSelection(dir.Path(), a.sel);
    std::unique_ptr<CRecordedRestore> r(new CRecordedRestore);
    r->SetArchiveName((dir / "a.zma").c_str());
    r->Run();
    EXPECT_EQ(JoinLines(r->m_messages), "[" + Text(CRestore::kDamaged) + "]");
    EXPECT_EQ(ListNames(dir.Path()), std::set<std::string>{"a.zma"});
    ClearJob();
}

namespace {

std::vector<std::pair<WPARAM, LPARAM>> g_wizardButtons;

LRESULT CALLBACK SheetProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PSM_SETWIZBUTTONS)
        g_wizardButtons.push_back({w, l});
    return DefWindowProcA(h, msg, w, l);
}

// A sheet with a page holding the controls of the progress page.
struct ProgressPage {
    HWND sheet, page, label, list, bar, percent;
    CWnd pageWnd;
    CStatic labelCtl, percentCtl;
    CListCtrl listCtl;
    CProgressCtrl barCtl;
    ProgressPage()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = SheetProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZmRestoreTestSheet";
        RegisterClassA(&wc);
        sheet = CreateWindowA("ZmRestoreTestSheet", "sheet", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400,
                              nullptr, nullptr, wc.hInstance, nullptr);
        page = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 480, 380, sheet, nullptr,
                             nullptr, nullptr);
        label = CreateWindowA("STATIC", "start", WS_CHILD | WS_VISIBLE, 10, 10, 400, 20, page,
                              nullptr, nullptr, nullptr);
        percent = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 420, 40, 50, 20, page, nullptr,
                                nullptr, nullptr);
        bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 40, 400, 20, page,
                            nullptr, nullptr, nullptr);
        list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 70, 460, 300,
                             page, nullptr, nullptr, nullptr);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
        pageWnd.Attach(page);
        labelCtl.Attach(label);
        percentCtl.Attach(percent);
        listCtl.Attach(list);
        barCtl.Attach(bar);
        listCtl.InsertColumn(0, "", 800);
        listCtl.AddLine("left from an earlier run");
        g_wizardButtons.clear();
    }
    ~ProgressPage() { DestroyWindow(sheet); }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < listCtl.GetItemCount(); i++) {
            char text[1024] = "";
            listCtl.GetItemText(i, 0, text, sizeof text);
            lines.push_back(text);
        }
        return lines;
    }
    std::string Label() const
    {
        char text[MAX_PATH] = "";
        GetWindowTextA(label, text, sizeof text);
        return text;
    }

    // Starts the engine as the wizard does and pumps messages until its thread
    // has ended and what it posted has arrived.
    void RunEngine(const std::string& archive, bool cancelFirst)
    {
        CRestore* r = static_cast<CRestore*>(
            AfxBeginThread(RUNTIME_CLASS(CRestore), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
        ASSERT_NE(r, nullptr);
        r->m_bAutoDelete = FALSE;
        r->SetArchiveName(archive.c_str());
        r->SetControls(&pageWnd, &labelCtl, &listCtl, &barCtl, &percentCtl);
        EXPECT_EQ(listCtl.GetItemCount(), 0);
        EXPECT_EQ(g_bEngineBusy, 1);
        if (cancelFirst)
            r->m_bCancel = 1;
        r->ResumeThread();
        HANDLE thread = r->m_hThread;
        for (;;) {
            DWORD w = MsgWaitForMultipleObjects(1, &thread, FALSE, 20000, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            if (w != WAIT_OBJECT_0 + 1)
                break;
        }
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        delete r;
    }
};

} // namespace

TEST(RestoreRun, WorkerThreadReportsToThePageAndPostsFinish)
{
    CScratchDir dir;
    CTestKey key("RestoreRunThread");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    a.Select(dir.Path(), key.Path());
    ProgressPage page;
    page.RunEngine(dir / "a.zma", false);
    EXPECT_EQ(JoinLines(page.Lines()), "[" + Text(CRestore::kSuccess) + "]");
    EXPECT_EQ(page.Label(), "");
    ASSERT_EQ(g_wizardButtons.size(), 1u);
    EXPECT_EQ(g_wizardButtons[0].first, 0u);
    EXPECT_EQ(g_wizardButtons[0].second, (LPARAM)PSWIZB_FINISH);
    EXPECT_EQ(g_bEngineBusy, 0);
    ExpectJobRestored(dir, key);
    ClearJob();
}

TEST(RestoreRun, ArchiveThatIsNotOneGetsOneLineAndNoFinish)
{
    CScratchDir dir;
    RestoreOptions options;
    ASSERT_TRUE(WriteFileBytes(dir / "a.zma", BytesOf("ZMAFv1.1 and more than the header holds")));
    ProgressPage page;
    page.RunEngine(dir / "a.zma", false);
    EXPECT_EQ(JoinLines(page.Lines()), "[" + Text(CRestore::kOpenError) + "]");
    EXPECT_EQ(page.Label(), "start");
    EXPECT_TRUE(g_wizardButtons.empty());
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST(RestoreRun, CancelledEngineTouchesNothingAndPostsNoFinish)
{
    CScratchDir dir;
    CTestKey key("RestoreRunCancel");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    a.Select(dir.Path(), key.Path());
    ProgressPage page;
    page.RunEngine(dir / "a.zma", true);
    EXPECT_TRUE(page.Lines().empty());
    EXPECT_EQ(page.Label(), "start");
    EXPECT_TRUE(g_wizardButtons.empty());
    EXPECT_EQ(g_bEngineBusy, 0);
    EXPECT_EQ(ListNames(dir.Path()), std::set<std::string>{"a.zma"});
    EXPECT_FALSE(KeyExists(key / "k1"));
    ClearJob();
}

TEST(RestoreRun, AFailedAllocationInsideTheJobNeverLeavesTheEngine)
{
    // The output throws as an allocation would, at the success line and again at
    // the line about the memory: both runs end normally and clear the busy byte.
    CScratchDir dir;
    CTestKey key("RestoreRunThrow");
    RestoreOptions options;
    JobArchive a(dir.Path(), key.Path());
    ASSERT_TRUE(a.b.Save(dir / "a.zma"));
    a.Select(dir.Path(), key.Path());
    CLineRecorder recorder;
    recorder.throwAtLine = 0;
    std::unique_ptr<CRestore> r(new CRestore);
    r->SetOutput(&recorder);
    r->SetArchiveName((dir / "a.zma").c_str());
    EXPECT_EQ(r->Run(), 0);
    EXPECT_EQ(g_bEngineBusy, 0);
    EXPECT_FALSE(r->m_bSucceeded);

    // The same through the whole-archive restore of the unattended start; the
    // second line (after the first threw) is the one about the memory.
    g_bEngineBusy = 1;
    recorder.lines.clear();
    recorder.throwAtLine = 0;
    std::unique_ptr<CRestore> whole(new CRestore);
    whole->SetOutput(&recorder);
    whole->RestoreAll(nullptr, (dir / "a.zma").c_str(), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(g_bEngineBusy, 0);
    EXPECT_FALSE(whole->m_bSucceeded);
    ClearJob();
}
