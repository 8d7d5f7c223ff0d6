// JPEG files through libjpeg. Its errors come back through one global jump
// buffer: one JPEG read or write at a time, main thread only. The functions
// that set the jump point keep only plain data between it and a jump.
#include <csetjmp>
#include <cstdio>
#include <cstring>

// libjpeg's headers need FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "image.h"
#include "image_file_common.h"
#include "image_files.h"

namespace {

std::jmp_buf jpeg_jump;

// A Huffman-coded JPEG spends at least one bit on every 8 x 8 block: a file
// that announces more pixels than that allows is damaged.
const INT_S64 kPixelsPerByte = 512;

// Warnings are not printed; running out of data is a failure, not a grey
// lower half.
void jpeg_message(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) jpeg_error_exit(cinfo);
  cinfo->err->num_warnings++;
}

inline INT_U32 pixel_of(const JSAMPLE* p, int components) {
  if (components == 3)
    return 0xFF000000u | static_cast<INT_U32>(p[0]) << 16 | static_cast<INT_U32>(p[1]) << 8 | p[2];
  const INT_U32 g = p[0];
  return 0xFF000000u | g << 16 | g << 8 | g;
}

// One scanline of w source pixels into a row of W: columns are repeated to
// enlarge and dropped to reduce; a one-pixel-wide source fills the row.
void store_line(INT_U32* row, int W, const JSAMPLE* line, int w, int components) {
  if (W == w) {
    for (int c = 0; c < w; ++c) row[c] = pixel_of(line + c * components, components);
    return;
  }
  int next = 0;
  for (int c = 0; c < w && next < W; ++c) {
    const int target = w > 1 ? static_cast<int>(static_cast<INT_U64>(W - 1) * c / (w - 1)) : 0;
    while (next < target) {
      row[next] = row[next - 1];
      ++next;
    }
    if (target == next) row[next++] = pixel_of(line + c * components, components);
  }
  for (; next < W; ++next) row[next] = row[next - 1];
}

bool read_jpeg(FILE* stream, IMAGE* scratch, INT_S16 want_w, INT_S16 want_h) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err);
  err.error_exit = jpeg_error_exit;
  err.emit_message = jpeg_message;
  if (setjmp(jpeg_jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, stream);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_calc_output_dimensions(&cinfo);
  const long w = cinfo.output_width, h = cinfo.output_height;
  const INT_S64 left = image_files::stream_bytes_left(stream);
  if (w < 1 || h < 1 || (left >= 0 && static_cast<INT_S64>(w) * h > (left + 64) * kPixelsPerByte)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const long W = want_w < 1 ? w : want_w, H = want_h < 1 ? h : want_h;
  if (!image_files::create_exact(scratch, W, H)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                               static_cast<JDIMENSION>(w * cinfo.output_components), 1);
  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  const int iw = scratch->width, ih = scratch->height;
  auto row_at = [scratch](int r) { return scratch->pixels + static_cast<long>(r) * scratch->pitch; };
  int next = 0;  // first row not yet written
  while (cinfo.output_scanline < cinfo.output_height) {
    const INT_U64 s = cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, line, 1);
    if (next >= ih) continue;
    const int target = h > 1 ? static_cast<int>(static_cast<INT_U64>(ih - 1) * s / (h - 1)) : 0;
    while (next < target) {
      std::memcpy(row_at(next), row_at(next - 1), sizeof(INT_U32) * iw);
      ++next;
    }
    if (target == next) store_line(row_at(next++), iw, line[0], static_cast<int>(w), components);
  }
  // A one-pixel-high source fills the picture.
  for (; next < ih; ++next) std::memcpy(row_at(next), row_at(next - 1), sizeof(INT_U32) * iw);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

void jpeg_error_exit(jpeg_common_struct*) { std::longjmp(jpeg_jump, 1); }

bool load_jpeg_stream(IMAGE* image, FILE* stream, INT_S16 width, INT_S16 height) {
  if (!image || !stream) return false;
  IMAGE scratch;
  scratch.alignment = image->alignment;
  if (!read_jpeg(stream, &scratch, width, height)) return false;
  return image_files::take_over(image, &scratch);
}

bool save_jpeg_stream(const IMAGE* image, FILE* stream, INT_U8 quality, INT_S8 progressive) {
  if (quality > 100 || !image || !stream) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err);
  err.error_exit = jpeg_error_exit;
  err.emit_message = jpeg_message;
  if (setjmp(jpeg_jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, stream);
  cinfo.image_width = image->width;
  cinfo.image_height = image->height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                               3u * (image->width ? image->width : 1), 1);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const INT_U32* row = image->pixels + static_cast<long>(cinfo.next_scanline) * image->pitch;
    JSAMPLE* out = line[0];
    for (int c = 0; c < image->width; ++c) {
      out[3 * c] = static_cast<JSAMPLE>(row[c] >> 16);
      out[3 * c + 1] = static_cast<JSAMPLE>(row[c] >> 8);
      out[3 * c + 2] = static_cast<JSAMPLE>(row[c]);
    }
    jpeg_write_scanlines(&cinfo, line, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}
