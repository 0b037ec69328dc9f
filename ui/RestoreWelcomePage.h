// The restoring wizard's first page (template 175): the shared welcome page.
#pragma once

#include "res/resource.h"
#include "ui/WelcomePage.h"

class CRestoreWelcomePage : public CWelcomePage {
public:
    CRestoreWelcomePage() : CWelcomePage(IDD_RESTORE_WELCOME) {}
};
