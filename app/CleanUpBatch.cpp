#include "CleanUpBatch.h"
#include "PackageFiles.h"
#include <cstring>

const char* const APPDECK_FOLDER = "AppDeck";

namespace {

const char* const CRLF = "\r\n";

bool Empty(const char* s) { return !s || !*s; }

void Line(CString& text, const char* line)
{
    text += line;
    text += CRLF;
}

void LauncherText(CString& text, const char* deletePath)
{
    Line(text, "@ECHO OFF");
    Line(text, "attrib -r *.*");
    // Starts another copy that only sleeps, which delays the batch by two seconds.
    Line(text, CString(deletePath) + "\\Dididevive\\Vacater.exe /Sleep=2000");
    Line(text, ":repeat");
    Line(text, "if not exist \"Vacater.exe\" goto end");
    Line(text, "del \"Vacater.exe\"  > NUL ");
    Line(text, "goto repeat");
    Line(text, ":end");
    Line(text, ":repeat2");
    Line(text, "if not exist \"AppDeck\\AppDeck.exe\" goto end2");
    Line(text, "del \"AppDeck\\AppDeck.exe\"  > NUL ");
    Line(text, "goto repeat2");
    Line(text, ":end2");
    if (!Empty(deletePath)) {
        Line(text, ":repeat3");
        Line(text, "if not exist \".\\AppDeck\\AppDeck.ini\" goto end3");
        Line(text, CString("del /F /S /Q ") + deletePath + " > NUL ");
        Line(text, "goto repeat3");
        Line(text, ":end3");
        Line(text, CString("cd ") + deletePath + " > NUL ");
        Line(text, "cd .. ");
        Line(text, CString("rmdir /S /Q ") + APPDECK_FOLDER + " > NUL ");
    }
}

void DataSafeText(CString& text, const char* currentPath)
{
    Line(text, "@ECHO OFF");
    Line(text, "attrib -r *.*");
    Line(text, ":repeat");
    Line(text, "if not exist \"Vacater.exe\" goto end");
    Line(text, "del \"Vacater.exe\"  > NUL");
    Line(text, "goto repeat");
    Line(text, ":end");
    Line(text, CString("del /F /S /Q ") + (currentPath ? currentPath : ""));
}

void DefaultText(CString& text, const char* rmDir, const char* rmAbsDir, const char* batchPath)
{
    if (!Empty(rmDir)) Line(text, CString("rmdir /S /Q ") + rmDir);
    // Three tries with a listing between them as a short delay, while the program ends.
    Line(text, ":repeat");
    Line(text, "if not exist \"Vacater.exe\" goto end");
    Line(text, "del \"Vacater.exe\"  > NUL ");
    Line(text, "dir");
    Line(text, "del \"Vacater.exe\"  > NUL ");
    Line(text, "dir");
    Line(text, "del \"Vacater.exe\"  > NUL ");
    Line(text, ":end");
    for (const char* name : PACKAGE_FILES) {
        CString line;
        line.Format("del \"%s\"  > NUL\r\n", name);
        text += line;
    }
    if (!Empty(rmAbsDir)) {
        Line(text, "cd \\ ");
        for (int i = 0; i < 3; ++i) {
            Line(text, ":dir");
            Line(text, CString("rmdir /S /Q ") + rmAbsDir);
        }
    }
    Line(text, "del %TEMP%\\CleanUp.exe  > NUL");
    Line(text, "del %TEMP%\\zevdevascii.log  > NUL");
    Line(text, CString("del \"") + batchPath + "\"  > NUL"); // the batch deletes itself last
}

} // namespace

CleanUpSetting CleanUpSettingFor(const char* application)
{
    if (!application) return CLEANUP_DEFAULT;
    if (strcmp(application, "AppDeck") == 0) return CLEANUP_APPDECK;
    if (strcmp(application, "Tresoria") == 0) return CLEANUP_TRESORIA;
    return CLEANUP_DEFAULT;
}

CleanUpBatch BuildCleanUpBatch(const char* application, const char* tempDir,
                               const char* currentPath, const char* rmDir,
                               const char* rmAbsDir)
{
    CleanUpBatch batch;
    const char* temp = tempDir ? tempDir : "";
    batch.setting = CleanUpSettingFor(application);
    batch.batchPath.Format("%s\\remove.bat", temp);
    batch.workDir = temp;
    switch (batch.setting) {
    case CLEANUP_APPDECK:
        if (*temp) batch.workDir = CString(temp) + "\\" + APPDECK_FOLDER;
        batch.deletePath = *temp ? batch.workDir : CString();
        LauncherText(batch.text, batch.deletePath);
        break;
    case CLEANUP_TRESORIA:
        DataSafeText(batch.text, currentPath);
        break;
    case CLEANUP_DEFAULT:
        DefaultText(batch.text, rmDir, rmAbsDir, batch.batchPath);
        break;
    }
    return batch;
}
