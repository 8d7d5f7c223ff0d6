// Grid painting: the scrollbar that exists while the content overflows, the
// background and the row or cell boxes of the three looks, the placing of the
// cells in view (painting is where cells follow scrolling and stretching),
// rendering of the cells clipped to the inner area, and the row skins.
#include <cstdio>
#include <vector>

#include "../wm_internal.h"
#include "folder.h"
#include "grid_internal.h"
#include "image.h"
#include "wm_globals.h"
#include "wm_scrollbar.h"

namespace {

const COLOUR kBlack = 0xFF000000u;
const INT_S16 kMaxRadius = 20;          // rounded corners never grow beyond this
const INT_S16 kDarkenedBackground = 50;  // percent

inline bool is_visible_colour(COLOUR c) { return (c >> 24) != 0; }

// The radius of a row or cell box.
INT_S16 box_radius(INT_S16 x1, INT_S16 y1, INT_S16 x2, INT_S16 y2) {
  const INT_S16 r = IMAGE::default_corner_radius(x1, y1, x2, y2);
  return r >= 2 * kMaxRadius ? kMaxRadius : static_cast<INT_S16>(r / 2);
}

struct BOX {
  INT_S16 x1, y1, x2, y2;
};

// One pass of painting: the values every slot needs.
struct PAINT {
  WM_GRID& g;
  IMAGE* surface;
  INT_S8 mask;         // rounded corners of the fills
  bool frame_ok;       // the normal row frame is usable
  INT_U32 ssef;
  GRID_SLOTS slots;

  void fill(const BOX& b, const COLOUR* colour, INT_S16 radius) const {
    if (!mask)
      surface->fill_rect(b.x1, b.y1, b.x2, b.y2, colour, 1);
    else
      surface->fill_rounded_colour(b.x1, b.y1, b.x2, b.y2, colour, radius, mask);
  }
  void darken(const BOX& b, INT_S16 percent, INT_S16 radius) const {
    if (!mask)
      surface->darken_rect(b.x1, b.y1, b.x2, b.y2, percent);
    else
      surface->darken_rounded(b.x1, b.y1, b.x2, b.y2, radius, percent, mask);
  }
  void frame(SKIN_FRAME& f, const BOX& b) const { f.draw(b.x1, b.y1, b.x2, b.y2, 1, surface, 0); }

  // A row box of the lines look or a cell box of the cells look.
  void box(const BOX& b, const GRID_ROW* row, bool odd) const {
    const INT_S16 radius = box_radius(b.x1, b.y1, b.x2, b.y2);
    if (frame_ok) {
      if (row->selected && g.highlighted_frame.is_valid())
        frame(g.highlighted_frame, b);
      else if (g.alternate_frame.is_valid() && odd)
        frame(g.alternate_frame, b);
      else
        frame(g.normal_frame, b);
    } else if (row->selected && is_visible_colour(g.style.highlight_colour)) {
      fill(b, &g.style.highlight_colour, radius);
    } else if (g.style.ssf & ssf_darkened_background) {
      darken(b, kDarkenedBackground, radius);
    } else if (is_visible_colour(g.style.bg_colour)) {
      fill(b, &g.style.bg_colour, radius);
    }
    two_tone(b, row, odd, radius);
  }
  void two_tone(const BOX& b, const GRID_ROW* row, bool odd, INT_S16 radius) const {
    if ((ssef & ssef_grid_two_tone) && odd && !row->selected)
      darken(b, static_cast<INT_S16>(g.two_tone_value), radius);
  }
};

void place(WM_SCREEN_OBJECT* o, INT_S32 x1, INT_S32 y1, INT_S32 x2, INT_S32 y2) {
  o->set_position(grid_clamp16(x1), grid_clamp16(y1));
  o->set_size(grid_clamp16(x2 - x1 + 1), grid_clamp16(y2 - y1 + 1), 1);
}

}  // namespace

// ---- the scrollbar -----------------------------------------------------------------------

void WM_GRID::manage_scrollbar() {
  const INT_S32 bt = grid_gap(style.border_top_gap), bb = grid_gap(style.border_bottom_gap);
  const INT_S32 br = grid_gap(style.border_right_gap);
  const INT_S32 sbw = grid_gap(style.grid_scrollbar_width);
  const INT_S32 ys = grid_gap(style.y_spacing);
  const bool fixed_header = (style.ssef & ssef_grid_fix_top_row) != 0;
  const bool no_bar = (style.ssef & ssef_grid_no_scrollbar) != 0;
  if (!(overflows() && row_count >= 2)) {
    delete_scrollbar();
    if (fixed_header && row_count > 0) rows[0]->last_cell_extra = 0;
    return;
  }
  INT_S32 top = y + bt;
  if (!no_bar && fixed_header && !(style.ssef & ssef_grid_dont_shorten_scrollbar)) {
    // The bar starts below the header, whose last cell spans its column.
    rows[0]->last_cell_extra = static_cast<INT_U16>(sbw + 1);
    top += rows[0]->height + ys;
  } else {
    rows[0]->last_cell_extra = 0;
  }
  const INT_S32 bar_x = x + width - br - 1 - sbw;
  if (!no_bar && !scrollbar) {
    scrollbar = new WM_SCROLLBAR(grid_clamp16(bar_x), grid_clamp16(top),
                                 grid_clamp16(x + width - br - 1),
                                 grid_clamp16(y + height - 1 - bb), &scroll, &scrollbar_style,
                                 nullptr, 0, 0);
    // The step callback finds the grid through the first argument: both are
    // set before any key or wheel can step the bar.
    scrollbar->action_arg1 = word_from_pointer(this);
    scrollbar->step_callback = scroll_amount;
    if (row_height / 2 > 0) scrollbar->wheel_step = static_cast<INT_S16>(row_height / 2);
    scrollbar->set_layer(layer);
    update_slider();
  } else if (scrollbar) {
    scrollbar->set_position(grid_clamp16(bar_x), grid_clamp16(top));
  }
}

// ---- painting ------------------------------------------------------------------------------

void WM_GRID::draw() {
  IMAGE* surface = wm_surface;
  if (!surface) return;
  const INT_S32 bl = grid_gap(style.border_left_gap), br = grid_gap(style.border_right_gap);
  const INT_S32 bt = grid_gap(style.border_top_gap), bb = grid_gap(style.border_bottom_gap);
  const INT_S32 ys = grid_gap(style.y_spacing);
  const INT_S32 sbw = grid_gap(style.grid_scrollbar_width);
  const INT_U32 ssef = style.ssef;
  const bool fixed_header = (ssef & ssef_grid_fix_top_row) && row_count > 0;

  INT_S8 mask = 0;
  for (int bit = 0; bit < 4; ++bit)
    if (style.shading_flags & (16u << bit)) mask = static_cast<INT_S8>(mask | (1 << bit));
  const WM_CLIP saved = wm_save_clip(surface);

  const bool cells_look = !(ssef & ssef_grid_type_lines) && (ssef & ssef_grid_type_cells);
  const bool lines_look = (ssef & ssef_grid_type_lines) != 0;
  GRID_ROW empty;
  grid_empty_row(*this, empty, cells_look ? 1 : 0);

  manage_scrollbar();
  PAINT p{*this, surface, mask, normal_frame.is_valid() != 0, ssef, grid_slots(*this, empty.height)};
  const INT_U8 sb = scrollbar ? 1 : 0;

  const BOX whole{x, y, grid_clamp16(x + width - 1), grid_clamp16(y + height - 1)};
  const INT_S16 whole_radius = static_cast<INT_S16>(
      IMAGE::default_corner_radius(whole.x1, whole.y1, whole.x2, whole.y2) < kMaxRadius
          ? IMAGE::default_corner_radius(whole.x1, whole.y1, whole.x2, whole.y2)
          : kMaxRadius);

  if (!lines_look && !cells_look) {
    if (p.frame_ok) {
      p.frame(normal_frame, whole);
    } else if (style.ssf & ssf_darkened_background) {
      p.darken(whole, kDarkenedBackground, whole_radius);
    } else if (style.ssf & (ssf_hfading | ssf_vfading)) {
      const bool across = (style.ssf & ssf_hfading) != 0;
      if (!mask && across)
        surface->fill_gradient_horizontal(whole.x1, whole.y1, whole.x2, whole.y2,
                                          &style.bg_colour, &style.fading_colour, 1);
      else if (!mask)
        surface->fill_gradient_vertical(whole.x1, whole.y1, whole.x2, whole.y2,
                                        &style.bg_colour, &style.fading_colour, 1);
      else
        surface->fill_rounded_rect(whole.x1, whole.y1, whole.x2, whole.y2, whole_radius, mask,
                                   &style.bg_colour, &style.fading_colour, 0, across ? 1 : 2);
    } else if (is_visible_colour(style.bg_colour)) {
      p.fill(whole, &style.bg_colour, whole_radius);
    }
  }

  const INT_S32 drawn_past = (ssef & ssef_grid_only_draw_used_lines) ? 0 : p.slots.fillers;
  const INT_S32 first = first_shown_row;
  const INT_S32 last = last_shown_row;
  const INT_S32 o = overflows() && !(ssef & ssef_grid_scroll_by_line)
                        ? row_top(first_shown_row) - scroll_pos()
                        : 0;
  const INT_S32 clip_top = y + bt + (fixed_header ? rows[0]->height + ys : 0);
  const INT_S32 inner_left = x + bl, inner_right = x + width - 1 - br;

  INT_S32 top = y + bt + o;  // top of the slot in turn, in the scrolled position
  for (INT_S32 i = first; i <= last + drawn_past; ++i) {
    const bool real = i <= last && i < row_count;
    GRID_ROW* row = real ? rows[i] : &empty;
    if (real && (ssef & ssef_grid_only_draw_used_lines)) {
      bool used = false;
      for (INT_S16 c = 0; row->cells && c < row->cell_count && !used; ++c) used = row->cells[c];
      if (!used) continue;  // takes no height: the rows below move up
    }
    const INT_S32 k = i - first;
    const INT_S32 e = p.slots.extra(k);
    const bool odd = (k & 1) != 0;
    INT_S32 slot_top = top;
    const INT_S16 own_height = row->height;

    wm_restore_clip(surface, saved);
    if (real && i == first && fixed_header) {
      // The header slot: row 0, unscrolled; the objects of the row it covers
      // are parked out of sight above the inner area.
      if (i != 0)
        for (INT_S16 c = 0; row->cells && c < row->cell_count; ++c)
          if (WM_SCREEN_OBJECT* obj = row->cells[c])
            place(obj, x + bl, y + bt - row->height, x + width - 1 - br, y + bt - 1);
      row = rows[0];
      slot_top = y + bt;
    } else {
      surface->intersect_clip(grid_clamp16(inner_left), grid_clamp16(clip_top),
                              grid_clamp16(inner_right), grid_clamp16(y + height - 1 - bb));
    }
    const INT_S32 slot_bottom = slot_top + row->height + e - 1;

    if (lines_look) {
      const BOX b{grid_clamp16(inner_left), grid_clamp16(slot_top),
                  grid_clamp16(inner_right - (sb ? sbw : 0) + row->last_cell_extra),
                  grid_clamp16(slot_bottom)};
      p.box(b, row, odd);
    } else if (cells_look) {
      for (INT_S16 c = 0; c < row->cell_count; ++c) {
        INT_S16 cx1, cy1, cx2, cy2;
        row->get_cell_rect(c, sb, &cx1, &cy1, &cx2, &cy2);
        const BOX b{grid_clamp16(x + cx1), grid_clamp16(slot_top + cy1), grid_clamp16(x + cx2),
                    grid_clamp16(slot_top + cy2 + e)};
        p.box(b, row, odd);
      }
    } else {
      const BOX b{grid_clamp16(inner_left), grid_clamp16(slot_top), grid_clamp16(inner_right),
                  grid_clamp16(slot_bottom)};
      if (row->selected && real) {
        if (p.frame_ok) {
          if (highlighted_frame.is_valid()) p.frame(highlighted_frame, b);
        } else if (is_visible_colour(style.highlight_colour)) {
          p.fill(b, &style.highlight_colour, box_radius(b.x1, b.y1, b.x2, b.y2));
        }
      } else {
        p.two_tone(b, row, odd, -1);
      }
    }

    for (INT_S16 c = 0; row->cells && c < row->cell_count; ++c) {
      WM_SCREEN_OBJECT* obj = row->cells[c];
      if (!obj) continue;
      INT_S16 cx1, cy1, cx2, cy2;
      row->get_cell_rect(c, sb, &cx1, &cy1, &cx2, &cy2);
      place(obj, x + cx1, slot_top + cy1, x + cx2, slot_top + cy2 + e);
    }
    // The next slot follows the row this slot stands for, in its scrolled
    // place, also under a fixed header.
    top += own_height + e + ys;
  }

  wm_restore_clip(surface, saved);
  if (p.frame_ok || !(style.ssf & ssf_draw_border)) return;
  const COLOUR outline = wm_outline_colour;
  if (style.ssf & ssf_use_text_colour_for_outline) wm_outline_colour = style.fg_colour;
  const INT_U16 border_mask = (style.ssf & ssf_indent_border)
                                  ? static_cast<INT_U16>(style.shading_flags | 0x8000)
                                  : static_cast<INT_U16>(style.shading_flags & 0x7FFF);
  draw_border(whole.x1, whole.y1, whole.x2, whole.y2, border_mask, &style.bg_colour, 1,
              whole_radius);
  wm_outline_colour = outline;
}

void WM_GRID::render() {
  if (!is_dirty_rect_active() || !visible || !wm_surface) return;
  IMAGE* surface = wm_surface;
  const bool outermost = !wm_rendering;
  WM_CLIP outer{};
  if (outermost) {
    const DIRTY_RECT& r = wm_dirty_rects[wm_drawn_dirty_rect];
    outer = wm_save_clip(surface);
    surface->intersect_clip(r.left, r.top, r.right, r.bottom);
    wm_rendering = 1;
  }
  // A draw (the grid's own, or a cell's) may delete the grid: its part ends
  // there, and the clip is still put back.
  const auto render_part = [&] {
    if (meets_dirty_rect()) {
      if (!wm_call_survives(this, [&] { draw(); })) return;
      if (!visible) return;
      needs_redraw = 0;
      drawn = 1;
    } else if (needs_redraw) {
      needs_redraw = 0;
      drawn = 1;
    }

    const WM_CLIP saved = wm_save_clip(surface);
    const bool fixed_header = (style.ssef & ssef_grid_fix_top_row) && row_count > 0;
    // Rendering draws only; nothing here changes the rows, but a snapshot of
    // the objects keeps the walk independent of the row array all the same.
    std::vector<WM_SCREEN_OBJECT*> header, shown;
    auto collect = [&](INT_S32 r, std::vector<WM_SCREEN_OBJECT*>& out) {
      if (r < 0 || r >= row_count) return;
      for (INT_S16 c = 0; rows[r]->cells && c < rows[r]->cell_count; ++c)
        if (rows[r]->cells[c]) out.push_back(rows[r]->cells[c]);
    };
    if (fixed_header) collect(0, header);
    for (INT_S32 r = first_shown_row; r <= last_shown_row; ++r)
      if (!(fixed_header && r == 0)) collect(r, shown);
    const auto render_cell = [&](WM_SCREEN_OBJECT* o) {
      if (wm_call_survives(this, [&] { o->render(); })) return true;
      wm_restore_clip(surface, saved);
      return false;
    };
    for (WM_SCREEN_OBJECT* o : header)
      if (!render_cell(o)) return;
    const INT_S32 c = fixed_header ? rows[0]->height + grid_gap(style.y_spacing) : 0;
    surface->intersect_clip(grid_clamp16(x + grid_gap(style.border_left_gap)),
                            grid_clamp16(y + grid_gap(style.border_top_gap) + c),
                            grid_clamp16(x + width - 1 - grid_gap(style.border_right_gap)),
                            grid_clamp16(y + height - 1 - grid_gap(style.border_bottom_gap)));
    for (WM_SCREEN_OBJECT* o : shown)
      if (!render_cell(o)) return;
    wm_restore_clip(surface, saved);
    if (scrollbar && !render_cell(scrollbar)) return;
    WM_SNAPSHOT kids(children, false);
    for (size_t i = 0; i < kids.size(); ++i)
      if (kids.still_listed(i) && !is_popup(kids.at(i)) && !render_cell(kids.at(i))) return;
  };
  render_part();

  if (outermost) {
    wm_restore_clip(surface, outer);
    wm_rendering = 0;
  }
}

// ---- skins ---------------------------------------------------------------------------------

INT_U8 WM_GRID::load_skin(const char* folder_text, const char* base_name,
                          const WM_STYLE_SET* skin_style) {
  if (skin_style && skin_style->is_loaded()) {
    if (SKIN_FRAME* f = skin_style->state_images[STYLE_IMAGE_BASE]) normal_frame.copy_from(f);
    if (SKIN_FRAME* f = skin_style->state_images[STYLE_IMAGE_ALTERNATE])
      alternate_frame.copy_from(f);
    if (SKIN_FRAME* f = skin_style->state_images[STYLE_IMAGE_HIGHLIGHTED])
      highlighted_frame.copy_from(f);
    return has_skin();
  }
  if (!base_name || !*base_name) {
    release_skin();
    return 0;
  }
  char name[STYLE_PATH_SIZE];
  normal_frame.load(folder_text, base_name, 0);
  std::snprintf(name, sizeof name, "%s_highlighted", base_name);
  highlighted_frame.load(folder_text, name, 0);
  std::snprintf(name, sizeof name, "%s_alternate", base_name);
  alternate_frame.load(folder_text, name, 0);
  return has_skin();
}

INT_U8 WM_GRID::load_skin_from_folder(FOLDER* folder, const char* base_name,
                                      const WM_STYLE_SET* skin_style) {
  char path[STYLE_PATH_SIZE];
  path[0] = 0;
  if (folder) folder->get_path_text(path, nullptr);
  return load_skin(path, base_name, skin_style);
}

void WM_GRID::release_skin() {
  alternate_frame.release();
  highlighted_frame.release();
  normal_frame.release();
}
