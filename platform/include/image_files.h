// The PNG and JPEG codecs on an open stdio stream, beneath the IMAGE members
// that take a data file (which flush the file and hand over its stream).
#ifndef ZORV_IMAGE_FILES_H
#define ZORV_IMAGE_FILES_H

#include <cstdio>

#include "image.h"
#include "zorv_types.h"

struct jpeg_common_struct;

// Reads a PNG whose first four signature bytes were already taken from the
// stream (and checked). The image is unchanged on failure.
bool load_png_stream(IMAGE* image, FILE* stream);
// Writes 8-bit RGBA with an sBIT chunk and the "Author" and "Website" texts.
bool save_png_stream(const IMAGE* image, FILE* stream);
// A width or height below 1 takes the file's own.
bool load_jpeg_stream(IMAGE* image, FILE* stream, INT_S16 width, INT_S16 height);
bool save_jpeg_stream(const IMAGE* image, FILE* stream, INT_U8 quality, INT_S8 progressive);

// libjpeg's error exit for the JPEG codecs: jumps back to the codec call.
[[noreturn]] void jpeg_error_exit(jpeg_common_struct* cinfo);

// The texts of the PNG "Author" and "Website" entries.
extern const char* const png_author_text;
extern const char* const png_website_text;

#endif
