// Log entry kinds and separator styles of "gamelog.txt".
#pragma once

enum LogEntryKind {
    LOG_QUERY = 0,
    LOG_STEP = 1,
    LOG_STAGE = 2,
    LOG_HEADING = 3,
    LOG_SUCCESS = 4,
    LOG_WARNING = 5,
    LOG_ERROR = 6,
};

enum LogSeparatorStyle {
    LOGSEP_THIN = 1,
    LOGSEP_DOUBLE = 2,
    LOGSEP_DOTTED = 3,
    LOGSEP_ALARM = 4,
};

#include <string>

// The log's file, in the current folder.
inline constexpr const char* LOG_FILE_NAME = "gamelog.txt";

// The text put in front of an entry of `kind`; nullptr for a kind outside
// 0-6.
const char* LogEntryPrefix(int kind);
// The separator line of `style` (53 characters); nullptr outside 1-4.
const char* LogSeparatorLine(int style);

// The log operations themselves. They need no engine object (the fatal
// report is written even when none could be created): each opens
// "gamelog.txt" for appending, writes, flushes and closes it, and silently
// does nothing when the file cannot be opened.
void LogWriteLine(const std::string& text);
void LogWriteEntry(const std::string& text, int kind);
void LogWriteSeparator(int style);
void LogWriteBlankLines(int count);
// Deletes "gamelog.txt" (each engine object starts an empty log).
void LogDeleteFile();
// Appends `text` (already holding its line ends) to `fileName` the same
// way: opened, written, flushed and closed; nothing if it cannot be opened.
void LogAppendToFile(const char* fileName, const std::string& text);

// Local date and time as the banner and the crash record print them:
// plain decimal numbers, "9.5.2005" and "7:5".
std::string LogFormatDate(int day, int month, int year);
std::string LogFormatTime(int hour, int minute);
