// Helpers shared by the image file readers: sizes checked against what the
// source can hold, and loading through a scratch image.
#ifndef ZORV_IMAGE_FILE_COMMON_H
#define ZORV_IMAGE_FILE_COMMON_H

#include <cstdio>

#include "data_device.h"
#include "image.h"

namespace image_files {

// Largest width or height an image holds.
const long kMaxSide = 32767;

// Makes `image` exactly w x h (both 1 to kMaxSide); false, with the image
// left as create left it, when it did not get that size.
bool create_exact(IMAGE* image, long w, long h);

// Takes a picture read into `scratch` over into `target`: the target gets
// the scratch image's size and pixels (a fixed-size target only when the
// sizes agree). An empty scratch image empties the target. False when the
// target cannot take the picture; the target is then unchanged.
bool take_over(IMAGE* target, IMAGE* scratch);

// Bytes between the device's position and the end of its data; the
// position is kept.
INT_S64 device_bytes_left(DATA_DEVICE* device);

// Bytes left in a regular file from the stream's position; -1 when the
// stream is not a regular file.
INT_S64 stream_bytes_left(FILE* stream);

}  // namespace image_files

#endif
