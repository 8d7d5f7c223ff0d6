#include "sound.h"

#include <dirent.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "data_device.h"
#include "folder.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes u16le(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }
Bytes u32le(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// A WAV file written out field by field.
Bytes wav(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& samples,
          uint32_t stated_length = 0xFFFFFFFF) {
  Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
             1, 0};
  auto add = [&](const Bytes& x) { b.insert(b.end(), x.begin(), x.end()); };
  add(u16le(channels));
  add(u32le(rate));
  add(u32le(rate * channels * bits / 8));
  add(u16le(channels * bits / 8));
  add(u16le(bits));
  add({'d', 'a', 't', 'a'});
  add(u32le(stated_length == 0xFFFFFFFF ? uint32_t(samples.size()) : stated_length));
  add(samples);
  return b;
}

std::vector<int16_t> frames_of(LINUX_SOUND_BUFFER* buffer) {
  std::lock_guard<std::mutex> lock(buffer->mutex);
  std::vector<int16_t> out(buffer->length / 2);
  if (buffer->data) memcpy(out.data(), buffer->data, out.size() * 2);
  return out;
}

bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 300; i++) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SoundMixer, Gains) {
  struct Case {
    INT_S32 volume, pan, left, right;
  } cases[] = {
      {0, 0, 1, 1},       {100, 0, 100, 100}, {100, -100, 100, 1}, {100, 100, 1, 100},
      {50, 0, 10, 10},    {100, -50, 100, 10}, {50, 50, 3, 10},    {0, -100, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.volume) + "/" + std::to_string(c.pan));
    INT_S32 left = -1, right = -1;
    get_sound_gains(c.volume, c.pan, &left, &right);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(right, c.right);
  }
}

TEST(SoundMixer, ScalesAddsAndWrapsWithoutClipping) {
  const INT_S16 a[] = {30000, -30000, 100, -150};
  INT_S16 mix[4] = {7, 7, 7, 7};
  mix_sound_frames(mix, a, 2, 100, 100, 0);
  EXPECT_EQ(std::vector<INT_S16>(mix, mix + 4), (std::vector<INT_S16>{30000, -30000, 100, -150}));
  // A second channel on the first frame only: the sums wrap.
  mix_sound_frames(mix, a, 1, 100, 100, 1);
  EXPECT_EQ(std::vector<INT_S16>(mix, mix + 4), (std::vector<INT_S16>{-5536, 5536, 100, -150}));
  // Quiet gains truncate toward zero.
  mix_sound_frames(mix, a, 2, 1, 50, 0);
  EXPECT_EQ(std::vector<INT_S16>(mix, mix + 4), (std::vector<INT_S16>{300, -15000, 1, -75}));
}

class Sound : public ::testing::Test {
 protected:
  void SetUp() override { sound_device_name = "null"; }
  void play(SOUND& sound, const Bytes& file, INT_U8 loop, bool expected) {
    MEMORY_DEVICE device(file);
    EXPECT_EQ(get_sound_buffer(0)->play_data(&device, loop), expected);
    (void)sound;
  }
};

TEST_F(Sound, ChannelCountIsClamped) {
  {
    SOUND sound(0);
    EXPECT_EQ(get_sound_channel_count(&sound), 1);
  }
  {
    SOUND sound(50);
    EXPECT_EQ(get_sound_channel_count(&sound), 20);
    EXPECT_NE(get_sound_buffer(19), nullptr);
    EXPECT_EQ(get_sound_buffer(20), nullptr);
  }
  EXPECT_EQ(get_sound_buffer(0), nullptr);
}

TEST_F(Sound, SecondHandleIsFatal) {
  zt::ChildResult r = zt::run_in_child([] {
    SOUND first(1);
    SOUND second(1);
  });
  EXPECT_EQ(r.status, 255);
  std::string box;
  for (auto& call : zt::message_box_calls())
    for (auto& arg : call) box += arg + "\n";
  EXPECT_NE(box.find("Two sound handlers declared"), std::string::npos) << box;
}

TEST_F(Sound, SamplesBecomeSixteenBitStereoAt44100) {
  SOUND sound(1);
  struct Case {
    const char* what;
    Bytes file;
    std::vector<int16_t> frames;
  } cases[] = {
      {"16-bit stereo, 44100 Hz, unchanged", wav(2, 44100, 16, {1, 0, 2, 0, 3, 0, 4, 0}),
       {1, 2, 3, 4}},
      {"16-bit mono, 22050 Hz: twice", wav(1, 22050, 16, {0x10, 0, 0xFF, 0xFF}),
       {16, 16, 16, 16, -1, -1, -1, -1}},
      {"8-bit mono, 11025 Hz: four times, the byte repeated", wav(1, 11025, 8, {0x7F}),
       {0x7F7F, 0x7F7F, 0x7F7F, 0x7F7F, 0x7F7F, 0x7F7F, 0x7F7F, 0x7F7F}},
      {"8-bit stereo", wav(2, 44100, 8, {0x01, 0x80}), {0x0101, -32640}},
      {"32000 Hz: once", wav(1, 32000, 16, {5, 0}), {5, 5}},
      {"four channels: the first two", wav(4, 44100, 16, {1, 0, 2, 0, 3, 0, 4, 0}), {1, 2}},
      {"cut off: whole frames only",
       wav(2, 44100, 16, {1, 0, 2, 0, 3, 0}, 100), {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    play(sound, c.file, 1, true);
    EXPECT_EQ(frames_of(get_sound_buffer(0)), c.frames);
  }
}

TEST_F(Sound, UnplayableFilesAreRefused) {
  SOUND sound(1);
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"48000 Hz", wav(2, 48000, 16, {1, 0, 2, 0})},
      {"rate 0", wav(2, 0, 16, {1, 0, 2, 0})},
      {"tiny rate: more than 2 GiB of output", wav(1, 1, 16, Bytes(30000, 1))},
      {"24-bit", wav(2, 44100, 24, Bytes(12, 1))},
      {"no channels", wav(0, 44100, 16, {1, 0})},
      {"no whole frame", wav(2, 44100, 16, {1, 0, 2})},
      {"no samples", wav(2, 44100, 16, {})},
      {"not a WAV file", Bytes(40, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    play(sound, wav(1, 44100, 16, {1, 0}), 1, true);  // something to release
    play(sound, c.file, 1, false);
    EXPECT_EQ(get_sound_buffer(0)->length, 0);
    EXPECT_EQ(get_sound_buffer(0)->data, nullptr);
    EXPECT_FALSE(is_sound_playing(&sound, 0));
  }
}

TEST_F(Sound, PlayingStoppingAndFreeChannels) {
  std::string dir = zt::make_temp_dir("snd");
  zt::write_bytes(dir + "/loop.wav", wav(2, 44100, 16, Bytes(4000, 1)));
  FOLDER folder;
  snprintf(folder.path, sizeof folder.path, "%s", dir.c_str());
  SOUND sound(2);
  EXPECT_EQ(play_sound_file(&sound, 0, &folder, "loop.wav", 150, -300, 1), 0);
  EXPECT_EQ(get_sound_buffer(0)->volume, 100);
  EXPECT_EQ(get_sound_buffer(0)->pan, -100);
  EXPECT_TRUE(is_sound_playing(&sound, 0));
  EXPECT_EQ(play_sound_on_free_channel(&sound, &folder, "loop.wav", 50, 0, 1), 1);
  EXPECT_EQ(play_sound_on_free_channel(&sound, &folder, "loop.wav", 50, 0, 1), -1);
  set_sound_volume(&sound, 1, -5);
  set_sound_pan(&sound, 1, 70);
  EXPECT_EQ(get_sound_buffer(1)->volume, 0);
  EXPECT_EQ(get_sound_buffer(1)->pan, 70);
  // A looping channel keeps playing until stopped.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(is_sound_playing(&sound, 0));
  stop_sound_channel(&sound, 255);
  EXPECT_FALSE(is_sound_playing(&sound, 0));
  EXPECT_FALSE(is_sound_playing(&sound, 1));

  EXPECT_EQ(play_sound_file(&sound, 2, &folder, "loop.wav", 50, 0, 0), -1);
  EXPECT_EQ(play_sound_file(&sound, -1, &folder, "loop.wav", 50, 0, 0), -1);
  EXPECT_EQ(play_sound_file(&sound, 0, &folder, "missing.wav", 50, 0, 0), -1);
  EXPECT_EQ(play_sound_file(nullptr, 0, &folder, "loop.wav", 50, 0, 0), -1);
  EXPECT_FALSE(is_sound_playing(&sound, 9));

  // Without loop the sound ends by itself.
  EXPECT_EQ(play_sound_file(&sound, 1, &folder, "loop.wav", 50, 0, 0), 1);
  EXPECT_TRUE(eventually([&] { return !is_sound_playing(&sound, 1); }));

  stop_sound();
  EXPECT_EQ(play_sound_file(&sound, 0, &folder, "loop.wav", 50, 0, 1), -1);
  EXPECT_FALSE(is_sound_playing(&sound, 0));
}

TEST_F(Sound, MissingDeviceEndsTheThread) {
  sound_device_name = "no_such_device_here";
  SOUND sound(1);
  std::string dir = zt::make_temp_dir("snd");
  zt::write_bytes(dir + "/a.wav", wav(2, 44100, 16, {1, 0, 2, 0}));
  FOLDER folder;
  snprintf(folder.path, sizeof folder.path, "%s", dir.c_str());
  EXPECT_TRUE(eventually([&] { return play_sound_file(&sound, 0, &folder, "a.wav", 50, 0, 1) == -1; }));
}

// The threads of this process, by id.
std::set<std::string> task_ids() {
  std::set<std::string> ids;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ids.insert(e->d_name);
    closedir(d);
  }
  return ids;
}

// The signals a thread blocks, from its status ("SigBlk:" in hex).
unsigned long long blocked_signals(const std::string& tid) {
  std::ifstream status("/proc/self/task/" + tid + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigBlk:", 0) == 0) return std::stoull(line.substr(7), nullptr, 16);
  return 0;
}

// A termination signal is always taken by the thread that created the
// handle, never by the mixing thread: it blocks them from its start.
TEST_F(Sound, TheMixingThreadNeverTakesATerminationSignal) {
  const std::set<std::string> before = task_ids();
  SOUND sound(2);
  std::set<std::string> added;
  ASSERT_TRUE(eventually([&] {
    added.clear();
    for (const std::string& id : task_ids())
      if (!before.count(id)) added.insert(id);
    return !added.empty();
  }));
  ASSERT_EQ(added.size(), 1u);
  // A thread blocks every signal while it starts: the mask is read once it
  // has mixed a sound.
  std::string dir = zt::make_temp_dir("snd");
  zt::write_bytes(dir + "/a.wav", wav(2, 44100, 16, Bytes(64, 1)));
  FOLDER folder;
  snprintf(folder.path, sizeof folder.path, "%s", dir.c_str());
  ASSERT_EQ(play_sound_file(&sound, 0, &folder, "a.wav", 50, 0, 0), 0);
  ASSERT_TRUE(eventually([&] { return !is_sound_playing(&sound, 0); }));
  const unsigned long long mask = blocked_signals(*added.begin());
  for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM}) EXPECT_TRUE(mask >> (sig - 1) & 1) << sig;
  // The creating thread's own mask is as it was.
  sigset_t mine;
  pthread_sigmask(SIG_SETMASK, nullptr, &mine);
  EXPECT_FALSE(sigismember(&mine, SIGINT));
  EXPECT_FALSE(sigismember(&mine, SIGTERM));
}

TEST(SoundIdle, NothingRunsWithoutAHandle) {
  update_sound();
  stop_sound();
  EXPECT_EQ(get_sound_buffer(0), nullptr);
  EXPECT_FALSE(is_sound_playing(nullptr, 0));
  EXPECT_EQ(play_sound_on_free_channel(nullptr, nullptr, "x", 0, 0, 0), -1);
}

}  // namespace
