// Where the logger writes: the log file's path from the settings LogPath, LogFileName,
// LogDirName, LogFileAppendPID and LogFileAppendProcName. The logger and the support
// report both take the path from here, so the report finds the file the logger writes.
#pragma once
#include <zvcrypt/Config.h>
#include <cstddef>
#include <string>

namespace zvcrypt {

// The log file's path as the logger keeps it: the whole path and its two parts.
struct LogFilePath {
    std::string mFullPath;   // the file the logger writes
    std::string mDirName;    // the path before its last backslash
    std::string mFileName;   // the path after it
    // How many characters at the end of mFullPath the append settings added
    // ("-1234.log", "_Vacater.exe.log"); mFileName ends with as many of them.
    std::size_t mulFullAppended = 0;
    std::size_t mulFileAppended = 0;

    // mFullPath without what the append settings added: the beginning that the log files
    // of every process with these settings share.
    std::string base() const { return mFullPath.substr(0, mFullPath.size() - mulFullAppended); }
};

// One text setting of a store.
struct LogPathText {
    bool mbPresent = false;
    std::string mText;
    // The text as the registry holds it, of type REG_SZ: its first %NAME% pair is expanded
    // first, as the settings store does. False for a text the store already handed out
    // (expanded) and for other types, which the store does not expand.
    bool mbExpand = false;
};

// The settings of one store that name the log file, and the process the appended pieces
// name.
struct LogPathSettings {
    LogPathText mLogPath;
    LogPathText mLogFileName;
    LogPathText mLogDirName;
    bool mbAppendPid = false;        // LogFileAppendPID is 1 (in this or an earlier store)
    bool mbAppendProcName = false;   // LogFileAppendProcName is 1 (likewise)
    unsigned long mulProcessId = 0;
    std::string mExecutableName;     // the executable's file name, "Vacater.exe"
};

// The path a new logger starts with: USERPROFILE, a backslash and "zv.log"; ".\zv.log"
// when USERPROFILE is not set.
LogFilePath zvDefaultLogPath(const EnvLookup& env);

// The log file after one store's settings are applied to current, in the logger's order:
// LogPath (the whole path, "-" + name + ".log" appended per append flag), then LogFileName
// (replaces the file part, "_" + name + ".log" appended), then LogDirName (replaces the
// directory part). A LogPath without a backslash followed by something leaves both parts
// as they were: a later LogFileName or LogDirName builds on them. env answers the %NAME%
// of texts marked mbExpand. Each piece keeps at most 512 characters, as the logger does.
LogFilePath zvLogFilePath(const LogFilePath& current, const LogPathSettings& settings, const EnvLookup& env);

// The same from the default path: one store applied to a new logger.
inline LogFilePath zvLogFilePath(const LogPathSettings& settings, const EnvLookup& env)
{
    return zvLogFilePath(zvDefaultLogPath(env), settings, env);
}

} // namespace zvcrypt
