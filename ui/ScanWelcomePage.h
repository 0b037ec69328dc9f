// The scanning wizard's first page (template 176): the shared welcome page.
#pragma once

#include "res/resource.h"
#include "ui/WelcomePage.h"

class CScanWelcomePage : public CWelcomePage {
public:
    CScanWelcomePage() : CWelcomePage(IDD_SCAN_WELCOME) {}
};
