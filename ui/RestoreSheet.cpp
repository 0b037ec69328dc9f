#include "ui/RestoreSheet.h"

CRestoreSheet::CRestoreSheet()
{
    AddPage(&m_WelcomePage);
    AddPage(&m_ArchivePage);
    AddPage(&m_ContentsPage);
    AddPage(&m_OptionsPage);
    AddPage(&m_ProgressPage);
}
