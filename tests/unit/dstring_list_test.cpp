// The growable string and the intrusive list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dstring.h"
#include "list.h"

namespace {

TEST(DString, CreateGivesOneEmptyTerminatedBlockThatGrowsByWholeBlocks)
{
    DString s = StrCreate(0);
    EXPECT_EQ(s.block, 256u);
    EXPECT_EQ(s.blocks, 1u);
    EXPECT_EQ(s.max, 255u);
    EXPECT_EQ(s.len, 0u);
    EXPECT_STREQ(s.str, "");
    EXPECT_EQ(StrCreate(16).max, 15u);

    // The character after max grows the string by exactly one block.
    for (int i = 0; i < 255; ++i)
        AddChar(s, 'x');
    EXPECT_EQ(s.blocks, 1u);
    AddChar(s, 'y');
    EXPECT_EQ(s.len, 256u);
    EXPECT_EQ(s.blocks, 2u);
    EXPECT_EQ(s.max, 511u);
    EXPECT_EQ(s.str[255], 'y');
    EXPECT_EQ(s.str[256], '\0');

    // AddChars allocates enough blocks in one step.
    DString t = StrCreate(0);
    AddChars(t, std::string(300, 'a'));
    EXPECT_EQ(t.blocks, 2u);
    EXPECT_EQ(t.len, 300u);
    AddChars(t, std::string(211, 'b')); // 511 characters still fit two blocks
    EXPECT_EQ(t.blocks, 2u);
    AddChars(t, "c");
    EXPECT_EQ(t.blocks, 3u);
    EXPECT_EQ(std::string(t.str).size(), 512u);
}

TEST(DString, AppendingRemovingAndDeleting)
{
    DString s = StrCreate(0);
    EXPECT_EQ(RemChar(s), '\0');
    EXPECT_EQ(s.len, 0u);
    AddChars(s, "hello");
    // NUL and empty appends change nothing.
    AddChar(s, '\0');
    AddChars(s, "");
    EXPECT_STREQ(s.str, "hello");
    EXPECT_EQ(RemChar(s), 'o');
    EXPECT_STREQ(s.str, "hell");
    RemChars(s, 2);
    EXPECT_STREQ(s.str, "he");
    RemChars(s, 99); // more than the string holds: clamped, never underflows
    EXPECT_EQ(s.len, 0u);
    EXPECT_STREQ(s.str, "");
    AddChars(s, "x");
    RemChars(s, s.len);
    EXPECT_STREQ(s.str, "");

    AddChars(s, "abc");
    StrDelete(s);
    EXPECT_EQ(s.len, 0u);
    EXPECT_STREQ(s.str, "");
    AddChar(s, 'z');
    EXPECT_STREQ(s.str, "z");

    EXPECT_EQ(JoinString("ab", "cd"), "abcd");
    EXPECT_EQ(BuildString({"a", "", "bc", "d"}), "abcd");
    EXPECT_EQ(BuildString({}), "");
}

struct Item : ListNode {
    explicit Item(int v) : value(v) {}
    int value;
};

std::vector<int> Values(const List& list)
{
    std::vector<int> values;
    for (Item* item = ListFirst<Item>(list); item; item = ListNext(item))
        values.push_back(item->value);
    return values;
}

TEST(List, TheHeaderIsItsOwnPairOfSentinels)
{
    List list;
    EXPECT_EQ(list.head, TailSentinel(list));
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_EQ(list.tailpred, HeadSentinel(list));
    EXPECT_EQ(RemHead(list), nullptr);
    EXPECT_EQ(RemTail(list), nullptr);
    EXPECT_EQ(list.count, 0u);

    Item a(1), b(2), c(3), d(4), e(5);
    AddTail(list, &b);
    AddHead(list, &a);
    EXPECT_EQ(a.pred, HeadSentinel(list));
    EXPECT_EQ(b.succ, TailSentinel(list));
    EXPECT_EQ(b.succ->succ, nullptr); // a walk stops at the sentinel
    Prepend(list, nullptr, &d); // null reference: at the end
    Insert(list, &b, &c);
    Insert(list, nullptr, &e); // null reference: at the front
    EXPECT_EQ(Values(list), (std::vector<int>{5, 1, 2, 3, 4}));
    Remove(list, &e);
    EXPECT_EQ(static_cast<Item*>(RemTail(list))->value, 4);
    EXPECT_EQ(static_cast<Item*>(RemHead(list))->value, 1);
    EXPECT_EQ(Values(list), (std::vector<int>{2, 3}));
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(ListLast<Item>(list)->value, 3);
    EXPECT_EQ(ListPrev(ListLast<Item>(list))->value, 2);
    EXPECT_EQ(ListPrev(ListFirst<Item>(list)), nullptr);
}

TEST(List, JoinMovesEveryNodeInOrder)
{
    List a, b, c, empty;
    Item i1(1), i2(2), i3(3), i4(4);
    AddTail(b, &i1);
    AddTail(b, &i2);
    JoinList(a, empty); // an empty source changes nothing
    EXPECT_EQ(a.count, 0u);
    JoinList(a, b); // into an empty destination
    EXPECT_EQ(Values(a), (std::vector<int>{1, 2}));
    EXPECT_EQ(b.count, 0u);
    EXPECT_EQ(b.head, TailSentinel(b));
    AddTail(b, &i3);
    AddTail(c, &i4);
    JoinLists(a, {&b, &c});
    EXPECT_EQ(Values(a), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(a.count, 4u);
    EXPECT_EQ(i1.pred, HeadSentinel(a));
    EXPECT_EQ(i4.succ, TailSentinel(a));
    EXPECT_EQ(ListLast<Item>(a)->value, 4);
}

} // namespace
