#include "ui/CompareSheet.h"

CCompareSheet::CCompareSheet(CArchiveSheet* pArchiveSheet) : m_ResultPage(&m_FilesPage, pArchiveSheet)
{
    AddPage(&m_WelcomePage);
    AddPage(&m_FilesPage);
    AddPage(&m_ResultPage);
}
