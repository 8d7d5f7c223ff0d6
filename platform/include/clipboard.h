// The clipboard (the CLIPBOARD selection) and the pointer's shape over the
// window.
#ifndef ZORV_CLIPBOARD_H
#define ZORV_CLIPBOARD_H

#include "zorv_types.h"

class MOUSE;

// Keeps a private copy of the text and offers it to other X clients; null
// drops the copy.
void set_clipboard_text(const char* text);
// Copies the clipboard text, always terminated, into buffer (at most size
// bytes, terminator included). Size 0 writes nothing and answers 0.
bool get_clipboard_text(char* buffer, INT_U32 size);
bool has_clipboard_text();
// Frees the private copy (the end of the program).
void free_clipboard_text();

// Cursor kinds: 0 the window's default, 1 to 6 shapes of the X cursor font,
// 255 undefine and free them all. Defer: remember the kind without showing it.
bool set_cursor(INT_U8 kind, INT_U8 defer);
bool show_cursor(MOUSE* handle, INT_U8 show);
void warp_pointer(MOUSE* handle, INT_S16 x, INT_S16 y);

#endif
