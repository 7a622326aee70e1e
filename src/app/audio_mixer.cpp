#include "app/audio_mixer.h"

#include <algorithm>

#include "app/wave_file.h"

namespace klv {
namespace {

constexpr int kChunk = 256;  // frames mixed per pass, on the audio thread's stack

}  // namespace

AudioMixer::AudioMixer(int deviceRate)
    : deviceRate_(deviceRate > 0 ? deviceRate : 44100), fadeFrames_(deviceRate_ / 200) {}

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
  if (!Valid(voice)) return;
  // Its recording may be about to go: no tail may keep reading it.
  for (Tail& t : tails_)
    if (t.voice.wave == voices_[voice].wave) t = Tail{};
  voices_[voice] = Voice{};
}

void AudioMixer::FadeOut(const Voice& v) {
  if (!v.playing) return;
  // The free tail, or the one nearest its end.
  Tail* best = &tails_[0];
  for (Tail& t : tails_)
    if (t.left < best->left) best = &t;
  best->voice = v;
  best->left = fadeFrames_;
}

void AudioMixer::PlayVoice(int voice, bool looped) {
  if (!Valid(voice)) return;
  FadeOut(voices_[voice]);
  voices_[voice].pos = 0;
  voices_[voice].looped = looped;
  voices_[voice].playing = true;
}

void AudioMixer::StopVoice(int voice) {
  if (!Valid(voice)) return;
  FadeOut(voices_[voice]);
  voices_[voice].playing = false;
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

int AudioMixer::MixVoice(Voice& v, int32_t* acc, int frames, int fade) {
  const WaveFile& w = *v.wave;
  const int16_t* s = w.Samples.data();
  const uint64_t end = uint64_t(w.Frames) << 32;
  int i = 0;
  for (; i < frames; ++i) {
    if (v.pos >= end) {
      if (!v.looped) {
        v.playing = false;
        return i;
      }
      v.pos -= end;
    }
    const uint32_t index = uint32_t(v.pos >> 32);
    const int32_t frac = int32_t((v.pos >> 17) & 0x7fff);  // 15 bits
    const uint32_t next = index + 1 < uint32_t(w.Frames) ? index + 1 : (v.looped ? 0 : index);
    int32_t l, r;
    if (w.Channels == 2) {
      const int32_t l0 = s[2 * index], l1 = s[2 * next];
      const int32_t r0 = s[2 * index + 1], r1 = s[2 * next + 1];
      l = l0 + (((l1 - l0) * frac) >> 15);
      r = r0 + (((r1 - r0) * frac) >> 15);
    } else {
      const int32_t a = s[index], b = s[next];
      l = r = a + (((b - a) * frac) >> 15);
    }
    if (fade > 0) {
      const int32_t g = fade - i;
      if (g <= 0) return i;
      l = l * g / fadeFrames_;
      r = r * g / fadeFrames_;
    }
    acc[2 * i] += l;
    acc[2 * i + 1] += r;
    v.pos += v.step;
  }
  return i;
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
      if (v.wave != nullptr && v.playing) MixVoice(v, acc, n, 0);
    for (Tail& t : tails_) {
      if (t.left <= 0) continue;
      const int done = MixVoice(t.voice, acc, std::min(n, t.left), t.left);
      t.left = done < std::min(n, t.left) ? 0 : t.left - done;
    }
    for (int i = 0; i < 2 * n; ++i) stereo[i] = int16_t(std::clamp(acc[i], -32768, 32767));
    stereo += 2 * n;
    frames -= n;
  }
}

}  // namespace klv
