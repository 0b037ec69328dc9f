// The main window's child dialog: four picture buttons, each opening its
// wizard modally (archiving, restoring, scanning, comparing). It never closes
// on its own: Enter and Escape do nothing.
#pragma once

#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/PropertySheet.h"

class CMainDlg : public CDialog {
public:
    enum Wizard { WIZARD_ARCHIVE, WIZARD_RESTORE, WIZARD_SCAN, WIZARD_COMPARE, WIZARD_COUNT };

    CMainDlg();
    ~CMainDlg() override;

    // The wizard sheets, owned elsewhere and living as long as the dialog; a
    // wizard without a sheet opens nothing.
    void SetWizard(Wizard which, CPropertySheet* sheet) { m_pWizards[which] = sheet; }
    CPropertySheet* GetWizard(Wizard which) const { return m_pWizards[which]; }
    // Shows a wizard modally; the result of the run is not used.
    void ShowWizard(Wizard which);

    CImageList m_ImageList;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code, HWND hCtl) override;
    void OnDestroy() override;
    void OnOK() override;
    void OnCancel() override;

    CPropertySheet* m_pWizards[WIZARD_COUNT];
    HICON m_hIcons[WIZARD_COUNT];
};
