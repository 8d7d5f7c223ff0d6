// What a layer that draws only the frames that go out needs to know of the
// presentation's pace.
#include "image.h"
#include "window.h"
#include "x11_platform.h"

void (*deferred_frame_drawer)() = nullptr;

bool frame_goes_out_now() {
  // Without a paced window nothing waits: an OpenGL window presents every
  // frame asked for, and no window shows none.
  if (!x11.display || !x11.window || x11.gl_context) return true;
  // A frame that waits, or screen pixels already changed, will be shown:
  // what is drawn now goes out with them.
  // Work about to block shows what waits whatever the pace, and so does a
  // frame that answers an edge following another.
  if (x11.present_pending || x11.blocking_work || x11.edge_frame || platform_screen_image()->has_dirty_area())
    return true;
  return present_is_due(pace_clock_us());
}
