#include "lists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<int> walk(LLIST& list) {
  std::vector<int> seen;
  list.cursor = list.head;
  while (void* item = list.next()) seen.push_back(*static_cast<int*>(item));
  return seen;
}

std::vector<int> walk_back(LLIST& list) {
  std::vector<int> seen;
  list.cursor = list.tail;
  while (void* item = list.previous()) seen.push_back(*static_cast<int*>(item));
  return seen;
}

void fill(LLIST& list, std::vector<int> values) {
  list.cursor = nullptr;
  for (int v : values) ASSERT_TRUE(list.insert(&v, sizeof v));
}

std::vector<std::string> released;
void record_release(void* item) { released.push_back(static_cast<const char*>(item)); }

}  // namespace

TEST(Llist, InsertWithoutCursorAppendsAndCopiesTheItem) {
  LLIST list;
  int v = 1;
  ASSERT_TRUE(list.insert(&v, sizeof v));
  v = 2;  // the list holds its own copy
  ASSERT_TRUE(list.insert(&v, sizeof v));
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(walk(list), (std::vector<int>{1, 2}));
  EXPECT_EQ(walk_back(list), (std::vector<int>{2, 1}));
}

TEST(Llist, InsertBeforeTheCursorOnTheHeadMakesANewHead) {
  LLIST list;
  fill(list, {1, 2, 3});
  list.cursor = list.head;
  int v = 9;
  ASSERT_TRUE(list.insert(&v, sizeof v));
  EXPECT_EQ(*reinterpret_cast<int*>(list.head->data), 9);
  // The walk goes on from the node the cursor was on.
  EXPECT_EQ(*static_cast<int*>(list.next()), 1);
  list.cursor = list.head->next->next;  // on 2
  v = 8;
  ASSERT_TRUE(list.insert(&v, sizeof v));
  EXPECT_EQ(walk(list), (std::vector<int>{9, 1, 8, 2, 3}));
  EXPECT_EQ(walk_back(list), (std::vector<int>{3, 2, 8, 1, 9}));
}

TEST(Llist, RemovingTheNodeUnderTheCursorEndsTheWalk) {
  LLIST list;
  fill(list, {1, 2, 3});
  list.cursor = list.head->next;
  ASSERT_TRUE(list.remove(list.head->next->data));
  EXPECT_EQ(list.cursor, nullptr);
  EXPECT_EQ(list.next(), nullptr);
  EXPECT_EQ(walk(list), (std::vector<int>{1, 3}));
}

TEST(Llist, RemoveTakesTheListsCopyNotTheCallersItem) {
  LLIST list;
  int mine = 5;
  ASSERT_TRUE(list.insert(&mine, sizeof mine));
  EXPECT_FALSE(list.remove(&mine));
  list.cursor = list.head;
  void* copy = list.next();
  EXPECT_TRUE(list.remove(copy));
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
  EXPECT_FALSE(list.remove(copy));
}

TEST(Llist, UnlinkKeepsBothDirectionsConsistent) {
  struct Case { std::vector<int> start; int remove_index; std::vector<int> left; };
  for (const Case& c : std::vector<Case>{{{1}, 0, {}},
                                         {{1, 2, 3}, 0, {2, 3}},
                                         {{1, 2, 3}, 1, {1, 3}},
                                         {{1, 2, 3}, 2, {1, 2}}}) {
    LLIST list;
    fill(list, c.start);
    LIST_NODE* n = list.head;
    for (int i = 0; i < c.remove_index; ++i) n = n->next;
    EXPECT_TRUE(list.remove_node(n));
    EXPECT_EQ(walk(list), c.left);
    std::vector<int> back(c.left.rbegin(), c.left.rend());
    EXPECT_EQ(walk_back(list), back);
    EXPECT_EQ(list.count, static_cast<INT_S32>(c.left.size()));
  }
}

TEST(Llist, DeleterSeesEveryLeavingItemAndClearEmpties) {
  released.clear();
  {
    LLIST list;
    list.deleter = record_release;
    for (const char* s : {"a", "b", "c"}) ASSERT_TRUE(list.insert(s, 2));
    list.cursor = list.head;
    list.next();
    void* b = list.next();
    list.remove(b);
    EXPECT_EQ(released, (std::vector<std::string>{"b"}));
  }  // destruction releases the rest
  EXPECT_EQ(released, (std::vector<std::string>{"b", "a", "c"}));
}

TEST(Llist, BadSizesAreRefused) {
  LLIST list;
  int v = 1;
  EXPECT_FALSE(list.insert(&v, -1));
  EXPECT_FALSE(list.insert(nullptr, 4));
  EXPECT_EQ(list.count, 0);
  std::vector<char> big(32767, 'x');
  EXPECT_TRUE(list.insert(big.data(), 32767));
  EXPECT_EQ(std::memcmp(list.head->data, big.data(), big.size()), 0);
}

TEST(Ptrllist, HoldsPointersAbove4GiB) {
  PTRLLIST list;
  std::vector<void*> ptrs = {reinterpret_cast<void*>(0x123456789ABCull), reinterpret_cast<void*>(0x100000000ull),
                             reinterpret_cast<void*>(0xFFFFFFFFull), reinterpret_cast<void*>(0x7FFF00000010ull)};
  for (void* p : ptrs) ASSERT_TRUE(list.insert(p));
  std::vector<void*> seen;
  list.cursor = list.head;
  while (void* p = list.next()) seen.push_back(p);
  EXPECT_EQ(seen, ptrs);
  EXPECT_TRUE(list.remove(ptrs[0]));
  EXPECT_FALSE(list.remove(reinterpret_cast<void*>(0x9ABCull)));  // not the low half
  EXPECT_EQ(list.count, 3);
}

TEST(Ptrllist, RemovesOnlyTheFirstOfTwoEqualPointers) {
  PTRLLIST list;
  int a = 0, b = 0;
  list.insert(&a);
  list.insert(&b);
  list.insert(&a);
  EXPECT_TRUE(list.remove(&a));
  list.cursor = list.head;
  EXPECT_EQ(list.next(), &b);
  EXPECT_EQ(list.next(), &a);
  EXPECT_EQ(list.next(), nullptr);
  EXPECT_TRUE(list.remove(&a));
  EXPECT_FALSE(list.remove(&a));
}

TEST(Ptrllist, DeleterReceivesTheStoredPointersAtDestruction) {
  released.clear();
  static char x[] = "x", y[] = "y";
  {
    PTRLLIST list;
    list.deleter = record_release;
    list.insert(x);
    list.insert(y);
    list.clear();
    EXPECT_EQ(released, (std::vector<std::string>{"x", "y"}));
    list.insert(y);
  }
  EXPECT_EQ(released, (std::vector<std::string>{"x", "y", "y"}));
}

namespace {
INT_S32 compare_ints(const void* a, const void* b, INT_WORD extra) {
  INT_S32 x = static_cast<INT_S32>(reinterpret_cast<INT_WORD>(a));
  INT_S32 y = static_cast<INT_S32>(reinterpret_cast<INT_WORD>(b));
  INT_S32 sign = word_to_s32(extra);  // 1 ascending, -1 descending
  return x < y ? -sign : (x > y ? sign : 0);
}
void* num(INT_WORD v) { return reinterpret_cast<void*>(v); }
std::vector<INT_WORD> contents(const PTRARRAY& a) {
  std::vector<INT_WORD> v;
  for (INT_S32 i = 0; i < a.count; ++i) v.push_back(reinterpret_cast<INT_WORD>(a.items[i]));
  return v;
}
int freed = 0;
void count_free(void*) { ++freed; }
}  // namespace

TEST(Ptrarray, GrowsByTheStepOnly) {
  struct Case { INT_S32 initial; std::vector<std::pair<int, int>> capacity_after; };
  for (const Case& c : std::vector<Case>{{0, {{1, 10}, {10, 10}, {11, 20}, {21, 30}}},
                                         {32, {{1, 32}, {32, 32}, {33, 42}}},
                                         {5, {{1, 10}, {11, 20}}}}) {
    PTRARRAY a;
    a.grow_step = 10;
    a.initial_capacity = c.initial;
    int added = 0;
    for (auto [n, cap] : c.capacity_after) {
      while (added < n) ASSERT_TRUE(a.add(num(static_cast<INT_WORD>(++added))));
      EXPECT_EQ(a.capacity, cap) << "initial " << c.initial << " after " << n;
    }
    for (INT_S32 i = a.count; i < a.capacity; ++i) EXPECT_EQ(a.items[i], nullptr);
    a.free_all();
    EXPECT_EQ(a.items, nullptr);
    EXPECT_EQ(a.capacity, 0);
  }
}

TEST(Ptrarray, ZeroGrowStepStillGrows) {
  PTRARRAY a;
  a.grow_step = 0;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(a.add(num(i)));
  EXPECT_EQ(a.count, 3);
}

TEST(Ptrarray, RemovalWithAndWithoutOrder) {
  PTRARRAY a;
  for (INT_WORD v : {1, 2, 3}) a.add(num(v));
  EXPECT_TRUE(a.remove_at_unordered(0));
  EXPECT_EQ(contents(a), (std::vector<INT_WORD>{3, 2}));
  a.remove_all();
  for (INT_WORD v : {1, 2, 3}) a.add(num(v));
  EXPECT_TRUE(a.remove_at(0));
  EXPECT_EQ(contents(a), (std::vector<INT_WORD>{2, 3}));
  for (INT_S32 bad : {-1, 2, 100}) {
    EXPECT_FALSE(a.remove_at(bad));
    EXPECT_FALSE(a.remove_at_unordered(bad));
  }
}

TEST(Ptrarray, DeleterRunsOnlyWhenSet) {
  freed = 0;
  PTRARRAY a;
  for (INT_WORD v : {1, 2, 3}) a.add(num(v));
  a.remove_all();  // no deleter: only the count goes
  EXPECT_EQ(freed, 0);
  EXPECT_EQ(a.count, 0);
  EXPECT_EQ(a.capacity, 10);
  a.deleter = count_free;
  for (INT_WORD v : {1, 2, 3}) a.add(num(v));
  a.remove_at(1);
  EXPECT_EQ(freed, 1);
  a.free_all();
  EXPECT_EQ(freed, 3);
}

TEST(Ptrarray, SortAndFindWithTheExtraWord) {
  PTRARRAY a;
  for (INT_WORD v : {5, 3, 9, 1, 7}) a.add(num(v));
  a.sort(compare_ints, word_from_s32(1));
  EXPECT_EQ(contents(a), (std::vector<INT_WORD>{1, 3, 5, 7, 9}));
  for (INT_WORD v : {1, 3, 5, 7, 9}) EXPECT_EQ(contents(a)[a.find(num(v), compare_ints, word_from_s32(1))], v);
  EXPECT_EQ(a.find(num(4), compare_ints, word_from_s32(1)), -1);
  a.sort(compare_ints, word_from_s32(-1));
  EXPECT_EQ(contents(a), (std::vector<INT_WORD>{9, 7, 5, 3, 1}));
  PTRARRAY empty;
  EXPECT_EQ(empty.find(num(1), compare_ints, 0), -1);
}

TEST(Ptrarray, OnlyTheLow16BitsOfAComparatorCount) {
  struct Case { INT_S32 result; INT_S32 expect_index; };
  // One element; the key matches when the comparator's low half is 0.
  for (const Case& c : std::vector<Case>{{65536, 0}, {0, 0}, {-65535, -1}, {1, -1}, {-1, -1}}) {
    PTRARRAY a;
    a.add(num(1));
    static INT_S32 answer;
    answer = c.result;
    EXPECT_EQ(a.find(num(1), [](const void*, const void*, INT_WORD) { return answer; }, 0), c.expect_index)
        << c.result;
    a.free_all();
  }
  // -65535 is positive (low half 1): an ascending sort by it puts a after b.
  PTRARRAY a;
  a.add(num(1));
  a.add(num(2));
  a.sort([](const void* x, const void*, INT_WORD) { return reinterpret_cast<INT_WORD>(x) == 1 ? -65535 : 65535; },
         0);
  EXPECT_EQ(contents(a), (std::vector<INT_WORD>{2, 1}));
  a.free_all();
}
