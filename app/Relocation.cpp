#include "Relocation.h"
#include "PackageFiles.h"
#include "XParamList.h"
#include <cstring>

namespace {

bool Empty(const char* s) { return !s || !*s; }

// Why the copy would not read value back from line as the value of option; empty when it would.
CString RoundTripProblem(const char* option, const char* value, const char* line)
{
    if (strchr(value, '"')) return "holds a double quote, which ends the value on the restart command line";
    if (strcmp(option, "/RmDir") == 0 && strchr(value, ' '))
        return "holds a blank, which ends the unquoted \"/RmDir\" value on the restart command line";
    // What the copy's tokenizer reads back: it also cuts overlong values. The last
    // occurrence of a key is the one the copy keeps.
    XParamList params;
    params.SetCommandLine(line);
    CString received;
    bool found = false;
    if (params.Parse())
        for (int i = 0; i < params.GetCount(); ++i)
            if (strcmp(params.GetKey(i), option) == 0) received = params.GetValue(i), found = true;
    if (found && received == value) return CString();
    CString why;
    why.Format("would reach the copy as [%s]", received.GetString());
    return why;
}

} // namespace

CString CutStartFolder(const char* commandLine)
{
    if (!commandLine) return CString();
    const char* hit = strstr(commandLine, "\\Vacater.exe");
    if (!hit) return CString();
    return CString(commandLine, static_cast<int>(hit - commandLine));
}

CString StripOpeningQuote(const CString& folder)
{
    if (folder.GetLength() > 0 && folder.GetAt(0) == '"') return folder.Mid(1);
    return folder;
}

bool RunsHere(const char* currentPath, const char* tempDir, long removeOnly)
{
    return strcmp(currentPath ? currentPath : "", tempDir ? tempDir : "") == 0 || removeOnly == 1;
}

RestartPlan PlanRestart(const RestartOptions& o)
{
    RestartPlan plan;
    plan.commandLine.Format("%s\\%s", o.tempDir ? o.tempDir : "", PROGRAM_FILE_NAME);
    bool absolute = !Empty(o.rmAbsDir);
    const char* value = absolute ? o.rmAbsDir : o.rmDir;
    if (Empty(value)) return plan;   // no folder: the path stands alone
    const char* option = absolute ? "/RmAbsDir" : "/RmDir";
    const char* vk = o.vkDriveLetter ? o.vkDriveLetter : "";

    CString options;
    if (absolute)
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /RmAbsDir=\"%s\" /VKDriveLetter=%s", o.driveLetter,
                       o.cleanUpOnly, value, vk);
    else
        options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /RmDir=%s /VKDriveLetter=%s", o.driveLetter,
                       o.cleanUpOnly, value, vk);
    CString line = plan.commandLine + options;
    CString why = RoundTripProblem(option, value, line);
    if (why.IsEmpty()) {
        plan.commandLine = line;
        plan.folderOption = option;
        return plan;
    }
    // The copy would remove a folder nobody named: it gets the other options only.
    plan.leftOutOption = option;
    plan.leftOutValue = value;
    plan.leftOutReason = why;
    options.Format(" /DriveLetter=%c /CleanUpOnly=%ld /VKDriveLetter=%s", o.driveLetter, o.cleanUpOnly, vk);
    plan.commandLine += options;
    return plan;
}
