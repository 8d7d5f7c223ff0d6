// Window-manager globals with their built-in values, and the manager container.
#include "wm_globals.h"

#include "image.h"
#include "wm_manager.h"
#include "wm_internal.h"
#include "wm_platform.h"

PTRLLIST& wm_get_popup_list() {
  // Never destroyed: static destructors of the application (its page
  // manager) still walk it at exit.
  static PTRLLIST* list = new PTRLLIST();
  return *list;
}

IMAGE* wm_get_arrow_images() {
  static IMAGE* images = new IMAGE[4]{IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1), IMAGE(-1, -1)};
  return images;
}

WM_CLICK_SOUND::WM_CLICK_SOUND() : handle(nullptr), channel(0), name(), volume(100), pan(0) {}

WM_CLICK_SOUND& wm_get_click_sound() {
  static WM_CLICK_SOUND* sound = new WM_CLICK_SOUND();
  return *sound;
}

COLOUR wm_default_colour = 0;
COLOUR wm_bevel_dark_colour = 0xFF808080u;
COLOUR wm_bevel_light_colour = 0xFFFFFFFFu;
COLOUR wm_shadow_colour = 0xFF000000u;
COLOUR wm_outline_colour = 0xFFFFFF00u;
COLOUR wm_bevel_base_colour = 0;

PAGE_MANAGER* wm_page_manager = nullptr;
IMAGE* wm_surface = nullptr;

DIRTY_RECT wm_dirty_rects[WM_MAX_DIRTY_RECTS];
INT_U16 wm_dirty_rect_count = 0;
INT_S16 wm_drawn_dirty_rect = -1;
INT_S32 wm_dirty_mode = 3;
INT_S16 wm_dirty_merge_margin = 32;
INT_U8 wm_rendering = 0;
DIRTY_RECT wm_saved_clip = {-1, -1, -1, -1};

INT_U32 wm_frame_ms = 0;
INT_U8 wm_flash_phase = 0;
INT_U8 wm_tick_armed = 1;
INT_U8 wm_popup_pass_armed = 1;
INT_U32 wm_activate_key = 36;
WM_SCREEN_OBJECT* wm_pressed_object = nullptr;
WM_SCREEN_OBJECT* wm_focus_object = nullptr;
INT_U8 wm_focus_changed = 0;
WM_OBJECT_HOOK wm_object_created_hook = nullptr;
INT_WORD wm_object_created_hook_arg = 0;
WM_OBJECT_HOOK wm_object_destroyed_hook = nullptr;
INT_WORD wm_object_destroyed_hook_arg = 0;

INT_U32 wm_default_shading_type = 6;
INT_S16 wm_menu_bounds[4] = {-1, -1, -1, -1};
INT_U8 wm_rebuild_on_screen_change = 1;
INT_U8 wm_use_cursor_shapes = 1;
INT_U8 wm_busy_cursor_on_page_change = 1;
INT_U32 wm_process_interval = 0;
INT_U32 wm_process_last_ms = 0;
INT_U8 wm_cursor_kind = 255;

// ---- WM_MANAGER ------------------------------------------------------------------

WM_MANAGER::WM_MANAGER() : WM_SCREEN_OBJECT(1, nullptr, 0, 0) {
  kind |= WM_KIND_MANAGER;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

WM_MANAGER::~WM_MANAGER() {}

void WM_MANAGER::fill_screen_size() {
  if (width == 0) width = static_cast<INT_S16>(wm_screen_width(0));
  if (height == 0) height = static_cast<INT_S16>(wm_screen_height(0));
}

void WM_MANAGER::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8) {
  if (new_width == width && new_height == height) return;
  width = new_width;
  height = new_height;
  if (visible) show();
}

INT_U8 WM_MANAGER::can_focus() { return 0; }

INT_S16 WM_MANAGER::get_width() {
  fill_screen_size();
  return width;
}

INT_S16 WM_MANAGER::get_height() {
  fill_screen_size();
  return height;
}

void WM_MANAGER::render() {
  fill_screen_size();
  if (!wm_surface) {
    WM_SCREEN_OBJECT::render();
    return;
  }
  const WM_CLIP saved = wm_save_clip(wm_surface);
  wm_surface->intersect_clip(x, y, static_cast<INT_S16>(x + width - 1),
                             static_cast<INT_S16>(y + height - 1));
  WM_SCREEN_OBJECT::render();
  wm_restore_clip(wm_surface, saved);
}

void WM_MANAGER::draw() {}

WM_CLIP wm_save_clip(const IMAGE* image) {
  return WM_CLIP{image->clip_left, image->clip_top, image->clip_right, image->clip_bottom};
}

void wm_restore_clip(IMAGE* image, const WM_CLIP& clip) {
  image->clip_left = clip.left;
  image->clip_top = clip.top;
  image->clip_right = clip.right;
  image->clip_bottom = clip.bottom;
}
