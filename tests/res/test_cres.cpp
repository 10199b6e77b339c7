// The resource descriptor: construction checks and data loading.
#include <cstring>

#include "ctesser_res_cres.h"
#include "res_fixture.h"

namespace {

using restest::ExpectEHS;
using restest::WriteFile;

class CResTest : public restest::TempDirTest {};

TEST(CTSNResourceCtor, ReportsTheFirstFaultInOrder)
{
    struct Case {
        const char* id;
        const char* type;
        const char* file;
        int32_t offset, size;
        const char* message;
    } cases[] = {
        {"", "", "", -1, 0, "Invalid resource ID!"},
        {"a", "", "", -1, 0, "Invalid resource type ID!"},
        {"a", "T", "", -1, 0, "Invalid resource filename!"},
        {"a", "T", "f", -1, 0, "Invalide resource name - check if resource file exist!"},
        {"a", "T", "f", 0, -3, "Invalide resource name - check if resource file exist!"},
        {"a", "T", "f", -1, 1, "Invalid resource offset! ID = a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ExpectEHS([&] { CTSNResource r(c.id, c.type, 0, c.file, c.offset, c.size, 0, 0, 0); }, EHS_GENERAL,
                  c.message);
    }
    CTSNResource ok("a", "T", 7, "f", 0, 1, 1, 2, 3);
    EXPECT_EQ(ok.GetTag(), 7);
    EXPECT_EQ(ok.GetData3(), 3);
    EXPECT_STREQ(ok.GetFileName(), "f");
    EXPECT_EQ(ok.GetData(), nullptr);
}

TEST_F(CResTest, LoadsExactlyItsByteRangeAndUnloads)
{
    std::string bytes;
    for (int i = 0; i < 200; ++i)
        bytes.push_back(static_cast<char>(i));
    WriteFile("DATA/Pack.pak", bytes);
    CTSNResource r("id", "T", 0, ".\\data\\pack.pak", 100, 20, 0, 0, 0);
    r.DataLoad();
    ASSERT_TRUE(r.IsLoaded());
    ASSERT_NE(r.GetData(), nullptr);
    EXPECT_EQ(std::memcmp(r.GetData(), bytes.data() + 100, 20), 0);
    r.DataUnLoad();
    EXPECT_FALSE(r.IsLoaded());
    EXPECT_EQ(r.GetData(), nullptr);
    // A descriptor can load again after unloading, and is destroyed loaded.
    r.DataLoad();
    EXPECT_TRUE(r.IsLoaded());
}

TEST_F(CResTest, MisuseOfLoadAndUnloadIsAnInternalError)
{
    WriteFile("f.bin", "abc");
    CTSNResource r("id", "T", 0, "f.bin", 0, 3, 0, 0, 0);
    ExpectEHS([&] { r.DataUnLoad(); }, EHS_GENERAL, "Internal error in CTSNResource::DataUnLoad()!");
    r.DataLoad();
    ExpectEHS([&] { r.DataLoad(); }, EHS_GENERAL, "Internal error in CTSNResource::DataLoad()!");
    EXPECT_TRUE(r.IsLoaded()); // the failed second load keeps the first buffer
    r.DataUnLoad();
    ExpectEHS([&] { r.DataUnLoad(); }, EHS_GENERAL, "Internal error in CTSNResource::DataUnLoad()!");
}

// The file may change after the scan: the loader must never get a partial
// or uninitialised buffer.
TEST_F(CResTest, FilesThatChangedSinceTheScanAreReported)
{
    WriteFile("f.bin", "0123456789");
    struct Case {
        const char* file;
        int32_t offset, size;
        const char* message;
    } cases[] = {
        {"gone.bin", 0, 1, "Cannot open resource file! ID = r  Filename = gone.bin"},
        {"f.bin", 11, 1, "Cannot seek to resource data! ID = r  Filename = f.bin  Offset = 11"},
        {"f.bin", 5, 6, "Cannot read resource data: the file is shorter than expected! ID = r  Filename = f.bin"},
        {"f.bin", 10, 1, "Cannot read resource data: the file is shorter than expected! ID = r  Filename = f.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        CTSNResource r("r", "T", 0, c.file, c.offset, c.size, 0, 0, 0);
        ExpectEHS([&] { r.DataLoad(); }, EHS_GENERAL, c.message);
        EXPECT_FALSE(r.IsLoaded());
        EXPECT_EQ(r.GetData(), nullptr);
    }
}

} // namespace
