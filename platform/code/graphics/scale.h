// The separable two-pass resampler behind smooth image scaling: every row is
// scaled to the new width, then every column of that to the new height, each
// output a weighted sum of the source pixels under a bilinear (triangle)
// filter widened for reduction.
#ifndef ZORV_SCALE_H
#define ZORV_SCALE_H

#include "colour.h"
#include "zorv_types.h"

class CGenericFilter {
 public:
  explicit CGenericFilter(double half_width) : width(half_width) {}
  virtual ~CGenericFilter() {}
  virtual double filter(double x) = 0;
  double width;
};

class CBilinearFilter : public CGenericFilter {
 public:
  explicit CBilinearFilter(double half_width = 1.0) : CGenericFilter(half_width) {}
  double filter(double x) override {
    if (x < 0) x = -x;
    return x < width ? width - x : 0.0;
  }
};

struct SCALE_CONTRIBUTION {
  double* weights;  // right - left + 1 used of the window
  INT_S32 left, right;
};

struct SCALE_CONTRIBUTION_TABLE {
  INT_S32 window_size;
  INT_S32 line_length;
  SCALE_CONTRIBUTION* contributions;
};

// Progress callback: percent 0..99; returns 0 to abort.
typedef INT_U8 (*SCALE_PROGRESS)(INT_U8 percent);

template <class Filter>
class C2PassScale {
 public:
  explicit C2PassScale(SCALE_PROGRESS callback = nullptr) : progress(callback) {}
  virtual ~C2PassScale() {}

  // Resamples; returns dst, or null when the progress callback aborted.
  COLOUR* scale(const COLOUR* src, INT_U32 src_width, INT_U32 src_pitch, INT_U32 src_height,
                COLOUR* dst, INT_U32 dst_width, INT_U32 dst_pitch, INT_U32 dst_height);
  SCALE_CONTRIBUTION_TABLE* calc_contributions(INT_U32 line_length, INT_U32 src_length,
                                               double scale);
  static void free_contributions(SCALE_CONTRIBUTION_TABLE* table);
  void scale_horizontally(const COLOUR* src, INT_U32 src_width, INT_U32 src_pitch, INT_U32 rows,
                          COLOUR* dst, INT_U32 dst_width, INT_U32 dst_pitch);
  void scale_vertically(const COLOUR* src, INT_U32 src_pitch, INT_U32 src_height, COLOUR* dst,
                        INT_U32 width, INT_U32 dst_pitch, INT_U32 dst_height);

  SCALE_PROGRESS progress;
  INT_U8 aborted = 0;
};

extern template class C2PassScale<CBilinearFilter>;

// Tests clear it to run the baseline kernels on a processor with AVX2.
extern bool scale_avx2_allowed;

#endif
