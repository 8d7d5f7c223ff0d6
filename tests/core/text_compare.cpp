#include "text_compare.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TextCompare, OrdersIgnoringAsciiCaseWithResultsMinusOneZeroOne) {
  struct Case { const char* a; const char* b; INT_S32 whole; };
  for (const Case& c : std::vector<Case>{{"ABC", "abc", 0},
                                         {"abd", "ABC", 1},
                                         {"ab", "abc", -1},
                                         {"", "", 0},
                                         {"z", "A", 1},
                                         {"[", "a", -1},  // '[' (0x5B) < 'a', though above 'Z'
                                         {"\xE9", "a", -1},
                                         {"a", "\xE9", 1},
                                         {"\xC9", "\xE9", -1},  // no folding above ASCII
                                         {nullptr, "", 0},
                                         {nullptr, "a", -1}}) {
    EXPECT_EQ(compare_text_nocase(c.a, c.b), c.whole) << (c.a ? c.a : "null") << " / " << c.b;
  }
  EXPECT_EQ(compare_text_nocase("zz", "aa"), 1);  // never a difference of codes
}

TEST(TextCompare, CountedCompareStopsAfterN) {
  struct Case { const char* a; const char* b; INT_S16 n; INT_S32 result; };
  for (const Case& c : std::vector<Case>{{"ABCd", "abcE", 3, 0},
                                         {"ABCd", "abcE", 4, -1},
                                         {"abc", "abd", 0, 0},
                                         {"abc", "abd", -5, 0},
                                         {"ab", "abc", 2, 0},
                                         {"ab", "abc", 3, -1},
                                         {"same", "SAME", 100, 0}}) {
    EXPECT_EQ(compare_text_nocase_n(c.a, c.b, c.n), c.result) << c.a << " " << c.b << " " << c.n;
  }
}
