// The job output over a progress page's controls: lines in its list view, the
// current item in a label, the item and job progress bars with their "%u%%"
// labels. At the end of a job that was not cancelled the page's sheet gets the
// Finish button, and on success the buttons named with EnableOnSuccess are
// enabled. After the engine's cancel flag is set no control is touched again: the
// page may be gone. Any control may be null.
#pragma once

#include "base/JobOutput.h"
#include "framework/ListCtrl.h"
#include "framework/ProgressCtrl.h"

class CControlOutput : public CJobOutput {
public:
    enum { MAX_SUCCESS_BUTTONS = 4 };

    CControlOutput();

    // The engine's cancel flag, read before every control is touched.
    void SetCancelFlag(const volatile unsigned char* pCancel) { m_pCancel = pCancel; }
    void SetPage(CWnd* pPage) { m_pPage = pPage; }
    void SetList(CListCtrl* pList) { m_pList = pList; }
    void SetCurrentItemLabel(CWnd* pLabel) { m_pCurrentItem = pLabel; }
    void SetItemBar(CProgressCtrl* pBar, CWnd* pPercent) { m_pItemBar = pBar; m_pItemPercent = pPercent; }
    void SetJobBar(CProgressCtrl* pBar, CWnd* pPercent) { m_pJobBar = pBar; m_pJobPercent = pPercent; }
    void EnableOnSuccess(CWnd* pButton);
    // Repaints the page after each change: for a job run on the window's own
    // thread, which dispatches no messages until it ends.
    void SetRepaint(bool repaint) { m_bRepaint = repaint; }

    void AddLine(const char* text, int image = NO_IMAGE) override;
    void SetLineImage(int line, int image) override;
    void ClearLines() override;
    void SetCurrentItem(const char* text) override;
    void SetItemProgress(int tenths) override;
    void SetJobProgress(int percent) override;
    void JobEnded(bool success) override;

    // Posts Finish to the sheet of a wizard page (its parent window).
    static void PostFinish(CWnd* pPage);

private:
    bool Cancelled() const { return m_pCancel && *m_pCancel; }
    void Repaint() const;
    static void ShowProgress(CProgressCtrl* pBar, CWnd* pPercent, int pos, int percent);

    const volatile unsigned char* m_pCancel;
    CWnd* m_pPage;
    CListCtrl* m_pList;
    CWnd* m_pCurrentItem;
    CProgressCtrl* m_pItemBar;
    CWnd* m_pItemPercent;
    CProgressCtrl* m_pJobBar;
    CWnd* m_pJobPercent;
    CWnd* m_pSuccessButtons[MAX_SUCCESS_BUTTONS];
    int m_nSuccessButtons;
    int m_nFirstLine; // list index of the first line added here, -1 before it
    bool m_bRepaint;
};
