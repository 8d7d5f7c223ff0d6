// Keyboard and pointer: the one global input state that the frame pump fills
// and every widget reads, and the KEYBOARD and MOUSE handles through which it
// is reached.
//
// Key codes are the classic X keycode numbers (9 Escape, 23 Tab, 36 Return,
// 37/109 Ctrl, 50/62 Shift, 97 Home, 98 Up, 99 Prior, 100 Left, 102 Right,
// 103 End, 104 Down, 105 Next, 106 Insert, 107 Delete, 108 keypad Enter ...),
// whatever numbering the X server uses: the platform translates each server
// keycode through its key symbol.
#ifndef ZORV_INPUT_H
#define ZORV_INPUT_H

#include "zorv_types.h"

// The key codes the window manager and the widgets act on.
enum : INT_S32 {
  KEYCODE_ESCAPE = 9,
  KEYCODE_TAB = 23,
  KEYCODE_RETURN = 36,
  KEYCODE_CONTROL_LEFT = 37,
  KEYCODE_SHIFT_LEFT = 50,
  KEYCODE_SHIFT_RIGHT = 62,
  KEYCODE_HOME = 97,
  KEYCODE_UP = 98,
  KEYCODE_PAGE_UP = 99,
  KEYCODE_LEFT = 100,
  KEYCODE_RIGHT = 102,
  KEYCODE_END = 103,
  KEYCODE_DOWN = 104,
  KEYCODE_PAGE_DOWN = 105,
  KEYCODE_DELETE = 107,
  KEYCODE_CONTROL_RIGHT = 109
};

struct KEYBOARD_STATE {
  INT_U8* queue = nullptr;     // typed characters, oldest at index 0
  INT_S32 capacity = 0;        // bytes in queue
  INT_S32 last_index = -1;     // index of the newest character; -1 = empty
  INT_U16 handle_count = 0;    // live KEYBOARD handles
  INT_S32 last_keycode = 0;    // latest key press; 0 = none since taken
  INT_U8 last_char = 0;        // latest translated character, queued or not
  INT_U32 last_key_time = 0;   // time() of the latest key or character
  INT_U8 chars_taken = 0;      // pop_char ran since the frame pump last asked
  INT_U8 char_table[256] = {}; // character code -> queued byte (identity)
  constexpr KEYBOARD_STATE() {
    for (int i = 0; i < 256; ++i) char_table[i] = static_cast<INT_U8>(i);
  }
};

struct MOUSE_STATE {
  INT_S16 x = -1, y = -1;         // window coordinates; -1, -1 = unknown/outside
  INT_U32 buttons = 0;            // bit n-1: library button n (1 left, 2 right, 3 middle)
  INT_S32 wheel = 0;              // +1 per step up, -1 per step down; readers reset it
  INT_U16 button_count = 0;
  INT_U32 last_mouse_time = 0;    // time() of the latest pointer or button event
  INT_U32 last_button_time = 0;   // any button: latest event and the interval before it
  INT_U32 button_interval = 0;
  INT_U32 press_time = 0;         // button 1 presses
  INT_U32 press_interval = 0;
  INT_U32 release_time = 0;       // button 1 releases
  INT_U32 release_interval = 0;
  INT_U8 pointer_shown = 1;
};

extern KEYBOARD_STATE keyboard_state;
extern MOUSE_STATE mouse_state;
// One bit per classic keycode, as read at the end of the last frame.
extern INT_U8 key_map[32];

class KEYBOARD {
 public:
  KEYBOARD();
  ~KEYBOARD();
  KEYBOARD(const KEYBOARD&) = delete;
  KEYBOARD& operator=(const KEYBOARD&) = delete;

  static INT_S32 take_key();
  static INT_U8 pop_char();
  // Line editor over the typed characters. Results: 1 the callback asked to
  // stop, 2 the line ended, 3 no input (without wait), 4 one character handled
  // (without wait). callback(kind 0 = waiting / 1 = changed, buffer, arg).
  static INT_U32 read_line(INT_U8 wait, INT_U16* length, INT_U8* buffer, INT_S16 size,
                           INT_U8 (*callback)(INT_U32 kind, INT_U8* buffer, INT_WORD arg),
                           INT_WORD arg);
  static void key_down(INT_S32 keycode);
  static void char_event(INT_S32 code);
  static void resize_queue(INT_S32 n);
  // Empties the queue: what was typed before a reader came is not for it.
  static void discard_chars();
  // Whether a queue exists and has no room for one more character.
  static bool queue_full();
  // Whether anybody took characters (pop_char ran, also on an empty queue)
  // since the last call; the frame pump asks once a frame.
  static bool characters_taken();
  // 1 when the key was down at the end of the last frame and the window
  // held the input focus then.
  static INT_U32 is_key_down(INT_S32 keycode);
  static void begin_text_entry() {}
  static void end_text_entry() {}
};

class MOUSE {
 public:
  MOUSE();
  ~MOUSE() {}
  static void button_event(INT_U16 button, INT_U8 pressed);
  void hide_pointer();
  void show_pointer();
};

// The program's frame (the main loop's update_installer), in which widgets
// look at the input state once. A frame pump run from inside it (for a
// pointer shape that changed, or while waiting) leaves button presses and
// releases and the keys that act by their code to the loop's own next pump:
// the frame may have looked already, and a second change before it looks
// again would never be seen.
void begin_program_frame();
void end_program_frame();
bool in_program_frame();

const char* get_key_name(KEYBOARD* handle, INT_U8 keycode, INT_U8 upper);
INT_U8 get_key_char(KEYBOARD* handle, INT_U8 keycode, INT_U8 upper);
INT_U32 get_last_key_time();
// time() of the latest pointer or button event.
INT_U32 get_last_mouse_time();
void to_upper_in_place(char* text);
INT_U32 get_mouse_button_count();

// The platform's global handles (built before main); they keep the typed
// character queue alive for the whole run.
KEYBOARD* global_keyboard();
MOUSE* global_mouse();

// Keycode translation between the X server's numbering and the classic one.
// `keysyms` holds (max_keycode - min_keycode + 1) x per_code key symbols, as
// XGetKeyboardMapping returns them. A key whose symbol has a classic number
// gets it; a key without one keeps its server number when that lies above the
// classic range, and is otherwise moved to a free number above it, so that it
// never poses as another key. Before any map is built the translation is the
// identity.
void build_keycode_map(const unsigned long* keysyms, int min_keycode, int max_keycode, int per_code);
void reset_keycode_map();
INT_U8 classic_from_server_keycode(unsigned server_keycode);
unsigned server_from_classic_keycode(INT_U8 classic);
// The classic number of a key symbol; 0 when it has none.
INT_U8 classic_keycode_of_keysym(unsigned long keysym);
// Translates a server key map (32 bytes, XQueryKeymap) into classic numbering.
void translate_key_map(const char server_map[32], INT_U8 out[32]);

#endif
