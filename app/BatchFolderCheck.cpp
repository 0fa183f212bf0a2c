#include "BatchFolderCheck.h"
#include <windows.h>
#include <userenv.h>
#include <cctype>
#include <cstring>

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "X:\..." with a letter: the only form both sides of the comparison are brought to.
bool IsDrivePath(const char* path) { return IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\'; }

CString Lower(const CString& text)
{
    CString lower = text;
    lower.MakeLower();
    return lower;
}

// What cmd does with a character of an unquoted word, or why no folder name holds it;
// null for a character that is plain in a folder name.
const char* CharacterMeaning(unsigned char c, size_t at)
{
    if (c == '\t') return "a tab, which ends a word for cmd";
    if (c < 0x20 || c == 0x7F) return "a control character";
    switch (c) {
    case ' ': return "a blank, which ends a word for cmd";
    case ',': case ';': case '=': return "a separator, which ends a word for cmd";
    case '&': case '|': return "a command separator";
    case '<': case '>': return "a redirection";
    case '^': return "cmd's escape character";
    case '%': return "a '%', which cmd expands";
    case '!': return "a '!', which delayed expansion expands";
    case '"': return "a double quote";
    case '(': case ')': return "a parenthesis, which groups commands";
    case '*': case '?': return "a wildcard";
    case '/': return "a '/', which starts a switch";
    case ':': return at == 1 ? nullptr : "a ':' after the drive";
    }
    return nullptr;
}

// The components of path behind its "X:" (empty ones dropped, so "\\" counts once).
std::vector<CString> Components(const char* path)
{
    std::vector<CString> parts;
    const char* p = path;
    while (*p) {
        const char* end = strchr(p, '\\');
        if (!end) end = p + strlen(p);
        if (end > p) parts.emplace_back(p, static_cast<int>(end - p));
        p = *end ? end + 1 : end;
    }
    return parts;
}

// "X:\a\b": one backslash between components, the drive letter in upper case.
CString Normalise(const char* drivePath)
{
    CString out;
    out += static_cast<char>(toupper(static_cast<unsigned char>(drivePath[0])));
    out += ":\\";
    std::vector<CString> parts = Components(drivePath + 3);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    return out;
}

bool IsDriveRoot(const CString& normalised) { return normalised.GetLength() == 3; }

CString Describe(const char* text, const char* detail)
{
    CString s;
    s.Format("%s %s", text, detail);
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
    if (!value || !*value || !workDir || !IsDrivePath(workDir)) return CString();
    if (value[0] == '\\' && value[1] == '\\') return CString();   // network or device path
    if (value[1] == ':') {
        if (!IsDriveLetter(value[0]) || value[2] != '\\') return CString();   // drive-relative
        return Normalise(value);
    }
    CString full(workDir, 2);   // "X:" of the working directory
    full += '\\';
    // "/RmAbsDir" runs after "cd \", so a value without a drive starts at the root there.
    if (kind == BATCH_FOLDER_RELATIVE && value[0] != '\\') full = CString(workDir) + "\\";
    full += value;
    return Normalise(full);
}

BatchFolderVerdict CheckBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context,
                                    CString* reason)
{
    if (reason) reason->Empty();
    if (!value || !*value) return BATCH_FOLDER_OK;   // nothing to remove, no line

    for (size_t i = 0; value[i]; ++i)
        if (const char* meaning = CharacterMeaning(static_cast<unsigned char>(value[i]), i))
            return Refuse(BATCH_FOLDER_UNSAFE_CHARACTER, reason, Describe("holds", meaning));

    for (const CString& part : Components(value)) {
        if (strspn(part, ".") == static_cast<size_t>(part.GetLength()))
            return Refuse(BATCH_FOLDER_UNSAFE_COMPONENT, reason, Describe("has the component", part));
        // Windows drops the dots that end a name: rmdir reads "users." as "users".
        if (part.GetAt(part.GetLength() - 1) == '.')
            return Refuse(BATCH_FOLDER_UNSAFE_COMPONENT, reason,
                          Describe("has the component", part + ", whose final dot Windows drops"));
        // "PROGRA~1" may be another name of a protected folder, which no text comparison sees.
        for (int i = 0; i + 1 < part.GetLength(); ++i)
            if (part.GetAt(i) == '~' && isdigit(static_cast<unsigned char>(part.GetAt(i + 1))))
                return Refuse(BATCH_FOLDER_UNSAFE_COMPONENT, reason, Describe("has the short name", part));
    }

    if (value[0] == '\\' && value[1] == '\\')
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, "is a network or device path");
    if (value[1] == ':' && value[2] != '\\')
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, "names a drive without a backslash, so its folder depends on that drive's current folder");
    CString full = ResolveBatchFolder(value, kind, context.workDir);
    if (full.IsEmpty())
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, Describe("cannot be resolved from", context.workDir));
    if (IsDriveRoot(full)) return Refuse(BATCH_FOLDER_PROTECTED, reason, Describe("is the drive root", full));

    CString target = Lower(full);
    for (const ProtectedFolder& folder : context.folders) {
        if (!IsDrivePath(folder.path)) continue;
        CString kept = Normalise(folder.path);
        CString lower = Lower(kept);
        CString why;
        if (lower == target)
            why.Format("is %s %s", folder.role.GetString(), kept.GetString());
        else if (lower.GetLength() > target.GetLength() && lower.Left(target.GetLength() + 1) == target + "\\")
            why.Format("resolves to %s, which holds %s %s", full.GetString(), folder.role.GetString(), kept.GetString());
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
