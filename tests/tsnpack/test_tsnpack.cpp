// The pack tool end to end: an XML-mode data folder is loaded, packed with
// the real tool, loaded again in PAK mode and compared; packs are listed,
// unpacked and packed again; bad input ends with a message and a non-zero
// status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/wait.h>

#include "../res/res_fixture.h"
#include "ctesser_utils_xml.h"

namespace fs = std::filesystem;

namespace {

using restest::ReadFile;
using restest::WriteFile;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

ToolResult RunTool(const std::string& args)
{
    const std::string cmd = std::string("'") + TSNPACK_PROGRAM + "' " + args + " >tool.out 2>tool.err";
    const int raw = std::system(cmd.c_str());
    ToolResult r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile("tool.out"), ReadFile("tool.err")};
    fs::remove("tool.out");
    fs::remove("tool.err");
    return r;
}

// Everything a loader could learn about a resource.
struct Seen {
    std::string type;
    int32_t tag, d1, d2, d3;
    std::string bytes;
};

// Scans the data folder of `dir` with a fresh engine and reads every
// resource's bytes through its descriptor.
std::map<std::string, Seen> ScanAndRead(const fs::path& dir, int expectedMode, bool* encrypt = nullptr)
{
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    std::map<std::string, Seen> seen;
    {
        CTesser engine;
        engine.ResInit();
        EXPECT_EQ(engine.ResGetMode(), expectedMode);
        if (encrypt)
            *encrypt = engine.GetXMLEncryptMode();
        for (int i = 0; i < engine.ResGetCount(); ++i) {
            const CTSNResource* r = engine.ResGetResource(i);
            if (!r)
                continue;
            CTSNResource copy(r->GetID(), r->GetTypeID(), r->GetTag(), r->GetFileName(), r->GetOffset(),
                              r->GetSize(), r->GetData1(), r->GetData2(), r->GetData3());
            copy.DataLoad();
            seen[r->GetID()] = {r->GetTypeID(), r->GetTag(), r->GetData1(), r->GetData2(), r->GetData3(),
                                std::string(static_cast<const char*>(copy.GetData()), static_cast<size_t>(r->GetSize()))};
        }
    }
    fs::current_path(old);
    return seen;
}

// The parsed form of a document, to compare trees.
std::string Tree(const CXMLNode* node)
{
    std::string out = std::string("<") + node->GetName();
    CXMLNode* n = const_cast<CXMLNode*>(node);
    for (n->FirstAttribute(); n->GetAttributeName(); n->NextAttribute())
        out += std::string(" ") + n->GetAttributeName() + "=" + n->GetAttribute(n->GetAttributeName());
    out += ">";
    for (int i = 0; i < node->GetChildCount(); ++i)
        out += Tree(node->GetChild(i));
    return out + "</>";
}

std::string ParseTree(const std::string& bytes, bool scrambled)
{
    CXMLDocument doc;
    doc.LoadFromBuffer(bytes.data(), static_cast<int>(bytes.size()), scrambled);
    doc.Parse();
    return Tree(doc.GetRoot());
}

class TsnpackTest : public restest::TempDirTest {
protected:
    // A small game's data folder in XML mode: every resource type, Windows
    // paths in any case, two descriptors, CR/LF line ends in XML data.
    void MakeXMLModeFolder(const fs::path& data)
    {
        std::string png = "\x89PNG\r\n\x1a\n";
        png += std::string("\0\x01\x02\xFFrest", 8);
        WriteFile(data / "Gfx" / "Logo.png", png);
        WriteFile(data / "gfx" / "tech.XML", "<techniquespack>\r\n  <technique id=\"t\" blend=\"1\"/>\r\n</techniquespack>\r\n");
        WriteFile(data / "gfx" / "font.xml", "<fontdesc id=\"f\" texture=\"logo\"/>");
        WriteFile(data / "sfx" / "click.wav", std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
        WriteFile(data / "sfx" / "tune.xm", "Extended Module: tune");
        WriteFile(data / "sfx" / "list.xml", "<playlist id=\"p\"><item music=\"tune\" weight=\"2\"/></playlist>");
        WriteFile(data / "scripts" / "main.lua", "x = 1\n");
        WriteFile(data / "vars.xml.txt", "<xmldata><v actiontime=\"0.75\" kelpiegameid=\"3\"/></xmldata>");
        WriteFile(data / "gui" / "desk.xml", "<desktop><window id=\"main\" rect=\"0,0,8,8\"/></desktop>");
        WriteFile(data / "gui" / "enum.xml", "<guienum><e id=\"a\" v=\"1\"/></guienum>");
        WriteFile(data / "gui" / "style.xml", "<guistyle><s id=\"b\"/></guistyle>");
        WriteFile(data / "levels.dat", "<boarddata><level w=\"8\" h=\"8\"/></boarddata>");
        WriteFile(data / "Main.xml",
                  "<respack>\n"
                  "  <r id=\"logo\" typeid=\"TEXTURE\" filename=\"GFX\\LOGO.PNG\" tag=\"1\" data1=\"2\" data2=\"1\" data3=\"256\"/>\n"
                  "  <r id=\"tech\" typeid=\"TECHNIQUE\" filename=\"gfx\\tech.xml\" tag=\"1\"/>\n"
                  "  <r id=\"font\" typeid=\"FONT\" filename=\"gfx/font.xml\" tag=\"1\"/>\n"
                  "  <r id=\"click\" typeid=\"SOUND\" filename=\"sfx\\click.wav\" tag=\"2\" data1=\"0\" data2=\"4\" data3=\"1\"/>\n"
                  "  <r id=\"tune\" typeid=\"MUSIC\" filename=\"sfx\\tune.xm\" tag=\"2\" data1=\"1\"/>\n"
                  "  <r id=\"list\" typeid=\"PLAYLIST\" filename=\"SFX\\List.xml\" tag=\"2\"/>\n"
                  "</respack>\n");
        WriteFile(data / "game.xml",
                  "<respack>\n"
                  "  <r id=\"main\" typeid=\"SCRIPT\" filename=\"scripts\\main.lua\" tag=\"3\"/>\n"
                  "  <r id=\"vars\" typeid=\"XMLDATA\" filename=\"vars.xml.txt\" tag=\"3\"/>\n"
                  "  <r id=\"desk\" typeid=\"GUIDATA\" filename=\"gui\\desk.xml\" tag=\"4\"/>\n"
                  "  <r id=\"enum\" typeid=\"GUIENUMDATA\" filename=\"gui\\enum.xml\" tag=\"4\"/>\n"
                  "  <r id=\"style\" typeid=\"GUISTYLEDATA\" filename=\"gui\\style.xml\" tag=\"4\"/>\n"
                  "  <r id=\"levels\" typeid=\"LEVEL\" filename=\"levels.dat\" tag=\"5\" data1=\"-7\"/>\n"
                  "</respack>\n");
    }
};

TEST_F(TsnpackTest, PackedFolderLoadsTheSameInPakMode)
{
    MakeXMLModeFolder("xml/DATA");
    bool encrypt = true;
    const auto xmlSeen = ScanAndRead("xml", 1, &encrypt);
    EXPECT_FALSE(encrypt);
    ASSERT_EQ(xmlSeen.size(), 12u);

    fs::create_directories("pak/DATA");
    const ToolResult packed = RunTool("pack xml/DATA pak/DATA/game.pak");
    ASSERT_EQ(packed.status, 0) << packed.err;
    EXPECT_NE(packed.out.find("12 resources from 2 descriptors"), std::string::npos) << packed.out;

    const auto pakSeen = ScanAndRead("pak", 2, &encrypt);
    EXPECT_TRUE(encrypt);
    ASSERT_EQ(pakSeen.size(), xmlSeen.size());
    for (const auto& [id, x] : xmlSeen) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(pakSeen.count(id));
        const Seen& p = pakSeen.at(id);
        EXPECT_EQ(p.type, x.type);
        EXPECT_EQ(p.tag, x.tag);
        EXPECT_EQ(p.d1, x.d1);
        EXPECT_EQ(p.d2, x.d2);
        EXPECT_EQ(p.d3, x.d3);
        if (ResIsXMLType(x.type)) {
            EXPECT_NE(p.bytes, x.bytes); // stored scrambled
            std::string unscrambled = p.bytes;
            XMLScrambleBytes(reinterpret_cast<uint8_t*>(unscrambled.data()), unscrambled.size());
            EXPECT_EQ(unscrambled, x.bytes);
            EXPECT_EQ(ParseTree(p.bytes, true), ParseTree(x.bytes, false));
        } else {
            EXPECT_EQ(p.bytes, x.bytes);
        }
    }
    EXPECT_EQ(ParseTree(pakSeen.at("tech").bytes, true),
              "<techniquespack><technique blend=1 id=t></></>");
}

TEST_F(TsnpackTest, ListShowsTheTableAndUnpackPacksBackToTheSameBytes)
{
    MakeXMLModeFolder("xml/DATA");
    ASSERT_EQ(RunTool("pack xml/DATA first.pak").status, 0);

    const ToolResult listed = RunTool("list first.pak");
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const char* word : {"id", "type", "tag", "offset", "size", "data1", "data3", "logo", "GUISTYLEDATA", "256",
                             "-7", "12 resources"})
        EXPECT_NE(listed.out.find(word), std::string::npos) << word;

    const ToolResult unpacked = RunTool("unpack first.pak out/DATA");
    ASSERT_EQ(unpacked.status, 0) << unpacked.err;
    ASSERT_TRUE(fs::exists("out/DATA/first.xml"));
    EXPECT_TRUE(fs::exists("out/DATA/first_files/logo.png"));
    EXPECT_TRUE(fs::exists("out/DATA/first_files/tech.xml"));
    // Unpacked XML resources are plain text again.
    EXPECT_EQ(ReadFile("out/DATA/first_files/font.xml"), "<fontdesc id=\"f\" texture=\"logo\"/>");

    ASSERT_EQ(RunTool("pack out/DATA second.pak").status, 0);
    EXPECT_EQ(ReadFile("second.pak"), ReadFile("first.pak"));

    // The unpacked folder is a working XML-mode data folder.
    const auto fromUnpacked = ScanAndRead("out", 1);
    const auto fromOriginal = ScanAndRead("xml", 1);
    ASSERT_EQ(fromUnpacked.size(), fromOriginal.size());
    for (const auto& [id, x] : fromOriginal) {
        EXPECT_EQ(fromUnpacked.at(id).bytes, x.bytes) << id;
        EXPECT_EQ(fromUnpacked.at(id).tag, x.tag) << id;
    }
}

TEST_F(TsnpackTest, UnpackKeepsTheFirstOfDuplicatedIdentifiersAndMakesUniqueNames)
{
    fs::create_directories("DATA");
    WriteFile("dups.pak", restest::BuildPack({{"Same", "SCRIPT", "one"},
                                              {"same", "SCRIPT", "two"},
                                              {"Same", "SCRIPT", "three"},
                                              {"a/b", "TEXTURE", "BMxx"}}));
    const ToolResult r = RunTool("unpack dups.pak out");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("duplicated resource Same skipped"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile("out/dups_files/Same.lua"), "one");
    EXPECT_EQ(ReadFile("out/dups_files/same~2.lua"), "two");
    EXPECT_EQ(ReadFile("out/dups_files/a_b.bmp"), "BMxx");
}

TEST_F(TsnpackTest, BadInputEndsWithAMessageAndAFailureStatus)
{
    std::string hostile;
    restest::PutInt32(hostile, 1000);
    WriteFile("hostile.pak", hostile + "xx");
    WriteFile("empty/readme.txt", "no descriptors here");
    WriteFile("dup/DATA/a.bin", "x");
    WriteFile("dup/DATA/p.xml", "<respack><r id=\"a\" typeid=\"T\" filename=\"a.bin\"/><r id=\"a\" typeid=\"T\" "
                                "filename=\"a.bin\"/></respack>");
    WriteFile("missing/DATA/p.xml", "<respack><r id=\"a\" typeid=\"T\" filename=\"nope.bin\"/></respack>");
    WriteFile("wrongroot/DATA/p.xml", "<resources/>");
    WriteFile("notype/DATA/a.bin", "x");
    WriteFile("notype/DATA/p.xml", "<respack><r id=\"a\" filename=\"a.bin\"/></respack>");
    WriteFile("full/x", "x");
    WriteFile("ok/DATA/a.bin", "x");
    WriteFile("ok/DATA/p.xml", "<respack><r id=\"a\" typeid=\"T\" filename=\"a.bin\"/></respack>");

    struct Case {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"", 2, "usage: tsnpack"},
        {"frobnicate x", 2, "usage: tsnpack"},
        {"list", 2, "usage: tsnpack"},
        {"list nothere.pak", 1, "tsnpack: error: cannot open nothere.pak"},
        {"list hostile.pak", 1, "tsnpack: error: corrupt resource pack hostile.pak: entry count 1000 is larger"},
        {"unpack hostile.pak outdir", 1, "corrupt resource pack hostile.pak"},
        {"pack nofolder out.pak", 1, "tsnpack: error: not a folder: nofolder"},
        {"pack empty out.pak", 1, "no resource-pack descriptors (*.xml) in empty"},
        {"pack dup/DATA out.pak", 1, "tsnpack: error: Dublicated resource. ID = a"},
        {"pack missing/DATA out.pak", 1, "Cannot find file declared in ResPack. Filename = nope.bin"},
        {"pack wrongroot/DATA out.pak", 1, "Wrong XML ResPack descriptor: "},
        {"pack notype/DATA out.pak", 1, "p.xml: resource a has no type"},
        {"pack ok/DATA nodir/out.pak", 1, "tsnpack: error: cannot create"},
        {"unpack ok.pak full", 1, "full exists and is not an empty folder"},
    };
    ASSERT_EQ(RunTool("pack ok/DATA ok.pak").status, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolResult r = RunTool(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists("out.pak"));
    EXPECT_FALSE(fs::exists("outdir"));
}

} // namespace

#ifdef TESSERON_PROGRAM
namespace {

// The example game, run headless by the real runner from its XML-mode
// folder and from the pack the tool makes of it, writes the same log but
// for the mode and the pack's name.
TEST_F(TsnpackTest, TheExampleGameRunsTheSameFromItsPack)
{
    fs::create_directories("xml");
    fs::copy(fs::path(TSR_EXAMPLES_DIR) / "hello" / "DATA", "xml/DATA", fs::copy_options::recursive);
    fs::create_directories("pak/DATA");
    ASSERT_EQ(RunTool("pack xml/DATA pak/DATA/hello.pak").status, 0);

    auto run = [&](const std::string& folder) {
        const std::string cmd = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy TSR_LOCK_DIR='" +
                                (m_dir / "lock").string() + "' '" + TESSERON_PROGRAM +
                                "' --frames 30 " + folder + " >run.out 2>&1";
        const int raw = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadFile("run.out");
        // Dates and times of the run differ; everything else must not.
        std::istringstream in(ReadFile(folder + "/gamelog.txt"));
        std::string line, kept;
        while (std::getline(in, line)) {
            if (line.find("Execution date:") != std::string::npos || line.find("Execution time:") != std::string::npos)
                continue;
            kept += line + "\n";
        }
        return kept;
    };
    const std::string xmlLog = run("xml");
    std::string pakLog = run("pak");
    ASSERT_NE(xmlLog.find("Resources Subsystem operates in XML mode."), std::string::npos);
    EXPECT_EQ(xmlLog.find("Fatal error!"), std::string::npos) << xmlLog;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"operates in PAK mode.", "operates in XML mode."},
                                   {"Processing ResPack: ./DATA/hello.pak", "Processing ResPack: ./DATA/hello.xml"}}) {
        const size_t at = pakLog.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        pakLog.replace(at, from.size(), to);
    }
    EXPECT_EQ(pakLog, xmlLog);
}

} // namespace
#endif
