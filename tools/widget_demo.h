// The scene registry of widget_demo: each file in tools/widget_scenes adds
// one scene with WIDGET_DEMO_SCENE, so that no two widgets share a file.
#ifndef WIDGET_DEMO_H
#define WIDGET_DEMO_H

#include "page_manager.h"

// Builds the scene's objects on the page (pm->current_manager) or as its
// pop-ups. A callback that returns PAGE_ACTION_END ends the scene; the next
// scene named on the command line follows, and after the last one the
// program ends.
typedef void (*WIDGET_DEMO_BUILD)(PAGE_MANAGER* pm);

bool widget_demo_register(const char* name, WIDGET_DEMO_BUILD build);

// Prints one line to stdout at once: the X tests read what a scene says.
void widget_demo_say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The demo window's size.
enum { WIDGET_DEMO_WIDTH = 400, WIDGET_DEMO_HEIGHT = 300 };
// The page's background colour.
const COLOUR WIDGET_DEMO_BACKGROUND = 0xFF202020u;

#define WIDGET_DEMO_SCENE(name, build) \
  static const bool widget_demo_registered_##build = widget_demo_register(name, build)

#endif
