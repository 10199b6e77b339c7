// Start-up cost of the resource scan: a data folder of 2,000 resources in
// XML mode (20 descriptors naming 2,000 files) and in PAK mode (the same
// resources in 4 pack files). Each iteration is one ResInit and ResDeinit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "ctesser.h"
#include "ctesser_res_pak.h"

namespace fs = std::filesystem;

namespace {

constexpr int kResources = 2000;

const char* kTypes[] = {"TEXTURE", "SOUND", "SCRIPT", "XMLDATA", "FONT"};

// A temporary folder with ./DATA/ filled in one of the two modes; the
// current folder while it lives.
class DataFolder {
public:
    explicit DataFolder(bool pakMode)
    {
        m_old = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "tsr_resbench_XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp");
        m_dir = pattern;
        fs::current_path(m_dir);
        fs::create_directories("DATA/files");
        if (pakMode)
            MakePacks();
        else
            MakeXML();
    }
    ~DataFolder()
    {
        fs::current_path(m_old);
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

private:
    static std::string Payload(int i) { return "resource payload " + std::to_string(i) + std::string(64, 'x'); }

    static void MakeXML()
    {
        for (int d = 0; d < 20; ++d) {
            std::string xml = "<?xml version=\"1.0\"?>\n<respack>\n";
            for (int k = 0; k < kResources / 20; ++k) {
                const int i = d * (kResources / 20) + k;
                const std::string name = "files\\Res" + std::to_string(i) + ".bin";
                std::ofstream("DATA/files/res" + std::to_string(i) + ".bin", std::ios::binary) << Payload(i);
                xml += "  <resource id=\"res" + std::to_string(i) + "\" typeid=\"" + kTypes[i % 5] +
                       "\" filename=\"" + name + "\" tag=\"" + std::to_string(i % 9 + 1) + "\" data1=\"1\"/>\n";
            }
            xml += "</respack>\n";
            std::ofstream("DATA/pack" + std::to_string(d) + ".xml", std::ios::binary) << xml;
        }
    }

    static void MakePacks()
    {
        for (int p = 0; p < 4; ++p) {
            std::vector<TSNResEntry> entries;
            for (int k = 0; k < kResources / 4; ++k) {
                const int i = p * (kResources / 4) + k;
                TSNResEntry e;
                e.id = "res" + std::to_string(i);
                e.typeID = kTypes[i % 5];
                e.tag = i % 9 + 1;
                e.data1 = 1;
                e.size = static_cast<int32_t>(Payload(i).size());
                entries.push_back(e);
            }
            std::string error;
            const bool ok = PakWrite("DATA/pack" + std::to_string(p) + ".pak", entries,
                                     [&](size_t i, std::vector<uint8_t>& bytes, std::string&) {
                                         const std::string s = Payload(p * (kResources / 4) + static_cast<int>(i));
                                         bytes.assign(s.begin(), s.end());
                                         return true;
                                     },
                                     error);
            if (!ok)
                throw std::runtime_error(error);
        }
    }

    fs::path m_old;
    fs::path m_dir;
};

void Scan(benchmark::State& state, bool pakMode)
{
    DataFolder folder(pakMode);
    CTesser engine;
    for (auto _ : state) {
        engine.ResInit();
        if (engine.ResGetCount() != kResources || engine.ResGetMode() != (pakMode ? 2 : 1))
            state.SkipWithError("wrong scan result");
        engine.ResDeinit();
    }
    state.counters["resources"] = kResources;
}

void BM_ResScanXMLMode(benchmark::State& state) { Scan(state, false); }
void BM_ResScanPakMode(benchmark::State& state) { Scan(state, true); }

} // namespace

BENCHMARK(BM_ResScanXMLMode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResScanPakMode)->Unit(benchmark::kMillisecond);
