#include "app/audio_mixer.h"

#include <algorithm>

#include "app/wave_file.h"

namespace klv {
namespace {

constexpr int kChunk = 256;  // frames mixed per pass, on the audio thread's stack

}  // namespace

AudioMixer::AudioMixer(int deviceRate) : deviceRate_(deviceRate > 0 ? deviceRate : 44100) {}

bool AudioMixer::Valid(int voice) const {
  return voice >= 0 && voice < kMaxVoices && voices_[voice].wave != nullptr;
}

int AudioMixer::NewVoice(const WaveFile* wave) {
  if (wave == nullptr || wave->Frames <= 0 || wave->Rate <= 0) return -1;
  for (int i = 0; i < kMaxVoices; ++i) {
    if (voices_[i].wave == nullptr) {
      voices_[i] = Voice{};
      voices_[i].wave = wave;
      voices_[i].step = (uint64_t(wave->Rate) << 32) / uint64_t(deviceRate_);
      return i;
    }
  }
  return -1;
}

void AudioMixer::ReleaseVoice(int voice) {
  if (Valid(voice)) voices_[voice] = Voice{};
}

void AudioMixer::PlayVoice(int voice, bool looped) {
  if (!Valid(voice)) return;
  voices_[voice].pos = 0;
  voices_[voice].looped = looped;
  voices_[voice].playing = true;
}

void AudioMixer::StopVoice(int voice) {
  if (Valid(voice)) voices_[voice].playing = false;
}

bool AudioMixer::VoicePlaying(int voice) const {
  return Valid(voice) && voices_[voice].playing;
}

int AudioMixer::VoiceFrame(int voice) const {
  return Valid(voice) ? int(voices_[voice].pos >> 32) : 0;
}

int AudioMixer::VoicesInUse() const {
  return int(std::count_if(voices_.begin(), voices_.end(),
                           [](const Voice& v) { return v.wave != nullptr; }));
}

void AudioMixer::MixVoice(Voice& v, int32_t* acc, int frames) {
  const WaveFile& w = *v.wave;
  const int16_t* s = w.Samples.data();
  const uint64_t end = uint64_t(w.Frames) << 32;
  for (int i = 0; i < frames; ++i) {
    if (v.pos >= end) {
      if (!v.looped) {
        v.playing = false;
        return;
      }
      v.pos -= end;
    }
    const uint32_t index = uint32_t(v.pos >> 32);
    const int32_t frac = int32_t((v.pos >> 17) & 0x7fff);  // 15 bits
    const uint32_t next = index + 1 < uint32_t(w.Frames) ? index + 1 : (v.looped ? 0 : index);
    if (w.Channels == 2) {
      const int32_t l0 = s[2 * index], l1 = s[2 * next];
      const int32_t r0 = s[2 * index + 1], r1 = s[2 * next + 1];
      acc[2 * i] += l0 + (((l1 - l0) * frac) >> 15);
      acc[2 * i + 1] += r0 + (((r1 - r0) * frac) >> 15);
    } else {
      const int32_t a = s[index], b = s[next];
      const int32_t m = a + (((b - a) * frac) >> 15);
      acc[2 * i] += m;
      acc[2 * i + 1] += m;
    }
    v.pos += v.step;
  }
}

void AudioMixer::Render(int16_t* stereo, int frames) {
  int32_t acc[2 * kChunk];
  int16_t music[2 * kChunk];
  while (frames > 0) {
    const int n = std::min(frames, kChunk);
    if (music_ != nullptr) {
      music_->Render(music, n);
      for (int i = 0; i < 2 * n; ++i) acc[i] = music[i];
    } else {
      std::fill(acc, acc + 2 * n, 0);
    }
    for (Voice& v : voices_)
      if (v.wave != nullptr && v.playing) MixVoice(v, acc, n);
    for (int i = 0; i < 2 * n; ++i) stereo[i] = int16_t(std::clamp(acc[i], -32768, 32767));
    stereo += 2 * n;
    frames -= n;
  }
}

}  // namespace klv
