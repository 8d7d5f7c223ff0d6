// The table widget: a vertical list of rows, each a line of cells holding at
// most one screen object. The grid owns its cell objects, places and sizes them
// to their cells and drives them itself (they are not its children), scrolls
// vertically by pixels through a typed value counted from the bottom of the
// content, shows a scrollbar while the content overflows, can keep its first
// row fixed as a header and lets the arrow keys move the focus between cells.
//
// Row bottoms and content sums are 32-bit: 32,767 rows of any height stay in
// range. Screen positions (i16) of rows far out of view are clamped; they are
// never used, since painting places the shown rows afresh every frame.
#ifndef WM_GRID_H
#define WM_GRID_H

#include "skin_frame.h"
#include "style_set.h"
#include "typed_value.h"
#include "wm_screen_object.h"
#include "zorv_types.h"

class FOLDER;
class WM_BUTTON;
class WM_IMAGE;
class WM_LIST_BOX;
class WM_SCRIPT;
class WM_SCROLLBAR;

// One row: its cells, its height and the column layout it was made with. Cell
// positions are relative to the grid's left edge; a narrow grid may give
// negative ones.
struct GRID_ROW {
  INT_U8 selected = 0;                   // drawn highlighted
  WM_SCREEN_OBJECT** cells = nullptr;    // cell_count slots (malloc), null = empty slot; owned
  INT_S16 cell_count = 0;
  INT_S16 height = 0;                    // pixels, without the spacing below
  INT_U16 cell_top = 0;                  // row-relative top of every cell
  INT_U16 cell_bottom = 0;               // row-relative bottom of every cell
  INT_S32 bottom = 0;                    // sum of (height + y_spacing) down to this row
  INT_S16* left = nullptr;               // per cell, without scrollbar (new[])
  INT_S16* left_sb = nullptr;            // with room for the scrollbar
  INT_S16* right = nullptr;              // inclusive
  INT_S16* right_sb = nullptr;
  INT_U16* weights = nullptr;            // the row's copy of the column weights
  INT_U16 last_cell_extra = 0;           // added to the last cell's right edge

  GRID_ROW() = default;
  ~GRID_ROW() { clear(); }
  GRID_ROW(const GRID_ROW&) = delete;
  GRID_ROW& operator=(const GRID_ROW&) = delete;

  // (Re)makes the layout arrays for count cells and lays them out over width.
  void set_cells(INT_S16 width, INT_S16 count, const INT_U16* weights, const WM_STYLE_SET* style);
  void layout_cells(INT_S16 width, const WM_STYLE_SET* style);
  // h includes the spacing below the row; the bottoms below are not touched.
  void set_height(INT_U16 h, const WM_STYLE_SET* style);
  // Cell top and bottom for the row's height under the style's cell gaps.
  void set_cell_span(const WM_STYLE_SET* style);
  // 0 without a cell array or for a column outside the row.
  INT_U8 set_cell(INT_S16 column, WM_SCREEN_OBJECT* object, INT_U8 destroy_old);
  // Row-relative box of a cell; all 0 for a column outside the row.
  void get_cell_rect(INT_S16 column, INT_U8 scrollbar_layout, INT_S16* x1, INT_S16* y1,
                     INT_S16* x2, INT_S16* y2) const;
  // Deletes the cell objects and frees every array.
  void clear();
};

// The list box's chosen callback (wm_list_box.h).
typedef INT_S32 (*LIST_BOX_CALLBACK)(WM_LIST_BOX* box, INT_WORD arg1, INT_WORD arg2);

// Step callback kinds of the grid's scrollbar.
enum { GRID_LINE_UP = 1, GRID_LINE_DOWN = 2, GRID_PAGE_UP = 3, GRID_PAGE_DOWN = 4 };
// Directions of WM_GRID::find_neighbour_cell.
enum { GRID_LEFT = 0, GRID_RIGHT = 1, GRID_UP = 2, GRID_DOWN = 3 };
// Rows at or beyond this index are refused after init.
enum { GRID_DEFAULT_ROW_LIMIT = 1024 };
// The row count is 16-bit: rows from this index up are refused whatever the
// limit, so the last row a grid can hold is 32,766.
enum { GRID_ROW_CEILING = 32767 };

class WM_GRID : public WM_SCREEN_OBJECT {
 public:
  explicit WM_GRID(INT_U8 visible);
  WM_GRID(INT_U8 visible, WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2);
  ~WM_GRID() override;

  // Every creator calls this first: rectangle, columns (weights null = all 1;
  // negative weights as i16 are fixed widths), the grid's style and the style
  // its scrollbar gets.
  void init(INT_U16 x1, INT_U16 y1, INT_U16 x2, INT_U16 y2, INT_U16 columns,
            const INT_U16* weights, const WM_STYLE_SET* style,
            const WM_STYLE_SET* scrollbar_style);

  // ---- Screen-object operations (the cells are walked, not children) -----
  INT_S32 handle_input() override;
  INT_S32 update(INT_U8 popups) override;
  WM_SCREEN_OBJECT* object_at(INT_S16 px, INT_S16 py) override;
  void set_position(INT_S16 new_x, INT_S16 new_y) override;
  void set_size(INT_S16 new_width, INT_S16 new_height, INT_U8 children_too) override;
  void set_layer(INT_S16 new_layer) override;
  void remove_child(WM_SCREEN_OBJECT* child, INT_U8 destroy, INT_U8 relative) override;
  INT_U8 can_focus() override { return 0; }  // its cells take the focus
  void render() override;
  void draw() override;

  // ---- What the page manager's focus walk reads ---------------------------
  virtual INT_S16 get_row_count() { return row_count; }
  virtual INT_S16 get_cell_count(INT_S16 row);
  // The object in a cell; null outside the rows or the row's cells.
  virtual WM_SCREEN_OBJECT* get_cell(INT_S16 column, INT_S16 row);
  // 1 when the grid is visible and the row lies wholly inside its view (below
  // a fixed header row; the header row itself never counts).
  virtual INT_U8 is_row_visible(INT_S16 row);

  // ---- Rows and cells -----------------------------------------------------
  // Places the object into the cell, making missing rows; null when the row
  // is refused. An object refused only for its column is still sized and
  // placed, and stays the caller's.
  WM_SCREEN_OBJECT* place_object(INT_U16 column, INT_S16 row, WM_SCREEN_OBJECT* object);
  INT_U8 find_cell(WM_SCREEN_OBJECT* object, INT_U16* row, INT_U16* column, INT_U8 forward);
  void delete_rows(INT_S16 first, INT_S16 last);
  void clear_rows(INT_U8 keep_columns);
  void reset_rows(INT_S16 first, INT_S16 last);
  void set_column_weights(INT_S16 count, const INT_U16* weights);
  // Height of rows made from now on (0 = from the style); rows per page off.
  void set_row_height(INT_U16 height);
  void set_row_selected(INT_S16 row, INT_U8 selected);

  // Cell makers: the object is made on the cell's box and placed; it is
  // returned even when the grid refused it (the caller then owns it).
  WM_SCRIPT* add_script_cell(INT_U16 column, INT_S16 row, const char* text,
                             const WM_STYLE_SET* style);
  WM_SCRIPT* add_text_cell(INT_U16 column, INT_S16 row, const char* text,
                           const COLOUR* text_colour, const COLOUR* back_colour, INT_U32 flags);
  WM_BUTTON* add_button_cell(INT_U16 column, INT_S16 row, const char* text,
                             const WM_STYLE_SET* style, WM_ACTION_CALLBACK callback,
                             INT_WORD arg1, INT_WORD arg2, INT_U8 click_events);
  WM_BUTTON* add_font_button_cell(INT_U16 column, INT_S16 row, const char* text,
                                  const COLOUR* colour_a, const COLOUR* colour_b,
                                  INT_U32 button_flags, WM_ACTION_CALLBACK callback,
                                  INT_WORD arg1, INT_WORD arg2, INT_U8 click_events);
  WM_IMAGE* add_image_cell(INT_U16 column, INT_S16 row, FOLDER* folder, const char* base_name,
                           WM_ACTION_CALLBACK callback, INT_WORD arg1, INT_WORD arg2);
  // A list box (list_box.cpp) with the default list-box effects.
  WM_LIST_BOX* add_list_box_cell(INT_U16 column, INT_S16 row, INT_U32 unused1, INT_S16 count,
                                 const char** texts, INT_S16 initial,
                                 const WM_STYLE_SET* button_style, INT_U32 unused2,
                                 const WM_STYLE_SET* frame_style, INT_U32 unused3,
                                 const WM_STYLE_SET* item_style, LIST_BOX_CALLBACK callback,
                                 INT_WORD arg1, INT_WORD arg2,
                                 const WM_STYLE_SET* alternate_item_style);

  // ---- Scrolling and geometry ---------------------------------------------
  // Recomputes the shown rows after the scroll value or maximum changed.
  void sync_scroll();
  // Screen box of a cell, also for rows beyond the last; whether the row is
  // among the shown ones.
  INT_U8 get_cell_rect(INT_U16 column, INT_U16 row, INT_S16* x1, INT_S16* y1, INT_S16* x2,
                       INT_S16* y2);
  INT_U8 get_row_span(INT_S16 row, INT_S32* y1, INT_S32* y2);
  void scroll_to_row(INT_S16 row);
  void focus_cell(INT_U16 column, INT_U16 row);
  INT_U8 find_focus_cell(INT_U16* column, INT_U16* row, INT_U8 any_row);
  // The scrollbar's step callback: the grid is the scrollbar's action_arg1.
  static INT_S32 scroll_amount(WM_SCROLLBAR* scrollbar, INT_S32 kind);
  INT_S32 rows_fit_height(INT_S16 rows);
  // The value clamped into 0..maximum, then the shown rows when visible.
  void set_scroll(INT_S32 value);
  INT_U8 is_scrolled_to_top();
  // Row-relative box of a column's cell in a row of the current row height.
  void row_cell_rect(INT_U16 column, INT_S16* x1, INT_S16* y1, INT_S16* x2, INT_S16* y2);

  // ---- Input --------------------------------------------------------------
  WM_SCREEN_OBJECT* find_neighbour_cell(INT_U8 direction, INT_S16 column, INT_S16 row,
                                        INT_S16* out_column, INT_S16* out_row,
                                        INT_U8 focusable_only);

  // ---- Skins --------------------------------------------------------------
  INT_U8 load_skin(const char* folder_text, const char* base_name, const WM_STYLE_SET* style);
  INT_U8 load_skin_from_folder(FOLDER* folder, const char* base_name, const WM_STYLE_SET* style);
  void release_skin();
  INT_U8 has_skin() { return normal_frame.is_valid() ? 1 : 0; }

  // ---- Derived quantities (pixels) ----------------------------------------
  INT_S32 inner_height() const;
  INT_S32 content_height() const;        // 0 without rows
  INT_U8 overflows() const;              // rows, and content beyond the inner height
  INT_S32 row_top(INT_S16 row) const;    // within the content
  INT_S32 scroll_pos() const;            // content pixels scrolled past at the top
  INT_S32 scroll_value() const { return scroll.get_long(); }
  INT_S32 scroll_maximum() const { return scroll.as_long(&scroll.max); }
  // Height of a row made now: the row height raised above the cell gaps.
  INT_S16 new_row_height() const;
  // Moves on whenever a cell slot or the row array changes.
  unsigned cell_generation() const { return cell_generation_; }

  GRID_ROW** rows = nullptr;           // realloc'd; null while there are none
  INT_S16 row_count = 0;
  INT_S16 first_shown_row = 0;
  INT_S16 last_shown_row = -1;         // -1 = none
  INT_S32 row_limit = GRID_DEFAULT_ROW_LIMIT;  // -1 = no limit
  INT_U16* column_weights = nullptr;   // new[]
  INT_S16 column_count = 0;
  INT_S16 row_height = 0;              // for rows made from now on
  INT_S16 rows_per_page = 0;           // 0 = off
  WM_STYLE_SET style;
  WM_STYLE_SET scrollbar_style;
  INT_U16 two_tone_value = 0;          // percent odd rows are darkened by
  SKIN_FRAME normal_frame;
  SKIN_FRAME highlighted_frame;
  SKIN_FRAME alternate_frame;
  INT_U8 keyboard_navigation = 0;      // arrows move the focus, scroll keys act
  TYPED_VALUE scroll;                  // i32, counts from the bottom of the content
  WM_SCROLLBAR* scrollbar = nullptr;   // owned, made by painting while overflowing
  INT_S32 last_seen_scroll = 0;
  INT_S32 last_seen_maximum = 0;
  INT_S32 fixed_line_amount = 0;       // answered as they are when not 0
  INT_S32 fixed_page_amount = 0;

 private:
  void construct();
  void delete_scrollbar();
  void set_scroll_maximum(INT_S32 maximum);
  INT_S32 header_height() const;
  void place_cell_object(WM_SCREEN_OBJECT* object, INT_U16 column, INT_S16 row);
  void update_slider();
  void manage_scrollbar();
  void handle_keys();
  // Ticks (input 0) or feeds (input 1) the header and shown cells; the first
  // non-zero result.
  INT_S32 pass_cells(INT_U8 input, INT_U8 popups);

  // Bumped whenever a cell slot or the row array changes: walks that call
  // into cell objects recheck what is left of their snapshot when it moved.
  unsigned cell_generation_ = 0;
};

// Style functions owners size grids and rows with.
INT_U32 get_grid_row_height(const WM_STYLE_SET* grid_style, const WM_STYLE_SET* item_style);
INT_U32 get_cell_gaps_width(const WM_STYLE_SET* style);
INT_U32 get_cell_gaps_height(const WM_STYLE_SET* style);
INT_U32 get_border_gaps_width(const WM_STYLE_SET* style);
INT_U32 get_border_gaps_height(const WM_STYLE_SET* style);

#endif
