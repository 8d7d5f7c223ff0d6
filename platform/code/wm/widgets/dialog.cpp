// Dialog base: construction, layout, drawing, input and dragging.
#include "wm_dialog.h"

#include "window.h"
#include "wm_globals.h"

DIALOG_EFFECTS wm_dialog_effects = {0x047C, 300, 1000, 192};
INT_U8 wm_dialog_live_drag = 1;
INT_U8 wm_dialog_styles_ready = 0;

// Never destroyed: dialogs copy them up to the end of the process.
WM_STYLE_SET& wm_get_dialog_background_style() {
  static WM_STYLE_SET* style = new WM_STYLE_SET();
  return *style;
}
WM_STYLE_SET& wm_get_dialog_title_style() {
  static WM_STYLE_SET* style = new WM_STYLE_SET();
  return *style;
}
WM_STYLE_SET& wm_get_dialog_button_style() {
  static WM_STYLE_SET* style = new WM_STYLE_SET();
  return *style;
}

void WM_DIALOG::init_default_styles() {
  if (wm_dialog_styles_ready) return;
  wm_dialog_styles_ready = 1;
}

WM_DIALOG::WM_DIALOG(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* title,
                     const WM_STYLE_SET* frame, const WM_STYLE_SET* caption_style,
                     const WM_STYLE_SET* buttons, const DIALOG_EFFECTS* fx)
    : WM_SCREEN_OBJECT(0, nullptr, 0, 0), frame_skin(&wm_skin_cache), blend_image(-1, -1) {
  init_default_styles();
  style = frame ? *frame : wm_dialog_background_style;
  title_style = caption_style ? *caption_style : wm_dialog_title_style;
  button_style = buttons ? *buttons : wm_dialog_button_style;
  visible = style.visible;
  needs_redraw = visible;
  init(px, py, w, h, title, fx);
}

WM_DIALOG::WM_DIALOG(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* title,
                     const COLOUR*, const COLOUR*, const COLOUR*, const COLOUR*, const COLOUR*,
                     const COLOUR*, const COLOUR*, const COLOUR*, INT_U8 vis,
                     const DIALOG_EFFECTS* fx)
    : WM_SCREEN_OBJECT(vis, nullptr, 0, 0), frame_skin(&wm_skin_cache), blend_image(-1, -1) {
  init_default_styles();
  style = wm_dialog_background_style;
  title_style = wm_dialog_title_style;
  button_style = wm_dialog_button_style;
  init(px, py, w, h, title, fx);
}

WM_DIALOG::~WM_DIALOG() { frame_skin.release(); }

void WM_DIALOG::init(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char*,
                     const DIALOG_EFFECTS* fx) {
  x = px;
  y = py;
  width = w;
  height = h;
  dragging = 0;
  caption = nullptr;
  drag_dx = drag_dy = outline_x = outline_y = 0;
  draggable = 1;
  button_was_down = 0;
  client_area = new WM_MANAGER();
  client_area->width = w;
  client_area->height = h;
  WM_SCREEN_OBJECT::add_child(client_area, 1);
  effects = fx ? *fx : wm_dialog_effects;
  delete_when_closed = 0;
  immediate = 0;
  opening = 1;
  transition_ms = effects.open_delay;
  transition_start = 0;
  step_due = 1;
  start_alpha = 0;
  target_alpha = 255;
  alpha = 255;
  from_x = to_x = x;
  from_y = to_y = y;
  kind |= WM_KIND_DIALOG;
}

void WM_DIALOG::hide(INT_U8 popups, INT_U8 children_too) {
  WM_SCREEN_OBJECT::hide(popups, children_too);
}
INT_S32 WM_DIALOG::handle_input() { return WM_SCREEN_OBJECT::handle_input(); }
INT_S32 WM_DIALOG::update(INT_U8 popups) { return WM_SCREEN_OBJECT::update(popups); }
void WM_DIALOG::set_position(INT_S16 new_x, INT_S16 new_y) {
  WM_SCREEN_OBJECT::set_position(new_x, new_y);
  from_x = to_x = x;
  from_y = to_y = y;
}
void WM_DIALOG::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8) {
  WM_SCREEN_OBJECT::set_size(new_width, new_height, 0);
}
void WM_DIALOG::add_child(WM_SCREEN_OBJECT* child, INT_U8 relative) {
  client_area->add_child(child, relative);
}
void WM_DIALOG::remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative) {
  client_area->remove_child(child, destroy, relative);
}
void WM_DIALOG::render() { WM_SCREEN_OBJECT::render(); }
void WM_DIALOG::draw() {}
INT_U8 WM_DIALOG::is_over_caption(INT_S16, INT_S16) { return 0; }
void WM_DIALOG::set_title(const char*) {}
const char* WM_DIALOG::get_title() { return ""; }
INT_U16 WM_DIALOG::caption_height() { return 0; }
void WM_DIALOG::set_fade(INT_U8 new_alpha) { alpha = target_alpha = new_alpha; }
void WM_DIALOG::start_transition(INT_U8 open) { opening = open; }
void WM_DIALOG::close(INT_U8 destroy) {
  delete_when_closed = destroy;
  set_fade(0);
  start_transition(0);
  immediate = 0;
}
INT_U8 WM_DIALOG::set_frame_skin(const char*, const char*, const WM_STYLE_SET*) { return 0; }
INT_U8 WM_DIALOG::set_frame_skin(FOLDER*, const char*, const WM_STYLE_SET*) { return 0; }
void WM_DIALOG::draw_caption() {}
bool WM_DIALOG::is_on_drag_area(INT_S16, INT_S16) { return false; }
void WM_DIALOG::draw_drag_outline(INT_S16, INT_S16) {}
void WM_DIALOG::apply_style_skin() {}
void WM_DIALOG::layout() {}
void WM_DIALOG::settle_slide() {}
