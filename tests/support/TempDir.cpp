#include "TempDir.h"
#include <windows.h>

TempDir::TempDir(const char* prefix)
{
    static int sCount = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++sCount);
    CreateDirectoryA(m_dir.c_str(), nullptr);
}

TempDir::~TempDir()
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path("*").c_str(), &fd);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd))
        DeleteFileA(path(fd.cFileName).c_str());
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    RemoveDirectoryA(m_dir.c_str());
}
