#include "platform/headless_audio_out.h"

#include <cstring>
#include <utility>

namespace klv {

bool HeadlessAudioOut::Start(AudioSource* source) {
  if (!deviceAvailable_) return false;
  source_ = source;
  return true;
}

std::vector<std::string> HeadlessAudioOut::TakeNotes() {
  return std::exchange(notes_, {});
}

void HeadlessAudioOut::Render(int16_t* stereo, int frames) {
  if (frames <= 0) return;
  if (source_ != nullptr)
    source_->Render(stereo, frames);
  else
    std::memset(stereo, 0, size_t(frames) * 2 * sizeof(int16_t));
}

std::vector<int16_t> HeadlessAudioOut::Render(int frames) {
  std::vector<int16_t> out(size_t(frames > 0 ? frames : 0) * 2);
  Render(out.data(), frames);
  return out;
}

}  // namespace klv
