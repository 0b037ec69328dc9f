// Helpers of the window tests: message pumping with a bound, menu dumps and a
// driver thread that works a modal dialog from outside.
#pragma once

#include "framework/WinApp.h"

#include <functional>
#include <string>
#include <vector>

// Dispatches messages (through the application's keyboard handling) until the
// condition holds or the time runs out; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches what is waiting now.
void PumpPending();

// Command identifiers of a menu's items in order: 0 for a separator, -1 for a
// pop-up.
std::vector<int> MenuIds(HMENU menu);
// Item texts in order ("-" for a separator).
std::vector<std::string> MenuTexts(HMENU menu);

// Puts the calling thread on the desktop of another thread (a new thread
// need not start on the desktop the process was started on).
void UseDesktopOfThread(DWORD threadId);

// A top-level window of this process with the given caption, waited for.
HWND WaitForWindow(const char* caption, DWORD timeoutMs = 20000);
