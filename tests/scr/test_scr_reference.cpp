// The committed script API reference is the one the registration table
// produces (regenerate with: tesseron --script-api > docs/script-api.md).
#include "scr_fixture.h"

TEST(ScriptApiReference, CommittedReferenceMatchesTheRegistrationTable)
{
    const char* source = std::getenv("TSR_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string committed = scrtest::ReadFile(std::filesystem::path(source) / "docs" / "script-api.md");
    EXPECT_EQ(committed, ScrMakeApiReference())
        << "docs/script-api.md is stale: run tesseron --script-api > docs/script-api.md";
}

TEST(ScriptApiReference, ListsEveryFunctionOnce)
{
    const std::string reference = ScrMakeApiReference();
    for (const ScrFunctionInfo& info : ScrGetFunctionTable()) {
        const std::string cell = std::string("| `") + info.name + "` |";
        const size_t at = reference.find(cell);
        EXPECT_NE(at, std::string::npos) << info.name;
        EXPECT_EQ(reference.find(cell, at + 1), std::string::npos) << info.name;
    }
}
