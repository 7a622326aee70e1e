#include "platform/headless_platform.h"

namespace klv {

HeadlessPlatform::HeadlessPlatform(std::unique_ptr<AudioOut> audio)
    : fonts_(std::make_unique<TtfFonts>()), audio_(std::move(audio)) {
  if (!audio_) audio_ = std::make_unique<HeadlessAudioOut>();
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::PumpEvents(EventSink& sink) {
  // An event may queue another; deliver only what was there at the start.
  size_t n = queue_.size();
  for (size_t i = 0; i < n && !queue_.empty(); ++i) {
    auto event = std::move(queue_.front());
    queue_.pop_front();
    event(sink);
  }
}

void HeadlessPlatform::PressKey(int vk, KeyMods mods) {
  Queue([this, vk, mods](EventSink& s) {
    if (vk > 0 && vk < 256 && active_) keys_[vk] = true;
    s.OnKeyDown(vk, mods);
  });
}

void HeadlessPlatform::ReleaseKey(int vk, KeyMods mods) {
  Queue([this, vk, mods](EventSink& s) {
    if (vk > 0 && vk < 256) keys_[vk] = false;
    s.OnKeyUp(vk, mods);
  });
}

void HeadlessPlatform::SetActive(bool active) {
  Queue([this, active](EventSink& s) {
    active_ = active;
    if (!active) keys_.fill(false);
    s.OnActivate(active);
  });
}

void HeadlessPlatform::Present(const Surface& backBuffer) {
  lastFrame_ = &backBuffer;
  ++presentCount;
}

TextRaster HeadlessPlatform::RenderText(const FontSpec& font, const std::string& utf8) {
  return fonts_->Render(font, utf8);
}

void HeadlessPlatform::ShowMessage(const std::string& utf8, MessageKind) {
  messages.push_back(utf8);
}

}  // namespace klv
