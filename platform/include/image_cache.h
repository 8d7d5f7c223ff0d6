// The image cache: named, reference-counted images shared by everything that
// draws the same picture. A handle is the IMAGE inside a cache entry; sizes
// other than the picture's own are entries of their own, made from the
// natural-size entry when there is one. The cache serialises itself on a data
// device (the installation database embeds it).
#ifndef ZORV_IMAGE_CACHE_H
#define ZORV_IMAGE_CACHE_H

#include "colour.h"
#include "data_device.h"
#include "image.h"
#include "lists.h"
#include "zorv_types.h"

class FOLDER;

// Size of an entry's folder field: a folder text holds at most 2047 characters.
const int IMAGE_CACHE_FOLDER_SIZE = 2048;

// Lookup flags of IMAGE_CACHE::get.
enum : INT_U8 {
  CACHE_FORGET_FAILED = 1,  // keep no entry for a picture that failed to load
  CACHE_RELOAD = 2,         // reload the file into an entry that is found
  CACHE_NATURAL_SIZE = 4,   // a natural-size entry satisfies any request
  CACHE_FIND_ONLY = 8,      // null instead of loading when nothing matches
};

struct IMAGE_CACHE_ENTRY {
  char folder[IMAGE_CACHE_FOLDER_SIZE];  // path text, zero-filled after its end
  char* name;                            // private copy, or null
  INT_U16 requested_width;               // 65535 = natural
  INT_U16 requested_height;
  INT_U16 natural_width;
  INT_U16 natural_height;
  IMAGE image;  // the handle; image.link points back here
  INT_U16 references;
  INT_U8 modified;  // private to one holder: never found, never written
  INT_U8 detached;  // outlived a purge or read: never found, never written

  IMAGE_CACHE_ENTRY();
  // Frees the name, the pixels and the entry itself.
  void free();
};

class IMAGE_CACHE : public DATA_DEVICE_CLIENT {
 public:
  PTRLLIST entries;  // of IMAGE_CACHE_ENTRY*, oldest first
  INT_U8 free_at_zero = 0;

  IMAGE_CACHE() = default;
  ~IMAGE_CACHE() override;
  IMAGE_CACHE(const IMAGE_CACHE&) = delete;
  IMAGE_CACHE& operator=(const IMAGE_CACHE&) = delete;

  bool get_from_data_device(DATA_DEVICE* device) override { return read(device) != 0; }
  bool put_to_data_device(DATA_DEVICE* device) override { return write(device) != 0; }

  // A handle with one reference added, or null. Width or height -1 = natural.
  // A folder text longer than 2047 characters finds nothing.
  IMAGE* get(const char* folder, const char* name, INT_S16 width, INT_S16 height, INT_U8 flags);
  IMAGE* get_in_folder(FOLDER* folder, const char* name, INT_S16 width, INT_S16 height, INT_U8 flags);
  IMAGE* add_ref(IMAGE* handle);
  void release(IMAGE_CACHE_ENTRY* entry);
  // The entry behind a handle of this cache; null for anything else.
  IMAGE_CACHE_ENTRY* entry_of(const IMAGE* handle);
  INT_U16 source_width(IMAGE* handle);
  INT_U16 source_height(IMAGE* handle);

  // Replaces the handle by one that only its holder uses.
  void make_private(IMAGE** handle);
  void replace_colour(IMAGE** handle, const COLOUR* from, const COLOUR* to);
  void colourise(IMAGE** handle, const COLOUR* c1, const COLOUR* c2, const COLOUR* c3);
  void tint(IMAGE** handle, const COLOUR* colour);
  void greyscale(IMAGE** handle);
  // Gives the handle an image of that size (shared when one exists).
  void resize(IMAGE** handle, INT_S16 width, INT_S16 height);

  void reload(IMAGE* handle);
  void reload_all();
  // Frees unreferenced entries and detaches the others.
  void purge();
  // Frees every entry: handles still held become invalid.
  void free_all();

  INT_U8 read(DATA_DEVICE* device);
  INT_U8 write(DATA_DEVICE* device);

 private:
  IMAGE_CACHE_ENTRY* copy_entry(const IMAGE_CACHE_ENTRY* from);
  void drop_reference(IMAGE_CACHE_ENTRY* entry);
  void unlink_and_free(IMAGE_CACHE_ENTRY* entry);
};

// The window manager's cache of skin images. Built on first use and kept to
// the end of the process, so that handles released by static destructors
// stay valid.
IMAGE_CACHE& wm_get_skin_cache();
#define wm_skin_cache (wm_get_skin_cache())

#endif
