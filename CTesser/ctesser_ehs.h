// The exception system: one exception class for every failed check, the
// checkpoint of the last entered function, and the crash record.
#pragma once

#include <cstdint>
#include <string>

enum EHSErrorType : int32_t {
    EHS_UNKNOWN = 0,
    EHS_GENERAL = 1,
    EHS_GAME = 2,
    EHS_WIN32 = 3,
    EHS_LUA = 4,
    EHS_LUAGLUE = 5,
    EHS_INSCRIPT = 6,
};

class CEHSException {
public:
    CEHSException(int32_t type, int32_t code, std::string description, std::string file, int32_t line);
    CEHSException(const CEHSException&) = default;
    CEHSException& operator=(const CEHSException&) = default;

    int32_t GetType() const { return m_type; }
    int32_t GetCode() const { return m_code; }
    const std::string& GetDescription() const { return m_description; }
    const std::string& GetFile() const { return m_file; }
    int32_t GetLine() const { return m_line; }

    // The printed name of the type: "Unknown.", "General.", ... or "Undefined type!".
    const char* GetTypeName() const;
    static const char* TypeName(int32_t type);

    // Appends one crash record to "ehslog.txt".
    void WriteCrashLog() const;

private:
    int32_t m_type;
    int32_t m_code;
    std::string m_description;
    std::string m_file;
    int32_t m_line;
};

// The checkpoint: two plain stores, cheap enough for per-frame code.
extern int32_t g_ehsCheckpointFileID;
extern int32_t g_ehsCheckpointLine;

inline void SetCheckpoint(int32_t fileID, int32_t line)
{
    g_ehsCheckpointFileID = fileID;
    g_ehsCheckpointLine = line;
}
inline int32_t GetCheckpointFileID() { return g_ehsCheckpointFileID; }
inline int32_t GetCheckpointLine() { return g_ehsCheckpointLine; }

#define EHS_CHECK(condition, type, description)                                                       \
    do {                                                                                              \
        if (!(condition))                                                                             \
            throw CEHSException((type), 0, (description), __FILE__, __LINE__);                        \
    } while (0)

#define EHS_ASSERT(condition) EHS_CHECK(condition, EHS_GENERAL, "EHS Assertion failed.")

// The description of a processor fault code ("Access violation." for
// 0xC0000005), or nullptr for a code that is not translated.
const char* EHSFaultDescription(uint32_t exceptionCode);

// The fault translator the process entry installs: throws CEHSException of
// type Win32 (code, description, file "", line 0) for a known code, returns
// for any other.
void TranslateStructuredException(uint32_t exceptionCode, void* exceptionPointers);

// Throws `text` as a plain message string (const char*). The text is kept
// in storage that lives until the next such throw, so a message built at
// run time is still valid when the process entry's handler reads it.
[[noreturn]] void EHSThrowMessage(const std::string& text);

// The lines of one crash record as written to "ehslog.txt" ("\n" line
// ends), for the given local time and checkpoint.
std::string EHSFormatCrashRecord(const CEHSException& e, int day, int month, int year, int hour, int minute,
                                 int32_t checkpointFileID, int32_t checkpointLine);

// The fatal-error reports of the process entry; each works with or without
// an engine object and never throws.
// A CEHSException: crash record to "ehslog.txt" and the report to the log.
void EHSReportException(const CEHSException& e);
// A thrown message string: one error entry in the log.
void EHSReportMessage(const char* text);
// Anything else: "EXCEPTION OF UNKNOWN TYPE!".
void EHSReportUnknown();
// Reports whatever is being handled right now (call inside a catch block).
void EHSReportCurrentException();

// Runs `step`; a failure inside it is reported like a fatal error instead
// of leaving the caller. For shut-down code that must go on (destructors).
template <class Step>
void EHSGuarded(Step&& step) noexcept
{
    try {
        step();
    } catch (...) {
        EHSReportCurrentException();
    }
}
