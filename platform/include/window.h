// The X display, the one top-level window, and the presentation of the screen
// image in it (XPutImage, or an OpenGL context when one was made).
#ifndef ZORV_WINDOW_H
#define ZORV_WINDOW_H

#include "zorv_types.h"

class IMAGE;

struct WINDOW_REQUEST {
  const char* title;      // null = empty
  INT_S16 width, height;  // -1 = the desktop's size
  INT_U8 full_screen;
  INT_U16 min_width, max_width, min_height, max_height;  // 65535 = no limit
  INT_U8 undecorated;
};

bool open_window(const WINDOW_REQUEST* request, INT_U16 display);
void close_window(INT_U16 display);  // 0, or 65535 for all
bool open_graphics(const char* title, INT_U16 width, INT_U16 height, INT_U8 full_screen, INT_S16 display);
INT_U32 close_graphics(INT_S16 display);
INT_U32 close_graphics_all(INT_S16 display);
bool is_window_open(INT_U16 display);
INT_S32 has_window();
IMAGE* get_screen_image(INT_U16 display);
INT_U16 get_screen_width(INT_U16 display);
INT_U16 get_screen_height(INT_U16 display);
INT_U8 is_full_screen();
// Presents the screen image when it has a dirty rectangle (display 0 or -1),
// at most once per fixed frame interval of 16 ms: a frame asked for sooner is
// shown by the pump or the next present once its turn has come.
void swap_screens(INT_S16 display);
// Shows at once a frame that is waiting for its turn (before the program
// looks at its own window, or when it is about to rest).
void present_pending_frame();
// Shows a frame waiting for its turn once its turn has come, with what a
// layer left undrawn for it. Work that runs longer than a frame interval
// calls it between its steps, so a frame asked for before the work does not
// wait for its end.
void present_due_frame();
// Draws what a layer left undrawn and shows it at once with any frame that
// waits: for work that blocks at once (a message box, a program run).
void present_frame_before_blocking();
// Whether a frame drawn now would be shown without waiting for a later one:
// no paced window, a frame already waiting or asked for, or the display's
// interval since the last frame has passed.
bool frame_goes_out_now();
// Set by a layer that leaves its drawing for the frame that goes out (the
// window manager while the program works flat out): draws what was left and
// presents it when a frame may go out. present_due_frame and
// present_frame_before_blocking run it. Null while no layer leaves drawing.
extern void (*deferred_frame_drawer)();
void set_window_title(const char* text, INT_U16 display);
// Releases the full-screen grabs (so that another program can take input).
void release_input_grabs();
// Closes the display connection when it is open.
void close_display();
// The desktop's size; false while no display is open.
bool get_desktop_size(INT_S16* width, INT_S16* height);
// The least room a window of the request takes on the desktop: its minimum
// size with the frame of a decorated window.
void get_window_room(const WINDOW_REQUEST* request, INT_S32* width, INT_S32* height);

bool create_gl_context();
void release_gl_context();
bool has_gl_context();
void request_gl_redraw(INT_U8 force);
// Set when the server refused to bind a GL context to the window's visual.
extern INT_U8 gl_context_mismatch;

// The undecorated "Please Wait" window, exactly the picture's size.
void show_please_wait(IMAGE* picture);

#endif
