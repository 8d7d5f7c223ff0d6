// The text edit box's input pass: focus clicks, dragging, navigation keys,
// typed characters and the clipboard.
#include "wm_text_edit.h"

#include <cstring>

#include "input.h"
#include "page_manager.h"
#include "wm_globals.h"
#include "../wm_platform.h"
#include "../wm_internal.h"

namespace {

const INT_U8 kBackSpace = 8;
const INT_U8 kFirstPrintable = 32;
const INT_U8 kDel = 127;
const INT_U8 kTextCursorShape = 5;

// Control characters and DEL never enter the text, typed or pasted: a pasted
// line break would end up in a file name.
bool is_typeable(INT_U8 c) { return c >= kFirstPrintable && c != kDel; }

}  // namespace

// The callbacks below may delete the box: nothing of it is touched after,
// and the callers of these parts make their calls through wm_call_survives.
void WM_TEXT_EDIT::changed(INT_S32* result) {
  if (notify_on_change && !wm_call_survives(this, [&] { *result = notify(0); })) return;
  show();
}

bool WM_TEXT_EDIT::delete_selection() {
  if (sel_start == -1 || sel_end == -1) return false;
  const INT_S16 len = static_cast<INT_S16>(text.length());
  INT_S16 lo = sel_start < sel_end ? sel_start : sel_end;
  INT_S16 hi = sel_start < sel_end ? sel_end : sel_start;
  if (hi > len) hi = len;
  clear_selection();
  if (lo < 0 || lo >= hi) return false;
  text.erase(lo, hi - 1);
  if (cursor > lo) cursor = static_cast<INT_S16>(cursor - ((cursor < hi ? cursor : hi) - lo));
  return true;
}

void WM_TEXT_EDIT::insert_text(const char* chars) {
  ZORV_STRING piece;
  piece.set(chars);
  if (cursor > text.length()) cursor = static_cast<INT_S16>(text.length());
  text.insert(piece, cursor);
  cursor = static_cast<INT_S16>(cursor + piece.length());
}

// Cursor moves of the arrow keys, Home and End: Shift extends the selection
// from where the cursor was, otherwise the selection goes.
void WM_TEXT_EDIT::move_cursor(INT_S16 to, bool shift) {
  if (shift) {
    if (sel_start == -1) sel_start = cursor;
    cursor = sel_end = to;
    if (sel_start == sel_end) sel_start = sel_end = -1;
  } else {
    cursor = to;
    clear_selection();
  }
  show();
}

INT_S32 WM_TEXT_EDIT::handle_key(INT_S32 code, bool shift, bool ctrl, INT_S32* result) {
  const INT_S16 len = static_cast<INT_S16>(text.length());
  const char* t = text.text ? text.text : "";
  const bool password = edit_flags & TEXT_EDIT_PASSWORD;
  switch (code) {
    case KEYCODE_RIGHT:
    case KEYCODE_LEFT: {
      wm_take_key();
      if (password) return 1;
      const INT_S16 step = code == KEYCODE_RIGHT ? 1 : -1;
      INT_S16 to = cursor;
      if (ctrl) {
        // One step first, so that a cursor already before a space moves on.
        if (to + step >= 0 && to + step <= len) to = static_cast<INT_S16>(to + step);
        while (to > 0 && to < len && t[to] != ' ') to = static_cast<INT_S16>(to + step);
      } else if (to + step >= 0 && to + step <= len) {
        to = static_cast<INT_S16>(to + step);
      }
      move_cursor(to, shift);
      return 1;
    }
    case KEYCODE_END:
    case KEYCODE_HOME:
      wm_take_key();
      if (password) return 1;
      move_cursor(code == KEYCODE_END ? len : 0, shift);
      return 1;
    case KEYCODE_DELETE: {
      wm_take_key();
      bool deleted = delete_selection();
      if (!deleted && cursor < len) deleted = text.erase(cursor, cursor);
      if (deleted && notify_on_change && !wm_call_survives(this, [&] { *result = notify(1); }))
        return 1;
      show();
      return 1;
    }
    case KEYCODE_RETURN: {
      // Acts once released; the code stays pending while the key is held.
      if (wm_key_is_down(KEYCODE_RETURN)) return 1;
      wm_take_key();
      KEYBOARD::end_text_entry();
      return_pressed = 1;
      if (!wm_call_survives(this, [&] { *result = notify(1); })) return 1;
      return_pressed = 0;
      show();
      return 1;
    }
    default:
      return 0;
  }
}

INT_S32 WM_TEXT_EDIT::handle_char(INT_U8 c, bool ctrl, INT_S32* result) {
  if (c == 0) return 0;
  if (c == kBackSpace) {
    bool deleted = delete_selection();
    if (!deleted && cursor > 0) {
      deleted = text.erase(cursor - 1, cursor - 1);
      cursor = static_cast<INT_S16>(cursor - 1);
    }
    if (deleted) changed(result);
    return 1;
  }
  if (ctrl) {
    const INT_S16 lo = sel_start < sel_end ? sel_start : sel_end;
    const INT_S16 hi = sel_start < sel_end ? sel_end : sel_start;
    switch (c) {
      case 'c':
      case 'x':
        if (sel_start != -1 && lo < hi) {
          ZORV_STRING part(text, lo, hi - 1);
          part.copy_to_clipboard();
          if (c == 'x' && delete_selection()) changed(result);
        }
        return 1;
      case 'v': {
        delete_selection();
        ZORV_STRING pasted;
        pasted.paste_from_clipboard();
        const char* p = pasted.text ? pasted.text : "";
        INT_S32 room = max_length - text.length();
        char kept[1024];
        INT_S32 n = 0;
        for (; *p && n < room && n < static_cast<INT_S32>(sizeof kept) - 1; ++p) {
          const INT_U8 ch = static_cast<INT_U8>(*p);
          if (is_typeable(ch) && (!char_filter || char_filter(ch)))
            kept[n++] = static_cast<char>(ch);
        }
        kept[n] = 0;
        if (n > 0) insert_text(kept);
        changed(result);
        return 1;
      }
      case 'a':
        select_all();
        show();
        return 1;
      case 'z': {
        ZORV_STRING saved(focus_text);
        set_text(saved.text);
        select_all();
        changed(result);
        return 1;
      }
      default:
        break;
    }
  }
  if (!is_typeable(c)) return 0;
  if (char_filter && !char_filter(c)) return 0;
  const bool replaced = delete_selection();
  if (text.length() < max_length) {
    const char one[2] = {static_cast<char>(c), 0};
    insert_text(one);
    changed(result);
  } else if (replaced) {
    changed(result);
  }
  return 1;
}

INT_S32 WM_TEXT_EDIT::handle_input() {
  const bool password = edit_flags & TEXT_EDIT_PASSWORD;
  if (sel_start != -1 && (password || wm_focus_object != this)) clear_selection();

  // Stored in every pass, so that a button held across an early end (or
  // pressed while disabled) runs no focus click later.
  const INT_U8 left = wm_button_mask() & 1u ? 1 : 0;
  const INT_U8 left_before = left_down;
  left_down = left;
  if (!enabled || !visible) {
    drag_x = -1;
    return 0;
  }
  INT_S32 base = 0;
  if (!wm_call_survives(this, [&] { base = WM_SCREEN_OBJECT::handle_input(); }) || base)
    return base;

  const INT_S16 px = wm_pointer_x(), py = wm_pointer_y();
  const bool over = is_over(px, py);
  if (left != left_before) {
    if (left && over) {
      const bool had_focus = wm_focus_object == this;
      // A focus callback may delete the box.
      if (!wm_call_survives(this, [&] { take_focus(); })) return WM_ACTION_HANDLED;
      if (had_focus) {
        clear_selection();
        cursor = char_index_at(px);
        show();
      }
      KEYBOARD::discard_chars();
    } else if (!left) {
      drag_x = -1;
    }
  }

  INT_S32 result = 0;
  if (wm_focus_object == this) {
    if (left && over) {
      if (drag_x == -1) {
        drag_x = px;
      } else if (px != drag_x) {
        if (sel_start == -1) sel_start = char_index_at(drag_x);
        cursor = sel_end = char_index_at(px);
        if (sel_start == sel_end) sel_start = sel_end = -1;
        show();
      }
    }
    const bool shift = wm_key_is_down(KEYCODE_SHIFT_LEFT) || wm_key_is_down(KEYCODE_SHIFT_RIGHT);
    const bool ctrl = wm_key_is_down(KEYCODE_CONTROL_LEFT) || wm_key_is_down(KEYCODE_CONTROL_RIGHT);
    bool lives = wm_call_survives(this, [&] { handle_key(wm_last_key(), shift, ctrl, &result); });
    // Every character typed since the last frame, in order: the frame pump
    // gives a key that acts by its code a frame of its own, so none of these
    // came before it. A callback's action (a closing dialog), or the box's
    // deletion, ends the pass; what is left waits for the next.
    while (!result && lives) {
      const INT_U8 c = KEYBOARD::pop_char();
      if (c == 0) break;
      lives = wm_call_survives(this, [&] { handle_char(c, ctrl, &result); });
    }
  }
  if (over && wm_page_manager) wm_page_manager->set_cursor_shape(kTextCursorShape);
  return result;
}
