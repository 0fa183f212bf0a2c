// A folder of the test's own under %TEMP%, removed with all it holds afterwards.
#pragma once
#include <string>

class TempDir {
public:
    explicit TempDir(const char* prefix);
    ~TempDir();
    const std::string& dir() const { return m_dir; }
    std::string path(const std::string& name) const { return m_dir + "\\" + name; }

private:
    std::string m_dir;
};
