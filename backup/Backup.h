// Archive writer: a worker thread that writes one archive (.zma) from the job
// state (ArchiveFlags, the path list, the key list). It counts the work first,
// writes the header, the files section and the registry section, reusing the
// records of shared ancestors and patching every count in place, and reports
// through its job output (log lines, current item, item and job progress).
#pragma once

#include "backup/BlockCoder.h"
#include "base/ArchiveSums.h"
#include "base/ControlOutput.h"
#include "compress/Compress.h"

#include <memory>
#include <string>
#include <vector>

class CBackup : public CCompress {
    DECLARE_DYNCREATE(CBackup)
public:
    // Kinds of record that make a progress step; each remembers its own last
    // percentage shown.
    enum { STEP_DIRECTORY = 0, STEP_FILE = 1, STEP_KEY = 2 };
    // Outcome of a job.
    enum {
        RESULT_OK = 0, RESULT_CREATE_FAILED = 1, RESULT_WRITE_FAILED = 2, RESULT_TOO_LARGE = 3,
        RESULT_NO_MEMORY = 4
    };
    // Deepest chain of open ancestor records: a path of fewer than MAX_PATH
    // characters has at most MAX_PATH / 2 components, plus the root record.
    enum { MAX_ANCESTORS = MAX_PATH / 2 + 2 };
    // A block must start below this offset, and end below 4 GiB: the readers
    // hold archive offsets in 32 bits.
    enum : DWORD { BLOCK_LIMIT = 0xFFFFFFF0u };

    CBackup();
    ~CBackup() override;

    BOOL InitInstance() override;
    int Run() override;

    // Reports to the page and its controls (any may be null) and empties the log list.
    void SetControls(CWnd* pPage, CWnd* pCurrentItem, CListCtrl* pLog, CProgressCtrl* pItemProgress,
                     CProgressCtrl* pTotalProgress, CWnd* pItemPercent, CWnd* pTotalPercent);
    // Reports to another output (the console, a test's record); null for none.
    void SetOutput(CJobOutput* pOutput) { m_pOutput = pOutput; }
    // Replaces m_pszArchivePath by a heap copy of path.
    void SetArchivePath(const char* path);

    // Files section. path: a full path ("C:\A\x.txt"; directories end in a
    // backslash, "C:\" is a whole drive).
    void WriteDirectoryChain(const char* path);
    void WriteDirectoryTree(const char* path);
    void WriteFileRecord(const char* path);
    // Registry section. path: the key path below the root, empty for the root.
    void WriteRootKey(DWORD root);
    void WriteKeyChain(DWORD root, const char* path);
    void WriteKeyTree(DWORD root, const char* path);
    // Writes the value at index of the open key: 1 when written, 0 when there is
    // no further value, -1 when this one was passed over (name too long for a
    // record, data unreadable).
    int WriteValueRecord(HKEY key, DWORD index);

    // A registry value as read: its name, type and data.
    struct ValueData {
        std::string name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    // Reads the value at index of the open key: 1, 0 or -1 as WriteValueRecord.
    int ReadValue(HKEY key, DWORD index, ValueData& value);
    // Writes a value record; its block as coded ahead when coded is given.
    void WriteValue(const ValueData& value, const CBlockCoder::Result* coded);

    HANDLE m_hArchive;
    DWORD m_nProgressTotal;
    DWORD m_nProgressDone;
    char* m_pszArchivePath;

    // Outcome of Run (RESULT_...): anything but RESULT_OK means the archive was
    // removed and the log says why.
    int m_nResult;
    // Items of the lists that did not exist and were passed over.
    std::vector<std::string> m_skippedItems;
    // What could not be read: files stored empty or shortened, directories that
    // could not be listed, keys that could not be opened, entries whose path is
    // too long to be stored.
    std::vector<std::string> m_unreadable;
    // Offset at or above which no block may begin (BLOCK_LIMIT; lowered by tests).
    unsigned long long m_nBlockLimit;
    // Threads that code the files' blocks ahead of the writer: 1 (or 0) for
    // none, the writer coding each block itself. The archive is the same byte
    // for byte either way (the threads code in the writer's m_encodeMode). The
    // processors of the machine unless set.
    unsigned m_nCodingThreads;
    // Most bytes the coding threads held at once in the last job.
    unsigned long long m_nPeakHeld;
    // What the checksum file beside the archive will hold, and whether it was
    // written (a job whose checksum file could not be written keeps its archive).
    CArchiveSums m_sums;
    bool m_bSumsWritten;
    // Bytes read ahead and coded but not yet written, at most (one file more
    // per thread may be in work when the cap is reached).
    enum : DWORD { READ_AHEAD_CAP = 64u << 20 };
    // Values of at least this size are coded on the coding threads.
    enum : DWORD { LARGE_VALUE = 64u << 10 };
    // At most this many of one key's values are coded ahead.
    enum { MAX_VALUES_AHEAD = 256 };

    // Last overall percentage shown for each kind of step.
    static DWORD s_nLastPercent[3];

private:
    struct AncestorEntry {
        char szPath[MAX_PATH];
        DWORD dwRoot;
        DWORD nCount;            // children (directories) or subkeys (keys) written so far
        DWORD nValues;           // values (keys)
        unsigned long long nOffset; // offset of the count field (keys: subkey count)
        BYTE bPending;           // written with a count of 1 for a child not yet appended
    };

    bool Stopped() const { return m_bCancel || m_nResult != RESULT_OK; }
    void WriteArchive();
    void CountWork();
    void WriteFilesSection();
    // A file's block as the coding threads made it.
    void WriteCodedBlock(const CBlockCoder::Result& coded);
    void WriteRegistrySection();
    void FinishJob();
    // Writes the checksum file beside the finished archive; false when it cannot.
    bool WriteSums();

    // Raw output; a failed write ends the job.
    void Write(const void* data, DWORD size);
    void WriteByte(BYTE v) { Write(&v, 1); }
    void WriteWord(WORD v) { Write(&v, 2); }
    void WriteDword(DWORD v) { Write(&v, 4); }
    void WriteName(const char* name, size_t length);
    unsigned long long Position();
    void PatchDwords(unsigned long long offset, const DWORD* values, int count);
    bool BlockMayStart();
    void CheckStream();

    // Writes a directory record up to its child count (written as count) and
    // returns the offset of the count.
    unsigned long long WriteDirectoryHead(const char* name, const char* attributePath, DWORD count);
    unsigned long long WriteKeyHead(const char* name, DWORD root, DWORD subkeys, DWORD values);
    // The open ancestor chain: keeps the first depth entries, dropping the
    // records whose subtrees the next append closes.
    void TruncateAncestors(int depth);
    bool PushAncestor(const char* path, DWORD root, DWORD count, unsigned long long offset,
                      BYTE pending);
    // The deepest kept ancestor gains one direct child.
    void AddChildToLastAncestor();
    void WriteKeyContents(HKEY key, DWORD root, const std::string& path, DWORD& subkeys,
                          DWORD& values);
    void WriteSubkeyTree(HKEY parent, DWORD root, const char* name, const std::string& path);
    void WriteValuesAhead(HKEY key, DWORD root, const std::string& path, DWORD& values);
    void ValueUnreadable(DWORD root, const std::string& path, DWORD index);
    void ProgressStep(int kind);
    void ShowCurrentItem(const char* text);
    void AddLogLine(const char* text);
    void Unreadable(const std::string& what);

    // The page's controls, the output unless SetOutput chose another.
    CControlOutput m_controls;

    std::unique_ptr<CBlockCoder> m_pCoder;
    unsigned long long m_nValueTokens; // names of the values coded ahead

    AncestorEntry m_ancestors[MAX_ANCESTORS];
    int m_nAncestors;
    DWORD m_nTopLevel;
};
