// Helpers of the resource tests: a fresh temporary folder as the current
// folder (the engine reads ./DATA/ and writes its logs there), file
// writers, and a check for the engine's exceptions.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/tsr_temp_dir.h"
#include "ctesser.h"
#include "ctesser_res_pak.h"

namespace restest {

using tsrtest::ReadFile;
using tsrtest::WriteFile;

inline void PutInt32(std::string& out, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// One table entry in the pack layout, for building packs by hand.
inline void PutEntry(std::string& out, const std::string& id, const std::string& type, int32_t offset, int32_t size,
                     int32_t tag = 0, int32_t d1 = 0, int32_t d2 = 0, int32_t d3 = 0)
{
    out += id;
    out.push_back('\0');
    out += type;
    out.push_back('\0');
    for (int32_t v : {offset, size, tag, d1, d2, d3})
        PutInt32(out, v);
}

// A pack of whole resources laid out after the table (as the writer does).
struct PackItem {
    std::string id, type, bytes;
    int32_t tag = 0, d1 = 0, d2 = 0, d3 = 0;
};
inline std::string BuildPack(const std::vector<PackItem>& items)
{
    std::vector<TSNResEntry> entries;
    for (const PackItem& it : items) {
        TSNResEntry e;
        e.id = it.id;
        e.typeID = it.type;
        e.size = static_cast<int32_t>(it.bytes.size());
        entries.push_back(e);
    }
    int64_t pos = PakTOCSize(entries);
    std::string out;
    PutInt32(out, static_cast<int32_t>(items.size()));
    for (const PackItem& it : items) {
        PutEntry(out, it.id, it.type, static_cast<int32_t>(pos), static_cast<int32_t>(it.bytes.size()), it.tag, it.d1,
                 it.d2, it.d3);
        pos += static_cast<int64_t>(it.bytes.size());
    }
    for (const PackItem& it : items)
        out += it.bytes;
    return out;
}

// Runs fn and expects a CEHSException of that type and description.
inline void ExpectEHS(const std::function<void()>& fn, int32_t type, const std::string& description)
{
    try {
        fn();
        ADD_FAILURE() << "no exception; expected \"" << description << "\"";
    } catch (const CEHSException& e) {
        EXPECT_EQ(e.GetDescription(), description);
        EXPECT_EQ(e.GetType(), type) << e.GetDescription();
    }
}

using tsrtest::TempDirTest;

// A temporary folder plus an engine object created on demand.
class EngineTest : public TempDirTest {
protected:
    void TearDown() override
    {
        m_engine.reset();
        TempDirTest::TearDown();
    }
    CTesser& Engine()
    {
        if (!m_engine)
            m_engine = std::make_unique<CTesser>();
        return *m_engine;
    }
    std::unique_ptr<CTesser> m_engine;
};

} // namespace restest
