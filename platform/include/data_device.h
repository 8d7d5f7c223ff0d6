// An abstract byte device with typed transfers on top, and the base of every
// object that reads and writes itself through one. 16- and 32-bit values are
// stored little-endian unless the device's swap flag is set; strings are a
// u32 length followed by the characters without terminator.
#ifndef ZORV_DATA_DEVICE_H
#define ZORV_DATA_DEVICE_H

#include <vector>

#include "zorv_types.h"

class DATA_DEVICE;

class DATA_DEVICE_CLIENT {
 public:
  virtual bool get_from_data_device(DATA_DEVICE* device) = 0;
  virtual bool put_to_data_device(DATA_DEVICE* device) = 0;
  virtual ~DATA_DEVICE_CLIENT() = default;
};

class DATA_DEVICE {
 public:
  INT_U8 error_flag = 0;  // 1 when the latest typed transfer failed
  INT_U32 swap_flag = 0;  // nonzero: 16- and 32-bit values are byte-reversed

  virtual ~DATA_DEVICE() = default;
  virtual INT_U32 tell() = 0;
  // from_end nonzero: the position is added to the length of the data.
  virtual void seek(INT_S32 position, INT_U8 from_end) = 0;
  // Raw transfers: the number of bytes delivered or accepted.
  virtual INT_S32 read(void* buffer, INT_S32 count) = 0;
  virtual INT_S32 write(const void* buffer, INT_S32 count) = 0;

  // Typed transfers answer true on success (a partial raw transfer counts as
  // one) and leave the outcome in error_flag.
  bool read_u8(INT_U8* out);
  bool read_u16(INT_U16* out);
  bool read_u32(INT_U32* out);
  bool read_s32(INT_S32* out);
  bool write_u8(INT_U8 value);
  bool write_u16(INT_U16 value);
  bool write_u32(INT_U32 value);
  bool write_s32(INT_S32 value);
  bool read_object(DATA_DEVICE_CLIENT& object);
  bool write_object(DATA_DEVICE_CLIENT& object);
  bool read_object(DATA_DEVICE_CLIENT* object);   // null fails
  bool write_object(DATA_DEVICE_CLIENT* object);  // null fails
  // Null and "" both store the length 0.
  bool write_string(const char* text);
  // Keeps at most size - 1 characters (terminated) and skips the rest. A
  // size below 1 or a stored length of 2^31 or more is refused.
  bool read_string(char* buffer, INT_S32 size);

 protected:
  bool note(bool ok) {
    error_flag = ok ? 0 : 1;
    return ok;
  }
};

// A device over bytes in memory: reads and writes at the position, writes
// past the end extend the data (a gap left by a seek reads as zeros).
// `write_limit` (-1 = none) caps the data length, to stand for a full disk.
class MEMORY_DEVICE : public DATA_DEVICE {
 public:
  std::vector<INT_U8> bytes;
  INT_U32 position = 0;
  INT_S64 write_limit = -1;

  MEMORY_DEVICE() = default;
  explicit MEMORY_DEVICE(std::vector<INT_U8> initial) : bytes(std::move(initial)) {}

  INT_U32 tell() override { return position; }
  void seek(INT_S32 position, INT_U8 from_end) override;
  INT_S32 read(void* buffer, INT_S32 count) override;
  INT_S32 write(const void* buffer, INT_S32 count) override;
};

#endif
