#include "data_device.h"

#include <cstring>

static INT_U16 swap16(INT_U16 v) { return static_cast<INT_U16>((v >> 8) | (v << 8)); }
static INT_U32 swap32(INT_U32 v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

bool DATA_DEVICE::read_u8(INT_U8* out) { return note(read(out, 1) != 0); }

bool DATA_DEVICE::read_u16(INT_U16* out) {
  bool ok = note(read(out, 2) != 0);
  if (swap_flag) *out = swap16(*out);
  return ok;
}

bool DATA_DEVICE::read_u32(INT_U32* out) {
  bool ok = note(read(out, 4) != 0);
  if (swap_flag) *out = swap32(*out);
  return ok;
}

bool DATA_DEVICE::read_s32(INT_S32* out) {
  return read_u32(reinterpret_cast<INT_U32*>(out));
}

bool DATA_DEVICE::write_u8(INT_U8 value) { return note(write(&value, 1) != 0); }

bool DATA_DEVICE::write_u16(INT_U16 value) {
  if (swap_flag) value = swap16(value);
  return note(write(&value, 2) != 0);
}

bool DATA_DEVICE::write_u32(INT_U32 value) {
  if (swap_flag) value = swap32(value);
  return note(write(&value, 4) != 0);
}

bool DATA_DEVICE::write_s32(INT_S32 value) { return write_u32(static_cast<INT_U32>(value)); }

bool DATA_DEVICE::read_object(DATA_DEVICE_CLIENT& object) {
  return note(object.get_from_data_device(this));
}

bool DATA_DEVICE::write_object(DATA_DEVICE_CLIENT& object) {
  return note(object.put_to_data_device(this));
}

bool DATA_DEVICE::read_object(DATA_DEVICE_CLIENT* object) {
  return object ? read_object(*object) : note(false);
}

bool DATA_DEVICE::write_object(DATA_DEVICE_CLIENT* object) {
  return object ? write_object(*object) : note(false);
}

bool DATA_DEVICE::write_string(const char* text) {
  size_t length = text ? std::strlen(text) : 0;
  if (length > 0x7FFFFFFFu) return note(false);
  if (!write_u32(static_cast<INT_U32>(length))) return false;
  if (length == 0) return true;
  return note(write(text, static_cast<INT_S32>(length)) != 0);
}

bool DATA_DEVICE::read_string(char* buffer, INT_S32 size) {
  if (!buffer || size < 1) return note(false);
  // Zero first: a partial read fills only the low bytes.
  INT_U32 length = 0;
  if (!read_u32(&length)) return false;
  if (length >= 0x80000000u) return note(false);
  if (length == 0) {
    buffer[0] = 0;
    return true;
  }
  INT_U32 n = static_cast<INT_U32>(size - 1) < length ? static_cast<INT_U32>(size - 1) : length;
  INT_U32 consumed = 0;
  bool ok = true;
  if (n > 0) {
    INT_S32 got = read(buffer, static_cast<INT_S32>(n));
    if (got < 0) got = 0;
    if (static_cast<INT_U32>(got) > n) got = static_cast<INT_S32>(n);
    ok = note(got != 0);
    // Only what was delivered is text: never hand out bytes the device did
    // not write.
    buffer[got] = 0;
    consumed = static_cast<INT_U32>(got);
  } else {
    buffer[0] = 0;
  }
  // Skip the characters that did not fit; a device that runs dry ends the
  // skip (the result is then failure).
  char scratch[256];
  while (ok && consumed < length) {
    const INT_U32 want = length - consumed < sizeof scratch ? length - consumed : sizeof scratch;
    const INT_S32 got = read(scratch, static_cast<INT_S32>(want));
    ok = note(got > 0);
    if (got > 0) consumed += static_cast<INT_U32>(got);
  }
  return ok;
}

// --- MEMORY_DEVICE ---

void MEMORY_DEVICE::seek(INT_S32 pos, INT_U8 from_end) {
  INT_S64 p = from_end ? static_cast<INT_S64>(bytes.size()) + pos : pos;
  if (p < 0) p = 0;
  if (p > 0xFFFFFFFFLL) p = 0xFFFFFFFFLL;
  position = static_cast<INT_U32>(p);
}

INT_S32 MEMORY_DEVICE::read(void* buffer, INT_S32 count) {
  if (count <= 0 || !buffer || position >= bytes.size()) return 0;
  size_t n = bytes.size() - position;
  if (n > static_cast<size_t>(count)) n = static_cast<size_t>(count);
  std::memcpy(buffer, bytes.data() + position, n);
  position += static_cast<INT_U32>(n);
  return static_cast<INT_S32>(n);
}

INT_S32 MEMORY_DEVICE::write(const void* buffer, INT_S32 count) {
  if (count <= 0 || !buffer) return 0;
  INT_S64 end = static_cast<INT_S64>(position) + count;
  if (write_limit >= 0 && end > write_limit) end = write_limit;
  if (end <= static_cast<INT_S64>(position)) return 0;
  size_t n = static_cast<size_t>(end - position);
  if (bytes.size() < static_cast<size_t>(end)) bytes.resize(static_cast<size_t>(end), 0);
  std::memcpy(bytes.data() + position, buffer, n);
  position += static_cast<INT_U32>(n);
  return static_cast<INT_S32>(n);
}
