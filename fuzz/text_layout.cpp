// Texts from installation data, measured, drawn and laid out in a box: any
// bytes (broken wide-character groups included) must stay inside the text
// and the image. The first two bytes choose the box width and the flags.
#include <cstddef>
#include <cstdint>
#include <string>

#include "colour.h"
#include "folder.h"
#include "fonts.h"
#include "image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int slot = [] {
    font_preload = 0;
    init_fonts();
    FOLDER folder;
    folder.set_if_directory(BUILTIN_FONT_SOURCE_FOLDER);
    return load_font(get_builtin_font_source(10), "Sans", 255, &folder);
  }();
  if (slot < 0 || size < 2) return 0;
  static IMAGE image(160, 120);
  const int box_w = data[0];
  const INT_U16 flags = data[1];
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const COLOUR ink = 0xC0FFFFFF, back = 0x40000080, under = 0xFF00FF00;
  image.text_width(static_cast<INT_U8>(slot), 14, 14, text.c_str());
  image.draw_text(-3, 100, &ink, &back, &under, static_cast<INT_S8>(slot), 14, 14, text.c_str(),
                  flags & 7);
  image.draw_text_box(2, 2, static_cast<INT_S16>(2 + box_w), 90, &ink, &back, nullptr,
                      static_cast<INT_S8>(slot), 12, 12, text.c_str(), flags);
  return 0;
}
