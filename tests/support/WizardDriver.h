// Driving a modal wizard sheet of the test's thread from a second thread, as a
// user would: waits for states, the sheet's buttons pressed (PSM_PRESSBUTTON)
// and read back, controls of the current page clicked (BM_CLICK).
#pragma once

#include "framework/Platform.h"
#include "framework/WorkerThread.h"

#include <commctrl.h>

#include <functional>
#include <string>

// A thread of its own, on the desktop of the calling thread, running work.
std::unique_ptr<CWorkerThread> Driver(std::function<void()> work);
// Polls until done or the time is out; false on time-out.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 20000);

// The sheet's buttons Back, Next, Finish and Cancel: "+" enabled, "-" shown
// disabled, "x" hidden.
std::string SheetButtons(HWND sheet);
bool SheetButtonsBecome(HWND sheet, const std::string& expected, DWORD ms = 10000);
HWND CurrentPage(HWND sheet);
// The current page is the one with this control, waited for.
bool PageWithControl(HWND sheet, int control, DWORD ms = 20000);
// Presses a sheet button (PSBTN_*); a sheet that ends then is woken, since
// Wine's sheet loop notices its end only at its next message.
void Press(HWND sheet, int button);
// Clicks a control of the current page.
void Click(HWND sheet, int id);

// What a driver found wrong, kept for one assertion after the sheet's run (a
// driver thread cannot fail the test itself).
struct Problems {
    std::string text;
    void Check(bool ok, const std::string& what);
    // The current page is the one with the control, waited for.
    bool OnPage(HWND sheet, int control, const char* name);
    void ButtonsAre(HWND sheet, const char* expected, const std::string& where);
};

// The usual start of a run: the sheet (noted in p when there is none, and
// then null), moved past its welcome page with Next onto the page that holds
// control (noted in p when it does not come).
HWND PastWelcome(HWND sheet, Problems& p, int control, const char* page);

// Types a text into an editable combo box of the current page over what it
// holds, key by key.
void TypeInCombo(HWND sheet, int box, const std::string& text);
// The text of the message box with the caption, waited for, and the box
// closed with OK; "<no message box>" when none came.
std::string AnswerMessageBox(const char* caption);

// Tree items from the driver thread: the text, the first child whose text is
// the given one (case ignored), a check box toggled as the space bar does, and
// whether an item is checked.
std::string TreeText(HWND tree, HTREEITEM item);
HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const std::string& text);
void TreeToggle(HWND tree, HTREEITEM item);
bool TreeChecked(HWND tree, HTREEITEM item);
// Waits for the file dialog with the caption, types the path into its name
// field and confirms; true once the dialog is gone.
bool AnswerFileDialog(const char* caption, const std::string& path);
