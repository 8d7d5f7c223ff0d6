// Keyboard and mouse state without a server: the typed-character queue, the
// line editor, the button mask and the keycode translation.
#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "input.h"

namespace {

std::string drain() {
  std::string s;
  while (INT_U8 c = KEYBOARD::pop_char()) s += static_cast<char>(c);
  return s;
}

void type(const std::string& s) {
  for (char c : s) KEYBOARD::char_event(static_cast<unsigned char>(c));
}

}  // namespace

TEST(Keyboard, QueueHoldsTenAndDropsTheEleventh) {
  KEYBOARD handle;
  drain();
  type("abcdefghijk");
  EXPECT_EQ(keyboard_state.last_char, 'k');  // still the last character
  EXPECT_EQ(drain(), "abcdefghij");
  EXPECT_EQ(KEYBOARD::pop_char(), 0);
}

TEST(Keyboard, CharacterCodesAreTranslatedOrReplaced) {
  KEYBOARD handle;
  drain();
  struct Case {
    INT_S32 code;
    INT_U8 queued;
  } cases[] = {{'x', 'x'}, {255, 255}, {-1, 255}, {-128, 128}, {300, '?'}, {-129, '?'}, {0, 0}};
  for (const Case& c : cases) {
    KEYBOARD::char_event(c.code);
    EXPECT_EQ(keyboard_state.last_char, c.queued) << c.code;
    EXPECT_EQ(KEYBOARD::pop_char(), c.queued) << c.code;  // 0 is never queued
  }
}

TEST(Keyboard, ResizeQueue) {
  KEYBOARD handle;
  type("ab");
  INT_U8* before = keyboard_state.queue;
  KEYBOARD::resize_queue(10);  // same capacity: emptied, kept
  EXPECT_EQ(keyboard_state.queue, before);
  EXPECT_EQ(keyboard_state.last_index, -1);
  KEYBOARD::resize_queue(-3);  // ignored
  EXPECT_EQ(keyboard_state.capacity, 10);
  KEYBOARD::resize_queue(3);
  EXPECT_EQ(keyboard_state.capacity, 3);
  type("wxyz");
  EXPECT_EQ(drain(), "wxy");
  KEYBOARD::resize_queue(0);
  EXPECT_EQ(keyboard_state.queue, nullptr);
  type("q");
  EXPECT_EQ(KEYBOARD::pop_char(), 0);
  KEYBOARD::resize_queue(10);
}

TEST(Keyboard, LastHandleFreesTheQueue) {
  // The program's global handle keeps the queue for the whole run.
  EXPECT_EQ(keyboard_state.handle_count, 1);
  {
    KEYBOARD a;
    EXPECT_EQ(keyboard_state.handle_count, 2);
  }
  EXPECT_NE(keyboard_state.queue, nullptr);
  // Were that handle gone, the last one to go frees the queue.
  keyboard_state.handle_count = 0;
  { KEYBOARD a; }
  EXPECT_EQ(keyboard_state.handle_count, 0);
  EXPECT_EQ(keyboard_state.queue, nullptr);
  EXPECT_EQ(keyboard_state.capacity, 0);
  KEYBOARD::char_event('a');
  EXPECT_EQ(KEYBOARD::pop_char(), 0);
  KEYBOARD c;
  EXPECT_EQ(keyboard_state.capacity, 10);
  keyboard_state.handle_count = 2;  // the global handle and c
}

TEST(Keyboard, TakeKeyClearsIt) {
  KEYBOARD::key_down(98);
  EXPECT_EQ(KEYBOARD::take_key(), 98);
  EXPECT_EQ(KEYBOARD::take_key(), 0);
  EXPECT_NE(get_last_key_time(), 0u);
}

TEST(Keyboard, IsKeyDownWithoutWindowIsZero) {
  key_map[98 >> 3] |= 1 << (98 & 7);
  EXPECT_EQ(KEYBOARD::is_key_down(98), 0u);
  EXPECT_EQ(KEYBOARD::is_key_down(-1), 0u);
  EXPECT_EQ(KEYBOARD::is_key_down(4000), 0u);
}

namespace {
std::vector<std::string> seen;
INT_U8 record(INT_U32 kind, INT_U8* buffer, INT_WORD arg) {
  seen.push_back(std::to_string(kind) + ":" + reinterpret_cast<char*>(buffer));
  return static_cast<INT_U8>(word_to_s32(arg));
}
}  // namespace

TEST(Keyboard, ReadLineWithoutWait) {
  KEYBOARD handle;
  drain();
  INT_U8 buf[6] = {0};
  INT_U16 len = 0;
  EXPECT_EQ(KEYBOARD::read_line(0, &len, buf, 6, nullptr, 0), 3u);  // nothing typed
  EXPECT_EQ(len, 0);
  // Characters, a control character (dropped), backspace, and the end of the
  // line, each one call.
  struct Step {
    INT_S32 c;
    INT_U32 result;
    const char* text;
  } steps[] = {{'a', 4, "a"}, {'b', 4, "ab"}, {1, 4, "ab"}, {8, 4, "a"}, {'c', 4, "ac"},
               {'d', 4, "acd"}, {'e', 4, "acde"}, {'f', 4, "acdef"},
               {'g', 4, "acdef"},  // full (length = size - 1): dropped, still 4
               {10, 2, "acdef"}};
  for (const Step& s : steps) {
    KEYBOARD::char_event(s.c);
    EXPECT_EQ(KEYBOARD::read_line(0, &len, buf, 6, nullptr, 0), s.result) << s.c;
    EXPECT_STREQ(reinterpret_cast<char*>(buf), s.text) << s.c;
    EXPECT_EQ(len, strlen(s.text)) << s.c;
  }
  // Backspace on an empty line does nothing.
  INT_U8 empty[4] = {0};
  INT_U16 elen = 0;
  KEYBOARD::char_event(8);
  EXPECT_EQ(KEYBOARD::read_line(0, &elen, empty, 4, nullptr, 0), 4u);
  EXPECT_EQ(elen, 0);
}

TEST(Keyboard, ReadLineEndClosesAnUnterminatedTextWithoutCountingTheTerminator) {
  KEYBOARD handle;
  drain();
  INT_U8 buf[8] = {'a', 'b', 'c', 'X', 'X', 0, 0, 0};
  INT_U16 len = 3;
  KEYBOARD::char_event(10);
  EXPECT_EQ(KEYBOARD::read_line(0, &len, buf, 8, nullptr, 0), 2u);
  EXPECT_STREQ(reinterpret_cast<char*>(buf), "abc");
  EXPECT_EQ(len, 3);
}

TEST(Keyboard, ReadLineCallbackCanStop) {
  KEYBOARD handle;
  drain();
  seen.clear();
  INT_U8 buf[8] = {0};
  INT_U16 len = 0;
  type("hi\n");
  EXPECT_EQ(KEYBOARD::read_line(1, &len, buf, 8, record, word_from_s32(1)), 2u);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:h", "1:hi", "1:hi"}));
  // A callback that answers 0 stops at the first change.
  seen.clear();
  type("z");
  EXPECT_EQ(KEYBOARD::read_line(1, &len, buf, 8, record, word_from_s32(0)), 1u);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:hiz"}));
  // Waiting on an empty queue asks the callback with kind 0.
  seen.clear();
  EXPECT_EQ(KEYBOARD::read_line(1, &len, buf, 8, record, word_from_s32(0)), 1u);
  EXPECT_EQ(seen, (std::vector<std::string>{"0:hiz"}));
}

TEST(Keyboard, ToUpperAndBadArguments) {
  char text[] = "abc-1z";
  to_upper_in_place(text);
  EXPECT_STREQ(text, "ABC-1Z");
  to_upper_in_place(nullptr);
  EXPECT_EQ(KEYBOARD::read_line(0, nullptr, nullptr, 4, nullptr, 0), 3u);
}

TEST(Mouse, ButtonMaskAndTimes) {
  MOUSE handle;
  EXPECT_EQ(mouse_state.button_count, 3);
  EXPECT_EQ(get_mouse_button_count(), 3u);
  struct Step {
    INT_U16 button;
    INT_U8 pressed;
    INT_U32 mask;
  } steps[] = {{1, 1, 1}, {2, 1, 3}, {3, 1, 7}, {1, 0, 6}, {32, 1, 0x80000006u}, {33, 1, 0x80000006u},
               {0, 1, 0x80000006u}, {32, 0, 6}, {2, 0, 4}, {3, 0, 0}};
  for (const Step& s : steps) {
    MOUSE::button_event(s.button, s.pressed);
    EXPECT_EQ(mouse_state.buttons, s.mask) << s.button << " " << int(s.pressed);
  }
  EXPECT_NE(mouse_state.press_time, 0u);
  EXPECT_NE(mouse_state.release_time, 0u);
  EXPECT_NE(get_last_mouse_time(), 0u);
}

// ---------------------------------------------------------------- keycodes

namespace {

// A keyboard numbered as current servers number it (evdev), one symbol per
// level, two levels.
struct FakeKeyboard {
  int min = 8, max = 255;
  std::vector<unsigned long> syms = std::vector<unsigned long>((255 - 8 + 1) * 2, NoSymbol);
  void set(int kc, unsigned long a, unsigned long b = NoSymbol) {
    syms[(kc - min) * 2] = a;
    syms[(kc - min) * 2 + 1] = b;
  }
};

FakeKeyboard evdev_keyboard() {
  FakeKeyboard k;
  k.set(9, XK_Escape);
  k.set(23, XK_Tab, XK_ISO_Left_Tab);
  k.set(36, XK_Return);
  k.set(37, XK_Control_L);
  k.set(38, XK_a, XK_A);
  k.set(50, XK_Shift_L);
  k.set(62, XK_Shift_R);
  k.set(79, XK_KP_Home, XK_KP_7);
  k.set(92, XK_ISO_Level3_Shift);
  k.set(97, XK_Hiragana);  // a Japanese key on a classic number
  k.set(98, XK_Katakana);
  k.set(100, XK_Henkan_Mode);
  k.set(102, XK_Muhenkan);
  k.set(104, XK_KP_Enter);
  k.set(105, XK_Control_R);
  k.set(106, XK_KP_Divide);
  k.set(107, XK_Print, XK_Sys_Req);
  k.set(108, XK_Alt_R, XK_Meta_R);
  k.set(109, XK_Linefeed);
  k.set(110, XK_Home);
  k.set(111, XK_Up);
  k.set(112, XK_Prior);
  k.set(113, XK_Left);
  k.set(114, XK_Right);
  k.set(115, XK_End);
  k.set(116, XK_Down);
  k.set(117, XK_Next);
  k.set(118, XK_Insert);
  k.set(119, XK_Delete);
  k.set(121, XF86XK_AudioMute);
  k.set(218, XK_Print);
  k.set(254, XF86XK_WWAN);
  k.set(204, NoSymbol, XK_Alt_L);  // a virtual modifier key: Alt_L on its second level only
  return k;
}

}  // namespace

TEST(Keycodes, EvdevKeysArriveOnTheirClassicNumbers) {
  FakeKeyboard k = evdev_keyboard();
  build_keycode_map(k.syms.data(), k.min, k.max, 2);
  std::map<unsigned, int> expect = {
      {9, 9},     {23, 23},   {36, 36},   {37, 37},   {38, 38},   {50, 50},   {62, 62},  {79, 79},
      {104, 108}, {105, 109}, {106, 112}, {107, 111}, {108, 113}, {110, 97},  {111, 98}, {112, 99},
      {113, 100}, {114, 102}, {115, 103}, {116, 104}, {117, 105}, {118, 106}, {119, 107}, {121, 121},
      {218, 111}, {254, 254}, {204, 204}, {60, 0},  // no symbols: no key
  };
  for (auto& e : expect) EXPECT_EQ(classic_from_server_keycode(e.first), e.second) << "server " << e.first;
  reset_keycode_map();
}

TEST(Keycodes, KeysOnClassicNumbersWithoutBeingThemAreMoved) {
  FakeKeyboard k = evdev_keyboard();
  build_keycode_map(k.syms.data(), k.min, k.max, 2);
  std::vector<int> used;
  for (unsigned server : {92u, 97u, 98u, 100u, 102u, 109u}) {
    int c = classic_from_server_keycode(server);
    EXPECT_GT(c, 117) << "server " << server;
    EXPECT_EQ(server_from_classic_keycode(static_cast<INT_U8>(c)), server);
    for (int u : used) EXPECT_NE(u, c);
    used.push_back(c);
  }
  // No two keys of different symbols share a number anywhere.
  std::map<int, unsigned long> owner;
  for (int kc = 8; kc <= 255; ++kc) {
    int c = classic_from_server_keycode(static_cast<unsigned>(kc));
    if (!c) continue;
    unsigned long sym = k.syms[(kc - 8) * 2];
    unsigned long cls = classic_keycode_of_keysym(sym);
    if (owner.count(c) && !cls) {
      ADD_FAILURE() << "number " << c << " given twice";
    }
    if (cls) {
      EXPECT_EQ(static_cast<int>(cls), c);
    }
    owner[c] = sym;
  }
  reset_keycode_map();
}

TEST(Keycodes, ClassicServerIsTheIdentityAndBackTranslationFindsTheKey) {
  FakeKeyboard k;
  k.set(97, XK_Home);
  k.set(98, XK_Up);
  k.set(107, XK_Delete);
  k.set(108, XK_KP_Enter);
  k.set(109, XK_Control_R);
  k.set(113, XK_Alt_R);
  build_keycode_map(k.syms.data(), k.min, k.max, 2);
  for (unsigned kc : {97u, 98u, 107u, 108u, 109u, 113u}) {
    EXPECT_EQ(classic_from_server_keycode(kc), kc);
    EXPECT_EQ(server_from_classic_keycode(static_cast<INT_U8>(kc)), kc);
  }
  EXPECT_EQ(server_from_classic_keycode(100), 0u);  // no Left key on this keyboard
  reset_keycode_map();
  EXPECT_EQ(classic_from_server_keycode(111), 111);  // no map: identity
  EXPECT_EQ(classic_from_server_keycode(300), 0);
}

TEST(Keycodes, KeyMapIsTranslated) {
  FakeKeyboard k = evdev_keyboard();
  build_keycode_map(k.syms.data(), k.min, k.max, 2);
  char server[32] = {};
  for (unsigned kc : {111u, 105u, 50u}) server[kc >> 3] = static_cast<char>(server[kc >> 3] | (1 << (kc & 7)));
  INT_U8 out[32];
  translate_key_map(server, out);
  std::vector<int> down;
  for (int c = 0; c < 256; ++c)
    if ((out[c >> 3] >> (c & 7)) & 1) down.push_back(c);
  EXPECT_EQ(down, (std::vector<int>{50, 98, 109}));
  reset_keycode_map();
}

TEST(Keycodes, KeysymTable) {
  struct Case {
    unsigned long sym;
    int code;
  } cases[] = {{XK_Escape, 9},   {XK_Return, 36}, {XK_KP_Enter, 108}, {XK_Delete, 107}, {XK_Control_R, 109},
               {XK_KP_7, 79},    {XK_KP_Home, 79}, {XK_z, 52},        {XK_Z, 0},         {XK_Linefeed, 0},
               {XK_F12, 96},     {XK_Menu, 117}};
  for (const Case& c : cases) EXPECT_EQ(classic_keycode_of_keysym(c.sym), c.code) << std::hex << c.sym;
}
