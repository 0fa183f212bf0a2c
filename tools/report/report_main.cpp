// vacater-report.exe: prints the support report; changes nothing on the PC. On a console
// the page is written as wide text, so umlauts show in any code page; redirected into a
// file or a pipe it is UTF-8.
#include "HostFacts.h"
#include "SystemDeviceTree.h"
#include <windows.h>
#include <cstring>

namespace {

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = L"";
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L".";
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L'\\');
    if (slash != std::wstring::npos) p.resize(slash);
    return p;
}

void Print(const std::string& utf8)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) {
        bool help = strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "/?") == 0;
        Print(std::string(help ? "" : "vacater-report: takes no arguments\r\n") +
              "usage: vacater-report > report.txt\r\n"
              "Prints what support asks for: Windows version and code pages, the temporary directory,\r\n"
              "the logging settings and log files, the token's devices, the package files' versions.\r\n"
              "Nothing is changed on the PC.\r\n");
        return help ? 0 : 3;
    }
    zevdev::SystemDeviceTree tree;
    Print(report::FormatSupportReport(report::GatherHostFacts(ProgramFolder(), tree)));
    return 0;
}
