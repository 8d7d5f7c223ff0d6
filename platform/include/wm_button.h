// The push button: a text and an optional picture over a painted face or one
// of eleven state skins, turning pointer and key input into action callback
// calls (press, release inside, auto-repeat, release outside). Optional: a
// hint label, drag and drop, a flashing second text and the idle click. The
// base of the menu button and the list box.
#ifndef WM_BUTTON_H
#define WM_BUTTON_H

#include "colour.h"
#include "image.h"
#include "image_cache.h"
#include "skin_frame.h"
#include "style_set.h"
#include "typed_value.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_BUTTON;
class WM_SCRIPT;

// Click events (bits of click_events); a callback fired on press and release
// tells them apart by the button's `released` byte.
enum : INT_U8 {
  BUTTON_EVENT_PRESS = 1,
  BUTTON_EVENT_RELEASE = 2,          // release inside of an armed press that did not repeat
  BUTTON_EVENT_REPEAT = 4,           // auto-repeat while held inside
  BUTTON_EVENT_RELEASE_OUTSIDE = 8   // release outside of a press begun inside
};

// Drag events (the event argument of the drag callback, filtered by drag_events).
enum : INT_U32 {
  DRAG_EVENT_START = 1,
  DRAG_EVENT_CANCEL = 2,
  DRAG_EVENT_DROP = 4,
  DRAG_EVENT_DROP_SELF = 8
};

// press_mode values.
enum : INT_U32 {
  BUTTON_PRESS_NORMAL = 0,
  BUTTON_PRESS_FOLLOWS_POINTER = 1,  // the pressed look follows the pointer
  BUTTON_PRESS_ON_ENTRY = 2          // entering presses, leaving releases
};

// button_flags.
enum : INT_U32 {
  BUTTON_TEXT_LEFT = 0x1,
  BUTTON_TEXT_RIGHT = 0x2,
  BUTTON_TEXT_TOP = 0x4,
  BUTTON_TEXT_BOTTOM = 0x8,
  BUTTON_ARROW_LEFT = 0x10,
  BUTTON_ARROW_RIGHT = 0x20,
  BUTTON_ARROW_UP = 0x40,
  BUTTON_ARROW_DOWN = 0x80,
  BUTTON_DARKENED = 0x100,
  BUTTON_FIXED_BORDER = 0x200,
  BUTTON_HFADING = 0x400,
  BUTTON_VFADING = 0x800,
  BUTTON_INVERT_VFADING = 0x1000,
  BUTTON_TEXT_COLOUR_OUTLINE = 0x2000,
  BUTTON_SHADOW_TEXT = 0x4000,
  BUTTON_INSET_TEXT = 0x8000,
  BUTTON_CHISELED_TEXT = 0x10000,
  BUTTON_ICON_LEFT = 0x20000,
  BUTTON_ICON_RIGHT = 0x40000,
  BUTTON_ICON_TOP = 0x80000,
  BUTTON_ICON_BOTTOM = 0x100000,
  BUTTON_ICON_ATTACHED = 0x200000,
  BUTTON_WRAP_TEXT = 0x400000,
  BUTTON_DONT_RESIZE_SKIN = 0x800000,
  BUTTON_HIT_RECTANGLE = 0x1000000  // clicks on transparent skin pixels count
};

// The state skins, in order.
enum {
  BUTTON_SKIN_UP = 0,
  BUTTON_SKIN_DOWN,
  BUTTON_SKIN_DISABLED,
  BUTTON_SKIN_OVER,
  BUTTON_SKIN_ACTIVE_UP,
  BUTTON_SKIN_ACTIVE_DOWN,
  BUTTON_SKIN_ACTIVE_DISABLED,
  BUTTON_SKIN_ACTIVE_OVER,
  BUTTON_SKIN_HIGHLIGHTED,
  BUTTON_SKIN_FLASHING,
  BUTTON_SKIN_DRAGGING,
  BUTTON_SKIN_COUNT
};

typedef INT_U8 (*BUTTON_STATE_CALLBACK)(WM_BUTTON* button, INT_WORD arg);
typedef INT_S32 (*BUTTON_DRAG_CALLBACK)(WM_BUTTON* source, WM_SCREEN_OBJECT* target, INT_S32 x,
                                        INT_S32 y, INT_S32 event, INT_WORD arg1,
                                        INT_WORD arg2);

class WM_BUTTON : public WM_SCREEN_OBJECT {
 public:
  // Style-set form. Corners are inclusive; a width or height of 0 or less
  // sizes the button to its text. A null hint makes no hint label.
  WM_BUTTON(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const WM_STYLE_SET* style,
            const char* text, const char* hint, WM_ACTION_CALLBACK callback, INT_WORD arg1,
            INT_WORD arg2, INT_U8 click_events);
  // Explicit form with a font (255 and -1 = the surface's defaults); the one
  // colour serves as back, active and highlight colour.
  WM_BUTTON(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* back_colour,
            const COLOUR* text_colour, const char* text, INT_U8 font, INT_S16 font_w,
            INT_S16 font_h, INT_U32 press_mode, INT_U32 button_flags, INT_U16 border_mask,
            WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2, INT_U8 visible,
            INT_U8 click_events);
  // Explicit form in the surface's default font.
  WM_BUTTON(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const COLOUR* back_colour,
            const COLOUR* text_colour, const char* text, INT_U32 press_mode,
            INT_U32 button_flags, INT_U16 border_mask, WM_ACTION_CALLBACK callback,
            INT_WORD arg1, INT_WORD arg2, INT_U8 visible, INT_U8 click_events);
  ~WM_BUTTON() override;

  void show() override;
  void hide(INT_U8 popups, INT_U8 children) override;
  INT_S32 handle_input() override;
  INT_S32 update(INT_U8 popups) override;
  INT_U8 is_over(INT_S16 px, INT_S16 py) override;
  INT_U8 can_focus() override;
  void draw() override;
  virtual WM_BUTTON* set_shortcut_key(INT_U32 keycode);

  // 0 and nothing changed for a null text; fit_width only widens.
  INT_U8 set_text(const char* new_text, INT_U8 fit_width);
  void set_icon(const IMAGE* picture);
  void set_enabled(INT_U8 on);
  // Clears the transient press state (pressed, armed, hover, repeat...).
  void reset_state();
  // Null or "" removes the hint label.
  void set_hint(const char* hint_text);
  INT_U8 load_state_skins(const char* folder_path, const char* base_name,
                          const WM_STYLE_SET* style);
  INT_U8 load_state_skins_from_folder(const FOLDER* folder, const char* base_name,
                                      const WM_STYLE_SET* style);
  void release_state_skins();
  INT_U8 has_state_skins() const;
  void recolour_state_skins(const COLOUR* back, const COLOUR* text_col, const COLOUR* third,
                            INT_U8 three_colour);

  INT_U8 indent_when_active = 0;
  INT_U16 border_mask = 15;
  char* text = nullptr;  // owned; null after a failed copy
  COLOUR back_colour = 0;
  COLOUR active_back_colour = 0;
  COLOUR active_text_colour = 0;
  COLOUR highlight_colour = 0;
  COLOUR text_colour = 0xFF000000u;
  COLOUR highlight_text_colour = 0;
  COLOUR fading_colour = 0xFF000000u;
  COLOUR mouse_over_colour = 0;
  COLOUR mouse_over_text_colour = 0;
  COLOUR flashing_back_colour = 0;
  COLOUR flashing_text_colour = 0;
  COLOUR underline_colour = 0;
  INT_U8 pressed = 0;
  INT_U8 was_left_down = 0;
  INT_U8 was_right_down = 0;
  INT_U8 armed = 0;
  INT_U8 always_armed = 0;
  INT_U8 enabled = 1;
  INT_U8 hover = 0;
  BUTTON_STATE_CALLBACK state_callback = nullptr;
  INT_WORD state_callback_arg = 0;
  INT_U32 press_mode = 0;
  INT_U32 button_flags = 0;
  INT_U8 font = 255;
  INT_S16 font_w = -1, font_h = -1;
  WM_SCRIPT* hint = nullptr;  // owned
  INT_U32 hint_time = 0;
  INT_S16 hint_x = -1, hint_y = -1;
  INT_S16 left_gap = 0, right_gap = 0, top_gap = 0, bottom_gap = 0;
  INT_S16 x_spacing = 0, y_spacing = 0;
  INT_U8 click_events = 0;
  INT_U8 released = 0;
  INT_U8 was_activate_key_down = 0;
  INT_U32 shortcut_key = 0;
  INT_U8 was_shortcut_key_down = 0;
  INT_U8 default_button = 0;
  TYPED_VALUE flashing_text;  // the empty string = no flashing
  INT_U8 flash_showing = 0;
  INT_U8 flash_mask = 32;
  INT_U32 press_time = 0;
  INT_U8 repeating = 0;
  INT_U8 right_button_drags = 1;
  INT_U8 drag_shown = 0;
  INT_S16 drag_x = -1, drag_y = -1;
  INT_S16 grab_dx = 0, grab_dy = 0;
  BUTTON_DRAG_CALLBACK drag_callback = nullptr;
  INT_WORD drag_arg1 = 0, drag_arg2 = 0;
  INT_U32 drag_events = 0;
  IMAGE icon;
  IMAGE over_icon;
  IMAGE drag_icon;
  SKIN_FRAME state_skins[BUTTON_SKIN_COUNT] = {
      SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache),
      SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache),
      SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache),
      SKIN_FRAME(&wm_skin_cache), SKIN_FRAME(&wm_skin_cache)};
  INT_U8 idle_chance = 10;

 protected:
  void init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* text,
            const COLOUR* back, const COLOUR* active_back, const COLOUR* highlight,
            INT_U32 press_mode, INT_U8 font, INT_S16 font_w, INT_S16 font_h, INT_S16 left_gap,
            INT_S16 right_gap, INT_S16 top_gap, INT_S16 bottom_gap, INT_S16 x_spacing,
            INT_S16 y_spacing, INT_U8 click_events);

 private:
  // The parts of the input pass (button_input.cpp, button_features.cpp) and
  // of the drawing (button_draw.cpp).
  bool idle_click_step();
  INT_S32 drag_step(INT_S16 px, INT_S16 py, INT_U8 over, INT_U8 left, INT_U8 right);
  void hint_step(INT_S16 px, INT_S16 py, INT_U8 left);
  void place_hint(INT_S16 px, INT_S16 py);
  void set_pointer_shape(INT_U8 over, INT_U8 left, INT_U8 right);
  bool looks_hovered();
  void draw_drag_image();
};

// The style of every hint label. Built on first use and kept to the end of
// the process; the first button built writes the built-in look into it
// unless wm_button_hint_style_ready is already set (a skin loaded).
WM_STYLE_SET& wm_get_button_hint_style();
#define wm_button_hint_style (wm_get_button_hint_style())
extern INT_U8 wm_button_hint_style_ready;

// Auto-repeat timing in ms: before the first repeat, and between later ones.
extern INT_U32 wm_repeat_delay;
extern INT_U32 wm_repeat_interval;

// The idle click: after wm_idle_click_delay ms without user input (0 = off)
// a random enabled button is clicked through the page manager's simulated
// pointer, one step every wm_idle_click_step ms.
extern INT_U32 wm_idle_click_delay;
extern INT_U32 wm_idle_click_step;
extern WM_BUTTON* wm_idle_click_button;
extern INT_U32 wm_idle_click_time;

#endif
