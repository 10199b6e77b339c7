// The XML reader: tree shape, attributes, scrambled and CR/LF input, and
// every malformed text ending the parse inside the buffer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CTesser/ctesser_utils_xml.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_test_files.h"
#include "common/tsr_thrown.h"

namespace {

std::string Scramble(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ XML_SCRAMBLE_KEY);
    return out;
}

// Parses `text` from a buffer in a document owned by the fixture.
class XmlTest : public ::testing::Test {
protected:
    CXMLNode* ParseText(const std::string& text, bool scrambled = false)
    {
        doc.LoadFromBuffer(text.data(), static_cast<int>(text.size()), scrambled);
        doc.Parse();
        return doc.GetRoot();
    }
    CXMLDocument doc;
};

// A readable dump of a tree, for comparing two parses.
std::string Dump(const CXMLNode* node)
{
    std::string out = std::string("<") + node->GetName();
    CXMLNode* n = const_cast<CXMLNode*>(node);
    for (n->FirstAttribute(); n->GetAttributeName(); n->NextAttribute())
        out += std::string(" ") + n->GetAttributeName() + "=[" + n->GetAttribute(n->GetAttributeName()) + "]";
    out += ">";
    for (int i = 0; i < node->GetChildCount(); ++i)
        out += Dump(node->GetChild(i));
    return out + "</>";
}

using tsrtest::ThrownText;

} // namespace

TEST_F(XmlTest, ConstructedDocumentIsEmpty)
{
    EXPECT_STREQ(doc.GetRoot()->GetName(), "");
    EXPECT_EQ(doc.GetRoot()->GetChildCount(), 0);
    EXPECT_EQ(doc.GetRoot()->GetParent(), nullptr);
    EXPECT_EQ(doc.GetDeclarationName(), "");
}

TEST_F(XmlTest, TreeWithDeclarationCommentsAndChildren)
{
    CXMLNode* root = ParseText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<!-- a comment with <tags> inside -->\n"
                               "<r id=\"top\">\n"
                               "  text is skipped\n"
                               "  <a x=\"1\"/>\n"
                               "  <b><c/><!-- inner --></wrong>\n"
                               "</r>\n"
                               "<second/>\n");
    EXPECT_EQ(doc.GetDeclarationName(), "xml");
    EXPECT_STREQ(doc.GetDeclarationAttribute("version"), "1.0");
    EXPECT_STREQ(doc.GetDeclarationAttribute("encoding"), "UTF-8");
    EXPECT_STREQ(root->GetName(), "r");
    EXPECT_STREQ(root->GetAttribute("id"), "top");
    ASSERT_EQ(root->GetChildCount(), 2);
    EXPECT_STREQ(root->GetChild(0)->GetName(), "a");
    EXPECT_EQ(root->GetChild(0)->GetChildCount(), 0);
    EXPECT_EQ(root->GetChild(0)->GetParent(), root);
    EXPECT_STREQ(root->GetChild(1)->GetName(), "b");
    ASSERT_EQ(root->GetChild(1)->GetChildCount(), 1);
    EXPECT_STREQ(root->GetChild(1)->GetChild(0)->GetName(), "c");
}

TEST_F(XmlTest, ChildIndexOutsideGivesNull)
{
    CXMLNode* root = ParseText("<r><a/><b></b></r>");
    ASSERT_EQ(root->GetChildCount(), 2);
    EXPECT_EQ(root->GetChild(-1), nullptr);
    EXPECT_EQ(root->GetChild(2), nullptr);
    EXPECT_EQ(root->GetChild(1)->GetChild(0), nullptr);
}

TEST_F(XmlTest, AttributesLastWinsSpacesAndNameOrder)
{
    CXMLNode* root = ParseText("<r zeta=\"z\" alpha=\"a\" mid=\"m\" b = \"spaced\" >"
                               "<e x=\"1\" x=\"2\"/></r>");
    EXPECT_STREQ(root->GetAttribute("b"), "spaced");
    std::vector<std::string> names;
    for (root->FirstAttribute(); root->GetAttributeName(); root->NextAttribute())
        names.push_back(root->GetAttributeName());
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "b", "mid", "zeta"}));
    root->NextAttribute(); // past the end stays there
    EXPECT_EQ(root->GetAttributeName(), nullptr);

    CXMLNode* e = root->GetChild(0);
    EXPECT_EQ(e->GetAttributeCount(), 1);
    EXPECT_STREQ(e->GetAttribute("x"), "2");
}

TEST_F(XmlTest, MissingAttributeIsEmptyNeverNull)
{
    CXMLNode* root = ParseText("<r a=\"\"/>");
    ASSERT_NE(root->GetAttribute("missing"), nullptr);
    EXPECT_STREQ(root->GetAttribute("missing"), "");
    EXPECT_STREQ(root->GetAttribute("a"), "");
    EXPECT_TRUE(root->HasAttribute("a"));
    EXPECT_FALSE(root->HasAttribute("missing"));
}

TEST_F(XmlTest, ValuesAreLiteral)
{
    CXMLNode* root = ParseText("<r v=\"a &amp; b\" s='x' w=\"<not a tag>\"/>");
    EXPECT_STREQ(root->GetAttribute("v"), "a &amp; b");
    // Single quotes do not delimit: s takes the next double-quoted value.
    EXPECT_STREQ(root->GetAttribute("s"), "<not a tag>");
    EXPECT_FALSE(root->HasAttribute("w"));
    EXPECT_EQ(root->GetChildCount(), 0);
}

TEST_F(XmlTest, ScrambledAndCrLfParseLikePlain)
{
    const std::string plain = "<?xml version=\"1.0\"?>\n<r a=\"1\">\n\t<c name=\"x\"/>\n</r>\n";
    std::string crlf;
    for (char c : plain) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    const std::string expected = Dump(ParseText(plain));
    EXPECT_EQ(Dump(ParseText(Scramble(plain), true)), expected);
    EXPECT_EQ(Dump(ParseText(crlf)), expected);
    // A scrambled CR/LF text: unscrambled first, then the CRs dropped.
    EXPECT_EQ(Dump(ParseText(Scramble(crlf), true)), expected);
    EXPECT_EQ(doc.GetText(), plain);
}

TEST_F(XmlTest, EmptyBuffersThrowPlainText)
{
    const char cr = '\r';
    const char scrambledCr = static_cast<char>('\r' ^ XML_SCRAMBLE_KEY);
    const struct {
        const char* what;
        const void* data;
        int size;
        bool scrambled;
    } cases[] = {
        {"one carriage return", &cr, 1, false},
        {"one scrambled carriage return", &scrambledCr, 1, true},
        {"null buffer", nullptr, 10, false},
        {"size 0", "<r/>", 0, false},
        {"negative size", "<r/>", -4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ThrownText([&] { doc.LoadFromBuffer(c.data, c.size, c.scrambled); }),
                  "XMLERROR: buffer is empty.");
    }
}

// Every malformed text stops at its end. The bytes are copied into a heap
// block of exactly their size, so a read past it shows under a sanitizer.
TEST_F(XmlTest, MalformedTextsEndInsideTheBuffer)
{
    const struct {
        const char* text;
        const char* tree;
    } cases[] = {
        {"<r><a>", "<r><a></></>"},
        {"<r a=\"unterminated", "<r a=[unterminated]></>"},
        {"<r a=", "<r></>"},
        {"<r><!-- never closed <x/>", "<r></>"},
        {"<r><!--->", "<r></>"},
        {"<r/><!-- after the root", "<r></>"},
        {"<?xml version=\"1.0\"", "<></>"},
        {"<?", "<></>"},
        {"<", "<></>"},
        {"</a><r/>", "<r></>"},
        {"</a></b><r><c/></r>", "<r><c></></>"},
        {"<r></", "<r></>"},
        {"<r><a/", "<r><a></></>"},
        {"<r x", "<r></>"},
        {"just text", "<></>"},
        // Characters that end one name and begin the next one.
        {"<r/b=\"x\"/>", "<r /b=[x]></>"},
        {"<r a=\"1\"b=\"2\"/>", "<r a=[1] b=[2]></>"},
        {"<r><c/d=\"1\"><e/></c></r>", "<r><c /d=[1]><e></></></>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const size_t n = std::strlen(c.text);
        std::unique_ptr<char[]> exact(new char[n]);
        std::memcpy(exact.get(), c.text, n);
        doc.LoadFromBuffer(exact.get(), static_cast<int>(n), false);
        doc.Parse();
        EXPECT_EQ(Dump(doc.GetRoot()), c.tree);
    }
}

TEST_F(XmlTest, ParseTwiceGivesTheSameTree)
{
    ParseText("<r><a k=\"v\"/></r>");
    const std::string once = Dump(doc.GetRoot());
    doc.Parse();
    EXPECT_EQ(Dump(doc.GetRoot()), once);
    doc.Clear();
    EXPECT_EQ(doc.GetRoot()->GetChildCount(), 0);
    EXPECT_EQ(doc.GetText(), "");
}

TEST_F(XmlTest, DeepNestingIsDestroyedWithoutRecursion)
{
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "<a>";
    CXMLNode* node = ParseText(text);
    int depth = 0;
    while (node->GetChildCount() == 1) {
        node = node->GetChild(0);
        ++depth;
    }
    EXPECT_EQ(depth, 199999);
    doc.Clear();
}

class XmlFileTest : public XmlTest {
protected:
    void SetUp() override { std::filesystem::create_directories(dir / "Data"); }
    void Write(const std::string& name, const std::string& bytes) { tsrtest::WriteFile(dir / "Data" / name, bytes); }
    tsrtest::TempDir m_temp;
    const std::filesystem::path dir = m_temp.Path();
};

TEST_F(XmlFileTest, FilesReadWithWindowsPathsCrLfAndScrambling)
{
    Write("Pack.xml", "<respack>\r\n\t<res id=\"TEX_A\"\r\n\t/>\r\n</respack>\r\n");
    Write("Secret.xml", Scramble("<xmldata>\r\n<v a=\"1\"/>\r\n</xmldata>\r\n"));

    // Written the Windows way: backslashes, other letter case.
    const std::string pack = dir.string() + "\\DATA\\pack.XML";
    doc.LoadFromFile(pack.c_str(), false);
    doc.Parse();
    EXPECT_EQ(Dump(doc.GetRoot()), "<respack><res id=[TEX_A]></></>");
    EXPECT_EQ(doc.GetText().find('\r'), std::string::npos);

    const std::string secret = (dir / "Data" / "Secret.xml").string();
    doc.LoadFromFile(secret.c_str(), true);
    doc.Parse();
    EXPECT_EQ(Dump(doc.GetRoot()), "<xmldata><v a=[1]></></>");
}

TEST_F(XmlFileTest, EmptyOrMissingFileThrowsTextThatOutlivesTheThrow)
{
    Write("empty.xml", "");
    Write("onlycr.xml", "\r\r");
    for (const std::string name : {"empty.xml", "onlycr.xml", "missing.xml"}) {
        const std::string path = (dir / "Data" / name).string();
        const char* caught = nullptr;
        try {
            doc.LoadFromFile(path.c_str(), false);
        } catch (const char* text) {
            caught = text;
        }
        ASSERT_NE(caught, nullptr) << name;
        // Another message built meanwhile must not disturb the first one.
        try {
            doc.LoadFromFile("nowhere/else.xml", false);
        } catch (const char*) {
        }
        EXPECT_EQ(std::string(caught), "XMLERROR: the file is empty - " + path);
    }
    EXPECT_EQ(ThrownText([&] { doc.LoadFromFile(nullptr, false); }), "XMLERROR: the file is empty - ");
}
