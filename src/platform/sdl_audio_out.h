#pragma once
// Sound output through an SDL2 audio device: 44100 Hz stereo signed 16-bit,
// 1024-frame buffers, pulled by SDL's audio thread from one AudioSource.

#include <cstdint>

#include "platform/audio_out.h"

namespace klv {

class SdlAudioOut : public AudioOut {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kBufferFrames = 1024;

  SdlAudioOut() = default;
  ~SdlAudioOut() override;
  SdlAudioOut(const SdlAudioOut&) = delete;
  SdlAudioOut& operator=(const SdlAudioOut&) = delete;

  // Opens the device on the first call; false when there is none (the game
  // then stays silent). Start(nullptr) detaches the source, leaving silence.
  bool Start(AudioSource* source) override;
  int SampleRate() const override { return kRate; }
  void Lock() override;
  void Unlock() override;

 private:
  static void Callback(void* self, uint8_t* stream, int bytes);

  uint32_t device_ = 0;  // SDL_AudioDeviceID, 0 when not open
  bool initedSubsystem_ = false;
  bool failed_ = false;
  AudioSource* source_ = nullptr;  // read on the audio thread, changed under the lock
};

}  // namespace klv
