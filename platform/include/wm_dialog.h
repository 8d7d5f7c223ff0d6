// Dialogs: a pop-up with a frame (style-painted or skinned), an optional
// caption and a client area that holds all content. Dragged by the caption or
// the bare frame; fades and slides when it opens and closes. Also the dialog
// module's globals: the default effects and the three default style sets.
#ifndef WM_DIALOG_H
#define WM_DIALOG_H

#include "image.h"
#include "skin_frame.h"
#include "style_set.h"
#include "wm_manager.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_SCRIPT;

// Effect bits of DIALOG_EFFECTS::flags.
enum : INT_U32 {
  DIALOG_FADE_IN = 0x1,         // opacity rises from 0
  DIALOG_FADE_OUT = 0x2,        // opacity falls to 0
  DIALOG_FADE_DOWN = 0x4,       // between two non-zero opacities, falling
  DIALOG_FADE_UP = 0x8,         // between two non-zero opacities, rising
  DIALOG_SLIDE_OPEN = 0x10,
  DIALOG_SLIDE_CLOSE = 0x20,
  DIALOG_SLIDE_TOP = 0x40,
  DIALOG_SLIDE_LEFT = 0x80,
  DIALOG_SLIDE_BOTTOM = 0x100,  // ignored with DIALOG_SLIDE_TOP
  DIALOG_SLIDE_RIGHT = 0x200,   // ignored with DIALOG_SLIDE_LEFT
  DIALOG_SLIDE_SCREEN_EDGE = 0x400
};

struct DIALOG_EFFECTS {
  INT_U32 flags;           // low 16 bits used
  INT_U32 open_delay;      // ms of a fade from or to 0, and of every slide
  INT_U32 display_delay;   // ms of a fade between two non-zero opacities
  INT_U32 dragging_alpha;  // opacity while dragged, low 8 bits used
};

// The effects of every dialog built without its own (the skin loader and the
// installation database replace them).
extern DIALOG_EFFECTS wm_dialog_effects;
// 1: a dragged dialog follows the pointer; 0: an XOR outline does and the
// dialog moves on release.
extern INT_U8 wm_dialog_live_drag;

// The default frame, caption and button style sets, built on first use and
// kept to the end of the process. WM_DIALOG::init_default_styles gives them
// their built-in look once; the skin loader copies loaded styles over them.
WM_STYLE_SET& wm_get_dialog_background_style();
WM_STYLE_SET& wm_get_dialog_title_style();
WM_STYLE_SET& wm_get_dialog_button_style();
#define wm_dialog_background_style (wm_get_dialog_background_style())
#define wm_dialog_title_style (wm_get_dialog_title_style())
#define wm_dialog_button_style (wm_get_dialog_button_style())
extern INT_U8 wm_dialog_styles_ready;

class WM_DIALOG : public WM_SCREEN_OBJECT {
 public:
  // Null styles mean the default style sets, null effects wm_dialog_effects.
  // x or y -1 centres the dialog on display 0. A null title makes no
  // caption; "" makes an empty one.
  WM_DIALOG(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const char* title,
            const WM_STYLE_SET* style = nullptr, const WM_STYLE_SET* title_style = nullptr,
            const WM_STYLE_SET* button_style = nullptr, const DIALOG_EFFECTS* effects = nullptr);
  // The default style sets with single colours replaced: a colour pointer
  // that is null or holds alpha 0 keeps the default. Never skinned.
  WM_DIALOG(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const char* title,
            const COLOUR* frame_bg, const COLOUR* frame_fg, const COLOUR* caption_bg,
            const COLOUR* caption_fg, const COLOUR* button_bg, const COLOUR* button_fg,
            const COLOUR* button_highlight, const COLOUR* button_highlight_text, INT_U8 visible,
            const DIALOG_EFFECTS* effects);
  ~WM_DIALOG() override;

  void hide(INT_U8 popups, INT_U8 children) override;
  INT_S32 handle_input() override;
  INT_S32 update(INT_U8 popups) override;
  void set_position(INT_S16 new_x, INT_S16 new_y) override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  void add_child(WM_SCREEN_OBJECT* child, INT_U8 relative) override;
  void remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative) override;
  // A dialog never takes the focus itself; only its content does.
  INT_U8 can_focus() override { return 0; }
  // The resting position, also during a slide.
  INT_S16 get_x() override { return opening ? to_x : from_x; }
  INT_S16 get_y() override { return opening ? to_y : from_y; }
  void render() override;
  void draw() override;

  virtual INT_U8 is_over_caption(INT_S16 px, INT_S16 py);
  virtual void set_title(const char* text);
  // "" without a caption; null when the caption holds no text.
  virtual const char* get_title();

  // Built-in looks of the three default style sets, once per process.
  static void init_default_styles();

  // Distance from the dialog's top to its client area.
  INT_U16 caption_height();

  // Transitions: opacity, the opening (1) or closing (0) slide, and both for
  // closing; with `immediate` set they take effect at once.
  virtual void set_fade(INT_U8 new_alpha);
  virtual void start_transition(INT_U8 open);
  void close(INT_U8 destroy);

  INT_U8 set_frame_skin(const char* folder, const char* name, const WM_STYLE_SET* skin_style);
  INT_U8 set_frame_skin(FOLDER* folder, const char* name, const WM_STYLE_SET* skin_style);
  INT_U8 has_frame_skin() { return frame_skin.is_valid(); }
  void release_frame_skin() { frame_skin.release(); }
  void draw_caption();

  bool is_on_drag_area(INT_S16 px, INT_S16 py);
  void draw_drag_outline(INT_S16 ox, INT_S16 oy);

  INT_U8 dragging;
  WM_STYLE_SET style;
  WM_STYLE_SET title_style;
  WM_STYLE_SET button_style;
  WM_SCRIPT* caption;  // owned child; null = no title
  INT_S16 drag_dx, drag_dy;
  INT_S16 outline_x, outline_y;
  WM_MANAGER* client_area;  // owned child holding all content
  INT_U8 draggable;
  INT_U8 button_was_down;
  INT_U8 step_due;
  SKIN_FRAME frame_skin;
  DIALOG_EFFECTS effects;
  INT_U32 transition_ms, transition_start;  // start 0 = not started yet
  INT_U8 delete_when_closed;  // the update returns WM_ACTION_DELETE once closed
  INT_U8 immediate;           // set around a transition call: no fade, no slide
  INT_U8 alpha, start_alpha, target_alpha;
  IMAGE blend_image;
  INT_S16 from_x, from_y, to_x, to_y;
  INT_U8 opening;

 protected:
  // Cuts a dialog larger than its screen to the screen, at that axis's 0.
  void fit_to_screen();
  // The floating menu's focus test (its grid holds the focus in a fully
  // visible row); no other dialog keeps the focus that way.
  virtual INT_U8 menu_holds_focus() { return 0; }

 private:
  void init(INT_S16 x, INT_S16 y, INT_S16 w, INT_S16 h, const char* title,
            const DIALOG_EFFECTS* effects);
  void apply_style_skin();
  INT_S16 client_width() const;
  INT_S16 client_height();
  void layout();
  void settle_slide();
  void shift_slide_start(INT_S16 new_width, INT_S16 new_height);
  // A closing transition was asked for and the dialog has not been hidden
  // since: its first render must not open it again.
  INT_U8 close_pending = 0;

  INT_U8 fade_running() const { return alpha != target_alpha; }
  INT_U8 slide_running() const { return x != to_x || y != to_y; }
};

#endif
