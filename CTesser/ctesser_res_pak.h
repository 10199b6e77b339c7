// Resource packs on disk: the binary pack file (".pak") and the XML
// resource-pack descriptor ("respack"). Shared by the resource subsystem
// and the pack tool, so that both read and write exactly the same bytes.
//
// Pack file layout, every integer 32-bit little-endian:
//     count (signed)
//     count entries: id NUL, typeid NUL, offset, size, tag (signed),
//                    data1, data2, data3
//     resource bytes, located by the entries' offsets (from file start)
//
// A pack file is untrusted input: the reader checks every count, string,
// offset and size against the real file size before using it, and reports
// what is wrong in words instead of reading past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One resource as a pack's table of contents or a descriptor states it.
struct TSNResEntry {
    std::string id;
    std::string typeID;
    std::string fileName;   // descriptors: the file under the data folder
    int32_t offset = 0;
    int32_t size = 0;
    int32_t tag = 0;
    int32_t data1 = 0;
    int32_t data2 = 0;
    int32_t data3 = 0;
};

// The smallest table entry: two empty strings and six integers.
constexpr int64_t PAK_MIN_ENTRY_BYTES = 2 + 6 * 4;

enum class PakReadStatus {
    Ok,
    OpenFailed,  // the file cannot be opened
    Malformed,   // the bytes do not form a valid table of contents
};

// Parses a table of contents held in memory: `data` holds the first `size`
// bytes of a pack file whose total size is `fileSize` (offsets and sizes are
// checked against fileSize). On Malformed, `error` says what is wrong and
// `entries` is empty.
PakReadStatus PakParseTOC(const uint8_t* data, size_t size, int64_t fileSize, std::vector<TSNResEntry>& entries,
                          std::string& error);

// Reads the table of contents of a pack file (Windows path allowed). Reads
// only as much of the file as the table needs.
PakReadStatus PakReadTOC(const std::string& path, std::vector<TSNResEntry>& entries, std::string& error);

// Bytes taken by the table of contents of these entries, count included.
int64_t PakTOCSize(const std::vector<TSNResEntry>& entries);

// Writes a pack file. The entries' offsets are assigned here: the resources
// follow the table in entry order, back to back; `entries[i].size` must be
// the size of the bytes that `fetch(i, bytes)` delivers. False with `error`
// on a failed fetch, an entry that does not fit the format, or a write error.
using PakFetchFn = std::function<bool(size_t index, std::vector<uint8_t>& bytes, std::string& error)>;
bool PakWrite(const std::string& path, std::vector<TSNResEntry>& entries, const PakFetchFn& fetch, std::string& error);

// Resource types whose data is XML: stored scrambled inside packs.
bool ResIsXMLType(const std::string& typeID);

// Scrambles or unscrambles bytes in place (the same XOR both ways).
void XMLScrambleBytes(uint8_t* data, size_t size);

// Reads a decimal attribute value: leading whitespace and a sign accepted,
// reading stops at the first non-digit; empty or non-numeric text reads 0,
// out-of-range values are clamped to 32 bits.
int32_t ResParseDecimal(const char* text);

// Reads one XML resource-pack descriptor (unscrambled, from disk) and
// states each child element as an entry with fileName = `dataFolder` +
// the `filename` attribute, offset 0 and the file's size. For every child,
// in document order: `isDuplicate(id)` is asked first, then the file is
// examined, then `add(entry)` is called. Throws CEHSException with the
// resource subsystem's messages (wrong root, duplicated identifier, missing
// or empty file). Returns the number of children processed.
int ResReadDescriptor(const std::string& path, const std::string& dataFolder,
                      const std::function<bool(const std::string& id)>& isDuplicate,
                      const std::function<void(TSNResEntry&& entry)>& add);
