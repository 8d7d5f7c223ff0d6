// Fixed-width integer names used throughout the library.
#ifndef ZORV_TYPES_H
#define ZORV_TYPES_H

#include <cstddef>
#include <cstdint>

typedef uint8_t INT_U8;
typedef int8_t INT_S8;
typedef uint16_t INT_U16;
typedef int16_t INT_S16;
typedef uint32_t INT_U32;
typedef int32_t INT_S32;
typedef uint64_t INT_U64;
typedef int64_t INT_S64;

// A word that may carry either a pointer or a number: callback and hook
// arguments, list node payloads, page data, event user values. It is
// pointer-wide so that a pointer survives the round trip on 64-bit builds;
// numeric users read it back as a signed 32-bit value.
typedef uintptr_t INT_WORD;

inline INT_WORD word_from_pointer(const void* p) { return reinterpret_cast<INT_WORD>(p); }
template <typename T> inline T* word_to_pointer(INT_WORD w) { return reinterpret_cast<T*>(w); }
inline INT_S32 word_to_s32(INT_WORD w) { return static_cast<INT_S32>(static_cast<INT_U32>(w)); }
inline INT_WORD word_from_s32(INT_S32 v) { return static_cast<INT_WORD>(static_cast<intptr_t>(v)); }

#endif
