// The last page of a wizard, where its job runs: list 1036 for the engine's
// lines, and the start and cancel protocol every wizard shares.
//
// On activation the page shows a disabled Finish alone, creates the engine from
// its run-time class as a suspended thread at the priority the settings hold
// for the job, lets the derived page hand it heap copies of its strings and the
// page's controls (PrepareEngine), and resumes it. The engine posts Finish
// when it ends without being cancelled; Finish is then accepted.
//
// The page owns the engine object (it does not delete itself), so that Cancel
// can never write to an engine that is gone: Cancel sets the engine's flag only
// while its thread runs, and the object is deleted once its thread has ended.
// Only one engine runs at a time in the process: a new start, like the opening
// of any wizard (WaitForWorker), first waits for the last one to end -- a
// cancelled engine may still be finishing its current unit -- dispatching
// messages meanwhile, since the engine talks to the page's controls by sent
// messages.
#pragma once

#include "base/Settings.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "framework/WinThread.h"
#include "ui/WizardPage.h"

class CProgressPage : public CWizardPage {
public:
    enum ListStyle {
        LIST_PLAIN, // one column without heading, twice the list's client width
        LIST_STEPS  // one column "Список действий:" and the step images 117, 119, 120
    };

    CProgressPage(UINT nIDTemplate, const CRuntimeClass* pEngineClass, int CSettings::*pPriority,
                  ListStyle style = LIST_PLAIN);
    ~CProgressPage() override;

    // Waits until the last engine started by any progress page has ended and
    // deletes it; messages are dispatched while waiting.
    static void WaitForWorker();
    // The engine of the last start while it has not been deleted, else null.
    CWinThread* GetEngine() const;
    // The engine's thread still runs.
    bool IsEngineRunning() const;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;
    void OnCancel() override;

    // Gives the new, suspended engine its job: heap copies of the page's strings,
    // then the page and its controls. Returns the engine's cancel flag.
    virtual volatile BYTE* PrepareEngine(CWinThread* pEngine) = 0;

    CListCtrl m_List;
    CImageList m_StepImages;

private:
    void StartEngine();

    const CRuntimeClass* m_pEngineClass;
    int CSettings::*m_pPriority;
    ListStyle m_nListStyle;

    // The last engine started, owned until it has ended and is deleted, with
    // its cancel flag; one for the whole process.
    static CWinThread* s_pEngine;
    static volatile BYTE* s_pCancel;
    static CProgressPage* s_pOwner;
};
