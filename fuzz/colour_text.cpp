// Colour texts as style sets carry them: any bytes must parse or be left
// alone, never read past the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "colour.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  COLOUR c = 0x12345678;
  parse_colour(&c, text.c_str());
  COLOUR other = c ^ 0x00FFFFFF, out = c;
  double a, h, s, l, y, k;
  colour_to_ahsl(&c, &a, &h, &s, &l);
  ahsl_to_colour(&out, a, h, s, l);
  colour_to_acmyk(&c, &a, &h, &s, &y, &k);
  acmyk_to_colour(&out, a, h, s, y, k);
  ensure_colour_contrast(&out, &other, 0);
  tint_colour(&out, &other);
  colourise_pixel(&out, &c, &other, &c);
  return 0;
}
