// vacater-report.exe: prints the support report; changes nothing on the PC. On a console
// the page is written as wide text, so umlauts show in any code page; redirected into a
// file or a pipe it is UTF-8. "/out FILE" writes it into FILE as UTF-8 with a byte-order
// mark (Notepad and Windows PowerShell 5.1 then read it right). Started in a console of its
// own (a double-click), it waits for a key before that console closes.
#include "HostFacts.h"
#include "SystemDeviceTree.h"
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <zvcrypt/SystemLibrary.h>

namespace {

const char USAGE[] =
    "usage: vacater-report [/out FILE]\r\n"
    "Prints what support asks for: Windows version and code pages, the temporary directory,\r\n"
    "the logging settings and log files, how cmd runs the clean-up batch, the token's devices,\r\n"
    "the package files' versions. /out FILE writes the page into FILE (UTF-8 with a byte-order\r\n"
    "mark) instead. Nothing else is changed on the PC.\r\n";

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

bool WriteOutFile(const std::wstring& path, const std::string& utf8)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string bytes = "\xEF\xBB\xBF" + utf8;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    return CloseHandle(h) && ok;
}

// A console that only this process uses and that shows its output was made for it:
// Explorer started it, and the window would close with the page unread.
bool ShownInOwnConsole()
{
    DWORD processes[2], mode = 0;
    return GetConsoleProcessList(processes, 2) == 1 && GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
}

void WaitForAKey()
{
    Print("\r\nPress a key to close this window.\r\n");
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(in);
    INPUT_RECORD record;
    DWORD read = 0;
    while (ReadConsoleInputW(in, &record, 1, &read) && read == 1)
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
}

int Run(int argc, wchar_t** argv)
{
    std::wstring outFile;
    if (argc == 2 && (wcscmp(argv[1], L"--help") == 0 || wcscmp(argv[1], L"/?") == 0)) {
        Print(USAGE);
        return 0;
    }
    if (argc == 3 && _wcsicmp(argv[1], L"/out") == 0 && argv[2][0]) {
        outFile = argv[2];
    } else if (argc != 1) {
        Print(std::string("vacater-report: unknown arguments\r\n") + USAGE);
        return 3;
    }
    zevdev::SystemDeviceTree tree;
    std::string page = report::FormatSupportReport(report::GatherHostFacts(ProgramFolder(), tree));
    if (outFile.empty()) {
        Print(page);
        return 0;
    }
    if (!WriteOutFile(outFile, page)) {
        DWORD error = GetLastError();
        Print("vacater-report: the page could not be written to that file, error " + std::to_string(error) + "\r\n");
        return 2;
    }
    Print("vacater-report: the page is written to the file given with /out.\r\n");
    return 0;
}

} // namespace

int main()
{
    zvcrypt::restrictDllSearch();
    bool own = ShownInOwnConsole();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int result = argv ? Run(argc, argv) : 3;
    if (argv) LocalFree(argv);
    if (own) WaitForAKey();
    return result;
}
