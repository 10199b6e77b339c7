// The exception system: the exception class, the fault translator, the
// crash record and the fatal-error reports of the process entry.
#include "ctesser.h"

#include <exception>

#include "platform/process/tsr_process.h"

int32_t g_ehsCheckpointFileID = 0;
int32_t g_ehsCheckpointLine = 0;

namespace {

constexpr const char* EHS_FILE_NAME = "ehslog.txt";

struct FaultEntry {
    uint32_t code;
    const char* description;
};

// Descriptions as the reports print them, spelling included.
constexpr FaultEntry kFaults[] = {
    {0x80000002u, "Data type misalingment."},
    {0x80000003u, "Breakpoint."},
    {0x80000004u, "A trace trap or other single-instruction mechanism signaled that one instruction has been executed."},
    {0xC0000005u, "Access violation."},
    {0xC0000006u, "Page error."},
    {0xC000001Du, "Illegal instruction."},
    {0xC0000025u, "Noncontinuable exception ignored."},
    {0xC0000026u, "Invalid disposition."},
    {0xC000008Cu, "Array bounds exceeded."},
    {0xC000008Du, "Denormal operand (float)."},
    {0xC000008Eu, "Divide by zero (float)."},
    {0xC000008Fu, "Inexact result (float)."},
    {0xC0000090u, "Invalid operation (float)."},
    {0xC0000091u, "Overflow (float)."},
    {0xC0000092u, "Stack overflow or underflow (float)."},
    {0xC0000093u, "Underflow (float)."},
    {0xC0000094u, "Divide by zero (int)."},
    {0xC0000095u, "Overflow (int)."},
    {0xC0000096u, "The thread tried to execute an instruction whose operation is not allowed in the current machine mode."},
    {0xC00000FDu, "Stack overflow."},
};

// Storage of the last message thrown by EHSThrowMessage.
std::string& ThrownMessageStorage()
{
    static std::string text;
    return text;
}

std::string LastCalledLuaFunction() noexcept
{
    try {
        if (CTesser* engine = CTesser::GetInstance())
            return engine->ScrGetLastCalledFunction();
    } catch (...) {
        // The name is only a hint; a failure to get it must not hide the report.
    }
    return std::string();
}

} // namespace

CEHSException::CEHSException(int32_t type, int32_t code, std::string description, std::string file, int32_t line)
    : m_type(type), m_code(code), m_description(std::move(description)), m_file(std::move(file)), m_line(line)
{
}

const char* CEHSException::TypeName(int32_t type)
{
    switch (type) {
    case EHS_UNKNOWN: return "Unknown.";
    case EHS_GENERAL: return "General.";
    case EHS_GAME: return "Game.";
    case EHS_WIN32: return "Win32.";
    case EHS_LUA: return "Lua.";
    case EHS_LUAGLUE: return "Lua glue function.";
    case EHS_INSCRIPT: return "In-script.";
    default: return "Undefined type!";
    }
}

const char* CEHSException::GetTypeName() const { return TypeName(m_type); }

std::string EHSFormatCrashRecord(const CEHSException& e, int day, int month, int year, int hour, int minute,
                                 int32_t checkpointFileID, int32_t checkpointLine)
{
    std::string out = "\n\n\n";
    out += "Date: " + LogFormatDate(day, month, year) + "\n";
    out += "Time: " + LogFormatTime(hour, minute) + "\n";
    out += std::string("Exception type: ") + e.GetTypeName() + "\n";
    out += "Exception code: " + std::to_string(e.GetCode()) + "\n";
    out += "Exception desc: " + e.GetDescription() + "\n";
    out += "File: " + e.GetFile() + "\n";
    out += "Line: " + std::to_string(e.GetLine()) + "\n";
    out += "Last checkpoint:\n";
    out += "   FileID: " + std::to_string(checkpointFileID) + "\n";
    out += "   Line:   " + std::to_string(checkpointLine) + "\n";
    return out;
}

void CEHSException::WriteCrashLog() const
{
    const tsr::LocalTime now = tsr::GetLocalTime();
    const std::string record = EHSFormatCrashRecord(*this, now.day, now.month, now.year, now.hour, now.minute,
                                                    GetCheckpointFileID(), GetCheckpointLine());
    LogAppendToFile(EHS_FILE_NAME, record);
}

const char* EHSFaultDescription(uint32_t exceptionCode)
{
    for (const FaultEntry& entry : kFaults)
        if (entry.code == exceptionCode)
            return entry.description;
    return nullptr;
}

void TranslateStructuredException(uint32_t exceptionCode, void*)
{
    if (const char* description = EHSFaultDescription(exceptionCode))
        throw CEHSException(EHS_WIN32, static_cast<int32_t>(exceptionCode), description, "", 0);
}

void EHSThrowMessage(const std::string& text)
{
    std::string& storage = ThrownMessageStorage();
    storage = text;
    throw static_cast<const char*>(storage.c_str());
}

void EHSReportException(const CEHSException& e)
{
    try {
        e.WriteCrashLog();

        LogWriteBlankLines(2);
        LogWriteSeparator(LOGSEP_DOTTED);
        LogWriteEntry("Fatal error!", LOG_ERROR);
        LogWriteEntry(std::string("Error type: ") + e.GetTypeName(), LOG_ERROR);
        LogWriteEntry("Error code: " + std::to_string(e.GetCode()), LOG_ERROR);
        LogWriteEntry("Error desc: " + e.GetDescription(), LOG_ERROR);
        LogWriteEntry("Error location: ", LOG_ERROR);
        if (e.GetType() == EHS_WIN32) {
            // A fault carries no source position: the checkpoint tells where.
            LogWriteEntry("   FileID: " + std::to_string(GetCheckpointFileID()), LOG_ERROR);
            LogWriteEntry("   Line: " + std::to_string(GetCheckpointLine()), LOG_ERROR);
        } else {
            LogWriteEntry("   File: " + e.GetFile(), LOG_ERROR);
            LogWriteEntry("   Line: " + std::to_string(e.GetLine()), LOG_ERROR);
        }
        LogWriteEntry("Last called Lua function name: " + LastCalledLuaFunction(), LOG_ERROR);
        LogWriteSeparator(LOGSEP_DOTTED);
        LogWriteBlankLines(2);
    } catch (...) {
        // Out of memory while formatting: the report is lost, the shut-down goes on.
    }
}

void EHSReportMessage(const char* text)
{
    try {
        LogWriteEntry(text ? text : "", LOG_ERROR);
    } catch (...) {
    }
}

void EHSReportUnknown()
{
    try {
        LogWriteEntry("EXCEPTION OF UNKNOWN TYPE!", LOG_ERROR);
    } catch (...) {
    }
}

void EHSReportCurrentException()
{
    try {
        throw;
    } catch (const CEHSException& e) {
        EHSReportException(e);
    } catch (const char* text) {
        EHSReportMessage(text);
    } catch (const std::string& text) {
        EHSReportMessage(text.c_str());
    } catch (...) {
        EHSReportUnknown();
    }
}
