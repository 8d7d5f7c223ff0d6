// The seams of drawing at the display's pace, for headless tests: whether a
// frame goes out is the test's own flag while the guard lives; at its end the
// seams and the resting idle wait are put back.
#ifndef ZORV_FRAME_PACE_SEAMS_H
#define ZORV_FRAME_PACE_SEAMS_H

#include "clock.h"
#include "window.h"
#include "wm_globals.h"

namespace zt {

class FramesGoOutWhen {
 public:
  explicit FramesGoOutWhen(const INT_U8* flag) {
    flag_() = flag;
    wm_present_goes_out_source = [] { return *flag_(); };
  }
  ~FramesGoOutWhen() {
    wm_present_goes_out_source = nullptr;
    set_idle_wait(50);
    deferred_frame_drawer = nullptr;
  }
  FramesGoOutWhen(const FramesGoOutWhen&) = delete;
  FramesGoOutWhen& operator=(const FramesGoOutWhen&) = delete;

 private:
  static const INT_U8*& flag_() {
    static const INT_U8* flag = nullptr;
    return flag;
  }
};

}  // namespace zt

#endif
