// The page manager: the window manager's frame driver and the owner of the
// pages of each page area, with their history of at most 20 records.
#ifndef PAGE_MANAGER_H
#define PAGE_MANAGER_H

#include "image.h"
#include "wm_manager.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class PAGE_MANAGER;

// Page action codes acted on by PAGE_MANAGER::update.
enum {
  PAGE_ACTION_END = -1,
  PAGE_ACTION_CLOSE_DIALOGS = 3,
  PAGE_ACTION_REBUILD = 5,
  PAGE_ACTION_REBUILD_ALL = 6,
  PAGE_ACTION_REBUILD_CLOSE_POPUPS = 7,
  PAGE_ACTION_REBUILD_ALL_CLOSE_POPUPS = 8,
  PAGE_ACTION_CLOSE_POPUPS = 9,
  PAGE_ACTION_SWITCH = 10,
  PAGE_ACTION_CROSS_FADE = 11,
  PAGE_ACTION_FADE_IN = 12,
  PAGE_ACTION_COLOUR_IN = 13,
  PAGE_ACTION_BLACK_OUT_FADE_IN = 14,
  PAGE_ACTION_GREY_OUT_COLOUR_IN = 15,
  PAGE_ACTION_FADE_TO_BLACK = 16,
  PAGE_ACTION_FADE_TO_GREY = 17
};

typedef void (*PAGE_BUILD)(PAGE_MANAGER* manager);
typedef void (*PAGE_RELEASE)(INT_WORD* data);
typedef INT_S32 (*PAGE_PROCESS)();
typedef INT_U8 (*PAGE_COMPARE)(INT_WORD a, INT_WORD b);
typedef void (*PAGE_LEAVE)();

struct PAGE_RECORD {
  PAGE_BUILD build;
  PAGE_RELEASE release;
  PAGE_PROCESS process;
  PAGE_COMPARE compare;
  PAGE_LEAVE leave;
  INT_WORD data;
  INT_U8 keep;
  INT_U32 stamp;

  // Drops the page (calling `release` first when asked and set) and gives
  // the record a fresh stamp, which is returned.
  INT_U32 clear(INT_U8 call_release);
  static INT_U8 equals(const PAGE_RECORD* a, const PAGE_RECORD* b);
};

enum { PAGE_HISTORY_SIZE = 20 };

struct PAGE_AREA {
  WM_MANAGER manager;  // first, so an area is handed around as its root object
  PAGE_RECORD history[PAGE_HISTORY_SIZE];
  PAGE_RECORD pending;
  INT_S32 current;
  INT_S32 count;
  INT_S32 go_back;
  INT_U8 reset_requested;
  INT_U8 rebuild_requested;
  INT_U8 rebuild_next_frame;

  PAGE_AREA();
  ~PAGE_AREA();
  void reset();
};

enum { WM_DISPLAY_COUNT = 64 };

class PAGE_MANAGER {
 public:
  PAGE_MANAGER(INT_U16 area_count, INT_S32 key_queue_size);
  ~PAGE_MANAGER();
  PAGE_MANAGER(const PAGE_MANAGER&) = delete;
  PAGE_MANAGER& operator=(const PAGE_MANAGER&) = delete;

  // Requests and acceptance.
  void request_page(INT_S32 area, PAGE_BUILD build, PAGE_RELEASE release, INT_WORD data,
                    PAGE_PROCESS process, INT_U8 keep, INT_U32 stamp, PAGE_LEAVE leave);
  void accept_page(INT_S32 area);
  void switch_pages(INT_S32 area);
  void build_page(PAGE_RECORD* record);
  void leave_all_pages();

  // The frame.
  INT_S32 update(INT_U8 present);
  void redraw();
  // The frame's drawing: the dirty rectangles when the frame goes out
  // (wm_frame_goes_out), else they wait for a frame that does.
  void draw_frame();
  void close_dialogs(INT_U8 immediate);
  WM_SCREEN_OBJECT* object_at(INT_S16 px, INT_S16 py);
  // A widget's pointer shape for this frame (kind 0-6): kept when shapes are
  // in use and the platform took it; the frame's end applies it.
  void set_cursor_shape(INT_U8 kind);

  // Focus traversal.
  INT_U8 focus_next();
  INT_U8 focus_previous();
  INT_U8 focus_area_forward();
  INT_U8 focus_area_backward();
  void focus_walk(WM_SCREEN_OBJECT* object, INT_U8* passed, WM_SCREEN_OBJECT** first,
                  WM_SCREEN_OBJECT** last, WM_SCREEN_OBJECT** before, WM_SCREEN_OBJECT** after);

  // History.
  INT_U8 can_go_back(INT_S32 area);
  INT_U8 can_go_forward(INT_S32 area);
  INT_WORD get_page_data(INT_S32 index, INT_S32 area);
  INT_U8 has_page_data(INT_WORD data);
  void go_to_page(INT_S32 index, INT_S32 area);
  void go_back(INT_S32 area);
  void go_forward(INT_S32 area);
  void remove_page(INT_S32 index, INT_S32 area);
  void clear_history(INT_S32 area);

  WM_MANAGER* current_manager;
  IMAGE backgrounds[WM_DISPLAY_COUNT];
  PAGE_AREA* areas;
  INT_S16 area_count;
  INT_S16 current_area;
  INT_U8 fade_in_first_page;
  INT_U32 transition_time;
  INT_S16 pointer_override_x, pointer_override_y;
  INT_U8 pointer_override_button;
  INT_U16 last_screen_width, last_screen_height;
  INT_U8 frame_cursor_kind;

 private:
  void select_area(INT_S32 area);
  void rebuild_area(INT_S32 area, INT_U8 delete_popups);
  void act_on_switch(INT_S32 code, INT_S32 area);
  void drop_record(PAGE_RECORD* record);
  PAGE_AREA* area_for(INT_S32 area);
  void walk_roots(INT_U8* passed, WM_SCREEN_OBJECT** first, WM_SCREEN_OBJECT** last,
                  WM_SCREEN_OBJECT** before, WM_SCREEN_OBJECT** after);
  INT_U8 focus_area(INT_U8 forward);
};

// Page transitions (codes 11 to 17), in transitions.cpp.
void fade_to_grey(PAGE_MANAGER* manager);
void fade_to_black(PAGE_MANAGER* manager);
void switch_colour_in(PAGE_MANAGER* manager, INT_S32 area);
void switch_fade_in(PAGE_MANAGER* manager, INT_S32 area);
void switch_cross_fade(PAGE_MANAGER* manager, INT_S32 area);
void switch_grey_out_colour_in(PAGE_MANAGER* manager, INT_S32 area);
void switch_black_out_fade_in(PAGE_MANAGER* manager, INT_S32 area);

// The hook the program entry calls once after the main loop.
void shutdown_page_manager();
// The rectangle menus keep inside, inclusive.
void get_menu_bounds(INT_S16* x1, INT_S16* y1, INT_S16* x2, INT_S16* y2);
// Busy cursor and other shapes asked for through the page manager.
INT_U8 set_page_cursor(INT_U8 kind);

// Whether the frame being made is shown, so that drawing for it is needed
// now. Only a program that works flat out (idle wait 0) leaves its drawing
// for later: its next frame comes at once, and a display that showed a frame
// within its interval takes no other before then. Each frame that goes out
// shows the latest state; the frames in between draw nothing.
INT_U8 wm_frame_goes_out();
// Draws what the frames in between left and presents it, once a frame may go
// out; for work that blocks the frame loop longer than a frame.
void wm_present_deferred_frame();

#endif
