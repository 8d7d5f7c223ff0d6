// Scrollbar: a horizontal or vertical bar with a slider and optional end
// buttons, bound to a TYPED_VALUE whose range it shows. Track clicks page,
// end buttons step a line (both repeat while held), the slider drags, the
// wheel and the navigation keys move the value. The owner learns of every
// change through the action callback, once, in the next input pass.
//
// A vertical bar has its maximum at the top: moving up increases the value.
#ifndef WM_SCROLLBAR_H
#define WM_SCROLLBAR_H

#include "colour.h"
#include "skin_frame.h"
#include "typed_value.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_STYLE_SET;
class WM_SCROLLBAR;

enum : INT_U32 {
  SB_HORIZONTAL = 0,
  SB_HORIZONTAL_BUTTONS = 1,
  SB_VERTICAL = 2,
  SB_VERTICAL_BUTTONS = 3
};

// Step kinds.
enum : INT_S32 {
  SB_STEP_NONE = 0,
  SB_STEP_LINE_MORE = 1,
  SB_STEP_LINE_LESS = 2,
  SB_STEP_PAGE_MORE = 3,
  SB_STEP_PAGE_LESS = 4
};

// Drawing flags.
enum : INT_U8 {
  SB_FLAG_ROUNDED = 1,
  SB_FLAG_VFADE = 2,
  SB_FLAG_HFADE = 4,
  SB_FLAG_NO_RESIZE = 16,
  SB_FLAG_AUTO_LOOK = 128  // explicit constructor only: rounded with the fade across the bar
};

// The frames, in the order the skin names them.
enum {
  SB_FRAME_BAR = 0,
  SB_FRAME_BAR_DISABLED,
  SB_FRAME_BAR_OVER,
  SB_FRAME_SLIDER_UP,
  SB_FRAME_SLIDER_DOWN,
  SB_FRAME_SLIDER_DISABLED,
  SB_FRAME_SLIDER_OVER,
  SB_FRAME_LESS_UP,
  SB_FRAME_LESS_DOWN,
  SB_FRAME_LESS_DISABLED,
  SB_FRAME_LESS_OVER,
  SB_FRAME_MORE_UP,
  SB_FRAME_MORE_DOWN,
  SB_FRAME_MORE_DISABLED,
  SB_FRAME_MORE_OVER,
  SB_FRAME_COUNT
};

typedef INT_S32 (*SB_STEP_CALLBACK)(WM_SCROLLBAR* scrollbar, INT_S32 kind);

class WM_SCROLLBAR : public WM_SCREEN_OBJECT {
 public:
  // Style form: look, orientation and sizes from the style set. A rectangle
  // too short for the slider and both end buttons gets no end buttons.
  WM_SCROLLBAR(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, TYPED_VALUE* value,
               const WM_STYLE_SET* style, WM_ACTION_CALLBACK callback, INT_WORD arg1,
               INT_WORD arg2);
  // Explicit form; loads no images.
  WM_SCROLLBAR(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 slider_length,
               INT_S16 button_size, TYPED_VALUE* value, INT_U32 orientation, INT_U8 flags,
               const COLOUR* bar, const COLOUR* slider, const COLOUR* button,
               const COLOUR* arrow, INT_U8 visible, WM_ACTION_CALLBACK callback,
               INT_WORD arg1, INT_WORD arg2);
  ~WM_SCROLLBAR() override;

  INT_S32 handle_input() override;
  void set_position(INT_S16 new_x, INT_S16 new_y) override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  INT_U8 can_focus() override;
  void draw() override;

  bool load_bar_images(const char* folder_path, const char* base_name, const WM_STYLE_SET* style);
  bool load_bar_images(FOLDER* folder, const char* base_name, const WM_STYLE_SET* style);
  void release_bar_images();
  bool has_bar_images() const;

  // Recomputes track_start and track_length after a change of slider_length
  // or button_size.
  void layout_track();
  void set_slider_size(INT_S16 length);
  // Length along the axis without the end buttons.
  INT_S32 get_track_extent() const;
  // The step callback's answer when there is one (it may delete the bar).
  INT_S32 get_step(INT_S32 kind);
  // Makes this bar the one the wheel moves; notches counted so far are dropped.
  void take_wheel();

  // The slider's reference point for value v: horizontally the slider covers
  // P - slider_length .. P - 1, vertically P .. P + slider_length - 1.
  INT_S32 slider_position(INT_S32 v) const;
  bool is_vertical() const { return orientation >= SB_VERTICAL; }
  bool has_buttons() const {
    return orientation == SB_HORIZONTAL_BUTTONS || orientation == SB_VERTICAL_BUTTONS;
  }

  INT_U32 orientation;
  TYPED_VALUE* value;  // not owned
  INT_S32 shown_value;
  INT_S32 track_length;
  INT_S32 grab_offset;
  INT_S32 track_start;
  INT_S16 slider_length;
  INT_S16 button_size;
  COLOUR bar_colour, slider_colour, button_colour, arrow_colour;
  COLOUR hover_colour, arrow_hover_colour;  // invisible = the normal colours
  INT_U8 dragging;
  INT_U8 button_was_down;
  INT_U8 flags;
  INT_S32 page_step;
  INT_S32 line_step;
  INT_U8 enabled;
  INT_U32 repeat_time_ms;
  INT_S32 repeat_kind;
  INT_U8 repeating;
  SB_STEP_CALLBACK step_callback;
  INT_U8 value_changed;
  INT_S16 wheel_step;
  INT_U8 bar_hover, slider_hover, less_hover, more_hover;
  SKIN_FRAME frames[SB_FRAME_COUNT];

 private:
  void init_scrollbar(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 slider_size,
                      INT_S16 button_length, TYPED_VALUE* bound, INT_U32 kind_of_bar,
                      INT_U8 look, const COLOUR* bar, const COLOUR* slider,
                      const COLOUR* button, const COLOUR* arrow);
  void update_hover();
  void handle_wheel();
  // These three answer false when a step callback deleted the bar.
  bool handle_keys();
  bool handle_press(INT_S32 c, INT_U32 now, bool& redraw);
  void start_drag(INT_S32 c);
  void follow_drag(INT_S32 c);
  // Writes a value computed in 64 bits, first clamped to the bound range.
  void write_value(INT_S64 v);
  bool step(INT_S32 kind);
  INT_S32 range_min() const;
  INT_S32 range_max() const;
  void draw_skinned();
  void draw_flat();
};

// The one scrollbar the mouse wheel moves (null at start, and again when that
// scrollbar is destroyed). Only compared with object pointers.
extern WM_SCREEN_OBJECT* wm_wheel_target;

#endif
