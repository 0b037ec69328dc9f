#include "tests/support/OutputCapture.h"

#include "tests/support/TestFiles.h"

#include <cstdio>
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#else
#include <unistd.h>
#endif

namespace {

int Redirect(int fd, const std::string& file)
{
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        return -1;
    int saved = dup(fd);
    dup2(fileno(f), fd);
    std::fclose(f);
    return saved;
}

void Restore(int fd, int& saved)
{
    if (saved < 0)
        return;
    dup2(saved, fd);
    close(saved);
    saved = -1;
}

} // namespace

COutputCapture::COutputCapture(const std::string& outFile, const std::string& errFile)
    : m_outFile(outFile), m_errFile(errFile)
{
    std::fflush(stdout);
    std::fflush(stderr);
    m_savedOut = Redirect(1, outFile);
    m_savedErr = Redirect(2, errFile);
}

COutputCapture::~COutputCapture() { Stop(); }

void COutputCapture::Stop()
{
    std::fflush(stdout);
    std::fflush(stderr);
    Restore(1, m_savedOut);
    Restore(2, m_savedErr);
}

std::string COutputCapture::Out() const { return ReadText(m_outFile); }

std::string COutputCapture::Err() const { return ReadText(m_errFile); }
