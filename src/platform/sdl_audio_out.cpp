#include "platform/sdl_audio_out.h"

#include <SDL.h>

#include <cstring>

namespace klv {

SdlAudioOut::~SdlAudioOut() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (initedSubsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOut::Start(AudioSource* source) {
  if (device_ != 0) {
    Lock();
    source_ = source;
    Unlock();
    return true;
  }
  if (failed_) return false;
  if (source == nullptr) return false;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      failed_ = true;
      return false;
    }
    initedSubsystem_ = true;
  }
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kBufferFrames;
  want.callback = &SdlAudioOut::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    failed_ = true;
    return false;
  }
  source_ = source;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudioOut::Lock() {
  if (device_ != 0) SDL_LockAudioDevice(device_);
}

void SdlAudioOut::Unlock() {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void SdlAudioOut::Callback(void* self, uint8_t* stream, int bytes) {
  auto* out = static_cast<SdlAudioOut*>(self);
  const int frames = bytes / int(2 * sizeof(int16_t));
  if (out->source_ != nullptr)
    out->source_->Render(reinterpret_cast<int16_t*>(stream), frames);
  else
    std::memset(stream, 0, size_t(bytes));
}

}  // namespace klv
