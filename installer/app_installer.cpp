// The installer application: start-up, the per-frame step, shutdown and the
// install page with its background.
#include "app_installer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "anim_strip.h"
#include "app.h"
#include "console.h"
#include "data_file.h"
#include "database.h"
#include "folder.h"
#include "image.h"
#include "image_cache.h"
#include "install_dialog.h"
#include "package.h"
#include "utilities.h"
#include "window.h"
#include "wm_globals.h"
#include "wm_script.h"

PAGE_MANAGER& get_page_manager() {
  static PAGE_MANAGER manager(1, -1);
  return manager;
}

INSTALL_DIALOG* install_dialog = nullptr;
INT_S16 dialog_position_x = 0, dialog_position_y = 0;
ANIM_STRIP* background_strip = nullptr;
INT_U32 animation_start_ms = 0;

namespace {

const INT_U32 kStartBufferSize = 0x100000;
const INT_U16 kNoLimit = 65535;
const INT_S16 kFrameRateMargin = 10;  // pixels between the frame-rate line and the bottom
const COLOUR kOpaqueBlack = 0xFF000000u;

const char kNoDataTitle[] = "No installation data found!";
const char kNoDataText[] = "Make sure you have got all required files.";

const char kSmallScreenTitle[] = "The screen is too small!";

// Without a window there is nothing to show and nobody to ask: one line on
// the terminal, then the end with status 1. A screen too small for the
// dialog is also told in the box "No installation data found!" uses, for a
// user who started the program from a menu and sees no terminal.
[[noreturn]] void end_without_window(const WINDOW_REQUEST& request) {
  const char* display = getenv("DISPLAY");
  INT_S16 screen_w = 0, screen_h = 0;
  INT_S32 need_w = 0, need_h = 0;
  get_window_room(&request, &need_w, &need_h);
  if (!display || !display[0]) {
    fprintf(stderr, "%s: cannot open the display: DISPLAY is not set\n", program_invocation_short_name);
  } else if (!is_display_open()) {
    fprintf(stderr, "%s: cannot open the display \"%s\"\n", program_invocation_short_name, display);
  } else if (get_desktop_size(&screen_w, &screen_h) && (screen_w < need_w || screen_h < need_h)) {
    // Short lines: the message program does not wrap, and it cuts a line
    // wider than about three quarters of the screen (this box fits on 320).
    char text[160];
    snprintf(text, sizeof text, "The installer needs a screen\nof at least %d x %d pixels;\nthis one has %d x %d.",
             static_cast<int>(need_w), static_cast<int>(need_h), screen_w, screen_h);
    fprintf(stderr, "%s: the screen \"%s\" is too small: %d x %d pixels needed, %d x %d there\n",
            program_invocation_short_name, display, static_cast<int>(need_w), static_cast<int>(need_h), screen_w,
            screen_h);
    fflush(stderr);
    show_message_box(kSmallScreenTitle, text);
  } else {
    fprintf(stderr, "%s: cannot open a window of %d x %d on the display \"%s\"\n", program_invocation_short_name,
            request.width, request.height, display);
  }
  DATABASE& db = installer_database;
  delete db.package;
  db.package = nullptr;
  close_display();
  remove_private_temp_folder();
  fflush(nullptr);
  exit(1);
}

}  // namespace

void installer_start_up(INT_S16 argc, char** argv) {
  DATABASE& db = installer_database;
  data_file_default_buffer_size = kStartBufferSize;
  db.automatic = 0;
  read_installer_options(argc, argv);

  IMAGE picture;
  draw_please_wait_picture(&picture, 0);
  show_please_wait(&picture);
  // Every page reads the current language's texts and the run the selected
  // item: a database without either is no installation data.
  bool loaded = db.open_package();
  if (loaded && db.language_count <= 0)
    db.note_package_problem("its database holds no language");
  else if (loaded && db.item_count <= 0)
    db.note_package_problem("its database holds nothing to install");
  loaded = loaded && db.language_count > 0 && db.item_count > 0;
  close_window(0);
  if (!loaded) {
    fprintf(stderr, "%s: no installation data: %s\n", program_invocation_short_name, db.package_problem);
    show_message_box(kNoDataTitle, kNoDataText);
    fatal_exit(kNoDataTitle);
  }

  WINDOW_REQUEST request = {};
  request.title = db.languages[db.current_language].texts[2];
  request.width = static_cast<INT_S16>(db.window_width);
  request.height = static_cast<INT_S16>(db.window_height);
  request.full_screen = db.full_screen;
  request.min_width = db.dialog_width;
  request.max_width = kNoLimit;
  request.min_height = db.dialog_height;
  request.max_height = kNoLimit;
  request.undecorated = 0;
  if (!open_window(&request, 0)) end_without_window(request);

  register_install_page(&page_manager);
  page_manager.fade_in_first_page = 1;
  set_may_quit_callback(open_quit_box);
  wm_bevel_dark_colour = 0;
  wm_bevel_light_colour = 0;
}

INT_U8 installer_step() {
  const INT_S32 result = page_manager.update(0);
  IMAGE* screen = get_screen_image(0);
  // Drawn only into a frame that is shown: pixels changed now would have the
  // next present put out a frame whose waiting rectangles are not drawn.
  if (installer_database.show_frame_rate && screen && screen->pixels && wm_frame_goes_out()) {
    const COLOUR white = 0xFFFFFFFFu, none = 0;
    screen->draw_text(0, static_cast<INT_S16>(get_screen_height(0) - screen->font_height - kFrameRateMargin),
                      &white, &none, &none, screen->font, screen->font_width, screen->font_height,
                      get_frame_rate_text(nullptr));
  }
  swap_screens(-1);
  return result != PAGE_ACTION_END;
}

void installer_shut_down() {
  DATABASE& db = installer_database;
  close_window(0);
  IMAGE picture;
  draw_please_wait_picture(&picture, 1);
  show_please_wait(&picture);
  db.reset();
  delete db.package;
  db.package = nullptr;
  close_window(0);
  remove_private_temp_folder();
}

// ---- the install page ----------------------------------------------------------

void register_install_page(PAGE_MANAGER* pm) {
  DATABASE& db = installer_database;
  pm->request_page(pm->current_area, build_install_page, release_install_page, 0,
                   process_install_page, 0, 0, nullptr);
  delete background_strip;
  background_strip = nullptr;
  if (db.animation_period != 0)
    background_strip = new ANIM_STRIP(0, 0, &wm_skin_cache, db.animation_folder, db.animation_image,
                                      static_cast<INT_S16>(db.window_width),
                                      static_cast<INT_S16>(db.window_height),
                                      static_cast<INT_U32>(db.animation_period),
                                      db.animation_strip_width, db.animation_strip_height);
  pm->areas[0].manager.invalidate_display();
  // The backdrop covers the whole screen, the picture at its top-left and
  // black around it, and the animation is drawn into it: every repaint of a
  // dirty rectangle then restores what lay under a closed hint or a moved
  // box, also where the animation does not reach, while it waits for its
  // delay, and when its picture cannot be loaded.
  IMAGE& back = pm->backgrounds[0];
  const INT_S16 width = static_cast<INT_S16>(std::max<int>(get_screen_width(0), db.background.width));
  const INT_S16 height = static_cast<INT_S16>(std::max<int>(get_screen_height(0), db.background.height));
  back.create(width, height);
  const COLOUR black = kOpaqueBlack;
  if (back.pixels) back.clear(&black, 1);
  back.blit(&db.background, 0, 0, 0, 0, static_cast<INT_S16>(db.background.width),
            static_cast<INT_S16>(db.background.height), BLIT_COPY);
  dialog_position_x = db.dialog_x;
  dialog_position_y = db.dialog_y;
}

void build_install_page(PAGE_MANAGER* pm) {
  DATABASE& db = installer_database;
  if (background_strip) background_strip->draw(&pm->backgrounds[0]);
  if (db.show_title_banner) {
    WM_SCRIPT* banner = new WM_SCRIPT(0, 0, -1, -1, &db.styles[0],
                                      db.languages[db.current_language].texts[2]);
    pm->current_manager->add_child(banner, 1);
  }
  install_dialog = new INSTALL_DIALOG(dialog_position_x, dialog_position_y);
  pm->current_manager->add_child(install_dialog, 1);
}

void release_install_page(INT_WORD*) {
  delete background_strip;
  background_strip = nullptr;
}

INT_S32 process_install_page() {
  DATABASE& db = installer_database;
  db.install_step(install_dialog);
  if (install_dialog) {
    dialog_position_x = install_dialog->get_x();
    dialog_position_y = install_dialog->get_y();
  }
  const INT_S16 screen_w = static_cast<INT_S16>(get_screen_width(0));
  const INT_S16 screen_h = static_cast<INT_S16>(get_screen_height(0));
  if (!(screen_w > static_cast<INT_S16>(db.dialog_width) &&
        screen_h > static_cast<INT_S16>(db.dialog_height)) ||
      !background_strip)
    return WM_ACTION_NONE;
  if (animation_start_ms == 0) animation_start_ms = wm_frame_ms + db.animation_delay;
  // Compared as a difference, so a clock that wraps keeps the order.
  if (static_cast<INT_S32>(wm_frame_ms - animation_start_ms) < 0) {
    background_strip->reset();
    return WM_ACTION_NONE;
  }
  if (background_strip->update()) {
    background_strip->draw(&page_manager.backgrounds[0]);
    page_manager.current_manager->show();
  }
  return WM_ACTION_NONE;
}
