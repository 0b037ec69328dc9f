// The real main window, created over a settings file of a scratch folder, for
// the window tests of the shell; and the means to work the modal windows it
// opens from a second thread.
#pragma once

#include "app/MainWnd.h"
#include "framework/WinApp.h"
#include "tests/app/SystemCallRecorder.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Settings to store before the window is created.
    virtual void PrepareSettings() {}
    // Ends the splash at once instead of waiting for its timer.
    void SkipSplash();
    UINT MenuState(UINT id) const { return ::GetMenuState(wnd->GetMenu(), id, MF_BYCOMMAND); }
    HWND Dialog() const { return wnd->m_MainDlg.m_hWnd; }
    // Sends the main window a command (or a system command, with message
    // WM_SYSCOMMAND) that runs a modal window, while drive
    // works that window from a thread of its own on this thread's desktop. A
    // window the driver leaves open is cancelled after timeoutMs.
    void RunModal(UINT command, const std::function<void()>& drive, DWORD timeoutMs = 15000,
                  UINT message = WM_COMMAND);

    CWinApp app;
    CScratchDir dir;
    std::string ini;
    CSettings settings;
    CMainWnd* wnd = nullptr;
};

// A visible top-level window owned by the given one, or null.
HWND OwnedPopup(HWND owner);
// Cancels the innermost dialog over the main window after timeoutMs, so that
// a failed driver never leaves a modal loop running; KillTimer on the result
// ends the guard.
UINT_PTR GuardModal(HWND owner, DWORD timeoutMs);
