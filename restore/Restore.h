// Restore engine: reads an archive and puts back what it holds (directories, files
// with their contents, attributes and times, registry keys and values) in the
// places its records name. It runs as the restoring wizard's worker thread (Run,
// over the ticked records located by their offsets) or directly on the caller's
// thread over the whole archive (RestoreAll, the unattended start).
//
// Damaged or hostile archives are stopped where they break ("Архив поврежден");
// record names that are not a single path component, and top-level records that
// are not a drive, are refused with a line of their own and read past, so that an
// archive cannot make the engine write anywhere but below the places it names.
// Every other line is a failure too: the success line is written only when no
// other line was. With g_bClearFolders set, each directory record that exists on
// disk is cleared before it is restored into, except a drive's root directory.
#pragma once

#include "base/ArchiveSums.h"
#include "base/ControlOutput.h"
#include "compress/Compress.h"
#include "framework/Static.h"
#include "restore/ArchiveReader.h"

#include <string>

class CRestore : public CCompress {
    DECLARE_DYNCREATE(CRestore)
public:
    CRestore();
    ~CRestore() override;

    BOOL InitInstance() override;
    // Restores the job of the restoring wizard: the file selections of g_PathList
    // (parent path, record offset) and the registry selections of g_KeyList (root,
    // key or value, key path, record offset). Posts Finish to the page's sheet
    // unless cancelled; clears g_bEngineBusy last.
    int Run() override;

    // Reports to the page (whose parent sheet gets Finish), the current-item
    // label, the message list (emptied here), the item progress bar and its
    // percentage label. Any of them may be null.
    void SetControls(CWnd* pPage, CStatic* pCurrentItem, CListCtrl* pMessages,
                     CProgressCtrl* pProgress, CWnd* pPercent);
    // Reports to another output (the console, a test's record) instead.
    void SetOutput(CJobOutput* pOutput) { m_pOutput = pOutput; }
    // Gives the object its own heap copy of the archive's path, for Run (which
    // falls back to g_szArchiveName when none was given).
    void SetArchiveName(LPCSTR name);

    // Restores the whole archive on the calling thread: every record of the files
    // section, then every record of the registry section. The window is repainted
    // as the current item changes. The message list is not emptied first. The
    // controls are used unless SetOutput chose another output.
    void RestoreAll(CWnd* pWnd, LPCSTR archiveName, CStatic* pCurrentItem, CListCtrl* pMessages,
                    CProgressCtrl* pProgress, CWnd* pPercent);

    // Opens the archive and checks its header: the four flag bytes go into
    // ArchiveFlags and the family byte into *pOsFamily. False (after the line
    // "Ошибка открытия файла") when it cannot be opened or is not an archive.
    bool OpenArchive(LPCSTR archiveName, BYTE* pOsFamily = nullptr);
    void CloseArchive();

    // The record operations. An offset of 0 reads at the current position; any
    // other offset is sought to first.
    // One record of the files section, and for a directory all nested records.
    void RestoreFileRecord(LPCSTR parentPath, DWORD offset);
    // One key record with its values and subkeys; a null root means the root
    // stored in the record.
    void RestoreKeyRecord(HKEY root, LPCSTR parentPath, DWORD offset);
    // One value record into an open key (a null key reads the record past).
    void RestoreValueRecord(HKEY key, DWORD offset);

    // Set when the restore stopped at damage in the archive.
    bool IsDamaged() const { return m_archive.m_bDamaged; }

    // Lines written during the run; the success line is written only when there
    // is no other.
    int m_nLines;
    // The run ended with the success line: everything chosen was restored.
    bool m_bSucceeded;

    // Lines the engine writes.
    static const char* const kOpenError;
    static const char* const kSuccess;
    static const char* const kDamaged;

protected:
    // Memory for a record's packed data and a value's data; null when it cannot be
    // had (the record is then reported and skipped in place).
    virtual BYTE* AllocateBlock(DWORD size);
    virtual void FreeBlock(BYTE* block);
    // Deletes everything below the directory and the directory itself.
    virtual void ClearDirectory(LPCSTR path);

private:
    bool Stopped() const { return m_bCancel || m_archive.m_bDamaged; }
    void AddLine(const std::string& text);
    void ReportDamage();
    // The damage line for a block or an archive unlike its checksum file, which
    // leaves the reading in place.
    void ReportUnlike();
    // Whether the plain bytes of the block at the record starting at offset are
    // those the checksum file gives (true when there is none).
    bool BlockMatches(unsigned long long offset, DWORD crc) const;
    void ShowItem(LPCSTR text);
    void RestoreSelections();
    void RestoreArchive(LPCSTR archiveName);
    void ReportSuccess();

    void RestoreFileRecordAt(LPCSTR parentPath, DWORD offset);
    void RestoreDirectory(const FileRecordHead& head, const char* fullPath, bool drive);
    void RestoreFileData(const FileRecordHead& head, const char* fullPath, unsigned long long recordAt);
    void ApplyFileStamps(const FileRecordHead& head, const char* fullPath);
    void RestoreKeyRecordAt(HKEY root, LPCSTR parentPath, DWORD offset);
    void RestoreValueIntoKey(HKEY key, const char* keyDisplay, DWORD offset);

    // Read past records without restoring them: count complete records of the
    // files section, or key and value records of the registry section.
    void SkipFileRecords(unsigned long long count);
    void SkipKeyRecords(unsigned long long count);
    // Reads a record's code size and moves over its code.
    void SkipCode();

    CArchiveReader m_archive;
    CControlOutput m_controls;
    char* m_pszArchiveName;
    // The damage line has been written for this run.
    bool m_bDamageReported;
    // The archive's checksum file, when it has one.
    CArchiveSums m_sums;
    // Nesting of the record operations, 0 for a call from outside.
    int m_nDepth;
    // The key being restored into, as shown in lines about its values.
    std::string m_keyDisplay;
};
