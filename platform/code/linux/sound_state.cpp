#include "sound_state.h"

SOUND_STATE& sound_state() {
  // Never destroyed: the mixing thread may still read it while the process
  // ends.
  static SOUND_STATE* state = new SOUND_STATE;
  return *state;
}

void stop_sound() {
  SOUND_STATE& s = sound_state();
  s.stop_request = true;
  if (s.thread.joinable()) s.thread.join();
}

void update_sound() {
  SOUND_STATE& s = sound_state();
  for (INT_S16 i = 0; s.channels && i < s.count; i++) s.channels[i]->update();
}

LINUX_SOUND_BUFFER* get_sound_buffer(INT_S16 channel) {
  SOUND_STATE& s = sound_state();
  return s.channels && channel >= 0 && channel < s.count ? s.channels[channel] : nullptr;
}
