// The image cache: sharing, sizes, private copies, serialisation.
#include <gtest/gtest.h>

#include <cstring>

#include "data_file.h"
#include "folder.h"
#include "image_cache.h"
#include "image_files_test_util.h"
#include "wm_globals.h"

using itu::Bytes;

namespace {

struct Pictures {
  std::string path = zt::make_temp_dir("pics");
  FOLDER folder;
  char text[FOLDER_PATH_SIZE] = {};
  Pictures() {
    EXPECT_TRUE(folder.set_if_directory(path.c_str()));
    folder.get_path_text(text, nullptr);
  }
  void put(const std::string& name, int w, int h, INT_U32 colour) const {
    ASSERT_TRUE(itu::save_png_to(path + "/" + name + ".png", *itu::make_image(w, h, [colour](int, int) {
      return colour;
    })));
  }
};

IMAGE_CACHE_ENTRY* entry(IMAGE_CACHE& c, IMAGE* h) { return c.entry_of(h); }

TEST(ImageCache, SameRequestSharesOneHandle) {
  Pictures p;
  p.put("a", 4, 3, 0xFF112233);
  IMAGE_CACHE cache;
  IMAGE* h1 = cache.get(p.text, "a", -1, -1, 0);
  IMAGE* h2 = cache.get_in_folder(&p.folder, "a", -1, -1, 0);
  ASSERT_NE(h1, nullptr);
  EXPECT_EQ(h1, h2);
  EXPECT_EQ(cache.entries.count, 1);
  EXPECT_EQ(entry(cache, h1)->references, 2);
  EXPECT_EQ(entry(cache, h1)->requested_width, 4);  // natural request takes the picture's size
  EXPECT_EQ(cache.add_ref(h1), h1);
  EXPECT_EQ(entry(cache, h1)->references, 3);
}

TEST(ImageCache, SizesAreEntriesOfTheirOwnScaledFromTheNaturalOne) {
  Pictures p;
  p.put("a", 64, 64, 0xFF445566);
  IMAGE_CACHE cache;
  IMAGE* small = cache.get(p.text, "a", 32, 32, 0);
  IMAGE* natural = cache.get(p.text, "a", -1, -1, 0);
  ASSERT_NE(small, nullptr);
  ASSERT_NE(natural, nullptr);
  EXPECT_NE(small, natural);
  EXPECT_EQ(natural->width, 64);
  EXPECT_EQ(cache.get(p.text, "a", 32, 32, 0), small);
  // With the natural entry cached, new sizes come from it, not the disc.
  ASSERT_EQ(std::remove((p.path + "/a.png").c_str()), 0);
  IMAGE* wide = cache.get(p.text, "a", 100, 20, 0);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->width, 100);
  EXPECT_EQ(wide->height, 20);
  EXPECT_EQ(*wide->pixel_at(50, 10), 0xFF445566u);
  EXPECT_EQ(cache.source_width(wide), 64);
  EXPECT_EQ(cache.source_height(wide), 64);
  // One dimension given: the other kept from the natural picture.
  IMAGE* tall = cache.get(p.text, "a", -1, 32, 0);
  ASSERT_NE(tall, nullptr);
  EXPECT_EQ(tall->width, 64);
  EXPECT_EQ(tall->height, 32);
}

TEST(ImageCache, OneDimensionGivenWithoutANaturalEntryGetsTheNaturalPicture) {
  Pictures p;
  p.put("a", 10, 6, 0xFF000001);
  IMAGE_CACHE cache;
  IMAGE* h = cache.get(p.text, "a", -1, 32, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->width, 10);
  EXPECT_EQ(h->height, 6);
  EXPECT_EQ(entry(cache, h)->requested_height, 6);
  // A natural-size request with flag 4 is satisfied by it.
  EXPECT_EQ(cache.get(p.text, "a", 5, 5, CACHE_NATURAL_SIZE), h);
}

TEST(ImageCache, MissingPictureIsRememberedUnlessToldOtherwise) {
  Pictures p;
  struct Case {
    INT_U8 free_at_zero, flags;
    int entries;
  } cases[] = {{0, 0, 1}, {0, CACHE_FORGET_FAILED, 0}, {1, 0, 0}};
  for (const Case& c : cases) {
    IMAGE_CACHE cache;
    cache.free_at_zero = c.free_at_zero;
    EXPECT_EQ(cache.get(p.text, "nothing", -1, -1, c.flags), nullptr);
    ASSERT_EQ(cache.entries.count, c.entries);
    if (c.entries) {
      auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(cache.entries.head));
      EXPECT_EQ(e->references, 1);
      EXPECT_EQ(e->image.width, 0);
      // The next request finds the remembered failure.
      EXPECT_EQ(cache.get(p.text, "nothing", -1, -1, 0), nullptr);
      EXPECT_EQ(e->references, 2);
    }
  }
  IMAGE_CACHE cache;
  EXPECT_EQ(cache.get(p.text, "nothing", -1, -1, CACHE_FIND_ONLY), nullptr);
  EXPECT_EQ(cache.entries.count, 0);
}

TEST(ImageCache, ReloadFlagReadsTheFileAgain) {
  Pictures p;
  p.put("a", 2, 2, 0xFF0000AA);
  IMAGE_CACHE cache;
  IMAGE* h = cache.get(p.text, "a", -1, -1, 0);
  p.put("a", 2, 2, 0xFF0000BB);
  EXPECT_EQ(cache.get(p.text, "a", -1, -1, 0), h);
  EXPECT_EQ(*h->pixel_at(0, 0), 0xFF0000AAu);
  EXPECT_EQ(cache.get(p.text, "a", -1, -1, CACHE_RELOAD), h);
  EXPECT_EQ(*h->pixel_at(0, 0), 0xFF0000BBu);
}

TEST(ImageCache, MakePrivateCopiesSharedOrNaturalPictures) {
  Pictures p;
  p.put("a", 8, 8, 0xFF808080);
  IMAGE_CACHE cache;
  IMAGE* natural = cache.get(p.text, "a", -1, -1, 0);
  IMAGE* scaled = cache.get(p.text, "a", 4, 4, 0);
  // The only holder of a scaled picture may change it in place.
  IMAGE* h = scaled;
  cache.make_private(&h);
  EXPECT_EQ(h, scaled);
  EXPECT_EQ(entry(cache, h)->modified, 1);
  EXPECT_EQ(cache.get(p.text, "a", 4, 4, 0) == scaled, false);  // modified entries are not found
  // The natural picture is always copied.
  IMAGE* other = cache.add_ref(natural);
  COLOUR from = 0xFF808080, to = 0xFFFF0000;
  cache.replace_colour(&other, &from, &to);
  EXPECT_NE(other, natural);
  EXPECT_EQ(*other->pixel_at(1, 1), 0xFFFF0000u);
  EXPECT_EQ(*natural->pixel_at(1, 1), 0xFF808080u);
  EXPECT_EQ(entry(cache, natural)->references, 1);
  EXPECT_EQ(entry(cache, other)->modified, 1);
  // Not an image of the cache: nothing happens.
  IMAGE loose(2, 2);
  IMAGE* lh = &loose;
  cache.greyscale(&lh);
  EXPECT_EQ(lh, &loose);
  EXPECT_EQ(cache.entry_of(&loose), nullptr);
  EXPECT_EQ(cache.add_ref(&loose), nullptr);
  loose.link = &loose;  // a link used for something else is not an entry
  EXPECT_EQ(cache.entry_of(&loose), nullptr);
}

TEST(ImageCache, ResizeSharesScalesInPlaceOrCopies) {
  Pictures p;
  p.put("a", 8, 8, 0xFF808080);
  IMAGE_CACHE cache;
  IMAGE* natural = cache.get(p.text, "a", -1, -1, 0);
  IMAGE* four = cache.get(p.text, "a", 4, 4, 0);
  // Natural -> 4 x 4: the existing entry is shared.
  IMAGE* h = cache.add_ref(natural);
  cache.resize(&h, 4, 4);
  EXPECT_EQ(h, four);
  EXPECT_EQ(entry(cache, four)->references, 2);
  EXPECT_EQ(entry(cache, natural)->references, 1);
  // Shared 4 x 4 -> 6 x 2: a new entry.
  cache.resize(&h, 6, 2);
  ASSERT_NE(h, four);
  EXPECT_EQ(h->width, 6);
  EXPECT_EQ(h->height, 2);
  EXPECT_EQ(entry(cache, four)->references, 1);
  // Sole holder of a scaled picture: scaled in place.
  IMAGE* before = h;
  cache.resize(&h, 3, 3);
  EXPECT_EQ(h, before);
  EXPECT_EQ(h->width, 3);
  EXPECT_EQ(entry(cache, h)->requested_width, 3);
  cache.resize(&h, -1, 3);
  EXPECT_EQ(h->width, 3);
}

TEST(ImageCache, ReleaseFreesAtZeroOnlyWhenAskedOrDetached) {
  Pictures p;
  p.put("a", 2, 2, 0xFF010203);
  for (INT_U8 free_at_zero : {0, 1}) {
    IMAGE_CACHE cache;
    cache.free_at_zero = free_at_zero;
    IMAGE* h = cache.get(p.text, "a", -1, -1, 0);
    cache.release(cache.entry_of(h));
    EXPECT_EQ(cache.entries.count, free_at_zero ? 0 : 1);
    cache.release(nullptr);
  }
}

// At the count's limit no further handle is given out, by get as by add_ref:
// every release then stands for a holder, and the last one frees the entry.
TEST(ImageCache, NoHandleBeyondTheReferenceLimit) {
  Pictures p;
  p.put("a", 2, 2, 0xFF010203);
  IMAGE_CACHE cache;
  cache.free_at_zero = 1;
  IMAGE* h = cache.get(p.text, "a", -1, -1, 0);
  ASSERT_NE(h, nullptr);
  entry(cache, h)->references = 65534;
  EXPECT_EQ(cache.get(p.text, "a", -1, -1, 0), h);
  EXPECT_EQ(entry(cache, h)->references, 65535);
  for (int flags : {0, int(CACHE_RELOAD), int(CACHE_NATURAL_SIZE)}) {
    EXPECT_EQ(cache.get(p.text, "a", -1, -1, static_cast<INT_U8>(flags)), nullptr) << flags;
  }
  EXPECT_EQ(cache.add_ref(h), nullptr);
  EXPECT_EQ(entry(cache, h)->references, 65535);
  EXPECT_EQ(cache.entries.count, 1);
  cache.release(entry(cache, h));
  EXPECT_EQ(entry(cache, h)->references, 65534);
}

// The serialised form of one entry, written by hand.
Bytes record(const std::string& folder, const std::string& name, Bytes sizes, Bytes image) {
  Bytes field(2048, 0);
  std::memcpy(field.data(), folder.data(), folder.size());
  const INT_U32 n = static_cast<INT_U32>(name.size());
  return itu::cat({field, {INT_U8(n), INT_U8(n >> 8), INT_U8(n >> 16), INT_U8(n >> 24)},
                   itu::text_bytes(name), sizes, image});
}
const Bytes kPixel = itu::cat({itu::text_bytes("zorvrawimg"), {1, 1, 0, 1, 0, 0x30, 0x20, 0x10, 0xFF}});

TEST(ImageCache, WritesOnlyPlainEntriesInTheRecordForm) {
  Pictures p;
  p.put("logo", 1, 1, 0xFF102030);
  IMAGE_CACHE cache;
  IMAGE* h = cache.get(p.text, "logo", -1, -1, 0);
  IMAGE* priv = cache.add_ref(h);
  cache.make_private(&priv);  // modified: not written
  MEMORY_DEVICE dev;
  ASSERT_TRUE(cache.write(&dev));
  EXPECT_EQ(dev.bytes, itu::cat({{2, 1, 0, 0, 0}, record(p.text, "logo", {1, 0, 1, 0, 1, 0, 1, 0}, kPixel)}));
  // Only modified or detached entries: version 2 and count 0.
  cache.purge();
  MEMORY_DEVICE none;
  ASSERT_TRUE(cache.write(&none));
  EXPECT_EQ(none.bytes, (Bytes{2, 0, 0, 0, 0}));
}

TEST(ImageCache, ReadsBothRecordVersions) {
  Bytes folder_record(2049, 0);
  folder_record[0] = 255;
  std::memcpy(folder_record.data() + 1, "$APP", 4);
  Bytes v1 = itu::cat({{1, 1, 0, 0, 0}, folder_record, {3, 0, 0, 0}, itu::text_bytes("old"),
                       {1, 0, 1, 0, 1, 0, 1, 0}, kPixel});
  Bytes v2 = itu::cat({{2, 1, 0, 0, 0}, record("$APP", "new", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0}, kPixel)});
  for (const Bytes& bytes : {v1, v2}) {
    IMAGE_CACHE cache;
    MEMORY_DEVICE dev(bytes);
    ASSERT_TRUE(cache.read(&dev));
    ASSERT_EQ(cache.entries.count, 1);
    auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(cache.entries.head));
    EXPECT_STREQ(e->folder, "$APP");
    EXPECT_EQ(e->references, 0);
    EXPECT_EQ(*e->image.pixel_at(0, 0), 0xFF102030u);
    // Found by a lookup, without any file.
    EXPECT_EQ(cache.get("$APP", e->name, -1, -1, CACHE_FIND_ONLY), &e->image);
  }
}

TEST(ImageCache, RoundTripKeepsEveryPlainEntry) {
  Pictures p;
  p.put("a", 6, 4, 0xFF0A0B0C);
  p.put("b", 3, 3, 0x800000FF);
  IMAGE_CACHE cache;
  cache.get(p.text, "a", -1, -1, 0);
  cache.get(p.text, "a", 3, 2, 0);
  cache.get(p.text, "b", -1, -1, 0);
  cache.get(p.text, "missing", -1, -1, 0);  // an empty image is kept too
  MEMORY_DEVICE dev;
  ASSERT_TRUE(cache.write(&dev));
  IMAGE_CACHE back;
  dev.seek(0, 0);
  ASSERT_TRUE(back.read(&dev));
  MEMORY_DEVICE again;
  ASSERT_TRUE(back.write(&again));
  EXPECT_EQ(again.bytes, dev.bytes);
  EXPECT_EQ(back.entries.count, 4);
}

TEST(ImageCache, DamagedRecordsAreRefusedKeepingWhatWasRead) {
  Bytes good = record("$APP", "x", {1, 0, 1, 0, 1, 0, 1, 0}, kPixel);
  Bytes huge_name = itu::cat({Bytes(2048, 0), {0xFF, 0xFF, 0xFF, 0xFF}, itu::text_bytes("abc")});
  Bytes long_name = itu::cat({Bytes(2048, 0), {0x00, 0x00, 0x01, 0x00}, itu::text_bytes("abc")});
  Bytes no_terminator = good;
  std::fill(no_terminator.begin(), no_terminator.begin() + 2048, 'A');
  struct Case {
    const char* what;
    Bytes bytes;
    INT_U8 result;
    int entries;
  } cases[] = {
      {"name length 0xFFFFFFFF", itu::cat({{2, 2, 0, 0, 0}, good, huge_name}), 0, 1},
      {"name past the end", itu::cat({{2, 1, 0, 0, 0}, long_name}), 0, 0},
      {"count beyond the records", itu::cat({{2, 0xFF, 0xFF, 0xFF, 0xFF}, good}), 0, 1},
      {"truncated image", itu::cat({{2, 1, 0, 0, 0}, Bytes(good.begin(), good.end() - 2)}), 0, 0},
      {"no count", {2, 1}, 0, 0},
      {"empty", {2, 0, 0, 0, 0}, 1, 0},
      {"folder without terminator", itu::cat({{2, 1, 0, 0, 0}, no_terminator}), 1, 1},
  };
  for (const Case& c : cases) {
    IMAGE_CACHE cache;
    MEMORY_DEVICE dev(c.bytes);
    EXPECT_EQ(cache.read(&dev), c.result) << c.what;
    EXPECT_EQ(cache.entries.count, c.entries) << c.what;
    if (c.entries) {
      auto* e = static_cast<IMAGE_CACHE_ENTRY*>(PTRLLIST::stored_pointer(cache.entries.head));
      EXPECT_LT(std::strlen(e->folder), 2048u) << c.what;
    }
  }
  // The bounded folder text writes back as 2047 characters and a zero.
  IMAGE_CACHE cache;
  MEMORY_DEVICE dev(itu::cat({{2, 1, 0, 0, 0}, no_terminator}));
  ASSERT_TRUE(cache.read(&dev));
  MEMORY_DEVICE out;
  ASSERT_TRUE(cache.write(&out));
  EXPECT_EQ(out.bytes[5 + 2046], 'A');
  EXPECT_EQ(out.bytes[5 + 2047], 0);
}

TEST(ImageCache, ReadingWhileHandlesAreHeldDetachesThem) {
  Pictures p;
  p.put("a", 2, 2, 0xFF000001);
  p.put("b", 2, 2, 0xFF000002);
  IMAGE_CACHE cache;
  IMAGE* held = cache.get(p.text, "a", -1, -1, 0);
  IMAGE* dropped = cache.get(p.text, "b", -1, -1, 0);
  cache.release(cache.entry_of(dropped));
  MEMORY_DEVICE empty({2, 0, 0, 0, 0});
  ASSERT_TRUE(cache.read(&empty));
  ASSERT_EQ(cache.entries.count, 1);  // b freed, a detached
  EXPECT_EQ(*held->pixel_at(0, 0), 0xFF000001u);
  EXPECT_EQ(cache.entry_of(held)->detached, 1);
  EXPECT_NE(cache.get(p.text, "a", -1, -1, 0), held);  // detached entries are not found
  cache.release(cache.entry_of(held));
  EXPECT_EQ(cache.entries.count, 1);  // only the new one
}

TEST(ImageCache, OverlongFolderTextFindsNothing) {
  IMAGE_CACHE cache;
  std::string text = "$APP/" + std::string(2100, 'x');
  EXPECT_EQ(cache.get(text.c_str(), "a", -1, -1, 0), nullptr);
  EXPECT_EQ(cache.entries.count, 0);
  // An unknown path variable fails like a missing file instead of ending the program.
  EXPECT_EQ(cache.get("$NOSUCH/x", "a", -1, -1, CACHE_FORGET_FAILED), nullptr);
}

TEST(ImageCache, WindowManagerCacheIsOneObject) {
  // The window manager's global is the one cache, usable before anything else.
  IMAGE_CACHE* cache = &wm_skin_cache;
  EXPECT_EQ(cache, &wm_get_skin_cache());
  EXPECT_EQ(wm_skin_cache.entries.count, 0);
  EXPECT_EQ(wm_skin_cache.free_at_zero, 0);
}

}  // namespace
