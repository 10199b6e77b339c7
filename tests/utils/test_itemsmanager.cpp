// Slot containers and the 2-D safe array.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CTesser/ctesser_utils_itemsmanager.h"
#include "CTesser/ctesser_utils_safearray.h"
#include "common/tsr_thrown.h"

namespace {

// Counts live objects so that leaks and double deletes show.
struct Tracked {
    explicit Tracked(int v) : value(v) { ++live; }
    ~Tracked() { --live; }
    int value;
    static inline int live = 0;
};

using tsrtest::ThrownText;

class ItemsManagerTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::live = 0; }
    void TearDown() override
    {
        mgr.FreeAllItems();
        EXPECT_EQ(Tracked::live, 0);
    }
    int Add(int value, const std::string& id, int tag = 0) { return mgr.AddItem(new Tracked(value), id, tag); }
    TItemsManager<Tracked> mgr;
};

} // namespace

TEST_F(ItemsManagerTest, FreedSlotIsReused)
{
    EXPECT_EQ(Add(1, "A"), 0);
    EXPECT_EQ(Add(2, "B"), 1);
    EXPECT_EQ(Add(3, "C"), 2);
    mgr.FreeItem(1);
    EXPECT_EQ(mgr.GetItem(1), nullptr);
    EXPECT_EQ(mgr.GetID(1), "");
    EXPECT_EQ(mgr.GetTag(1), 0);
    EXPECT_EQ(Add(4, "D", 5), 1);
    EXPECT_EQ(mgr.GetCount(), 3);
    EXPECT_EQ(mgr.GetItem(1)->value, 4);
    EXPECT_EQ(mgr.GetTag(1), 5);
    EXPECT_EQ(mgr.FindID("D"), 1);
    EXPECT_EQ(mgr.FindID("B"), -1);
    EXPECT_EQ(Tracked::live, 3);
}

TEST_F(ItemsManagerTest, DuplicateIdentifierReturnsExistingSlot)
{
    Add(1, "A");
    Add(2, "B");
    Add(3, "C", 9);
    Tracked extra(99);
    EXPECT_EQ(mgr.AddItem(&extra, "C", 1), 2);
    EXPECT_EQ(mgr.GetItem(2)->value, 3);
    EXPECT_EQ(mgr.GetTag(2), 9);
    EXPECT_EQ(mgr.GetCount(), 3);
}

TEST_F(ItemsManagerTest, EmptyIdentifierItemsAreStored)
{
    Add(1, "A");
    Add(2, "B");
    mgr.FreeItem(0);
    // The empty slot 0 has an empty identifier: it must not count as a
    // duplicate of an anonymous item.
    EXPECT_EQ(Add(3, ""), 0);
    ASSERT_NE(mgr.GetItem(0), nullptr);
    EXPECT_EQ(mgr.GetItem(0)->value, 3);
    EXPECT_EQ(Add(4, ""), 2);
    EXPECT_EQ(mgr.GetItem(2)->value, 4);
    EXPECT_EQ(Tracked::live, 3);
}

TEST_F(ItemsManagerTest, FindEmptyStringFindsFirstEmptySlot)
{
    Add(1, "A");
    Add(2, "B");
    EXPECT_EQ(mgr.FindID(""), -1);
    mgr.FreeItem(1);
    EXPECT_EQ(mgr.FindID(""), 1);
    EXPECT_EQ(mgr.FindID("a"), -1); // case-sensitive
}

TEST_F(ItemsManagerTest, IndexesOutsideTheSlots)
{
    Add(1, "A");
    Add(2, "B");
    EXPECT_EQ(mgr.GetItem(-1), nullptr);
    EXPECT_EQ(mgr.GetItem(2), nullptr);
    EXPECT_EQ(ThrownText([&] { mgr.FreeItem(2); }), "Error in TItemsManager<T>::FreeItem");
    EXPECT_EQ(ThrownText([&] { mgr.FreeItem(-1); }), "Error in TItemsManager<T>::FreeItem");
}

TEST_F(ItemsManagerTest, FreeAllKeepsCount)
{
    Add(1, "A", 1);
    Add(2, "B", 2);
    Add(3, "C", 3);
    mgr.FreeItem(1);
    mgr.FreeAllItems();
    EXPECT_EQ(mgr.GetCount(), 3);
    EXPECT_EQ(Tracked::live, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mgr.GetItem(i), nullptr);
        EXPECT_EQ(mgr.GetID(i), "");
        EXPECT_EQ(mgr.GetTag(i), 0);
    }
}

TEST_F(ItemsManagerTest, IterationByTag)
{
    EXPECT_EQ(mgr.GetFirstItemWithTag(0), nullptr);
    EXPECT_EQ(mgr.GetCursor(), -1);
    const int tags[] = {7, 1, 7, 7, 3, 7};
    for (int i = 0; i < 6; ++i)
        Add(i, "I" + std::to_string(i), tags[i]);
    mgr.FreeItem(2);

    auto visit = [&](int tag) {
        std::vector<int> seen;
        for (Tracked* t = mgr.GetFirstItemWithTag(tag); t; t = mgr.GetNextItemWithTag())
            seen.push_back(t->value);
        EXPECT_EQ(mgr.GetCursor(), -1);
        EXPECT_EQ(mgr.GetNextItemWithTag(), nullptr);
        return seen;
    };
    EXPECT_EQ(visit(0), (std::vector<int>{0, 1, 3, 4, 5}));
    EXPECT_EQ(visit(7), (std::vector<int>{0, 3, 5}));
    EXPECT_EQ(visit(2), (std::vector<int>{}));
}

namespace {

// A reference-counted object in the COM manner.
struct FakeCom {
    int refs = 1;
    int releases = 0;
    bool throwOnRelease = false;
    unsigned long Release()
    {
        ++releases;
        --refs;
        if (throwOnRelease)
            throw 42;
        return static_cast<unsigned long>(refs);
    }
};

} // namespace

TEST(ItemsManagerCOMTest, ReleaseEmptiesSlot)
{
    TItemsManagerCOM<FakeCom> mgr;
    FakeCom a;
    EXPECT_EQ(mgr.AddItem(&a, "TEX_A", 1), 0);
    mgr.FreeItem(0);
    EXPECT_EQ(a.releases, 1);
    EXPECT_EQ(mgr.GetItem(0), nullptr);
    EXPECT_EQ(mgr.GetID(0), "");
    mgr.FreeAllItems(); // empty slots release nothing
    EXPECT_EQ(a.releases, 1);
    EXPECT_EQ(ThrownText([&] { mgr.FreeItem(1); }), "Error in TItemsManagerCOM<T>::FreeItem");
}

TEST(ItemsManagerCOMTest, OutstandingReferenceThrowsAndIsNotReleasedTwice)
{
    TItemsManagerCOM<FakeCom> mgr;
    FakeCom held;
    held.refs = 2; // someone else still holds it
    mgr.AddItem(&held, "TEX_HELD", 0);
    EXPECT_EQ(ThrownText([&] { mgr.FreeItem(0); }), "Unreleased object references left!");
    EXPECT_EQ(mgr.GetItem(0), &held);
    EXPECT_EQ(mgr.GetID(0), "TEX_HELD");
    // The slot's reference is gone: freeing again (or at free-all) only
    // empties the slot.
    mgr.FreeAllItems();
    EXPECT_EQ(held.releases, 1);
    EXPECT_EQ(held.refs, 1);
    EXPECT_EQ(mgr.GetItem(0), nullptr);
    // The slot is reusable and a new object in it is released normally.
    FakeCom next;
    EXPECT_EQ(mgr.AddItem(&next, "TEX_NEXT", 0), 0);
    mgr.FreeItem(0);
    EXPECT_EQ(next.releases, 1);
}

TEST(ItemsManagerCOMTest, ReleaseThatThrowsIsNotRepeated)
{
    TItemsManagerCOM<FakeCom> mgr;
    FakeCom bad;
    bad.throwOnRelease = true;
    mgr.AddItem(&bad, "TEX_BAD", 0);
    EXPECT_THROW(mgr.FreeAllItems(), int);
    mgr.FreeAllItems();
    EXPECT_EQ(bad.releases, 1);
    EXPECT_EQ(mgr.GetItem(0), nullptr);
}

TEST(SafeArrayTest, OutOfBoundsReadsAndLostWrites)
{
    T2DSafeArray<int, -1> board;
    EXPECT_EQ(ThrownText([&] { board.At(0, 0); }), "Error in T2DSafeArray<T, tOutOfBoundsValue>::At");
    board.Create(8, 8);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            board.At(x, y) = x * 10 + y;
    EXPECT_EQ(board.At(7, 7), 77);
    EXPECT_EQ(board.At(3, 5), 35);
    const int outside[][2] = {{8, 0}, {-1, 3}, {0, 8}, {0, -1}, {-5, -5}, {1000, 1000}};
    for (const auto& c : outside) {
        board.At(c[0], c[1]) = 5;
        EXPECT_EQ(board.At(c[0], c[1]), -1) << c[0] << "," << c[1];
        EXPECT_EQ(board.Get(c[0], c[1]), -1);
    }
    // Bad sizes change nothing.
    board.Create(0, 4);
    board.Create(4, -1);
    EXPECT_EQ(board.GetWidth(), 8);
    EXPECT_EQ(board.At(7, 7), 77);
    // A new size replaces the storage; it is not square.
    board.Create(3, 2);
    EXPECT_EQ(board.At(2, 1), 0);
    EXPECT_EQ(board.At(1, 2), -1);
}
