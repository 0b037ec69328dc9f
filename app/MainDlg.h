// The main window's child dialog: four picture buttons, each opening its
// wizard modally (archiving, restoring, scanning, comparing). It never closes
// on its own: Enter and Escape do nothing.
#pragma once

#include "framework/Dialog.h"
#include "ui/ArchiveSheet.h"
#include "ui/CompareSheet.h"
#include "framework/ImageList.h"
#include "ui/RestoreSheet.h"
#include "ui/ScanSheet.h"
#include "ui/WizardSheet.h"

class CMainDlg : public CDialog {
public:
    enum Wizard { WIZARD_ARCHIVE, WIZARD_RESTORE, WIZARD_SCAN, WIZARD_COMPARE, WIZARD_COUNT };

    CMainDlg();
    ~CMainDlg() override;

    // The four wizard sheets, living as long as the dialog.
    CWizardSheet* GetWizard(Wizard which) const { return m_pWizards[which]; }
    // Shows a wizard modally; the result of the run is not used.
    void ShowWizard(Wizard which);

    CImageList m_ImageList;
    CArchiveSheet m_ArchiveSheet;
    CRestoreSheet m_RestoreSheet;
    CScanSheet m_ScanSheet;
    CCompareSheet m_CompareSheet;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code, HWND hCtl) override;
    void OnDestroy() override;
    void OnOK() override;
    void OnCancel() override;

    CWizardSheet* m_pWizards[WIZARD_COUNT];
    HICON m_hIcons[WIZARD_COUNT];
};
