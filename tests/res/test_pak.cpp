// The pack file format: reading untrusted bytes, writing, and descriptors.
#include <cstring>

#include "res_fixture.h"

namespace {

using restest::BuildPack;
using restest::PutEntry;
using restest::PutInt32;
using restest::WriteFile;

struct HostileCase {
    const char* name;
    std::string bytes;
    const char* error;
};

std::vector<HostileCase> HostileCases()
{
    std::vector<HostileCase> cases;
    cases.push_back({"empty", "", "the file is shorter than its entry count (0 bytes)"});
    cases.push_back({"three bytes", std::string("\x01\x00\x00", 3), "the file is shorter than its entry count (3 bytes)"});
    {
        std::string b;
        PutInt32(b, -1);
        cases.push_back({"negative count", b, "negative entry count (-1)"});
    }
    {
        std::string b;
        PutInt32(b, INT32_MIN);
        cases.push_back({"most negative count", b, "negative entry count (-2147483648)"});
    }
    {
        std::string b;
        PutInt32(b, 2);
        PutEntry(b, "a", "T", 0, 1);
        // One entry's worth of bytes, but two announced: 4 + 2*26 > 32.
        cases.push_back({"count too large", b, "entry count 2 is larger than a file of 32 bytes can hold"});
    }
    {
        std::string b;
        PutInt32(b, 0x7FFFFFFF);
        b += std::string(100, 'x');
        cases.push_back({"huge count", b, "entry count 2147483647 is larger than a file of 104 bytes can hold"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        b += std::string(30, 'x'); // no NUL anywhere
        cases.push_back({"unterminated id", b, "entry 0: the identifier runs to the end of the file"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        b += "id";
        b.push_back('\0');
        b += std::string(30, 'T');
        cases.push_back({"unterminated type", b, "entry 0 (id): the type name runs to the end of the file"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        b += std::string("id\0T\0", 5);
        b += std::string(21, 'z'); // fields cut short
        cases.push_back({"truncated fields", b, "entry 0 (id): the file ends inside the table of contents"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        PutEntry(b, "id", "T", -4, 1);
        cases.push_back({"negative offset", b, "entry 0 (id): negative offset -4"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        PutEntry(b, "id", "T", 0, -1);
        cases.push_back({"negative size", b, "entry 0 (id): negative size -1"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        PutEntry(b, "id", "T", 20, 20);
        cases.push_back({"range past the end", b, "entry 0 (id): 20 bytes at offset 20 lie outside the file (33 bytes)"});
    }
    {
        std::string b;
        PutInt32(b, 1);
        PutEntry(b, "id", "T", 0x7FFFFFFF, 0x7FFFFFFF);
        cases.push_back({"offset plus size overflows", b,
                         "entry 0 (id): 2147483647 bytes at offset 2147483647 lie outside the file (33 bytes)"});
    }
    {
        std::string b;
        PutInt32(b, 2);
        PutEntry(b, "ok", "T", 0, 4);
        PutEntry(b, "bad", "T", 0, 9999);
        cases.push_back({"second entry bad", b, "entry 1 (bad): 9999 bytes at offset 0 lie outside the file (63 bytes)"});
    }
    return cases;
}

class HostilePack : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostilePack, IsRefusedWithAClearReasonFromMemoryAndFromFile)
{
    const HostileCase& c = GetParam();
    std::vector<TSNResEntry> entries;
    std::string error;
    const auto* data = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(PakParseTOC(data, c.bytes.size(), static_cast<int64_t>(c.bytes.size()), entries, error),
              PakReadStatus::Malformed);
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(entries.empty());

    char tmpl[] = "/tmp/tsr_pak_XXXXXX";
    const int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    close(fd);
    WriteFile(tmpl, c.bytes);
    error.clear();
    EXPECT_EQ(PakReadTOC(tmpl, entries, error), PakReadStatus::Malformed);
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(entries.empty());
    std::remove(tmpl);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostilePack, ::testing::ValuesIn(HostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

TEST(PakTOC, ReadsEveryFieldLittleEndian)
{
    std::string b;
    PutInt32(b, 2);
    PutEntry(b, "tex", "TEXTURE", 0, 0, -3, 0x01020304, -2, 7);
    PutEntry(b, "", "", 4, 1, 9, 0, 0, 0); // empty strings are the descriptor's concern
    std::vector<TSNResEntry> entries;
    std::string error;
    ASSERT_EQ(PakParseTOC(reinterpret_cast<const uint8_t*>(b.data()), b.size(), static_cast<int64_t>(b.size()),
                          entries, error),
              PakReadStatus::Ok)
        << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, "tex");
    EXPECT_EQ(entries[0].typeID, "TEXTURE");
    EXPECT_EQ(entries[0].tag, -3);
    EXPECT_EQ(entries[0].data1, 0x01020304);
    EXPECT_EQ(entries[0].data2, -2);
    EXPECT_EQ(entries[0].data3, 7);
    EXPECT_EQ(entries[1].offset, 4);
    EXPECT_EQ(entries[1].size, 1);
    EXPECT_EQ(entries[1].tag, 9);

    // Fewer bytes than the table needs, from memory, is not a valid table.
    EXPECT_EQ(PakParseTOC(reinterpret_cast<const uint8_t*>(b.data()), 10, static_cast<int64_t>(b.size()), entries,
                          error),
              PakReadStatus::Malformed);
}

TEST(PakTOC, MissingFileIsOpenFailed)
{
    std::vector<TSNResEntry> entries;
    std::string error;
    EXPECT_EQ(PakReadTOC("/nonexistent/x.pak", entries, error), PakReadStatus::OpenFailed);
}

class PakWriterTest : public restest::TempDirTest {};

// Round trip through the writer, with a table larger than the first block
// the reader takes, so that the reader has to read on.
TEST_F(PakWriterTest, WritesWhatTheReaderReadsBack)
{
    std::vector<TSNResEntry> entries;
    std::vector<std::string> payloads;
    for (int i = 0; i < 3000; ++i) {
        TSNResEntry e;
        e.id = "resource_with_a_long_identifier_" + std::to_string(i);
        e.typeID = (i % 2) ? "TEXTURE" : "SCRIPT";
        e.tag = i % 10;
        e.data1 = i;
        e.data2 = -i;
        e.data3 = i * 3;
        payloads.push_back(std::string(static_cast<size_t>(1 + i % 7), static_cast<char>('a' + i % 26)));
        e.size = static_cast<int32_t>(payloads.back().size());
        entries.push_back(e);
    }
    ASSERT_GT(PakTOCSize(entries), 64 * 1024);
    std::string error;
    ASSERT_TRUE(PakWrite("out.pak", entries,
                         [&](size_t i, std::vector<uint8_t>& bytes, std::string&) {
                             bytes.assign(payloads[i].begin(), payloads[i].end());
                             return true;
                         },
                         error))
        << error;
    EXPECT_FALSE(std::filesystem::exists("out.pak.tmp"));

    std::vector<TSNResEntry> back;
    ASSERT_EQ(PakReadTOC("OUT.PAK", back, error), PakReadStatus::Ok) << error;
    ASSERT_EQ(back.size(), entries.size());
    const std::string file = restest::ReadFile("out.pak");
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].id, entries[i].id);
        EXPECT_EQ(back[i].typeID, entries[i].typeID);
        EXPECT_EQ(back[i].offset, entries[i].offset);
        EXPECT_EQ(back[i].tag, entries[i].tag);
        EXPECT_EQ(back[i].data2, entries[i].data2);
        EXPECT_EQ(file.substr(static_cast<size_t>(back[i].offset), static_cast<size_t>(back[i].size)), payloads[i]);
    }
    EXPECT_EQ(back.front().offset, PakTOCSize(entries));
}

TEST_F(PakWriterTest, AFailedWriteLeavesNoPackBehind)
{
    restest::WriteFile("keep.pak", "old");
    std::vector<TSNResEntry> entries(1);
    entries[0].id = "a";
    entries[0].typeID = "T";
    entries[0].size = 3;
    std::string error;
    EXPECT_FALSE(PakWrite("keep.pak", entries,
                          [](size_t, std::vector<uint8_t>&, std::string& why) {
                              why = "cannot read a.bin";
                              return false;
                          },
                          error));
    EXPECT_EQ(error, "cannot read a.bin");
    EXPECT_EQ(restest::ReadFile("keep.pak"), "old");
    EXPECT_FALSE(std::filesystem::exists("keep.pak.tmp"));

    // A fetch that delivers another size than announced is refused too.
    EXPECT_FALSE(PakWrite("keep.pak", entries,
                          [](size_t, std::vector<uint8_t>& bytes, std::string&) {
                              bytes.assign(5, 'x');
                              return true;
                          },
                          error));
    EXPECT_EQ(restest::ReadFile("keep.pak"), "old");
}

TEST(ResParseDecimal, ReadsLikeTheDataExpects)
{
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"", 0},      {"12", 12},        {" 7", 7},           {"-3", -3},          {"+4", 4},
                 {"5abc", 5},  {"abc", 0},        {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
    for (const Case& c : cases)
        EXPECT_EQ(ResParseDecimal(c.text), c.value) << c.text;
}

TEST(ResTypes, XMLTypesAreTheXMLFormats)
{
    for (const char* t : {"TECHNIQUE", "FONT", "PLAYLIST", "XMLDATA", "GUIDATA", "GUIENUMDATA", "GUISTYLEDATA", "LEVEL"})
        EXPECT_TRUE(ResIsXMLType(t)) << t;
    for (const char* t : {"TEXTURE", "SOUND", "MUSIC", "SCRIPT", "texture", "level", ""})
        EXPECT_FALSE(ResIsXMLType(t)) << t;
}

} // namespace
