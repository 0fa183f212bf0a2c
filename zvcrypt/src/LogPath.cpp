// The log file's path from the settings.
#include <zvcrypt/LogPath.h>
#include <zvcrypt/StrBlob.h>
#include <cstdio>

namespace zvcrypt {

namespace {

// One piece of the path and how many characters at its end the append settings added.
struct Piece {
    std::string mText;
    std::size_t mulAppended;
};

// A piece as the logger stores it: formatted into a StrBlob, so at most its 512 characters.
Piece stored(const std::string& text, std::size_t appended)
{
    if (text.size() <= STRBLOB_FORMAT_LIMIT)
        return Piece{text, appended};
    std::size_t lost = text.size() - STRBLOB_FORMAT_LIMIT;
    return Piece{text.substr(0, STRBLOB_FORMAT_LIMIT), appended > lost ? appended - lost : 0};
}

// What the append settings add: separator + executable name + ".log", then separator +
// process id + ".log".
std::string appended(const LogPathSettings& settings, char separator)
{
    std::string tail;
    if (settings.mbAppendProcName)
        tail += separator + settings.mExecutableName + ".log";
    if (settings.mbAppendPid)
        tail += separator + std::to_string(settings.mulProcessId) + ".log";
    return tail;
}

std::string textOf(const LogPathText& setting, const EnvLookup& env)
{
    return setting.mbExpand ? expandFirstVariable(setting.mText, env) : setting.mText;
}

void setFull(LogFilePath& path, const Piece& full)
{
    path.mFullPath = full.mText;
    path.mulFullAppended = full.mulAppended;
}

void setFile(LogFilePath& path, const Piece& file)
{
    path.mFileName = file.mText;
    path.mulFileAppended = file.mulAppended;
}

// The whole path from its two parts.
void join(LogFilePath& path)
{
    setFull(path, stored(path.mDirName + '\\' + path.mFileName, path.mulFileAppended));
}

void setWholePath(LogFilePath& path, const std::string& text, const LogPathSettings& settings)
{
    const std::string tail = appended(settings, '-');
    const std::string full = text + tail;
    setFull(path, stored(full, tail.size()));
    // The parts come from the whole text, before it is cut.
    std::size_t slash = full.rfind('\\');
    if (slash != std::string::npos && slash + 1 < full.size()) {
        setFile(path, stored(full.substr(slash + 1), tail.size()));
        path.mDirName = stored(full.substr(0, slash), 0).mText;
    }
}

} // namespace

LogFilePath zvDefaultLogPath(const EnvLookup& env)
{
    std::string profile;
    bool hasProfile = env && env("USERPROFILE", profile);
    LogFilePath path;
    setWholePath(path, hasProfile ? profile + "\\zv.log" : std::string(".\\zv.log"), LogPathSettings());
    return path;
}

LogFilePath zvLogFilePath(const LogFilePath& current, const LogPathSettings& settings, const EnvLookup& env)
{
    LogFilePath path = current;
    if (settings.mLogPath.mbPresent)
        setWholePath(path, textOf(settings.mLogPath, env), settings);
    if (settings.mLogFileName.mbPresent) {
        const std::string tail = appended(settings, '_');
        setFile(path, stored(textOf(settings.mLogFileName, env) + tail, tail.size()));
        join(path);
    }
    if (settings.mLogDirName.mbPresent) {
        path.mDirName = stored(textOf(settings.mLogDirName, env), 0).mText;
        join(path);
    }
    return path;
}

} // namespace zvcrypt
