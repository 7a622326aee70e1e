#pragma once
// Sound output without a device, for tests and scripts: keeps every note of
// what the game asked to sound and renders the source only when asked.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_out.h"

namespace klv {

class HeadlessAudioOut : public AudioOut {
 public:
  static constexpr int kRate = 44100;

  HeadlessAudioOut() = default;
  // deviceAvailable false: behaves as a machine with no sound device.
  explicit HeadlessAudioOut(bool deviceAvailable) : deviceAvailable_(deviceAvailable) {}

  bool Start(AudioSource* source) override;
  int SampleRate() const override { return kRate; }
  void Lock() override {}
  void Unlock() override {}
  void Note(const std::string& event) override { notes_.push_back(event); }

  // The notes since the last call, oldest first.
  std::vector<std::string> TakeNotes();
  const std::vector<std::string>& Notes() const { return notes_; }

  // Pulls frames from the source as the device would (silence without one).
  void Render(int16_t* stereo, int frames);
  std::vector<int16_t> Render(int frames);

 private:
  bool deviceAvailable_ = true;
  AudioSource* source_ = nullptr;
  std::vector<std::string> notes_;
};

}  // namespace klv
