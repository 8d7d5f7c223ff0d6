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
    "[--block-size N] [--count N] [--size BYTES] | --help";
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

// Arguments that cannot be used end the run with status 1; an option that
// does not exist, with the status that names a misuse of the command.
const int kStatusFailure = 1;
const int kStatusUnknownOption = 2;

struct FAILURE {
  std::string message;
  int status;
};

[[noreturn]] void fail(const std::string& message, int status = kStatusFailure) {
  throw FAILURE{message, status};
}

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

// The texts are written here in UTF-8. The library draws 8-bit text as
// Latin-1 (byte = character), so the database holds them as Latin-1 bytes
// (`to_latin1`; a character outside Latin-1 stops the tool); the documents
// are text files, read as UTF-8, and keep it.
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
    "Choose \"I agree\" to go on. \"I disagree\" ends the setup at once;\n"
    "nothing is installed then.\n";

const char kLicenceGerman[] =
    "ZORV DEMO LIZENZ\n"
    "\n"
    "Dies ist die Lizenz des Zorv-Demopakets. Sie zeigt, wie die Lizenzseite\n"
    "des Installationsprogramms aussieht.\n"
    "\n"
    "1. Sie dürfen die Demo so oft installieren, starten und entfernen, wie\n"
    "   Sie möchten.\n"
    "\n"
    "2. Die Demo legt ein kleines Shell-Skript, eine Textdatei, einige Daten\n"
    "   und ein Bild in dem Ordner ab, den Sie wählen. Sonst wird nichts auf\n"
    "   Ihrem System verändert, außer den Verknüpfungen, die Sie auf der\n"
    "   Zielseite anfordern.\n"
    "\n"
    "3. Die Demo wird ohne jede Gewährleistung geliefert.\n"
    "\n"
    "4. Zum Entfernen löschen Sie den Installationsordner und gegebenenfalls\n"
    "   die Verknüpfungen.\n"
    "\n"
    "Wählen Sie »Ich stimme zu«, um fortzufahren. »Ich lehne ab« beendet die\n"
    "Installation sofort; dann wird nichts installiert.\n";

const char kLicenceFrench[] =
    "LICENCE DE ZORV DEMO\n"
    "\n"
    "Ceci est la licence du paquet de démonstration Zorv. Elle montre à quoi\n"
    "ressemble la page de licence du programme d'installation.\n"
    "\n"
    "1. Vous pouvez installer, lancer et supprimer la démo aussi souvent que\n"
    "   vous le souhaitez.\n"
    "\n"
    "2. La démo installe un petit script shell, un fichier texte, quelques\n"
    "   données et une image dans le dossier que vous choisissez. Rien d'autre\n"
    "   n'est modifié sur votre système, à part les raccourcis que vous\n"
    "   demandez sur la page de destination.\n"
    "\n"
    "3. La démo est fournie sans aucune garantie.\n"
    "\n"
    "4. Pour supprimer la démo, effacez le dossier d'installation et, le cas\n"
    "   échéant, les raccourcis.\n"
    "\n"
    "Choisissez « J'accepte » pour continuer. « Je refuse » met fin à\n"
    "l'installation aussitôt ; rien n'est alors installé.\n";

const char kReadmeEnglish[] =
    "Welcome to the Zorv demo!\n"
    "\n"
    "The demo installs these files into the folder you chose:\n"
    "\n"
    "- bin/zorv-demo.sh: a small script; run it to be greeted.\n"
    "- doc/notes.txt: a few notes about the demo.\n"
    "- data/data.bin: 1,300,000 bytes of pseudo-random data.\n"
    "- data/placeholder.txt: an empty file, installed under its own name.\n"
    "- share/zorv-demo.png: the picture of the desktop shortcut.\n"
    "- install_log.txt: the log of the installation, which lists every file.\n"
    "\n"
    "If you asked for them, it also makes a desktop shortcut, a menu entry in\n"
    "\"Utility\" and a link to the demo's web site.\n"
    "\n"
    "Thank you for trying the Zorv demo. Choose \"Finish\" to close the setup.\n";

const char kReadmeGerman[] =
    "Willkommen bei der Zorv-Demo!\n"
    "\n"
    "Die Demo installiert diese Dateien in den gewählten Ordner:\n"
    "\n"
    "- bin/zorv-demo.sh: ein kleines Skript, das Sie begrüßt.\n"
    "- doc/notes.txt: einige Hinweise zur Demo.\n"
    "- data/data.bin: 1.300.000 Bytes Zufallsdaten.\n"
    "- data/placeholder.txt: eine leere Datei unter eigenem Namen.\n"
    "- share/zorv-demo.png: das Bild der Desktop-Verknüpfung.\n"
    "- install_log.txt: das Protokoll der Installation mit jeder Datei.\n"
    "\n"
    "Auf Wunsch legt sie außerdem eine Desktop-Verknüpfung, einen\n"
    "Menüeintrag unter »Utility« und einen Verweis auf die Website der Demo an.\n"
    "\n"
    "Danke, dass Sie die Zorv-Demo ausprobieren. Wählen Sie »Fertig«, um das\n"
    "Installationsprogramm zu schließen.\n";

const char kReadmeFrench[] =
    "Bienvenue dans la démo Zorv !\n"
    "\n"
    "La démo installe ces fichiers dans le dossier que vous avez choisi :\n"
    "\n"
    "- bin/zorv-demo.sh : un petit script qui vous salue.\n"
    "- doc/notes.txt : quelques notes sur la démo.\n"
    "- data/data.bin : 1 300 000 octets de données pseudo-aléatoires.\n"
    "- data/placeholder.txt : un fichier vide, installé sous son propre nom.\n"
    "- share/zorv-demo.png : l'image du raccourci sur le bureau.\n"
    "- install_log.txt : le journal de l'installation, avec chaque fichier.\n"
    "\n"
    "Si vous les avez demandés, elle crée aussi un raccourci sur le bureau,\n"
    "une entrée de menu dans « Utility » et un lien vers le site de la démo.\n"
    "\n"
    "Merci d'avoir essayé la démo Zorv. Choisissez « Terminer » pour fermer\n"
    "le programme d'installation.\n";

const LANGUAGE_TEXTS kLanguages[] = {
    {{"English", "English", "Zorv Demo Setup", "Quit Setup",
      "Do you really want to quit the setup?", "Quit", "Stay", "Installation problem",
      "A file could not be installed.", "Go on", "Go back", "Next", "Go to the next step", "Back",
      "Go to the previous step", "I agree", "Accept the licence and go on", "I disagree",
      "Decline the licence and end the setup", "Quit", "Leave the setup", "About", "About this setup",
      "Install", "Start the installation", "Finish", "Close the setup", "Choose your language",
      "Licence agreement", "Read me", "What do you want to install?",
      "Where do you want to install it?", "Install into:", "Use the second folders",
      "Shortcuts:", "Create desktop shortcuts", "Create menu entries", "Installing",
      "Preparing the installation...", "Copying files...", "Creating desktop shortcuts...",
      "Creating menu entries...", "Removing files...", "Setup was cancelled.",
      "Installation complete.", "OK", "Cancel", "New Folder", "Choose a folder", "Install into:",
      "Look in:", "Drives", "New Folder", "Name of the new folder:", "Zorv Demo", "1.0",
      "Zorv Demo Makers", "https://example.org/zorv"},
     {"Demo", "Documents only", "Empty folder", "Unknown variable", "Plain path"},
     kLicenceEnglish,
     kReadmeEnglish},
    {{"Deutsch", "Deutsch", "Zorv Demo Installation", "Installation beenden",
      "Wollen Sie die Installation wirklich beenden?", "Ja", "Nein",
      "Installationsproblem", "Eine Datei konnte nicht installiert werden.", "Weiter",
      "Zurück", "Weiter", "Zum nächsten Schritt", "Zurück", "Zum vorigen Schritt",
      "Ich stimme zu", "Lizenz annehmen und weiter", "Ich lehne ab",
      "Lizenz ablehnen und die Installation beenden", "Beenden", "Installation verlassen", "Info",
      "Informationen zu dieser Installation", "Installieren", "Installation starten", "Fertig",
      "Installation schließen", "Sprache wählen", "Lizenzvereinbarung", "Liesmich",
      "Was möchten Sie installieren?", "Wohin möchten Sie installieren?", "Installieren nach:",
      "Zweite Ordner verwenden", "Verknüpfungen:", "Desktop-Verknüpfungen anlegen",
      "Menüeinträge anlegen", "Installation", "Installation wird vorbereitet...",
      "Dateien werden kopiert...", "Desktop-Verknüpfungen werden angelegt...",
      "Menüeinträge werden angelegt...", "Dateien werden entfernt...", "Installation abgebrochen.",
      "Installation abgeschlossen.", "OK", "Abbrechen", "Neuer Ordner", "Ordner wählen",
      "Installieren nach:", "Suchen in:", "Laufwerke", "Neuer Ordner", "Name des neuen Ordners:",
      "Zorv Demo", "1.0", "Zorv Demo Makers", "https://example.org/zorv"},
     {"Demo", "Nur Dokumente", "Leerer Ordner", "Unbekannte Variable", "Fester Pfad"},
     kLicenceGerman,
     kReadmeGerman},
    {{"Français", "Français", "Installation de Zorv Demo", "Quitter l'installation",
      "Voulez-vous vraiment quitter l'installation ?", "Oui", "Non",
      "Problème d'installation", "Un fichier n'a pas pu être installé.", "Continuer",
      "Revenir", "Suivant", "Aller à l'étape suivante", "Précédent", "Revenir à l'étape précédente",
      "J'accepte",
      "Accepter la licence et continuer", "Je refuse", "Refuser la licence et quitter l'installation",
      "Quitter", "Quitter l'installation", "Infos", "Informations sur cette installation", "Installer",
      "Lancer l'installation", "Terminer", "Fermer l'installation", "Choisissez votre langue",
      "Contrat de licence", "Lisez-moi", "Que voulez-vous installer ?",
      "Où voulez-vous l'installer ?", "Installer dans :", "Utiliser les seconds dossiers",
      "Raccourcis :", "Créer des raccourcis sur le bureau", "Créer des entrées de menu",
      "Installation", "Préparation de l'installation...", "Copie des fichiers...",
      "Création des raccourcis...", "Création des entrées de menu...",
      "Suppression des fichiers...", "Installation annulée.", "Installation terminée.", "OK",
      "Annuler", "Nouveau dossier", "Choisir un dossier", "Installer dans :", "Dans :",
      "Lecteurs", "Nouveau dossier", "Nom du nouveau dossier :", "Zorv Demo", "1.0",
      "Zorv Demo Makers", "https://example.org/zorv"},
     {"Démo", "Documents seulement", "Dossier vide", "Variable inconnue", "Chemin fixe"},
     kLicenceFrench,
     kReadmeFrench},
};
const int kLanguageCount = sizeof kLanguages / sizeof kLanguages[0];

// UTF-8 text as Latin-1 bytes.
std::string to_latin1(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i++) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() &&
               (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
    } else {
      fail("text not in Latin-1: " + text);
    }
  }
  return out;
}

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

// The icons are drawn on a 22-unit grid and scaled to their size.
const int kIconSize = 16;
const double kIconGrid = 22;

void draw_icon(IMAGE& icon, int index) {
  icon.create(kIconSize, kIconSize);
  for (int i = 0; i < kIconSize * kIconSize; i++) icon.pixels[(i / kIconSize) * icon.pitch + i % kIconSize] = 0;
  const INT_U32 green = 0xFF2E9E4F, red = 0xFFC8382E, blue = 0xFF2F6DB5, white = 0xFFFFFFFF,
                grey = 0xFF505050, manila = 0xFFE0B040, manila_dark = 0xFFB88A20;
  const double k = kIconSize / kIconGrid;
  auto shape = [&](INT_U32 colour, std::vector<POINT> points) {
    for (POINT& p : points) p = {p.x * k, p.y * k};
    polygon(icon, colour, points);
  };
  auto line = [&](INT_U32 colour, double x1, double y1, double x2, double y2, double width) {
    bar(icon, colour, x1 * k, y1 * k, x2 * k, y2 * k, width * k);
  };
  auto dot = [&](INT_U32 colour, double cx, double cy, double r) { disc(icon, colour, cx * k, cy * k, r * k); };
  const double c = kIconGrid / 2;
  switch (index) {
    case ICON_FORWARD:
      shape(blue, {{6, 4}, {17, 11}, {6, 18}});
      break;
    case ICON_PREVIOUS:
      shape(blue, {{16, 4}, {5, 11}, {16, 18}});
      break;
    case ICON_YES:
    case ICON_AGREE:
      line(green, 4, 11, 9, 16, 3.5);
      line(green, 9, 16, 18, 5, 3.5);
      break;
    case ICON_NO:
    case ICON_DISAGREE:
      line(red, 5, 5, 17, 17, 3.5);
      line(red, 17, 5, 5, 17, 3.5);
      break;
    case ICON_QUIT:
      dot(red, c, c, 9);
      line(white, 7, 11, 15, 11, 3);
      break;
    case ICON_ABOUT:
      dot(blue, c, c, 9);
      dot(white, c, 6.5, 1.6);
      line(white, c, 9.5, c, 16.5, 3);
      break;
    case ICON_FINISH:
      line(grey, 6, 3, 6, 19, 2);
      shape(green, {{7, 3}, {18, 7}, {7, 11}});
      break;
    case ICON_INSTALL:
      line(blue, c, 3, c, 12, 4);
      shape(blue, {{5, 11}, {17, 11}, {11, 18}});
      line(grey, 4, 19.5, 18, 19.5, 2);
      break;
    case ICON_NEW_FOLDER:
      shape(manila_dark, {{2, 5}, {9, 5}, {11, 7}, {20, 7}, {20, 18}, {2, 18}});
      shape(manila, {{2, 9}, {20, 9}, {20, 18}, {2, 18}});
      line(green, 15, 1.5, 15, 11.5, 3);
      line(green, 10, 6.5, 20, 6.5, 3);
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
  // Soft rings towards the right.
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

// Every text stands out from what lies under it by at least 4.5 : 1 (the
// WCAG contrast): ink on the light faces, white on the accent.
const INT_U32 kInk = 0xFF1E2833, kPaper = 0xFFF4F6F9, kAccent = 0xFF2F6DB5, kAccentText = 0xFFFFFFFF;
const INT_U32 kButtonFace = 0xFFE4E9F0, kHoverFace = 0xFFDCE7F5, kHintFace = 0xFFFFF8D6;
// The progress bar's filled part: light enough for the ink percentage that
// runs across both parts.
const INT_U32 kProgressFill = 0xFFA9C8EC;
const INT_U32 kShadingBevel = 6;
const INT_S16 kFontSize = 16, kDocumentFontSize = 14;

// Sides only: the default corner radius is a third of the smaller side, which
// turns a large frame or list box into a rounded blob.
const INT_U16 kSquareBorder = 0x0F;

// Buttons carry their icon beside the text: each side of the text has room
// for half of the icon and the spacing, beyond the 2-pixel border and a
// pixel of air. The right side has two pixels more: the text of a button
// fitted to it then starts a pixel inside its clip, so a letter that leans
// left of its cell (J, T) keeps its first column.
const INT_U16 kIconSpacing = 4;
const INT_U16 kButtonLeftGap = 2 + 1 + (kIconSize + kIconSpacing + 1) / 2;
const INT_U16 kButtonRightGap = kButtonLeftGap + 2;
const INT_U16 kButtonEndGap = 4;

WM_STYLE_SET style(INT_U32 fg, INT_U32 bg, INT_U32 ssf, INT_U16 shading_flags = kSquareBorder,
                   INT_S16 font_size = kFontSize) {
  WM_STYLE_SET s;
  s.shading_type = kShadingBevel;
  s.fg_colour = fg;
  s.bg_colour = bg;
  s.highlight_colour = kAccent;
  s.highlight_text_colour = kAccentText;
  s.active_colour = kAccent;
  s.active_text_colour = kAccentText;
  s.mouse_over_colour = kHoverFace;
  s.mouse_over_text_colour = fg;
  s.ssf = ssf;
  s.shading_flags = shading_flags;
  s.font_x_sz = s.font_y_sz = font_size;
  return s;
}

void fill_styles(DATABASE& db) {
  db.styles[STYLE_TITLE] = style(0xFFFFFFFF, 0, ssf_shadow_text | ssf_left_justify_text, 0);
  db.styles[STYLE_DIALOG_TEXT] = style(kInk, 0, ssf_left_justify_text, 0);
  db.styles[STYLE_OPTIONS] = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_indent_border);
  db.styles[STYLE_OPTIONS_SECOND] = style(kInk, 0xFFEEF2F7, 0, 0);
  db.styles[STYLE_TEXT_TITLE] = style(0xFF24466E, 0, ssf_left_justify_text, 0);
  // Documents, the browser's listing and the path: a smaller face, so that a
  // line of the licence and a listing's date fit.
  db.styles[STYLE_TEXT] = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_indent_border | ssf_left_justify_text,
                                kSquareBorder, kDocumentFontSize);
  db.styles[STYLE_SCROLLBAR] = style(0xFF5A6573, 0xFFDDE2E8, ssf_draw_border);
  db.styles[STYLE_CHECK_BOX] = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_left_justify_text);
  WM_STYLE_SET& progress = db.styles[STYLE_PROGRESS_BAR];
  progress = style(kInk, 0xFFFFFFFF, ssf_draw_border | ssf_indent_border);
  progress.highlight_colour = kProgressFill;
  progress.highlight_text_colour = kInk;
  db.styles[STYLE_PROGRESS_SCRIPT] = style(kInk, 0, ssf_left_justify_text, 0);
  db.styles[STYLE_MENU_DROPDOWN] = style(kInk, 0xFFFFFFFF, ssf_draw_border);
  db.styles[STYLE_MENU_BUTTON] = style(kInk, kButtonFace, ssf_draw_border);
  db.styles[STYLE_MENU_ITEM] = style(kInk, 0xFFFFFFFF, ssf_left_justify_text, 0);
  db.styles[STYLE_MENU_ALT_ITEM] = style(kInk, 0xFFEEF2F7, ssf_left_justify_text, 0);

  // The dialog and hint globals the record carries.
  WM_STYLE_SET frame = style(kInk, kPaper, ssf_draw_border | ssf_outstanding_border);
  WM_STYLE_SET caption = style(0xFFFFFFFF, kAccent, ssf_draw_border | ssf_left_justify_text);
  WM_STYLE_SET button = style(kInk, kButtonFace, ssf_draw_border | ssf_icon_left | ssf_icon_attach_to_text, 255);
  button.border_left_gap = kButtonLeftGap;
  button.border_right_gap = kButtonRightGap;
  button.border_top_gap = button.border_bottom_gap = kButtonEndGap;
  button.x_spacing = kIconSpacing;
  set_dialog_background_style(&frame);
  set_dialog_title_style(&caption);
  set_dialog_button_style(&button);
  wm_button_hint_style = style(kInk, kHintFace, ssf_draw_border);
  wm_button_hint_style_ready = 1;
  wm_dialog_effects.flags = 0;
  wm_dialog_effects.open_delay = 0;
  wm_dialog_effects.display_delay = 0;
  wm_dialog_effects.dragging_alpha = 255;
}

// ---- Tables ---------------------------------------------------------------

void set(char* field, const std::string& text) {
  const std::string stored = to_latin1(text);
  if (stored.size() >= DATABASE_TEXT_SIZE) fail("text too long: " + text);
  memcpy(field, stored.c_str(), stored.size() + 1);
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
  // The dialog in the middle of the window, wide enough for the target
  // page's browse button with the button style's room for icons.
  db.dialog_width = 700;
  db.dialog_height = 460;
  db.dialog_x = static_cast<INT_S16>((db.window_width - db.dialog_width) / 2);
  db.dialog_y = static_cast<INT_S16>((db.window_height - db.dialog_height) / 2);
  db.dialog_gap = 10;
  // The boxes are pop-ups over the dialog, centred in the window, each with
  // room for its texts: the failure box for a long path and its reason.
  db.quit_box = {-1, -1, 420, 190};
  db.error_box = {-1, -1, 600, 300};
  db.browser_box = {-1, -1, 640, 440};
  db.about_box = {-1, -1, 460, 320};
  db.animation_period = 0;
  set(db.application_name, "zorv-demo");
  fill_styles(db);
  // The buttons' icons. The browser's listing and drive icons stay empty:
  // its rows stretch a picture to the cell, which no small icon survives.
  for (int i = 0; i < DATABASE_ICON_COUNT; i++) {
    if (i <= ICON_NEW_FOLDER)
      draw_icon(db.icons[i], i);
    else
      db.icons[i].create(-1, -1);
  }
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
    // Documents are text files, which the installer reads as UTF-8.
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
  for (int i = 1; i < argc; i++) {
    if (strcmp(argv[i], "--help") == 0) {
      printf("%s\n", kUsage);
      return 0;
    }
  }
  const char* out_dir = nullptr;
  VARIANT variant = STANDARD;
  INT_S32 block_size = -1;
  bool shaped = false;
  for (int i = 1; i < argc; i++) {
    const std::string option = argv[i];
    if (option.empty() || option[0] != '-') {
      if (out_dir) fail("one output folder only: " + option + " after " + out_dir);
      out_dir = argv[i];
      continue;
    }
    if (option != "--variant" && option != "--block-size" && option != "--count" && option != "--size")
      fail("unknown option " + option + " (see --help)", kStatusUnknownOption);
    if (i + 1 >= argc) fail(kUsage);
    const std::string value = argv[++i];
    if (option == "--variant") {
      if (value == "missing-entry") variant = MISSING_ENTRY;
      else if (value == "missing-shortcut-target") variant = MISSING_SHORTCUT_TARGET;
      else if (value == "hostile") variant = HOSTILE;
      else if (value == "big") variant = BIG;
      else fail("unknown variant " + value + " (missing-entry, missing-shortcut-target, hostile or big)");
    } else if (option == "--block-size") {
      block_size = static_cast<INT_S32>(number_option(argv[i], 1, DATA_FILE_MAX_BUFFER, "block size"));
    } else if (option == "--count") {
      big_file_count = static_cast<int>(number_option(argv[i], 1, kBigFileCountMax, "count"));
      shaped = true;
    } else {
      big_file_size = static_cast<INT_U32>(number_option(argv[i], 0, kBigFileSizeMax, "size"));
      shaped = true;
    }
  }
  if (!out_dir || !*out_dir) fail(kUsage);
  if (shaped && variant != BIG) fail("--count and --size shape the big variant only");
  if (variant == BIG && block_size < 0) block_size = kBigBlockSize;

  if (mkdir(out_dir, 0755) != 0 && errno != EEXIST) fail(std::string("cannot create ") + out_dir);
  char resolved[PATH_MAX];
  FOLDER out{FOLDER::UNSET()};
  if (!realpath(out_dir, resolved) || !out.set_if_directory(resolved))
    fail(std::string(out_dir) + " is no folder");
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
    return failure.status;
  }
}
