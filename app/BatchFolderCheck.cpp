#include "BatchFolderCheck.h"
#include "BatchCodePage.h"
#include "BatchWord.h"
#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>
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

// The value as cmd reads it from the batch: its bytes in the OEM code page, decoded back.
bool ReadAsCmd(const char* value, const BatchFolderContext& context, Text* read)
{
    CString bytes;
    return AnsiToOemBytes(value, context.ansiCodePage, context.oemCodePage, &bytes) &&
           OemToWide(bytes, context.oemCodePage, read);
}

// The folder "rmdir /S /Q value" removes, or why it cannot be told (then full is empty).
CString Resolve(const Text& value, BatchFolderKind kind, const BatchFolderContext& context, Text* full)
{
    full->clear();
    if (value.size() >= 2 && value[0] == L'\\' && value[1] == L'\\') return "is a network or device path";
    if (value.size() >= 2 && value[1] == L':' && IsDriveLetter(value[0]) && (value.size() < 3 || value[2] != L'\\'))
        return "names a drive without a backslash, so its folder depends on that drive's current folder";
    Text workDir;
    AnsiToWide(context.workDir, context.ansiCodePage, &workDir);
    CString unresolved = Describe("cannot be resolved from", context.workDir);
    if (value.empty() || !IsDrivePath(workDir)) return unresolved;
    if (value.size() >= 2 && value[1] == L':') {
        if (!IsDrivePath(value)) return unresolved;
        *full = Normalise(value);
        return CString();
    }
    Text path = workDir.substr(0, 2) + L"\\";   // "X:\" of the working directory
    // "/RmAbsDir" runs after "cd \", so a value without a drive starts at the root there.
    if (kind == BATCH_FOLDER_RELATIVE && value[0] != L'\\') path = workDir + L"\\";
    *full = Normalise(path + value);
    return CString();
}

enum FinalForm {
    FINAL_NONE,      // the folder does not exist (or cannot be opened): nothing behind it
    FINAL_DRIVE,     // "X:\..."
    FINAL_NETWORK,   // "\\server\share\..."
    FINAL_OTHER,     // a volume without a drive letter, or a form not known here
};

// The locator's answer in the form the comparison uses.
FinalForm ReadFinal(const Text& raw, Text* path)
{
    path->clear();
    if (raw.empty()) return FINAL_NONE;
    static const Text LONG_UNC = L"\\\\?\\UNC\\", LONG = L"\\\\?\\";
    if (raw.compare(0, LONG_UNC.size(), LONG_UNC) == 0) {
        *path = L"\\\\" + raw.substr(LONG_UNC.size());
        return FINAL_NETWORK;
    }
    Text p = raw.compare(0, LONG.size(), LONG) == 0 ? raw.substr(LONG.size()) : raw;
    if (p.size() == 2 && p[1] == L':') p += L'\\';
    if (IsDrivePath(p)) {
        *path = Normalise(p);
        return FINAL_DRIVE;
    }
    *path = raw;
    return p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\' ? FINAL_NETWORK : FINAL_OTHER;
}

// Where folder really is, when that differs from its text (letter case aside); else empty.
Text OtherFinalPath(const FolderLocator* locator, const Text& folder)
{
    Text final;
    if (!locator || ReadFinal(locator->FinalPath(folder), &final) != FINAL_DRIVE || Upper(final) == Upper(folder))
        return Text();
    return final;
}

enum Relation { UNRELATED, SAME, HOLDS };

Relation Compare(const Text& candidate, const Text& folder)
{
    Text c = Upper(candidate), f = Upper(folder);
    if (c == f) return SAME;
    if (f.size() > c.size() && f.compare(0, c.size() + 1, c + L"\\") == 0) return HOLDS;
    return UNRELATED;
}

} // namespace

ProtectedFolder::ProtectedFolder(const char* ansiPath, const char* folderRole) : role(folderRole)
{
    AnsiToWide(ansiPath, CP_ACP, &path);
}

CString ResolveBatchFolder(const char* value, BatchFolderKind kind, const char* workDir)
{
    BatchFolderContext context;
    context.workDir = workDir;
    context.ansiCodePage = GetACP();
    context.oemCodePage = GetOEMCP();
    return ResolveBatchFolder(value, kind, context);
}

CString ResolveBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context)
{
    Text read, full;
    if (!value || !ReadAsCmd(value, context, &read)) return CString();
    Resolve(read, kind, context, &full);
    return Ansi(full, context.ansiCodePage);
}

BatchFolderVerdict CheckBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context,
                                    CString* reason)
{
    if (reason) reason->Empty();
    if (!value || !*value) return BATCH_FOLDER_OK;   // nothing to remove, no line
    const unsigned int ansi = context.ansiCodePage;

    // Judge what cmd reads: the batch holds the value's OEM bytes.
    Text read;
    if (!ReadAsCmd(value, context, &read))
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

    Text full;
    CString unresolved = Resolve(read, kind, context, &full);
    if (!unresolved.IsEmpty()) return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, unresolved);
    const CString fullText = Ansi(full, ansi);
    if (IsDriveRoot(full)) return Refuse(BATCH_FOLDER_PROTECTED, reason, Describe("is the drive root", fullText));

    // A network folder may be anyone's: refused like a "\\server\share" value.
    const FolderLocator* locator = context.locator;
    if (locator && locator->IsNetworkDrive(full[0]))
        return Refuse(BATCH_FOLDER_UNRESOLVABLE, reason, Describe("is on the network drive", fullText.Left(2)));
    Text final;
    if (locator) {
        CString why;
        switch (ReadFinal(locator->FinalPath(full), &final)) {
        case FINAL_NONE: break;
        case FINAL_NETWORK: why = "is the network folder"; break;
        case FINAL_OTHER: why = "lies on no drive letter:"; break;
        case FINAL_DRIVE:
            if (IsDriveRoot(final)) why = "is the drive root";
            else if (Upper(final) == Upper(full)) final.clear();   // no link on the way
            break;
        }
        if (!why.IsEmpty()) {
            CString text;
            text.Format("resolves to %s, whose final path %s %s", fullText.GetString(), why.GetString(),
                        Ansi(final, ansi).GetString());
            return Refuse(why == "is the drive root" ? BATCH_FOLDER_PROTECTED : BATCH_FOLDER_UNRESOLVABLE, reason,
                          text);
        }
    }

    // The text and the final path, each against every protected folder by its text and by
    // its own final path (C:\Users may itself lead to D:\Users). The plainest reason is
    // given: text before final paths, "is" before "holds".
    struct Seen {
        const ProtectedFolder* folder;
        Text kept, keptFinal;
    };
    std::vector<Seen> seen;
    for (const ProtectedFolder& folder : context.folders)
        if (IsDrivePath(folder.path)) {
            Text kept = Normalise(folder.path);
            seen.push_back(Seen{&folder, kept, OtherFinalPath(locator, kept)});
        }
    const struct {
        const Text& candidate;
        bool atFinal;   // compare with the protected folder's final path
    } passes[] = {{full, false}, {final, false}, {full, true}, {final, true}};
    for (const auto& pass : passes) {
        if (pass.candidate.empty()) continue;
        for (Relation relation : {SAME, HOLDS})
            for (const Seen& s : seen) {
                const Text& protectedPath = pass.atFinal ? s.keptFinal : s.kept;
                if (protectedPath.empty() || Compare(pass.candidate, protectedPath) != relation) continue;
                CString why;
                if (&pass.candidate == &full)
                    why = relation == SAME ? CString("is") : Describe("resolves to", fullText + ", which holds");
                else
                    why.Format("resolves to %s, whose final path %s %s", fullText.GetString(),
                               Ansi(final, ansi).GetString(), relation == SAME ? "is" : "holds");
                why += " " + s.folder->role + " " + Ansi(s.kept, ansi);
                if (pass.atFinal) why += " (at " + Ansi(s.keptFinal, ansi) + ")";
                return Refuse(BATCH_FOLDER_PROTECTED, reason, why);
            }
    }
    return BATCH_FOLDER_OK;
}

// ---- the host's folders -------------------------------------------------------------

std::wstring SystemFolderLocator::FinalPath(const std::wstring& folder) const
{
    // Without FILE_FLAG_OPEN_REPARSE_POINT the open follows every link to the folder itself.
    HANDLE h = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::wstring();
    std::wstring path(MAX_PATH, L'\0');
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    DWORD n = GetFinalPathNameByHandleW(h, &path[0], static_cast<DWORD>(path.size()), flags);
    if (n >= path.size()) {
        path.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, &path[0], static_cast<DWORD>(path.size()), flags);
    }
    CloseHandle(h);
    path.resize(n < path.size() ? n : 0);
    return path;
}

bool SystemFolderLocator::IsNetworkDrive(wchar_t letter) const
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

namespace {

const SystemFolderLocator SYSTEM_LOCATOR;

Text Env(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? Text() : Text(buffer);
}

template <typename Fn> Text FromApi(Fn fn)
{
    wchar_t buffer[MAX_PATH] = L"";
    UINT n = fn(buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? Text() : Text(buffer);
}

void Add(BatchFolderContext& context, const Text& path, const CString& role)
{
    if (path.empty()) return;
    context.folders.push_back(ProtectedFolder{path, role});
    // %TEMP% and the program's folder often come in short form ("C:\Users\ADMINI~1\..."),
    // while a value spells the long one: both are kept.
    wchar_t longPath[MAX_PATH] = L"";
    DWORD n = GetLongPathNameW(path.c_str(), longPath, MAX_PATH);
    if (n != 0 && n < MAX_PATH && Upper(longPath) != Upper(path))
        context.folders.push_back(ProtectedFolder{longPath, role});
}

// The names of the folders found in pattern's folder ("C:\Users\*"), without "." and "..".
std::vector<Text> Subfolders(const Text& pattern)
{
    std::vector<Text> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(pattern.c_str(), &found);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found))
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcscmp(found.cFileName, L".") &&
            wcscmp(found.cFileName, L".."))
            names.push_back(found.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return names;
}

// SHGetKnownFolderPath, from shell32.dll loaded by its full System32 path: the program
// imports no DLL that Windows would look for in the program's folder first.
class KnownFolders {
public:
    KnownFolders()
    {
        Text dll = FromApi([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
        if (!dll.empty()) m_module = LoadLibraryW((dll + L"\\shell32.dll").c_str());
        if (m_module)
            m_pGet = reinterpret_cast<GetFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "SHGetKnownFolderPath")));
    }
    ~KnownFolders()
    {
        if (m_module) FreeLibrary(m_module);
    }
    KnownFolders(const KnownFolders&) = delete;
    KnownFolders& operator=(const KnownFolders&) = delete;

    // The folder's path; empty when this system has none (no OneDrive, an old Windows).
    Text Path(const KNOWNFOLDERID& id) const
    {
        PWSTR path = nullptr;
        Text result;
        // KF_FLAG_DONT_VERIFY: a folder that is only configured still must not be removed.
        if (m_pGet && SUCCEEDED(m_pGet(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) result = path;
        if (path) CoTaskMemFree(path);
        return result;
    }

private:
    typedef HRESULT(WINAPI* GetFn)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    HMODULE m_module = nullptr;
    GetFn m_pGet = nullptr;
};

// The folders every profile holds by these names, and what they are called in a reason.
const wchar_t* const PROFILE_FOLDERS[] = {L"Desktop", L"Documents", L"Downloads", L"Music",   L"Pictures",
                                          L"Videos",  L"Favorites", L"AppData",   L"OneDrive*"};

} // namespace

BatchFolderContext HostBatchFolderContext(const char* workDir, const char* tempDir, const char* programDir)
{
    BatchFolderContext context;
    context.workDir = workDir;
    context.ansiCodePage = GetACP();
    context.oemCodePage = GetOEMCP();
    context.locator = &SYSTEM_LOCATOR;
    // Without a working directory the batch runs in ours.
    if (context.workDir.IsEmpty()) {
        char buffer[MAX_PATH] = "";
        DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
        if (n != 0 && n < MAX_PATH) context.workDir = buffer;
    }

    Add(context, FromApi(GetWindowsDirectoryW), "the Windows folder");
    Add(context, FromApi(GetSystemDirectoryW), "the system folder");
    Add(context, FromApi(GetSystemWow64DirectoryW), "the system folder");
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"})
        Add(context, Env(name), "a Program Files folder");
    for (const wchar_t* name : {L"ProgramData", L"ALLUSERSPROFILE"}) Add(context, Env(name), "ProgramData");

    // The user's own folders where Windows keeps them (they may be redirected anywhere).
    const KnownFolders known;
    const struct {
        const KNOWNFOLDERID& id;
        const char* role;
    } knownFolders[] = {
        {FOLDERID_Desktop, "the user's Desktop"},     {FOLDERID_Documents, "the user's Documents"},
        {FOLDERID_Downloads, "the user's Downloads"}, {FOLDERID_Music, "the user's Music"},
        {FOLDERID_Pictures, "the user's Pictures"},   {FOLDERID_Videos, "the user's Videos"},
        {FOLDERID_Favorites, "the user's Favorites"}, {FOLDERID_SkyDrive, "the user's OneDrive"},
        {FOLDERID_RoamingAppData, "the user's AppData"}, {FOLDERID_LocalAppData, "the user's AppData"},
        {FOLDERID_LocalAppDataLow, "the user's AppData"}, {FOLDERID_Public, "the public folder"},
        {FOLDERID_PublicDesktop, "the public Desktop"}, {FOLDERID_PublicDocuments, "the public Documents"},
        {FOLDERID_PublicDownloads, "the public Downloads"}, {FOLDERID_PublicMusic, "the public Music"},
        {FOLDERID_PublicPictures, "the public Pictures"}, {FOLDERID_PublicVideos, "the public Videos"},
    };
    for (const auto& folder : knownFolders) Add(context, known.Path(folder.id), folder.role);
    // OneDrive sets these for its personal and its business (work or school) folders.
    for (const wchar_t* name : {L"OneDrive", L"OneDriveConsumer", L"OneDriveCommercial"})
        Add(context, Env(name), "the user's OneDrive");

    Text profiles = known.Path(FOLDERID_UserProfiles);
    if (profiles.empty()) {
        Text profile = Env(L"USERPROFILE");   // its parent, where shell32 has nothing to say
        size_t cut = profile.rfind(L'\\');
        if (cut != Text::npos && cut > 2) profiles = profile.substr(0, cut);
    }
    if (!profiles.empty()) {
        Add(context, profiles, "the users' root");
        // Every profile, and its own folders by their usual names: another user's Documents
        // are no folder to remove either.
        for (const Text& name : Subfolders(profiles + L"\\*")) {
            const Text profile = profiles + L"\\" + name;
            Add(context, profile, "a user profile");
            for (const wchar_t* folder : PROFILE_FOLDERS)
                for (const Text& found : Subfolders(profile + L"\\" + folder))
                    Add(context, profile + L"\\" + found, "a user's " + Ansi(found, context.ansiCodePage));
        }
    }
    for (const wchar_t* name : {L"USERPROFILE", L"PUBLIC"}) Add(context, Env(name), "a user profile");

    Text temp, program;
    AnsiToWide(tempDir, CP_ACP, &temp);
    AnsiToWide(programDir, CP_ACP, &program);
    Add(context, temp, "the temporary directory");
    Add(context, FromApi([](wchar_t* b, UINT n) { return static_cast<UINT>(GetTempPathW(n, b)); }),
        "the temporary directory");
    Add(context, program, "the program's folder");
    return context;
}
