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

// The forms of the program's own paths for the batch. A path without one gets a note for
// the trace in the batch's list: "<what> [<path>] <why>; <what was left out>".
class OwnPaths {
public:
    OwnPaths(CleanUpBatch& batch, const BatchHost& host) : m_batch(batch), m_host(host) {}
    BatchWord Form(const char* what, const char* path, BatchWordPlace place, const char* consequence) const
    {
        BatchWord word = BatchWordFor(path, place, m_host);
        if (!word) {
            CString note;
            note.Format("%s [%s] %s; %s", what, path, word.Reason().GetString(), consequence);
            m_batch.leftOut.push_back(note);
        }
        return word;
    }

private:
    CleanUpBatch& m_batch;
    const BatchHost& m_host;
};

// The lines the batch adds on a PC that needs them; empty where it does not, so the usual
// text stays byte for byte.
struct Guards {
    CString chcp;     // sets the code page the bytes are in, before the first path
    CString attrib;   // the command that clears the read-only attributes
};

// An external command of the batch by its name, or the system's own copy by full path when
// the batch's working directory holds a file cmd would run in its place.
CString Command(CleanUpBatch& batch, const BatchHost& host, const char* name, const char* file)
{
    const char* folder = batch.workDir.IsEmpty() ? "." : batch.workDir.GetString();
    if (!host.HoldsCommand(folder, name)) return name;
    CString note;
    note.Format("the working directory [%s] holds a file named %s; the system's %s is named by its full path",
                folder, name, file);
    batch.leftOut.push_back(note);
    CString full;
    full.Format("\"%%SystemRoot%%\\System32\\%s\"", file);
    return full;
}

// deletePath: the form of the delete path (empty without a temporary directory), none when
// cmd cannot read it as one word (its lines are then left out).
void LauncherText(CString& text, const BatchWord& deletePath, const Guards& guards)
{
    Line(text, "@ECHO OFF");
    if (!guards.chcp.IsEmpty()) Line(text, guards.chcp);
    Line(text, guards.attrib + " -r *.*");
    // Starts another copy that only sleeps, which delays the batch by two seconds.
    if (deletePath) Line(text, deletePath.Text() + "\\Dididevive\\Vacater.exe /Sleep=2000");
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
    if (deletePath && !deletePath.Text().IsEmpty()) {
        const CString& d = deletePath.Text();
        Line(text, ":repeat3");
        Line(text, "if not exist \".\\AppDeck\\AppDeck.ini\" goto end3");
        Line(text, "del /F /S /Q " + d + " > NUL ");
        Line(text, "goto repeat3");
        Line(text, ":end3");
        Line(text, "cd " + d + " > NUL ");
        Line(text, "cd .. ");
        Line(text, CString("rmdir /S /Q ") + APPDECK_FOLDER + " > NUL ");
    }
}

// startFolder: the form of the start folder; its line is left out without one.
void DataSafeText(CString& text, const BatchWord& startFolder, const Guards& guards)
{
    Line(text, "@ECHO OFF");
    if (!guards.chcp.IsEmpty()) Line(text, guards.chcp);
    Line(text, guards.attrib + " -r *.*");
    Line(text, ":repeat");
    Line(text, "if not exist \"Vacater.exe\" goto end");
    Line(text, "del \"Vacater.exe\"  > NUL");
    Line(text, "goto repeat");
    Line(text, ":end");
    if (startFolder) Line(text, "del /F /S /Q " + startFolder.Text());
}

// files: what stands for the temporary directory in the two "del" lines of its files
// ("%TEMP%" when it is plain), self the form of the batch's own path; none for lines left out.
void DefaultText(CString& text, const char* rmDir, const char* rmAbsDir, const BatchWord& files,
                 const BatchWord& self, const Guards& guards)
{
    if (!guards.chcp.IsEmpty()) Line(text, guards.chcp);
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
    if (files) {
        Line(text, "del " + files.Text() + "\\CleanUp.exe  > NUL");
        Line(text, "del " + files.Text() + "\\zevdevascii.log  > NUL");
    }
    if (self) Line(text, "del \"" + self.Text() + "\"  > NUL"); // the batch deletes itself last
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
    if (batch.setting == CLEANUP_APPDECK && *temp) batch.workDir = CString(temp) + "\\" + APPDECK_FOLDER;
    batch.oemOk = false;
    const OwnPaths own(batch, host);

    // The batch is started by its path as a plain word. The file does not exist yet, so
    // its folder gives the short form; without one the quoted path still starts it.
    BatchWord tempWord = BatchWord::Form("");
    if (*temp) {
        const char* consequence = batch.setting == CLEANUP_DEFAULT
            ? "the batch is started by its quoted path, and the \"del\" lines of CleanUp.exe and zevdevascii.log "
              "(\"%TEMP%\" is expanded before cmd splits the line) are left out"
            : "the batch is started by its quoted path";
        tempWord = own.Form("the temporary directory", temp, BATCH_WORD_PLAIN, consequence);
    }
    batch.startCommand = !*temp ? batch.batchPath
                         : tempWord ? tempWord.Text() + "\\remove.bat"
                                    : "\"" + batch.batchPath + "\"";

    Guards guards;
    if (unsigned int codePage = BatchChcpCodePage(host.ConsoleSettings())) {
        // Another code page than the one the bytes are in: chcp is an external command too.
        guards.chcp.Format("%s %u > NUL", Command(batch, host, "chcp", "chcp.com").GetString(), codePage);
    }

    switch (batch.setting) {
    case CLEANUP_APPDECK: {
        guards.attrib = Command(batch, host, "attrib", "attrib.exe");
        batch.deletePath = *temp ? batch.workDir : CString();
        BatchWord deletePath = batch.deletePath.IsEmpty()
            ? BatchWord::Form("")
            : own.Form("the delete path", batch.deletePath, BATCH_WORD_PLAIN,
                       "the starter line and the eight lines that remove the folder are left out");
        LauncherText(batch.text, deletePath, guards);
        break;
    }
    case CLEANUP_TRESORIA: {
        guards.attrib = Command(batch, host, "attrib", "attrib.exe");
        // Without a start folder a bare "del /F /S /Q" would be left: no line.
        BatchWord start = BatchWord::None("is empty");
        if (Empty(currentPath))
            batch.leftOut.push_back("the start folder [] is empty; its \"del /F /S /Q\" line is left out");
        else
            start = own.Form("the start folder", currentPath, BATCH_WORD_PLAIN, "its \"del /F /S /Q\" line is left out");
        DataSafeText(batch.text, start, guards);
        break;
    }
    case CLEANUP_DEFAULT: {
        // The plain "%TEMP%" stays whenever the directory is plain; its short form else.
        BatchWord files = !tempWord ? tempWord
                          : tempWord.Text().IsEmpty() || tempWord.Text() == temp ? BatchWord::Form("%TEMP%")
                                                                                 : tempWord;
        BatchWord folder = *temp ? own.Form("the batch's folder", temp, BATCH_WORD_QUOTED,
                                            "the line that deletes the batch is left out")
                                 : BatchWord::Form("");
        BatchWord self = folder ? BatchWord::Form(*temp ? folder.Text() + "\\remove.bat" : batch.batchPath) : folder;
        DefaultText(batch.text, rmDir, rmAbsDir, files, self, guards);
        break;
    }
    }
    batch.oemOk = AnsiToOemBytes(batch.text, host.AnsiCodePage(), host.OemCodePage(), &batch.oemText, host.CodePages());
    return batch;
}
