#pragma once
// Platforms that record and replay a game's input. RecordingPlatform stands
// between the game and the real platform: it passes everything through, holds
// the clock still for the length of each pass of the loop (from one
// PumpEvents to the next), and while recording logs every event, every pass's
// clock step and every change the game polls from the keyboard, joystick and
// focus. ReplayPlatform hands a game that log back in the same order, with
// pictures, text and sound going to a headless platform.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "replay/input_log.h"

namespace klv {

class RecordingPlatform : public Platform, private EventSink {
 public:
  explicit RecordingPlatform(Platform& inner) : inner_(inner) {}

  // Starts a new log at the clock as it stands now; whatever the game takes
  // from here on goes into it.
  void StartRecording();
  // Ends the log and hands it over.
  std::vector<uint8_t> StopRecording();
  bool Recording() const { return recording_; }
  size_t LoggedBytes() const { return log_.size(); }

  uint64_t NowMicros() override { return latched_ ? nowUs_ : inner_.NowMicros(); }
  void WaitUntil(uint64_t deadlineMicros) override { inner_.WaitUntil(deadlineMicros); }
  void PumpEvents(EventSink& sink) override;
  void SetFullscreen(bool fullscreen) override { inner_.SetFullscreen(fullscreen); }
  bool Fullscreen() const override { return inner_.Fullscreen(); }
  void Present(const Surface& backBuffer) override { inner_.Present(backBuffer); }
  void PresentChanges(const Surface& backBuffer, const std::vector<Rect>& changed) override {
    inner_.PresentChanges(backBuffer, changed);
  }
  void Minimize() override { inner_.Minimize(); }
  void ShowCursor(bool show) override { inner_.ShowCursor(show); }
  bool Active() const override;
  const std::array<bool, 256>& KeysHeld() const override;
  JoystickState Joystick() override;
  void ShowMessage(const std::string& utf8, MessageKind kind) override {
    inner_.ShowMessage(utf8, kind);
  }
  void OpenWithShell(const std::string& pathOrUrl) override { inner_.OpenWithShell(pathOrUrl); }
  AudioOut& Audio() override { return inner_.Audio(); }
  TextRaster RenderText(const FontSpec& font, const std::string& utf8) override {
    return inner_.RenderText(font, utf8);
  }

 private:
  void OnKeyDown(int vk, KeyMods mods) override;
  void OnKeyUp(int vk, KeyMods mods) override;
  void OnTextInput(const std::string& utf8) override;
  void OnMouseMove(int x, int y) override;
  void OnMouseButton(MouseButton button, bool down, int x, int y) override;
  void OnPadButton(PadButton button, bool down) override;
  void OnCloseRequest() override;
  void OnActivate(bool active) override;
  void OnMaximize() override;
  void OnMinimize() override;
  void OnPadLost() override;
  void OnEndSession() override;
  void Log(const InputRecord& record) const;
  void Window(WindowEvent what);
  // A poll's record says how many polls passed since the last one logged.
  uint32_t PollSkip() const;

  Platform& inner_;
  EventSink* sink_ = nullptr;
  bool latched_ = false;
  uint64_t nowUs_ = 0;
  bool recording_ = false;
  uint64_t lastStepUs_ = 0;
  int lastX_ = 0, lastY_ = 0;
  mutable std::vector<uint8_t> log_;
  mutable uint64_t polls_ = 0;
  mutable uint64_t lastLoggedPoll_ = 0;
  mutable std::array<bool, 256> keys_{};
  mutable JoystickState stick_;
  mutable bool active_ = true;
};

class ReplayPlatform : public Platform {
 public:
  // `log` must outlive the platform; `output` takes pictures, text and sound.
  ReplayPlatform(Platform& output, const std::vector<uint8_t>& log, uint64_t startUs);

  // The replay begins: from here on every poll and event comes from the log.
  void Begin() { begun_ = true; }
  // Delivers the events logged for the rest of this pass.
  void DeliverEvents(EventSink& sink);
  bool AtEnd() const { return reader_.AtEnd(); }
  // The clock step of the next pass, when the log's next record begins one.
  bool NextStep(uint64_t* dtMicros) const;

  uint64_t NowMicros() override { return nowUs_; }
  void WaitUntil(uint64_t) override {}
  // Starts the next logged pass: the clock steps, then its events come.
  // Throws ReplayError when the log holds something else at this point.
  void PumpEvents(EventSink& sink) override;
  void SetFullscreen(bool fullscreen) override { fullscreen_ = fullscreen; }
  bool Fullscreen() const override { return fullscreen_; }
  void Present(const Surface& backBuffer) override { output_.Present(backBuffer); }
  void PresentChanges(const Surface& backBuffer, const std::vector<Rect>& changed) override {
    output_.PresentChanges(backBuffer, changed);
  }
  void Minimize() override {}
  void ShowCursor(bool) override {}
  bool Active() const override;
  const std::array<bool, 256>& KeysHeld() const override;
  JoystickState Joystick() override;
  void ShowMessage(const std::string& utf8, MessageKind kind) override {
    output_.ShowMessage(utf8, kind);
  }
  void OpenWithShell(const std::string&) override {}
  AudioOut& Audio() override { return output_.Audio(); }
  TextRaster RenderText(const FontSpec& font, const std::string& utf8) override {
    return output_.RenderText(font, utf8);
  }

 private:
  // Whether the next record is the change for this poll (then it is taken).
  bool PollChange(InputTag tag, InputRecord& record) const;

  Platform& output_;
  mutable InputLogReader reader_;
  uint64_t nowUs_;
  bool begun_ = false;
  bool fullscreen_ = false;
  int x_ = 0, y_ = 0;
  mutable uint64_t polls_ = 0;
  mutable uint64_t lastLoggedPoll_ = 0;
  mutable std::array<bool, 256> keys_{};
  mutable JoystickState stick_;
  mutable bool active_ = true;
};

}  // namespace klv
