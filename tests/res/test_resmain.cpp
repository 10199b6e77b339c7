// The resource subsystem: scanning ./DATA/, the registries, loading by
// identifier and by tag, and shutting down.
#include <cstring>

#include "res_fixture.h"

namespace {

using restest::BuildPack;
using restest::ExpectEHS;
using restest::PackItem;
using restest::WriteFile;

// What the test loaders saw, in call order.
struct LoadCall {
    std::string kind; // "mem" or "ex"
    std::string id;
    std::string bytes;     // mem: the bytes handed over
    std::string fileName;  // ex: where to read
    int32_t offset, size, tag, d1, d2, d3;
};
std::vector<LoadCall> g_calls;

void MemLoader(const void* data, int32_t size, const char* id, int32_t tag, int32_t d1, int32_t d2, int32_t d3)
{
    g_calls.push_back({"mem", id, std::string(static_cast<const char*>(data), static_cast<size_t>(size)), "", 0, size,
                       tag, d1, d2, d3});
}

void ExLoader(const char* file, int32_t offset, int32_t size, const char* id, int32_t tag, int32_t d1, int32_t d2,
              int32_t d3)
{
    g_calls.push_back({"ex", id, "", file, offset, size, tag, d1, d2, d3});
}

// A loader that loads the resources of tag 2 while a tag is loading, the
// way a script calling TSN_RES_LoadResources does.
void NestingLoader(const void* data, int32_t size, const char* id, int32_t tag, int32_t d1, int32_t d2, int32_t d3)
{
    MemLoader(data, size, id, tag, d1, d2, d3);
    CTesser::GetInstance()->ResLoadResources(2);
}

// A loader that loads its own resource again.
void SelfLoader(const void* data, int32_t size, const char* id, int32_t tag, int32_t d1, int32_t d2, int32_t d3)
{
    MemLoader(data, size, id, tag, d1, d2, d3);
    CTesser::GetInstance()->ResLoadResource(id);
}

// A loader that shuts the resource subsystem down under the loop.
void DeinitLoader(const void* data, int32_t size, const char* id, int32_t tag, int32_t d1, int32_t d2, int32_t d3)
{
    MemLoader(data, size, id, tag, d1, d2, d3);
    CTesser::GetInstance()->ResDeinit();
}

std::vector<std::string> Ids()
{
    std::vector<std::string> ids;
    for (const LoadCall& c : g_calls)
        ids.push_back(c.id);
    return ids;
}

std::string Res(const std::string& id, const std::string& type, const std::string& file, const std::string& extra = "")
{
    return "  <res id=\"" + id + "\" typeid=\"" + type + "\" filename=\"" + file + "\" " + extra + "/>\n";
}

std::string RespackXML(const std::string& children, const std::string& root = "respack")
{
    return "<?xml version=\"1.0\"?>\n<" + root + ">\n" + children + "</" + root + ">\n";
}

class ResTest : public restest::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        g_calls.clear();
    }
    void InitWithTestLoaders()
    {
        Engine().ResInit();
        Engine().ResRegisterLoadRes(MemLoader, "MEM");
        Engine().ResRegisterLoadResEx(ExLoader, "EX");
    }
};

TEST_F(ResTest, XMLModeReadsDescriptorsWithWindowsPaths)
{
    WriteFile("DATA/Images/Logo.PNG", "PNGDATA");
    WriteFile("DATA/a.bin", "AAA");
    WriteFile("DATA/Pack.XML",
              RespackXML(Res("logo", "MEM", "images\\logo.png", "tag=\"3\" data1=\"1\" data2=\"-2\" data3=\"\"") +
                         Res("a", "EX", "A.BIN", "tag=\"x\" data1=\"12z\"")));
    InitWithTestLoaders();
    EXPECT_EQ(Engine().ResGetMode(), 1);
    EXPECT_FALSE(Engine().GetXMLEncryptMode());
    ASSERT_EQ(Engine().ResGetCount(), 2);
    const CTSNResource* logo = Engine().ResGetResource(0);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->GetID(), "logo");
    EXPECT_STREQ(logo->GetFileName(), "./DATA/images\\logo.png");
    EXPECT_EQ(logo->GetOffset(), 0);
    EXPECT_EQ(logo->GetSize(), 7);
    EXPECT_EQ(logo->GetTag(), 3);
    EXPECT_EQ(logo->GetData2(), -2);
    EXPECT_EQ(logo->GetData3(), 0);
    const CTSNResource* a = Engine().ResFindResource("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetTag(), 0);   // non-numeric tag reads 0
    EXPECT_EQ(a->GetData1(), 12);

    Engine().ResLoadResource("logo");
    Engine().ResLoadResource("a");
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].kind, "mem");
    EXPECT_EQ(g_calls[0].bytes, "PNGDATA");
    EXPECT_EQ(g_calls[0].tag, 3);
    EXPECT_EQ(g_calls[0].d1, 1);
    EXPECT_EQ(g_calls[1].kind, "ex");
    EXPECT_EQ(g_calls[1].fileName, "./DATA/A.BIN");
    EXPECT_EQ(g_calls[1].size, 3);
    // Outside a load call no descriptor holds its bytes.
    EXPECT_FALSE(logo->IsLoaded());

    const std::string log = Log();
    for (const char* line : {"Initializing Resources Subsystem...", "Resources Subsystem operates in XML mode.",
                             "Processing ResPack: ./DATA/Pack.XML", "2 resources found.", "1 resource packs found.",
                             "Registering resources-loading functions for standart resource types..."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(ResTest, DescriptorFaultsStopStartUpWithTheirMessages)
{
    struct Case {
        const char* name;
        std::string xml;
        int32_t type;
        std::string message;
    } cases[] = {
        {"wrong root", RespackXML(Res("a", "MEM", "a.bin"), "resources"), EHS_GAME,
         "Wrong XML ResPack descriptor: ./DATA/p.xml"},
        {"duplicate", RespackXML(Res("a", "MEM", "a.bin") + Res("a", "MEM", "a.bin")), EHS_GAME,
         "Dublicated resource. ID = a"},
        {"missing file", RespackXML(Res("a", "MEM", "Nope\\x.bin")), EHS_GAME,
         "Cannot find file declared in ResPack. Filename = Nope\\x.bin"},
        {"folder as file", RespackXML(Res("a", "MEM", "")), EHS_GAME, "Cannot find file declared in ResPack. Filename = "},
        {"empty file", RespackXML(Res("a", "MEM", "empty.bin")), EHS_GENERAL,
         "Wrong resource file - check if it exists!"},
        {"no id", RespackXML("<res typeid=\"MEM\" filename=\"a.bin\"/>"), EHS_GENERAL, "Invalid resource ID!"},
        {"no type", RespackXML("<res id=\"a\" filename=\"a.bin\"/>"), EHS_GENERAL, "Invalid resource type ID!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all("DATA");
        WriteFile("DATA/a.bin", "x");
        WriteFile("DATA/empty.bin", "");
        WriteFile("DATA/p.xml", c.xml);
        CTesser engine;
        ExpectEHS([&] { engine.ResInit(); }, c.type, c.message);
    }
}

TEST_F(ResTest, DuplicateAcrossDescriptorsIsRefusedInFileOrder)
{
    WriteFile("DATA/a.bin", "x");
    WriteFile("DATA/B.xml", RespackXML(Res("same", "MEM", "a.bin")));
    WriteFile("DATA/a.xml", RespackXML(Res("same", "MEM", "a.bin")));
    ExpectEHS([&] { Engine().ResInit(); }, EHS_GAME, "Dublicated resource. ID = same");
    // a.xml comes before B.xml: the error is found while processing B.xml.
    EXPECT_NE(Log().find("Processing ResPack: ./DATA/B.xml"), std::string::npos);
}

TEST_F(ResTest, XMLModeWinsOverPacksAndEmptyFolderIsModeZero)
{
    WriteFile("DATA/a.bin", "x");
    WriteFile("DATA/p.xml", RespackXML(Res("fromxml", "MEM", "a.bin")));
    WriteFile("DATA/q.pak", BuildPack({{"frompak", "MEM", "y"}}));
    {
        CTesser engine;
        engine.ResInit();
        EXPECT_EQ(engine.ResGetMode(), 1);
        EXPECT_NE(engine.ResFindResource("fromxml"), nullptr);
        EXPECT_EQ(engine.ResFindResource("frompak"), nullptr);
    }
    std::filesystem::remove_all("DATA");
    std::filesystem::create_directories("DATA");
    InitWithTestLoaders();
    EXPECT_EQ(Engine().ResGetMode(), 0);
    EXPECT_NE(Log().find("No resources were found!"), std::string::npos);
    Engine().ResLoadResource("anything");
    EXPECT_NE(Log().find("Cannot find resource with ID = anything"), std::string::npos);
    Engine().ResLoadResources(0);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(ResTest, PakModeUsesSortedPacksAndTheFirstPackWinsADuplicate)
{
    // Created in an order that is not the sorted one.
    WriteFile("DATA/zeta.PAK", BuildPack({{"z1", "MEM", "zz", 1}, {"dup", "MEM", "from zeta", 1}}));
    WriteFile("DATA/Alpha.pak", BuildPack({{"a1", "MEM", "aa", 1, 4, 5, 6}, {"dup", "EX", "from alpha", 1}}));
    WriteFile("DATA/beta.pak", BuildPack({{"b1", "EX", "bbb", 2}}));
    InitWithTestLoaders();
    EXPECT_EQ(Engine().ResGetMode(), 2);
    EXPECT_TRUE(Engine().GetXMLEncryptMode());
    ASSERT_EQ(Engine().ResGetCount(), 4);
    std::vector<std::string> slots;
    for (int i = 0; i < Engine().ResGetCount(); ++i)
        slots.push_back(Engine().ResGetResource(i)->GetID());
    EXPECT_EQ(slots, (std::vector<std::string>{"a1", "dup", "b1", "z1"}));
    EXPECT_STREQ(Engine().ResFindResource("dup")->GetFileName(), "./DATA/Alpha.pak");

    Engine().ResLoadResources(0);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"a1", "dup", "b1", "z1"}));
    EXPECT_EQ(g_calls[0].bytes, "aa");
    EXPECT_EQ(g_calls[0].d1, 4);
    EXPECT_EQ(g_calls[0].d3, 6);
    EXPECT_EQ(g_calls[1].kind, "ex");
    EXPECT_EQ(g_calls[2].fileName, "./DATA/beta.pak");
    const std::string beta = restest::ReadFile("DATA/beta.pak");
    EXPECT_EQ(beta.substr(static_cast<size_t>(g_calls[2].offset), static_cast<size_t>(g_calls[2].size)), "bbb");
    EXPECT_EQ(g_calls[3].bytes, "zz");

    const std::string log = Log();
    EXPECT_NE(log.find("Resources Subsystem operates in PAK mode."), std::string::npos);
    EXPECT_NE(log.find("3 resource packs found."), std::string::npos);
    EXPECT_NE(log.find("Loading resources with Tag = 0"), std::string::npos);
    EXPECT_NE(log.find("4 resources with Tag = 0 loaded."), std::string::npos);
    EXPECT_LT(log.find("./DATA/Alpha.pak"), log.find("./DATA/beta.pak"));
    EXPECT_LT(log.find("./DATA/beta.pak"), log.find("./DATA/zeta.PAK"));
}

TEST_F(ResTest, MalformedPackStopsStartUpNamingThePack)
{
    std::string bad;
    restest::PutInt32(bad, 1);
    restest::PutEntry(bad, "x", "MEM", 8, 500);
    WriteFile("DATA/good.pak", BuildPack({{"g", "MEM", "g"}}));
    WriteFile("DATA/tampered.pak", bad);
    ExpectEHS([&] { Engine().ResInit(); }, EHS_GAME,
              "Corrupt resource pack ./DATA/tampered.pak: entry 0 (x): 500 bytes at offset 8 lie outside the file "
              "(34 bytes)");
}

TEST_F(ResTest, PackEntriesAreCheckedLikeDescriptors)
{
    WriteFile("DATA/p.pak", BuildPack({{"ok", "MEM", "1"}, {"zero", "MEM", ""}}));
    ExpectEHS([&] { Engine().ResInit(); }, EHS_GENERAL, "Invalide resource name - check if resource file exist!");
}

TEST_F(ResTest, TagLoadingUsesSlotOrderAndOnlyThatTag)
{
    WriteFile("DATA/p.pak", BuildPack({{"t1a", "MEM", "1", 1}, {"t2", "MEM", "2", 2}, {"t1b", "EX", "3", 1},
                                       {"t7", "MEM", "4", 7}}));
    InitWithTestLoaders();
    Engine().ResLoadResources(1);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"t1a", "t1b"}));
    g_calls.clear();
    Engine().ResLoadResources(9);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_NE(Log().find("0 resources with Tag = 9 loaded."), std::string::npos);
    // Loading again runs the loader again.
    Engine().ResLoadResource("t2");
    Engine().ResLoadResource("t2");
    EXPECT_EQ(Ids(), (std::vector<std::string>{"t2", "t2"}));
}

TEST_F(ResTest, LoaderThatLoadsAnotherTagDoesNotDisturbTheOuterLoop)
{
    WriteFile("DATA/p.pak", BuildPack({{"n1", "NEST", "a", 1}, {"x2", "MEM", "b", 2}, {"n1b", "NEST", "c", 1},
                                       {"y2", "MEM", "d", 2}, {"last1", "MEM", "e", 1}}));
    InitWithTestLoaders();
    Engine().ResRegisterLoadRes(NestingLoader, "NEST");
    Engine().ResLoadResources(1);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"n1", "x2", "y2", "n1b", "x2", "y2", "last1"}));
    EXPECT_NE(Log().find("3 resources with Tag = 1 loaded."), std::string::npos);
}

TEST_F(ResTest, ALoaderThatLoadsItsOwnResourceIsStopped)
{
    WriteFile("DATA/p.pak", BuildPack({{"me", "SELF", "a", 1}}));
    InitWithTestLoaders();
    Engine().ResRegisterLoadRes(SelfLoader, "SELF");
    ExpectEHS([&] { Engine().ResLoadResource("me"); }, EHS_GAME,
              "Resource is already being loaded (its loader loads it again). ID = me");
}

TEST_F(ResTest, UnknownTypeFailsOnlyWhenLoadedAndRegistriesRefuseDuplicates)
{
    WriteFile("DATA/p.pak", BuildPack({{"odd", "NOSUCHTYPE", "a"}, {"both", "BOTH", "b"}}));
    InitWithTestLoaders();
    ExpectEHS([&] { Engine().ResLoadResource("odd"); }, EHS_GAME,
              "Cannot load resource: no function registered for Res_Type = NOSUCHTYPE");
    ExpectEHS([&] { Engine().ResRegisterLoadRes(MemLoader, "TEXTURE"); }, EHS_GAME,
              "LoadRes function already registered for TypeID = TEXTURE");
    ExpectEHS([&] { Engine().ResRegisterLoadResEx(ExLoader, "SOUND"); }, EHS_GAME,
              "LoadResEx function already registered for TypeID = SOUND");
    // A name in both registries is loaded through LoadRes.
    Engine().ResRegisterLoadResEx(ExLoader, "BOTH");
    Engine().ResRegisterLoadRes(MemLoader, "BOTH");
    Engine().ResLoadResource("both");
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].kind, "mem");
}

TEST_F(ResTest, LoadingBeforeInitOrAfterDeinitFailsCleanly)
{
    ExpectEHS([&] { Engine().ResLoadResource("a"); }, EHS_GAME, "Resources subsystem was not initialized!");
    WriteFile("DATA/p.pak", BuildPack({{"a", "MEM", "a", 1}}));
    InitWithTestLoaders();
    Engine().ResDeinit();
    EXPECT_FALSE(Engine().m_bResInitialised);
    EXPECT_EQ(Engine().ResGetResource(0), nullptr);
    ExpectEHS([&] { Engine().ResLoadResource("a"); }, EHS_GAME, "Resources subsystem was not initialized!");
    ExpectEHS([&] { Engine().ResLoadResources(1); }, EHS_GAME, "Resources subsystem was not initialized!");
    EXPECT_NE(Log().find("Deinitializing Resources Subsystem..."), std::string::npos);

    // A second start works, standard registrations included.
    Engine().ResInit();
    Engine().ResRegisterLoadRes(MemLoader, "MEM");
    Engine().ResLoadResource("a");
    EXPECT_EQ(Ids(), std::vector<std::string>{"a"});
}

TEST_F(ResTest, ALoaderThatShutsResourcesDownEndsTheTagLoopCleanly)
{
    WriteFile("DATA/p.pak", BuildPack({{"a", "DEINIT", "a", 1}, {"b", "MEM", "b", 1}}));
    InitWithTestLoaders();
    Engine().ResRegisterLoadRes(DeinitLoader, "DEINIT");
    ExpectEHS([&] { Engine().ResLoadResources(1); }, EHS_GAME, "Resources subsystem was not initialized!");
    EXPECT_EQ(Ids(), std::vector<std::string>{"a"});
}

TEST_F(ResTest, StandardLoadersAreRegistered)
{
    std::filesystem::create_directories("DATA");
    Engine().ResInit();
    for (const char* t : {"TEXTURE", "TECHNIQUE", "FONT", "PLAYLIST", "SCRIPT", "XMLDATA"})
        ExpectEHS([&] { Engine().ResRegisterLoadRes(MemLoader, t); }, EHS_GAME,
                  std::string("LoadRes function already registered for TypeID = ") + t);
    for (const char* t : {"SOUND", "MUSIC"})
        ExpectEHS([&] { Engine().ResRegisterLoadResEx(ExLoader, t); }, EHS_GAME,
                  std::string("LoadResEx function already registered for TypeID = ") + t);
    // The other kind of registry is free for these names.
    Engine().ResRegisterLoadResEx(ExLoader, "TEXTURE");
    Engine().ResRegisterLoadRes(MemLoader, "SOUND");
}

} // namespace
