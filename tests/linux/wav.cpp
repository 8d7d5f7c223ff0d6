#include "wav.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_device.h"
#include "data_file.h"
#include "debug_stream.h"
#include "folder.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes u32le(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes text(const char* s) { return Bytes(s, s + strlen(s)); }

const Bytes kRiff = cat({text("RIFF"), u32le(0), text("WAVE")});
// Format chunk: PCM, 1 channel, 22050 Hz, 44100 bytes/s, align 2, 16 bits.
const Bytes kFmt = {'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0,
                    0x44, 0xAC, 0, 0, 2, 0, 16, 0};
const Bytes kData = {'d', 'a', 't', 'a', 8, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0};

const char* kStart = "Starting WAV load\nFound RIFF header\nGot WAVE format RIFF\n";

struct Result {
  bool ok;
  WAV_INFO info;
  std::string log;
};

// Loads the bytes from a file through a data file, with the loader's stream
// writing to the console, and returns what it printed.
Result load(const Bytes& bytes) {
  std::string dir = zt::make_temp_dir("wav");
  zt::write_bytes(dir + "/a.wav", bytes);
  FOLDER folder;
  snprintf(folder.path, sizeof folder.path, "%s", dir.c_str());
  DATA_FILE* file = open_data_file(&folder, "a.wav", DATA_FILE_READ, 0, 0);
  EXPECT_NE(file, nullptr);
  Result r{};
  wav_debug_stream()->flags = DEBUG_TO_CONSOLE;
  testing::internal::CaptureStdout();
  r.ok = load_wav(file, &r.info);
  r.log = testing::internal::GetCapturedStdout();
  wav_debug_stream()->flags = 0;
  close_data_file(&file);
  return r;
}

TEST(Wav, GoodFile) {
  Result r = load(cat({kRiff, kFmt, kData}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.log, std::string(kStart) +
                       "Reading subchunk from file offset 12\nGot 'fmt ' subchunk\n"
                       "\tFormat subchunk read in\n"
                       "Reading subchunk from file offset 36\nGot 'data' subchunk\n"
                       "\tData offset stored (length 8)\n"
                       "Complete\n\n");
  EXPECT_EQ(r.info.format_tag, 1);
  EXPECT_EQ(r.info.channels, 1);
  EXPECT_EQ(r.info.sample_rate, 22050u);
  EXPECT_EQ(r.info.byte_rate, 44100u);
  EXPECT_EQ(r.info.block_align, 2);
  EXPECT_EQ(r.info.bits_per_sample, 16);
  EXPECT_EQ(r.info.data_length, 8u);
  EXPECT_EQ(r.info.data_offset, 44u);
}

TEST(Wav, LongFormatChunkListChunkAndStrayBytes) {
  Bytes fmt18 = kFmt;
  fmt18[4] = 18;
  fmt18.push_back(0);
  fmt18.push_back(0);
  Bytes list = cat({text("LIST"), u32le(4), text("abcd")});
  Result r = load(cat({kRiff, fmt18, list, kData, {1, 2, 3}}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.log,
            std::string(kStart) +
                "Reading subchunk from file offset 12\nGot 'fmt ' subchunk\n"
                "\tMalformed format subchunk which contains extra byes! (is 18 bytes should be 16 "
                "bytes)\n\tWill continue assuming start of fmt chunk is valid.\n\tSkipping 2 bytes.\n"
                "\tFormat subchunk read in\n"
                "Reading subchunk from file offset 38\nGot 'LIST' subchunk\n"
                "\tSubchunk skipped (length 4)\n"
                "Reading subchunk from file offset 50\nGot 'data' subchunk\n"
                "\tData offset stored (length 8)\n"
                "Reading subchunk from file offset 66\n"
                "Incompete subchunk header (most likely trailing bytes at end of file)\n\t"
                "0x1 0x2 0x3 \n"
                "Complete\n\n");
  EXPECT_EQ(r.info.data_offset, 58u);
}

TEST(Wav, DamagedFiles) {
  Bytes short_fmt = kFmt;
  short_fmt[4] = 10;
  struct Case {
    const char* what;
    Bytes bytes;
    bool ok;
    std::string log;
  } cases[] = {
      {"not RIFF", cat({text("RIFX"), u32le(0), text("WAVE")}), false,
       "Starting WAV load\nRIFF header missing\n"},
      {"empty", {}, false, "Starting WAV load\nRIFF header missing\n"},
      {"not WAVE", cat({text("RIFF"), u32le(0), text("AVI ")}), false,
       "Starting WAV load\nFound RIFF header\nRIFF format is not WAVE\n"},
      {"short format", cat({kRiff, short_fmt}), false,
       std::string(kStart) + "Reading subchunk from file offset 12\nGot 'fmt ' subchunk\n"
                             "\tFormat subchunk does not contain enough byes!\n"},
      {"format cut off", cat({kRiff, Bytes(kFmt.begin(), kFmt.begin() + 14)}), false,
       std::string(kStart) + "Reading subchunk from file offset 12\nGot 'fmt ' subchunk\n"
                             "\tFormat subchunk does not contain enough byes!\n"},
      {"no format", cat({kRiff, kData}), false,
       std::string(kStart) + "Reading subchunk from file offset 12\nGot 'data' subchunk\n"
                             "\tData offset stored (length 8)\nComplete\n\n"},
      {"data cut off", cat({kRiff, kFmt, text("data"), u32le(100), {1, 2, 3, 4}}), true,
       std::string(kStart) + "Reading subchunk from file offset 12\nGot 'fmt ' subchunk\n"
                             "\tFormat subchunk read in\n"
                             "Reading subchunk from file offset 36\nGot 'data' subchunk\n"
                             "\tData offset stored (length 100)\nComplete\n\n"},
      {"huge chunk", cat({kRiff, kFmt, text("junk"), u32le(0xFFFFFFF0u), kData}), false,
       std::string(kStart) + "Reading subchunk from file offset 12\nGot 'fmt ' subchunk\n"
                             "\tFormat subchunk read in\n"
                             "Reading subchunk from file offset 36\nGot 'junk' subchunk\n"
                             "\tSubchunk skipped (length -16)\nComplete\n\n"},
      {"odd identifier", cat({kRiff, {'d', 0, '\n', 0x1B}, u32le(0)}), false,
       std::string(kStart) + "Reading subchunk from file offset 12\nGot 'd\?\?\?' subchunk\n"
                             "\tSubchunk skipped (length 0)\nComplete\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Result r = load(c.bytes);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(r.log, c.log);
  }
}

TEST(Wav, RateZeroIsLoadedAsStated) {
  Bytes fmt = kFmt;
  fmt[12] = fmt[13] = 0;
  Result r = load(cat({kRiff, fmt, kData}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.info.sample_rate, 0u);
}

TEST(Wav, DeviceWithoutEndOfFileTest) {
  // A device in memory: the walk ends at its end.
  MEMORY_DEVICE device(cat({kRiff, kFmt, text("LIST"), u32le(0x7FFFFFF0), kData, {9}}));
  WAV_INFO info{};
  EXPECT_FALSE(load_wav(&device, &info));
  MEMORY_DEVICE good(cat({kRiff, kFmt, kData}));
  EXPECT_TRUE(load_wav(&good, &info));
  EXPECT_EQ(info.data_offset, 44u);
  EXPECT_FALSE(load_wav(nullptr, &info));
}

}  // namespace
