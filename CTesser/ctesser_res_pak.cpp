// Pack files and resource-pack descriptors: reading and writing.
#include "ctesser_res_pak.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ctesser_ehs.h"
#include "ctesser_utils_xml.h"
#include "platform/files/tsr_files.h"

namespace {

enum class ParseStep { Ok, Malformed, NeedMore };

// Sequential reader over the first `size` bytes of a file of `fileSize`
// bytes. Running out of bytes means "read more of the file" while the
// buffer is shorter than the file, and "truncated" once it is the whole file.
class TOCCursor {
public:
    TOCCursor(const uint8_t* data, size_t size, int64_t fileSize)
        : m_data(data), m_size(size), m_whole(static_cast<int64_t>(size) >= fileSize)
    {
    }

    bool Has(size_t n) const { return m_size - m_pos >= n; }
    bool Whole() const { return m_whole; }
    size_t Pos() const { return m_pos; }

    int32_t ReadInt32()
    {
        const uint8_t* p = m_data + m_pos;
        m_pos += 4;
        const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        return static_cast<int32_t>(v);
    }

    // A NUL-terminated string; false when no NUL is left in the buffer.
    bool ReadString(std::string& out)
    {
        const void* nul = std::memchr(m_data + m_pos, 0, m_size - m_pos);
        if (!nul)
            return false;
        const size_t len = static_cast<const uint8_t*>(nul) - (m_data + m_pos);
        out.assign(reinterpret_cast<const char*>(m_data + m_pos), len);
        m_pos += len + 1;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_whole;
};

ParseStep ParseTOC(const uint8_t* data, size_t size, int64_t fileSize, std::vector<TSNResEntry>& entries,
                   std::string& error)
{
    entries.clear();
    TOCCursor in(data, size, fileSize);
    auto truncated = [&](const std::string& what) {
        if (!in.Whole())
            return ParseStep::NeedMore;
        error = what;
        entries.clear();
        return ParseStep::Malformed;
    };
    auto bad = [&](const std::string& what) {
        error = what;
        entries.clear();
        return ParseStep::Malformed;
    };

    if (!in.Has(4))
        return truncated("the file is shorter than its entry count (" + std::to_string(fileSize) + " bytes)");
    const int32_t count = in.ReadInt32();
    if (count < 0)
        return bad("negative entry count (" + std::to_string(count) + ")");
    if (count > (fileSize - 4) / PAK_MIN_ENTRY_BYTES)
        return bad("entry count " + std::to_string(count) + " is larger than a file of " + std::to_string(fileSize) +
                   " bytes can hold");
    // The count is now bounded by the file size; still, grow as entries
    // are really read rather than trusting it for one big allocation.
    entries.reserve(std::min<size_t>(static_cast<size_t>(count), 4096));

    for (int32_t i = 0; i < count; ++i) {
        const std::string where = "entry " + std::to_string(i);
        TSNResEntry e;
        if (!in.ReadString(e.id))
            return truncated(where + ": the identifier runs to the end of the file");
        if (!in.ReadString(e.typeID))
            return truncated(where + " (" + e.id + "): the type name runs to the end of the file");
        if (!in.Has(24))
            return truncated(where + " (" + e.id + "): the file ends inside the table of contents");
        e.offset = in.ReadInt32();
        e.size = in.ReadInt32();
        e.tag = in.ReadInt32();
        e.data1 = in.ReadInt32();
        e.data2 = in.ReadInt32();
        e.data3 = in.ReadInt32();
        if (e.offset < 0)
            return bad(where + " (" + e.id + "): negative offset " + std::to_string(e.offset));
        if (e.size < 0)
            return bad(where + " (" + e.id + "): negative size " + std::to_string(e.size));
        if (static_cast<int64_t>(e.offset) + e.size > fileSize)
            return bad(where + " (" + e.id + "): " + std::to_string(e.size) + " bytes at offset " +
                       std::to_string(e.offset) + " lie outside the file (" + std::to_string(fileSize) + " bytes)");
        entries.push_back(std::move(e));
    }
    return ParseStep::Ok;
}

void PutInt32(std::vector<uint8_t>& out, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 24));
}

} // namespace

PakReadStatus PakParseTOC(const uint8_t* data, size_t size, int64_t fileSize, std::vector<TSNResEntry>& entries,
                          std::string& error)
{
    if (static_cast<int64_t>(size) > fileSize)
        size = static_cast<size_t>(std::max<int64_t>(fileSize, 0));
    const ParseStep step = ParseTOC(data, size, fileSize, entries, error);
    if (step == ParseStep::Ok)
        return PakReadStatus::Ok;
    if (step == ParseStep::NeedMore) {
        error = "the table of contents is longer than the bytes given";
        entries.clear();
    }
    return PakReadStatus::Malformed;
}

PakReadStatus PakReadTOC(const std::string& path, std::vector<TSNResEntry>& entries, std::string& error)
{
    entries.clear();
    tsr::FileRange file;
    if (file.Open(path, 0, -1) != tsr::FileRange::Status::Ok) {
        error = "cannot open the file";
        return PakReadStatus::OpenFailed;
    }
    const int64_t fileSize = file.Size();
    // Start with a block that holds a typical table; double while the
    // table runs on, up to the whole file.
    size_t want = static_cast<size_t>(std::min<int64_t>(fileSize, 64 * 1024));
    std::vector<uint8_t> buf;
    for (;;) {
        buf.resize(want);
        if (file.ReadAt(0, buf.data(), want) != want) {
            error = "the file cannot be read";
            return PakReadStatus::Malformed;
        }
        const ParseStep step = ParseTOC(buf.data(), want, fileSize, entries, error);
        if (step == ParseStep::Ok)
            return PakReadStatus::Ok;
        if (step == ParseStep::Malformed)
            return PakReadStatus::Malformed;
        want = static_cast<size_t>(std::min<int64_t>(fileSize, static_cast<int64_t>(want) * 2));
    }
}

int64_t PakTOCSize(const std::vector<TSNResEntry>& entries)
{
    int64_t total = 4;
    for (const TSNResEntry& e : entries)
        total += static_cast<int64_t>(e.id.size()) + 1 + static_cast<int64_t>(e.typeID.size()) + 1 + 24;
    return total;
}

bool PakWrite(const std::string& path, std::vector<TSNResEntry>& entries, const PakFetchFn& fetch, std::string& error)
{
    if (entries.size() > static_cast<size_t>(INT32_MAX)) {
        error = "too many resources for one pack";
        return false;
    }
    for (const TSNResEntry& e : entries) {
        if (e.id.find('\0') != std::string::npos || e.typeID.find('\0') != std::string::npos) {
            error = "resource " + e.id + ": identifiers and type names cannot hold NUL bytes";
            return false;
        }
        if (e.size < 0) {
            error = "resource " + e.id + ": negative size";
            return false;
        }
    }
    // Lay the resources out after the table, in entry order.
    int64_t pos = PakTOCSize(entries);
    for (TSNResEntry& e : entries) {
        if (pos + e.size > INT32_MAX) {
            error = "the pack would be larger than 2 GiB, which its offsets cannot address";
            return false;
        }
        e.offset = static_cast<int32_t>(pos);
        pos += e.size;
    }

    std::vector<uint8_t> toc;
    toc.reserve(static_cast<size_t>(PakTOCSize(entries)));
    PutInt32(toc, static_cast<int32_t>(entries.size()));
    for (const TSNResEntry& e : entries) {
        toc.insert(toc.end(), e.id.begin(), e.id.end());
        toc.push_back(0);
        toc.insert(toc.end(), e.typeID.begin(), e.typeID.end());
        toc.push_back(0);
        PutInt32(toc, e.offset);
        PutInt32(toc, e.size);
        PutInt32(toc, e.tag);
        PutInt32(toc, e.data1);
        PutInt32(toc, e.data2);
        PutInt32(toc, e.data3);
    }

    // Written under a temporary name and renamed at the end, so a failed
    // run never leaves a half-written pack where a good one is expected.
    const std::string finalPath = tsr::ResolvePath(path);
    const std::string tmpPath = finalPath + ".tmp";
    tsr::UniqueFile out(std::fopen(tmpPath.c_str(), "wb"));
    if (!out) {
        error = "cannot create " + tmpPath + ": " + std::strerror(errno);
        return false;
    }
    auto fail = [&](const std::string& what) {
        error = what;
        out.reset();
        std::remove(tmpPath.c_str());
        return false;
    };
    if (std::fwrite(toc.data(), 1, toc.size(), out.get()) != toc.size())
        return fail("cannot write " + tmpPath);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < entries.size(); ++i) {
        bytes.clear();
        std::string why;
        if (!fetch(i, bytes, why))
            return fail(why.empty() ? "cannot read resource " + entries[i].id : why);
        if (bytes.size() != static_cast<size_t>(entries[i].size))
            return fail("resource " + entries[i].id + " changed size while the pack was written");
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size())
            return fail("cannot write " + tmpPath);
    }
    if (std::fflush(out.get()) != 0 || std::ferror(out.get()))
        return fail("cannot write " + tmpPath);
    out.reset();
    if (std::rename(tmpPath.c_str(), finalPath.c_str()) != 0) {
        error = "cannot rename " + tmpPath + " to " + finalPath + ": " + std::strerror(errno);
        std::remove(tmpPath.c_str());
        return false;
    }
    return true;
}

bool ResIsXMLType(const std::string& typeID)
{
    static const char* const kXMLTypes[] = {"TECHNIQUE", "FONT",        "PLAYLIST",     "XMLDATA",
                                            "GUIDATA",   "GUIENUMDATA", "GUISTYLEDATA", "LEVEL"};
    for (const char* t : kXMLTypes) {
        if (typeID == t)
            return true;
    }
    return false;
}

void XMLScrambleBytes(uint8_t* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        data[i] ^= XML_SCRAMBLE_KEY;
}

int32_t ResParseDecimal(const char* text)
{
    if (!text)
        return 0;
    const long long v = std::strtoll(text, nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

int ResReadDescriptor(const std::string& path, const std::string& dataFolder,
                      const std::function<bool(const std::string& id)>& isDuplicate,
                      const std::function<void(TSNResEntry&& entry)>& add)
{
    CXMLDocument doc;
    doc.LoadFromFile(path.c_str(), false);
    doc.Parse();
    const CXMLNode* root = doc.GetRoot();
    EHS_CHECK(std::strcmp(root->GetName(), "respack") == 0, EHS_GAME, "Wrong XML ResPack descriptor: " + path);

    const int count = root->GetChildCount();
    for (int i = 0; i < count; ++i) {
        const CXMLNode* child = root->GetChild(i);
        TSNResEntry e;
        e.id = child->GetAttribute("id");
        e.typeID = child->GetAttribute("typeid");
        const std::string fileAttr = child->GetAttribute("filename");
        EHS_CHECK(!isDuplicate(e.id), EHS_GAME, "Dublicated resource. ID = " + e.id);

        e.fileName = dataFolder + fileAttr;
        tsr::FileRange file;
        // An empty attribute names the folder itself, which is no file.
        EHS_CHECK(!fileAttr.empty() && file.Open(e.fileName, 0, -1) == tsr::FileRange::Status::Ok, EHS_GAME,
                  "Cannot find file declared in ResPack. Filename = " + fileAttr);
        EHS_CHECK(file.Size() >= 1, EHS_GENERAL, "Wrong resource file - check if it exists!");
        EHS_CHECK(file.Size() <= INT32_MAX, EHS_GAME,
                  "Resource file is too large (over 2 GiB). Filename = " + fileAttr);
        e.size = static_cast<int32_t>(file.Size());
        file.Close();

        e.data1 = ResParseDecimal(child->GetAttribute("data1"));
        e.data2 = ResParseDecimal(child->GetAttribute("data2"));
        e.data3 = ResParseDecimal(child->GetAttribute("data3"));
        e.tag = ResParseDecimal(child->GetAttribute("tag"));
        e.offset = 0;
        add(std::move(e));
    }
    return count;
}
