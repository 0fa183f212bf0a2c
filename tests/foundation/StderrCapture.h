// Sends standard error to a temporary file for the life of the object, in binary mode, so
// tests see the exact bytes a component printed.
#pragma once
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <cstdio>
#include <string>

class StderrCapture {
public:
    StderrCapture()
    {
        char dir[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "zvc", 0, m_path);
        std::fflush(stderr);
        m_saved = _dup(2);
        m_fd = _open(m_path, _O_CREAT | _O_TRUNC | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
        _dup2(m_fd, 2);
    }
    ~StderrCapture()
    {
        restore();
        DeleteFileA(m_path);
    }
    // Everything written so far.
    std::string text()
    {
        std::fflush(stderr);
        std::string all;
        FILE* f = std::fopen(m_path, "rb");
        if (!f)
            return all;
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            all.append(chunk, n);
        std::fclose(f);
        return all;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        _dup2(m_saved, 2);
        _close(m_saved);
        _close(m_fd);
        m_saved = -1;
    }
    char m_path[MAX_PATH] = {};
    int m_saved = -1;
    int m_fd = -1;
};
