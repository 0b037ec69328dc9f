// The settings dialog: four priority lists, the settings editor's path and the
// three default folders. There is no OK or Cancel: every change is stored and
// saved at once; the dialog closes with its caption's close box. Changing the
// editor's path enables or greys the main window's "Редактор настроек Windows".
#pragma once

#include "app/Settings.h"
#include "framework/Dialog.h"

class CSettingsDlg : public CDialog {
public:
    // menuWindow: the window whose menu carries the settings-editor command.
    explicit CSettingsDlg(CSettings& settings, CWnd* menuWindow = nullptr);

    CWnd* m_pMenuWnd;

protected:
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnCommand(UINT id, UINT code, HWND hCtl) override;
    void OnOK() override;

    // Shows the stored values in the controls.
    void ShowSettings();
    void OnPriorityChange(UINT id);
    void OnEditChange(UINT id);
    void OnBrowseProgram();
    void OnBrowseFolder(UINT editId);
    void UpdateEditorCommand() const;

    CSettings& m_Settings;
};
