// Grid model: construction, the column layout of a row, rows and cells, and
// the screen-object operations that must reach the cells.
#include "wm_grid.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "folder.h"
#include "image.h"
#include "image_cache.h"
#include "wm_border.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"
#include "../wm_internal.h"

namespace {

// A style gap of -1 (unset) counts 0 where no other default applies.
inline INT_S32 gap(INT_S16 v) { return v < 0 ? 0 : v; }

// Unset border gaps of a grid: the border's width and a pixel, or a pixel.
INT_S32 default_border_gap(const WM_STYLE_SET* s) {
  return (s->ssf & ssf_draw_border) ? get_default_border_width(s->shading_type) + 1 : 1;
}

inline INT_S16 to_s16(INT_S32 v) {
  return static_cast<INT_S16>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

INT_U16* copy_weights(INT_S16 count, const INT_U16* weights) {
  INT_U16* out = new (std::nothrow) INT_U16[count > 0 ? count : 1];
  if (!out) return nullptr;
  for (INT_S16 i = 0; i < count; ++i) out[i] = weights ? weights[i] : 1;
  return out;
}

}  // namespace

// ---- GRID_ROW ------------------------------------------------------------------

void GRID_ROW::layout_cells(INT_S16 w, const WM_STYLE_SET* s) {
  if (!left || !left_sb || !right || !right_sb || !weights || cell_count < 1) return;
  const INT_S32 bl = gap(s->border_left_gap), br = gap(s->border_right_gap);
  const INT_S32 clg = gap(s->cell_left_gap), crg = gap(s->cell_right_gap);
  const INT_S32 xs = gap(s->x_spacing), sbw = gap(s->grid_scrollbar_width);
  INT_S32 proportional = 0, fixed = 0;
  for (INT_S16 i = 0; i < cell_count; ++i) {
    const INT_S16 weight = static_cast<INT_S16>(weights[i]);
    if (weight >= 0)
      proportional += weight;
    else
      fixed -= weight;
  }
  const INT_S32 share = static_cast<INT_S16>(w - bl - br) - fixed;
  INT_S32 pi = 0, fi = 0;  // weights and fixed widths of the columns before i
  for (INT_S16 i = 0; i < cell_count; ++i) {
    const INT_S32 base = bl + fi + clg;
    left[i] = to_s16(base + (proportional ? share * pi / proportional : 0));
    left_sb[i] = to_s16(base + (proportional ? (share - sbw) * pi / proportional : 0));
    if (i >= 1) {
      right[i - 1] = to_s16(left[i] - xs - crg - 1 - clg);
      right_sb[i - 1] = to_s16(left_sb[i] - xs - crg - 1 - clg);
    }
    const INT_S16 weight = static_cast<INT_S16>(weights[i]);
    if (weight >= 0)
      pi += weight;
    else
      fi -= weight;
  }
  right[cell_count - 1] = to_s16(w - br - crg - 1);
  right_sb[cell_count - 1] = to_s16(w - br - sbw - crg - 2);
}

void GRID_ROW::set_cells(INT_S16 w, INT_S16 count, const INT_U16* column_weights,
                         const WM_STYLE_SET* s) {
  if (count < 0) count = 0;
  if (count != cell_count) {
    clear();
    cell_count = count;
  }
  const size_t n = count > 0 ? static_cast<size_t>(count) : 1;
  if (!left) left = new (std::nothrow) INT_S16[n];
  if (!left_sb) left_sb = new (std::nothrow) INT_S16[n];
  if (!right) right = new (std::nothrow) INT_S16[n];
  if (!right_sb) right_sb = new (std::nothrow) INT_S16[n];
  if (!weights) weights = new (std::nothrow) INT_U16[n];
  if (!left || !left_sb || !right || !right_sb || !weights) {
    clear();
    return;
  }
  if (!cells) {
    cells = static_cast<WM_SCREEN_OBJECT**>(std::calloc(n, sizeof(WM_SCREEN_OBJECT*)));
    if (!cells) {
      clear();
      return;
    }
  }
  for (INT_S16 i = 0; i < count; ++i) weights[i] = column_weights ? column_weights[i] : 1;
  layout_cells(w, s);
}

void GRID_ROW::set_cell_span(const WM_STYLE_SET* s) {
  const INT_S32 ct = gap(s->cell_top_gap), cb = gap(s->cell_bottom_gap);
  cell_top = static_cast<INT_U16>(ct);
  cell_bottom = static_cast<INT_U16>(height - 1 - ct - cb);
}

void GRID_ROW::set_height(INT_U16 h, const WM_STYLE_SET* s) {
  const INT_S32 ct = gap(s->cell_top_gap), cb = gap(s->cell_bottom_gap);
  const INT_S16 old = height;
  INT_S32 hh = static_cast<INT_S32>(h) - gap(s->y_spacing);
  if (hh <= ct + cb + 1) hh = ct + cb + 2;
  height = to_s16(hh);
  set_cell_span(s);
  bottom += height - old;
}

INT_U8 GRID_ROW::set_cell(INT_S16 column, WM_SCREEN_OBJECT* object, INT_U8 destroy_old) {
  if (!cells || column < 0 || column >= cell_count) return 0;
  if (WM_SCREEN_OBJECT* old = cells[column]) {
    cells[column] = nullptr;
    old->hide(0, 0);
    if (destroy_old && old != object) delete old;
  }
  cells[column] = object;
  return 1;
}

void GRID_ROW::get_cell_rect(INT_S16 column, INT_U8 scrollbar_layout, INT_S16* x1, INT_S16* y1,
                             INT_S16* x2, INT_S16* y2) const {
  if (column < 0 || column >= cell_count || !left) {
    *x1 = *y1 = *x2 = *y2 = 0;
    return;
  }
  *x1 = scrollbar_layout ? left_sb[column] : left[column];
  INT_S32 r = scrollbar_layout ? right_sb[column] : right[column];
  if (column == cell_count - 1) r += last_cell_extra;
  *x2 = to_s16(r);
  *y1 = static_cast<INT_S16>(cell_top);
  *y2 = static_cast<INT_S16>(cell_bottom);
}

void GRID_ROW::clear() {
  selected = 0;
  if (cells) {
    // Slots are emptied before each deletion: a destructor that reaches back
    // into the grid finds no dangling pointer.
    for (INT_S16 i = 0; i < cell_count; ++i) {
      WM_SCREEN_OBJECT* object = cells[i];
      cells[i] = nullptr;
      delete object;
    }
    std::free(cells);
    cells = nullptr;
  }
  cell_count = 0;
  delete[] left;
  delete[] left_sb;
  delete[] right;
  delete[] right_sb;
  delete[] weights;
  left = left_sb = right = right_sb = nullptr;
  weights = nullptr;
}

// ---- construction -----------------------------------------------------------------

WM_GRID::WM_GRID(INT_U8 vis)
    : WM_SCREEN_OBJECT(vis, nullptr, 0, 0),
      normal_frame(&wm_skin_cache),
      highlighted_frame(&wm_skin_cache),
      alternate_frame(&wm_skin_cache) {
  construct();
}

WM_GRID::WM_GRID(INT_U8 vis, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2)
    : WM_SCREEN_OBJECT(vis, callback, arg1, arg2),
      normal_frame(&wm_skin_cache),
      highlighted_frame(&wm_skin_cache),
      alternate_frame(&wm_skin_cache) {
  construct();
}

void WM_GRID::construct() {
  kind |= WM_KIND_GRID;
  scroll.tag = TV_S32;
  scroll.value.s32 = 0;
  scroll.min.s32 = 0;
  scroll.max.s32 = 0;
}

WM_GRID::~WM_GRID() {
  clear_rows(0);
  scroll.free_string(&scroll.value);
  alternate_frame.release();
  highlighted_frame.release();
  normal_frame.release();
}

void WM_GRID::init(INT_U16 x1, INT_U16 y1, INT_U16 x2, INT_U16 y2, INT_U16 columns,
                   const INT_U16* weights, const WM_STYLE_SET* grid_style,
                   const WM_STYLE_SET* bar_style) {
  delete_scrollbar();
  row_limit = GRID_DEFAULT_ROW_LIMIT;
  clear_rows(0);

  if (grid_style && grid_style != &style) style = *grid_style;
  if (style.font_id == 255 && wm_surface) style.font_id = static_cast<INT_U8>(wm_surface->font);
  if (style.font_x_sz == -1 && wm_surface) style.font_x_sz = wm_surface->font_width;
  if (style.font_y_sz == -1 && wm_surface) style.font_y_sz = wm_surface->font_height;
  const INT_S16 border = static_cast<INT_S16>(default_border_gap(&style));
  for (INT_S16* g : {&style.border_left_gap, &style.border_right_gap, &style.border_top_gap,
                     &style.border_bottom_gap})
    if (*g == -1) *g = border;
  for (INT_S16* g : {&style.cell_left_gap, &style.cell_right_gap, &style.cell_top_gap,
                     &style.cell_bottom_gap})
    if (*g == -1) *g = 0;

  x = static_cast<INT_S16>(x1);
  y = static_cast<INT_S16>(y1);
  width = static_cast<INT_S16>(x2 - x1 + 1);
  height = static_cast<INT_S16>(y2 - y1 + 1);

  if (bar_style && bar_style != &scrollbar_style) scrollbar_style = *bar_style;
  fixed_line_amount = fixed_page_amount = 0;
  keyboard_navigation = 0;
  two_tone_value = static_cast<INT_U16>(gap(style.grid_two_tone_value));

  if (width <= 1 || height <= 1) width = height = 6;

  if (columns > 0) set_column_weights(static_cast<INT_S16>(columns), weights);

  load_skin(style.image_path, style.image_filename, &style);

  kind |= WM_KIND_GRID;
  shading_type = style.shading_type;
  if (wm_object_created_hook) wm_object_created_hook(this, wm_object_created_hook_arg);
}

// ---- derived quantities ---------------------------------------------------------

INT_S32 WM_GRID::inner_height() const {
  return height - gap(style.border_top_gap) - gap(style.border_bottom_gap);
}

INT_S32 WM_GRID::content_height() const {
  if (row_count < 1 || !rows) return 0;
  return rows[row_count - 1]->bottom - gap(style.y_spacing);
}

INT_U8 WM_GRID::overflows() const {
  return row_count > 0 && inner_height() < content_height() ? 1 : 0;
}

INT_S32 WM_GRID::row_top(INT_S16 row) const {
  if (row < 0 || row >= row_count) return 0;
  return rows[row]->bottom - rows[row]->height - gap(style.y_spacing);
}

INT_S32 WM_GRID::scroll_pos() const { return scroll_maximum() - scroll_value(); }

INT_S16 WM_GRID::new_row_height() const {
  const INT_S32 gaps = gap(style.cell_top_gap) + gap(style.cell_bottom_gap);
  return row_height <= gaps + 1 ? to_s16(gaps + 2) : row_height;
}

INT_S32 WM_GRID::header_height() const {
  return (style.ssef & ssef_grid_fix_top_row) && row_count > 0 ? rows[0]->height : 0;
}

void WM_GRID::set_scroll_maximum(INT_S32 maximum) {
  scroll.set_long(&scroll.max, maximum);
  scroll.set_long(&scroll.value, scroll.get_long());  // the value stays in range
}

void WM_GRID::delete_scrollbar() {
  if (!scrollbar) return;
  WM_SCROLLBAR* bar = scrollbar;
  scrollbar = nullptr;
  if (wm_wheel_target == bar) wm_wheel_target = nullptr;
  delete bar;
}

// ---- cells ------------------------------------------------------------------------

INT_S16 WM_GRID::get_cell_count(INT_S16 row) {
  return row >= 0 && row < row_count ? rows[row]->cell_count : 0;
}

WM_SCREEN_OBJECT* WM_GRID::get_cell(INT_S16 column, INT_S16 row) {
  if (row < 0 || row >= row_count || column < 0 || column >= rows[row]->cell_count ||
      !rows[row]->cells)
    return nullptr;
  return rows[row]->cells[column];
}

INT_U8 WM_GRID::find_cell(WM_SCREEN_OBJECT* object, INT_U16* row, INT_U16* column,
                          INT_U8 forward) {
  for (INT_S32 k = 0; k < row_count; ++k) {
    const INT_S16 r = static_cast<INT_S16>(forward ? k : row_count - 1 - k);
    GRID_ROW* gr = rows[r];
    if (!gr->cells) continue;
    for (INT_S16 c = 0; c < gr->cell_count; ++c)
      if (gr->cells[c] == object) {
        *row = static_cast<INT_U16>(r);
        *column = static_cast<INT_U16>(c);
        return 1;
      }
  }
  return 0;
}

void WM_GRID::place_cell_object(WM_SCREEN_OBJECT* object, INT_U16 column, INT_S16 row) {
  INT_S16 x1, y1, x2, y2;
  get_cell_rect(column, static_cast<INT_U16>(row), &x1, &y1, &x2, &y2);
  object->set_size(static_cast<INT_S16>(x2 - x1 + 1), static_cast<INT_S16>(y2 - y1 + 1), 1);
  object->set_position(x1, y1);
}

void WM_GRID::update_slider() {
  if (!scrollbar) return;
  const INT_S32 content = content_height();
  if (content <= 0) return;
  INT_S64 length = static_cast<INT_S64>(scrollbar->get_track_extent()) * inner_height() / content;
  if (length < scrollbar_style.scrollbar_slider_width) length = scrollbar_style.scrollbar_slider_width;
  scrollbar->set_slider_size(to_s16(static_cast<INT_S32>(length > 32767 ? 32767 : length)));
}

WM_SCREEN_OBJECT* WM_GRID::place_object(INT_U16 column, INT_S16 row, WM_SCREEN_OBJECT* object) {
  if (row < 0 || row >= GRID_ROW_CEILING || (row_limit != -1 && row >= row_limit)) return nullptr;
  const INT_U8 overflowed = overflows();
  const INT_S32 ys = gap(style.y_spacing);

  if (row >= row_count) {
    // Every record is made before anything changes, so a failure leaves the
    // grid as it was.
    const INT_S16 old_count = row_count;
    const INT_S32 added = row - old_count + 1;
    GRID_ROW** made = new (std::nothrow) GRID_ROW*[added]();
    bool complete = made != nullptr;
    for (INT_S32 k = 0; complete && k < added; ++k)
      complete = (made[k] = new (std::nothrow) GRID_ROW) != nullptr;
    GRID_ROW** grown =
        complete ? static_cast<GRID_ROW**>(std::realloc(rows, sizeof(GRID_ROW*) * (row + 1)))
                 : nullptr;
    if (!grown) {
      for (INT_S32 k = 0; made && k < added; ++k) delete made[k];
      delete[] made;
      return nullptr;
    }
    rows = grown;
    if (last_shown_row == -1) last_shown_row = 0;
    const INT_S32 first_top = row_count > 0 ? row_top(first_shown_row) : 0;
    const INT_S32 inner = inner_height();
    const INT_S16 h = new_row_height();
    for (INT_S32 r = old_count; r <= row; ++r) {
      GRID_ROW* gr = made[r - old_count];
      rows[r] = gr;
      gr->height = h;
      gr->set_cell_span(&style);
      gr->set_cells(width, column_count, column_weights, &style);
      gr->bottom = (r > 0 ? rows[r - 1]->bottom : 0) + ys + h;
      row_count = static_cast<INT_S16>(r + 1);
      if (gr->bottom - h - ys - first_top <= inner) last_shown_row = r;
    }
    delete[] made;
    const INT_S32 excess = content_height() - inner;
    set_scroll_maximum(excess > 0 ? excess : 0);
    // The value counts from the bottom: raising it by what was added below
    // keeps the rows in view where they were.
    scroll.set_long(&scroll.value, scroll.get_long() + added * (h + ys));
  }

  if (!overflowed && overflows() && row > 0) {
    for (INT_S16 r = 0; r < row; ++r) {
      GRID_ROW* gr = rows[r];
      for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c)
        if (WM_SCREEN_OBJECT* o = gr->cells[c]) place_cell_object(o, static_cast<INT_U16>(c), r);
    }
  }

  INT_S16 x1, y1, x2, y2;
  get_cell_rect(column, static_cast<INT_U16>(row), &x1, &y1, &x2, &y2);
  if (object) object->set_layer(layer);
  if (visible) show();
  if (object) {
    object->set_size(static_cast<INT_S16>(x2 - x1 + 1), static_cast<INT_S16>(y2 - y1 + 1), 1);
    object->set_position(x1, y1);
  }
  update_slider();

  GRID_ROW* gr = rows[row];
  if (!gr->cells || column >= static_cast<INT_U16>(gr->cell_count)) return nullptr;
  WM_SCREEN_OBJECT* old = gr->cells[column];
  gr->set_cell(static_cast<INT_S16>(column), object, 0);
  ++cell_generation_;
  // Deleted last: one that held the focus tells its callback, which may
  // delete the grid.
  if (old != object) delete old;
  return object;
}

void WM_GRID::clear_rows(INT_U8 keep_columns) {
  GRID_ROW** old = rows;
  const INT_S16 count = row_count;
  rows = nullptr;
  row_count = 0;
  ++cell_generation_;
  // The array is taken out first: a cell's destructor sees an empty grid.
  // A focused cell's callback, told of the loss, may delete the grid.
  if (!wm_call_survives(this, [&] {
        for (INT_S16 r = 0; r < count; ++r) delete old[r];
        std::free(old);
      }))
    return;
  if (!wm_call_survives(this, [&] { delete_scrollbar(); })) return;  // so may the scrollbar's
  if (!keep_columns) {
    delete[] column_weights;
    column_weights = nullptr;
    column_count = 0;
    row_height = 0;
    rows_per_page = 0;
  }
  first_shown_row = 0;
  last_shown_row = -1;
  scroll.set_long(&scroll.value, 0);
  scroll.set_long(&scroll.max, 0);
  last_seen_scroll = last_seen_maximum = 0;
  if (visible) show();
}

void WM_GRID::delete_rows(INT_S16 first, INT_S16 last) {
  if (first < 0 || first > last || last >= row_count) return;
  GRID_ROW** old = rows;
  const INT_S16 count = row_count;
  rows = nullptr;
  row_count = 0;
  const INT_S16 saved_height = row_height;
  // A focused cell deleted with its row (or the scrollbar) tells its
  // callback, which may delete the grid: the old rows are let go of all the
  // same.
  const auto let_go = [&] {
    for (INT_S16 r = 0; r < count; ++r) delete old[r];
    std::free(old);
  };
  if (!wm_call_survives(this, [&] { clear_rows(1); })) {
    let_go();
    return;
  }
  INT_S16 n = 0;
  for (INT_S16 r = 0; r < count; ++r) {
    GRID_ROW* gr = old[r];
    if (r >= first && r <= last) continue;
    if (gr->cells && gr->cell_count > 0) {
      set_column_weights(gr->cell_count, gr->weights);
      row_height = gr->height;
      for (INT_S16 c = 0; c < gr->cell_count; ++c) {
        WM_SCREEN_OBJECT* o = gr->cells[c];
        if (!o) continue;
        // The slot is emptied first, so that clearing the old row below
        // cannot delete an object the grid now holds elsewhere.
        gr->cells[c] = nullptr;
        if (!place_object(static_cast<INT_U16>(c), n, o)) delete o;
      }
    }
    ++n;
  }
  if (!wm_call_survives(this, let_go)) return;
  row_height = saved_height;
  if (visible) show();
}

void WM_GRID::reset_rows(INT_S16 first, INT_S16 last) {
  // The cells are deleted once the rows are reset: one that held the focus
  // tells its callback, which may delete the grid.
  std::vector<WM_SCREEN_OBJECT*> gone;
  for (INT_S16 r = first < 0 ? 0 : first; r < row_count && r <= last; ++r) {
    GRID_ROW* gr = rows[r];
    for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c) {
      if (gr->cells[c]) gone.push_back(gr->cells[c]);
      gr->cells[c] = nullptr;
    }
    gr->clear();
    gr->set_cells(width, column_count, column_weights, &style);
  }
  ++cell_generation_;
  if (visible) show();
  for (WM_SCREEN_OBJECT* o : gone) delete o;
}

void WM_GRID::set_column_weights(INT_S16 count, const INT_U16* weights) {
  if (count <= 0) return;
  INT_U16* copy = copy_weights(count, weights);
  if (!copy) return;
  delete[] column_weights;
  column_weights = copy;
  column_count = count;
}

void WM_GRID::set_row_height(INT_U16 h) {
  rows_per_page = 0;
  INT_S32 value = h ? h : static_cast<INT_S32>(get_grid_row_height(&style, nullptr));
  value -= gap(style.y_spacing);
  row_height = to_s16(value < 1 ? 1 : value);
  if (scrollbar && row_height >= 2) scrollbar->wheel_step = static_cast<INT_S16>(row_height / 2);
}

void WM_GRID::set_row_selected(INT_S16 row, INT_U8 selected) {
  if (row < 0 || row >= row_count) return;
  const INT_U8 v = selected ? 1 : 0;
  if (rows[row]->selected == v) return;
  rows[row]->selected = v;
  if (visible) show();
}

// ---- screen-object operations -----------------------------------------------------

void WM_GRID::remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative) {
  if (!child) return;
  INT_U16 r, c;
  if (find_cell(child, &r, &c, 1)) {
    rows[r]->cells[c] = nullptr;
    ++cell_generation_;
    child->hide(0, 0);
    if (destroy) delete child;
    return;
  }
  WM_SCREEN_OBJECT::remove_child(child, destroy, relative);
}

WM_SCREEN_OBJECT* WM_GRID::object_at(INT_S16 px, INT_S16 py) {
  if (!visible || !is_over(px, py)) return nullptr;
  WM_SCREEN_OBJECT* result = this;
  if (scrollbar)
    if (WM_SCREEN_OBJECT* hit = scrollbar->object_at(px, py)) result = hit;
  auto row_hits = [&](INT_S16 r) {
    if (r < 0 || r >= row_count) return;
    GRID_ROW* gr = rows[r];
    for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c)
      if (WM_SCREEN_OBJECT* o = gr->cells[c])
        if (WM_SCREEN_OBJECT* hit = o->object_at(px, py)) result = hit;
  };
  for (INT_S16 r = first_shown_row; r <= last_shown_row; ++r) row_hits(r);
  if ((style.ssef & ssef_grid_fix_top_row) && first_shown_row != 0) row_hits(0);
  return result;
}

void WM_GRID::set_position(INT_S16 new_x, INT_S16 new_y) {
  if (new_x == x && new_y == y) return;
  for (INT_S16 r = 0; r < row_count; ++r) {
    GRID_ROW* gr = rows[r];
    for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c)
      if (WM_SCREEN_OBJECT* o = gr->cells[c])
        o->set_position(static_cast<INT_S16>(new_x - x + o->get_x()),
                        static_cast<INT_S16>(new_y - y + o->get_y()));
  }
  WM_SCREEN_OBJECT::set_position(new_x, new_y);
}

void WM_GRID::set_layer(INT_S16 new_layer) {
  WM_SCREEN_OBJECT::set_layer(new_layer);
  if (scrollbar) scrollbar->set_layer(new_layer);
  for (INT_S16 r = 0; r < row_count; ++r) {
    GRID_ROW* gr = rows[r];
    for (INT_S16 c = 0; gr->cells && c < gr->cell_count; ++c)
      if (WM_SCREEN_OBJECT* o = gr->cells[c]) o->set_layer(new_layer);
  }
}

// ---- style functions -----------------------------------------------------------------

INT_U32 get_grid_row_height(const WM_STYLE_SET* grid_style, const WM_STYLE_SET* item_style) {
  const WM_STYLE_SET* s = item_style ? item_style : grid_style;
  INT_S32 h = s->font_y_sz != -1 ? s->font_y_sz : (wm_surface ? wm_surface->font_height : 0);
  const INT_S32 border = get_default_border_width(s->shading_type);
  h += s->border_top_gap != -1 ? s->border_top_gap : border;
  h += s->border_bottom_gap != -1 ? s->border_bottom_gap : border;
  h += gap(grid_style->cell_top_gap) + gap(grid_style->cell_bottom_gap) + gap(grid_style->y_spacing);
  return static_cast<INT_U32>(h < 0 ? 0 : h);
}

INT_U32 get_cell_gaps_width(const WM_STYLE_SET* s) {
  return static_cast<INT_U32>(gap(s->cell_left_gap) + gap(s->cell_right_gap));
}

INT_U32 get_cell_gaps_height(const WM_STYLE_SET* s) {
  return static_cast<INT_U32>(gap(s->cell_top_gap) + gap(s->cell_bottom_gap));
}

INT_U32 get_border_gaps_width(const WM_STYLE_SET* s) {
  const INT_S32 d = default_border_gap(s);
  return static_cast<INT_U32>((s->border_left_gap != -1 ? s->border_left_gap : d) +
                              (s->border_right_gap != -1 ? s->border_right_gap : d));
}

INT_U32 get_border_gaps_height(const WM_STYLE_SET* s) {
  const INT_S32 d = default_border_gap(s);
  return static_cast<INT_U32>((s->border_top_gap != -1 ? s->border_top_gap : d) +
                              (s->border_bottom_gap != -1 ? s->border_bottom_gap : d));
}
