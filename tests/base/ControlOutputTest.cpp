// The job output over real controls: lines and their images, labels and bars,
// the end of a job posted to the page's sheet, and nothing touched after cancel.
#include "base/ControlOutput.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <string>

namespace {

struct Page {
    HWND sheet, page, list, label, bar, percent, button;
    Page()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        sheet = CreateWindowA("STATIC", "sheet", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
        page = CreateWindowA("STATIC", "page", WS_CHILD, 0, 0, 400, 300, sheet, nullptr, nullptr,
                             nullptr);
        list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 100, page,
                             nullptr, nullptr, nullptr);
        label = CreateWindowA("STATIC", "", WS_CHILD, 0, 110, 300, 20, page, nullptr, nullptr,
                              nullptr);
        bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 140, 200, 20, page, nullptr,
                            nullptr, nullptr);
        percent = CreateWindowA("STATIC", "", WS_CHILD, 210, 140, 60, 20, page, nullptr, nullptr,
                                nullptr);
        button = CreateWindowA("BUTTON", "go", WS_CHILD | WS_DISABLED, 0, 170, 60, 20, page,
                               nullptr, nullptr, nullptr);
        ListView_InsertColumn(list, 0, nullptr);
    }
    ~Page() { DestroyWindow(sheet); }
    std::string Text(HWND h) const
    {
        char text[256] = "";
        GetWindowTextA(h, text, sizeof text);
        return text;
    }
    // Finish notifications posted to the sheet, taken from the queue.
    int TakeFinish() const
    {
        int n = 0;
        MSG msg;
        while (PeekMessageA(&msg, sheet, PSM_SETWIZBUTTONS, PSM_SETWIZBUTTONS, PM_REMOVE))
            n += msg.lParam == PSWIZB_FINISH;
        return n;
    }
};

} // namespace

TEST(ControlOutput, LinesLabelsAndBarsOnRealControls)
{
    Page p;
    CWnd page(p.page), label(p.label), percent(p.percent), button(p.button);
    CListCtrl list(p.list);
    CProgressCtrl bar(p.bar);
    bar.SetRange(0, 10);
    list.AddLine("an earlier line");
    volatile BYTE cancel = 0;
    CControlOutput out;
    out.SetCancelFlag(&cancel);
    out.SetPage(&page);
    out.SetList(&list);
    out.SetCurrentItemLabel(&label);
    out.SetItemBar(&bar, &percent);
    out.EnableOnSuccess(&button);

    out.AddLine("one", 2);
    out.AddLine("two", 2);
    // Line numbers count the lines added here, not the list's earlier ones.
    out.SetLineImage(1, 0);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemImage(1), 2);
    EXPECT_EQ(list.GetItemImage(2), 0);
    out.SetCurrentItem("C:\\x");
    EXPECT_EQ(p.Text(p.label), "C:\\x");
    out.SetItemProgress(7);
    EXPECT_EQ(bar.GetPos(), 7);
    EXPECT_EQ(p.Text(p.percent), "70%");
    out.SetItemProgress(-1);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(p.Text(p.percent), "");

    // A failed job: Finish, the success buttons stay disabled.
    out.JobEnded(false);
    EXPECT_EQ(p.TakeFinish(), 1);
    EXPECT_FALSE(IsWindowEnabled(p.button));
    out.JobEnded(true);
    EXPECT_EQ(p.TakeFinish(), 1);
    EXPECT_TRUE(IsWindowEnabled(p.button));

    // Cancelled: no control is touched, no Finish posted.
    EnableWindow(p.button, FALSE);
    cancel = 1;
    out.AddLine("three");
    out.SetCurrentItem("C:\\y");
    out.SetItemProgress(3);
    out.ClearLines();
    out.JobEnded(true);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(p.Text(p.label), "C:\\x");
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(p.TakeFinish(), 0);
    EXPECT_FALSE(IsWindowEnabled(p.button));
}

TEST(ControlOutput, NoControlsNoPage)
{
    CControlOutput out;
    out.AddLine("x");
    out.SetLineImage(0, 1);
    out.SetCurrentItem("y");
    out.SetJobProgress(50);
    out.JobEnded(true);
    CControlOutput::PostFinish(nullptr);
}
