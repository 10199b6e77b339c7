// tsnpack: makes, lists and unpacks the engine's resource pack files.
//
//   tsnpack pack   <data-folder> <out.pak>   every *.xml descriptor of the
//                                            folder and the files it names
//   tsnpack list   <file.pak>                the table of contents
//   tsnpack unpack <file.pak> <out-folder>   an XML-mode data folder that
//                                            packs again to the same bytes
//
// XML resources (technique packs, fonts, playlists, XML data, GUI data,
// levels) are stored scrambled in a pack, as the engine reads them in PAK
// mode, and unscrambled again by unpack. The reading and writing of packs
// and descriptors is the engine's own code.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ctesser_ehs.h"
#include "ctesser_res_pak.h"
#include "platform/files/tsr_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int EXIT_USAGE = 2;
constexpr int EXIT_BAD_INPUT = 1;

// Every failure ends the command with a message and a non-zero status.
struct ToolError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw ToolError{message}; }

void Usage(std::FILE* out)
{
    std::fputs("usage: tsnpack pack <data-folder> <out.pak>\n"
               "       tsnpack list <file.pak>\n"
               "       tsnpack unpack <file.pak> <out-folder>\n",
               out);
}

std::vector<uint8_t> ReadRange(const std::string& path, int64_t offset, int32_t size)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    switch (tsr::ReadFileRange(path, offset, size, bytes.data())) {
    case tsr::ReadRangeResult::Ok:
        return bytes;
    case tsr::ReadRangeResult::OpenFailed:
        Fail("cannot open " + path);
    case tsr::ReadRangeResult::SeekFailed:
    case tsr::ReadRangeResult::ShortRead:
        break;
    }
    Fail(path + " is shorter than expected");
}

std::vector<TSNResEntry> ReadPack(const std::string& path)
{
    std::vector<TSNResEntry> entries;
    std::string error;
    switch (PakReadTOC(path, entries, error)) {
    case PakReadStatus::Ok:
        return entries;
    case PakReadStatus::OpenFailed:
        Fail("cannot open " + path);
    case PakReadStatus::Malformed:
        break;
    }
    Fail("corrupt resource pack " + path + ": " + error);
}

// ---- pack ----

int Pack(const std::string& folder, const std::string& outPath)
{
    const std::string resolved = tsr::ResolvePath(folder);
    if (!fs::is_directory(resolved))
        Fail("not a folder: " + folder);
    const std::string prefix = resolved + "/";
    const std::vector<std::string> descriptors = tsr::FindFiles(prefix + "*.xml");
    if (descriptors.empty())
        Fail("no resource-pack descriptors (*.xml) in " + folder);

    std::vector<TSNResEntry> entries;
    std::set<std::string> ids;
    for (const std::string& name : descriptors) {
        ResReadDescriptor(
            prefix + name, prefix, [&](const std::string& id) { return ids.count(id) != 0; },
            [&](TSNResEntry&& e) {
                // The checks the engine makes when it builds the descriptor.
                if (e.id.empty())
                    Fail(name + ": a resource without an identifier");
                if (e.typeID.empty())
                    Fail(name + ": resource " + e.id + " has no type");
                ids.insert(e.id);
                entries.push_back(std::move(e));
            });
    }

    // Where each resource comes from; the writer assigns the pack offsets.
    std::vector<std::string> sources;
    for (const TSNResEntry& e : entries)
        sources.push_back(e.fileName);
    std::string error;
    const bool ok = PakWrite(outPath, entries,
                             [&](size_t i, std::vector<uint8_t>& bytes, std::string&) {
                                 bytes = ReadRange(sources[i], 0, entries[i].size);
                                 if (ResIsXMLType(entries[i].typeID))
                                     XMLScrambleBytes(bytes.data(), bytes.size());
                                 return true;
                             },
                             error);
    if (!ok)
        Fail(error);
    std::printf("%zu resources from %zu descriptors packed into %s\n", entries.size(), descriptors.size(),
                outPath.c_str());
    return 0;
}

// ---- list ----

int List(const std::string& path)
{
    const std::vector<TSNResEntry> entries = ReadPack(path);
    std::printf("%-24s %-14s %6s %10s %10s %8s %8s %8s\n", "id", "type", "tag", "offset", "size", "data1", "data2",
                "data3");
    for (const TSNResEntry& e : entries)
        std::printf("%-24s %-14s %6d %10d %10d %8d %8d %8d\n", e.id.c_str(), e.typeID.c_str(), e.tag, e.offset, e.size,
                    e.data1, e.data2, e.data3);
    std::printf("%zu resources\n", entries.size());
    return 0;
}

// ---- unpack ----

// A file extension for the resource, from its type and its first bytes.
std::string Extension(const TSNResEntry& e, const std::vector<uint8_t>& bytes)
{
    auto startsWith = [&](const char* magic, size_t n) {
        return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
    };
    if (ResIsXMLType(e.typeID))
        return ".xml"; // inside a sub-folder, so never taken for a descriptor
    if (e.typeID == "SCRIPT")
        return ".lua";
    if (startsWith("\x89PNG", 4))
        return ".png";
    if (startsWith("\xFF\xD8", 2))
        return ".jpg";
    if (startsWith("BM", 2))
        return ".bmp";
    if (startsWith("RIFF", 4))
        return ".wav";
    if (startsWith("OggS", 4))
        return ".ogg";
    if (startsWith("Extended Module", 15))
        return ".xm";
    return ".bin";
}

// A file name made of the identifier, unique ignoring case (the data may
// be used on a file system that ignores it).
std::string UniqueFileName(const std::string& id, const std::string& ext, std::set<std::string>& taken)
{
    std::string base;
    for (char c : id)
        base.push_back((std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.') ? c : '_');
    if (base.empty() || base.front() == '.')
        base.insert(base.begin(), '_');
    auto folded = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::string name = base + ext;
    for (int n = 2; taken.count(folded(name)); ++n)
        name = base + "~" + std::to_string(n) + ext;
    taken.insert(folded(name));
    return name;
}

bool WritableInAttribute(const std::string& value)
{
    for (char c : value) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

// Creates (or truncates) the file with exactly these bytes.
void WriteWholeFile(const fs::path& path, const void* data, size_t size)
{
    tsr::UniqueFile out(std::fopen(path.c_str(), "wb"));
    if (!out || (size != 0 && std::fwrite(data, 1, size, out.get()) != size) || std::fflush(out.get()) != 0)
        Fail("cannot write " + path.string());
}

int Unpack(const std::string& packPath, const std::string& outFolder)
{
    const std::vector<TSNResEntry> entries = ReadPack(packPath);
    if (fs::exists(outFolder) && !(fs::is_directory(outFolder) && fs::is_empty(outFolder)))
        Fail(outFolder + " exists and is not an empty folder");

    std::string stem = fs::path(tsr::ResolvePath(packPath)).stem().string();
    if (stem.empty())
        stem = "pack";
    const std::string subFolder = stem + "_files";
    fs::create_directories(fs::path(outFolder) / subFolder);

    std::string xml = "<?xml version=\"1.0\"?>\n<respack>\n";
    std::set<std::string> taken;
    std::set<std::string> seen;
    int written = 0;
    for (const TSNResEntry& e : entries) {
        if (e.id.empty() || e.typeID.empty())
            Fail("corrupt resource pack " + packPath + ": an entry without an identifier or type");
        if (!WritableInAttribute(e.id) || !WritableInAttribute(e.typeID))
            Fail("resource " + e.id + ": its identifier or type cannot be written in a descriptor");
        if (!seen.insert(e.id).second) {
            // The engine keeps the first of equal identifiers; so does unpack.
            std::fprintf(stderr, "tsnpack: warning: duplicated resource %s skipped (the engine never loads it)\n",
                         e.id.c_str());
            continue;
        }
        if (e.size < 1) {
            std::fprintf(stderr, "tsnpack: warning: resource %s is empty; the engine refuses it\n", e.id.c_str());
        }
        std::vector<uint8_t> bytes = ReadRange(packPath, e.offset, e.size);
        if (ResIsXMLType(e.typeID))
            XMLScrambleBytes(bytes.data(), bytes.size());
        const std::string fileName = UniqueFileName(e.id, Extension(e, bytes), taken);
        WriteWholeFile(fs::path(outFolder) / subFolder / fileName, bytes.data(), bytes.size());
        xml += "  <resource id=\"" + e.id + "\" typeid=\"" + e.typeID + "\" filename=\"" + subFolder + "\\" +
               fileName + "\" tag=\"" + std::to_string(e.tag) + "\" data1=\"" + std::to_string(e.data1) +
               "\" data2=\"" + std::to_string(e.data2) + "\" data3=\"" + std::to_string(e.data3) + "\"/>\n";
        ++written;
    }
    xml += "</respack>\n";
    WriteWholeFile(fs::path(outFolder) / (stem + ".xml"), xml.data(), xml.size());
    std::printf("%d resources unpacked into %s\n", written, outFolder.c_str());
    return 0;
}

int Run(int argc, char** argv)
{
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "pack" && argc == 4)
        return Pack(argv[2], argv[3]);
    if (cmd == "list" && argc == 3)
        return List(argv[2]);
    if (cmd == "unpack" && argc == 4)
        return Unpack(argv[2], argv[3]);
    if (cmd == "-h" || cmd == "--help" || cmd == "help") {
        Usage(stdout);
        return 0;
    }
    Usage(stderr);
    return EXIT_USAGE;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const ToolError& e) {
        std::fprintf(stderr, "tsnpack: error: %s\n", e.message.c_str());
    } catch (const CEHSException& e) {
        std::fprintf(stderr, "tsnpack: error: %s\n", e.GetDescription().c_str());
    } catch (const char* text) {
        std::fprintf(stderr, "tsnpack: error: %s\n", text);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tsnpack: error: %s\n", e.what());
    }
    return EXIT_BAD_INPUT;
}
