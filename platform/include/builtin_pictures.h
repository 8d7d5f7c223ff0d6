// The library's two built-in pictures, kept as embedded picture arrays: a
// 195 x 80 default picture (the "Please Wait" window) and an 80 x 75 picture
// for the about box.
#ifndef ZORV_BUILTIN_PICTURES_H
#define ZORV_BUILTIN_PICTURES_H

#include "image.h"
#include "zorv_types.h"

// The arrays (format byte, big-endian width and height, then blue, green,
// red, alpha per pixel), drawn on first use.
const INT_U8* builtin_default_picture();
const INT_U8* builtin_about_picture();

bool load_builtin_default_picture(IMAGE* image);
bool load_builtin_about_picture(IMAGE* image);

#endif
