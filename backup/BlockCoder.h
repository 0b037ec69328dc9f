// Reads files and codes each into one block on a few helper threads, ahead of
// the archive writer, which takes the blocks back in its own order. Every
// file's block is coded from a fresh ring, so the blocks do not depend on one
// another: a block coded here is byte for byte the block the writer would code
// itself. The bytes held (read or coded, not yet taken) stay under a cap; one
// file may always be in work, however large, but files larger than the
// writer's piece are left to the writer's piece-wise path.
#pragma once

#include "compress/LZSS.h"
#include "framework/Condition.h"
#include "framework/CriticalSection.h"
#include "framework/WorkerThread.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

class CCompress;

class CBlockCoder {
public:
    struct Result {
        DWORD dwSize;           // plain bytes read and coded
        bool bShortRead;        // the file gave fewer bytes than its size said
        std::vector<BYTE> code; // the code of those bytes
        DWORD crc;              // CRC-32 of those bytes
        // The last-access and last-write times before the file was read.
        bool bTimes;
        FILETIME access, write;
    };

    // helpers: threads (at least 1); cap: bytes held at most; largest: the
    // largest file taken (others are left to the writer); mode: how the blocks
    // are coded (the writer's own mode, so that its blocks stay the same).
    CBlockCoder(unsigned helpers, unsigned long long cap, unsigned long long largest,
                CLZSS::EncodeMode mode = CLZSS::ENCODE_GREEDY);
    // Stops the helpers (work in hand is cancelled) and waits for them.
    ~CBlockCoder();
    CBlockCoder(const CBlockCoder&) = delete;
    CBlockCoder& operator=(const CBlockCoder&) = delete;

    // Files queued but not begun, at most: the walk waits beyond.
    enum { QUEUE_AHEAD = 2048 };

    // Queues a file, whose size the caller's listing gave, if it is not too large.
    void Submit(const std::string& path, unsigned long long size);
    // Queues data already in memory (a registry value's) under a name that is
    // no file's path, to be taken back by that name.
    void SubmitData(const std::string& name, const std::vector<BYTE>& data);
    // Queues every file below dir (ending in a backslash) in the order the
    // writer walks the tree: each directory's entries as listed, a
    // subdirectory's files before the entries after it; links and paths too
    // long for the writer are not entered. The walk runs on a thread of its
    // own, at most QUEUE_AHEAD files ahead of the helpers; a walk still going
    // ends before the next one begins.
    void QueueTree(const std::string& dir);
    // Ends the walk and drops every queued job (those not taken are stale).
    void Clear();
    // Waits for the block of a queued file and hands it over: true with the
    // block; false when the file is not queued, could not be opened (the
    // writer then tries it itself), or *cancel became set while waiting. Files
    // queued before it that were never asked for are dropped.
    bool Take(const std::string& path, Result& result, const volatile BYTE* cancel);

    // Threads of the pool.
    unsigned Helpers() const { return (unsigned)m_threads.size(); }
    // Most bytes held at once so far.
    unsigned long long PeakHeld() const { return m_nPeakHeld; }

    // The number of helpers for this machine: its processors, at most 16.
    static unsigned DefaultHelpers();

private:
    struct Job {
        std::string path;
        unsigned long long weight; // bytes it holds: its data and its code
        bool started = false, done = false, abandoned = false, opened = false;
        bool inMemory = false;
        std::vector<BYTE> data; // the data of a job queued in memory
        Result result;
    };

    // Appends a job, waiting while QUEUE_AHEAD jobs wait to begin.
    void Queue(const std::shared_ptr<Job>& job);
    void HelperLoop();
    void Walk(const std::string& dir);
    void Work(Job& job, CCompress& coder);
    // Under the lock: a job's bytes are no longer held; the front job leaves the queue.
    void Release(Job& job);
    void PopFront();
    // Under the lock: the front job leaves the queue unasked for.
    void DropFront();

    CCriticalSection m_lock;
    CCondition m_changed;
    std::deque<std::shared_ptr<Job>> m_queue; // in the writer's order
    size_t m_nNext;                           // first queued job not started
    unsigned long long m_nHeld, m_nPeakHeld, m_nCap, m_nLargest;
    const CLZSS::EncodeMode m_mode;
    bool m_bStop;
    bool m_bWalkStop; // the walk is to end (a new one begins)
    std::vector<volatile BYTE*> m_cancels; // each helper's coder cancel flag
    std::vector<std::unique_ptr<CWorkerThread>> m_threads;
    std::unique_ptr<CWorkerThread> m_walker;
};
