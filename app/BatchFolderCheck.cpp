#include "BatchFolderCheck.h"
#include "BatchCodePage.h"
#include "BatchWord.h"
#include <windows.h>
#include <userenv.h>
#include <cstring>
#include <cwctype>
#include <string>

namespace {

typedef std::wstring Text;

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "X:\..." with a letter: the only form both sides of the comparison are brought to.
bool IsDrivePath(const Text& path) { return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\'; }

// Upper case for every letter, not ASCII only: C:\USERS\JÜRGEN is the profile C:\Users\Jürgen.
Text Upper(Text text)
{
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The components of path (empty ones dropped, so "\\" counts once).
std::vector<Text> Components(const Text& path)
{
    std::vector<Text> parts;
    size_t at = 0;
    while (at < path.size()) {
        size_t end = path.find(L'\\', at);
        if (end == Text::npos) end = path.size();
        if (end > at) parts.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

// "X:\a\b": one backslash between components, the drive letter in upper case.
Text Normalise(const Text& drivePath)
{
    Text out;
    out += static_cast<wchar_t>(towupper(drivePath[0]));
    out += L":\\";
    std::vector<Text> parts = Components(drivePath.substr(3));
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += L'\\';
        out += parts[i];
    }
    return out;
}

bool IsDriveRoot(const Text& normalised) { return normalised.size() == 3; }

Text Resolve(const Text& value, BatchFolderKind kind, const Text& workDir)
{
    if (value.empty() || !IsDrivePath(workDir)) return Text();
    if (value.size() >= 2 && value[0] == L'\\' && value[1] == L'\\') return Text();   // network or device path
    if (value.size() >= 2 && value[1] == L':') {
        if (!IsDriveLetter(value[0]) || value.size() < 3 || value[2] != L'\\') return Text();   // drive-relative
        return Normalise(value);
    }
    Text full = workDir.substr(0, 2) + L"\\";   // "X:\" of the working directory
    // "/RmAbsDir" runs after "cd \", so a value without a drive starts at the root there.
    if (kind == BATCH_FOLDER_RELATIVE && value[0] != L'\\') full = workDir + L"\\";
    return Normalise(full + value);
}

// Texts for the reasons, which go to the ANSI trace.
CString Ansi(const Text& text, unsigned int ansiCodePage)
{
    CString ansi;
    if (!WideToCodePage(text, ansiCodePage, &ansi)) {
        ansi.Empty();
        for (wchar_t c : text) ansi += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return ansi;
}

CString Describe(const char* text, const CString& detail)
{
    CString s;
    s.Format("%s %s", text, detail.GetString());
    return s;
}

BatchFolderVerdict Refuse(BatchFolderVerdict verdict, CString* reason, const CString& why)
{
    if (reason) *reason = why;
    return verdict;
}

} // namespace

CString ResolveBatchFolder(const char* value, BatchFolderKind kind, const char* workDir)
{
    Text wideValue, wideWork;
    if (!AnsiToWide(value, CP_ACP, &wideValue) || !AnsiToWide(workDir, CP_ACP, &wideWork)) return CString();
    return Ansi(Resolve(wideValue, kind, wideWork), CP_ACP);
}

BatchFolderVerdict CheckBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context,
                                    CString* reason)
{
    if (reason) reason->Empty();
    if (!value || !*value) return BATCH_FOLDER_OK;   // nothing to remove, no line
    const unsigned int ansi = context.ansiCodePage, oem = context.oemCodePage;

    // Judge what cmd reads: the batch holds the value's OEM bytes.
    CString bytes;
    Text read;
    if (!AnsiToOemBytes(value, ansi, oem, &bytes) || !OemToWide(bytes, oem, &read))
        return Refuse(BATCH_FOLDER_UNSAFE_CHARACTER, reason, "holds a character without a form in cmd's (OEM) code page");

    for (size_t i = 0; i < read.size(); ++i)
        if (const char* meaning = CmdCharacterMeaning(read[i], i))
            return Refuse(BATCH_FOLDER_UNSAFE_CHARACTER, reason, Describe("holds", meaning));

    for (const Text& part : Components(read)) {
        CString name = Ansi(part, ansi);
        if (part.find_first_not_of(L'.') == Text::npos)
            return Refuse(BATCH_FOLDER_UNSAFE_COMPONENT, reason, Describe("has the component", name));
        // Windows drops the dots that end a name: rmdir reads "users." as "users".
        if (part[part.size() - 1] == L'.')
            return Refuse(BATCH_FOLDER_UNSAFE_COMPONENT, reason,
                          Describe("has the component", name + ", whose final dot Windows drops"));
        // "PROGRA~1" may be another name of a protected folder, which no text comparison sees.
        for (size_t i = 0; i + 1 < part.size(); ++i)
            if (part[i] == L'~' && part[i + 1] >= L'0' && part[i + 1] <= L'9')
                return Refuse(BATCH_FOLDER_UNSAFE_COMPONENT, reason, Describe("has the short name", name));
    }

    if (read.size() >= 2 && read[0] == L'\\' && read[1] == L'\\')
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, "is a network or device path");
    if (read.size() >= 2 && read[1] == L':' && (read.size() < 3 || read[2] != L'\\'))
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, "names a drive without a backslash, so its folder depends on that drive's current folder");
    Text workDir;
    AnsiToWide(context.workDir, ansi, &workDir);
    Text full = Resolve(read, kind, workDir);
    if (full.empty())
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, Describe("cannot be resolved from", context.workDir));
    if (IsDriveRoot(full)) return Refuse(BATCH_FOLDER_PROTECTED, reason, Describe("is the drive root", Ansi(full, ansi)));

    Text target = Upper(full);
    for (const ProtectedFolder& folder : context.folders) {
        Text path;
        if (!AnsiToWide(folder.path, ansi, &path) || !IsDrivePath(path)) continue;
        Text kept = Normalise(path);
        Text upper = Upper(kept);
        CString why;
        if (upper == target)
            why.Format("is %s %s", folder.role.GetString(), Ansi(kept, ansi).GetString());
        else if (upper.size() > target.size() && upper.compare(0, target.size() + 1, target + L"\\") == 0)
            why.Format("resolves to %s, which holds %s %s", Ansi(full, ansi).GetString(), folder.role.GetString(),
                       Ansi(kept, ansi).GetString());
        if (!why.IsEmpty()) return Refuse(BATCH_FOLDER_PROTECTED, reason, why);
    }
    return BATCH_FOLDER_OK;
}

// ---- the host's folders -------------------------------------------------------------

namespace {

CString Env(const char* name)
{
    char buffer[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? CString() : CString(buffer);
}

template <typename Fn> CString FromApi(Fn fn)
{
    char buffer[MAX_PATH] = "";
    UINT n = fn(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? CString() : CString(buffer);
}

void Add(BatchFolderContext& context, const CString& path, const char* role)
{
    if (path.IsEmpty()) return;
    context.folders.push_back(ProtectedFolder{path, role});
    // %TEMP% and the program's folder often come in short form ("C:\Users\ADMINI~1\..."),
    // while a value spells the long one: both are kept.
    char longPath[MAX_PATH] = "";
    DWORD n = GetLongPathNameA(path, longPath, MAX_PATH);
    if (n != 0 && n < MAX_PATH && _stricmp(longPath, path) != 0)
        context.folders.push_back(ProtectedFolder{longPath, role});
}

} // namespace

BatchFolderContext HostBatchFolderContext(const char* workDir, const char* tempDir, const char* programDir)
{
    BatchFolderContext context;
    context.workDir = workDir;
    context.ansiCodePage = GetACP();
    context.oemCodePage = GetOEMCP();
    // Without a working directory the batch runs in ours.
    if (context.workDir.IsEmpty())
        context.workDir = FromApi([](char* b, UINT n) { return static_cast<UINT>(GetCurrentDirectoryA(n, b)); });

    Add(context, FromApi(GetWindowsDirectoryA), "the Windows folder");
    Add(context, FromApi(GetSystemDirectoryA), "the system folder");
    Add(context, FromApi(GetSystemWow64DirectoryA), "the system folder");
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"})
        Add(context, Env(name), "a Program Files folder");
    for (const char* name : {"ProgramData", "ALLUSERSPROFILE"}) Add(context, Env(name), "ProgramData");

    char profiles[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (GetProfilesDirectoryA(profiles, &size)) {
        Add(context, profiles, "the users' root");
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((CString(profiles) + "\\*").GetString(), &found);
        for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strcmp(found.cFileName, ".") &&
                strcmp(found.cFileName, ".."))
                Add(context, CString(profiles) + "\\" + found.cFileName, "a user profile");
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
    for (const char* name : {"USERPROFILE", "PUBLIC"}) Add(context, Env(name), "a user profile");

    Add(context, tempDir, "the temporary directory");
    CString tempPath = FromApi([](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); });
    Add(context, tempPath, "the temporary directory");
    Add(context, programDir, "the program's folder");
    return context;
}
