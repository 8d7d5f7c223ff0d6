// Dialog base: the module's globals, construction, layout, caption, frame
// skin, input and dragging. Drawing is in dialog_draw.cpp, fades and slides
// in dialog_transitions.cpp.
#include "wm_dialog.h"

#include <new>
#include <vector>

#include "../wm_platform.h"
#include "errors.h"
#include "folder.h"
#include "window.h"
#include "wm_globals.h"
#include "wm_script.h"
#include "../wm_internal.h"

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

namespace {

const INT_U32 kFatalNoCaptionMemory = 0x63;
const INT_U16 kRoundedCorners = 0xF0;
// Each border gap of the default button style is the unset gap grown by 5.
// Set, not added to, so that a run after the ready flag was cleared (a test
// fixture that starts every case afresh) gives the same gaps.
const INT_S16 kUnsetGap = -1;
const INT_S16 kButtonGapIncrease = 5;
const INT_U32 kLeftButtonBit = 1u << 0;

const WM_STYLE_SET* chosen(const WM_STYLE_SET* given, WM_STYLE_SET& fallback) {
  WM_DIALOG::init_default_styles();
  return given ? given : &fallback;
}

// A colour given to the colour form replaces the default unless it is null
// or unset (alpha 0).
void take_colour(COLOUR* field, const COLOUR* given) {
  if (given && (*given >> 24)) *field = *given;
}

}  // namespace

void WM_DIALOG::init_default_styles() {
  if (wm_dialog_styles_ready) return;
  wm_dialog_styles_ready = 1;
  WM_STYLE_SET& frame = wm_dialog_background_style;
  frame.shading_type = 4;
  frame.fg_colour = 0xFF0000FFu;
  frame.bg_colour = 0xFFC0C0C0u;
  frame.shading_flags = static_cast<INT_U16>(frame.shading_flags & ~kRoundedCorners);
  WM_STYLE_SET& title = wm_dialog_title_style;
  title.shading_type = 4;
  title.fg_colour = 0xFF000000u;
  title.bg_colour = 0xFFFF0000u;
  WM_STYLE_SET& button = wm_dialog_button_style;
  button.shading_type = 4;
  button.fg_colour = 0xFF000000u;
  button.bg_colour = 0xFFC0C0C0u;
  button.highlight_colour = 0xFFFF0000u;
  button.highlight_text_colour = 0xFF000000u;
  button.ssf = ssf_draw_border;
  button.shading_flags = static_cast<INT_U16>(button.shading_flags | kRoundedCorners);
  for (INT_S16* gap : {&button.border_left_gap, &button.border_right_gap, &button.border_top_gap,
                       &button.border_bottom_gap})
    *gap = static_cast<INT_S16>(kUnsetGap + kButtonGapIncrease);
}

WM_DIALOG::WM_DIALOG(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* title,
                     const WM_STYLE_SET* frame, const WM_STYLE_SET* caption_style,
                     const WM_STYLE_SET* buttons, const DIALOG_EFFECTS* fx)
    : WM_SCREEN_OBJECT(chosen(frame, wm_dialog_background_style)->visible, nullptr, 0, 0),
      style(*chosen(frame, wm_dialog_background_style)),
      title_style(*chosen(caption_style, wm_dialog_title_style)),
      button_style(*chosen(buttons, wm_dialog_button_style)),
      frame_skin(&wm_skin_cache),
      blend_image(-1, -1) {
  init(px, py, w, h, title, fx);
  apply_style_skin();
}

WM_DIALOG::WM_DIALOG(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* title,
                     const COLOUR* frame_bg, const COLOUR* frame_fg, const COLOUR* caption_bg,
                     const COLOUR* caption_fg, const COLOUR* button_bg, const COLOUR* button_fg,
                     const COLOUR* button_highlight, const COLOUR* button_highlight_text,
                     INT_U8 vis, const DIALOG_EFFECTS* fx)
    : WM_SCREEN_OBJECT(vis, nullptr, 0, 0),
      style(*chosen(nullptr, wm_dialog_background_style)),
      title_style(wm_dialog_title_style),
      button_style(wm_dialog_button_style),
      frame_skin(&wm_skin_cache),
      blend_image(-1, -1) {
  take_colour(&style.bg_colour, frame_bg);
  take_colour(&style.fg_colour, frame_fg);
  take_colour(&title_style.bg_colour, caption_bg);
  take_colour(&title_style.fg_colour, caption_fg);
  take_colour(&button_style.bg_colour, button_bg);
  take_colour(&button_style.fg_colour, button_fg);
  take_colour(&button_style.highlight_colour, button_highlight);
  take_colour(&button_style.highlight_text_colour, button_highlight_text);
  init(px, py, w, h, title, fx);
}

void WM_DIALOG::init(INT_S16 px, INT_S16 py, INT_S16 w, INT_S16 h, const char* title,
                     const DIALOG_EFFECTS* fx) {
  width = w;
  height = h;
  button_was_down = 0;
  if (px == -1) px = static_cast<INT_S16>((get_screen_width(0) - w) / 2);
  if (py == -1) py = static_cast<INT_S16>((get_screen_height(0) - h) / 2);
  x = px;
  y = py;
  dragging = 0;
  draggable = 1;
  drag_dx = drag_dy = 0;
  outline_x = outline_y = 0;

  const INT_S16 bw = static_cast<INT_S16>(border_width(style.shading_type));
  for (INT_S16* gap : {&style.border_left_gap, &style.border_top_gap, &style.border_right_gap,
                       &style.border_bottom_gap})
    if (*gap == -1) *gap = bw;
  if (style.cell_left_gap == -1) style.cell_left_gap = 0;
  if (style.cell_top_gap == -1) style.cell_top_gap = bw;
  if (style.cell_right_gap == -1) style.cell_right_gap = 0;
  if (style.cell_bottom_gap == -1) style.cell_bottom_gap = 0;

  caption = nullptr;
  if (title) {
    caption = new (std::nothrow)
        WM_SCRIPT(style.border_left_gap, style.border_top_gap,
                  static_cast<INT_S16>(w - style.border_right_gap), -1, &title_style, title);
    if (!caption) report_fatal_error(kFatalNoCaptionMemory, nullptr);
    WM_SCREEN_OBJECT::add_child(caption, 1);
  }

  client_area = new WM_MANAGER();
  client_area->width = client_width();
  client_area->height = client_height();
  client_area->x = static_cast<INT_S16>(style.border_left_gap + style.cell_left_gap);
  client_area->y = static_cast<INT_S16>(caption_height());
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
  from_x = from_y = to_x = to_y = -1;
  alpha = (effects.flags & DIALOG_FADE_IN) ? 0 : 255;

  if (visible) show();
  start_transition(1);
  kind |= WM_KIND_DIALOG;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
  if (style.bevel_colour >> 24) colour = style.bevel_colour;
}

void WM_DIALOG::apply_style_skin() {
  if (!style.image_filename) return;
  if (style.is_loaded()) {
    if (style.state_images[STYLE_IMAGE_BASE])
      frame_skin.copy_from(style.state_images[STYLE_IMAGE_BASE]);
    return;
  }
  frame_skin.load(style.image_path, style.image_filename, 0);
}

WM_DIALOG::~WM_DIALOG() {
  release_focus();  // a class that lets it take the focus: told while whole
  settle_slide();
  WM_SCREEN_OBJECT::hide(0, 0);
  frame_skin.release();
}

// ---- geometry ---------------------------------------------------------------

INT_U16 WM_DIALOG::caption_height() {
  INT_S32 h = style.border_top_gap;
  if (caption) h += caption->height + style.cell_top_gap;
  return static_cast<INT_U16>(h);
}

INT_S16 WM_DIALOG::client_width() const {
  return static_cast<INT_S16>(width - style.border_left_gap - style.border_right_gap -
                              style.cell_left_gap - style.cell_right_gap);
}

INT_S16 WM_DIALOG::client_height() {
  return static_cast<INT_S16>(height - caption_height() - style.border_bottom_gap -
                              style.cell_bottom_gap);
}

void WM_DIALOG::layout() {
  if (caption) {
    caption->set_position(static_cast<INT_S16>(x + style.border_left_gap),
                          static_cast<INT_S16>(y + style.border_top_gap));
    caption->set_size(static_cast<INT_S16>(width - style.border_left_gap - style.border_right_gap),
                      caption->height, 1);
  }
  client_area->set_size(client_width(), client_height(), 1);
  client_area->set_position(static_cast<INT_S16>(x + style.border_left_gap + style.cell_left_gap),
                            static_cast<INT_S16>(y + caption_height()));
}

void WM_DIALOG::set_size(INT_S16 new_width, INT_S16 new_height, INT_U8) {
  if (new_width == width && new_height == height) return;
  if (slide_running()) shift_slide_start(new_width, new_height);
  WM_SCREEN_OBJECT::set_size(new_width, new_height, 0);
  layout();
}

void WM_DIALOG::add_child(WM_SCREEN_OBJECT* child, INT_U8 relative) {
  client_area->add_child(child, relative);
}

void WM_DIALOG::remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative) {
  client_area->remove_child(child, destroy, relative);
}

// ---- caption --------------------------------------------------------------------

INT_U8 WM_DIALOG::is_over_caption(INT_S16 px, INT_S16 py) {
  return caption ? caption->is_over(px, py) : 0;
}

void WM_DIALOG::set_title(const char* text) {
  if (!caption) return;
  if (caption->visible) caption->show();
  caption->text.set_from_string(&caption->text.value, text ? text : "");
}

const char* WM_DIALOG::get_title() {
  if (!caption) return "";
  return caption->text.tag == TV_TEXT ? caption->text.value.text : nullptr;
}

void WM_DIALOG::draw_caption() {
  if (caption) wm_call_survives(this, [&] { caption->draw(); });
}

// ---- frame skin -------------------------------------------------------------------

INT_U8 WM_DIALOG::set_frame_skin(const char* folder, const char* name,
                                 const WM_STYLE_SET* skin_style) {
  if (skin_style && skin_style->is_loaded()) {
    if (skin_style->state_images[STYLE_IMAGE_BASE])
      frame_skin.copy_from(skin_style->state_images[STYLE_IMAGE_BASE]);
  } else if (!name) {
    frame_skin.release();
    return 0;
  } else {
    frame_skin.load(folder, name, 0);
  }
  return frame_skin.is_valid();
}

INT_U8 WM_DIALOG::set_frame_skin(FOLDER* folder, const char* name,
                                 const WM_STYLE_SET* skin_style) {
  if (!folder) return set_frame_skin(static_cast<const char*>(nullptr), name, skin_style);
  std::vector<char> path(FOLDER_PATH_SIZE);
  folder->get_path_text(path.data(), nullptr);
  return set_frame_skin(path.data(), name, skin_style);
}

// ---- input and dragging -------------------------------------------------------------

bool WM_DIALOG::is_on_drag_area(INT_S16 px, INT_S16 py) {
  if (is_over_caption(px, py)) return true;
  if (px < x || px >= x + width || py < y || py >= y + height) return false;
  return !client_area->is_over_child(px, py);
}

void WM_DIALOG::draw_drag_outline(INT_S16 ox, INT_S16 oy) {
  if (!wm_surface) return;
  const COLOUR white = 0xFFFFFFFFu;
  wm_surface->xor_rect(ox, oy, static_cast<INT_S16>(ox + width - 1),
                       static_cast<INT_S16>(oy + height - 1), &white);
}

INT_S32 WM_DIALOG::handle_input() {
  if (!visible && !dragging) return 0;
  const INT_U8 target = target_alpha;
  if (menu_holds_focus()) wm_focus_changed = 1;

  const INT_S16 px = wm_pointer_x(), py = wm_pointer_y();
  const INT_U8 left = (wm_button_mask() & kLeftButtonBit) ? 1 : 0;
  if (!left) {
    if (dragging) {
      dragging = 0;
      // A dialog closed while dragged keeps fading out.
      if (!close_pending) set_fade(255);
      if (!wm_dialog_live_drag) {
        draw_drag_outline(outline_x, outline_y);
        set_position(outline_x, outline_y);
      }
    }
  } else if (!dragging) {
    // A closing dialog is not dragged: the drag's fade would undo the close.
    if (!button_was_down && draggable && !close_pending && is_on_drag_area(px, py)) {
      dragging = 1;
      drag_dx = static_cast<INT_S16>(x - px);
      drag_dy = static_cast<INT_S16>(y - py);
      outline_x = x;
      outline_y = y;
      set_fade(static_cast<INT_U8>(effects.dragging_alpha));
      if (!wm_dialog_live_drag) draw_drag_outline(outline_x, outline_y);
    }
  } else if (wm_dialog_live_drag) {
    set_position(static_cast<INT_S16>(px + drag_dx), static_cast<INT_S16>(py + drag_dy));
  } else {
    draw_drag_outline(outline_x, outline_y);
    outline_x = static_cast<INT_S16>(px + drag_dx);
    outline_y = static_cast<INT_S16>(py + drag_dy);
    draw_drag_outline(outline_x, outline_y);
  }

  if (dragging || fade_running() || slide_running()) wm_focus_changed = 1;
  button_was_down = left;

  // A closing dialog's content takes no input: it is on its way out.
  if (dragging || !visible || target == 0 || close_pending) return 0;
  // A content callback may delete the dialog: nothing of it is touched after.
  INT_S32 r = 0;
  if (!wm_call_survives(this, [&] { r = WM_SCREEN_OBJECT::handle_input(); })) return r;
  if (r == WM_ACTION_CLOSE) {
    close(0);
    return 0;
  }
  if (!visible) close(0);
  return r;
}

void WM_DIALOG::fit_to_screen() {
  const INT_U16 display = static_cast<INT_U16>(get_display_of_point(get_x(), get_y()));
  const INT_S16 sw = static_cast<INT_S16>(wm_screen_width(display));
  const INT_S16 sh = static_cast<INT_S16>(wm_screen_height(display));
  INT_S16 nw = width, nh = height, nx = get_x(), ny = get_y();
  if (sw > 0 && nw > sw) {
    nw = sw;
    nx = 0;
  }
  if (sh > 0 && nh > sh) {
    nh = sh;
    ny = 0;
  }
  if (nw != width || nh != height) {
    set_size(nw, nh, 1);
    set_position(nx, ny);
  }
}
