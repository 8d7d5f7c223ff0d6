// The single-line text entry: a box one text line high that shows its text, a
// cursor and a selection while it holds the focus, takes typed characters
// through an optional filter up to a maximum length, moves with the
// navigation keys (word-wise with Ctrl, selecting with Shift), works with the
// clipboard, selects all with Ctrl+A and restores its focus-time text with
// Ctrl+Z. Return (and, with notify_on_change, every edit) goes to the action
// callback; a password mode shows masks.
#ifndef WM_TEXT_EDIT_H
#define WM_TEXT_EDIT_H

#include "colour.h"
#include "image.h"
#include "image_cache.h"
#include "skin_frame.h"
#include "wm_screen_object.h"
#include "zorv_string.h"
#include "zorv_types.h"

class FOLDER;
class WM_STYLE_SET;

// Edit flags.
enum : INT_U16 {
  TEXT_EDIT_INDENT_BORDER = 0x1,
  TEXT_EDIT_RAISED_BORDER = 0x2,  // only while 0x1 is clear
  TEXT_EDIT_PASSWORD = 0x4,
  TEXT_EDIT_ICON_LEFT = 0x8,
  TEXT_EDIT_ICON_RIGHT = 0x10,
  TEXT_EDIT_ICON_TOP = 0x20,
  TEXT_EDIT_ICON_BOTTOM = 0x40,
  TEXT_EDIT_DONT_RESIZE_IMAGE = 0x80,
  TEXT_EDIT_DARKENED = 0x100
};

typedef INT_U8 (*TEXT_EDIT_FILTER)(INT_U16 character);

class WM_TEXT_EDIT : public WM_SCREEN_OBJECT {
 public:
  WM_TEXT_EDIT(INT_S16 x, INT_S16 y, INT_S16 width, INT_S16 max_length, const char* text,
               const WM_STYLE_SET* style, WM_ACTION_CALLBACK callback, INT_WORD arg1,
               INT_WORD arg2);
  ~WM_TEXT_EDIT() override;

  INT_S32 handle_input() override;
  INT_U8 can_focus() override { return enabled && focusable ? 1 : 0; }
  void take_focus() override;
  INT_S16 get_x() override { return x; }
  INT_S16 get_y() override { return y; }
  void draw() override;

  // Font 255 and sizes -1 are the surface's defaults, gaps -1 the border
  // width of the shading type.
  void init(INT_S16 x, INT_S16 y, INT_S16 width, INT_S16 max_length, const char* text,
            const COLOUR* text_colour, const COLOUR* back_colour, INT_U8 font, INT_S16 font_w,
            INT_S16 font_h, INT_S16 left_gap, INT_S16 right_gap, INT_S16 top_gap,
            INT_S16 bottom_gap);
  // Both clear the selection: its ends would not fit the new text.
  void set_text(const char* new_text);
  void set_max_length(INT_S16 new_max);
  void select_all();
  void clear_selection();
  INT_S16 char_index_at(INT_S16 px);
  INT_S32 notify(INT_U8 with_sound);

  INT_U8 has_images() const { return background_frame.is_valid(); }
  void release_images() { background_frame.release(); }
  INT_U8 load_images(const char* folder_path, const char* base_name, const WM_STYLE_SET* style);
  INT_U8 load_images_from_folder(FOLDER* folder, const char* base_name,
                                 const WM_STYLE_SET* style);

  // The first character shown: the text scrolls so that the cursor stays
  // among the characters that fit. A "W" narrower than 1 counts as 1.
  static INT_S16 first_shown(IMAGE* surface, INT_U8 font, INT_S16 font_w, INT_S16 font_h,
                             const char* text, INT_S16 cursor, INT_S16 avail, INT_S32 w_width);
  // How many masks fit: the largest n with n * mask_width below avail (a
  // mask narrower than 1 counts as 1).
  static INT_S32 masks_that_fit(INT_S32 length, INT_S32 avail, INT_S32 mask_width);
  // The screen x of character i in the current layout.
  INT_S16 char_x(INT_S16 index);
  INT_S16 first_shown_now();

  // The character filters: 1 accepts.
  static INT_U8 filter_letters(INT_U16 c);
  static INT_U8 filter_letters_spaces(INT_U16 c);
  static INT_U8 filter_letters_digits(INT_U16 c);
  static INT_U8 filter_file_name(INT_U16 c);

  ZORV_STRING text;
  ZORV_STRING focus_text;
  INT_S16 max_length = 0;
  INT_S16 cursor = 0;
  INT_U8 return_pressed = 0;
  TEXT_EDIT_FILTER char_filter = nullptr;
  INT_U8 enabled = 1;
  COLOUR text_colour = 0;
  COLOUR back_colour = 0;
  COLOUR cursor_colour = 0;
  COLOUR highlight_colour = 0;
  INT_U8 left_down = 0;
  INT_U8 notify_on_change = 0;
  INT_S8 font = 0;
  INT_S16 font_w = 0, font_h = 0;
  INT_S16 left_gap = 0, right_gap = 0, top_gap = 0, bottom_gap = 0;
  INT_S16 sel_start = -1, sel_end = -1;
  INT_S16 drag_x = -1;
  INT_U16 edit_flags = 0;
  IMAGE icon;
  SKIN_FRAME background_frame{&wm_skin_cache};

 private:
  // The parts of the input pass (text_edit_input.cpp).
  INT_S32 handle_key(INT_S32 code, bool shift, bool ctrl, INT_S32* result);
  INT_S32 handle_char(INT_U8 c, bool ctrl, INT_S32* result);
  void move_cursor(INT_S16 to, bool shift);
  bool delete_selection();
  void insert_text(const char* chars);
  void changed(INT_S32* result);
};

#endif
