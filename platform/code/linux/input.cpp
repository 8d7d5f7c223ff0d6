// Keyboard and pointer state, the typed-character queue, the line editor and
// the translation of server keycodes into the classic numbering.
#include "input.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "clipboard.h"
#include "clock.h"
#include "x11_platform.h"

KEYBOARD_STATE keyboard_state;
MOUSE_STATE mouse_state;
INT_U8 key_map[32];

static INT_U32 now_seconds() { return static_cast<INT_U32>(time(nullptr)); }

static INT_U32 program_frame_depth = 0;

void begin_program_frame() { ++program_frame_depth; }
void end_program_frame() {
  if (program_frame_depth > 0) --program_frame_depth;
}
bool in_program_frame() { return program_frame_depth > 0; }

// ---------------------------------------------------------------- keyboard

KEYBOARD::KEYBOARD() {
  if (!keyboard_state.queue) resize_queue(10);
  ++keyboard_state.handle_count;
}

KEYBOARD::~KEYBOARD() {
  if (keyboard_state.handle_count > 0) --keyboard_state.handle_count;
  if (keyboard_state.handle_count == 0) {
    free(keyboard_state.queue);
    keyboard_state.queue = nullptr;
    keyboard_state.capacity = 0;
    keyboard_state.last_index = -1;
  }
}

INT_S32 KEYBOARD::take_key() {
  INT_S32 key = keyboard_state.last_keycode;
  keyboard_state.last_keycode = 0;
  return key;
}

INT_U8 KEYBOARD::pop_char() {
  KEYBOARD_STATE& k = keyboard_state;
  k.chars_taken = 1;
  if (!k.queue || k.last_index < 0) return 0;
  INT_U8 c = k.queue[0];
  memmove(k.queue, k.queue + 1, static_cast<size_t>(k.last_index));
  k.queue[k.last_index] = 0;
  --k.last_index;
  return c;
}

void KEYBOARD::key_down(INT_S32 keycode) {
  keyboard_state.last_key_time = now_seconds();
  keyboard_state.last_keycode = keycode;
}

void KEYBOARD::char_event(INT_S32 code) {
  KEYBOARD_STATE& k = keyboard_state;
  k.last_key_time = now_seconds();
  INT_U8 c = (code >= -128 && code <= 255) ? k.char_table[code & 0xFF] : static_cast<INT_U8>('?');
  k.last_char = c;
  if (k.queue && c != 0 && k.last_index < k.capacity - 1) k.queue[++k.last_index] = c;
}

void KEYBOARD::discard_chars() {
  KEYBOARD_STATE& k = keyboard_state;
  if (k.queue && k.last_index >= 0) memset(k.queue, 0, static_cast<size_t>(k.last_index) + 1);
  k.last_index = -1;
  k.chars_taken = 1;
}

bool KEYBOARD::queue_full() {
  const KEYBOARD_STATE& k = keyboard_state;
  return k.queue && k.last_index >= k.capacity - 1;
}

bool KEYBOARD::characters_taken() {
  const bool taken = keyboard_state.chars_taken != 0;
  keyboard_state.chars_taken = 0;
  return taken;
}

void KEYBOARD::resize_queue(INT_S32 n) {
  KEYBOARD_STATE& k = keyboard_state;
  if (n < 0) return;
  if (n == k.capacity) {
    k.last_index = -1;
    return;
  }
  free(k.queue);
  k.queue = nullptr;
  k.capacity = 0;
  k.last_index = -1;
  if (n > 0) {
    k.queue = static_cast<INT_U8*>(calloc(static_cast<size_t>(n), 1));
    if (k.queue) k.capacity = n;
  }
}

INT_U32 KEYBOARD::read_line(INT_U8 wait, INT_U16* length, INT_U8* buffer, INT_S16 size,
                            INT_U8 (*callback)(INT_U32, INT_U8*, INT_WORD), INT_WORD arg) {
  if (!length || !buffer || size < 1) return 3;
  for (;;) {
    INT_U8 c = pop_char();
    if (c == 0) {
      if (!wait) return 3;
      update_platform();
      if (callback && callback(0, buffer, arg) == 0) return 1;
      continue;
    }
    if (c == 10) {
      // The line is closed at its length. The length stays the text's
      // length: counting the terminator in it would hand callers a line one
      // byte longer than its text.
      if (*length < size && buffer[*length] != 0) buffer[*length] = 0;
      if (callback && callback(1, buffer, arg) == 0) return 1;
      return 2;
    }
    if (c == 8) {
      if (*length >= 1) {
        --*length;
        buffer[*length] = 0;
      }
      if (callback && callback(1, buffer, arg) == 0) return 1;
    } else if (c > 31 && *length < size - 1) {
      buffer[*length] = c;
      ++*length;
      buffer[*length] = 0;
      if (callback && callback(1, buffer, arg) == 0) return 1;
    }
    if (!wait) return 4;
  }
}

INT_U32 KEYBOARD::is_key_down(INT_S32 keycode) {
  if (keycode < 0 || keycode > 255) return 0;
  if (!x11.display || !x11.window || !x11.key_map_focused) return 0;
  return (key_map[keycode >> 3] >> (keycode & 7)) & 1u;
}

INT_U32 get_last_key_time() { return keyboard_state.last_key_time; }
INT_U32 get_last_mouse_time() { return mouse_state.last_mouse_time; }

void to_upper_in_place(char* text) {
  if (!text) return;
  for (; *text; ++text) *text = static_cast<char>(toupper(static_cast<unsigned char>(*text)));
}

// ---------------------------------------------------------------- mouse

INT_U32 get_mouse_button_count() { return 3; }

MOUSE::MOUSE() {
  if (mouse_state.button_count == 0) mouse_state.button_count = static_cast<INT_U16>(get_mouse_button_count());
}

void MOUSE::button_event(INT_U16 button, INT_U8 pressed) {
  MOUSE_STATE& m = mouse_state;
  INT_U32 now = now_seconds();
  m.button_interval = now - m.last_button_time;
  m.last_button_time = now;
  m.last_mouse_time = now;
  if (button == 1) {
    if (pressed) {
      m.press_interval = now - m.press_time;
      m.press_time = now;
    } else {
      m.release_interval = now - m.release_time;
      m.release_time = now;
    }
  }
  if (button >= 1 && button <= 32) {
    INT_U32 bit = 1u << (button - 1);
    if (pressed) m.buttons |= bit;
    else m.buttons &= ~bit;
  }
}

void MOUSE::hide_pointer() {
  if (mouse_state.pointer_shown && show_cursor(this, 0)) mouse_state.pointer_shown = 0;
}

void MOUSE::show_pointer() {
  if (!mouse_state.pointer_shown && show_cursor(this, 1)) mouse_state.pointer_shown = 1;
}

// ---------------------------------------------------------------- keycodes

namespace {

struct CLASSIC_KEY {
  unsigned long keysym;
  INT_U8 code;
};

// Key symbols of the classic keyboard. A symbol may appear on a key at its
// first level only (keypad keys carry their navigation symbol there), so
// both forms of a keypad key are listed.
const CLASSIC_KEY classic_keys[] = {
    {XK_Escape, 9},       {XK_1, 10},           {XK_2, 11},          {XK_3, 12},
    {XK_4, 13},           {XK_5, 14},           {XK_6, 15},          {XK_7, 16},
    {XK_8, 17},           {XK_9, 18},           {XK_0, 19},          {XK_minus, 20},
    {XK_equal, 21},       {XK_BackSpace, 22},   {XK_Tab, 23},        {XK_ISO_Left_Tab, 23},
    {XK_q, 24},           {XK_w, 25},           {XK_e, 26},          {XK_r, 27},
    {XK_t, 28},           {XK_y, 29},           {XK_u, 30},          {XK_i, 31},
    {XK_o, 32},           {XK_p, 33},           {XK_bracketleft, 34}, {XK_bracketright, 35},
    {XK_Return, 36},      {XK_Control_L, 37},   {XK_a, 38},          {XK_s, 39},
    {XK_d, 40},           {XK_f, 41},           {XK_g, 42},          {XK_h, 43},
    {XK_j, 44},           {XK_k, 45},           {XK_l, 46},          {XK_semicolon, 47},
    {XK_apostrophe, 48},  {XK_grave, 49},       {XK_Shift_L, 50},    {XK_backslash, 51},
    {XK_z, 52},           {XK_x, 53},           {XK_c, 54},          {XK_v, 55},
    {XK_b, 56},           {XK_n, 57},           {XK_m, 58},          {XK_comma, 59},
    {XK_period, 60},      {XK_slash, 61},       {XK_Shift_R, 62},    {XK_KP_Multiply, 63},
    {XK_Alt_L, 64},       {XK_Meta_L, 64},      {XK_space, 65},      {XK_Caps_Lock, 66},
    {XK_F1, 67},          {XK_F2, 68},          {XK_F3, 69},         {XK_F4, 70},
    {XK_F5, 71},          {XK_F6, 72},          {XK_F7, 73},         {XK_F8, 74},
    {XK_F9, 75},          {XK_F10, 76},         {XK_Num_Lock, 77},   {XK_Scroll_Lock, 78},
    {XK_KP_Home, 79},     {XK_KP_7, 79},        {XK_KP_Up, 80},      {XK_KP_8, 80},
    {XK_KP_Prior, 81},    {XK_KP_9, 81},        {XK_KP_Subtract, 82}, {XK_KP_Left, 83},
    {XK_KP_4, 83},        {XK_KP_Begin, 84},    {XK_KP_5, 84},       {XK_KP_Right, 85},
    {XK_KP_6, 85},        {XK_KP_Add, 86},      {XK_KP_End, 87},     {XK_KP_1, 87},
    {XK_KP_Down, 88},     {XK_KP_2, 88},        {XK_KP_Next, 89},    {XK_KP_3, 89},
    {XK_KP_Insert, 90},   {XK_KP_0, 90},        {XK_KP_Delete, 91},  {XK_KP_Decimal, 91},
    {XK_Sys_Req, 92},     {XK_less, 94},        {XK_F11, 95},        {XK_F12, 96},
    {XK_Home, 97},        {XK_Up, 98},          {XK_Prior, 99},      {XK_Left, 100},
    {XK_Right, 102},      {XK_End, 103},        {XK_Down, 104},      {XK_Next, 105},
    {XK_Insert, 106},     {XK_Delete, 107},     {XK_KP_Enter, 108},  {XK_Control_R, 109},
    {XK_Pause, 110},      {XK_Print, 111},      {XK_KP_Divide, 112}, {XK_Alt_R, 113},
    {XK_Meta_R, 113},     {XK_Break, 114},      {XK_Super_L, 115},   {XK_Super_R, 116},
    {XK_Menu, 117},
};

// Highest classic number; server keys without a classic symbol at or below
// it are moved above it.
const unsigned classic_last = 117;

// server -> classic and classic -> server; identity until a map is built.
struct KEYCODE_MAP {
  INT_U8 to_classic[256];
  INT_U8 to_server[256];
  bool built;
};
KEYCODE_MAP keycode_map;

}  // namespace

INT_U8 classic_keycode_of_keysym(unsigned long keysym) {
  for (const CLASSIC_KEY& k : classic_keys)
    if (k.keysym == keysym) return k.code;
  return 0;
}

void reset_keycode_map() { keycode_map.built = false; }

void build_keycode_map(const unsigned long* keysyms, int min_keycode, int max_keycode, int per_code) {
  KEYCODE_MAP& m = keycode_map;
  memset(&m, 0, sizeof m);
  m.built = true;
  if (!keysyms || per_code < 1) return;
  if (min_keycode < 8) min_keycode = 8;
  if (max_keycode > 255) max_keycode = 255;
  bool has_symbol[256] = {};
  bool used[256] = {};
  for (int kc = min_keycode; kc <= max_keycode; ++kc) {
    const unsigned long* syms = keysyms + static_cast<size_t>(kc - min_keycode) * static_cast<size_t>(per_code);
    for (int i = 0; i < per_code; ++i)
      if (syms[i] != NoSymbol) has_symbol[kc] = true;
    // The first-level symbol decides, as it does for the key's name. Keys
    // with symbols on other levels only (the server's virtual modifier keys)
    // are no classic key.
    unsigned long sym = syms[0];
    INT_U8 classic = sym == NoSymbol ? 0 : classic_keycode_of_keysym(sym);
    if (classic) {
      m.to_classic[kc] = classic;
      used[classic] = true;
    }
  }
  // Keys without a classic symbol keep numbers above the classic range; the
  // free numbers there (no key, no symbol) take the ones that must move.
  for (int kc = min_keycode; kc <= max_keycode; ++kc)
    if (!m.to_classic[kc] && has_symbol[kc] && static_cast<unsigned>(kc) > classic_last) {
      m.to_classic[kc] = static_cast<INT_U8>(kc);
      used[kc] = true;
    }
  int next_free = 255;
  for (int kc = min_keycode; kc <= max_keycode; ++kc) {
    if (m.to_classic[kc] || !has_symbol[kc]) continue;
    while (next_free > static_cast<int>(classic_last) &&
           (used[next_free] || (next_free >= min_keycode && next_free <= max_keycode && has_symbol[next_free])))
      --next_free;
    if (next_free <= static_cast<int>(classic_last)) break;  // no room left: the key stays unknown (0)
    m.to_classic[kc] = static_cast<INT_U8>(next_free);
    used[next_free] = true;
  }
  for (int kc = 255; kc >= 8; --kc)
    if (m.to_classic[kc]) m.to_server[m.to_classic[kc]] = static_cast<INT_U8>(kc);
}

INT_U8 classic_from_server_keycode(unsigned server_keycode) {
  if (server_keycode > 255) return 0;
  if (!keycode_map.built) return static_cast<INT_U8>(server_keycode);
  return keycode_map.to_classic[server_keycode];
}

unsigned server_from_classic_keycode(INT_U8 classic) {
  if (!keycode_map.built) return classic;
  return keycode_map.to_server[classic];
}

void translate_key_map(const char server_map[32], INT_U8 out[32]) {
  memset(out, 0, 32);
  for (unsigned kc = 0; kc < 256; ++kc) {
    if (!((static_cast<unsigned char>(server_map[kc >> 3]) >> (kc & 7)) & 1u)) continue;
    INT_U8 c = classic_from_server_keycode(kc);
    if (c) out[c >> 3] = static_cast<INT_U8>(out[c >> 3] | (1u << (c & 7)));
  }
}

void load_keycode_map(Display* display) {
  int min_kc = 0, max_kc = 0, per_code = 0;
  XDisplayKeycodes(display, &min_kc, &max_kc);
  KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(min_kc), max_kc - min_kc + 1, &per_code);
  if (!syms) {
    reset_keycode_map();
    return;
  }
  build_keycode_map(syms, min_kc, max_kc, per_code);
  XFree(syms);
}

const char* get_key_name(KEYBOARD*, INT_U8 keycode, INT_U8 upper) {
  static char name[64];
  name[0] = 0;
  if (!x11.display) return name;
  unsigned server = server_from_classic_keycode(keycode);
  if (server < 8) return name;
  KeySym sym = XkbKeycodeToKeysym(x11.display, static_cast<KeyCode>(server), 0, 0);
  if (sym == NoSymbol) return name;
  KeySym lower = sym, upper_sym = sym;
  XConvertCase(sym, &lower, &upper_sym);
  const char* text = XKeysymToString(upper ? upper_sym : lower);
  if (!text) return name;
  strncpy(name, text, sizeof name - 1);
  name[sizeof name - 1] = 0;
  return name;
}

INT_U8 get_key_char(KEYBOARD* handle, INT_U8 keycode, INT_U8 upper) {
  return static_cast<INT_U8>(get_key_name(handle, keycode, upper)[0]);
}
