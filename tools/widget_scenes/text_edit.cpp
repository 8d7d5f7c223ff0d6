// An edit box over a file selector in "new file" mode, browsing the folder
// named by WIDGET_DEMO_FOLDER. The box reports every edit with its cursor
// position and prints its text on Return; the selector prints its folder and
// the centres of its rows and buttons after every rebuild, and the centres of
// a new-folder dialog's box and OK when one opens.
#include <cstdlib>
#include <cstring>

#include "folder.h"
#include "image.h"
#include "widget_demo.h"
#include "wm_button.h"
#include "wm_file_select.h"
#include "wm_globals.h"
#include "wm_grid.h"
#include "wm_text_edit.h"
#include "wm_text_edit_dialog.h"

namespace {

const DIALOG_EFFECTS kNoEffects = {0, 300, 1000, 192};
const COLOUR kText = 0xFF000000u, kBack = 0xFFFFFFFFu, kHighlight = 0xFF3060C0u,
             kCursor = 0xFFFF0000u;
const INT_S16 kBoxX = 10, kBoxY = 10, kBoxWidth = 200, kBoxGap = 3;
const INT_S16 kSelectY = 44;

int centre_x(const WM_SCREEN_OBJECT* o) { return o->x + o->width / 2; }
int centre_y(const WM_SCREEN_OBJECT* o) { return o->y + o->height / 2; }

INT_S32 on_edit(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD) {
  WM_TEXT_EDIT* box = static_cast<WM_TEXT_EDIT*>(object);
  const char* text = box->text.text ? box->text.text : "";
  if (box->return_pressed)
    widget_demo_say("return %s", text);
  else
    widget_demo_say("edit %s cursor %d %d", text, box->char_x(box->cursor),
                    box->y + box->top_gap + box->font_h / 2);
  return 0;
}

INT_S32 on_answer(WM_SCREEN_OBJECT* object, INT_WORD, INT_WORD answer) {
  WM_FILE_SELECT* s = static_cast<WM_FILE_SELECT*>(object);
  FOLDER out;
  char name[600] = "";
  s->get_result(&out, name);
  widget_demo_say("answer %d %s %s", word_to_s32(answer), out.path, name);
  return 0;
}

class SCENE_SELECT : public WM_FILE_SELECT {
 public:
  using WM_FILE_SELECT::WM_FILE_SELECT;
  INT_S32 handle_input() override {
    // Cells are placed by the frame's painting: report them a frame later.
    const bool rebuilt = refresh_needed != 0;
    if (!rebuilt && list->cell_generation() != said_generation_) {
      said_generation_ = list->cell_generation();
      widget_demo_say("folder %s", folder.path);
      for (INT_S16 r = 0; r < list->row_count; ++r) {
        WM_SCREEN_OBJECT* cell = list->get_cell(1, r);
        if (cell && (cell->kind & WM_KIND_BUTTON))
          widget_demo_say("row %s %d %d", static_cast<WM_BUTTON*>(cell)->text, centre_x(cell),
                          centre_y(cell));
      }
      widget_demo_say("newfolder %d %d", centre_x(new_folder_button), centre_y(new_folder_button));
      widget_demo_say("rows done");
    }
    const INT_S32 result = WM_FILE_SELECT::handle_input();
    WM_SCREEN_OBJECT* top = find_popup(WM_KIND_TEXT_EDIT_DIALOG);
    if (top != said_dialog_) {
      said_dialog_ = top;
      if (top) {
        WM_TEXT_EDIT_DIALOG* d = static_cast<WM_TEXT_EDIT_DIALOG*>(top);
        widget_demo_say("dialog %d %d %d %d", centre_x(d->edit_box), centre_y(d->edit_box),
                        centre_x(d->ok_button), centre_y(d->ok_button));
      }
    }
    return result;
  }

 private:
  unsigned said_generation_ = ~0u;
  WM_SCREEN_OBJECT* said_dialog_ = nullptr;
};

void build(PAGE_MANAGER* pm) {
  WM_DIALOG::init_default_styles();
  wm_dialog_effects = kNoEffects;

  WM_STYLE_SET box_style;
  box_style.fg_colour = kText;
  box_style.bg_colour = kBack;
  box_style.highlight_colour = kHighlight;
  box_style.active_text_colour = kCursor;
  box_style.ssf |= ssf_draw_border | ssf_indent_border;
  box_style.border_left_gap = box_style.border_right_gap = kBoxGap;
  box_style.border_top_gap = box_style.border_bottom_gap = kBoxGap;
  WM_TEXT_EDIT* box =
      new WM_TEXT_EDIT(kBoxX, kBoxY, kBoxWidth, 40, "", &box_style, on_edit, 0, 0);
  box->notify_on_change = 1;
  pm->current_manager->add_child(box, 0);
  // The band probe: the first column of the text, above the glyphs.
  widget_demo_say("box %d %d band %d %d", centre_x(box), centre_y(box), box->x + box->left_gap,
                  box->y + box->top_gap + 1);

  // The selector's styles as its default form derives them.
  const WM_STYLE_SET& b = wm_dialog_button_style;
  WM_STYLE_SET menu_button(b), menu_frame(b), name_box(b), list(b), list_scrollbar(b);
  menu_button.ssf |= ssf_left_justify_text;
  menu_button.ssef |= ssef_down_arrow;
  menu_frame.shading_flags &= static_cast<INT_U16>(~0xF0u);
  menu_frame.ssf |= ssf_draw_border | ssf_outstanding_border;
  name_box.shading_flags &= static_cast<INT_U16>(~0xF0u);
  name_box.ssf |= ssf_draw_border | ssf_indent_border;
  name_box.shading_type = 4;
  list = name_box;
  SCENE_SELECT* s = new SCENE_SELECT(0, kSelectY, WIDGET_DEMO_WIDTH,
                                     static_cast<INT_S16>(WIDGET_DEMO_HEIGHT - kSelectY),
                                     &menu_button, &menu_frame, &name_box, &list, &list_scrollbar,
                                     1, on_answer, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
  FOLDER start;
  const char* where = std::getenv("WIDGET_DEMO_FOLDER");
  if (where && start.set_if_directory(where))
    s->set_mode(FILE_SELECT_SAVE, &start, nullptr, nullptr);
  else
    s->set_mode(FILE_SELECT_SAVE, nullptr, nullptr, nullptr);
  // On the page beside the box, so that both take input; the new-folder
  // dialog still goes on the pop-up list above them.
  pm->current_manager->add_child(s, 0);
}

}  // namespace

WIDGET_DEMO_SCENE("text_edit", build);
