// Text window: paragraphs appended one by one (or read from a text file),
// word-wrapped into display lines, the most recent kept in two rings of equal
// capacity. When the lines overflow the window it gives itself a vertical
// scrollbar and either follows the newest line or keeps the first in view.
// Text can be selected by dragging (when allowed), and a click on a tagged
// line calls the action callback with `clicked_tag` set.
#ifndef WM_TEXT_WIN_H
#define WM_TEXT_WIN_H

#include <cstddef>
#include <string>

#include "colour.h"
#include "skin_frame.h"
#include "style_set.h"
#include "typed_value.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_SCROLLBAR;

// Window flags.
enum : INT_U16 {
  TW_INDENTED_BORDER = 0x1,
  TW_RAISED_BORDER = 0x2,
  TW_LEFT_JUSTIFY = 0x4,
  TW_RIGHT_JUSTIFY = 0x8,
  TW_TOP_ALIGN = 0x10,
  TW_BOTTOM_ALIGN = 0x20,
  TW_DARKENED = 0x40,
  TW_HFADE = 0x80,
  TW_VFADE = 0x100,
  TW_SHADOW_TEXT = 0x200,
  TW_INSET_TEXT = 0x400,
  TW_CHISELED_TEXT = 0x800
};

struct TEXT_WIN_PARAGRAPH {
  char* text = nullptr;  // owned
  char* tag = nullptr;   // owned; "" when none
  COLOUR colour = 0xFF000000u;
};

// A display line points into its paragraph's text and never owns it.
struct TEXT_WIN_LINE {
  const char* start = nullptr;
  const char* tag = nullptr;
  COLOUR colour = 0xFF000000u;
  INT_U16 length = 0;
};

class WM_TEXT_WIN : public WM_SCREEN_OBJECT {
 public:
  // Explicit form (the confirmation box): indented border, left-justified
  // lines, the default font, a flat scrollbar without end buttons.
  WM_TEXT_WIN(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 gap_extra,
              INT_S16 line_count, INT_S16 scrollbar_width, const COLOUR* scrollbar_active_colour,
              const COLOUR* scrollbar_back_colour, const COLOUR* scrollbar_text_colour,
              INT_U8 selectable, INT_U8 visible, WM_ACTION_CALLBACK callback, INT_WORD arg1,
              INT_WORD arg2);
  // Style-set form.
  WM_TEXT_WIN(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const WM_STYLE_SET* style,
              const WM_STYLE_SET* scrollbar_style, INT_S16 line_count, INT_U8 selectable,
              WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2);
  ~WM_TEXT_WIN() override;

  INT_S32 handle_input() override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  INT_U8 can_focus() override { return 0; }
  void draw() override;

  // Appends a text; line feeds (else carriage returns) split it into
  // paragraphs. 1 when allow_scrollbar is set or the text fitted; 0 for a
  // null text, or when the window is full and may not scroll.
  INT_U8 add_text(const char* text, const char* tag, const COLOUR* colour, INT_U8 redraw,
                  INT_U8 allow_scrollbar);
  // Adds every line of a text file; whether any line was added.
  INT_U8 load_file(FOLDER* folder, const char* name, const COLOUR* colour);
  void clear();
  // The selected characters, each line followed by a space while there is
  // room, cut to size - 1 and terminated. No selection, or a size below 1,
  // writes nothing.
  void copy_selection(char* buffer, INT_S16 size);
  void clear_selection();
  // Index of the character under pixel x in display slot `line`.
  INT_S16 char_at(INT_S16 line, INT_S16 px);

  bool has_images() const { return background_frame.is_valid(); }
  void release_images() { background_frame.release(); }
  INT_U8 load_images(const char* folder_path, const char* base_name, const WM_STYLE_SET* style);
  INT_U8 load_images_from_folder(FOLDER* folder, const char* base_name,
                                 const WM_STYLE_SET* style);

  // The scrollbar's action callback: redraws the window.
  static INT_S32 scroll_changed(WM_SCREEN_OBJECT* scrollbar, INT_WORD arg1, INT_WORD arg2);

  // The first ring slot shown at the top of the page.
  INT_S16 first_shown_slot();
  // The font height used for lines (the surface's when font_h is -1).
  INT_S16 line_height() const;

  TEXT_WIN_PARAGRAPH* paragraphs;
  TEXT_WIN_LINE* lines;
  WM_SCROLLBAR* scrollbar;
  TYPED_VALUE scroll;  // i32, 0 = newest lines at the bottom, max = oldest at the top
  INT_S16 line_head, line_total;
  INT_S16 paragraph_head, paragraph_total;
  double slider_scale;
  INT_S16 page_last;
  INT_S16 line_count;
  const char* clicked_tag;
  INT_U8 show_from_top;
  INT_U8 selectable;
  INT_U8 left_pressed, right_pressed;
  INT_U8 left_released, right_released;
  INT_S16 press_x, press_y;
  INT_S16 press_line;
  INT_S16 sel_start_line, sel_start_char, sel_end_line, sel_end_char;
  INT_S16 anchor_line, anchor_char;
  COLOUR back_colour, fading_colour;
  INT_U8 font;            // 255 = the surface's
  INT_S16 font_w, font_h; // -1 = the surface's
  INT_S16 left_gap, right_gap, top_gap, bottom_gap;
  INT_U16 flags;
  INT_U16 border_mask;
  SKIN_FRAME background_frame;
  WM_STYLE_SET scrollbar_style;

 private:
  void init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_S16 count, INT_U8 can_select,
            const COLOUR* back, const COLOUR* fading, INT_U8 font_id, INT_S16 fw, INT_S16 fh,
            INT_U16 window_flags, INT_U16 mask, const WM_STYLE_SET* bar_style, INT_S16 left,
            INT_S16 right, INT_S16 top, INT_S16 bottom);
  INT_U8 add_paragraph(const std::string& text, const char* tag, COLOUR colour,
                       INT_U8 allow_scrollbar);
  // Adds a paragraph's display lines; 1 when a scrollbar was made, or when
  // the lines overflow and no scrollbar is allowed.
  INT_U8 add_line(const char* text, const char* tag, COLOUR colour, INT_U8 allow_scrollbar);
  size_t break_line(const char* rest, const char** next) const;
  void resize_slider();
  void reflow();
  INT_S32 available_width() const;
  INT_S16 scrollbar_width() const;
  INT_U8 resolved_font() const;
  INT_S16 resolved_font_w() const;
  INT_S32 text_width(const char* text, INT_U32 count) const;
  // Display order: index 0 is the oldest kept line.
  INT_S32 oldest_slot() const;
  INT_S32 display_index(INT_S16 slot) const;  // -1 for a slot without a line
  INT_S16 slot_of(INT_S32 display) const;     // -1 outside the lines
  INT_S32 first_shown() const;
  bool slot_in_selection(INT_S16 slot) const;
  bool in_text_area(INT_S16 px, INT_S16 py) const;
  INT_S16 slot_under(INT_S16 py) const;
  void drag_selection(INT_S16 px, INT_S16 py);
  INT_S32 click(INT_S16 py);
  void draw_background();
  void draw_lines();
};

#endif
