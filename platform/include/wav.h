// Finds the format and the sample data of a WAV file on a data device.
#ifndef ZORV_WAV_H
#define ZORV_WAV_H

#include "zorv_types.h"

class DATA_DEVICE;
class DEBUG_STREAM;

struct WAV_INFO {
  // The 16 bytes of the format chunk.
  INT_U16 format_tag;
  INT_U16 channels;
  INT_U32 sample_rate;
  INT_U32 byte_rate;
  INT_U16 block_align;
  INT_U16 bits_per_sample;
  // Where the samples are: length in bytes as the file states it, and the
  // device position of the first sample byte.
  INT_U32 data_length;
  INT_U32 data_offset;
};

// True when both a format chunk and a data chunk were found. Every step is
// logged to the "WAV file loading debug" stream.
bool load_wav(DATA_DEVICE* device, WAV_INFO* info);

// The loader's debug stream, built on first use.
DEBUG_STREAM* wav_debug_stream();

#endif
