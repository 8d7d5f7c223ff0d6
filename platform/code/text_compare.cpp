#include "text_compare.h"

static inline INT_S8 fold(char c) {
  INT_S8 v = static_cast<INT_S8>(c);
  return (v >= 'A' && v <= 'Z') ? static_cast<INT_S8>(v + ('a' - 'A')) : v;
}

INT_S32 compare_text_nocase_n32(const char* a, const char* b, INT_S32 n) {
  if (!a) a = "";
  if (!b) b = "";
  for (INT_S32 i = 0; i < n; ++i) {
    INT_S8 ca = fold(a[i]), cb = fold(b[i]);
    if (ca != cb) return ca > cb ? 1 : -1;
    if (ca == 0) return 0;
  }
  return 0;
}

INT_S32 compare_text_nocase_n(const char* a, const char* b, INT_S16 n) {
  return compare_text_nocase_n32(a, b, n);
}

INT_S32 compare_text_nocase(const char* a, const char* b) {
  return compare_text_nocase_n32(a, b, INT32_MAX);
}
