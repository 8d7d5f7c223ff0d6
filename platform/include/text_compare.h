// Orders 8-bit texts ignoring the case of the ASCII letters A to Z. Bytes
// 0x80 to 0xFF count as negative, so they order before every ASCII
// character. A null text counts as "".
#ifndef ZORV_TEXT_COMPARE_H
#define ZORV_TEXT_COMPARE_H

#include "zorv_types.h"

// -1, 0 or 1.
INT_S32 compare_text_nocase(const char* a, const char* b);
// -1, 0 or 1, looking at no more than n characters (none when n < 1).
INT_S32 compare_text_nocase_n(const char* a, const char* b, INT_S16 n);
// The same with a 32-bit count, for texts longer than a signed 16-bit count.
INT_S32 compare_text_nocase_n32(const char* a, const char* b, INT_S32 n);

#endif
