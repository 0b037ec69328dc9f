#include "backup/BlockCoder.h"

#include "base/FileNames.h"
#include "compress/Compress.h"
#include "framework/SingleLock.h"

CBlockCoder::CBlockCoder(unsigned helpers, unsigned long long cap, unsigned long long largest,
                         CLZSS::EncodeMode mode)
    : m_nNext(0), m_nHeld(0), m_nPeakHeld(0), m_nCap(cap), m_nLargest(largest), m_mode(mode), m_bStop(false),
      m_bWalkStop(false)
{
    if (helpers < 1)
        helpers = 1;
    m_cancels.assign(helpers, nullptr);
    for (unsigned k = 0; k < helpers; k++)
        if (std::unique_ptr<CWorkerThread> t = StartWorker([this] { HelperLoop(); }))
            m_threads.push_back(std::move(t));
}

CBlockCoder::~CBlockCoder()
{
    {
        CSingleLock hold(&m_lock);
        m_bStop = true;
        for (volatile BYTE* c : m_cancels)
            if (c)
                *c = 1;
    }
    m_changed.NotifyAll();
    Clear();
    for (std::unique_ptr<CWorkerThread>& t : m_threads)
        t->Join();
}

void CBlockCoder::Clear()
{
    {
        // Whatever the last walk queued and the writer did not ask for is
        // stale now; the walk may be waiting for room behind it.
        CSingleLock hold(&m_lock);
        m_bWalkStop = true;
        while (!m_queue.empty())
            DropFront();
    }
    m_changed.NotifyAll();
    if (m_walker) {
        m_walker->Join();
        m_walker.reset();
    }
    CSingleLock hold(&m_lock);
    m_bWalkStop = false;
}

void CBlockCoder::QueueTree(const std::string& dir)
{
    Clear();
    m_walker = StartWorker([this, dir] { Walk(dir); });
}

void CBlockCoder::Walk(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsDotEntry(fd.cFileName))
            continue;
        bool directory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::string full = dir + fd.cFileName;
        if (full.size() + (directory ? 1 : 0) >= MAX_PATH)
            continue;
        if (!directory)
            Submit(full, ((unsigned long long)fd.nFileSizeHigh << 32) | fd.nFileSizeLow);
        else if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Walk(full + "\\");
        CSingleLock hold(&m_lock);
        if (m_bStop || m_bWalkStop)
            break;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

unsigned CBlockCoder::DefaultHelpers()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    unsigned n = info.dwNumberOfProcessors;
    return n < 1 ? 1 : n > 16 ? 16 : n;
}

void CBlockCoder::Submit(const std::string& path, unsigned long long size)
{
    if (size > m_nLargest)
        return;
    auto job = std::make_shared<Job>();
    job->path = path;
    job->weight = 2 * size + 64; // the data and, at most, about as much code
    Queue(job);
}

void CBlockCoder::SubmitData(const std::string& name, const std::vector<BYTE>& data)
{
    auto job = std::make_shared<Job>();
    job->path = name;
    job->inMemory = true;
    job->data = data;
    job->weight = 2 * (unsigned long long)data.size() + 64;
    Queue(job);
}

void CBlockCoder::Queue(const std::shared_ptr<Job>& job)
{
    {
        CSingleLock hold(&m_lock);
        while (!m_bStop && !m_bWalkStop && m_queue.size() - m_nNext >= QUEUE_AHEAD)
            m_changed.Wait(m_lock);
        if (m_bStop || m_bWalkStop)
            return;
        m_queue.push_back(job);
    }
    m_changed.NotifyAll();
}

void CBlockCoder::PopFront()
{
    // Jobs start in queue order: the front is started exactly when m_nNext > 0.
    if (m_nNext > 0)
        m_nNext--;
    m_queue.pop_front();
}

void CBlockCoder::DropFront()
{
    // A job in work keeps its bytes until its helper is done with it.
    Job& stale = *m_queue.front();
    if (stale.done)
        Release(stale);
    else if (stale.started)
        stale.abandoned = true;
    PopFront();
}

void CBlockCoder::Release(Job& job)
{
    m_nHeld -= job.weight;
    m_changed.NotifyAll();
}

void CBlockCoder::HelperLoop()
{
    // One coder per helper, its cancel flag known to the pool.
    CCompress coder;
    coder.m_encodeMode = m_mode;
    size_t index;
    {
        CSingleLock hold(&m_lock);
        for (index = 0; index < m_cancels.size() && m_cancels[index]; index++) {
        }
        m_cancels[index] = &coder.m_bCancel;
        if (m_bStop)
            coder.m_bCancel = 1;
    }
    for (;;) {
        std::shared_ptr<Job> job;
        {
            CSingleLock hold(&m_lock);
            // The next job starts when its bytes fit under the cap, or when
            // nothing else is held (so that a large file is never stuck).
            while (!m_bStop && !(m_nNext < m_queue.size() &&
                                 (m_nHeld == 0 || m_nHeld + m_queue[m_nNext]->weight <= m_nCap)))
                m_changed.Wait(m_lock);
            if (m_bStop)
                break;
            job = m_queue[m_nNext++];
            job->started = true;
            m_nHeld += job->weight;
            if (m_nHeld > m_nPeakHeld)
                m_nPeakHeld = m_nHeld;
        }
        Work(*job, coder);
        CSingleLock hold(&m_lock);
        job->done = true;
        if (job->abandoned)
            Release(*job);
        m_changed.NotifyAll();
    }
    CSingleLock hold(&m_lock);
    m_cancels[index] = nullptr;
}

void CBlockCoder::Work(Job& job, CCompress& coder)
{
    if (job.inMemory) {
        Result& r = job.result;
        r.dwSize = (DWORD)job.data.size();
        r.bShortRead = false;
        r.bTimes = false;
        job.opened = job.data.empty() ? !coder.m_bCancel
                                      : coder.CompressToMemory(job.data.data(), (DWORD)job.data.size(), r.code);
        r.crc = job.data.empty() ? 0 : coder.m_nPlainCrc;
        std::vector<BYTE>().swap(job.data);
        return;
    }
    // Opened as the writer opens it: shared for reading only.
    HANDLE h = CreateFileA(job.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    // Reading sets the access time: the times are taken first.
    Result& r = job.result;
    r.bTimes = GetFileTime(h, nullptr, &r.access, &r.write) != FALSE;
    DWORD high = 0;
    DWORD size = GetFileSize(h, &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size > m_nLargest) {
        // Grown past what the pool takes, or unknown: the writer does it.
        CloseHandle(h);
        return;
    }
    std::vector<BYTE> data;
    try {
        data.resize(size);
    } catch (...) {
        CloseHandle(h);
        return;
    }
    DWORD got = 0;
    while (got < size && !coder.m_bCancel) {
        DWORD n = 0;
        if (!ReadFile(h, data.data() + got, size - got, &n, nullptr) || n == 0)
            break;
        got += n;
    }
    CloseHandle(h);
    r.dwSize = got;
    r.bShortRead = got < size;
    r.code.clear();
    // An empty block has no code at all.
    job.opened = got == 0 ? !coder.m_bCancel : coder.CompressToMemory(data.data(), got, r.code);
    r.crc = got == 0 ? 0 : coder.m_nPlainCrc;
}

bool CBlockCoder::Take(const std::string& path, Result& result, const volatile BYTE* cancel)
{
    CSingleLock hold(&m_lock);
    size_t at = 0;
    while (at < m_queue.size() && m_queue[at]->path != path)
        at++;
    if (at == m_queue.size())
        return false;
    // Files queued before it will not be asked for: drop them.
    for (size_t k = 0; k < at; k++)
        DropFront();
    std::shared_ptr<Job> job = m_queue.front();
    if (!job->started) {
        // Not begun yet (the cap holds it back): the writer codes it itself.
        PopFront();
        return false;
    }
    while (!job->done) {
        if (cancel && *cancel)
            return false;
        m_changed.Wait(m_lock, 50);
    }
    PopFront();
    Release(*job);
    if (!job->opened)
        return false;
    result = std::move(job->result);
    return true;
}
