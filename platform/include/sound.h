// Sound channels mixed by one thread onto the ALSA device. Sounds (WAV
// files) are loaded whole into a channel and converted to 16-bit stereo at
// 44,100 Hz; the thread scales each channel by its volume and pan.
#ifndef ZORV_SOUND_H
#define ZORV_SOUND_H

#include <mutex>

#include "zorv_types.h"

class DATA_DEVICE;
class FOLDER;

// The ALSA playback device ("plughw"); tests use "null".
extern const char* sound_device_name;

// The application's sound handle; only one may exist at a time.
class SOUND {
 public:
  INT_S16 channels;
  // Clamps the count to 1..20 and starts the mixing thread.
  explicit SOUND(INT_S16 channels);
  // Stops the thread and deletes every channel.
  ~SOUND();
  SOUND(const SOUND&) = delete;
  SOUND& operator=(const SOUND&) = delete;
};

class LINUX_SOUND_BUFFER {
 public:
  INT_S32 volume = 0;  // 0..100
  INT_S32 pan = 0;     // -100 left .. 100 right
  std::mutex mutex;    // guards data, position and length against the thread
  INT_U8* data = nullptr;  // 16-bit stereo frames at 44,100 Hz
  INT_U8 loop = 0;
  INT_S32 position = 0;  // bytes
  INT_S32 length = 0;    // bytes; 0 = nothing to play

  virtual ~LINUX_SOUND_BUFFER() = default;
  virtual void release() {}
  virtual void update() {}
  virtual void stop() {}
  virtual bool is_playing() { return false; }
  virtual bool play_data(DATA_DEVICE*, INT_U8) { return false; }
  bool play_file(FOLDER* folder, const char* name, INT_U8 loop);
  void set_volume_pan(INT_S32 volume, INT_S32 pan);
};

class ALSA_SOUND_BUFFER : public LINUX_SOUND_BUFFER {
 public:
  ~ALSA_SOUND_BUFFER() override;
  void release() override;
  void update() override {}
  void stop() override { release(); }
  bool is_playing() override;
  // Loads a WAV file from the device; false (channel released) for files
  // that cannot be read or converted, and when the thread does not run.
  bool play_data(DATA_DEVICE* device, INT_U8 loop) override;
};

INT_S16 get_sound_channel_count(SOUND* sound);
// The channel number, or -1.
INT_S32 play_sound_file(SOUND* sound, INT_S8 channel, FOLDER* folder, const char* name,
                        INT_S32 volume, INT_S32 pan, INT_U8 loop);
INT_S32 play_sound_on_free_channel(SOUND* sound, FOLDER* folder, const char* name, INT_S32 volume,
                                   INT_S32 pan, INT_U8 loop);
bool is_sound_playing(SOUND* sound, INT_U8 channel);
// Channel 255 stops every channel.
void stop_sound_channel(SOUND* sound, INT_U8 channel);
void set_sound_volume(SOUND* sound, INT_U8 channel, INT_S32 volume);
void set_sound_pan(SOUND* sound, INT_U8 channel, INT_S32 pan);
void update_sound();
// Ends the mixing thread (nothing when none runs).
void stop_sound();
void start_sound(INT_S16 count);

// The buffer of one channel; null without a sound handle or out of range.
LINUX_SOUND_BUFFER* get_sound_buffer(INT_S16 channel);

// The mixer's arithmetic. Gains run from 1 (volume 0) to 100 (full volume,
// centred).
void get_sound_gains(INT_S32 volume, INT_S32 pan, INT_S32* left, INT_S32* right);
// Scales `frames` stereo frames of source by the gains / 100 into mix: the
// first `added` frames are added to what mix holds, the rest replace it.
// 16-bit results wrap; nothing is clipped.
void mix_sound_frames(INT_S16* mix, const INT_S16* source, INT_S32 frames, INT_S32 left_gain,
                      INT_S32 right_gain, INT_S32 added);

#endif
