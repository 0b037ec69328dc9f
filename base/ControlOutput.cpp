#include "base/ControlOutput.h"

#include <cstdio>
#include <prsht.h>

CControlOutput::CControlOutput()
    : m_pCancel(nullptr), m_pPage(nullptr), m_pList(nullptr), m_pCurrentItem(nullptr),
      m_pItemBar(nullptr), m_pItemPercent(nullptr), m_pJobBar(nullptr), m_pJobPercent(nullptr),
      m_pSuccessButtons(), m_nSuccessButtons(0), m_nFirstLine(-1), m_bRepaint(false)
{
}

void CControlOutput::EnableOnSuccess(CWnd* pButton)
{
    if (pButton && m_nSuccessButtons < MAX_SUCCESS_BUTTONS)
        m_pSuccessButtons[m_nSuccessButtons++] = pButton;
}

void CControlOutput::Repaint() const
{
    if (m_bRepaint && m_pPage && m_pPage->m_hWnd)
        ::UpdateWindow(m_pPage->m_hWnd);
}

void CControlOutput::AddLine(const char* text, int image)
{
    if (Cancelled())
        return;
    if (m_pList) {
        int index = m_pList->AddLine(text, image);
        if (m_nFirstLine < 0)
            m_nFirstLine = index;
    }
    Repaint();
}

void CControlOutput::SetLineImage(int line, int image)
{
    if (Cancelled() || !m_pList || m_nFirstLine < 0)
        return;
    m_pList->SetItemImage(m_nFirstLine + line, image);
}

void CControlOutput::ClearLines()
{
    if (Cancelled())
        return;
    if (m_pList)
        m_pList->DeleteAllItems();
    m_nFirstLine = -1;
}

void CControlOutput::SetCurrentItem(const char* text)
{
    if (Cancelled())
        return;
    if (m_pCurrentItem)
        m_pCurrentItem->SetWindowText(text);
    Repaint();
}

void CControlOutput::ShowProgress(CProgressCtrl* pBar, CWnd* pPercent, int pos, int percent)
{
    if (percent < 0) {
        if (pBar)
            pBar->SetPos(0);
        if (pPercent)
            pPercent->SetWindowText("");
        return;
    }
    if (!pBar)
        return;
    pBar->SetPos(pos);
    if (pPercent) {
        char text[16];
        std::snprintf(text, sizeof text, "%u%%", (unsigned)percent);
        pPercent->SetWindowText(text);
    }
}

void CControlOutput::SetItemProgress(int tenths)
{
    if (!Cancelled())
        ShowProgress(m_pItemBar, m_pItemPercent, tenths, tenths < 0 ? -1 : tenths * 10);
}

void CControlOutput::SetJobProgress(int percent)
{
    if (!Cancelled())
        ShowProgress(m_pJobBar, m_pJobPercent, percent, percent);
}

void CControlOutput::JobEnded(bool success)
{
    if (Cancelled())
        return;
    PostFinish(m_pPage);
    if (success)
        for (int i = 0; i < m_nSuccessButtons; i++)
            if (m_pSuccessButtons[i]->m_hWnd)
                m_pSuccessButtons[i]->EnableWindow(TRUE);
}

void CControlOutput::PostFinish(CWnd* pPage)
{
    if (!pPage || !pPage->m_hWnd)
        return;
    HWND sheet = ::GetParent(pPage->m_hWnd);
    if (sheet)
        ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
}
