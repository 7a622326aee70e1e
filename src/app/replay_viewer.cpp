#include "app/replay_viewer.h"

#include <algorithm>
#include <cstdio>

#include "app/replay_runner.h"
#include "base/text_colours.h"
#include "engine/cp1251.h"

namespace klv {
namespace {

// A sound device that plays nothing: a replay is watched in silence, and the
// game that shows it keeps its own music.
class SilentAudioOut : public AudioOut {
 public:
  bool Start(AudioSource*) override { return false; }
  int SampleRate() const override { return 44100; }
  void Lock() override {}
  void Unlock() override {}
};

// After a stall (a box, a busy machine) the replay goes on from where it
// stood rather than rushing through what it missed: at most this much
// replay time is caught up at once.
constexpr uint64_t kMaxCatchUpUs = 250'000;
// Passes run by one RunDue at most, so the window's own events still come.
constexpr int kMaxPassesAtOnce = 2000;
// How often a paused viewer looks at the window's clock.
constexpr uint64_t kPausedPollUs = 100'000;

}  // namespace

// What the replayed game draws and sounds goes here: its frames to the
// viewer, its texts through the window's fonts, its sound nowhere.
class ReplayViewer::Output : public Platform {
 public:
  explicit Output(ReplayViewer& viewer) : viewer_(viewer) {}
  uint64_t NowMicros() override { return viewer_.screen_.NowMicros(); }
  void WaitUntil(uint64_t) override {}
  void PumpEvents(EventSink&) override {}
  void SetFullscreen(bool) override {}
  bool Fullscreen() const override { return false; }
  void Present(const Surface& backBuffer) override { viewer_.TakeFrame(backBuffer); }
  void Minimize() override {}
  void ShowCursor(bool) override {}
  bool Active() const override { return true; }
  const std::array<bool, 256>& KeysHeld() const override { return keys_; }
  JoystickState Joystick() override { return {}; }
  void ShowMessage(const std::string& utf8, MessageKind) override {
    // The recorded game's own boxes (a tune that cannot load) would stop
    // the replay for nothing.
    std::fprintf(stderr, "klevaria: replay: %s\n", utf8.c_str());
  }
  void OpenWithShell(const std::string&) override {}
  AudioOut& Audio() override { return audio_; }
  TextRaster RenderText(const FontSpec& font, const std::string& utf8) override {
    return viewer_.screen_.RenderText(font, utf8);
  }

 private:
  ReplayViewer& viewer_;
  std::array<bool, 256> keys_{};
  SilentAudioOut audio_;
};

ReplayViewer::ReplayViewer(Platform& screen, Surface& shown, const ReplayFile& replay,
                           const std::string& appDir)
    : screen_(screen), shown_(shown), replay_(replay) {
  output_ = std::make_unique<Output>(*this);
  canvas_.Attach(&shown_, &screen_);
  game_ = std::make_unique<ReplayGame>(replay_, *output_, appDir);
  game_->RunDue();
  Anchor();
}

ReplayViewer::~ReplayViewer() {
  game_.reset();
}

void ReplayViewer::Anchor() {
  anchorScreenUs_ = screen_.NowMicros();
  anchorReplayUs_ = game_->NowMicros();
}

uint64_t ReplayViewer::ReplayTarget(uint64_t screenUs) const {
  const uint64_t since = screenUs > anchorScreenUs_ ? screenUs - anchorScreenUs_ : 0;
  return anchorReplayUs_ + since * uint64_t(speed_);
}

void ReplayViewer::RunDue() {
  if (ended_ || paused_) return;
  try {
    const uint64_t now = screen_.NowMicros();
    uint64_t target = ReplayTarget(now);
    uint64_t dt = 0;
    // Measured from the pass due next, not from the last one run: a game
    // that stood still while it was recorded (the window out of focus, a
    // busy machine) has a long step in its log, and the replay must still
    // get past it.
    if (game_->NextStep(&dt)) {
      const uint64_t next = game_->NowMicros() + dt;
      if (target > next + kMaxCatchUpUs * uint64_t(speed_)) {
        anchorScreenUs_ = now;
        anchorReplayUs_ = next;
        target = next;
      }
    }
    for (int i = 0; i < kMaxPassesAtOnce && game_->NextStep(&dt); ++i) {
      if (game_->NowMicros() + dt > target) return;
      game_->Step();
      game_->RunDue();
      if (game_->Frames() > kReplayMaxFrames)
        throw ReplayError("the replay runs longer than any game");
      if (game_->Terminated()) break;
    }
    if (!game_->NextStep(&dt)) ended_ = true;
    if (game_->Terminated()) ended_ = true;
  } catch (const std::exception& e) {
    error_ = e.what();
    ended_ = true;
  }
}

uint64_t ReplayViewer::NextDueMicros() {
  const uint64_t now = screen_.NowMicros();
  if (ended_) return now;
  if (paused_) return now + kPausedPollUs;
  uint64_t dt = 0;
  if (!game_->NextStep(&dt)) return now;
  const uint64_t next = game_->NowMicros() + dt;
  if (next <= anchorReplayUs_) return anchorScreenUs_;
  const uint64_t span = next - anchorReplayUs_;
  return anchorScreenUs_ + (span + uint64_t(speed_) - 1) / uint64_t(speed_);
}

void ReplayViewer::SetPaused(bool paused) {
  if (ended_ || paused == paused_) return;
  if (paused) {
    // The replay's clock stands where the window's had brought it.
    anchorReplayUs_ = std::max(game_->NowMicros(), ReplayTarget(screen_.NowMicros()));
    anchorScreenUs_ = screen_.NowMicros();
  } else {
    anchorScreenUs_ = screen_.NowMicros();
  }
  paused_ = paused;
  Show();
}

void ReplayViewer::SetSpeed(int speed) {
  if (ended_ || speed == speed_) return;
  if (!paused_) {
    anchorReplayUs_ = std::max(game_->NowMicros(), ReplayTarget(screen_.NowMicros()));
    anchorScreenUs_ = screen_.NowMicros();
  }
  speed_ = speed;
  Show();
}

void ReplayViewer::Stop() {
  byPlayer_ = !ended_;
  ended_ = true;
}

void ReplayViewer::OnKeyUp(int vk, KeyMods) {
  if (vk == vk::Escape) Stop();
  if (vk == vk::Letter('P') || vk == vk::Pause) SetPaused(!paused_);
  if (vk == vk::Letter('F')) SetSpeed(speed_ == 1 ? kFastSpeed : 1);
}

void ReplayViewer::OnMouseButton(MouseButton button, bool down, int, int) {
  if (!down && (button == MouseButton::Left || button == MouseButton::Right)) Stop();
}

void ReplayViewer::OnPadButton(PadButton button, bool down) {
  if (down) return;
  if (button == PadButton::B) Stop();
  if (button == PadButton::Start) SetPaused(!paused_);
}

void ReplayViewer::OnActivate(bool active) {
  if (!active) SetPaused(true);
}

void ReplayViewer::TakeFrame(const Surface& frame) {
  // Once play is over the replayed game would show its own menu or name
  // entry: the last frame of play stays instead.
  if (!game_ || !game_->InPlay()) return;
  if (frame_.Width() != frame.Width() || frame_.Height() != frame.Height())
    frame_.Resize(frame.Width(), frame.Height());
  std::copy(frame.Pixels(), frame.Pixels() + size_t(frame.Width()) * size_t(frame.Height()),
            frame_.Pixels());
  Show();
}

void ReplayViewer::Show() {
  if (frame_.Empty()) return;
  if (shown_.Width() != frame_.Width() || shown_.Height() != frame_.Height())
    shown_.Resize(frame_.Width(), frame_.Height());
  std::copy(frame_.Pixels(), frame_.Pixels() + size_t(frame_.Width()) * size_t(frame_.Height()),
            shown_.Pixels());
  shown_.Touch();
  static const std::string replayText = Utf8ToCp1251("Повтор");
  static const std::string pauseText = Utf8ToCp1251("Пауза");
  // Top right, over the sky, with a shadow to stand out against the clouds.
  const std::string text = speed_ == 1 ? replayText : replayText + " x" + std::to_string(speed_);
  canvas_.SetFont(Face::Comic, 25, true, Rgb(60, 40, 0));
  const int x = 780 - canvas_.TextWidth(text);
  canvas_.TextOut(x + 2, 12, text);
  canvas_.SetFont(Face::Comic, 25, true, kTextGold);
  canvas_.TextOut(x, 10, text);
  if (paused_) {
    canvas_.SetFont(Face::Comic, 25, true, Rgb(255, 255, 255));
    canvas_.TextOut(360, 285, pauseText);
  }
  screen_.Present(shown_);
}

}  // namespace klv
