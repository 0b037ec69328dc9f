// Item progress on real controls: a progress bar and a text in a window.
#include "base/ControlOutput.h"
#include "compress/Compress.h"
#include "framework/Static.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_texts;
std::vector<int> g_positions;
WNDPROC g_staticProc, g_barProc;

LRESULT CALLBACK StaticSpy(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SETTEXT)
        g_texts.push_back((const char*)l);
    return CallWindowProcA(g_staticProc, h, msg, w, l);
}

LRESULT CALLBACK BarSpy(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PBM_SETPOS)
        g_positions.push_back((int)w);
    return CallWindowProcA(g_barProc, h, msg, w, l);
}

struct ProgressWindow {
    HWND frame, bar, text;
    ProgressWindow()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        frame = CreateWindowA("STATIC", "progress", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 100,
                              nullptr, nullptr, nullptr, nullptr);
        bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, frame,
                            nullptr, nullptr, nullptr);
        text = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 220, 10, 60, 20, frame, nullptr,
                             nullptr, nullptr);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
        g_staticProc = (WNDPROC)SetWindowLongPtrA(text, GWLP_WNDPROC, (LONG_PTR)StaticSpy);
        g_barProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)BarSpy);
        g_texts.clear();
        g_positions.clear();
    }
    ~ProgressWindow() { DestroyWindow(frame); }
};

std::string Joined(const std::vector<std::string>& v)
{
    std::string s;
    for (const std::string& t : v)
        s += "[" + t + "]";
    return s;
}

} // namespace

TEST(CompressProgress, TenthsShownOnTheBarAndItsText)
{
    ProgressWindow w;
    CProgressCtrl bar(w.bar);
    CStatic text(w.text);
    CCompress* c = new CCompress;
    CControlOutput controls;
    controls.SetItemBar(&bar, &text);
    controls.SetCancelFlag(&c->m_bCancel);
    c->m_pOutput = &controls;
    CScratchDir dir;
    HANDLE h = CreateFileA((dir / "p.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    Bytes data = TextBytes(100000, 2);
    CCompress::s_nLastTenth = 10; // as left by an earlier item
    c->CompressBlock(h, data.data(), (DWORD)data.size());
    EXPECT_EQ(Joined(g_texts), "[0%][10%][20%][30%][40%][50%][60%][70%][80%][90%][100%][]");
    ASSERT_FALSE(g_positions.empty());
    EXPECT_EQ(g_positions.back(), 0);
    EXPECT_EQ(g_positions[g_positions.size() - 2], 10);
    char shown[32] = "x";
    GetWindowTextA(w.text, shown, sizeof shown);
    EXPECT_STREQ(shown, "");

    // The same tenth as the last shown is not shown again; the reset still is.
    g_texts.clear();
    c->CompressBlock(h, nullptr, 0);
    EXPECT_EQ(Joined(g_texts), "[]");

    // An empty block shows 100% at once, then the reset.
    CCompress::s_nLastTenth = 3;
    g_texts.clear();
    c->CompressBlock(h, nullptr, 0);
    EXPECT_EQ(Joined(g_texts), "[100%][]");

    // Once cancelled, the controls are left alone.
    g_texts.clear();
    c->m_bCancel = 1;
    c->CompressBlock(h, data.data(), (DWORD)data.size());
    EXPECT_TRUE(g_texts.empty());
    CloseHandle(h);
    delete c;
}

TEST(CompressProgress, ExpansionMeasuresTheConsumedCode)
{
    ProgressWindow w;
    CProgressCtrl bar(w.bar);
    CStatic text(w.text);
    CScratchDir dir;
    std::string arc = dir / "e.bin";
    HANDLE h = CreateFileA(arc.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    Bytes data = RandomBytes(50000, 8);
    CCompress* c = new CCompress;
    c->CompressBlock(h, data.data(), (DWORD)data.size());
    CloseHandle(h);
    Bytes file = ReadFileBytes(arc);
    CControlOutput controls;
    controls.SetItemBar(&bar, &text);
    controls.SetCancelFlag(&c->m_bCancel);
    c->m_pOutput = &controls;
    g_texts.clear();
    CCompress::s_nLastTenth = 10;
    c->ExpandToFile(file.data() + 8, (DWORD)file.size() - 8, (dir / "x.out").c_str(), 50000);
    EXPECT_EQ(Joined(g_texts), "[0%][10%][20%][30%][40%][50%][60%][70%][80%][90%][100%][]");
    delete c;
}
