#include "tests/restore/StdoutCapture.h"

#include "tests/support/TestFiles.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

CStdoutCapture::CStdoutCapture(const std::string& file) : m_file(file), m_saved(-1)
{
    std::fflush(stdout);
    int fd = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
    if (fd < 0)
        return;
    m_saved = _dup(_fileno(stdout));
    _dup2(fd, _fileno(stdout));
    _close(fd);
}

CStdoutCapture::~CStdoutCapture() { Text(); }

std::string CStdoutCapture::Text()
{
    if (m_saved >= 0) {
        std::fflush(stdout);
        _dup2(m_saved, _fileno(stdout));
        _close(m_saved);
        m_saved = -1;
    }
    Bytes b = ReadFileBytes(m_file);
    return std::string(b.begin(), b.end());
}
