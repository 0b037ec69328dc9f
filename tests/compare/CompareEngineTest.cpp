// The comparing engine as a worker thread on real controls: the result list,
// the three buttons, the finish notification to the sheet, cancel, no controls.
#include "base/JobState.h"
#include "compare/Compare.h"
#include "tests/compare/CompareTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

namespace {

typedef std::vector<std::string> Lines;

std::vector<std::pair<WPARAM, LPARAM>> g_wizardButtons;

LRESULT CALLBACK SheetProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PSM_SETWIZBUTTONS)
        g_wizardButtons.push_back({w, l});
    return DefWindowProcA(h, msg, w, l);
}

// A stand-in sheet with a page holding the result list and the three buttons.
struct ResultPage {
    HWND sheet, page, list, copy, archive, save;
    CWnd pageWnd, copyWnd, archiveWnd, saveWnd;
    CListCtrl listCtrl;
    ResultPage()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = SheetProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZmCompareTestSheet";
        RegisterClassA(&wc);
        sheet = CreateWindowA("ZmCompareTestSheet", "sheet", WS_OVERLAPPEDWINDOW, 0, 0,
                              500, 400, nullptr, nullptr, nullptr, nullptr);
        page = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 480, 360, sheet, nullptr,
                             nullptr, nullptr);
        list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 470, 300,
                             page, nullptr, nullptr, nullptr);
        copy = Button("copy", 0);
        archive = Button("archive", 100);
        save = Button("save", 200);
        pageWnd.Attach(page);
        copyWnd.Attach(copy);
        archiveWnd.Attach(archive);
        saveWnd.Attach(save);
        listCtrl.Attach(list);
        listCtrl.InsertColumn(0, "", 460);
        g_wizardButtons.clear();
    }
    HWND Button(const char* text, int x)
    {
        return CreateWindowA("BUTTON", text, WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, x,
                             310, 90, 24, page, nullptr, nullptr, nullptr);
    }
    ~ResultPage() { DestroyWindow(sheet); }
    Lines Items() const
    {
        Lines v;
        char text[1024];
        for (int k = 0; k < listCtrl.GetItemCount(); k++) {
            listCtrl.GetItemText(k, 0, text, sizeof text);
            v.push_back(text);
        }
        return v;
    }
    int EnabledButtons() const
    {
        return !!IsWindowEnabled(copy) + !!IsWindowEnabled(archive) + !!IsWindowEnabled(save);
    }
};

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Starts the engine as the wizard does and pumps messages until its thread ends.
void RunEngine(const std::string& path1, const std::string& path2, ResultPage* page,
               bool cancel = false, bool literal = false)
{
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CCompare), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(t->IsKindOf(RUNTIME_CLASS(CCompare)));
    EXPECT_EQ(g_bEngineBusy, 1);
    CCompare* engine = static_cast<CCompare*>(t);
    EXPECT_EQ(engine->m_bCancel, 0);
    engine->SetPaths(path1.c_str(), path2.c_str());
    if (page)
        engine->SetTargets(&page->pageWnd, &page->copyWnd, &page->archiveWnd, &page->saveWnd,
                           &page->listCtrl);
    engine->m_bCancel = cancel;
    engine->m_bLiteralSearch = literal;
    HANDLE h = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->m_hThread, GetCurrentProcess(), &h, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    t->ResumeThread(); // the object deletes itself when the thread ends
    for (;;) {
        DWORD w = MsgWaitForMultipleObjects(1, &h, FALSE, 10000, QS_ALLINPUT);
        if (w == WAIT_OBJECT_0)
            break;
        ASSERT_EQ(w, (DWORD)WAIT_OBJECT_0 + 1) << "engine did not end";
        Pump();
    }
    CloseHandle(h);
    Pump();
}

class CompareEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        CReportWriter a, b;
        a.SetTime(2024, 3, 1, 9, 0, 0, 0);
        b.SetTime(2024, 3, 1, 10, 0, 0, 0);
        a.AddEntry(SEC_DIRECTORIES, "C:\\D").records = {FileRec("C:\\D\\f", 1)};
        b.AddEntry(SEC_DIRECTORIES, "C:\\D").records = {FileRec("C:\\D\\f", 1), FileRec("C:\\D\\g")};
        a.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\"), ValueRec("v", 1, "1")};
        b.AddEntry(SEC_REGISTRY, "HKEY_USERS").records = {KeyRec("\\"), ValueRec("v", 1, "2")};
        older = dir / "older.zmr";
        newer = dir / "newer.zmr";
        ASSERT_TRUE(WriteFileBytes(older, a.Build()));
        ASSERT_TRUE(WriteFileBytes(newer, b.Build()));
        expected = {kHeadings[0], "Каталог C:\\D:", "Создан файл C:\\D\\g",
                    kHeadings[1], "Ключ HKEY_USERS:", "Изменено значение переменной v",
                    kHeadings[2], kNotDone, kHeadings[3], kNotDone};
        g_PathList.nCount = g_KeyList.nCount = 7;
        for (BYTE& f : ArchiveFlags)
            f = 0;
    }
    CScratchDir dir;
    std::string older, newer;
    Lines expected;
};

} // namespace

TEST_F(CompareEngine, WritesTheLinesEnablesTheButtonsAndLetsTheWizardFinish)
{
    EXPECT_STREQ(RUNTIME_CLASS(CCompare)->m_lpszClassName, "CCompare");
    EXPECT_TRUE(RUNTIME_CLASS(CCompare)->IsDerivedFrom(RUNTIME_CLASS(CWinThread)));
    for (bool literal : {false, true}) {
        ResultPage page;
        page.listCtrl.AddLine("left from before");
        RunEngine(newer, older, &page, false, literal);
        EXPECT_EQ(page.Items(), expected);
        EXPECT_EQ(page.EnabledButtons(), 3);
        ASSERT_EQ(g_wizardButtons.size(), 1u);
        EXPECT_EQ(g_wizardButtons[0].first, 0u);
        EXPECT_EQ(g_wizardButtons[0].second, (LPARAM)PSWIZB_FINISH);
        EXPECT_EQ(g_bEngineBusy, 0);
        EXPECT_EQ(PathListStrings(), (Lines{"C:\\D\\g"}));
        EXPECT_EQ(KeyListStrings(), (Lines{"HKEY_USERS\\v"}));
        EXPECT_EQ(ArchiveFlags[0], 1);
        EXPECT_EQ(ArchiveFlags[3], 1);
    }
}

TEST_F(CompareEngine, ANonReportLeavesTheButtonsDisabled)
{
    std::string text = dir / "text.zmr";
    ASSERT_TRUE(WriteFileBytes(text, TextBytes(64, 3)));
    ResultPage page;
    page.listCtrl.AddLine("left from before");
    RunEngine(older, text, &page);
    EXPECT_EQ(page.Items(), (Lines{"left from before", "Ошибка открытия файла " + text}));
    EXPECT_EQ(page.EnabledButtons(), 0);
    ASSERT_EQ(g_wizardButtons.size(), 1u);
    EXPECT_EQ(g_wizardButtons[0].second, (LPARAM)PSWIZB_FINISH);
    EXPECT_EQ(g_bEngineBusy, 0);
    EXPECT_EQ(g_PathList.nCount, 7);
    EXPECT_EQ(g_KeyList.nCount, 7);
}

TEST_F(CompareEngine, CancelledBeforeItsStartTouchesNoControl)
{
    ResultPage page;
    page.listCtrl.AddLine("left from before");
    RunEngine(older, newer, &page, true);
    EXPECT_EQ(page.Items(), (Lines{"left from before"}));
    EXPECT_EQ(page.EnabledButtons(), 0);
    EXPECT_TRUE(g_wizardButtons.empty());
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST_F(CompareEngine, RunsWithoutAnyControl)
{
    RunEngine(older, newer, nullptr);
    EXPECT_EQ(g_bEngineBusy, 0);
    EXPECT_EQ(PathListStrings(), (Lines{"C:\\D\\g"}));
    EXPECT_EQ(KeyListStrings(), (Lines{"HKEY_USERS\\v"}));
    RunEngine(older, dir / "missing.zmr", nullptr);
    EXPECT_EQ(g_bEngineBusy, 0);
}
