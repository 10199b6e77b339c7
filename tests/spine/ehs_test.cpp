// The exception system: type names, checks, the fault translator, thrown
// message strings, the crash record and the reports without an engine.
#include <csignal>

#include "ctesser.h"
#include "platform/process/tsr_process.h"
#include "spine_fixture.h"

namespace {

using spine::TempDirTest;

TEST(EHSException, TypeNames)
{
    const std::pair<int32_t, const char*> cases[] = {
        {0, "Unknown."}, {1, "General."},           {2, "Game."},           {3, "Win32."},
        {4, "Lua."},     {5, "Lua glue function."}, {6, "In-script."},      {7, "Undefined type!"},
        {9, "Undefined type!"}, {-1, "Undefined type!"},
    };
    for (const auto& [type, name] : cases) {
        EXPECT_STREQ(CEHSException::TypeName(type), name) << type;
        EXPECT_STREQ(CEHSException(type, 0, "", "", 0).GetTypeName(), name) << type;
    }
}

TEST(EHSException, CheckThrowsWithCodeZeroAndSourcePosition)
{
    const int expectedLine = __LINE__ + 2;
    try {
        EHS_CHECK(1 + 1 == 3, EHS_GAME, "Invalid level data!");
        FAIL() << "no throw";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetType(), EHS_GAME);
        EXPECT_EQ(e.GetCode(), 0);
        EXPECT_EQ(e.GetDescription(), "Invalid level data!");
        EXPECT_EQ(e.GetFile(), __FILE__);
        EXPECT_EQ(e.GetLine(), expectedLine);
    }
    EXPECT_NO_THROW(EHS_CHECK(true, EHS_GAME, "never"));
}

TEST(EHSException, AssertIsGeneralWithFixedText)
{
    const int* engine = nullptr;
    try {
        EHS_ASSERT(engine != nullptr);
        FAIL() << "no throw";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetType(), EHS_GENERAL);
        EXPECT_EQ(e.GetCode(), 0);
        EXPECT_EQ(e.GetDescription(), "EHS Assertion failed.");
    }
}

TEST(EHSException, CheckpointIsTwoStores)
{
    SetCheckpoint(1023, 77);
    EXPECT_EQ(GetCheckpointFileID(), 1023);
    EXPECT_EQ(GetCheckpointLine(), 77);
}

TEST(EHSTranslator, KnownCodesBecomeWin32Exceptions)
{
    const std::pair<uint32_t, const char*> cases[] = {
        {0xC0000005u, "Access violation."},
        {0xC0000094u, "Divide by zero (int)."},
        {0x80000002u, "Data type misalingment."},
        {0xC00000FDu, "Stack overflow."},
        {0xC0000092u, "Stack overflow or underflow (float)."},
        {0xC0000096u,
         "The thread tried to execute an instruction whose operation is not allowed in the current machine mode."},
    };
    for (const auto& [code, description] : cases) {
        try {
            TranslateStructuredException(code, nullptr);
            ADD_FAILURE() << "no throw for " << code;
        } catch (const CEHSException& e) {
            EXPECT_EQ(e.GetType(), EHS_WIN32);
            EXPECT_EQ(static_cast<uint32_t>(e.GetCode()), code);
            EXPECT_EQ(e.GetDescription(), description);
            EXPECT_EQ(e.GetFile(), "");
            EXPECT_EQ(e.GetLine(), 0);
        }
    }
    EXPECT_EQ(static_cast<int32_t>(0xC0000005u), -1073741819);
}

TEST(EHSTranslator, UnknownCodesReturnWithoutThrowing)
{
    for (uint32_t code : {0u, 0xC0000001u, 0xE06D7363u, 0xC00000FEu})
        EXPECT_NO_THROW(TranslateStructuredException(code, nullptr)) << code;
}

TEST(EHSTranslator, SignalsMapToWindowsCodes)
{
    struct Case {
        int signo;
        int siCode;
        bool nearStack;
        uint32_t code;
    };
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, tsr::FAULT_ACCESS_VIOLATION},
        {SIGSEGV, SEGV_ACCERR, false, tsr::FAULT_ACCESS_VIOLATION},
        {SIGSEGV, SEGV_MAPERR, true, tsr::FAULT_STACK_OVERFLOW},
        {SIGFPE, FPE_INTDIV, false, tsr::FAULT_INT_DIVIDE_BY_ZERO},
        {SIGFPE, FPE_INTOVF, false, tsr::FAULT_INT_OVERFLOW},
        {SIGFPE, FPE_FLTDIV, false, tsr::FAULT_FLT_DIVIDE_BY_ZERO},
        {SIGFPE, FPE_FLTINV, false, tsr::FAULT_FLT_INVALID_OPERATION},
        {SIGFPE, FPE_FLTOVF, false, tsr::FAULT_FLT_OVERFLOW},
        {SIGFPE, FPE_FLTUND, false, tsr::FAULT_FLT_UNDERFLOW},
        {SIGFPE, FPE_FLTRES, false, tsr::FAULT_FLT_INEXACT_RESULT},
        {SIGFPE, FPE_FLTSUB, false, tsr::FAULT_ARRAY_BOUNDS_EXCEEDED},
        {SIGFPE, 999, false, 0},
        {SIGBUS, BUS_ADRALN, false, tsr::FAULT_DATATYPE_MISALIGNMENT},
        {SIGBUS, BUS_ADRERR, false, tsr::FAULT_IN_PAGE_ERROR},
        {SIGILL, ILL_ILLOPN, false, tsr::FAULT_ILLEGAL_INSTRUCTION},
        {SIGILL, ILL_PRVOPC, false, tsr::FAULT_PRIV_INSTRUCTION},
        {SIGTRAP, TRAP_BRKPT, false, tsr::FAULT_BREAKPOINT},
        {SIGTRAP, TRAP_TRACE, false, tsr::FAULT_SINGLE_STEP},
        {SIGINT, 1, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tsr::FaultCodeFromSignal(c.signo, c.siCode, c.nearStack), c.code)
            << "signal " << c.signo << " code " << c.siCode;
        // Every code the signals give has a description.
        if (c.code) {
            EXPECT_NE(EHSFaultDescription(c.code), nullptr) << c.code;
        }
    }
}

// In this process, with the translator installed: a real fault arrives as
// CEHSException where it is caught, and a second fault later is seen too.
int* volatile g_null = nullptr;
volatile int g_zero = 0;
volatile int g_sink = 0;

TEST(EHSTranslator, RealFaultsArriveAsExceptions)
{
    tsr::InstallFaultTranslator(TranslateStructuredException);
    for (int round = 0; round < 2; ++round) {
        try {
            *g_null = 5;
            ADD_FAILURE() << "no fault";
        } catch (const CEHSException& e) {
            EXPECT_EQ(e.GetType(), EHS_WIN32);
            EXPECT_EQ(e.GetCode(), -1073741819);
            EXPECT_EQ(e.GetDescription(), "Access violation.");
        }
        try {
            g_sink = 7 / g_zero;
            ADD_FAILURE() << "no fault";
        } catch (const CEHSException& e) {
            EXPECT_EQ(static_cast<uint32_t>(e.GetCode()), 0xC0000094u);
            EXPECT_EQ(e.GetDescription(), "Divide by zero (int).");
        }
    }
}

TEST(EHSThrowMessage, RuntimeTextIsValidWhereItIsCaught)
{
    try {
        {
            std::string path = ".\\data\\empty.xml";
            EHSThrowMessage("XMLERROR: the file is empty - " + path);
        }
    } catch (const char* text) {
        // Scribble over the heap the temporaries used.
        std::string other(200, 'x');
        EXPECT_STREQ(text, "XMLERROR: the file is empty - .\\data\\empty.xml");
        return;
    }
    FAIL() << "not caught as const char*";
}

TEST(EHSCrashRecord, Format)
{
    SetCheckpoint(1023, 118);
    const CEHSException fault(EHS_WIN32, static_cast<int32_t>(0xC0000005u), "Access violation.", "", 0);
    EXPECT_EQ(EHSFormatCrashRecord(fault, 3, 1, 2005, 9, 7, 1023, 118),
              "\n\n\n"
              "Date: 3.1.2005\n"
              "Time: 9:7\n"
              "Exception type: Win32.\n"
              "Exception code: -1073741819\n"
              "Exception desc: Access violation.\n"
              "File: \n"
              "Line: 0\n"
              "Last checkpoint:\n"
              "   FileID: 1023\n"
              "   Line:   118\n");

    const CEHSException odd(9, -5, "odd", "level.cpp", 12);
    const std::string record = EHSFormatCrashRecord(odd, 28, 2, 2026, 23, 59, 0, 0);
    EXPECT_NE(record.find("Exception type: Undefined type!\nException code: -5\n"), std::string::npos);
    EXPECT_NE(record.find("File: level.cpp\nLine: 12\n"), std::string::npos);
}

using EHSReportTest = TempDirTest;

TEST_F(EHSReportTest, CrashRecordsAccumulate)
{
    const CEHSException e(EHS_GAME, 0, "first", "a.cpp", 1);
    e.WriteCrashLog();
    CEHSException(EHS_GAME, 0, "second", "b.cpp", 2).WriteCrashLog();
    const std::string log = EhsLog();
    EXPECT_EQ(log.rfind("\n\n\nDate: ", 0), 0u);
    EXPECT_NE(log.find("Exception desc: first\n"), std::string::npos);
    EXPECT_NE(log.find("Exception desc: second\n"), std::string::npos);
    EXPECT_LT(log.find("first"), log.find("second"));
}

TEST_F(EHSReportTest, ReportsWorkWithoutAnEngineObject)
{
    ASSERT_EQ(CTesser::GetInstance(), nullptr);
    SetCheckpoint(112, 40);
    EHSReportException(CEHSException(EHS_GENERAL, 0, "Cannot create CTesser object!", "tsr_entry.cpp", 44));
    EHSReportMessage("plain text");
    EHSReportMessage(nullptr);
    EHSReportUnknown();
    EXPECT_EQ(Log(), "\n\n"
                     "|:::::::::::::::::::::::::::::::::::::::::::::::::::|\n"
                     " !!!: Fatal error!\n"
                     " !!!: Error type: General.\n"
                     " !!!: Error code: 0\n"
                     " !!!: Error desc: Cannot create CTesser object!\n"
                     " !!!: Error location: \n"
                     " !!!:    File: tsr_entry.cpp\n"
                     " !!!:    Line: 44\n"
                     " !!!: Last called Lua function name: \n"
                     "|:::::::::::::::::::::::::::::::::::::::::::::::::::|\n"
                     "\n\n"
                     " !!!: plain text\n"
                     " !!!: \n"
                     " !!!: EXCEPTION OF UNKNOWN TYPE!\n");
    EXPECT_NE(EhsLog().find("Exception desc: Cannot create CTesser object!\n"), std::string::npos);
}

TEST_F(EHSReportTest, Win32ReportShowsTheCheckpoint)
{
    SetCheckpoint(1025, 321);
    EHSReportException(CEHSException(EHS_WIN32, static_cast<int32_t>(0xC0000094u), "Divide by zero (int).", "", 0));
    const std::string log = Log();
    EXPECT_NE(log.find(" !!!: Error location: \n !!!:    FileID: 1025\n !!!:    Line: 321\n"), std::string::npos);
    EXPECT_EQ(log.find("   File: "), std::string::npos);
}

TEST_F(EHSReportTest, CurrentExceptionIsReportedByKind)
{
    const auto report = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            EHSReportCurrentException();
        }
    };
    report([] { throw CEHSException(EHS_LUA, 2, "lua failed", "s.cpp", 3); });
    report([] { throw "literal"; });
    report([] {
        static char text[] = "mutable";
        throw static_cast<char*>(text);
    });
    report([] { throw std::string("owned"); });
    report([] { throw 3.5; });
    const std::string log = Log();
    EXPECT_NE(log.find(" !!!: Error type: Lua.\n !!!: Error code: 2\n"), std::string::npos);
    EXPECT_NE(log.find(" !!!: literal\n !!!: mutable\n !!!: owned\n !!!: EXCEPTION OF UNKNOWN TYPE!\n"),
              std::string::npos);
}

} // namespace
