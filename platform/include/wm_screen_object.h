// The base of everything the window manager shows: a rectangle in the global
// display space with owned children, a layer, kind flags and callbacks. Also
// the pop-up list operations, the action codes and the dirty-rectangle list.
#ifndef WM_SCREEN_OBJECT_H
#define WM_SCREEN_OBJECT_H

#include "colour.h"
#include "lists.h"
#include "zorv_types.h"

class WM_SCREEN_OBJECT;

// Action codes returned by callbacks, ticks and input passes. Page action
// codes (3, 5 to 17, -1) are in page_manager.h.
enum {
  WM_ACTION_NONE = 0,
  WM_ACTION_HANDLED = 1,
  WM_ACTION_CLOSE = 2,
  WM_ACTION_DELETE = 4
};

// When the own click callback fires.
enum { CLICK_ON_PRESS = 0, CLICK_ON_RELEASE = 1, CLICK_ON_BOTH = 2 };

// Kind flags; a class keeps the bits of its bases.
enum : INT_U32 {
  WM_KIND_MANAGER = 0x1,
  WM_KIND_BUTTON = 0x2,
  WM_KIND_MENU = 0x4,
  WM_KIND_IMAGE = 0x8,
  WM_KIND_SCRIPT = 0x10,
  WM_KIND_DIALOG = 0x20,
  WM_KIND_ABOUT = 0x40,
  WM_KIND_SCROLLBAR = 0x80,
  WM_KIND_FILE_SELECT = 0x200,
  WM_KIND_GRID = 0x1000,
  WM_KIND_LIST_BOX = 0x2000,
  WM_KIND_CONFIRM = 0x4000,
  WM_KIND_TEXT_EDIT = 0x8000,
  WM_KIND_TEXT_WIN = 0x10000,
  WM_KIND_PROGRESS_BAR = 0x20000,
  WM_KIND_FLOATING_MENU = 0x400000,
  WM_KIND_TEXT_EDIT_DIALOG = 0x4000000
};

typedef INT_S32 (*WM_ACTION_CALLBACK)(WM_SCREEN_OBJECT* object, INT_WORD arg1, INT_WORD arg2);
typedef void (*WM_FOCUS_CALLBACK)(WM_SCREEN_OBJECT* object, INT_WORD arg);
typedef void (*WM_OBJECT_HOOK)(WM_SCREEN_OBJECT* object, INT_WORD arg);

class WM_SCREEN_OBJECT {
 public:
  WM_SCREEN_OBJECT(INT_U8 visible, WM_ACTION_CALLBACK action_callback, INT_WORD action_arg1,
                   INT_WORD action_arg2);
  WM_SCREEN_OBJECT(const WM_SCREEN_OBJECT&) = delete;
  WM_SCREEN_OBJECT& operator=(const WM_SCREEN_OBJECT&) = delete;

  // The virtual operations, in slot order.
  virtual ~WM_SCREEN_OBJECT();
  virtual void show();
  virtual void hide(INT_U8 popups, INT_U8 children);
  virtual INT_S32 handle_input();
  virtual INT_S32 update(INT_U8 popups);
  virtual INT_U8 is_over(INT_S16 px, INT_S16 py);
  virtual INT_U8 contains(INT_S16 px, INT_S16 py);
  virtual INT_U8 is_over_child(INT_S16 px, INT_S16 py);
  virtual WM_SCREEN_OBJECT* object_at(INT_S16 px, INT_S16 py);
  virtual void set_position(INT_S16 new_x, INT_S16 new_y);
  virtual void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too);
  virtual void set_layer(INT_S16 new_layer);
  virtual void add_child(WM_SCREEN_OBJECT* child, INT_U8 relative);
  virtual void remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative);
  virtual INT_U8 can_focus();
  virtual void take_focus();
  virtual void set_state(INT_U8 new_state);
  virtual INT_S16 get_x();
  virtual INT_S16 get_y();
  virtual INT_S16 get_width();
  virtual INT_S16 get_height();
  virtual void render();
  virtual void render_popups();
  virtual void draw();

  // Children.
  void release_children(INT_U8 popups_too, INT_WORD ignored, INT_U8 children_too);
  WM_SCREEN_OBJECT* child_at(INT_S16 n);

  // Pop-ups opened by (or closed for) this object.
  void add_popup(WM_SCREEN_OBJECT* popup, INT_U8 relative);
  void remove_popup(WM_SCREEN_OBJECT* popup, INT_U8 destroy, INT_U8 relative);

  // Invalidation and immediate repaint.
  void invalidate();
  void invalidate_rect(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2);
  void invalidate_display();
  INT_U8 meets_dirty_rect();
  void redraw_area();

  // The border painter (border_painter.cpp) and its thickness per shading type.
  void draw_border(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2, INT_U16 mask,
                   const COLOUR* base_colour, INT_U32 shading_type, INT_S16 radius);
  INT_U16 border_width(INT_U32 shading_type);

  // Lets go of the keyboard focus (its focus callback is told of the loss,
  // with no object holding the focus) and of a pointer press on it. A class
  // that can take the focus calls it first in its destructor: from the base
  // destructor the callback would get an object whose own parts are gone.
  void release_focus();

  // The object whose child list holds this one, or null.
  WM_SCREEN_OBJECT* get_parent() const { return parent_; }

  INT_S16 x, y;
  INT_S16 width, height;
  INT_U8 state;
  INT_U8 visible;
  INT_U8 needs_redraw;
  INT_U8 drawn;
  INT_U8 not_owned;
  COLOUR colour;
  PTRLLIST children;
  INT_S16 layer;
  INT_U32 kind;
  INT_U32 shading_type;
  WM_ACTION_CALLBACK action_callback;
  WM_ACTION_CALLBACK click_callback;
  INT_U32 click_mode;
  INT_WORD action_arg1, action_arg2;
  INT_WORD click_arg1, click_arg2;
  INT_U8 activate_key_state;
  WM_FOCUS_CALLBACK focus_callback;
  INT_WORD focus_arg;
  INT_U8 focusable;

 private:
  INT_S32 own_click();
  void unlink_child(WM_SCREEN_OBJECT* child);
  WM_SCREEN_OBJECT* parent_;
};

// Pop-up list queries.
WM_SCREEN_OBJECT* find_popup(INT_U32 mask);
INT_U8 is_popup(const WM_SCREEN_OBJECT* object);
INT_S16 get_top_popup_layer();
INT_U16 count_visible_popups();

// Dirty rectangles: an inclusive screen rectangle, -1 in a field = unset.
struct DIRTY_RECT {
  INT_S16 top, left, right, bottom;
};
enum { WM_MAX_DIRTY_RECTS = 128 };

void add_screen_dirty_rect(WM_SCREEN_OBJECT* object, INT_S16 x1, INT_S16 y1, INT_S16 x2,
                           INT_S16 y2);
INT_U8 is_dirty_rect_active();
void redraw_screen(INT_S16 display);

#endif
