// The image cache.
#include "image_cache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "folder.h"
#include "image_file_common.h"

// Whether a path-variable name ("$APP", ...) is known; resolving an unknown
// one is a fatal error, and folder texts come from stored data.
bool is_known_path_variable(const char* name);

namespace {

const INT_U16 kNatural = 65535;

bool same_text(const char* a, const char* b) {
  if (!a || !b) return a == b;
  return std::strcmp(a, b) == 0;
}

char* copy_text(const char* text) {
  if (!text) return nullptr;
  const size_t n = std::strlen(text) + 1;
  char* out = static_cast<char*>(std::malloc(n));
  if (out) std::memcpy(out, text, n);
  return out;
}

bool scaled(const IMAGE_CACHE_ENTRY* e) {
  return e->requested_width != e->natural_width || e->requested_height != e->natural_height;
}

bool at_natural_size(const IMAGE_CACHE_ENTRY* e) {
  return !scaled(e) || (e->requested_width == kNatural && e->requested_height == kNatural);
}

// Sets a folder from a stored folder text; a text naming no known variable
// fails instead of ending the program.
bool set_folder(FOLDER* folder, const char* text) {
  if (text[0] == '$') {
    char name[256];
    const size_t n = std::strcspn(text, "/");
    std::snprintf(name, sizeof name, "%.*s", static_cast<int>(n > 255 ? 255 : n), text);
    if (!is_known_path_variable(name)) return false;
  }
  return folder->set(text);
}

void store_folder(IMAGE_CACHE_ENTRY* e, const char* text) {
  std::memset(e->folder, 0, sizeof e->folder);
  std::memcpy(e->folder, text, std::min(std::strlen(text), sizeof e->folder - 1));
}

}  // namespace

IMAGE_CACHE_ENTRY::IMAGE_CACHE_ENTRY()
    : name(nullptr),
      requested_width(0),
      requested_height(0),
      natural_width(0),
      natural_height(0),
      image(-1, -1),
      references(0),
      modified(0),
      detached(0) {
  std::memset(folder, 0, sizeof folder);
}

void IMAGE_CACHE_ENTRY::free() {
  std::free(name);
  name = nullptr;
  image.create(-1, -1);
  image.link = nullptr;
  delete this;
}

IMAGE_CACHE::~IMAGE_CACHE() { free_all(); }

IMAGE_CACHE& wm_get_skin_cache() {
  static IMAGE_CACHE* cache = new IMAGE_CACHE();
  return *cache;
}

IMAGE_CACHE_ENTRY* IMAGE_CACHE::entry_of(const IMAGE* handle) {
  if (!handle || entries.count == 0 || !handle->link) return nullptr;
  // The link is only trusted when it names an entry of this cache.
  for (LIST_NODE* n = entries.head; n; n = n->next) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    if (e == handle->link) return &e->image == handle ? e : nullptr;
  }
  return nullptr;
}

void IMAGE_CACHE::unlink_and_free(IMAGE_CACHE_ENTRY* e) {
  entries.remove(e);
  e->free();
}

void IMAGE_CACHE::drop_reference(IMAGE_CACHE_ENTRY* e) {
  if (e->references > 0) --e->references;
  if (e->references == 0 && (free_at_zero || e->detached)) unlink_and_free(e);
}

IMAGE* IMAGE_CACHE::get(const char* folder, const char* name, INT_S16 w, INT_S16 h, INT_U8 flags) {
  if (!folder) folder = "";
  if (std::strlen(folder) >= IMAGE_CACHE_FOLDER_SIZE) return nullptr;
  const INT_U16 want_w = static_cast<INT_U16>(w), want_h = static_cast<INT_U16>(h);
  IMAGE_CACHE_ENTRY* match = nullptr;
  IMAGE_CACHE_ENTRY* source = nullptr;
  for (LIST_NODE* n = entries.tail; n; n = n->previous) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    if (e->modified || e->detached || !same_text(e->name, name) || std::strcmp(e->folder, folder) != 0)
      continue;
    // -1 asks for the picture's own size in that dimension: a scaled entry
    // is not an answer to it.
    const bool width_ok = w == -1 ? e->requested_width == e->natural_width || e->requested_width == kNatural
                                  : e->requested_width == want_w;
    const bool height_ok = h == -1
                               ? e->requested_height == e->natural_height || e->requested_height == kNatural
                               : e->requested_height == want_h;
    if (width_ok && height_ok) {
      match = e;
      break;
    }
    if (at_natural_size(e)) {
      if (flags & CACHE_NATURAL_SIZE) {
        match = e;
        break;
      }
      source = e;  // the oldest one wins
    }
  }

  if (match) {
    // A count stuck at its limit could not cover another holder: the entry
    // would be freed while handles remain.
    if (match->references == 65535) return nullptr;
    if (flags & CACHE_RELOAD) {
      FOLDER f;
      if (set_folder(&f, folder) && !match->image.load(&f, name, w, h)) match->image.create(-1, -1);
    }
    ++match->references;
    return match->image.width == 0 ? nullptr : &match->image;
  }
  if (flags & CACHE_FIND_ONLY) return nullptr;

  auto* e = new IMAGE_CACHE_ENTRY();
  store_folder(e, folder);
  if (name && !(e->name = copy_text(name))) {
    e->free();
    return nullptr;
  }
  e->references = 1;
  e->requested_width = e->natural_width = want_w;
  e->requested_height = e->natural_height = want_h;
  if (source) {
    e->image.copy_from(&source->image);
    e->natural_width = source->requested_width;
    e->natural_height = source->requested_height;
    if (!(w == -1 && h == -1)) e->image.scale(want_w, want_h, !fast_image_scaling);
  } else {
    FOLDER f;
    if (set_folder(&f, folder) && e->image.load(&f, name, -1, -1)) {
      e->natural_width = e->image.width;
      e->natural_height = e->image.height;
      if ((flags & CACHE_NATURAL_SIZE) || want_w == kNatural || want_h == kNatural) {
        e->requested_width = e->natural_width;
        e->requested_height = e->natural_height;
      } else if (e->image.width != want_w || e->image.height != want_h) {
        e->image.load(&f, name, w, h);
      }
    } else if (free_at_zero || (flags & CACHE_FORGET_FAILED)) {
      e->free();
      return nullptr;
    }
  }
  e->image.link = e;
  entries.insert(e);
  return e->image.width == 0 ? nullptr : &e->image;
}

IMAGE* IMAGE_CACHE::get_in_folder(FOLDER* folder, const char* name, INT_S16 w, INT_S16 h,
                                  INT_U8 flags) {
  char text[FOLDER_PATH_SIZE] = {};
  if (folder) {
    folder->get_path_text(text, nullptr);
  } else {
    FOLDER app;
    app.get_path_text(text, nullptr);
  }
  text[sizeof text - 1] = 0;
  return get(text, name, w, h, flags);
}

IMAGE* IMAGE_CACHE::add_ref(IMAGE* handle) {
  IMAGE_CACHE_ENTRY* e = entry_of(handle);
  if (!e || e->references == 65535) return nullptr;
  ++e->references;
  return handle;
}

void IMAGE_CACHE::release(IMAGE_CACHE_ENTRY* entry) {
  if (!entry || !entry_of(&entry->image)) return;
  drop_reference(entry);
}

INT_U16 IMAGE_CACHE::source_width(IMAGE* handle) {
  if (!handle) return 0;
  IMAGE_CACHE_ENTRY* e = entry_of(handle);
  return e ? e->natural_width : handle->width;
}

INT_U16 IMAGE_CACHE::source_height(IMAGE* handle) {
  if (!handle) return 0;
  IMAGE_CACHE_ENTRY* e = entry_of(handle);
  return e ? e->natural_height : handle->height;
}

IMAGE_CACHE_ENTRY* IMAGE_CACHE::copy_entry(const IMAGE_CACHE_ENTRY* from) {
  auto* e = new IMAGE_CACHE_ENTRY();
  std::memcpy(e->folder, from->folder, sizeof e->folder);
  if (from->name && !(e->name = copy_text(from->name))) {
    e->free();
    return nullptr;
  }
  e->references = 1;
  e->requested_width = from->requested_width;
  e->requested_height = from->requested_height;
  e->natural_width = from->natural_width;
  e->natural_height = from->natural_height;
  e->detached = from->detached;
  e->image.copy_from(&from->image);
  e->image.link = e;
  return e;
}

void IMAGE_CACHE::make_private(IMAGE** handle) {
  if (!handle) return;
  IMAGE_CACHE_ENTRY* old = entry_of(*handle);
  if (!old) return;
  if (old->references < 2 && scaled(old)) {
    old->modified = 1;
    return;
  }
  IMAGE_CACHE_ENTRY* e = copy_entry(old);
  if (!e) return;
  e->modified = 1;
  entries.insert(e);
  *handle = &e->image;
  drop_reference(old);
}

void IMAGE_CACHE::replace_colour(IMAGE** handle, const COLOUR* from, const COLOUR* to) {
  if (!handle || !entry_of(*handle)) return;
  make_private(handle);
  (*handle)->replace_colour(from, to, 0);
}

void IMAGE_CACHE::colourise(IMAGE** handle, const COLOUR* c1, const COLOUR* c2, const COLOUR* c3) {
  if (!handle || !entry_of(*handle)) return;
  make_private(handle);
  (*handle)->colourise(c1, c2, c3, 0);
}

void IMAGE_CACHE::tint(IMAGE** handle, const COLOUR* colour) {
  if (!handle || !entry_of(*handle)) return;
  make_private(handle);
  (*handle)->tint(colour);
}

void IMAGE_CACHE::greyscale(IMAGE** handle) {
  if (!handle || !entry_of(*handle)) return;
  make_private(handle);
  (*handle)->greyscale();
}

void IMAGE_CACHE::resize(IMAGE** handle, INT_S16 w, INT_S16 h) {
  if (!handle || w < 0 || h < 0) return;
  IMAGE_CACHE_ENTRY* old = entry_of(*handle);
  if (!old) return;
  const INT_U16 want_w = static_cast<INT_U16>(w), want_h = static_cast<INT_U16>(h);
  if (old->requested_width == want_w && old->requested_height == want_h) return;
  if (!old->modified) {
    for (LIST_NODE* n = entries.head; n; n = n->next) {
      auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
      if (e == old || e->modified || e->detached || e->requested_width != want_w ||
          e->requested_height != want_h || !same_text(e->name, old->name) ||
          std::strcmp(e->folder, old->folder) != 0 || e->references == 65535)
        continue;
      ++e->references;
      *handle = &e->image;
      drop_reference(old);
      return;
    }
  }
  if (old->references < 2 && scaled(old)) {
    old->image.scale(want_w, want_h, !fast_image_scaling);
    old->requested_width = want_w;
    old->requested_height = want_h;
    return;
  }
  IMAGE_CACHE_ENTRY* e = copy_entry(old);
  if (!e) return;
  e->modified = old->modified;
  e->image.scale(want_w, want_h, !fast_image_scaling);
  e->requested_width = want_w;
  e->requested_height = want_h;
  entries.insert(e);
  *handle = &e->image;
  drop_reference(old);
}

namespace {

void reload_entry(IMAGE_CACHE_ENTRY* e) {
  FOLDER f;
  if (set_folder(&f, e->folder))
    e->image.load(&f, e->name, static_cast<INT_S16>(e->requested_width),
                  static_cast<INT_S16>(e->requested_height));
  e->image.link = e;
}

}  // namespace

void IMAGE_CACHE::reload(IMAGE* handle) {
  IMAGE_CACHE_ENTRY* e = entry_of(handle);
  if (e) reload_entry(e);
}

void IMAGE_CACHE::reload_all() {
  for (LIST_NODE* n = entries.tail; n; n = n->previous) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    if (!e->detached) reload_entry(e);
  }
}

void IMAGE_CACHE::purge() {
  for (LIST_NODE* n = entries.head; n;) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    n = n->next;
    if (e->references == 0)
      unlink_and_free(e);
    else
      e->detached = 1;
  }
}

void IMAGE_CACHE::free_all() {
  while (entries.head) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(entries.head));
    entries.remove_node(entries.head);
    if (e) e->free();
  }
}

INT_U8 IMAGE_CACHE::read(DATA_DEVICE* device) {
  if (!device) return 0;
  purge();
  INT_U8 version = 0;
  INT_U32 count = 0;
  if (!device->read_u8(&version) || !device->read_u32(&count)) return 0;
  for (INT_U32 i = 0; i < count; ++i) {
    auto* e = new IMAGE_CACHE_ENTRY();
    bool ok;
    if (version >= 2) {
      ok = device->read(e->folder, IMAGE_CACHE_FOLDER_SIZE) == IMAGE_CACHE_FOLDER_SIZE;
      // Whatever the record held, the text ends inside the field and
      // nothing follows it.
      e->folder[IMAGE_CACHE_FOLDER_SIZE - 1] = 0;
      const size_t n = std::strlen(e->folder);
      std::memset(e->folder + n, 0, IMAGE_CACHE_FOLDER_SIZE - n);
      if (!ok) device->error_flag = 1;
    } else {
      FOLDER f;
      ok = f.get_from_data_device(device);
      if (ok) {
        char text[FOLDER_PATH_SIZE] = {};
        f.get_path_text(text, nullptr);
        text[sizeof text - 1] = 0;
        store_folder(e, text);
      }
    }
    INT_U32 length = 0;
    ok = ok && device->read_u32(&length);
    if (ok && length > 0) {
      // A length the device cannot hold is damage, not a size to allocate.
      if (static_cast<INT_S64>(length) > image_files::device_bytes_left(device)) {
        device->error_flag = 1;
        ok = false;
      } else {
        const size_t n = static_cast<size_t>(length);
        e->name = static_cast<char*>(std::malloc(n + 1));
        ok = e->name && device->read(e->name, static_cast<INT_S32>(length)) == static_cast<INT_S32>(length);
        if (e->name) e->name[n] = 0;
        if (!ok) device->error_flag = 1;
      }
    }
    ok = ok && device->read_u16(&e->requested_width) && device->read_u16(&e->requested_height) &&
         device->read_u16(&e->natural_width) && device->read_u16(&e->natural_height) &&
         e->image.get_from_data_device(device);
    if (!ok) {
      e->free();
      return 0;
    }
    e->image.link = e;
    entries.insert(e);
  }
  return 1;
}

INT_U8 IMAGE_CACHE::write(DATA_DEVICE* device) {
  if (!device) return 0;
  INT_U32 count = 0;
  for (LIST_NODE* n = entries.head; n; n = n->next) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    if (!e->modified && !e->detached) ++count;
  }
  if (!device->write_u8(2) || !device->write_u32(count)) return 0;
  for (LIST_NODE* n = entries.head; n; n = n->next) {
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(n));
    if (e->modified || e->detached) continue;
    const INT_U32 length = e->name ? static_cast<INT_U32>(std::strlen(e->name)) : 0;
    bool ok = device->write(e->folder, IMAGE_CACHE_FOLDER_SIZE) == IMAGE_CACHE_FOLDER_SIZE &&
              device->write_u32(length) &&
              (length == 0 ||
               device->write(e->name, static_cast<INT_S32>(length)) == static_cast<INT_S32>(length)) &&
              device->write_u16(e->requested_width) && device->write_u16(e->requested_height) &&
              device->write_u16(e->natural_width) && device->write_u16(e->natural_height) &&
              e->image.put_to_data_device(device);
    if (!ok) {
      device->error_flag = 1;
      return 0;
    }
  }
  return 1;
}
