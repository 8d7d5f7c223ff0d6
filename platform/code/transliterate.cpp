#include "transliterate.h"

#include <cmath>
#include <cstring>

#include "data_file.h"
#include "folder.h"
#include "text_compare.h"
#include "utilities.h"

void transliterate_text(const char* source, char* destination, INT_S16 size) {
  if (!source || !destination || size < 1) return;
  destination[0] = '\0';
  INT_S32 length = 0;
  char buffer[2];
  for (const char* p = source; *p && length < size - 3; p++) {
    const char* replacement = transliterate_char(static_cast<INT_U8>(*p), buffer);
    size_t n = strlen(replacement);
    memcpy(destination + length, replacement, n + 1);
    length += static_cast<INT_S32>(n);
  }
}

INT_S32 compare_text_transliterated(const char* a, const char* b, INT_U8 ignore_case) {
  bool a_empty = !a || !*a, b_empty = !b || !*b;
  if (a_empty) return b_empty ? 0 : -1;
  if (b_empty) return 1;
  // Each side needs its own buffer: the default one is shared.
  char buffer_a[2], buffer_b[2];
  for (size_t i = 0; a[i]; i++) {
    const char* x = transliterate_char(static_cast<INT_U8>(a[i]), buffer_a);
    const char* y = "";
    if (*b) y = transliterate_char(static_cast<INT_U8>(*b++), buffer_b);
    INT_S32 result = ignore_case ? compare_text_nocase(x, y) : strcmp(x, y);
    if (result != 0) return result;
  }
  return 0;
}

namespace {

void put_u16(INT_U8* p, INT_U32 v) {
  p[0] = static_cast<INT_U8>(v);
  p[1] = static_cast<INT_U8>(v >> 8);
}

void put_u32(INT_U8* p, INT_U32 v) {
  put_u16(p, v);
  put_u16(p + 2, v >> 16);
}

// The largest data chunk whose RIFF size (data + 36) still fits 32 bits.
const INT_U64 kMaxData = 0xFFFFFFFFull - 36;

class MELODY_RENDERER {
 public:
  MELODY_RENDERER(DATA_FILE* file, const MELODY_FORMAT& format)
      : file_(file), format_(format),
        channels_(format.stereo ? 2 : 1),
        bytes_per_sample_(format.sixteen_bit ? 2 : 1) {
    peak_ = format.volume * (format.sixteen_bit ? 32767.0 : 127.0) / 100.0;
    sustain_ = peak_ * format.sustain / 100.0;
  }

  INT_U64 data_size() const { return data_size_; }

  // One note (or a rest, frequency 0) of the given length in milliseconds.
  void note(double length_ms, double frequency) {
    const double length = length_ms / 1000.0;
    const double rate = format_.sample_rate;
    const unsigned frame_bytes = channels_ * bytes_per_sample_;
    for (INT_U64 i = 0;; i++) {
      const double t = static_cast<double>(i) / rate;
      if (!(t < length)) break;
      if (data_size_ + frame_bytes > kMaxData) break;
      const double x = 2 * M_PI * frequency * t;
      const double g = level(t, length);
      double value = g * sin(x);
      if (format_.saw_harmonics) value += g * (sin(2 * x) / 2 + sin(3 * x) / 3 + sin(4 * x) / 4);
      if (format_.square_harmonics)
        value += g * (sin(3 * x) / 3 + sin(5 * x) / 5 + sin(7 * x) / 7);
      write_frame(value);
    }
  }

 private:
  double envelope(double t) const {
    const double a = format_.attack, d = format_.decay;
    const double P = peak_, S = sustain_;
    if (t < a) return P * t / a;
    if (t < a + d) return S + (P - S) * (a + d - t) / d;
    // Without a decay there is nothing to swing by: the level stays.
    if (!format_.tremolo || d <= 0) return S;
    const double u = t - (a + d);
    const double v = u - 2 * d * trunc(u / (2 * d));
    if (v < d) return S + (P - S) * v / d;
    return S + (P - S) * (2 * d - v) / d;
  }

  double level(double t, double length) const {
    const double d = format_.decay, r = format_.release;
    const double P = peak_, S = sustain_;
    const double e = envelope(t);
    if (t > length - r) return std::fmin(e, S * (length - t) / r);
    if (t > length - r - d) return std::fmin(e, S + (P - S) * (length - r - t) / d);
    return std::fmin(e, P);
  }

  void write_frame(double value) {
    INT_U8 bytes[4];
    unsigned n;
    if (format_.sixteen_bit) {
      INT_S32 sample = value > 32767 ? 32767 : value < -32768 ? -32768 : static_cast<INT_S32>(value);
      put_u16(bytes, static_cast<INT_U16>(sample));
      n = 2;
    } else {
      INT_S32 sample = value > 127 ? 127 : value < -128 ? -128 : static_cast<INT_S32>(value);
      bytes[0] = static_cast<INT_U8>(static_cast<INT_S8>(sample));
      n = 1;
    }
    for (unsigned c = 0; c < channels_; c++) {
      file_->write(bytes, static_cast<INT_S32>(n));
      data_size_ += n;
    }
  }

  DATA_FILE* file_;
  const MELODY_FORMAT& format_;
  unsigned channels_, bytes_per_sample_;
  double peak_, sustain_;
  INT_U64 data_size_ = 0;
};

// Note lengths of the digits '0' to '9', in beats.
const double kLengths[10] = {1.0, 0.25, 0.375, 0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0};

// Ratios of the current C for the notes C, D, E, F, G, A, B, plain and sharp
// (0: the note has no sharp).
struct NOTE_RATIOS {
  char letter;
  double plain, sharp;
};
const NOTE_RATIOS kNotes[] = {
    {'C', 1.0, 17.0 / 16}, {'D', 9.0 / 8, 19.0 / 16}, {'E', 5.0 / 4, 0},
    {'F', 4.0 / 3, 17.0 / 12}, {'G', 3.0 / 2, 19.0 / 12}, {'A', 5.0 / 3, 85.0 / 48},
    {'B', 15.0 / 8, 0},
};

}  // namespace

bool write_melody_wav(FOLDER* folder, const char* file_name, const char* melody, INT_S32 beat_ms,
                      const MELODY_FORMAT* format_or_null) {
  const MELODY_FORMAT defaults;
  const MELODY_FORMAT& format = format_or_null ? *format_or_null : defaults;
  if (format.sample_rate == 0) return false;
  DATA_FILE* file = open_data_file(folder, file_name, DATA_FILE_WRITE, 0, 0);
  if (!file) return false;

  const INT_U32 channels = format.stereo ? 2 : 1;
  const INT_U32 bits = format.sixteen_bit ? 16 : 8;
  INT_U8 header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  put_u32(header + 16, 16);
  put_u16(header + 20, 1);
  put_u16(header + 22, channels);
  put_u32(header + 24, format.sample_rate);
  put_u32(header + 28, channels * format.sample_rate * bits / 8);
  put_u16(header + 32, bits / 8 * channels);
  put_u16(header + 34, bits);
  memcpy(header + 36, "data", 4);
  file->write(header, sizeof header);

  MELODY_RENDERER renderer(file, format);
  double beat_length = kLengths[5] * beat_ms;
  double c_frequency = 644.0;
  for (const char* p = melody ? melody : ""; *p; p++) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      beat_length = kLengths[c - '0'] * beat_ms;
    } else if (c == 'O') {
      if (!p[1]) break;
      if (p[1] >= '0' && p[1] <= '9') {
        c_frequency = 161.0 * std::ldexp(1.0, p[1] - '0');
        p++;
      }
    } else if (c == '&') {
      if (p[1] == '#') {
        p++;
        continue;
      }
      renderer.note(beat_length, 0);
    } else {
      for (const NOTE_RATIOS& note : kNotes) {
        bool upper = c == note.letter, lower = c == note.letter + ('a' - 'A');
        if (!upper && !lower) continue;
        double ratio = note.plain;
        if (p[1] == '#') {
          p++;
          ratio = note.sharp;
        }
        if (ratio > 0) renderer.note(beat_length, c_frequency * ratio * (lower ? 0.5 : 1.0));
        break;
      }
    }
  }

  INT_U8 size[4];
  const INT_U32 data_size = static_cast<INT_U32>(renderer.data_size());
  put_u32(size, data_size);
  file->seek(40, 0);
  file->write(size, 4);
  put_u32(size, data_size + 36);
  file->seek(4, 0);
  file->write(size, 4);
  return close_data_file_checked(&file);
}
