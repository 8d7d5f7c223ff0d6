// PNG files through libpng. libpng reports errors by jumping back to the
// setjmp in the function that drives it; those functions keep only plain
// data between the setjmp and a jump, and the locals they change there are
// volatile.
#include <png.h>

#include <csetjmp>
#include <cstdlib>

#include "image.h"
#include "image_file_common.h"
#include "image_files.h"

const char* const png_author_text = "ZORV application library";
const char* const png_website_text = "https://zorv.example.org/";

namespace {

// Largest expansion of deflate: a file smaller than its rows' data divided
// by this cannot hold the picture its header announces.
const INT_S64 kDeflateMaxRatio = 1032;

bool read_png(FILE* stream, IMAGE* scratch) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    return false;
  }
  png_set_user_limits(png, image_files::kMaxSide, image_files::kMaxSide);
  png_init_io(png, stream);
  png_set_sig_bytes(png, 4);
  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int depth = 0, colour_type = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colour_type, &interlace, nullptr, nullptr);

  const INT_S64 row_data = (static_cast<INT_S64>(w) * png_get_channels(png, info) * depth + 7) / 8 + 1;
  const INT_S64 left = image_files::stream_bytes_left(stream);
  if (left >= 0 && row_data * h > (left + 64) * kDeflateMaxRatio) png_error(png, "file too short");

  png_set_strip_16(png);
  png_set_packing(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  double file_gamma = 0.45455;
  int intent = 0;
  if (!png_get_sRGB(png, info, &intent)) {
    double g = 0;
    if (png_get_gAMA(png, info, &g)) file_gamma = g;
  }
  png_set_gamma(png, 2.2, file_gamma);
  png_set_swap(png);
  if (colour_type & PNG_COLOR_MASK_COLOR) png_set_bgr(png);
  // Palette and grey pictures are widened to the image's 32-bit pixels.
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (!(colour_type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "unexpected row size");

  if (!image_files::create_exact(scratch, static_cast<long>(w), static_cast<long>(h)))
    png_error(png, "picture too large");
  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * scratch->height));
  if (!rows) png_error(png, "out of memory");
  for (int r = 0; r < scratch->height; ++r)
    rows[r] = reinterpret_cast<png_bytep>(scratch->pixels + static_cast<long>(r) * scratch->pitch);
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::free(rows);
  return true;
}

}  // namespace

bool load_png_stream(IMAGE* image, FILE* stream) {
  if (!image || !stream) return false;
  IMAGE scratch;
  scratch.alignment = image->alignment;
  if (!read_png(stream, &scratch)) return false;
  return image_files::take_over(image, &scratch);
}

bool save_png_stream(const IMAGE* image, FILE* stream) {
  if (!image || !stream || !image->pixels || image->width < 1 || image->height < 1) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  png_bytep* rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * image->height));
  if (!rows) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::free(rows);
    return false;
  }
  png_init_io(png, stream);
  png_set_IHDR(png, info, image->width, image->height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color_8 bits;
  bits.red = bits.green = bits.blue = bits.alpha = 8;
  bits.gray = 0;
  png_set_sBIT(png, info, &bits);
  png_text text[2] = {};
  text[0].compression = PNG_TEXT_COMPRESSION_NONE;
  text[0].key = const_cast<char*>("Author");
  text[0].text = const_cast<char*>(png_author_text);
  text[1].compression = PNG_TEXT_COMPRESSION_NONE;
  text[1].key = const_cast<char*>("Website");
  text[1].text = const_cast<char*>(png_website_text);
  png_set_text(png, info, text, 2);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int r = 0; r < image->height; ++r)
    rows[r] = reinterpret_cast<png_bytep>(image->pixels + static_cast<long>(r) * image->pitch);
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::free(rows);
  return true;
}
