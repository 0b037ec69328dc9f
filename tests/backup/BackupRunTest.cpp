// The writer as a worker thread driving real controls, its cancel and failure
// paths, and the zmcli archive command.
#include "base/JobState.h"
#include "cli/ArchiveCommand.h"
#include "framework/Static.h"
#include "tests/backup/BackupTestSupport.h"
#include "tests/support/LineRecorder.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <io.h>

namespace {

const DWORD HKCU_CODE = 0x80000001u;

// ---- a progress page stand-in: a sheet window, a page and its controls ----

std::vector<int> g_totalPositions;
std::vector<std::string> g_totalTexts;
std::vector<std::string> g_currentTexts;
std::vector<LPARAM> g_wizButtons;
CBackup* g_cancelTarget;
std::string g_cancelDuring;
std::string g_growTrigger, g_growDir;
WNDPROC g_barProc, g_textProc, g_currentProc, g_itemProc;

LRESULT CALLBACK SheetProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PSM_SETWIZBUTTONS)
        g_wizButtons.push_back(l);
    return DefWindowProcA(h, msg, w, l);
}

LRESULT CALLBACK TotalBarSpy(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PBM_SETPOS)
        g_totalPositions.push_back((int)w);
    return CallWindowProcA(g_barProc, h, msg, w, l);
}

LRESULT CALLBACK TotalTextSpy(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SETTEXT)
        g_totalTexts.push_back((const char*)l);
    return CallWindowProcA(g_textProc, h, msg, w, l);
}

LRESULT CALLBACK CurrentSpy(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SETTEXT) {
        g_currentTexts.push_back((const char*)l);
        if (!g_growTrigger.empty() && g_currentTexts.back() == g_growTrigger) {
            for (int i = 0; i < 20; i++)
                WriteFileBytes(g_growDir + "g" + std::to_string(i), {});
            g_growTrigger.clear();
        }
    }
    return CallWindowProcA(g_currentProc, h, msg, w, l);
}

// The user presses Cancel once the item bar shows a third of the chosen file.
LRESULT CALLBACK ItemBarSpy(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PBM_SETPOS && g_cancelTarget && (int)w >= 3 && !g_currentTexts.empty() &&
        g_currentTexts.back() == g_cancelDuring && g_bEngineBusy)
        g_cancelTarget->m_bCancel = 1;
    return CallWindowProcA(g_itemProc, h, msg, w, l);
}

struct ProgressPage {
    HWND sheet, page, current, log, itemBar, totalBar, itemText, totalText;
    CWnd pageWnd;
    CStatic currentWnd, itemTextWnd, totalTextWnd;
    CListCtrl logWnd;
    CProgressCtrl itemBarWnd, totalBarWnd;

    ProgressPage()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = SheetProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "ZmBackupTestSheet";
            RegisterClassA(&wc);
            registered = true;
        }
        sheet = CreateWindowA("ZmBackupTestSheet", "sheet", WS_OVERLAPPEDWINDOW, 0, 0,
                              600, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(sheet, nullptr) << GetLastError();
        page = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 600, 400, sheet, nullptr,
                             nullptr, nullptr);
        current = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 500, 20, page, nullptr,
                                nullptr, nullptr);
        log = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 40, 500, 200,
                            page, nullptr, nullptr, nullptr);
        itemBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 250, 400, 20, page,
                                nullptr, nullptr, nullptr);
        totalBar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 280, 400, 20, page,
                                 nullptr, nullptr, nullptr);
        itemText = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 420, 250, 60, 20, page,
                                 nullptr, nullptr, nullptr);
        totalText = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 420, 280, 60, 20, page,
                                  nullptr, nullptr, nullptr);
        SendMessageA(itemBar, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
        SendMessageA(totalBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        pageWnd.Attach(page);
        currentWnd.Attach(current);
        logWnd.Attach(log);
        itemBarWnd.Attach(itemBar);
        totalBarWnd.Attach(totalBar);
        itemTextWnd.Attach(itemText);
        totalTextWnd.Attach(totalText);
        logWnd.InsertColumn(0, "", 480);
        g_totalPositions.clear();
        g_totalTexts.clear();
        g_currentTexts.clear();
        g_wizButtons.clear();
        g_cancelTarget = nullptr;
        g_barProc = (WNDPROC)SetWindowLongPtrA(totalBar, GWLP_WNDPROC, (LONG_PTR)TotalBarSpy);
        g_textProc = (WNDPROC)SetWindowLongPtrA(totalText, GWLP_WNDPROC, (LONG_PTR)TotalTextSpy);
        g_currentProc = (WNDPROC)SetWindowLongPtrA(current, GWLP_WNDPROC, (LONG_PTR)CurrentSpy);
        g_itemProc = (WNDPROC)SetWindowLongPtrA(itemBar, GWLP_WNDPROC, (LONG_PTR)ItemBarSpy);
    }
    ~ProgressPage() { DestroyWindow(sheet); }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < logWnd.GetItemCount(); i++) {
            char text[600] = "";
            logWnd.GetItemText(i, 0, text, sizeof text);
            lines.push_back(text);
        }
        return lines;
    }
    std::string Text(HWND h) const
    {
        char text[600] = "";
        GetWindowTextA(h, text, sizeof text);
        return text;
    }
};

void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Starts the writer as the progress page does and pumps messages until it ends.
// The object is kept (m_bAutoDelete cleared) so that its results can be read.
CBackup* RunOnPage(ProgressPage& page, const std::string& archive, bool cancelTarget = false)
{
    CBackup* b = static_cast<CBackup*>(
        AfxBeginThread(RUNTIME_CLASS(CBackup), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
    EXPECT_NE(b, nullptr);
    if (!b)
        return nullptr;
    EXPECT_EQ(g_bEngineBusy, 1);
    b->m_bAutoDelete = FALSE;
    b->SetArchivePath(archive.c_str());
    b->SetControls(&page.pageWnd, &page.currentWnd, &page.logWnd, &page.itemBarWnd,
                   &page.totalBarWnd, &page.itemTextWnd, &page.totalTextWnd);
    if (cancelTarget)
        g_cancelTarget = b;
    b->ResumeThread();
    while (MsgWaitForMultipleObjects(1, &b->m_hThread, FALSE, INFINITE, QS_ALLINPUT) !=
           WAIT_OBJECT_0)
        Pump();
    Pump();
    g_cancelTarget = nullptr;
    return b;
}

} // namespace

TEST(BackupRun, LogProgressAndFinishOnRealControls)
{
    CScratchDir work, tree;
    CTestKey key("BackupRun");
    key.SetValue("K\\S1", "a", REG_SZ, MakeBytes({'a', 0}));
    key.Create("K\\S2\\S3");
    for (int i = 0; i < 30; i++)
        MakeFile(tree / ("d" + std::to_string(i % 4) + "\\f" + std::to_string(i)), TextBytes(i * 50, i));
    MakeFile(tree / "single.txt", TextBytes(20, 1));
    ResetJob(1, 1, 1, 1);
    AddPath(tree.Path());
    AddPath(tree / "single.txt");
    AddPath(tree / "missing.txt");
    AddKey(HKCU_CODE, key.Path() + "\\K");

    ProgressPage page;
    page.logWnd.AddLine("left over from an earlier job");
    CBackup* b = RunOnPage(page, work / "run.zma");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_nResult, CBackup::RESULT_OK);
    // The estimate counts every record that makes a step: the tree's 31 files
    // (single.txt is in it too), 4 directories and the item itself, the single
    // file item, and the key's 3 subkeys plus the key itself.
    EXPECT_EQ(b->m_nProgressTotal, 36u + 1 + 4);
    EXPECT_EQ(b->m_nProgressDone, b->m_nProgressTotal);
    delete b;
    EXPECT_EQ(g_bEngineBusy, 0);

    EXPECT_EQ(page.LogLines(),
              (std::vector<std::string>{"Добавлен каталог " + tree.Path(),
                                        "Добавлен файл " + tree / "single.txt",
                                        "Добавлен ключ HKEY_CURRENT_USER\\" + key.Path() + "\\K"}));
    ASSERT_GE(g_totalPositions.size(), 3u);
    for (size_t i = 0; i + 1 < g_totalPositions.size(); i++) {
        EXPECT_LE(g_totalPositions[i], 100);
        if (i + 2 < g_totalPositions.size()) {
            EXPECT_LE(g_totalPositions[i], g_totalPositions[i + 1]);
        }
    }
    EXPECT_EQ(g_totalPositions[g_totalPositions.size() - 2], 100);
    EXPECT_EQ(g_totalPositions.back(), 0);
    ASSERT_EQ(g_totalTexts.size(), g_totalPositions.size());
    for (size_t i = 0; i + 1 < g_totalTexts.size(); i++)
        EXPECT_EQ(g_totalTexts[i], std::to_string(g_totalPositions[i]) + "%");
    EXPECT_EQ(g_totalTexts.back(), "");
    EXPECT_EQ(page.Text(page.current), "");
    EXPECT_NE(std::find(g_currentTexts.begin(), g_currentTexts.end(), tree / "single.txt"),
              g_currentTexts.end());
    EXPECT_NE(std::find(g_currentTexts.begin(), g_currentTexts.end(), key.Path() + "\\K\\S2\\S3"),
              g_currentTexts.end());
    EXPECT_EQ(g_wizButtons, std::vector<LPARAM>{PSWIZB_FINISH});
    WalkedArchive w = WalkArchiveFile(work / "run.zma");
    EXPECT_TRUE(w.ok) << w.error;
}

TEST(BackupRun, PercentageNeverPassesOneHundred)
{
    // The tree grows after it was counted: while the first item is written, a
    // directory counted empty fills with files.
    CScratchDir work, tree;
    MakeFile(tree / "first.txt", {});
    MakeDirs(tree / "later");
    ResetJob(1, 0, 0, 0);
    AddPath(tree / "first.txt");
    AddPath(tree / "later\\");
    ProgressPage page;
    g_growTrigger = tree / "first.txt";
    g_growDir = tree / "later\\";
    CBackup* b = RunOnPage(page, work / "p.zma");
    g_growTrigger.clear();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_nProgressTotal, 2u);
    EXPECT_EQ(b->m_nProgressDone, 2u + 20);
    delete b;
    ASSERT_GE(g_totalPositions.size(), 2u);
    for (int p : g_totalPositions)
        EXPECT_LE(p, 100);
    for (const std::string& t : g_totalTexts)
        EXPECT_LE(std::atoi(t.c_str()), 100) << t;
    EXPECT_EQ(g_totalPositions[g_totalPositions.size() - 2], 100);
    WalkedArchive w = WalkArchiveFile(work / "p.zma");
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(w.FindFile(tree / "later")->childCount, 20u);
}

TEST(BackupRun, CancelDuringALargeFileLeavesNoArchive)
{
    CScratchDir work, tree;
    MakeFile(tree / "small.txt", TextBytes(100, 1));
    MakeFile(tree / "big.bin", RandomBytes(6 << 20, 2));
    MakeFile(tree / "after.txt", TextBytes(100, 3));
    ResetJob(1, 1, 1, 0);
    AddPath(tree / "small.txt");
    AddPath(tree / "big.bin");
    AddPath(tree / "after.txt");
    ProgressPage page;
    g_cancelDuring = tree / "big.bin";
    CBackup* b = RunOnPage(page, work / "c.zma", true);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_bCancel, 1);
    delete b;
    EXPECT_EQ(g_bEngineBusy, 0);
    EXPECT_FALSE(FileExistsAt(work / "c.zma"));
    EXPECT_EQ(page.LogLines(), std::vector<std::string>{"Добавлен файл " + tree / "small.txt"});
    EXPECT_TRUE(g_wizButtons.empty());
    // The displays keep their last state.
    EXPECT_EQ(page.Text(page.current), tree / "big.bin");
    EXPECT_EQ(g_currentTexts.back(), tree / "big.bin");
}

TEST(BackupRun, ArchiveThatCannotBeCreatedIsReported)
{
    CScratchDir work;
    ResetJob(1, 0, 0, 0);
    AddPath(work / "x");
    MakeFile(work / "x", {});
    std::string target = work / "no such dir\\a.zma";
    ProgressPage page;
    CBackup* b = RunOnPage(page, target);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_nResult, CBackup::RESULT_CREATE_FAILED);
    delete b;
    EXPECT_EQ(page.LogLines(), std::vector<std::string>{"Ошибка создания архива " + target});
    EXPECT_EQ(g_wizButtons, std::vector<LPARAM>{PSWIZB_FINISH});
    EXPECT_EQ(g_bEngineBusy, 0);

    // A directory in the way is not touched.
    MakeDirs(work / "taken.zma");
    MakeFile(work / "taken.zma\\inside", MakeBytes({1, 2, 3}));
    BackupOutcome o = RunBackup(work / "taken.zma");
    EXPECT_EQ(o.result, CBackup::RESULT_CREATE_FAILED);
    EXPECT_EQ(ReadFileBytes(work / "taken.zma\\inside"), MakeBytes({1, 2, 3}));
}

TEST(BackupRun, AFailedAllocationInsideTheJobRemovesTheArchive)
{
    // The output throws as an allocation would at the first log line, when the
    // archive is half written, and again at the line that reports it. Nothing
    // may leave the thread: the archive goes, the busy byte is cleared.
    CScratchDir work;
    ResetJob(1, 1, 1, 0);
    MakeFile(work / "src\\a.txt", TextBytes(5000, 1));
    MakeFile(work / "src\\b.txt", TextBytes(5000, 2));
    AddPath(work / "src\\a.txt");
    AddPath(work / "src\\b.txt");
    CLineRecorder recorder;
    recorder.throwAtLine = 0;
    CBackup* b = new CBackup;
    b->SetOutput(&recorder);
    b->SetArchivePath((work / "a.zma").c_str());
    EXPECT_EQ(b->Run(), 0);
    EXPECT_EQ(b->m_nResult, CBackup::RESULT_NO_MEMORY);
    delete b;
    EXPECT_FALSE(FileExistsAt(work / "a.zma"));
    EXPECT_EQ(g_bEngineBusy, 0);

    // When only the first throws, the second line says what happened.
    struct OnceThrowing : CLineRecorder {
        bool thrown = false;
        void AddLine(const char* text, int) override
        {
            if (!thrown) {
                thrown = true;
                throw std::bad_alloc();
            }
            lines.push_back(text);
        }
    } once;
    b = new CBackup;
    b->SetOutput(&once);
    b->SetArchivePath((work / "b.zma").c_str());
    EXPECT_EQ(b->Run(), 0);
    delete b;
    EXPECT_EQ(once.lines, std::vector<std::string>{"Недостаточно памяти, архив удалён"});
    EXPECT_EQ(once.ended, 1);
    EXPECT_FALSE(once.success);
    EXPECT_FALSE(FileExistsAt(work / "b.zma"));
    EXPECT_EQ(g_bEngineBusy, 0);
}

TEST(BackupRun, ArchiveGrowingPastTheBlockLimitIsRemoved)
{
    CScratchDir work, tree;
    MakeFile(tree / "a.txt", TextBytes(1000, 1));
    MakeFile(tree / "b.txt", TextBytes(1000, 2));
    ResetJob(1, 0, 0, 0);
    AddPath(tree / "a.txt");
    AddPath(tree / "b.txt");
    ASSERT_EQ(RunBackup(work / "full.zma").result, CBackup::RESULT_OK);
    WalkedArchive w = WalkArchiveFile(work / "full.zma");
    ASSERT_TRUE(w.ok);
    size_t secondBlock = w.FindFile(tree / "b.txt")->codeOffset - 8;

    BackupOutcome o = RunBackup(work / "limited.zma", secondBlock);
    EXPECT_EQ(o.result, CBackup::RESULT_TOO_LARGE);
    EXPECT_FALSE(FileExistsAt(work / "limited.zma"));
    EXPECT_EQ(o.log, (std::vector<std::string>{
                         "Добавлен файл " + tree / "a.txt",
                         "Ошибка записи архива: размер превышает 4 ГБ, архив удалён"}));
}

// ---- zmcli archive ----

namespace {

// A console program's output without its carriage returns.
std::string ReadOutput(const std::string& path)
{
    std::string s = ReadText(path);
    std::string out;
    for (char c : s)
        if (c != '\r')
            out += c;
    return out;
}

int RunCli(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    CScratchDir capture;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    std::fflush(stdout);
    std::fflush(stderr);
    int savedOut = _dup(1), savedErr = _dup(2);
    FILE* fo = std::fopen((capture / "out").c_str(), "wb");
    FILE* fe = std::fopen((capture / "err").c_str(), "wb");
    _dup2(_fileno(fo), 1);
    _dup2(_fileno(fe), 2);
    int rc = ArchiveCommand((int)argv.size(), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    _dup2(savedOut, 1);
    _dup2(savedErr, 2);
    _close(savedOut);
    _close(savedErr);
    std::fclose(fo);
    std::fclose(fe);
    out = ReadOutput(capture / "out");
    err = ReadOutput(capture / "err");
    return rc;
}

} // namespace

TEST(ArchiveCommand, ItemsInCommandLineOrder)
{
    CScratchDir work, tree;
    CTestKey key("BackupCli");
    key.SetValue("", "v", REG_SZ, MakeBytes({'v', 0}));
    MakeFile(tree / "d\\in.txt", TextBytes(500, 1));
    MakeFile(tree / "file.txt", TextBytes(50, 2));
    std::string out, err;
    int rc = RunCli({work / "a.zma", "-a", tree / "file.txt", "HKEY_CURRENT_USER\\" + key.Path(),
                     tree / "d\\", "-t", tree / "nothing.txt"},
                    out, err);
    EXPECT_EQ(rc, 0) << err;
    // Files first, then keys: the sections come in that order.
    EXPECT_EQ(out, "Добавлен файл " + tree / "file.txt" + "\n" +
                       "Добавлен каталог " + tree / "d\\" + "\n" +
                       "Добавлен ключ HKEY_CURRENT_USER\\" + key.Path() + "\n");
    EXPECT_EQ(err, "Пропущен (не найден): " + tree / "nothing.txt" + "\n");
    Bytes b = ReadFileBytes(work / "a.zma");
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok) << w.error;
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "01 01 01 01 ");
    ASSERT_NE(w.FindFile(tree / "d\\in.txt"), nullptr);
    Bytes data;
    ASSERT_TRUE(ExpandRecord(b, *w.FindFile(tree / "d\\in.txt"), data));
    EXPECT_EQ(data, TextBytes(500, 1));
    EXPECT_NE(w.FindValue(HKCU_CODE, key.Path(), "v"), nullptr);
    EXPECT_LT(w.FindFile(tree / "file.txt")->offset, w.FindFile(tree / "d")->offset);
}

TEST(ArchiveCommand, SectionFlagsFollowTheItems)
{
    CScratchDir work;
    MakeFile(work / "f", {});
    std::string out, err;
    ASSERT_EQ(RunCli({work / "files.zma", work / "f"}, out, err), 0);
    Bytes b = ReadFileBytes(work / "files.zma");
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "01 00 00 00 ");
    ASSERT_EQ(RunCli({work / "reg.zma", "HKEY_CURRENT_CONFIG", "-t"}, out, err), 0);
    b = ReadFileBytes(work / "reg.zma");
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 12)), "00 00 01 01 ");
    EXPECT_EQ(out, "Добавлен ключ HKEY_CURRENT_CONFIG\\\n");
    WalkedArchive w = WalkArchive(b);
    ASSERT_TRUE(w.ok);
    ASSERT_EQ(w.keyCount, 1u);
    EXPECT_EQ(w.keys[0].root, 0x80000005u);
}

TEST(ArchiveCommand, RelativePathsAreMadeFull)
{
    CScratchDir work;
    MakeFile(work / "rel.txt", TextBytes(5, 1));
    MakeDirs(work / "sub");
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(work.Path().c_str());
    std::string out, err;
    int rc = RunCli({"r.zma", "rel.txt", "sub\\"}, out, err);
    SetCurrentDirectoryA(cwd);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "Добавлен файл " + work / "rel.txt" + "\nДобавлен каталог " + work / "sub\\" +
                       "\n");
    EXPECT_TRUE(FileExistsAt(work / "r.zma"));
}

TEST(ArchiveCommand, BadUsage)
{
    CScratchDir work;
    std::string out, err;
    EXPECT_EQ(RunCli({}, out, err), 2);
    EXPECT_NE(err.find("usage"), std::string::npos);
    EXPECT_EQ(RunCli({work / "a.zma"}, out, err), 2);
    EXPECT_EQ(RunCli({work / "a.zma", "-x", "C:\\"}, out, err), 2);
    EXPECT_EQ(RunCli({work / "a.zma", "\\\\server\\share\\f"}, out, err), 2);
    EXPECT_EQ(RunCli({work / "a.zma", "HKEY_CURRENT_USER\\" + std::string(300, 'k')}, out, err), 2);
    EXPECT_FALSE(FileExistsAt(work / "a.zma"));
}

TEST(ArchiveCommand, MoreThan65535ItemsAreRefused)
{
    CScratchDir work;
    std::vector<std::string> args = {work / "many.zma"};
    for (int i = 0; i < 65536; i++)
        args.push_back("HKEY_CURRENT_USER\\ZelmoraNoSuchKey" + std::to_string(i));
    std::string out, err;
    EXPECT_EQ(RunCli(args, out, err), 2);
    EXPECT_NE(err.find("65535"), std::string::npos) << err;
    EXPECT_FALSE(FileExistsAt(work / "many.zma"));

    args.resize(65536); // 65,535 items fit
    args.back() = "HKEY_CURRENT_USER\\ZelmoraNoSuchKey";
    std::vector<std::string> files = {work / "many.zma"};
    MakeFile(work / "f", {});
    for (int i = 0; i < 65536; i++)
        files.push_back(work / "f");
    EXPECT_EQ(RunCli(files, out, err), 2);
    EXPECT_NE(err.find("65535"), std::string::npos) << err;
    EXPECT_FALSE(FileExistsAt(work / "many.zma"));
}

TEST(ArchiveCommand, UnreadableFilesAreListedOnStandardError)
{
    CScratchDir work, tree;
    MakeFile(tree / "locked.bin", RandomBytes(100, 1));
    MakeFile(tree / "fine.bin", RandomBytes(100, 2));
    HANDLE lock = CreateFileA((tree / "locked.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::string out, err;
    int rc = RunCli({work / "u.zma", tree.Path()}, out, err);
    CloseHandle(lock);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "Добавлен каталог " + tree.Path() + "\n");
    EXPECT_EQ(err, "Не удалось прочитать: " + tree / "locked.bin" + "\n");
}

TEST(ArchiveCommand, ArchiveThatCannotBeCreatedExitsWithOne)
{
    CScratchDir work;
    MakeFile(work / "f", {});
    std::string out, err;
    std::string target = work / "missing dir\\a.zma";
    EXPECT_EQ(RunCli({target, work / "f"}, out, err), 1);
    EXPECT_EQ(out, "Ошибка создания архива " + target + "\n");
}
