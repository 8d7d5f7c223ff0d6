// Image files by folder and name: the data-file forms of the codecs, loading
// by base name, numbered series and nine-slice export.
#include <png.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "colour.h"
#include "data_file.h"
#include "folder.h"
#include "image.h"
#include "image_files.h"

namespace {

// Names formed from patterns must fit in this many characters.
const size_t kMaxName = 255;

// libpng and libjpeg work on the stdio stream of a plain data file, at the
// data file's logical position.
FILE* codec_stream(DATA_FILE* file) {
  if (!file || !file->stream || file->gzip_stream) return nullptr;
  file->flush();
  // The stream goes to the file offset of the logical position whether or
  // not the flush moved it there.
  if (std::fseek(file->stream, static_cast<long>(file->buffer_offset), SEEK_SET) != 0) return nullptr;
  return file->stream;
}

// True when the pattern has exactly one conversion and it is an integer one
// (with optional flags, width and precision); "%%" stands for itself.
bool is_number_pattern(const char* pattern) {
  int conversions = 0;
  for (const char* p = pattern; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p && std::string("-+ #0").find(*p) != std::string::npos) ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
    }
    if (!*p || std::string("diuxXo").find(*p) == std::string::npos) return false;
    ++conversions;
  }
  return conversions == 1;
}

}  // namespace

bool IMAGE::load_raw_file(FOLDER* folder, const char* name) {
  DATA_FILE* file = open_data_file(folder, name, DATA_FILE_READ, DATA_FILE_HEADER, 0);
  if (!file) return false;
  const bool ok = get_from_data_device(file);
  file->error_flag = ok ? 0 : 1;
  close_data_file(&file);
  return ok;
}

bool IMAGE::load_png(DATA_FILE* file) {
  if (!file) return false;
  INT_U8 signature[4];
  for (INT_U8& b : signature)
    if (!file->read_u8(&b)) return false;
  if (png_sig_cmp(signature, 0, 4) != 0) return false;
  FILE* stream = codec_stream(file);
  return stream && load_png_stream(this, stream);
}

bool IMAGE::save_png(DATA_FILE* file) {
  FILE* stream = codec_stream(file);
  return stream && save_png_stream(this, stream);
}

bool IMAGE::load_jpeg(DATA_FILE* file, INT_S16 w, INT_S16 h) {
  FILE* stream = codec_stream(file);
  return stream && load_jpeg_stream(this, stream, w, h);
}

bool IMAGE::save_jpeg(DATA_FILE* file, INT_U8 quality, INT_S8 progressive) {
  if (quality > 100) return false;
  FILE* stream = codec_stream(file);
  return stream && save_jpeg_stream(this, stream, quality, progressive);
}

bool IMAGE::load_png_file(FOLDER* folder, const char* name) {
  DATA_FILE* file = open_data_file(folder, name, DATA_FILE_READ, 0, 0);
  if (!file) return false;
  const bool ok = load_png(file);
  close_data_file(&file);
  return ok;
}

bool IMAGE::load_jpeg_file(FOLDER* folder, const char* name, INT_S16 w, INT_S16 h) {
  DATA_FILE* file = open_data_file(folder, name, DATA_FILE_READ, 0, 0);
  if (!file) return false;
  const bool ok = load_jpeg(file, w, h);
  close_data_file(&file);
  return ok;
}

bool IMAGE::load_pcx_file(FOLDER* folder, const char* name) {
  DATA_FILE* file = open_data_file(folder, name, DATA_FILE_READ, 0, 0);
  if (!file) return false;
  const bool ok = load_pcx(file);
  close_data_file(&file);
  return ok;
}

bool IMAGE::load(FOLDER* folder, const char* name, INT_S16 w, INT_S16 h) {
  if (!name || !*name) return false;
  const std::string exact = name, base = name;
  // A file named exactly as asked wins over one with an added extension;
  // among those, PNG, JPEG, PCX and raw are tried in turn.
  const bool loaded =
      load_png_file(folder, exact.c_str()) || load_jpeg_file(folder, exact.c_str(), w, h) ||
      load_pcx_file(folder, exact.c_str()) || load_raw_file(folder, exact.c_str()) ||
      load_png_file(folder, (base + ".png").c_str()) ||
      load_jpeg_file(folder, (base + ".jpg").c_str(), w, h) ||
      load_pcx_file(folder, (base + ".pcx").c_str()) || load_raw_file(folder, (base + ".raw").c_str());
  if (!loaded) return false;
  scale(static_cast<INT_U16>(w), static_cast<INT_U16>(h), !fast_image_scaling);
  return true;
}

void IMAGE::load_series(FOLDER* folder, const char* pattern, INT_S16 first, INT_U16 last) {
  const bool until_missing = last == 65535;
  if ((!until_missing && first > last) || !pattern || !is_number_pattern(pattern)) {
    create(-1, -1);
    return;
  }
  std::vector<std::unique_ptr<IMAGE>> frames;
  for (long n = first; n <= 65535 && (until_missing || n <= last); ++n) {
    char name[kMaxName + 1];
    const int length = std::snprintf(name, sizeof name, pattern, static_cast<int>(n));
    auto frame = std::make_unique<IMAGE>(-1, -1);
    const bool ok = length >= 0 && static_cast<size_t>(length) <= kMaxName &&
                    frame->load(folder, name, -1, -1);
    if (ok)
      frames.push_back(std::move(frame));
    else if (until_missing)
      break;
  }
  if (frames.empty()) {
    create(-1, -1);
    return;
  }
  const IMAGE& newest = *frames.back();
  const long total = static_cast<long>(frames.size()) * newest.width;
  if (total < 1 || total > 32767 || newest.height < 1) {
    create(-1, -1);
    return;
  }
  create(static_cast<INT_S16>(total), static_cast<INT_S16>(newest.height));
  const COLOUR clear_colour = 0;
  clear(&clear_colour, 1);
  // From the newest back to the first, each left of the one after it.
  long at = total;
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    const IMAGE& frame = **it;
    at -= frame.width;
    blit(&frame, 0, 0, static_cast<INT_S16>(x + at), y, static_cast<INT_S16>(frame.width),
         static_cast<INT_S16>(frame.height), BLIT_COPY);
  }
}

void IMAGE::export_nine_slice(FOLDER* folder, const char* base) {
  if (!base) return;
  const int w = width / 2, h = height / 2;
  struct Slice {
    const char* pattern;
    int sw, sh, sx, sy;
  } slices[] = {
      {"%s_top_left.png", w, h, 0, 0},         {"%s_bottom_left.png", w, h, 0, h + 1},
      {"%s_top_right.png", w, h, w + 1, 0},    {"%s_bottom_right.png", w, h, w + 1, h + 1},
      {"%s_mid_left.png", w, 1, 0, h},         {"%s_mid_right.png", w, 1, w + 1, h},
      {"%s_top_mid.png", 1, h, w, 0},          {"%s_bottom_mid.png", 1, h, w, h + 1},
      {"%s_mid_mid.png", 1, 1, w, h},
  };
  IMAGE scratch(-1, -1);
  const COLOUR clear_colour = 0;
  for (const Slice& s : slices) {
    // A slice of no pixels (from a picture under 2 pixels) makes no file.
    if (s.sw < 1 || s.sh < 1) continue;
    char name[kMaxName + 1];
    const int length = std::snprintf(name, sizeof name, s.pattern, base);
    if (length < 0 || static_cast<size_t>(length) > kMaxName) continue;
    if (scratch.width != s.sw || scratch.height != s.sh)
      scratch.create(static_cast<INT_S16>(s.sw), static_cast<INT_S16>(s.sh));
    scratch.clear(&clear_colour, 1);
    scratch.blit(this, static_cast<INT_S16>(s.sx), static_cast<INT_S16>(s.sy), 0, 0,
                 static_cast<INT_S16>(s.sw), static_cast<INT_S16>(s.sh), BLIT_COPY);
    DATA_FILE* file = open_data_file(folder, name, DATA_FILE_WRITE, 0, 0);
    if (!file) continue;
    scratch.save_png(file);
    close_data_file(&file);
  }
}
