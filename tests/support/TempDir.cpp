#include "TempDir.h"
#include <windows.h>
#include <cstring>

namespace {

// Removes a folder with its files and subfolders; a link to a folder goes, not what it leads to.
void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd)) {
        std::string path = dir + "\\" + fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA(path.c_str());
        else if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            RemoveDirectoryA(path.c_str());
        else if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
            RemoveTree(path);
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    RemoveDirectoryA(dir.c_str());
}

} // namespace

TempDir::TempDir(const char* prefix)
{
    static int sCount = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++sCount);
    RemoveTree(m_dir);   // left by an earlier process with the same id
    CreateDirectoryA(m_dir.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(m_dir); }
