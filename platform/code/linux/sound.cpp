#include "sound.h"

#include <alsa/asoundlib.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <thread>

#include "data_file.h"
#include "errors.h"
#include "folder.h"
#include "sound_state.h"
#include "wav.h"

const char* sound_device_name = "plughw";

namespace {

const INT_S32 kOutputRate = 44100;
const INT_S32 kMixBytes = 256;  // 64 stereo frames a round

SOUND_STATE& state() { return sound_state(); }

// One round of mixing: every playing channel contributes up to 256 bytes.
// Returns the bytes filled.
INT_S32 mix_round(INT_S16* mix) {
  SOUND_STATE& s = state();
  INT_S32 filled = 0;
  for (INT_S16 i = 0; i < s.count; i++) {
    LINUX_SOUND_BUFFER* channel = s.channels[i];
    std::lock_guard<std::mutex> lock(channel->mutex);
    if (channel->position >= channel->length || !channel->data) continue;
    INT_S32 left, right;
    get_sound_gains(channel->volume, channel->pan, &left, &right);
    INT_S32 chunk = std::min(channel->length - channel->position, kMixBytes) & ~3;
    mix_sound_frames(mix, reinterpret_cast<const INT_S16*>(channel->data + channel->position),
                     chunk / 4, left, right, filled / 4);
    filled = std::max(filled, chunk);
    channel->position += chunk;
    if (chunk == 0 || channel->position >= channel->length) {
      channel->position = 0;
      if (!channel->loop) channel->length = 0;
    }
  }
  return filled;
}

snd_pcm_t* open_device() {
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, sound_device_name, SND_PCM_STREAM_PLAYBACK, 0) < 0) return nullptr;
  snd_pcm_hw_params_t* params;
  snd_pcm_hw_params_alloca(&params);
  unsigned int rate = kOutputRate;
  snd_pcm_uframes_t period = 256;
  unsigned int periods = 2;
  if (snd_pcm_hw_params_any(pcm, params) < 0 ||
      snd_pcm_hw_params_set_access(pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
      snd_pcm_hw_params_set_format(pcm, params, SND_PCM_FORMAT_S16_LE) < 0 ||
      snd_pcm_hw_params_set_rate_near(pcm, params, &rate, nullptr) < 0 ||
      snd_pcm_hw_params_set_channels(pcm, params, 2) < 0 ||
      snd_pcm_hw_params_set_period_size_near(pcm, params, &period, nullptr) < 0 ||
      snd_pcm_hw_params_set_periods_near(pcm, params, &periods, nullptr) < 0 ||
      snd_pcm_hw_params(pcm, params) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return pcm;
}

void run_sound_thread() {
  SOUND_STATE& s = state();
  snd_pcm_t* pcm = open_device();
  if (pcm) {
    INT_S16 mix[kMixBytes / 2];
    INT_S32 filled = 0, written = 0;
    while (!s.stop_request) {
      if (written < filled) {
        snd_pcm_sframes_t frames =
            snd_pcm_writei(pcm, mix + written / 2, static_cast<snd_pcm_uframes_t>(filled - written) / 4);
        if (frames < 0)
          snd_pcm_prepare(pcm);
        else
          written += static_cast<INT_S32>(frames) * 4;
        continue;
      }
      written = 0;
      filled = mix_round(mix);
      // Nothing to play: wait about a period rather than spin.
      if (filled == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
  }
  s.running = false;
}

INT_S32 clamp(INT_S32 value, INT_S32 low, INT_S32 high) {
  return value < low ? low : value > high ? high : value;
}

LINUX_SOUND_BUFFER* channel_of(SOUND* sound, INT_S32 channel) {
  SOUND_STATE& s = state();
  if (!sound || !s.channels || channel < 0 || channel >= sound->channels || channel >= s.count)
    return nullptr;
  return s.channels[channel];
}

INT_S16 sample_at(const INT_U8* p, INT_U16 bits) {
  // 8-bit samples are taken as the library writes them: a signed byte,
  // repeated into both halves of the 16-bit value.
  if (bits == 8) return static_cast<INT_S16>(static_cast<INT_U16>(p[0] * 257));
  return static_cast<INT_S16>(static_cast<INT_U16>(p[0] | p[1] << 8));
}

}  // namespace

void get_sound_gains(INT_S32 volume, INT_S32 pan, INT_S32* left, INT_S32* right) {
  INT_S32 a = ((100 - std::max(pan, 0)) * volume) / 100;
  INT_S32 b = ((100 + std::min(pan, 0)) * volume) / 100;
  *left = static_cast<INT_S32>(std::pow(100.0, a / 100.0));
  *right = static_cast<INT_S32>(std::pow(100.0, b / 100.0));
}

void mix_sound_frames(INT_S16* mix, const INT_S16* source, INT_S32 frames, INT_S32 left_gain,
                      INT_S32 right_gain, INT_S32 added) {
  for (INT_S32 i = 0; i < frames; i++) {
    INT_S32 left = source[2 * i] * left_gain / 100;
    INT_S32 right = source[2 * i + 1] * right_gain / 100;
    if (i < added) {
      left += mix[2 * i];
      right += mix[2 * i + 1];
    }
    mix[2 * i] = static_cast<INT_S16>(static_cast<INT_U16>(left));
    mix[2 * i + 1] = static_cast<INT_S16>(static_cast<INT_U16>(right));
  }
}

// --- Channel buffers -----------------------------------------------------

bool LINUX_SOUND_BUFFER::play_file(FOLDER* folder, const char* name, INT_U8 loop_flag) {
  DATA_FILE* file = open_data_file(folder, name, DATA_FILE_READ, 0, 0);
  if (!file) return false;
  bool ok = play_data(file, loop_flag);
  close_data_file(&file);
  return ok;
}

void LINUX_SOUND_BUFFER::set_volume_pan(INT_S32 new_volume, INT_S32 new_pan) {
  std::lock_guard<std::mutex> lock(mutex);
  volume = new_volume;
  pan = new_pan;
}

ALSA_SOUND_BUFFER::~ALSA_SOUND_BUFFER() { ALSA_SOUND_BUFFER::release(); }

void ALSA_SOUND_BUFFER::release() {
  INT_U8* old;
  {
    std::lock_guard<std::mutex> lock(mutex);
    position = length = 0;
    loop = 0;
    old = data;
    data = nullptr;
  }
  delete[] old;
}

bool ALSA_SOUND_BUFFER::is_playing() {
  if (!state().running) return false;
  std::lock_guard<std::mutex> lock(mutex);
  return position < length;
}

bool ALSA_SOUND_BUFFER::play_data(DATA_DEVICE* device, INT_U8 loop_flag) {
  if (!state().running) return false;
  release();
  WAV_INFO info;
  if (!device || !load_wav(device, &info)) return false;
  const INT_U32 bits = info.bits_per_sample;
  if ((bits != 8 && bits != 16) || info.channels == 0 || info.sample_rate == 0 ||
      info.sample_rate > static_cast<INT_U32>(kOutputRate))
    return false;
  const INT_U32 factor = static_cast<INT_U32>(kOutputRate / static_cast<double>(info.sample_rate) + 0.5);
  const INT_U32 frame_size = info.channels * (bits / 8);

  // Only the bytes the device really holds count, whatever the header says.
  device->seek(0, 1);
  const INT_U32 end = device->tell();
  INT_U32 available = end > info.data_offset ? end - info.data_offset : 0;
  if (available > info.data_length) available = info.data_length;
  const INT_U64 frames = available / frame_size;
  const INT_U64 output_size = frames * factor * 4;
  if (frames == 0 || output_size > 0x7FFFFFFF) return false;

  INT_U8* input = new (std::nothrow) INT_U8[frames * frame_size];
  INT_U8* output = new (std::nothrow) INT_U8[output_size];
  if (!input || !output) {
    delete[] input;
    delete[] output;
    return false;
  }
  device->seek(static_cast<INT_S32>(info.data_offset), 0);
  INT_S32 got = device->read(input, static_cast<INT_S32>(frames * frame_size));
  const INT_U64 frames_read = got > 0 ? static_cast<INT_U64>(got) / frame_size : 0;
  if (frames_read == 0) {
    delete[] input;
    delete[] output;
    return false;
  }
  INT_S16* out = reinterpret_cast<INT_S16*>(output);
  const INT_U32 sample_size = bits / 8;
  for (INT_U64 f = 0; f < frames_read; f++) {
    const INT_U8* in = input + f * frame_size;
    INT_S16 left = sample_at(in, static_cast<INT_U16>(bits));
    INT_S16 right = info.channels > 1 ? sample_at(in + sample_size, static_cast<INT_U16>(bits)) : left;
    for (INT_U32 k = 0; k < factor; k++) {
      *out++ = left;
      *out++ = right;
    }
  }
  delete[] input;
  {
    std::lock_guard<std::mutex> lock(mutex);
    data = output;
    position = 0;
    length = static_cast<INT_S32>(frames_read * factor * 4);
    loop = loop_flag;
  }
  return true;
}

// --- The handle and the global state ---------------------------------------

SOUND::SOUND(INT_S16 count) {
  if (state().channels) report_fatal_error(0x14, nullptr);
  channels = static_cast<INT_S16>(clamp(count, 1, 20));
  start_sound(channels);
}

SOUND::~SOUND() {
  stop_sound();
  SOUND_STATE& s = state();
  for (INT_S16 i = 0; i < s.count; i++) delete s.channels[i];
  delete[] s.channels;
  s.channels = nullptr;
  s.count = 0;
}

void start_sound(INT_S16 count) {
  SOUND_STATE& s = state();
  if (s.channels || count < 1) return;
  s.channels = new LINUX_SOUND_BUFFER*[count];
  for (INT_S16 i = 0; i < count; i++) s.channels[i] = new ALSA_SOUND_BUFFER;
  s.count = count;
  s.stop_request = false;
  // Running from the start, so that a sound played at once is not refused
  // before the thread got its turn; the thread clears it when it ends.
  s.running = true;
  // The thread inherits the mask: it never takes a termination signal, so
  // the main thread always does, where the handler may end the program or
  // ask the user.
  sigset_t termination, previous;
  sigemptyset(&termination);
  for (int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM}) sigaddset(&termination, signal_number);
  pthread_sigmask(SIG_BLOCK, &termination, &previous);
  s.thread = std::thread(run_sound_thread);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

INT_S16 get_sound_channel_count(SOUND* sound) { return sound ? sound->channels : 0; }

INT_S32 play_sound_file(SOUND* sound, INT_S8 channel, FOLDER* folder, const char* name,
                        INT_S32 volume, INT_S32 pan, INT_U8 loop) {
  LINUX_SOUND_BUFFER* buffer = channel_of(sound, channel);
  if (!buffer) return -1;
  buffer->set_volume_pan(clamp(volume, 0, 100), clamp(pan, -100, 100));
  return buffer->play_file(folder, name, loop) ? channel : -1;
}

INT_S32 play_sound_on_free_channel(SOUND* sound, FOLDER* folder, const char* name, INT_S32 volume,
                                   INT_S32 pan, INT_U8 loop) {
  for (INT_S32 i = 0; channel_of(sound, i); i++)
    if (!channel_of(sound, i)->is_playing())
      return play_sound_file(sound, static_cast<INT_S8>(i), folder, name, volume, pan, loop);
  return -1;
}

bool is_sound_playing(SOUND* sound, INT_U8 channel) {
  LINUX_SOUND_BUFFER* buffer = channel_of(sound, channel);
  return buffer && buffer->is_playing();
}

void stop_sound_channel(SOUND* sound, INT_U8 channel) {
  if (channel == 255) {
    for (INT_S32 i = 0; channel_of(sound, i); i++) channel_of(sound, i)->stop();
    return;
  }
  if (LINUX_SOUND_BUFFER* buffer = channel_of(sound, channel)) buffer->stop();
}

void set_sound_volume(SOUND* sound, INT_U8 channel, INT_S32 volume) {
  if (LINUX_SOUND_BUFFER* buffer = channel_of(sound, channel))
    buffer->set_volume_pan(clamp(volume, 0, 100), buffer->pan);
}

void set_sound_pan(SOUND* sound, INT_U8 channel, INT_S32 pan) {
  if (LINUX_SOUND_BUFFER* buffer = channel_of(sound, channel))
    buffer->set_volume_pan(buffer->volume, clamp(pan, -100, 100));
}
