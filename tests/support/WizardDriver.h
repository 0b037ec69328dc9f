// Driving a modal wizard sheet of the test's thread from a second thread, as a
// user would: waits for states, the sheet's buttons pressed (PSM_PRESSBUTTON)
// and read back, controls of the current page clicked (BM_CLICK).
#pragma once

#include "framework/Platform.h"

#include <functional>
#include <string>
#include <thread>

// A thread of its own, on the desktop of the calling thread, running work.
std::thread Driver(std::function<void()> work);
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
