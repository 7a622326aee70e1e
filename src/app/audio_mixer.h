#pragma once
// Mixes the music and the sound effects into the device's stereo stream.
// Effects play from a fixed pool of voices, so the audio thread never
// allocates; each voice steps through its recording at the recording's own
// rate, resampled linearly to the device rate. A play that is stopped or
// restarted while it sounds fades out over 5 ms on a spare voice instead of
// being cut off with a click.

#include <array>
#include <cstdint>

#include "platform/audio_out.h"

namespace klv {

struct WaveFile;

class AudioMixer : public AudioSource {
 public:
  static constexpr int kMaxVoices = 32;
  static constexpr int kMaxTails = 8;  // plays fading out after a stop or restart

  explicit AudioMixer(int deviceRate);

  // The music is rendered first (at the device rate) and the effects on top.
  void SetMusic(AudioSource* music) { music_ = music; }
  void Render(int16_t* stereo, int frames) override;

  // Effect voices. The game thread calls these while it holds AudioOut::Lock.
  // A new voice is stopped; -1 when the pool is used up.
  int NewVoice(const WaveFile* wave);
  void ReleaseVoice(int voice);
  // Rewinds the voice and starts it, once or looping; what it was playing
  // fades out.
  void PlayVoice(int voice, bool looped);
  void StopVoice(int voice);
  bool VoicePlaying(int voice) const;
  // Position in the recording's frames (for tests).
  int VoiceFrame(int voice) const;
  int VoicesInUse() const;

  int DeviceRate() const { return deviceRate_; }

 private:
  struct Voice {
    const WaveFile* wave = nullptr;  // null: the voice is free
    uint64_t pos = 0;                // 32.32 fixed point, in source frames
    uint64_t step = 0;               // source frames per device frame, 32.32
    bool playing = false;
    bool looped = false;
  };

  struct Tail {
    Voice voice;
    int left = 0;  // frames of the fade still to go; 0: the tail is free
  };

  bool Valid(int voice) const;
  // Mixes up to `frames` frames; fade > 0 ramps the gain down from fade/kFade
  // and returns how far it got. Returns frames mixed.
  int MixVoice(Voice& v, int32_t* acc, int frames, int fade);
  void FadeOut(const Voice& v);

  int deviceRate_;
  AudioSource* music_ = nullptr;
  int fadeFrames_;
  std::array<Voice, kMaxVoices> voices_{};
  std::array<Tail, kMaxTails> tails_{};
};

}  // namespace klv
