// A growable 8-bit text in a heap buffer, with a minimum allocation size so
// that short texts do not reallocate as they grow. Serialised as a u32
// length and the characters (the same layout as DATA_DEVICE::write_string).
#ifndef ZORV_ZORV_STRING_H
#define ZORV_ZORV_STRING_H

#include "data_device.h"
#include "zorv_types.h"

// Minimum size of every newly constructed string.
extern INT_S32 string_default_minimum_size;

class ZORV_STRING : public DATA_DEVICE_CLIENT {
 public:
  char* text = nullptr;  // NUL-terminated, or null for no text
  INT_S32 capacity = 0;  // bytes allocated for text
  INT_S32 minimum_size;  // no allocation is smaller; 0 frees the buffer when emptied

  ZORV_STRING();
  // Characters first..last of the source (last -1: to the end); empty when
  // the range does not lie inside the source.
  ZORV_STRING(const ZORV_STRING& source, INT_S32 first, INT_S32 last);
  ZORV_STRING(const ZORV_STRING* source, INT_S32 first, INT_S32 last);
  // Copies are deep.
  ZORV_STRING(const ZORV_STRING& other);
  ZORV_STRING& operator=(const ZORV_STRING& other);
  ~ZORV_STRING() override;

  bool reserve(INT_S32 n);
  void release();
  INT_S32 length() const;
  // The character at index, or a shared empty text at or beyond the end.
  char* char_ref(INT_U32 index);

  ZORV_STRING& set(const char* text);
  ZORV_STRING& set_long(INT_S32 value);
  ZORV_STRING& set_short(INT_S16 value);
  ZORV_STRING& append(const char* text);
  ZORV_STRING& append_long(INT_S32 value);
  ZORV_STRING& append_short(INT_S16 value);
  void insert(const ZORV_STRING& other, INT_S32 position);
  void insert(const ZORV_STRING* other, INT_S32 position);
  bool erase(INT_S32 first, INT_S32 last);
  bool replace(const ZORV_STRING& find, const ZORV_STRING& with, INT_S32 start);
  INT_S32 find(const ZORV_STRING& what, INT_S32 start, INT_U8 case_sensitive) const;
  // start < 0: from the end.
  INT_S32 find_last(const ZORV_STRING& what, INT_S32 start, INT_U8 case_sensitive) const;
  void trim_left();
  void trim_right();
  void to_lower();
  void copy_to_clipboard();
  void paste_from_clipboard();
  // Replaces the text by its scrambled bytes in base64; the base64 length,
  // 0 on failure.
  INT_S32 encode();
  // Restores an encoded text; the text, or null on failure (then unchanged).
  char* decode();

  bool get_from_data_device(DATA_DEVICE* device) override;
  bool put_to_data_device(DATA_DEVICE* device) override;

 private:
  void empty_out();
};

#endif
