#pragma once
// The platform for tests and klevaria-script: a simulated clock that only moves
// when told to, events queued by the caller, frames kept in memory, message
// boxes, shell launches and sounds recorded.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/surface.h"
#include "platform/headless_audio_out.h"
#include "platform/platform.h"
#include "platform/ttf_fonts.h"

namespace klv {

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::unique_ptr<AudioOut> audio = nullptr);
  ~HeadlessPlatform() override;

  // Simulated clock.
  uint64_t NowMicros() override { return nowUs_; }
  void SetNow(uint64_t us) { nowUs_ = us; }
  void WaitUntil(uint64_t deadlineUs) override {
    if (deadlineUs > nowUs_) nowUs_ = deadlineUs;
  }

  // Events: queued by the caller, delivered by PumpEvents.
  void PumpEvents(EventSink& sink) override;
  void Queue(std::function<void(EventSink&)> event) { queue_.push_back(std::move(event)); }
  // Key presses also change the polled key table, as a keyboard would.
  void PressKey(int vk, KeyMods mods = {});
  void ReleaseKey(int vk, KeyMods mods = {});
  void SetActive(bool active);

  void SetFullscreen(bool fullscreen) override { fullscreen_ = fullscreen; }
  bool Fullscreen() const override { return fullscreen_; }
  void Present(const Surface& backBuffer) override;
  void Minimize() override { ++minimizeCount; }
  void ShowCursor(bool show) override { cursorShown = show; }
  bool Active() const override { return active_; }

  const std::array<bool, 256>& KeysHeld() const override { return keys_; }
  JoystickState Joystick() override { return joystick; }

  TextRaster RenderText(const FontSpec& font, const std::string& utf8) override;
  void ShowMessage(const std::string& utf8, MessageKind kind) override;
  void OpenWithShell(const std::string& pathOrUrl) override { opened.push_back(pathOrUrl); }
  AudioOut& Audio() override { return *audio_; }

  // What the game did, for checks.
  // The last frame presented (an empty surface before the first).
  const Surface& LastFrame() const { return lastFrame_ ? *lastFrame_ : noFrame_; }
  uint64_t presentCount = 0;
  std::vector<std::string> messages;
  std::vector<std::string> opened;
  int minimizeCount = 0;
  bool cursorShown = true;
  JoystickState joystick;

 private:
  uint64_t nowUs_ = 0;
  bool fullscreen_ = false;
  bool active_ = true;
  std::array<bool, 256> keys_{};
  std::deque<std::function<void(EventSink&)>> queue_;
  const Surface* lastFrame_ = nullptr;  // stays valid: the game keeps it until the next present
  Surface noFrame_;
  std::unique_ptr<TtfFonts> fonts_;
  std::unique_ptr<AudioOut> audio_;
};

}  // namespace klv
