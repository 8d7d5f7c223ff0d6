#include "wav.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "data_device.h"
#include "debug_stream.h"

DEBUG_STREAM* wav_debug_stream() {
  static DEBUG_STREAM stream("WAV file loading debug", 0, 1);
  return &stream;
}

namespace {

INT_U16 get_u16(const INT_U8* p) { return static_cast<INT_U16>(p[0] | p[1] << 8); }
INT_U32 get_u32(const INT_U8* p) { return get_u16(p) | static_cast<INT_U32>(get_u16(p + 2)) << 16; }

char printable(INT_U8 c) { return isprint(c) ? static_cast<char>(c) : '?'; }

// The end of the device's data, measured once; the walk never seeks past it.
INT_U32 device_length(DATA_DEVICE* device) {
  INT_U32 here = device->tell();
  device->seek(0, 1);
  INT_U32 end = device->tell();
  device->seek(static_cast<INT_S32>(here), 0);
  return end;
}

// Skips a chunk body; a length that runs past the end stops at the end.
void skip(DATA_DEVICE* device, INT_U32 length, INT_U32 end) {
  INT_U64 target = static_cast<INT_U64>(device->tell()) + length;
  if (target > end) target = end;
  device->seek(static_cast<INT_S32>(target), 0);
}

}  // namespace

bool load_wav(DATA_DEVICE* device, WAV_INFO* info) {
  DEBUG_STREAM* log = wav_debug_stream();
  if (!device || !info) return false;
  log->printf("Starting WAV load\n");
  INT_U8 header[8];
  if (device->read(header, 8) != 8 || memcmp(header, "RIFF", 4) != 0) {
    log->printf("RIFF header missing\n");
    return false;
  }
  log->printf("Found RIFF header\n");
  if (device->read(header, 4) != 4 || memcmp(header, "WAVE", 4) != 0) {
    log->printf("RIFF format is not WAVE\n");
    return false;
  }
  log->printf("Got WAVE format RIFF\n");
  // Positions are 32-bit; a device longer than 2 GiB is walked only that far.
  INT_U32 end = device_length(device);
  if (end > 0x7FFFFFFF) end = 0x7FFFFFFF;
  bool format_found = false, data_found = false;
  while (device->tell() < end) {
    log->printf("Reading subchunk from file offset %ld\n", static_cast<long>(device->tell()));
    INT_S32 got = device->read(header, 8);
    if (got <= 0) break;  // nothing more, whatever the device says
    if (got < 8) {
      log->printf("Incompete subchunk header (most likely trailing bytes at end of file)\n\t");
      for (INT_S32 i = 0; i < got; i++) printf("0x%X ", header[i]);
      fflush(stdout);
      log->printf("\n");
      continue;
    }
    const INT_U32 length = get_u32(header + 4);
    log->printf("Got '%c%c%c%c' subchunk\n", printable(header[0]), printable(header[1]),
                printable(header[2]), printable(header[3]));
    if (memcmp(header, "fmt", 3) == 0) {
      INT_U8 format[16];
      if (length < 16 || device->read(format, 16) != 16) {
        log->printf("\tFormat subchunk does not contain enough byes!\n");
        return false;
      }
      info->format_tag = get_u16(format);
      info->channels = get_u16(format + 2);
      info->sample_rate = get_u32(format + 4);
      info->byte_rate = get_u32(format + 8);
      info->block_align = get_u16(format + 12);
      info->bits_per_sample = get_u16(format + 14);
      if (length > 16) {
        log->printf("\tMalformed format subchunk which contains extra byes! (is %d bytes should be "
                    "16 bytes)\n\tWill continue assuming start of fmt chunk is valid.\n\tSkipping "
                    "%d bytes.\n",
                    static_cast<int>(length), static_cast<int>(length - 16));
        skip(device, length - 16, end);
      }
      log->printf("\tFormat subchunk read in\n");
      format_found = true;
    } else if (!data_found && memcmp(header, "data", 4) == 0) {
      info->data_length = length;
      info->data_offset = device->tell();
      skip(device, length, end);
      log->printf("\tData offset stored (length %ld)\n", static_cast<long>(static_cast<INT_S32>(length)));
      data_found = true;
    } else {
      skip(device, length, end);
      log->printf("\tSubchunk skipped (length %ld)\n", static_cast<long>(static_cast<INT_S32>(length)));
    }
  }
  log->printf("Complete\n\n");
  return format_found && data_found;
}
