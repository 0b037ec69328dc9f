// The settings dialog: four priority lists, the settings editor's path and the
// three default folders. There is no OK or Cancel: every change is stored and
// saved at once; the dialog closes with its caption's close box. Changing the
// editor's path enables or greys the main window's "Редактор настроек Windows".
#pragma once

#include "base/Settings.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/Edit.h"

class CSettingsDlg : public CDialog {
public:
    // menuWindow: the window whose menu carries the settings-editor command.
    explicit CSettingsDlg(CSettings& settings, CWnd* menuWindow = nullptr);

    CWnd* m_pMenuWnd;

    // The four priority lists and the four path edits, in the order of the
    // tables in SettingsDlg.cpp.
    enum { PRIORITIES = 4, PATHS = 4 };

protected:
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnOK() override;

    // CBN_SELCHANGE of a priority list.
    void OnPriorityChange(UINT id);
    // EN_CHANGE of a path edit.
    void OnPathChange(UINT id);
    // BN_CLICKED of the "..." beside the editor's path.
    void OnBrowseEditor();
    // BN_CLICKED of the "..." beside a folder.
    void OnBrowseFolder(UINT id);

    // Shows the stored values in the controls.
    void ShowSettings();
    void UpdateEditorCommand() const;

    CSettings& m_Settings;
    CComboBox m_Priority[PRIORITIES];
    CEdit m_Path[PATHS];
};
