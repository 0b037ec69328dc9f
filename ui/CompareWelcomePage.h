// The comparing wizard's first page (template 177): the shared welcome page,
// without the close-all box.
#pragma once

#include "res/resource.h"
#include "ui/WelcomePage.h"

class CCompareWelcomePage : public CWelcomePage {
public:
    CCompareWelcomePage() : CWelcomePage(IDD_COMPARE_WELCOME) {}
};
