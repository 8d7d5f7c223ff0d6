// Shared state of the window manager: drawing surface, pop-up list, focus and
// pointer state, dirty-rectangle list, frame clock, colours and settings.
#ifndef WM_GLOBALS_H
#define WM_GLOBALS_H

#include "folder.h"
#include "image_cache.h"
#include "lists.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class IMAGE;
class PAGE_MANAGER;
class SOUND;

// Objects with constructors are built on first use, so they are ready for
// any static initialiser and outlive every static destructor.
PTRLLIST& wm_get_popup_list();
#define wm_popup_list (wm_get_popup_list())

// Four arrow images: up, down, left, right (empty until an application
// fills them).
IMAGE* wm_get_arrow_images();
#define wm_arrow_images (wm_get_arrow_images())
enum { ARROW_UP = 0, ARROW_DOWN = 1, ARROW_LEFT = 2, ARROW_RIGHT = 3 };

// The skin image cache: wm_skin_cache (image_cache.h) names the one
// IMAGE_CACHE, built on first use and kept to the end of the process.

// Click sound settings: widgets play the sound (play_sound_file) on a click
// when the handle is set and the name is not empty. Built on first use.
struct WM_CLICK_SOUND {
  SOUND* handle;  // null = no click sound
  INT_S8 channel;
  FOLDER folder;  // "$APP"
  char name[256];
  INT_S32 volume;
  INT_S32 pan;
  WM_CLICK_SOUND();
};
WM_CLICK_SOUND& wm_get_click_sound();
#define wm_click_sound (wm_get_click_sound())

// Colours (0xAARRGGBB, alpha 0 = unset).
extern COLOUR wm_default_colour;
extern COLOUR wm_bevel_dark_colour;
extern COLOUR wm_bevel_light_colour;
extern COLOUR wm_shadow_colour;
extern COLOUR wm_outline_colour;
extern COLOUR wm_bevel_base_colour;

extern PAGE_MANAGER* wm_page_manager;
extern IMAGE* wm_surface;

// Dirty rectangles.
extern DIRTY_RECT wm_dirty_rects[WM_MAX_DIRTY_RECTS];
extern INT_U16 wm_dirty_rect_count;
extern INT_S16 wm_drawn_dirty_rect;
extern INT_S32 wm_dirty_mode;
extern INT_S16 wm_dirty_merge_margin;
extern INT_U8 wm_rendering;
extern DIRTY_RECT wm_saved_clip;

// Frame clock and input dispatch.
extern INT_U32 wm_frame_ms;
extern INT_U8 wm_flash_phase;
extern INT_U8 wm_tick_armed;
extern INT_U8 wm_popup_pass_armed;
extern INT_U32 wm_activate_key;
extern WM_SCREEN_OBJECT* wm_pressed_object;
extern WM_SCREEN_OBJECT* wm_focus_object;
extern INT_U8 wm_focus_changed;
extern WM_OBJECT_HOOK wm_object_created_hook;
extern INT_WORD wm_object_created_hook_arg;
extern WM_OBJECT_HOOK wm_object_destroyed_hook;
extern INT_WORD wm_object_destroyed_hook_arg;

// Settings with built-in defaults.
extern INT_U32 wm_default_shading_type;
extern INT_S16 wm_menu_bounds[4];  // left, right, top, bottom; -1 = the screen edge
extern INT_U8 wm_rebuild_on_screen_change;
extern INT_U8 wm_use_cursor_shapes;
extern INT_U8 wm_busy_cursor_on_page_change;
extern INT_U32 wm_process_interval;
extern INT_U32 wm_process_last_ms;
extern INT_U8 wm_cursor_kind;

// Seam for tests: where the window manager asks whether a key is held. Null =
// the platform's key map (which answers only while the window has the focus).
// The program never sets it.
extern INT_U32 (*wm_key_down_source)(INT_S32 keycode);
// Seam for tests: where the window manager sets the pointer shape (kind 0-6;
// defer = apply at the next presentation). Null = the platform's set_cursor.
// The program never sets it.
extern INT_U8 (*wm_set_cursor_source)(INT_U8 kind, INT_U8 defer);
// Seam for tests: whether a frame drawn now is shown at once or by a frame
// already waiting. Null = the platform's pace (frame_goes_out_now). The
// program never sets it.
extern INT_U8 (*wm_present_goes_out_source)();

#endif
