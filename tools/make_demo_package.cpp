// make_demo_package: writes a demonstration installer package, its database
// filled in code, its documents, payload and pictures generated here.
//
//   make_demo_package OUTDIR [--variant missing-entry|missing-shortcut-target|hostile|big]
//                            [--block-size N] [--count N] [--size BYTES]
//
// --count and --size shape the big variant: N payload files of BYTES each
// (2,000 of 100,000 by default).
//
// The same arguments always give the same bytes.
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data_file.h"
#include "database.h"
#include "fonts.h"
#include "package.h"
#include "wm_button.h"
#include "wm_dialog.h"

namespace {

const char kUsage[] =
    "usage: make_demo_package OUTDIR [--variant missing-entry|missing-shortcut-target|hostile|big] "
    "[--block-size N] [--count N] [--size BYTES]";
const char kPackageName[] = "installer.pkg";
const char kDatabaseEntry[] = "database.bin";

const INT_S32 kBigBlockSize = 65536;
const int kBigFileCount = 2000;
const INT_U32 kBigFileSize = 100000;
// An item's file table counts in 16 bits; the demo's own files come first.
const long long kBigFileCountMax = 30000;
const long long kBigFileSizeMax = 256ll << 20;
int big_file_count = kBigFileCount;
INT_U32 big_file_size = kBigFileSize;
const INT_U32 kDataSize = 1300000;  // three default blocks
const INT_U64 kDataSeed = 0x5A0F2D1E9C3B4A77ull;

enum VARIANT { STANDARD, MISSING_ENTRY, MISSING_SHORTCUT_TARGET, HOSTILE, BIG };

struct FAILURE {
  std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw FAILURE{message}; }

// xorshift64*: the payload's bytes are the same on every machine.
struct RANDOM_BYTES {
  INT_U64 state;
  explicit RANDOM_BYTES(INT_U64 seed) : state(seed ? seed : 1) {}
  INT_U64 next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
  void fill(std::vector<INT_U8>& out) {
    for (size_t i = 0; i < out.size(); i += 8) {
      INT_U64 v = next();
      for (size_t k = 0; k < 8 && i + k < out.size(); k++) out[i + k] = static_cast<INT_U8>(v >> (8 * k));
    }
  }
};

// ---- Texts ----------------------------------------------------------------

struct LANGUAGE_TEXTS {
  const char* texts[LANGUAGE_TEXT_COUNT];
  const char* item_names[5];  // Demo, Documents only, and the hostile variant's three
  const char* licence;        // null: no licence document
  const char* readme;
};

const char kLicenceEnglish[] =
    "ZORV DEMO LICENCE\n"
    "\n"
    "This is the licence of the Zorv demonstration package. It exists so that\n"
    "you can see what the licence page of the installer looks like.\n"
    "\n"
    "1. You may install, run and remove the demo as often as you like.\n"
    "\n"
    "2. The demo installs a small shell script, a text file, some data and a\n"
    "   picture into the folder you choose. Nothing else on your system is\n"
    "   changed, apart from the shortcuts you ask for on the target page.\n"
    "\n"
    "3. The demo comes without any warranty. It does nothing useful, and it\n"
    "   does that very reliably.\n"
    "\n"
    "4. To remove the demo, delete the folder it was installed into, and the\n"
    "   shortcuts if you made any.\n"
    "\n"
    "Choose \"I agree\" to go on, or \"I disagree\" to go back.\n";

const char kLicenceGerman[] =
    "ZORV DEMO LIZENZ\n"
    "\n"
    "Dies ist die Lizenz des Zorv-Demopakets. Sie zeigt, wie die Lizenzseite\n"
    "des Installationsprogramms aussieht.\n"
    "\n"
    "1. Sie duerfen die Demo so oft installieren, starten und entfernen, wie\n"
    "   Sie moechten.\n"
    "\n"
    "2. Die Demo legt ein kleines Shell-Skript, eine Textdatei, einige Daten\n"
    "   und ein Bild in dem Ordner ab, den Sie waehlen. Sonst wird nichts auf\n"
    "   Ihrem System veraendert, ausser den Verknuepfungen, die Sie auf der\n"
    "   Zielseite anfordern.\n"
    "\n"
    "3. Die Demo wird ohne jede Gewaehrleistung geliefert.\n"
    "\n"
    "4. Zum Entfernen loeschen Sie den Installationsordner und gegebenenfalls\n"
    "   die Verknuepfungen.\n";

const char kReadmeEnglish[] =
    "Welcome to the Zorv demo!\n"
    "\n"
    "The installation is complete. Here is what was installed:\n"
    "\n"
    "- bin/zorv-demo.sh: a small script; run it to be greeted.\n"
    "- doc/notes.txt: a few notes about the demo.\n"
    "- data/data.bin: 1,300,000 bytes of pseudo-random data.\n"
    "- data/placeholder.txt: an empty file, installed under its own name.\n"
    "- share/zorv-demo.png: the picture of the desktop shortcut.\n"
    "- install_log.txt: the log of this installation.\n"
    "\n"
    "If you asked for them, a desktop shortcut, a menu entry in \"Utility\"\n"
    "and a link to the demo's web site were created as well.\n"
    "\n"
    "Thank you for trying the Zorv demo. Choose \"Finish\" to close the setup.\n";

const char kReadmeGerman[] =
    "Willkommen bei der Zorv-Demo!\n"
    "\n"
    "Die Installation ist abgeschlossen. Installiert wurden:\n"
    "\n"
    "- bin/zorv-demo.sh: ein kleines Skript, das Sie begruesst.\n"
    "- doc/notes.txt: einige Hinweise zur Demo.\n"
    "- data/data.bin: 1.300.000 Bytes Zufallsdaten.\n"
    "- data/placeholder.txt: eine leere Datei unter eigenem Namen.\n"
    "- share/zorv-demo.png: das Bild der Desktop-Verknuepfung.\n"
    "- install_log.txt: das Protokoll dieser Installation.\n"
    "\n"
    "Danke, dass Sie die Zorv-Demo ausprobiert haben. Waehlen Sie \"Fertig\",\n"
    "um das Installationsprogramm zu schliessen.\n";

const LANGUAGE_TEXTS kLanguages[] = {
    {{"English", "English", "Zorv Demo Setup", "Quit Setup",
      "Do you really want to quit the setup?", "Quit", "Stay", "Installation problem",
      "A file could not be installed.", "Go on", "Go back", "Next", "Go to the next step", "Back",
      "Go to the previous step", "I agree", "Accept the licence and go on", "I disagree",
      "Decline the licence", "Quit", "Leave the setup", "About", "About this setup", "Install",
      "Start the installation", "Finish", "Close the setup", "Choose your language",
      "Licence agreement", "Read me", "What do you want to install?",
      "Where do you want to install it?", "Install into:", "Use the second folders",
      "Shortcuts:", "Create desktop shortcuts", "Create menu entries", "Installing",
      "Preparing the installation...", "Copying files...", "Creating desktop shortcuts...",
      "Creating menu entries...", "Removing files...", "Setup was cancelled.",
      "Installation complete.", "OK", "Cancel", "New Folder", "Choose a folder", "Folder:",
      "Name:", "Drives", "New Folder", "Name of the new folder:", "Zorv Demo", "1.0",
      "Zorv Demo Makers", "https://example.org/zorv"},
     {"Demo", "Documents only", "Empty folder", "Unknown variable", "Plain path"},
     kLicenceEnglish,
     kReadmeEnglish},
    {{"Deutsch", "Deutsch", "Zorv Demo Installation", "Installation beenden",
      "Wollen Sie die Installation wirklich beenden?", "Beenden", "Bleiben",
      "Installationsproblem", "Eine Datei konnte nicht installiert werden.", "Weiter",
      "Zurueck", "Weiter", "Zum naechsten Schritt", "Zurueck", "Zum vorigen Schritt",
      "Ich stimme zu", "Lizenz annehmen und weiter", "Ich lehne ab", "Lizenz ablehnen",
      "Beenden", "Installation verlassen", "Info", "Ueber diese Installation", "Installieren",
      "Installation starten", "Fertig", "Installation schliessen", "Sprache waehlen",
      "Lizenzvereinbarung", "Liesmich", "Was moechten Sie installieren?",
      "Wohin moechten Sie installieren?", "Installieren nach:", "Zweite Ordner verwenden",
      "Verknuepfungen:", "Desktop-Verknuepfungen anlegen", "Menueeintraege anlegen",
      "Installation", "Installation wird vorbereitet...", "Dateien werden kopiert...",
      "Desktop-Verknuepfungen werden angelegt...", "Menueeintraege werden angelegt...",
      "Dateien werden entfernt...", "Installation abgebrochen.", "Installation abgeschlossen.",
      "OK", "Abbrechen", "Neuer Ordner", "Ordner waehlen", "Ordner:", "Name:", "Laufwerke",
      "Neuer Ordner", "Name des neuen Ordners:", "Zorv Demo", "1.0", "Zorv Demo Makers",
      "https://example.org/zorv"},
     {"Demo", "Nur Dokumente", "Leerer Ordner", "Unbekannte Variable", "Fester Pfad"},
     kLicenceGerman,
     kReadmeGerman},
    {{"Francais", "Francais", "Installation de Zorv Demo", "Quitter l'installation",
      "Voulez-vous vraiment quitter l'installation ?", "Quitter", "Rester",
      "Probleme d'installation", "Un fichier n'a pas pu etre installe.", "Continuer",
      "Revenir", "Suivant", "Etape suivante", "Precedent", "Etape precedente", "J'accepte",
      "Accepter la licence et continuer", "Je refuse", "Refuser la licence", "Quitter",
      "Quitter l'installation", "A propos", "A propos de cette installation", "Installer",
      "Lancer l'installation", "Terminer", "Fermer l'installation", "Choisissez votre langue",
      "Contrat de licence", "Lisez-moi", "Que voulez-vous installer ?",
      "Ou voulez-vous l'installer ?", "Installer dans :", "Utiliser les seconds dossiers",
      "Raccourcis :", "Creer des raccourcis sur le bureau", "Creer des entrees de menu",
      "Installation", "Preparation de l'installation...", "Copie des fichiers...",
      "Creation des raccourcis...", "Creation des entrees de menu...",
      "Suppression des fichiers...", "Installation annulee.", "Installation terminee.", "OK",
      "Annuler", "Nouveau dossier", "Choisir un dossier", "Dossier :", "Nom :", "Lecteurs",
      "Nouveau dossier", "Nom du nouveau dossier :", "Zorv Demo", "1.0", "Zorv Demo Makers",
      "https://example.org/zorv"},
     {"Demo", "Documents seulement", "Dossier vide", "Variable inconnue", "Chemin fixe"},
     nullptr,
     nullptr},
};
const int kLanguageCount = sizeof kLanguages / sizeof kLanguages[0];

const char kNotes[] =
    "Zorv demo notes\n"
    "===============\n"
    "\n"
    "This text file was installed by the Zorv demo package.\n"
    "The script in bin/ greets you when you run it.\n";

const char kScript[] =
    "#!/bin/sh\n"
    "echo \"Hello from the Zorv demo.\"\n";

const char kMacStub[] = "This file belongs to another platform and is never installed.\n";

// ---- Pictures -------------------------------------------------------------

INT_U32 argb(double a, double r, double g, double b) {
  auto c = [](double v) { return static_cast<INT_U32>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255)); };
  return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// Paints `colour` over the pixel with the given coverage (0..1).
void blend(IMAGE& image, int x, int y, INT_U32 colour, double coverage) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height || coverage <= 0) return;
  INT_U32& p = image.pixels[static_cast<long>(y) * image.pitch + x];
  const double a = ((colour >> 24) & 0xFF) / 255.0 * std::fmin(coverage, 1.0);
  auto channel = [&](int shift) {
    const double s = ((colour >> shift) & 0xFF) / 255.0, d = ((p >> shift) & 0xFF) / 255.0;
    return s * a + d * (1 - a);
  };
  const double da = ((p >> 24) & 0xFF) / 255.0;
  p = argb(a + da * (1 - a), channel(16), channel(8), channel(0));
}

// A shape given by an inside test, drawn with 4 x 4 samples per pixel.
template <typename INSIDE>
void paint(IMAGE& image, INT_U32 colour, INSIDE inside) {
  for (int y = 0; y < image.height; y++)
    for (int x = 0; x < image.width; x++) {
      int hits = 0;
      for (int sy = 0; sy < 4; sy++)
        for (int sx = 0; sx < 4; sx++)
          if (inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)) hits++;
      blend(image, x, y, colour, hits / 16.0);
    }
}

struct POINT {
  double x, y;
};

bool in_polygon(const std::vector<POINT>& p, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    if ((p[i].y > y) != (p[j].y > y) &&
        x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
      in = !in;
  return in;
}

void polygon(IMAGE& image, INT_U32 colour, const std::vector<POINT>& points) {
  paint(image, colour, [&](double x, double y) { return in_polygon(points, x, y); });
}

void disc(IMAGE& image, INT_U32 colour, double cx, double cy, double r) {
  paint(image, colour, [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; });
}

void bar(IMAGE& image, INT_U32 colour, double x1, double y1, double x2, double y2, double width) {
  const double dx = x2 - x1, dy = y2 - y1, length = std::sqrt(dx * dx + dy * dy);
  const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
  polygon(image, colour, {{x1 + nx, y1 + ny}, {x2 + nx, y2 + ny}, {x2 - nx, y2 - ny}, {x1 - nx, y1 - ny}});
}

const int kIconSize = 22;

void draw_icon(IMAGE& icon, int index) {
  icon.create(kIconSize, kIconSize);
  for (int i = 0; i < kIconSize * kIconSize; i++) icon.pixels[(i / kIconSize) * icon.pitch + i % kIconSize] = 0;
  const INT_U32 green = 0xFF2E9E4F, red = 0xFFC8382E, blue = 0xFF2F6DB5, white = 0xFFFFFFFF;
  const double s = kIconSize;
  switch (index) {
    case ICON_FORWARD:
      polygon(icon, blue, {{6, 4}, {17, 11}, {6, 18}});
      break;
    case ICON_PREVIOUS:
      polygon(icon, blue, {{16, 4}, {5, 11}, {16, 18}});
      break;
    case ICON_YES:
    case ICON_AGREE:
      bar(icon, green, 4, 11, 9, 16, 3.5);
      bar(icon, green, 9, 16, 18, 5, 3.5);
      break;
    case ICON_NO:
    case ICON_DISAGREE:
      bar(icon, red, 5, 5, 17, 17, 3.5);
      bar(icon, red, 17, 5, 5, 17, 3.5);
      break;
    case ICON_QUIT:
      disc(icon, red, s / 2, s / 2, 9);
      bar(icon, white, 7, 11, 15, 11, 3);
      break;
    case ICON_ABOUT:
      disc(icon, blue, s / 2, s / 2, 9);
      disc(icon, white, s / 2, 6.5, 1.6);
      bar(icon, white, s / 2, 9.5, s / 2, 16.5, 3);
      break;
    case ICON_FINISH:
      bar(icon, 0xFF505050, 6, 3, 6, 19, 2);
      polygon(icon, green, {{7, 3}, {18, 7}, {7, 11}});
      break;
    case ICON_INSTALL:
      bar(icon, blue, s / 2, 3, s / 2, 12, 4);
      polygon(icon, blue, {{5, 11}, {17, 11}, {11, 18}});
      bar(icon, 0xFF505050, 4, 19.5, 18, 19.5, 2);
      break;
  }
}

void draw_background(IMAGE& image, int width, int height) {
  image.create(static_cast<INT_S16>(width), static_cast<INT_S16>(height));
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      const double t = static_cast<double>(y) / (height - 1), u = static_cast<double>(x) / (width - 1);
      image.pixels[static_cast<long>(y) * image.pitch + x] =
          argb(1, 0.07 + 0.05 * u, 0.20 + 0.22 * t, 0.38 + 0.12 * t - 0.08 * u);
    }
  // Soft rings on the right, clear of the install dialog.
  const struct {
    double x, y, r;
    INT_U32 colour;
  } rings[] = {{660, 470, 150, 0x18FFFFFF}, {720, 150, 90, 0x14FFFFFF}, {560, 560, 60, 0x12FFFFFF},
               {760, 330, 40, 0x20FFFFFF}};
  for (const auto& ring : rings) disc(image, ring.colour, ring.x, ring.y, ring.r);
  // A title stripe along the bottom.
  for (int y = height - 28; y < height; y++)
    for (int x = 0; x < width; x++) blend(image, x, y, 0xFF000000, 0.25);
}

// ---- Styles ---------------------------------------------------------------

const INT_U32 kInk = 0xFF1E2833, kPaper = 0xFFF4F6F9, kAccent = 0xFF2F6DB5, kAccentText = 0xFFFFFFFF;
const INT_U32 kShadingBevel = 6;

// Sides only: the default corner radius is a third of the smaller side, which
// turns a large frame or list box into a rounded blob.
const INT_U16 kSquareBorder = 0x0F;

WM_STYLE_SET style(INT_U32 fg, INT_U32 bg, INT_U32 ssf, INT_U16 shading_flags = kSquareBorder) {
  WM_STYLE_SET s;
  s.shading_type = kShadingBevel;
  s.fg_colour = fg;
  s.bg_colour = bg;
  s.highlight_colour = kAccent;
  s.highlight_text_colour = kAccentText;
  s.active_colour = kAccent;
  s.active_text_colour = kAccentText;
  s.mouse_over_colour = 0xFFDCE7F5;
  s.mouse_over_text_colour = fg;
  s.ssf = ssf;
  s.shading_flags = shading_flags;
  return s;
}

void fill_styles(DATABASE& db) {
  db.styles[STYLE_TITLE] = style(0xFFFFFFFF, 0, ssf_shadow_text | ssf_left_justify_text, 0);
  db.styles[STYLE_DIALOG_TEXT] = style(kInk, 0, ssf_left_justify_text, 0);
  db.styles[STYLE_OPTIONS] = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_indent_border);
  db.styles[STYLE_OPTIONS_SECOND] = style(kInk, 0xFFEEF2F7, 0, 0);
  db.styles[STYLE_TEXT_TITLE] = style(0xFF24466E, 0, ssf_left_justify_text, 0);
  db.styles[STYLE_TEXT] =
      style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_indent_border | ssf_left_justify_text);
  db.styles[STYLE_SCROLLBAR] = style(0xFF5A6573, 0xFFDDE2E8, ssf_draw_border);
  db.styles[STYLE_CHECK_BOX] = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_left_justify_text);
  db.styles[STYLE_PROGRESS_BAR] = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_indent_border);
  db.styles[STYLE_PROGRESS_SCRIPT] = style(kInk, 0, ssf_left_justify_text, 0);
  db.styles[STYLE_MENU_DROPDOWN] = style(kInk, 0xFFFFFFFF, ssf_draw_border);
  db.styles[STYLE_MENU_BUTTON] = style(kInk, 0xFFE4E9F0, ssf_draw_border);
  db.styles[STYLE_MENU_ITEM] = style(kInk, 0xFFFFFFFF, ssf_left_justify_text, 0);
  db.styles[STYLE_MENU_ALT_ITEM] = style(kInk, 0xFFEEF2F7, ssf_left_justify_text, 0);

  // The dialog and hint globals the record carries.
  WM_STYLE_SET frame = style(kInk, kPaper, ssf_draw_border | ssf_outstanding_border);
  WM_STYLE_SET caption = style(0xFFFFFFFF, kAccent, ssf_draw_border | ssf_left_justify_text);
  WM_STYLE_SET button = style(kInk, 0xFFE4E9F0, ssf_draw_border | ssf_icon_left, 255);
  // Room around the button texts.
  button.border_left_gap = button.border_right_gap = 6;
  button.border_top_gap = button.border_bottom_gap = 3;
  set_dialog_background_style(&frame);
  set_dialog_title_style(&caption);
  set_dialog_button_style(&button);
  wm_button_hint_style = style(kInk, 0xFFFFF8D6, ssf_draw_border);
  wm_button_hint_style_ready = 1;
  wm_dialog_effects.flags = 0;
  wm_dialog_effects.open_delay = 0;
  wm_dialog_effects.display_delay = 0;
  wm_dialog_effects.dragging_alpha = 255;
}

// ---- Tables ---------------------------------------------------------------

void set(char* field, const std::string& text) {
  if (text.size() >= DATABASE_TEXT_SIZE) fail("text too long: " + text);
  memcpy(field, text.c_str(), text.size() + 1);
}

struct FILE_SPEC {
  std::string name, folder, install_name, entry;
  INT_U8 platform;
};

struct SHORTCUT_SPEC {
  INT_U8 kind;
  std::string target, title, section;
  INT_U8 platform;
  std::string arguments, icon_folder, icon_name, location;
};

template <typename T>
T* table(size_t count) {
  T* records = static_cast<T*>(calloc(count ? count : 1, sizeof(T)));
  if (!records) fail("out of memory");
  return records;
}

void add_files(INSTALL_ITEM& item, const std::vector<FILE_SPEC>& files) {
  item.files = table<INSTALL_FILE>(files.size());
  item.file_count = static_cast<INT_S16>(files.size());
  for (size_t i = 0; i < files.size(); i++) {
    INSTALL_FILE& f = item.files[i];
    set(f.name, files[i].name);
    set(f.folder, files[i].folder);
    set(f.install_name, files[i].install_name);
    set(f.package_entry, files[i].entry);
    f.platform = files[i].platform;
  }
}

void add_shortcuts(INSTALL_ITEM& item, const std::vector<SHORTCUT_SPEC>& shortcuts) {
  item.shortcuts = table<INSTALL_SHORTCUT>(shortcuts.size());
  item.shortcut_count = static_cast<INT_S16>(shortcuts.size());
  for (size_t i = 0; i < shortcuts.size(); i++) {
    INSTALL_SHORTCUT& s = item.shortcuts[i];
    const SHORTCUT_SPEC& spec = shortcuts[i];
    s.kind = spec.kind;
    set(s.target, spec.target);
    set(s.title, spec.title);
    set(s.menu_section, spec.section);
    s.platform = spec.platform;
    set(s.arguments, spec.arguments);
    set(s.icon_folder, spec.icon_folder);
    set(s.icon_name, spec.icon_name);
    set(s.target_location, spec.location);
  }
}

std::string big_file_name(int i) {
  char name[32];
  snprintf(name, sizeof name, "file-%04d.bin", i);
  return name;
}

const std::vector<FILE_SPEC>& demo_files() {
  static const std::vector<FILE_SPEC> files = {
      {"zorv-demo.sh", "$APP/bin", "", "payload/zorv-demo.sh", PLATFORM_LINUX_I86},
      {"notes.txt", "$APP/doc", "", "payload/notes.txt", PLATFORM_ANY},
      {"data.bin", "$APP/data", "", "payload/data.bin", PLATFORM_ANY},
      {"empty.txt", "$APP/data", "placeholder.txt", "payload/empty.txt", PLATFORM_ANY},
      {"zorv-demo.png", "$APP/share", "", "payload/zorv-demo.png", PLATFORM_ANY},
      {"not-packed.txt", "$APP/doc", "", "", PLATFORM_ANY},
      {"zorv-demo.app", "$APP/bin", "", "payload/zorv-demo-mac", PLATFORM_MACOSX},
  };
  return files;
}

void fill_database(DATABASE& db, VARIANT variant) {
  db.reset();
  set(db.default_language, "English");
  db.window_width = 800;
  db.window_height = 600;
  db.show_title_banner = 0;
  db.dialog_x = 20;
  db.dialog_y = 20;
  db.dialog_width = 480;
  db.dialog_height = 360;
  db.dialog_gap = 10;
  // Boxes to the right of and below the dialog, never over it.
  db.quit_box = {520, 30, 260, 160};
  db.error_box = {520, 210, 260, 200};
  // The folder browser needs the height for its listing: the right-hand strip.
  db.browser_box = {500, 20, 300, 560};
  db.about_box = {520, 420, 260, 160};
  db.animation_period = 0;
  set(db.application_name, "zorv-demo");
  fill_styles(db);
  for (int i = ICON_FORWARD; i <= ICON_INSTALL; i++) draw_icon(db.icons[i], i);
  for (int i = ICON_NEW_FOLDER; i < DATABASE_ICON_COUNT; i++) db.icons[i].create(-1, -1);
  draw_background(db.background, db.window_width, db.window_height);

  const int item_count = variant == HOSTILE ? 5 : 2;
  db.items = table<INSTALL_ITEM>(item_count);
  db.item_count = static_cast<INT_S16>(item_count);

  INSTALL_ITEM& demo = db.items[0];
  set(demo.name, "Demo");
  set(demo.default_folder, variant == HOSTILE ? "$ROOT0/a\"b$(touch PWNED)c`x" : "$ROOT0/zorv-demo");
  std::vector<FILE_SPEC> files = demo_files();
  if (variant == HOSTILE) {
    files.push_back({"../escape.txt", "$APP/doc", "", "payload/notes.txt", PLATFORM_ANY});
    files.push_back({"new\nline.txt", "$APP/doc", "", "payload/notes.txt", PLATFORM_ANY});
    files.push_back({"nope.txt", "$NOPE/x", "", "payload/notes.txt", PLATFORM_ANY});
    files.push_back({"up.txt", "$APP/..", "", "payload/notes.txt", PLATFORM_ANY});
  }
  if (variant == BIG)
    for (int i = 0; i < big_file_count; i++)
      files.push_back({big_file_name(i), "$APP/big", "", "big/" + big_file_name(i), PLATFORM_ANY});
  add_files(demo, files);
  add_shortcuts(demo, {
      {SHORTCUT_APPLICATION, "zorv-demo.sh", "Zorv Demo", "", PLATFORM_ANY, "", "$APP/share",
       "zorv-demo.png", "$APP/bin"},
      {SHORTCUT_APPLICATION, "zorv-demo.sh", "Zorv Demo", "Utility", PLATFORM_ANY, "--greeting hello",
       "$APP/share", "zorv-demo.png", "$APP/bin"},
      {SHORTCUT_WEB_LINK, "https://example.org/zorv", "Zorv Demo Web Site", "", PLATFORM_ANY, "", "",
       "", ""},
      {SHORTCUT_APPLICATION, "zorv-demo.app", "Zorv Demo", "", PLATFORM_MACOSX, "", "", "", "$APP/bin"},
  });

  INSTALL_ITEM& docs = db.items[1];
  set(docs.name, "Documents only");
  set(docs.default_folder, "$ROOT0/zorv-demo-docs");
  add_files(docs, {demo_files()[1]});
  add_shortcuts(docs, {});

  if (variant == HOSTILE) {
    const char* unusable[] = {"", "$NOPE/x", "/opt/x"};
    for (int i = 0; i < 3; i++) {
      INSTALL_ITEM& item = db.items[2 + i];
      set(item.name, kLanguages[0].item_names[2 + i]);
      set(item.default_folder, unusable[i]);
      add_files(item, {demo_files()[1]});
      add_shortcuts(item, {});
    }
  }

  db.languages = table<INSTALL_LANGUAGE>(kLanguageCount);
  db.language_count = kLanguageCount;
  for (int l = 0; l < kLanguageCount; l++) {
    INSTALL_LANGUAGE& language = db.languages[l];
    for (int n = 0; n < LANGUAGE_TEXT_COUNT; n++) set(language.text(n), kLanguages[l].texts[n]);
    language.item_names = static_cast<char(*)[DATABASE_TEXT_SIZE]>(calloc(item_count, DATABASE_TEXT_SIZE));
    if (!language.item_names) fail("out of memory");
    for (int i = 0; i < item_count; i++) set(language.item_names[i], kLanguages[l].item_names[i]);
    language.readme_lines = 200;
  }
}

// ---- Package --------------------------------------------------------------

class DEMO_PACKAGE {
 public:
  // cache: the directory in memory while writing (the same bytes, written
  // once at the end), so that thousands of entries are not each looked up in
  // the file.
  DEMO_PACKAGE(FOLDER* out, INT_S32 block_size, INT_U8 cache = 0) {
    if (!get_private_temp_folder(&scratch_)) fail("cannot make a temporary folder");
    package_ = new PACKAGE(out, kPackageName, 1, block_size, cache);
    if (!package_->file) {
      delete package_;
      remove_private_temp_folder();
      fail(std::string("cannot create ") + out->native_path_text(kPackageName));
    }
  }
  ~DEMO_PACKAGE() {
    delete package_;
    remove_private_temp_folder();
  }

  void store(const std::string& entry, const void* data, size_t size) {
    const char kScratchName[] = "entry";
    FILE* file = scratch_.open_file(kScratchName, "wb");
    if (!file) fail("cannot write a temporary file");
    const bool written = (size == 0 || fwrite(data, 1, size, file) == size);
    if (fclose(file) != 0 || !written) fail("cannot write a temporary file");
    const bool stored = package_->store_file(&scratch_, kScratchName, entry.c_str());
    scratch_.remove_file(kScratchName);
    if (!stored) fail("cannot store " + entry);
  }
  void store(const std::string& entry, const std::string& text) { store(entry, text.data(), text.size()); }

  void store_font(INT_U8 index) {
    FOLDER fonts;
    const char* source = get_builtin_font_source(index);
    if (!fonts.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER) ||
        !package_->store_file(&fonts, source, get_builtin_font_file(index)))
      fail(std::string("cannot read the font ") + BUILTIN_FONT_SOURCE_FOLDER + "/" + source);
  }

  void store_picture(const std::string& entry, IMAGE& picture) {
    DATA_FILE* file = open_data_file(&scratch_, "picture.png", DATA_FILE_WRITE, 0, 0);
    if (!file) fail("cannot write a temporary file");
    const bool saved = picture.save_png(file);
    if (!close_data_file_checked(&file) || !saved) fail("cannot write a picture");
    const bool stored = package_->store_file(&scratch_, "picture.png", entry.c_str());
    scratch_.remove_file("picture.png");
    if (!stored) fail("cannot store " + entry);
  }

  void store_database(DATABASE& db) {
    PACKAGE_DATA_FILE* file = package_->open_file(kDatabaseEntry, DATA_FILE_WRITE, DATA_FILE_HEADER);
    if (!file) fail("cannot open the database entry");
    bool written = db.put_to_data_device(file);
    DATA_FILE* closing = file;
    written = close_package_file_checked(&closing) && written;
    PACKAGE_ENTRY entry;
    if (!written || !package_->find_entry(kDatabaseEntry, &entry) || entry.size == 0)
      fail("cannot write the database");
  }

 private:
  FOLDER scratch_;
  PACKAGE* package_ = nullptr;
};

void write_package(FOLDER* out, VARIANT variant, INT_S32 block_size) {
  DATABASE db;
  fill_database(db, variant);
  DEMO_PACKAGE package(out, block_size, variant == BIG);
  package.store_database(db);
  for (INT_U8 i = 0; i < BUILTIN_FONT_COUNT; i++) package.store_font(i);
  for (int l = 0; l < kLanguageCount; l++) {
    if (kLanguages[l].licence) package.store("licence-" + std::to_string(l), kLanguages[l].licence);
    if (kLanguages[l].readme) package.store("readme-" + std::to_string(l), kLanguages[l].readme);
  }
  // The missing-shortcut-target variant lacks the script both shortcuts run.
  if (variant != MISSING_SHORTCUT_TARGET) package.store("payload/zorv-demo.sh", kScript);
  // The missing-entry variant's database names a text the package lacks.
  if (variant != MISSING_ENTRY) package.store("payload/notes.txt", kNotes);
  std::vector<INT_U8> data(kDataSize);
  RANDOM_BYTES(kDataSeed).fill(data);
  package.store("payload/data.bin", data.data(), data.size());
  package.store("payload/empty.txt", "");
  package.store("payload/zorv-demo-mac", kMacStub);
  IMAGE picture;
  picture.create(48, 48);
  for (int y = 0; y < 48; y++)
    for (int x = 0; x < 48; x++) picture.pixels[y * picture.pitch + x] = 0;
  disc(picture, kAccent, 24, 24, 22);
  polygon(picture, 0xFFFFFFFF, {{14, 14}, {34, 14}, {34, 18}, {20, 30}, {34, 30}, {34, 34}, {14, 34},
                                {14, 30}, {28, 18}, {14, 18}});
  package.store_picture("payload/zorv-demo.png", picture);
  if (variant == BIG) {
    std::vector<INT_U8> big(big_file_size);
    for (int i = 0; i < big_file_count; i++) {
      RANDOM_BYTES(kDataSeed + 1 + i).fill(big);
      package.store("big/" + big_file_name(i), big.data(), big.size());
    }
  }
}

// A whole decimal number from `low` to `high`; anything else ends the run
// with a line naming the option.
long long number_option(const char* text, long long low, long long high, const char* what) {
  char* end = nullptr;
  errno = 0;
  const long long value = strtoll(text, &end, 10);
  if (errno || !end || *end || end == text || value < low || value > high)
    fail(std::string(what) + " must be a number from " + std::to_string(low) + " to " + std::to_string(high));
  return value;
}

int run(int argc, char** argv) {
  if (argc < 2 || !*argv[1]) fail(kUsage);
  VARIANT variant = STANDARD;
  INT_S32 block_size = -1;
  bool shaped = false;
  for (int i = 2; i < argc; i += 2) {
    if (i + 1 >= argc) fail(kUsage);
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--variant") {
      if (value == "missing-entry") variant = MISSING_ENTRY;
      else if (value == "missing-shortcut-target") variant = MISSING_SHORTCUT_TARGET;
      else if (value == "hostile") variant = HOSTILE;
      else if (value == "big") variant = BIG;
      else fail("unknown variant " + value + " (missing-entry, missing-shortcut-target, hostile or big)");
    } else if (option == "--block-size") {
      block_size = static_cast<INT_S32>(number_option(argv[i + 1], 1, DATA_FILE_MAX_BUFFER, "block size"));
    } else if (option == "--count") {
      big_file_count = static_cast<int>(number_option(argv[i + 1], 1, kBigFileCountMax, "count"));
      shaped = true;
    } else if (option == "--size") {
      big_file_size = static_cast<INT_U32>(number_option(argv[i + 1], 0, kBigFileSizeMax, "size"));
      shaped = true;
    } else {
      fail(kUsage);
    }
  }
  if (shaped && variant != BIG) fail("--count and --size shape the big variant only");
  if (variant == BIG && block_size < 0) block_size = kBigBlockSize;

  if (mkdir(argv[1], 0755) != 0 && errno != EEXIST) fail(std::string("cannot create ") + argv[1]);
  char resolved[PATH_MAX];
  FOLDER out{FOLDER::UNSET()};
  if (!realpath(argv[1], resolved) || !out.set_if_directory(resolved))
    fail(std::string(argv[1]) + " is no folder");
  // Always a new package: entries are never added to an old one.
  struct stat st;
  const std::string target = std::string(resolved) + "/" + kPackageName;
  if (lstat(target.c_str(), &st) == 0 && unlink(target.c_str()) != 0) fail("cannot replace " + target);
  try {
    write_package(&out, variant, block_size);
  } catch (const FAILURE&) {
    unlink(target.c_str());  // no half-written package stays behind
    throw;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const FAILURE& failure) {
    fprintf(stderr, "make_demo_package: %s\n", failure.message.c_str());
    return 1;
  }
}
