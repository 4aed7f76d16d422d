// The owning item list: growth in steps of 20, removal, ownership and the
// case-insensitive lookups of text lists.
#include "text/item_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An item that counts how many of its kind have been destroyed.
struct SCountedItem {
    explicit SCountedItem(int value, int* destroyed) : nValue(value), pDestroyed(destroyed) {}
    ~SCountedItem() { ++*pDestroyed; }
    int nValue;
    int* pDestroyed;
};

std::vector<int> ValuesOf(const CItemList<SCountedItem>& list) {
    std::vector<int> values;
    for (const SCountedItem* item : list)
        values.push_back(item->nValue);
    return values;
}

void AddItems(CItemList<SCountedItem>& list, int first, int count, int* destroyed) {
    for (int i = 0; i < count; ++i)
        list.Add(new SCountedItem(first + i, destroyed));
}

} // namespace

TEST(ItemList, NewListHasNoSlots) {
    CTextList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 0);
    EXPECT_EQ(list.begin(), nullptr);
    EXPECT_EQ(list.end(), nullptr);
    EXPECT_TRUE(list.OwnsItems());
    EXPECT_EQ(list.GetGrowBy(), 20);
}

TEST(ItemList, FirstAddAllocatesTwentySlots) {
    CTextList list;
    list.Add(new CTextBuffer("a"));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetCapacity(), 20);
    EXPECT_EQ(list.end() - list.begin(), 1);
}

TEST(ItemList, TwentyFirstItemGrowsTheListToFortySlots) {
    int destroyed = 0;
    CItemList<SCountedItem> list;
    AddItems(list, 0, 20, &destroyed);
    EXPECT_EQ(list.GetCapacity(), 20);
    list.Add(new SCountedItem(20, &destroyed));
    EXPECT_EQ(list.GetCapacity(), 40);
    EXPECT_EQ(list.GetCount(), 21);
    EXPECT_EQ(list.end() - list.begin(), 21);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(list.GetAt(i)->nValue, i);
    EXPECT_EQ(destroyed, 0);
}

TEST(ItemList, GrowNullsTheNewSlots) {
    CTextList list;
    list.Add(new CTextBuffer("a"));
    list.Grow();
    EXPECT_EQ(list.GetCapacity(), 40);
    for (int i = 1; i < 40; ++i)
        EXPECT_EQ(list.GetAt(i), nullptr) << i;
    EXPECT_STREQ(list.GetAt(0)->GetText(), "a");
}

TEST(ItemList, RemoveAllDeletesTheItemsAndKeepsTheSlots) {
    int destroyed = 0;
    CItemList<SCountedItem> list;
    AddItems(list, 0, 21, &destroyed);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 40);
    EXPECT_EQ(list.begin(), list.end());
    EXPECT_NE(list.begin(), nullptr);
    EXPECT_EQ(destroyed, 21);
    list.RemoveAll(); // nothing left: no change
    EXPECT_EQ(destroyed, 21);
}

TEST(ItemList, RemoveRangeClosesTheGap) {
    int destroyed = 0;
    CItemList<SCountedItem> list;
    AddItems(list, 0, 6, &destroyed);
    list.RemoveRange(1, 3);
    EXPECT_EQ(ValuesOf(list), (std::vector<int>{0, 4, 5}));
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(list.GetCapacity(), 20);
    EXPECT_EQ(list.GetAt(3), nullptr);
    list.RemoveRange(2, 2);
    EXPECT_EQ(ValuesOf(list), (std::vector<int>{0, 4}));
}

TEST(ItemList, RemoveRangeOutsideTheItemsChangesNothing) {
    int destroyed = 0;
    CItemList<SCountedItem> list;
    AddItems(list, 0, 3, &destroyed);
    list.RemoveRange(2, 3);
    list.RemoveRange(-1, 0);
    list.RemoveRange(2, 1);
    EXPECT_EQ(ValuesOf(list), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(destroyed, 0);
}

TEST(ItemList, RemoveRangeSkipsNullItems) {
    CTextList list;
    list.Add(nullptr);
    list.Add(new CTextBuffer("b"));
    list.RemoveRange(0, 0);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_STREQ(list.GetAt(0)->GetText(), "b");
}

TEST(ItemList, DestroyingTheListDeletesEveryItem) {
    int destroyed = 0;
    {
        CItemList<SCountedItem> list;
        AddItems(list, 0, 45, &destroyed);
        list.Add(nullptr);
        EXPECT_EQ(list.GetCapacity(), 60);
    }
    EXPECT_EQ(destroyed, 45);
}

TEST(ItemList, InsertAtMovesLaterItemsUp) {
    int destroyed = 0;
    CItemList<SCountedItem> list;
    AddItems(list, 0, 20, &destroyed);
    list.InsertAt(0, new SCountedItem(-1, &destroyed));
    EXPECT_EQ(list.GetCapacity(), 40);
    EXPECT_EQ(list.GetCount(), 21);
    EXPECT_EQ(list.GetAt(0)->nValue, -1);
    EXPECT_EQ(list.GetAt(20)->nValue, 19);
    list.InsertAt(21, new SCountedItem(99, &destroyed));
    EXPECT_EQ(list.GetAt(21)->nValue, 99);
}

TEST(TextList, FindNoCaseComparesWholeTextsFoldingAsciiOnly) {
    CTextList list;
    list.Add(new CTextBuffer("The"));
    list.Add(new CTextBuffer("caf\xc9"));
    list.Add(new CTextBuffer("them"));
    EXPECT_EQ(list.FindNoCase("the"), 0);
    EXPECT_EQ(list.FindNoCase("THEM"), 2);
    EXPECT_EQ(list.FindNoCase("th"), -1);
    EXPECT_EQ(list.FindNoCase("CAF\xc9"), 1);
    EXPECT_EQ(list.FindNoCase("caf\xe9"), -1);
}

TEST(TextList, RemoveNoCaseRemovesOnlyTheFirstEqualItem) {
    CTextList list;
    list.Add(new CTextBuffer("a"));
    list.Add(new CTextBuffer("B"));
    list.Add(new CTextBuffer("b"));
    list.RemoveNoCase("b");
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_STREQ(list.GetAt(1)->GetText(), "b");
    list.RemoveNoCase("zzz");
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(TextList, EmptyItemEqualsTheEmptyText) {
    CTextList list;
    list.Add(new CTextBuffer());
    EXPECT_EQ(list.FindNoCase(""), 0);
    EXPECT_EQ(list.FindNoCase(nullptr), 0);
}

TEST(EqualNoCase, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(EqualNoCase("Hello", "hELLO"));
    EXPECT_FALSE(EqualNoCase("Hello", "Hello!"));
    EXPECT_FALSE(EqualNoCase("\xc9", "\xe9"));
    EXPECT_FALSE(EqualNoCase("[", "{")); // 0x5B and 0x7B differ by the case bit
    EXPECT_TRUE(EqualNoCase(nullptr, nullptr));
    EXPECT_FALSE(EqualNoCase(nullptr, ""));
}

// The capacity goes up by the step as before, but the storage under it is moved
// only when it runs out, and then at least doubles: a long list is not copied
// every twenty items.
TEST(ItemList, StorageMovesRarelyWhileTheCapacityGrowsByTheStep) {
    CTextList list;
    int moves = 0;
    const CTextBuffer* const* storage = nullptr;
    for (int i = 0; i < 100000; ++i) {
        list.Add(new CTextBuffer(std::to_string(i).c_str()));
        if (list.begin() != storage) {
            ++moves;
            storage = list.begin();
        }
        ASSERT_EQ(list.GetCapacity(), (i / 20 + 1) * 20);
    }
    EXPECT_LE(moves, 14);
    for (int i = 0; i < 100000; i += 997)
        ASSERT_STREQ(list.GetAt(i)->GetText(), std::to_string(i).c_str());
    // Slots made out of storage already there are empty too.
    list.RemoveRange(10, 99999);
    list.Grow();
    EXPECT_EQ(list.GetCapacity(), 100020);
    EXPECT_EQ(list.GetCount(), 10);
    for (int i = 10; i < list.GetCapacity(); i += 1000)
        ASSERT_EQ(list.begin()[i], nullptr);
}
