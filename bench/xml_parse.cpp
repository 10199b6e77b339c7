// Parse throughput of the XML reader beside pugixml and tinyxml2 on
// data-like documents (GUI screens, resource packs, level packs) of 10 KB
// to 2 MB. Each iteration loads the bytes from memory and builds the tree.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include <pugixml.hpp>
#include <tinyxml2.h>

#include "CTesser/ctesser_utils_xml.h"

namespace {

// A document shaped like the engine's data: a declaration, comments, a
// resource pack, GUI windows nested a few levels with many attributes, and
// level rows. Deterministic for a given size.
std::string MakeDocument(size_t targetBytes)
{
    std::mt19937 rng(1234);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- generated test data -->\n<desktop>\n";
    int serial = 0;
    char buf[512];
    while (out.size() < targetBytes) {
        switch (pick(3)) {
        case 0: // resource entries
            for (int i = 0; i < 8; ++i, ++serial) {
                std::snprintf(buf, sizeof buf,
                              "\t<res id=\"TEX_ITEM%d\" type=\"TEXTURE\" tag=\"%d\" file=\".\\data\\tex\\item%d.png\" "
                              "format=\"1\" mips=\"0\" edge=\"256\"/>\n",
                              serial, 1 + pick(9), serial);
                out += buf;
            }
            break;
        case 1: { // a window with buttons and labels
            std::snprintf(buf, sizeof buf,
                          "\t<window id=\"WND_%d\" x=\"%d\" y=\"%d\" w=\"%d\" h=\"%d\" color=\"1.0 1.0 1.0 0.8\" "
                          "style=\"STYLE_WINDOW\" visible=\"0\">\n",
                          serial++, pick(800), pick(600), 100 + pick(400), 80 + pick(300));
            out += buf;
            const int children = 3 + pick(6);
            for (int c = 0; c < children; ++c, ++serial) {
                std::snprintf(buf, sizeof buf,
                              "\t\t<button id=\"BTN_%d\" x=\"%d\" y=\"%d\" w=\"120\" h=\"32\" text=\"Button %d\" "
                              "font=\"FNT_FONT1\" onclick=\"OnButton%d\" tooltip=\"Press to continue\"/>\n",
                              serial, pick(300), pick(200), serial, serial);
                out += buf;
                if (pick(4) == 0)
                    out += "\t\t<!-- spacer -->\n\t\t<label id=\"LBL\" text=\"Score:\" align=\"left\"></label>\n";
            }
            out += "\t</window>\n";
            break;
        }
        default: { // a level of a level pack
            std::snprintf(buf, sizeof buf, "\t<level name=\"Level %d\" sizex=\"12\" sizey=\"10\">\n", serial++);
            out += buf;
            for (int row = 0; row < 10; ++row) {
                out += "\t\t<row cells=\"";
                for (int col = 0; col < 12; ++col)
                    out += pick(5) == 0 ? '1' : '0';
                out += "\"/>\n";
            }
            out += "\t</level>\n";
        }
        }
    }
    out += "</desktop>\n";
    return out;
}

const std::string& Document(size_t bytes)
{
    static std::map<size_t, std::string> cache;
    auto it = cache.find(bytes);
    if (it == cache.end())
        it = cache.emplace(bytes, MakeDocument(bytes)).first;
    return it->second;
}

void BM_Tesseron(benchmark::State& state)
{
    const std::string& text = Document(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        CXMLDocument doc;
        doc.LoadFromBuffer(text.data(), static_cast<int>(text.size()), false);
        doc.Parse();
        benchmark::DoNotOptimize(doc.GetRoot()->GetChildCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_TesseronScrambled(benchmark::State& state)
{
    std::string text = Document(static_cast<size_t>(state.range(0)));
    for (char& c : text)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ XML_SCRAMBLE_KEY);
    for (auto _ : state) {
        CXMLDocument doc;
        doc.LoadFromBuffer(text.data(), static_cast<int>(text.size()), true);
        doc.Parse();
        benchmark::DoNotOptimize(doc.GetRoot()->GetChildCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Pugixml(benchmark::State& state)
{
    const std::string& text = Document(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document doc;
        pugi::xml_parse_result ok = doc.load_buffer(text.data(), text.size());
        if (!ok)
            state.SkipWithError("pugixml failed to parse");
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Tinyxml2(benchmark::State& state)
{
    const std::string& text = Document(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        tinyxml2::XMLDocument doc;
        if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
            state.SkipWithError("tinyxml2 failed to parse");
        benchmark::DoNotOptimize(doc.RootElement());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// A check, not a timing: the generated document reads the same in all three.
void BM_SameElementCount(benchmark::State& state)
{
    const std::string& text = Document(static_cast<size_t>(state.range(0)));
    CXMLDocument ours;
    ours.LoadFromBuffer(text.data(), static_cast<int>(text.size()), false);
    ours.Parse();
    pugi::xml_document pugi;
    pugi.load_buffer(text.data(), text.size());
    const int oursCount = ours.GetRoot()->GetChildCount();
    const int pugiCount = static_cast<int>(std::distance(pugi.child("desktop").begin(), pugi.child("desktop").end()));
    if (oursCount != pugiCount)
        state.SkipWithError("the readers disagree on the document");
    for (auto _ : state)
        benchmark::DoNotOptimize(oursCount);
}

#define TSR_XML_SIZES ->Arg(10 << 10)->Arg(100 << 10)->Arg(2 << 20)

BENCHMARK(BM_Tesseron) TSR_XML_SIZES;
BENCHMARK(BM_TesseronScrambled) TSR_XML_SIZES;
BENCHMARK(BM_Pugixml) TSR_XML_SIZES;
BENCHMARK(BM_Tinyxml2) TSR_XML_SIZES;
BENCHMARK(BM_SameElementCount)->Arg(100 << 10)->Iterations(1);

} // namespace
