// The XMLDATA loader: attributes of an "xmldata" document set the XML
// variables of the same names, from plain files and from scrambled packs.
#include "ctesser_utils_cxmlvar.h"
#include "res_fixture.h"

namespace {

using restest::ExpectEHS;
using restest::WriteFile;

CXMLVarInt g_gameID("kelpiegameid");
CXMLVarFloat g_actionTime("actiontime");

class XMLDataTest : public restest::EngineTest {
protected:
    void LoadXML(const std::string& xml)
    {
        WriteFile("DATA/vars.dat", xml);
        WriteFile("DATA/p.xml", "<respack><r id=\"vars\" typeid=\"XMLDATA\" filename=\"vars.dat\"/></respack>");
        Engine().ResInit();
        Engine().ResLoadResource("vars");
    }
};

TEST_F(XMLDataTest, SetsVariablesAndWarnsAboutUnknownNames)
{
    g_gameID.SetFromText("0");
    g_actionTime.SetFromText("0");
    LoadXML("<xmldata>\r\n <a actiontime=\"0.75\" kelpiegameid=\"1\" nosuchvar=\"5\"/>\r\n"
            " <b kelpiegameid=\"3\"/>\r\n</xmldata>\r\n");
    EXPECT_EQ(g_gameID.GetValue(), 3); // the later element wins
    EXPECT_FLOAT_EQ(g_actionTime.GetValue(), 0.75f);
    EXPECT_NE(Log().find("Warning: unused xml variable: nosuchvar"), std::string::npos);
}

TEST_F(XMLDataTest, EmptyDocumentIsAWarningAndWrongRootAnError)
{
    LoadXML("<xmldata></xmldata>");
    EXPECT_NE(Log().find("Warning: empty xmldata file!"), std::string::npos);
    WriteFile("DATA/bad.dat", "<vars a=\"1\"/>");
    WriteFile("DATA/q.xml", "<respack><r id=\"bad\" typeid=\"XMLDATA\" filename=\"bad.dat\"/></respack>");
    Engine().ResDeinit();
    Engine().ResInit();
    ExpectEHS([&] { Engine().ResLoadResource("bad"); }, EHS_GENERAL,
              "Error in loading XMLData: invalid root node name!");
}

TEST_F(XMLDataTest, ScrambledInPakMode)
{
    g_gameID.SetFromText("0");
    std::string xml = "<xmldata><v kelpiegameid=\"42\"/></xmldata>";
    XMLScrambleBytes(reinterpret_cast<uint8_t*>(xml.data()), xml.size());
    WriteFile("DATA/p.pak", restest::BuildPack({{"vars", "XMLDATA", xml}}));
    Engine().ResInit();
    ASSERT_TRUE(Engine().GetXMLEncryptMode());
    Engine().ResLoadResource("vars");
    EXPECT_EQ(g_gameID.GetValue(), 42);
}

} // namespace
