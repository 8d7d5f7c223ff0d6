// Opening and closing of text-file streams; the byte-order marks are read
// and written by open_text_stream (data_file.cpp).
#include <new>

#include "data_file.h"
#include "text_file.h"

bool TEXT_FILE::open(FOLDER* folder, const char* name, INT_S32 mode, INT_U8 unicode, TEXT_FILE* file) {
  if (!file) return false;
  FILE* stream = nullptr;
  INT_U8 sixteen = 0, swapped_units = 0;
  if (!open_text_stream(folder, name, mode, unicode, &stream, &sixteen, &swapped_units)) return false;
  file->stream = stream;
  file->mode = mode;
  file->sixteen_bit = sixteen;
  file->swapped = swapped_units;
  return true;
}

TEXT_FILE* open_text_file(FOLDER* folder, const char* name, INT_S32 mode, INT_U8 unicode) {
  TEXT_FILE* file = new (std::nothrow) TEXT_FILE;
  if (!file) return nullptr;
  if (!TEXT_FILE::open(folder, name, mode, unicode, file)) {
    delete file;
    return nullptr;
  }
  return file;
}

void close_text_file(TEXT_FILE** file) {
  if (!file || !*file) return;
  if ((*file)->stream) fclose((*file)->stream);
  (*file)->stream = nullptr;
  delete *file;
  *file = nullptr;
}
