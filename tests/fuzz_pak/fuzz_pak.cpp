// libFuzzer target: the pack reader on arbitrary bytes. It must never read
// outside the input, and whatever it accepts must describe resources that
// lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ctesser_res_pak.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<TSNResEntry> entries;
    std::string error;
    const auto fileSize = static_cast<int64_t>(size);
    if (PakParseTOC(data, size, fileSize, entries, error) == PakReadStatus::Ok) {
        for (const TSNResEntry& e : entries) {
            if (e.offset < 0 || e.size < 0 || static_cast<int64_t>(e.offset) + e.size > fileSize)
                std::abort();
        }
    } else if (!entries.empty() || error.empty()) {
        std::abort(); // a refusal always says why and keeps nothing
    }
    // Only the first part of the file in memory, as when reading a large
    // pack in blocks: never accepted as a whole table unless it fits.
    std::vector<uint8_t> head(data, data + size / 2);
    if (PakParseTOC(head.data(), head.size(), fileSize, entries, error) == PakReadStatus::Ok) {
        for (const TSNResEntry& e : entries) {
            if (static_cast<int64_t>(e.offset) + e.size > fileSize)
                std::abort();
        }
    }
    return 0;
}
