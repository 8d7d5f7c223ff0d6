// Latin-1 to ASCII transliteration, an accent-insensitive compare, and a
// writer that renders a melody text into a WAV file.
#ifndef ZORV_TRANSLITERATE_H
#define ZORV_TRANSLITERATE_H

#include "zorv_types.h"

class FOLDER;

// Writes the ASCII form of source into destination (size bytes); stops
// before fewer than 4 bytes would be left. Nothing happens for a null
// pointer or a size below 1.
void transliterate_text(const char* source, char* destination, INT_S16 size);
// Negative, zero or positive. A text compares equal to every text that it is
// a prefix of, when it is the first argument.
INT_S32 compare_text_transliterated(const char* a, const char* b, INT_U8 ignore_case);

struct MELODY_FORMAT {
  INT_S8 volume = 100;          // peak level, percent of full scale
  INT_U32 sample_rate = 22050;  // samples per second
  INT_U8 stereo = 0;            // two channels carrying the same samples
  INT_U8 sixteen_bit = 1;       // else signed 8-bit samples
  double attack = 0.2;          // seconds from silence to the peak
  double decay = 0.1;           // seconds from the peak to the sustain level
  double release = 0.2;         // seconds to silence at the end of each note
  INT_U8 tremolo = 0;           // swing between sustain and peak after the decay
  INT_S8 sustain = 80;          // percent of the peak
  INT_U8 saw_harmonics = 0;     // harmonics 2, 3, 4 with weights 1/2, 1/3, 1/4
  INT_U8 square_harmonics = 0;  // harmonics 3, 5, 7 with weights 1/3, 1/5, 1/7
};

// Renders the melody (digits: note length for the following notes; "O" and a
// digit: octave; C D E F G A B and lower case an octave lower, '#' after a
// note: sharp; '&': rest) with beats of beat_ms milliseconds. A null format
// means the defaults. False when the file cannot be written or the sample
// rate is 0.
bool write_melody_wav(FOLDER* folder, const char* file_name, const char* melody, INT_S32 beat_ms,
                      const MELODY_FORMAT* format);

#endif
