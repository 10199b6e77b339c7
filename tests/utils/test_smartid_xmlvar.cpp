// Smart identifiers, XML variables and the weighted randomizer.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "CTesser/ctesser_ehs.h"
#include "CTesser/ctesser_utils_csmartid.h"
#include "CTesser/ctesser_utils_cxmlvar.h"
#include "CTesser/ctesser_utils_randomizer.h"
#include "common/tsr_temp_dir.h"
#include "common/tsr_thrown.h"

namespace {

// Runs f and returns the thrown CEHSException's type and description.
std::pair<int, std::string> ThrownEHS(const std::function<void()>& f)
{
    try {
        f();
    } catch (const CEHSException& e) {
        return {e.GetType(), e.GetDescription()};
    }
    return {-1, "(nothing thrown)"};
}

using tsrtest::ThrownText;

} // namespace

TEST(SmartIDTest, TypeFromPrefixOrGiven)
{
    const struct {
        const char* id;
        int given;
        int type;
    } cases[] = {
        {"TEX_A", 0, SMARTID_TEXTURE}, {"TEQ_STD2", 0, SMARTID_TECHNIQUE}, {"FNT_FONT1", 0, SMARTID_FONT},
        {"SND_PIECEMOVE", 0, SMARTID_SOUND}, {"TEXT", 0, SMARTID_TEXTURE}, {"MUS_THEME", 4, SMARTID_SOUND},
    };
    for (const auto& c : cases) {
        CSmartID id(c.id, c.given);
        EXPECT_EQ(id.GetResType(), c.type) << c.id;
        EXPECT_EQ(id.GetIndex(), -1) << c.id;
        EXPECT_EQ(CSmartID::Find(c.id), &id);
    }
    EXPECT_EQ(CSmartID::Find("TEX_A"), nullptr); // gone with its handle
}

TEST(SmartIDTest, ConstructionErrors)
{
    EXPECT_EQ(ThrownEHS([] { CSmartID id("TEX", 0); }),
              std::make_pair(int(EHS_GENERAL),
                             std::string("Error in CSmartID::DetectResType : strID length is too small (<4)!")));
    EXPECT_EQ(ThrownEHS([] { CSmartID id("MUS_THEME", 0); }),
              std::make_pair(int(EHS_GAME),
                             std::string("Error in CSmartID::DetectResType : cannot detect res type! strID = MUS_THEME")));
    CSmartID first("TEX_DUP", 0);
    EXPECT_EQ(ThrownEHS([] { CSmartID second("TEX_DUP", 0); }),
              std::make_pair(int(EHS_GAME),
                             std::string("Error in CSmartID::CSmartID(const char* fp_pszID, int fp_iResType). An "
                                         "object with same strID already exists! strID = TEX_DUP")));
    // The failed second handle did not take the first one's place.
    EXPECT_EQ(CSmartID::Find("TEX_DUP"), &first);
}

TEST(SmartIDTest, BindAndUnbindFollowTheSlots)
{
    CSmartID tex("TEX_A", 0);
    CSmartID tex2("TEX_B", 0);
    CSmartID snd("SND_A", 0);

    CSmartID::BindByString("TEX_A", 3);
    CSmartID::BindByString("SND_A", 3);
    CSmartID::BindByString("TEX_NOHANDLE", 5); // changes nothing
    CSmartID::BindByString("tex_b", 5);         // case-sensitive: nothing
    EXPECT_EQ(tex.GetIndex(), 3);
    EXPECT_EQ(snd.GetIndex(), 3);
    EXPECT_EQ(tex2.GetIndex(), -1);

    CSmartID::UnbindByIndex(3, SMARTID_TEXTURE);
    EXPECT_EQ(tex.GetIndex(), -1);
    EXPECT_EQ(snd.GetIndex(), 3);

    // Reloading after removal binds to the new slot.
    CSmartID::BindByString("TEX_A", 7);
    EXPECT_TRUE(tex.IsBound());
    CSmartID::BindByString("TEX_A", -1);
    EXPECT_FALSE(tex.IsBound());
}

TEST(SmartIDTest, DestroyingOneHandleKeepsTheOthersRegistered)
{
    CSmartID stays("TEX_STAYS", 0);
    { CSmartID gone("TEX_GONE", 0); }
    CSmartID::BindByString("TEX_STAYS", 2);
    EXPECT_EQ(stays.GetIndex(), 2);
    CSmartID::BindByString("TEX_GONE", 2); // no handle left: nothing happens
}

TEST(SmartIDTest, NoRegistryMeansNothingHappens)
{
    ASSERT_EQ(CSmartID::Find("TEX_A"), nullptr);
    CSmartID::BindByString("TEX_A", 1);
    CSmartID::UnbindByIndex(1, SMARTID_TEXTURE);
}

// XML variables write their warnings to "gamelog.txt" in the current
// folder: each test runs in a folder of its own.
class XMLVarTest : public tsrtest::TempDirTest {};

TEST_F(XMLVarTest, ConversionsLikeStreamExtraction)
{
    CXMLVarInt i("kelpiegameid");
    CXMLVarFloat f("actiontime");
    EXPECT_EQ(i.GetValue(), 0);
    EXPECT_EQ(f.GetValue(), 0.0f);
    EXPECT_EQ(FindXMLVar("kelpiegameid"), &i);
    EXPECT_EQ(FindXMLVar("actiontime"), &f);
    EXPECT_EQ(FindXMLVar("other"), nullptr);

    const struct {
        const char* text;
        int32_t intValue;
        float floatValue;
    } cases[] = {
        {"3", 3, 3.0f},      {"0.75", 0, 0.75f},  {"  \t42", 42, 42.0f}, {"-7xyz", -7, -7.0f},
        {"+5", 5, 5.0f},     {"2.5e1", 2, 25.0f}, {"0x10", 0, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(i.SetFromText(c.text));
        EXPECT_TRUE(f.SetFromText(c.text));
        EXPECT_EQ(i.GetValue(), c.intValue);
        EXPECT_FLOAT_EQ(f.GetValue(), c.floatValue);
    }
}

TEST_F(XMLVarTest, NotANumberKeepsTheOldValueAndWarns)
{
    CXMLVarInt i("kelpiegameid");
    ASSERT_TRUE(i.SetFromText("2"));
    for (const char* bad : {"", "abc", "99999999999", "-"}) {
        EXPECT_FALSE(i.SetFromText(bad)) << bad;
        EXPECT_EQ(i.GetValue(), 2) << bad;
    }
    EXPECT_NE(Log().find("Warning: invalid value of xml variable kelpiegameid: \"abc\""), std::string::npos);
}

TEST_F(XMLVarTest, RegistryLifetimeAndDuplicates)
{
    EXPECT_FALSE(XMLVarsMapExists());
    {
        CXMLVarInt a("a");
        EXPECT_TRUE(XMLVarsMapExists());
        EXPECT_EQ(ThrownEHS([] { CXMLVarFloat dup("a"); }),
                  std::make_pair(int(EHS_GAME),
                                 std::string("Error in CXMLVar::CXMLVar(const char* fp_pszID). An object with same "
                                             "ID already exists! ID = a")));
        EXPECT_EQ(FindXMLVar("a"), &a);
        {
            CXMLVarInt b("b");
        }
        EXPECT_EQ(FindXMLVar("a"), &a); // b's end leaves a registered
    }
    EXPECT_FALSE(XMLVarsMapExists());
}

TEST(RandomizerTest, ErrorsAndSingleCandidate)
{
    TRandomizer<int> r;
    EXPECT_EQ(ThrownText([&] { r.GetRandomValue(); }), "No values were thrown in randomizer!");
    r.AddValue(9, 0);
    EXPECT_EQ(r.GetRandomValue(), 9); // one candidate needs no weight
    r.AddValue(4, 0);
    r.AddValue(5, -3);
    EXPECT_EQ(ThrownText([&] { r.GetRandomValue(); }),
              "Error in TRandomizer::GetRandomValue: total weight is 0 or below!");
}

TEST(RandomizerTest, DrawPicksTheIntervalHoldingIt)
{
    TRandomizer<int> r;
    r.AddValue(5, 10);
    r.AddValue(6, -4); // impossible, takes no interval
    r.AddValue(7, 30);
    EXPECT_EQ(r.GetTotalWeight(), 40);
    EXPECT_EQ(r.SelectByDraw(0), 5);
    EXPECT_EQ(r.SelectByDraw(9), 5);
    EXPECT_EQ(r.SelectByDraw(10), 7);
    EXPECT_EQ(r.SelectByDraw(39), 7);
    EXPECT_EQ(ThrownText([&] { r.SelectByDraw(40); }), "Error in TRandomizer::GetRandomValue!");
}

TEST(RandomizerTest, LargeWeightsDoNotOverflow)
{
    TRandomizer<int> r;
    r.AddValue(1, INT32_MAX);
    r.AddValue(2, INT32_MAX);
    r.AddValue(3, 1);
    EXPECT_EQ(r.GetTotalWeight(), 2 * int64_t(INT32_MAX) + 1);
    EXPECT_EQ(r.SelectByDraw(int64_t(INT32_MAX)), 2);
    EXPECT_EQ(r.SelectByDraw(2 * int64_t(INT32_MAX)), 3);
    for (int k = 0; k < 100; ++k) {
        const int v = r.GetRandomValue();
        EXPECT_TRUE(v == 1 || v == 2 || v == 3);
    }
}

TEST(RandomizerTest, ChancesFollowTheWeights)
{
    TRandomizer<int> r;
    r.AddValue(5, 10);
    r.AddValue(7, 30);
    std::srand(12345);
    std::map<int, int> seen;
    for (int k = 0; k < 40000; ++k)
        ++seen[r.GetRandomValue()];
    EXPECT_EQ(seen.size(), 2u);
    const double ratio = double(seen[7]) / seen[5];
    EXPECT_NEAR(ratio, 3.0, 0.25);
}
