// The sound layer's global state, shared by the channel code and the
// teardown calls (which must not drag the WAV loader into every program).
#ifndef ZORV_SOUND_STATE_H
#define ZORV_SOUND_STATE_H

#include <atomic>
#include <thread>

#include "sound.h"

struct SOUND_STATE {
  LINUX_SOUND_BUFFER** channels = nullptr;  // null while no SOUND exists
  INT_S16 count = 0;
  std::atomic<bool> stop_request{false};
  std::atomic<bool> running{false};
  std::thread thread;
};

SOUND_STATE& sound_state();

#endif
