#include "CleanUpBatch.h"
#include "BatchCodePage.h"
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

// The form of one of our paths for the batch (see BatchWord.h). Without one, a note for
// the trace goes to the batch's list ("<what> [<path>] <why>; <consequence>") and the
// result is false.
bool Word(CleanUpBatch& batch, const BatchHost& host, const char* what, const char* path, BatchWordPlace place,
          const char* consequence, CString* word)
{
    CString why;
    if (BatchWordFor(path, place, host, word, &why)) return true;
    CString note;
    note.Format("%s [%s] %s; %s", what, path, why.GetString(), consequence);
    batch.leftOut.push_back(note);
    return false;
}

// deletePath: the form to write, empty without a temporary directory; usable: false when
// the delete path has no form cmd reads as one word (its lines are then left out).
void LauncherText(CString& text, const char* deletePath, bool usable)
{
    Line(text, "@ECHO OFF");
    Line(text, "attrib -r *.*");
    // Starts another copy that only sleeps, which delays the batch by two seconds.
    if (usable) Line(text, CString(deletePath) + "\\Dididevive\\Vacater.exe /Sleep=2000");
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
    if (usable && !Empty(deletePath)) {
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

// currentPath: the form to write; null when the start folder has none (its line is left out).
void DataSafeText(CString& text, const char* currentPath)
{
    Line(text, "@ECHO OFF");
    Line(text, "attrib -r *.*");
    Line(text, ":repeat");
    Line(text, "if not exist \"Vacater.exe\" goto end");
    Line(text, "del \"Vacater.exe\"  > NUL");
    Line(text, "goto repeat");
    Line(text, ":end");
    if (currentPath) Line(text, CString("del /F /S /Q ") + currentPath);
}

// tempWord: what stands for the temporary directory in the two "del" lines of its files
// ("%TEMP%" when it is plain), batchPath the form of the batch's own path; null for lines
// left out.
void DefaultText(CString& text, const char* rmDir, const char* rmAbsDir, const char* tempWord,
                 const char* batchPath)
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
    if (tempWord) {
        Line(text, CString("del ") + tempWord + "\\CleanUp.exe  > NUL");
        Line(text, CString("del ") + tempWord + "\\zevdevascii.log  > NUL");
    }
    if (batchPath) Line(text, CString("del \"") + batchPath + "\"  > NUL"); // the batch deletes itself last
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
                               const char* rmAbsDir, const BatchHost& host)
{
    CleanUpBatch batch;
    const char* temp = tempDir ? tempDir : "";
    batch.setting = CleanUpSettingFor(application);
    batch.batchPath.Format("%s\\remove.bat", temp);
    batch.workDir = temp;
    batch.startCommand = batch.batchPath;
    batch.oemOk = false;

    // The batch is started by its path as a plain word. The file does not exist yet, so
    // its folder gives the short form; without one the quoted path still starts it.
    CString tempWord;
    bool tempPlain = !*temp;
    if (*temp) {
        const char* consequence = batch.setting == CLEANUP_DEFAULT
            ? "the batch is started by its quoted path, and the \"del\" lines of CleanUp.exe and zevdevascii.log "
              "(\"%TEMP%\" is expanded before cmd splits the line) are left out"
            : "the batch is started by its quoted path";
        tempPlain = Word(batch, host, "the temporary directory", temp, BATCH_WORD_PLAIN, consequence, &tempWord);
        batch.startCommand = tempPlain ? tempWord + "\\remove.bat" : "\"" + batch.batchPath + "\"";
    }

    switch (batch.setting) {
    case CLEANUP_APPDECK: {
        if (*temp) batch.workDir = CString(temp) + "\\" + APPDECK_FOLDER;
        batch.deletePath = *temp ? batch.workDir : CString();
        CString word;
        bool usable = batch.deletePath.IsEmpty() ||
                      Word(batch, host, "the delete path", batch.deletePath, BATCH_WORD_PLAIN,
                           "the starter line and the eight lines that remove the folder are left out", &word);
        LauncherText(batch.text, word, usable);
        break;
    }
    case CLEANUP_TRESORIA: {
        CString word;
        const char* start = currentPath ? currentPath : "";
        bool usable = !*start || Word(batch, host, "the start folder", start, BATCH_WORD_PLAIN,
                                      "its \"del /F /S /Q\" line is left out", &word);
        DataSafeText(batch.text, usable ? word.GetString() : nullptr);
        break;
    }
    case CLEANUP_DEFAULT: {
        // The design's "%TEMP%" stays whenever the directory is plain; its short form else.
        CString files = !*temp || tempWord == temp ? CString("%TEMP%") : tempWord;
        CString folder;
        bool selfUsable = !*temp || Word(batch, host, "the batch's folder", temp, BATCH_WORD_QUOTED,
                                         "the line that deletes the batch is left out", &folder);
        CString self = *temp ? folder + "\\remove.bat" : batch.batchPath;
        DefaultText(batch.text, rmDir, rmAbsDir, tempPlain ? files.GetString() : nullptr,
                    selfUsable ? self.GetString() : nullptr);
        break;
    }
    }
    batch.oemOk = AnsiToOemBytes(batch.text, host.AnsiCodePage(), host.OemCodePage(), &batch.oemText);
    return batch;
}
