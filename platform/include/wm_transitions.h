// Page transitions (page actions 11 to 17): blocking loops that recompute
// the screen image from snapshots by the elapsed time and present each step.
// The transition functions themselves are declared with the page manager.
#ifndef WM_TRANSITIONS_H
#define WM_TRANSITIONS_H

#include "page_manager.h"
#include "zorv_types.h"

// Milliseconds elapsed since *t0, kept in [0, total]; a clock that reads
// less than *t0 moves *t0 back to it first.
INT_U32 transition_elapsed(INT_U32 now, INT_U32* t0, INT_U32 total);
// Blend level 0 to 255 of an elapsed time; 255 once the time is up, and at
// once for a total of 0.
INT_U8 transition_level(INT_U32 elapsed, INT_U32 total);

#endif
