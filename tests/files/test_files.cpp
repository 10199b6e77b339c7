// Windows-style paths, folder search and byte ranges.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/tsr_temp_dir.h"
#include "platform/files/tsr_files.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder that is also the current folder while the test runs, so
// relative Windows paths ("./DATA/...") mean something.
using FilesTest = tsrtest::TempDirTest;
using tsrtest::WriteFile;

TEST_F(FilesTest, ResolvesWindowsPathsToExistingNames)
{
    WriteFile("DATA/Kelpiehs.dat", "x");
    WriteFile("DATA/sub/Tex.PNG", "y");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {".\\data\\kelpiehs.dat", "DATA/Kelpiehs.dat"},
        {"./DATA/KELPIEHS.DAT", "DATA/Kelpiehs.dat"},
        {"./DATA/", "DATA"},
        {".\\data", "DATA"},
        {"data\\SUB\\tex.png", "DATA/sub/Tex.PNG"},
        {"data//sub\\\\.\\tex.png", "DATA/sub/Tex.PNG"},
        {"data\\other\\..\\sub\\tex.png", "DATA/sub/Tex.PNG"},   // ".." by text, before lookup
        {"data\\sub\\tex.png. . ", "DATA/sub/Tex.PNG"},         // trailing dots and spaces
        {"DATA/new file.txt", "DATA/new file.txt"},             // missing last name kept
        {"data/missing/Deeper/X.txt", "DATA/missing/Deeper/X.txt"},
        {"..\\up", "../up"},
        {".", "."},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tsr::ResolvePath(c.in), c.out) << c.in;
    const std::string abs = (m_dir / "data" / "SUB").string();
    EXPECT_EQ(tsr::ResolvePath(abs), (m_dir / "DATA" / "sub").string());
}

TEST_F(FilesTest, NamesDifferingOnlyInCaseResolveToTheSameOneEveryTime)
{
    WriteFile("Data/a.txt", "1");
    WriteFile("DATA/a.txt", "2");
    // Neither spelling is exact: the byte-wise smallest candidate wins.
    EXPECT_EQ(tsr::ResolvePath("data/a.txt"), "DATA/a.txt");
    // An exact name is always preferred.
    EXPECT_EQ(tsr::ResolvePath("Data/a.txt"), "Data/a.txt");
}

TEST_F(FilesTest, CaseInsensitiveLookupsFollowChangesToTheFolder)
{
    WriteFile("DATA/A.txt", "1");
    EXPECT_EQ(tsr::ResolvePath("data/a.txt"), "DATA/A.txt");
    // Renamed under the same folded name: the new name is found at once.
    fs::rename("DATA/A.txt", "DATA/a.TXT");
    EXPECT_EQ(tsr::ResolvePath("data/a.txt"), "DATA/a.TXT");
    // Removed: nothing matches any more; the name stays as written.
    fs::remove("DATA/a.TXT");
    EXPECT_EQ(tsr::ResolvePath("data/a.txt"), "DATA/a.txt");
    // Created again: found again.
    WriteFile("DATA/sub/B.bin", "2");
    WriteFile("DATA/A.Txt", "3");
    EXPECT_EQ(tsr::ResolvePath("data/a.txt"), "DATA/A.Txt");
    EXPECT_EQ(tsr::ResolvePath("data/SUB/b.BIN"), "DATA/sub/B.bin");
}

TEST(Wildcards, MatchLikeWindows)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.xml", "pack.xml", true},     {"*.xml", "PACK.XML", true},  {"*.xml", "pack.xmlx", false},
        {"*.xml", "pack.xml.bak", false}, {"*.xml", ".xml", true},      {"*.pak", "a.xml", false},
        {"?.pak", "a.pak", true},        {"?.pak", "ab.pak", false},   {"*.*", "noext", true},
        {"a*b*c", "aXXbYYc", true},      {"a*b*c", "aXXbYY", false},   {"*", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tsr::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST_F(FilesTest, FindFilesListsMatchingRegularFilesInAFixedOrder)
{
    for (const char* n : {"b.xml", "A.xml", "_z.xml", "a.XML", "c.pak", "B2.Xml"})
        WriteFile(std::string("DATA/") + n, "x");
    fs::create_directories("DATA/dir.xml"); // folders are not resource packs
    const std::vector<std::string> expected = {"A.xml", "a.XML", "b.xml", "B2.Xml", "_z.xml"};
    EXPECT_EQ(tsr::FindFiles(".\\data\\*.xml"), expected);
    EXPECT_EQ(tsr::FindFiles("./DATA/*.pak"), std::vector<std::string>{"c.pak"});
    EXPECT_TRUE(tsr::FindFiles("./NOPE/*.xml").empty());
    EXPECT_TRUE(tsr::FindFiles("./DATA/").empty());
}

TEST_F(FilesTest, DeleteExistsAndSize)
{
    WriteFile("DATA/Hs.dat", "12345");
    EXPECT_TRUE(tsr::FileExists(".\\data\\hs.dat"));
    EXPECT_EQ(tsr::FileSize(".\\data\\hs.dat"), 5);
    EXPECT_EQ(tsr::FileSize(".\\data"), -1); // a folder has no file size
    EXPECT_FALSE(tsr::DeleteFile(".\\data"));
    EXPECT_TRUE(tsr::DeleteFile(".\\DATA\\HS.DAT"));
    EXPECT_FALSE(tsr::FileExists("DATA/Hs.dat"));
    EXPECT_FALSE(tsr::DeleteFile("DATA/Hs.dat"));
    EXPECT_EQ(tsr::FileSize("DATA/Hs.dat"), -1);
}

TEST_F(FilesTest, OpenFileCreatesNewFilesInExistingFoldersOfAnyCase)
{
    fs::create_directories("DATA");
    {
        tsr::UniqueFile f = tsr::OpenFile(".\\data\\kelpiehs.dat", "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("hi", f.get());
    }
    EXPECT_TRUE(fs::exists("DATA/kelpiehs.dat"));
    tsr::UniqueFile r = tsr::OpenFile("./Data/KelpieHS.dat", "rb");
    ASSERT_NE(r, nullptr);
    char buf[3] = {};
    EXPECT_EQ(std::fread(buf, 1, 2, r.get()), 2u);
    EXPECT_STREQ(buf, "hi");
}

TEST_F(FilesTest, FileRangeStaysInsideItsWindow)
{
    WriteFile("pack.bin", "0123456789ABCDEF");
    tsr::FileRange r;
    ASSERT_EQ(r.Open("PACK.BIN", 4, 6), tsr::FileRange::Status::Ok);
    EXPECT_EQ(r.Size(), 6);
    char buf[16] = {};
    EXPECT_EQ(r.Read(buf, sizeof buf), 6u); // clipped at the window's end
    EXPECT_EQ(std::string(buf, 6), "456789");
    EXPECT_EQ(r.Read(buf, 1), 0u);
    EXPECT_TRUE(r.Seek(-2, SEEK_END));
    EXPECT_EQ(r.Read(buf, 4), 2u);
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_TRUE(r.Seek(1));
    EXPECT_TRUE(r.Seek(2, SEEK_CUR));
    EXPECT_EQ(r.Tell(), 3);
    EXPECT_FALSE(r.Seek(-1));
    EXPECT_FALSE(r.Seek(7));
    EXPECT_FALSE(r.Seek(INT64_MAX, SEEK_CUR));
    EXPECT_FALSE(r.Seek(INT64_MIN, SEEK_END));
    EXPECT_EQ(r.Tell(), 3); // refused seeks leave the position alone
    EXPECT_EQ(r.ReadAt(0, buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "456");

    tsr::FileRange moved = std::move(r);
    EXPECT_FALSE(r.IsOpen());
    EXPECT_TRUE(moved.IsOpen());

    ASSERT_EQ(moved.Open("pack.bin", 10, -1), tsr::FileRange::Status::Ok);
    EXPECT_EQ(moved.Size(), 6);
}

TEST_F(FilesTest, FileRangeRefusesWindowsOutsideTheFile)
{
    WriteFile("pack.bin", "0123456789");
    struct Case {
        int64_t offset, size;
        tsr::FileRange::Status status;
    } cases[] = {
        {0, 10, tsr::FileRange::Status::Ok},        {10, 0, tsr::FileRange::Status::Ok},
        {-1, 2, tsr::FileRange::Status::BadRange},  {0, 11, tsr::FileRange::Status::BadRange},
        {9, 2, tsr::FileRange::Status::BadRange},   {11, -1, tsr::FileRange::Status::BadRange},
        {INT64_MAX, INT64_MAX, tsr::FileRange::Status::BadRange},
        {0, -5, tsr::FileRange::Status::BadRange},
    };
    for (const Case& c : cases) {
        tsr::FileRange r;
        EXPECT_EQ(r.Open("pack.bin", c.offset, c.size), c.status) << c.offset << "," << c.size;
    }
    tsr::FileRange r;
    EXPECT_EQ(r.Open("missing.bin", 0, 1), tsr::FileRange::Status::OpenFailed);
    fs::create_directories("adir");
    EXPECT_EQ(r.Open("adir", 0, 0), tsr::FileRange::Status::OpenFailed);
}

TEST_F(FilesTest, ReadFileRangeReportsEachFailure)
{
    WriteFile("DATA/P.pak", "0123456789");
    char buf[32];
    struct Case {
        const char* path;
        int64_t offset, size;
        tsr::ReadRangeResult result;
    } cases[] = {
        {".\\data\\p.pak", 2, 3, tsr::ReadRangeResult::Ok},
        {"./DATA/nothere.pak", 0, 1, tsr::ReadRangeResult::OpenFailed},
        {"./DATA/p.pak", -1, 1, tsr::ReadRangeResult::SeekFailed},
        {"./DATA/p.pak", 11, 1, tsr::ReadRangeResult::SeekFailed},
        {"./DATA/p.pak", 8, 3, tsr::ReadRangeResult::ShortRead},
        {"./DATA/p.pak", 10, 1, tsr::ReadRangeResult::ShortRead},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tsr::ReadFileRange(c.path, c.offset, c.size, buf), c.result) << c.path << " " << c.offset;
    ASSERT_EQ(tsr::ReadFileRange("DATA/P.pak", 2, 3, buf), tsr::ReadRangeResult::Ok);
    EXPECT_EQ(std::string(buf, 3), "234");
}

} // namespace
