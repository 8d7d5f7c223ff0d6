// Progress bar: an integer value against a maximum, drawn as a filled and a
// remaining part with a centred percentage (or a caller's title) and an
// optional label, skinned or flat. The full part's overlays scroll while the
// bar is shown. `pump` keeps the window alive while long work runs inside one
// frame: an animation step every call, one platform frame per wall second.
#ifndef WM_PROGRESS_H
#define WM_PROGRESS_H

#include "colour.h"
#include "skin_frame.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_STYLE_SET;

// Drawing flags.
enum : INT_U8 {
  PB_FLAG_NO_BORDER = 1,
  PB_FLAG_NO_RESIZE = 2,
  PB_FLAG_ONLY_BAR = 4,
  PB_FLAG_VERTICAL = 8,
  PB_FLAG_NO_SHADING = 16,
  PB_FLAG_TEXT_ON_BAR = 32,
  PB_FLAG_REMAINING_TEXT = 64
};

// A percentage text needs at most 12 bytes ("-2147483648%"); the buffers
// hold more.
enum { PB_TEXT_SIZE = 16 };

class WM_PROGRESS_BAR : public WM_SCREEN_OBJECT {
 public:
  WM_PROGRESS_BAR(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const char* label, INT_S32 maximum,
                  const WM_STYLE_SET* style);
  ~WM_PROGRESS_BAR() override;

  void init(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const char* label, INT_S32 maximum,
            const COLOUR* background, const COLOUR* label_colour, const COLOUR* fill,
            INT_U8 flags, INT_U8 font, INT_U16 font_width, INT_U16 font_height,
            INT_U16 gap_left, INT_U16 gap_right, INT_U16 gap_top, INT_U16 gap_bottom);
  bool load_images(const char* folder_path, const char* base_name, const WM_STYLE_SET* style);
  bool load_images(FOLDER* folder, const char* base_name, const WM_STYLE_SET* style);
  bool has_skin() const;
  // Releases the background, empty and full frames; the alt frame stays.
  void release_images();
  // Null clears the title, so the percentage shows again.
  void set_title(const char* title, INT_U8 repaint_now);
  void pump();
  void animate();

  // The text on the bar: the title, else the percentage formatted into
  // buffer (PB_TEXT_SIZE bytes). With no range the bar counts as full.
  const char* main_text(char* buffer) const;
  // The remaining percentage into buffer; "0%" with no range.
  void remaining_text(char* buffer) const;

  // Where the parts lie, from the rectangle, the label and the value.
  struct GEOMETRY {
    INT_S32 left, top, right, bottom;  // the trough, inclusive
    INT_S32 iw, ih;                    // its inner extent
    INT_S32 bw;                        // border width of the parts
    INT_S32 f;                         // filled length (horizontal)
    INT_S32 o;                         // boundary below the trough top (vertical)
  };
  GEOMETRY geometry();
  // The boxes (x1, y1, x2, y2) of the main and remaining texts placed on the
  // bar (flag 32), for a main text tw pixels wide.
  void text_boxes(const GEOMETRY& g, INT_S32 tw, INT_S32 main_box[4],
                  INT_S32 remaining_box[4]) const;

  INT_S32 update(INT_U8 popups) override;
  INT_U8 can_focus() override { return 0; }
  void draw() override;

  char* label;  // owned; null = none (always for a vertical bar)
  char* title;  // owned; null = the percentage
  INT_S32 maximum;
  INT_S32 value;  // written by the owner; drawn as if clamped to 0..maximum
  COLOUR background_colour;
  COLOUR label_colour;
  COLOUR fill_colour;
  COLOUR text_colour;
  COLOUR remaining_colour;
  COLOUR remaining_text_colour;
  INT_U8 font;
  INT_U16 font_width, font_height;
  INT_U16 gap_left, gap_right, gap_top, gap_bottom;
  INT_U8 flags;
  INT_U32 last_x_step_ms, last_y_step_ms;
  INT_S16 animation_x_rate, animation_y_rate;  // ms per pixel; sign = direction; 0 = still
  INT_S16 animation_update_rate;               // least ms between two steps
  SKIN_FRAME background_frame, empty_frame, full_frame, alt_frame;
};

// The percentage text "<n>%" into out, which holds PB_TEXT_SIZE bytes; cut,
// never overrun, whatever n is.
void format_percentage(char* out, INT_S64 percent);

// Seams: what `pump` and `set_title` run, the real calls by default. Tests
// count frames without a window; the program never changes them.
extern void (*progress_update_platform)();
extern void (*progress_swap_screens)(INT_S16 display);
// The wall second of the last platform frame run by any bar (0 at start).
extern INT_S64 progress_last_pump_second;

#endif
