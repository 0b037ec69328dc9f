// Scanner: writes a report (.zmr) of the chosen directory trees, registry roots,
// settings files and DOS start-up files, one section per kind, each entry's
// descriptor patched in place once its record block is written. The directory and
// registry walks are also used in place by other engines: to count what they are
// about to archive (mode 2) and to empty a directory before restoring into it
// (mode 1).
#pragma once

#include "base/ControlOutput.h"
#include "base/RootKeys.h"
#include "framework/WinThread.h"

class CScan : public CWinThread {
    DECLARE_DYNCREATE(CScan)
public:
    enum { MODE_RECORD = 0, MODE_DELETE = 1, MODE_COUNT = 2 };
    // Record types of a report.
    enum : BYTE {
        REC_DIRECTORY = 1, REC_FILE = 2, REC_KEY = 3, REC_VALUE = 4, REC_LINE = 6
    };
    // Images of the progress list lines.
    enum { IMAGE_RUNNING = 0, IMAGE_DONE = 1, IMAGE_PENDING = 2 };
    enum { VALUE_NAME_SIZE = 260, VALUE_DATA_SIZE = 4096, WRITE_BUFFER_SIZE = 65536 };

    CScan();
    ~CScan() override;

    BOOL InitInstance() override;
    int Run() override;

    // Reports to the owner page (its sheet gets the finish notification), the
    // progress list and the status text; any of them may be null.
    void SetTargets(CWnd* pPage, CListCtrl* pList, CWnd* pStatus);
    // Reports to another output (the console, a test's record); null for none.
    void SetOutput(CJobOutput* pOutput) { m_pOutput = pOutput; }
    // Replaces m_pszReportPath by a heap copy of path (null clears it).
    void SetReportPath(const char* path);

    // Walks the tree below path: mode 0 writes its records to the report, mode 1
    // deletes everything in it and then the directory itself, mode 2 counts its
    // entries into m_nRecords. Links and junctions are never walked into.
    void ScanDirectory(const char* path, int mode);
    // Walks the key tree below root at the relative path (empty for the root):
    // mode 0 writes key and value records, mode 2 counts the keys.
    void ScanKey(HKEY root, const char* path, int mode);
    // Writes one line record per line of the text file.
    void ScanTextFile(const char* path);

    HANDLE m_hReport;
    BYTE m_recType;
    WORD m_recLen;
    DWORD m_nRecords;
    volatile BYTE m_bCancel;
    char* m_pszReportPath;

    // Set when the report could not be created or a write to it failed (the
    // partial file is then removed at the end of Run).
    BYTE m_bReportFailed;

private:
    void ScanJob();
    void SetLineImage(int line, int image);
    void SetStatusText(const char* text);
    void WriteSection(int section, int firstLine);
    int SectionEntryCount(int section) const;
    void EntryName(int section, int index, char* name) const;
    void WriteEntryRecords(int section, int index);

    void WriteBytes(const void* data, DWORD size);
    void WriteWord(WORD value) { WriteBytes(&value, 2); }
    void WriteDword(DWORD value) { WriteBytes(&value, 4); }
    // Type, u16 name length and name; false (nothing written) when the name is
    // longer than a u16 length can tell.
    bool BeginRecord(BYTE type, const char* name, size_t length);
    bool Flush();
    bool PatchDescriptor(DWORD position, DWORD start, DWORD length, DWORD count);
    void WriteTextLine(const BYTE* line, size_t length);
    static bool IsLinkedDirectory(const char* path);
    // True when full (the entry name in the directory whose resolved path is
    // finalDir, ending in a backslash) resolves to itself, not through a link.
    static bool IsOwnFile(const char* finalDir, const char* full, const char* name);

    CJobOutput* m_pOutput;             // where the lines go, null for nowhere
    CControlOutput m_controls;         // the page's controls (SetTargets)
    ULONGLONG m_nReportSize;           // bytes written to the report (buffer included)
    BYTE* m_pWriteBuffer;              // write buffer of Run, null outside it
    DWORD m_nWriteFill;
    char m_szValueName[VALUE_NAME_SIZE];
    BYTE m_valueData[VALUE_DATA_SIZE];
};
