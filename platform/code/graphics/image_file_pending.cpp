// Reading and writing an image through a data device belongs to the raw image
// format, which is not built yet: until then both report failure, so a reader
// stops at an image record instead of taking an empty image for a good one.
// The image-file module replaces this file.
#include "image.h"

bool IMAGE::get_from_data_device(DATA_DEVICE*) { return false; }
bool IMAGE::put_to_data_device(DATA_DEVICE*) { return false; }
