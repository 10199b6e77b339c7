// The log: "gamelog.txt", opened, appended to and closed for every line so
// that everything logged before a crash is on disk.
#include "ctesser.h"

#include <cstdio>

namespace {

void AppendToLog(const std::string& text) { LogAppendToFile(LOG_FILE_NAME, text); }

} // namespace

void LogAppendToFile(const char* fileName, const std::string& text)
{
    std::FILE* file = std::fopen(fileName, "a");
    if (!file)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
    std::fclose(file);
}

const char* LogEntryPrefix(int kind)
{
    switch (kind) {
    case LOG_QUERY: return "? ";
    case LOG_STEP: return "   =: ";
    case LOG_STAGE: return "  -=: ";
    case LOG_HEADING: return "--==: ";
    case LOG_SUCCESS: return "   +: ";
    case LOG_WARNING: return " !: ";
    case LOG_ERROR: return " !!!: ";
    default: return nullptr;
    }
}

const char* LogSeparatorLine(int style)
{
    switch (style) {
    case LOGSEP_THIN: return "|---------------------------------------------------|";
    case LOGSEP_DOUBLE: return "|===================================================|";
    case LOGSEP_DOTTED: return "|:::::::::::::::::::::::::::::::::::::::::::::::::::|";
    case LOGSEP_ALARM: return "|!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!|";
    default: return nullptr;
    }
}

void LogWriteLine(const std::string& text) { AppendToLog(text + "\n"); }

void LogWriteEntry(const std::string& text, int kind)
{
    if (const char* prefix = LogEntryPrefix(kind))
        AppendToLog(prefix + text + "\n");
}

void LogWriteSeparator(int style)
{
    if (const char* line = LogSeparatorLine(style))
        AppendToLog(std::string(line) + "\n");
}

void LogWriteBlankLines(int count)
{
    if (count <= 0)
        return;
    std::FILE* file = std::fopen(LOG_FILE_NAME, "a");
    if (!file)
        return;
    // Written in pieces: a script may ask for any count.
    static const char kNewlines[] = "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";
    constexpr int kChunk = static_cast<int>(sizeof kNewlines - 1);
    for (int left = count; left > 0; left -= kChunk)
        std::fwrite(kNewlines, 1, static_cast<size_t>(left < kChunk ? left : kChunk), file);
    std::fflush(file);
    std::fclose(file);
}

void LogDeleteFile() { std::remove(LOG_FILE_NAME); }

std::string LogFormatDate(int day, int month, int year)
{
    return std::to_string(day) + "." + std::to_string(month) + "." + std::to_string(year);
}

std::string LogFormatTime(int hour, int minute) { return std::to_string(hour) + ":" + std::to_string(minute); }

void CTesser::WriteLine(const std::string& text) { LogWriteLine(text); }
void CTesser::WriteEntry(const std::string& text, int kind) { LogWriteEntry(text, kind); }
void CTesser::WriteSeparator(int style) { LogWriteSeparator(style); }
void CTesser::WriteBlankLines(int count) { LogWriteBlankLines(count); }
