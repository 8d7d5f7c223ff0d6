// The static text label: one text value in a style, over a painted
// background with an optional border or over skinned state images, with an
// optional icon, alternating with a second text on the flash clock. Other
// widgets build on it (hints, captions, message lines, grid cells).
#ifndef WM_SCRIPT_H
#define WM_SCRIPT_H

#include "colour.h"
#include "image.h"
#include "image_cache.h"
#include "skin_frame.h"
#include "typed_value.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_STYLE_SET;

// Label flags.
enum : INT_U32 {
  SCRIPT_INDENT_BORDER = 0x1,
  SCRIPT_RAISED_BORDER = 0x2,  // only while 0x1 is clear
  SCRIPT_TEXT_LEFT = 0x4,
  SCRIPT_TEXT_RIGHT = 0x8,
  SCRIPT_TEXT_TOP = 0x10,
  SCRIPT_TEXT_BOTTOM = 0x20,
  SCRIPT_DARKENED = 0x40,
  SCRIPT_HFADING = 0x80,
  SCRIPT_VFADING = 0x100,
  SCRIPT_TEXT_COLOUR_OUTLINE = 0x200,
  SCRIPT_SHADOW_TEXT = 0x400,
  SCRIPT_INSET_TEXT = 0x800,
  SCRIPT_CHISELLED_TEXT = 0x1000,
  SCRIPT_ICON_LEFT = 0x2000,
  SCRIPT_ICON_RIGHT = 0x4000,
  SCRIPT_ICON_TOP = 0x8000,
  SCRIPT_ICON_BOTTOM = 0x10000,
  SCRIPT_ICON_ATTACHED = 0x20000,
  SCRIPT_WRAP_TEXT = 0x40000,
  SCRIPT_DONT_RESIZE_IMAGE = 0x80000,
  SCRIPT_HIT_RECTANGLE = 0x1000000  // hit test by rectangle over state images too
};

class WM_SCRIPT : public WM_SCREEN_OBJECT {
 public:
  // Style-set form: visibility, shading, flags, font, colours, gaps and
  // state images from the style.
  WM_SCRIPT(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const WM_STYLE_SET* style,
            const char* text);
  // Explicit form: -1 (font 255) leaves a value to its default. A corner
  // below the other sizes the label from its text.
  WM_SCRIPT(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* text, INT_U8 font,
            INT_S16 font_w, INT_S16 font_h, const COLOUR* text_colour, const COLOUR* back_colour,
            INT_U32 flags, INT_U8 draw_background, INT_S16 left_gap, INT_S16 right_gap,
            INT_S16 top_gap, INT_S16 bottom_gap, INT_S16 x_spacing, INT_S16 y_spacing);
  ~WM_SCRIPT() override;

  INT_S32 handle_input() override;
  INT_S32 update(INT_U8 popups) override;
  INT_U8 is_over(INT_S16 px, INT_S16 py) override;
  INT_U8 can_focus() override;
  void draw() override;

  // Fills up_frame and flashing_frame from the style's state images or from
  // image files; whether up_frame is usable.
  INT_U8 load_images(const char* folder_path, const char* base_name, const WM_STYLE_SET* style);
  INT_U8 load_images_from_folder(FOLDER* folder, const char* base_name,
                                 const WM_STYLE_SET* style);
  void set_colours(const COLOUR* back, const COLOUR* text_col, const COLOUR* third,
                   INT_U8 mask_mode);
  INT_U8 has_images() const { return up_frame.is_valid(); }
  void release_images();
  // The text is parsed into the value's own type; fit_width only widens.
  void set_text_value(const char* new_text, INT_U8 fit_width);
  // The size a label needs for the text in that style; returns the height.
  static INT_U16 text_size(const WM_STYLE_SET* style, const char* text, INT_U16* out_width,
                        INT_U16* out_height);

  TYPED_VALUE text;
  TYPED_VALUE flashing_text;  // empty = no flashing
  INT_U8 flash_showing = 0;
  COLOUR text_colour = 0;
  COLOUR underline_colour = 0;
  COLOUR back_colour = 0;
  COLOUR fading_colour = 0xFF000000u;
  COLOUR flashing_back_colour = 0;
  COLOUR flashing_text_colour = 0;
  INT_U8 draw_background = 1;
  INT_U8 font = 255;
  INT_S16 font_w = -1, font_h = -1;
  INT_S16 left_gap = 0, right_gap = 0, top_gap = 0, bottom_gap = 0;
  INT_S16 x_spacing = 0, y_spacing = 0;
  INT_U32 label_flags = 0;
  INT_U16 border_mask = 15;
  INT_U8 flash_mask = 32;
  WM_SCREEN_OBJECT* input_target = nullptr;  // not owned
  IMAGE icon;
  SKIN_FRAME up_frame{&wm_skin_cache};
  SKIN_FRAME flashing_frame{&wm_skin_cache};

 protected:
  void init(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, const char* text, INT_U8 font,
            INT_S16 font_w, INT_S16 font_h, const COLOUR* text_colour,
            const COLOUR* back_colour, INT_S16 left_gap, INT_S16 right_gap, INT_S16 top_gap,
            INT_S16 bottom_gap, INT_S16 x_spacing, INT_S16 y_spacing);
};

#endif
