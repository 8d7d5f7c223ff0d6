// The row kernels of the blend-blit: d[i] = blend_pixel(d[i], s[i], threshold)
// for i = 0..w-1, left to right. One kernel per instruction set; the widest this
// processor runs is chosen once, at the first blit.
#ifndef ZORV_BLEND_ROW_H
#define ZORV_BLEND_ROW_H

#include <vector>

#include "zorv_types.h"

typedef void (*BLEND_ROW)(INT_U32* d, const INT_U32* s, int w, INT_U32 threshold);

struct BLEND_ROW_PATH {
  const char* name;
  BLEND_ROW row;
};

// Every kernel this processor can run, the baseline first and the chosen one last.
std::vector<BLEND_ROW_PATH> blend_row_paths();
// The kernel the blits use.
BLEND_ROW blend_row_chosen();

#endif
