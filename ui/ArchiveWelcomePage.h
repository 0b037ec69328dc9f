// The archiving wizard's first page (template 174): the shared welcome page.
#pragma once

#include "res/resource.h"
#include "ui/WelcomePage.h"

class CArchiveWelcomePage : public CWelcomePage {
public:
    CArchiveWelcomePage() : CWelcomePage(IDD_ARCHIVE_WELCOME) {}
};
