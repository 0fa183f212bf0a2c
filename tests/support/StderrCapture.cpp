#include "StderrCapture.h"
#include "FileBytes.h"
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <cstdio>

StderrCapture::StderrCapture()
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "zvc", 0, m_path);
    std::fflush(stderr);
    m_saved = _dup(2);
    int fd = _open(m_path, _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    _dup2(fd, 2);
    _close(fd);
}

StderrCapture::~StderrCapture()
{
    std::fflush(stderr);
    _dup2(m_saved, 2);
    _close(m_saved);
    DeleteFileA(m_path);
}

std::string StderrCapture::text()
{
    std::fflush(stderr);
    return ReadBytes(m_path);
}
