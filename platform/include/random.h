// Pseudo-random numbers from the MT19937 state: a seed whose low 10 bits pick
// the starting word, words used from that index downwards (tempered, masked
// to 31 bits), and a fresh seeding from word 397 once the index runs out.
#ifndef ZORV_RANDOM_H
#define ZORV_RANDOM_H

#include "zorv_types.h"

class RANDOM_GENERATOR {
 public:
  INT_S32 index;       // next word to use; below 0: re-seed before the next draw
  INT_U32 seed_value;  // low 10 bits always 0
  INT_U32 words[624];  // the state after one twist

  RANDOM_GENERATOR();  // seeded with time() << 10
  void seed(INT_U32 value);
  // [low, high); 0 when high <= low.
  INT_S32 get_int(INT_S32 low, INT_S32 high);
  // [0, max).
  double get_float(double max);
  // seed | index: restores the sequence through seed().
  INT_U32 get_seed() const;
  // One 31-bit draw.
  INT_U32 draw();
};

// The global generator, seeded from the time when first used.
RANDOM_GENERATOR& random_generator();

void seed_random(INT_U32 value);
INT_U32 get_random_seed();
INT_S32 get_random_in_range(INT_S32 low, INT_S32 high);
// [0, n); 0 when n < 1.
INT_U32 get_random_below(INT_S32 n);
double get_random_float(double max);
double get_random_float_in_range(double low, double high);

// Development tools. The table holds repeats runs of 0 .. max_num - 1,
// shuffled with rand(), written as a source header; nothing is written for
// an empty table. The report counts 1,966,050 draws below n and appends its
// findings to the file; nothing for n < 1.
void create_random_table(INT_U32 max_num, INT_S32 repeats, INT_S32 shuffles, const char* path);
void write_random_report(INT_U32 n, const char* path);

#endif
