#include "platform/recording_platform.h"

#include "replay/replay_file.h"

namespace klv {
namespace {

uint8_t ModBits(KeyMods m) {
  return static_cast<uint8_t>((m.Shift ? 1 : 0) | (m.Alt ? 2 : 0) | (m.Ctrl ? 4 : 0));
}

KeyMods Mods(uint8_t bits) {
  return KeyMods{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
}

bool SameStick(const JoystickState& a, const JoystickState& b) {
  return a.present == b.present && a.x == b.x && a.y == b.y && a.buttons == b.buttons;
}

}  // namespace

// --- Recording ------------------------------------------------------------------

void RecordingPlatform::StartRecording() {
  log_.clear();
  recording_ = true;
  lastStepUs_ = NowMicros();
  lastX_ = lastY_ = 0;
  polls_ = lastLoggedPoll_ = 0;
  keys_.fill(false);
  stick_ = JoystickState{};
  active_ = true;
}

std::vector<uint8_t> RecordingPlatform::StopRecording() {
  recording_ = false;
  std::vector<uint8_t> log;
  log.swap(log_);
  return log;
}

void RecordingPlatform::Log(const InputRecord& record) const {
  if (recording_) AppendRecord(log_, record);
}

uint32_t RecordingPlatform::PollSkip() const {
  const uint64_t skip = polls_ - lastLoggedPoll_;
  lastLoggedPoll_ = polls_;
  return static_cast<uint32_t>(skip);
}

void RecordingPlatform::PumpEvents(EventSink& sink) {
  nowUs_ = inner_.NowMicros();
  latched_ = true;
  if (recording_) {
    InputRecord step;
    step.Tag = InputTag::Step;
    step.Dt = nowUs_ - lastStepUs_;
    lastStepUs_ = nowUs_;
    Log(step);
  }
  sink_ = &sink;
  inner_.PumpEvents(*this);
  sink_ = nullptr;
}

const std::array<bool, 256>& RecordingPlatform::KeysHeld() const {
  const std::array<bool, 256>& held = inner_.KeysHeld();
  if (!recording_) return held;
  ++polls_;
  if (held != keys_) {
    InputRecord r;
    r.Tag = InputTag::Held;
    for (int k = 0; k < 256; ++k)
      if (held[k] != keys_[k]) r.Toggled.push_back(static_cast<uint8_t>(k));
    r.Skip = PollSkip();
    Log(r);
    keys_ = held;
  }
  return held;
}

JoystickState RecordingPlatform::Joystick() {
  const JoystickState stick = inner_.Joystick();
  if (!recording_) return stick;
  ++polls_;
  if (!SameStick(stick, stick_)) {
    InputRecord r;
    r.Tag = InputTag::Stick;
    r.Stick = stick;
    r.Skip = PollSkip();
    Log(r);
    stick_ = stick;
  }
  return stick;
}

bool RecordingPlatform::Active() const {
  const bool active = inner_.Active();
  if (!recording_) return active;
  ++polls_;
  if (active != active_) {
    InputRecord r;
    r.Tag = InputTag::Focus;
    r.Active = active;
    r.Skip = PollSkip();
    Log(r);
    active_ = active;
  }
  return active;
}

void RecordingPlatform::OnKeyDown(int vk, KeyMods mods) {
  if (recording_ && vk >= 0 && vk < 256) {
    InputRecord r;
    r.Tag = InputTag::Key;
    r.Vk = vk;
    r.Mods = ModBits(mods);
    r.Down = true;
    Log(r);
  }
  sink_->OnKeyDown(vk, mods);
}

void RecordingPlatform::OnKeyUp(int vk, KeyMods mods) {
  if (recording_ && vk >= 0 && vk < 256) {
    InputRecord r;
    r.Tag = InputTag::Key;
    r.Vk = vk;
    r.Mods = ModBits(mods);
    Log(r);
  }
  sink_->OnKeyUp(vk, mods);
}

void RecordingPlatform::OnTextInput(const std::string& utf8) {
  // Longer texts are logged in pieces, each a text event of its own, as the
  // game takes text byte by byte anyway.
  for (size_t at = 0; recording_ && at < utf8.size(); at += kInputMaxText) {
    InputRecord r;
    r.Tag = InputTag::Text;
    r.Text = utf8.substr(at, kInputMaxText);
    Log(r);
  }
  sink_->OnTextInput(utf8);
}

void RecordingPlatform::OnMouseMove(int x, int y) {
  if (recording_) {
    InputRecord r;
    r.Tag = InputTag::Move;
    r.Dx = x - lastX_;
    r.Dy = y - lastY_;
    lastX_ = x;
    lastY_ = y;
    Log(r);
  }
  sink_->OnMouseMove(x, y);
}

void RecordingPlatform::OnMouseButton(MouseButton button, bool down, int x, int y) {
  if (recording_) {
    InputRecord r;
    r.Tag = InputTag::Click;
    r.Dx = x - lastX_;
    r.Dy = y - lastY_;
    r.Button = static_cast<int>(button);
    r.Down = down;
    lastX_ = x;
    lastY_ = y;
    Log(r);
  }
  sink_->OnMouseButton(button, down, x, y);
}

void RecordingPlatform::OnPadButton(PadButton button, bool down) {
  if (recording_) {
    InputRecord r;
    r.Tag = InputTag::Pad;
    r.Button = static_cast<int>(button);
    r.Down = down;
    Log(r);
  }
  sink_->OnPadButton(button, down);
}

void RecordingPlatform::Window(WindowEvent what) {
  InputRecord r;
  r.Tag = InputTag::Window;
  r.Window = what;
  Log(r);
}

void RecordingPlatform::OnCloseRequest() {
  Window(WindowEvent::Close);
  sink_->OnCloseRequest();
}
void RecordingPlatform::OnActivate(bool active) {
  Window(active ? WindowEvent::FocusGained : WindowEvent::FocusLost);
  sink_->OnActivate(active);
}
void RecordingPlatform::OnMaximize() {
  Window(WindowEvent::Maximize);
  sink_->OnMaximize();
}
void RecordingPlatform::OnMinimize() {
  Window(WindowEvent::Minimize);
  sink_->OnMinimize();
}
void RecordingPlatform::OnPadLost() {
  Window(WindowEvent::PadLost);
  sink_->OnPadLost();
}
void RecordingPlatform::OnEndSession() {
  Window(WindowEvent::EndSession);
  sink_->OnEndSession();
}

// --- Replaying ------------------------------------------------------------------

ReplayPlatform::ReplayPlatform(Platform& output, const std::vector<uint8_t>& log, uint64_t startUs)
    : output_(output), reader_(log.data(), log.size()), nowUs_(startUs) {}

void ReplayPlatform::PumpEvents(EventSink& sink) {
  if (reader_.AtEnd() || reader_.PeekTag() != InputTag::Step)
    throw ReplayError("the replay does not match this game (a pass of the loop is missing)");
  const InputRecord step = reader_.Next();
  if (nowUs_ + step.Dt < nowUs_) throw ReplayError("the replay's clock runs past its end");
  nowUs_ += step.Dt;
  DeliverEvents(sink);
}

bool ReplayPlatform::NextStep(uint64_t* dtMicros) const {
  if (reader_.AtEnd() || reader_.PeekTag() != InputTag::Step) return false;
  InputLogReader ahead = reader_;
  *dtMicros = ahead.Next().Dt;
  return true;
}

void ReplayPlatform::DeliverEvents(EventSink& sink) {
  while (!reader_.AtEnd()) {
    const InputTag tag = reader_.PeekTag();
    if (tag == InputTag::Step || tag == InputTag::Held || tag == InputTag::Stick ||
        tag == InputTag::Focus)
      return;
    const InputRecord r = reader_.Next();
    switch (r.Tag) {
      case InputTag::Key:
        if (r.Down)
          sink.OnKeyDown(r.Vk, Mods(r.Mods));
        else
          sink.OnKeyUp(r.Vk, Mods(r.Mods));
        break;
      case InputTag::Text:
        sink.OnTextInput(r.Text);
        break;
      case InputTag::Move:
        x_ += r.Dx;
        y_ += r.Dy;
        sink.OnMouseMove(x_, y_);
        break;
      case InputTag::Click:
        x_ += r.Dx;
        y_ += r.Dy;
        sink.OnMouseButton(static_cast<MouseButton>(r.Button), r.Down, x_, y_);
        break;
      case InputTag::Pad:
        sink.OnPadButton(static_cast<PadButton>(r.Button), r.Down);
        break;
      case InputTag::Window:
        switch (r.Window) {
          case WindowEvent::Close:
            sink.OnCloseRequest();
            break;
          case WindowEvent::Maximize:
            sink.OnMaximize();
            break;
          case WindowEvent::Minimize:
            sink.OnMinimize();
            break;
          case WindowEvent::EndSession:
            sink.OnEndSession();
            break;
          case WindowEvent::PadLost:
            sink.OnPadLost();
            break;
          case WindowEvent::FocusLost:
          case WindowEvent::FocusGained:
            sink.OnActivate(r.Window == WindowEvent::FocusGained);
            break;
        }
        break;
      case InputTag::Step:
      case InputTag::Held:
      case InputTag::Stick:
      case InputTag::Focus:
        break;
    }
  }
}

bool ReplayPlatform::PollChange(InputTag tag, InputRecord& record) const {
  ++polls_;
  if (reader_.AtEnd() || reader_.PeekTag() != tag) return false;
  // The record is only peeked at by its tag; its skip decides whether it is
  // this poll's. Reading it from a copy leaves the stream as it was.
  InputLogReader ahead = reader_;
  InputRecord r = ahead.Next();
  if (polls_ - lastLoggedPoll_ != r.Skip) return false;
  reader_ = ahead;
  lastLoggedPoll_ = polls_;
  record = std::move(r);
  return true;
}

const std::array<bool, 256>& ReplayPlatform::KeysHeld() const {
  InputRecord r;
  if (begun_ && PollChange(InputTag::Held, r))
    for (uint8_t k : r.Toggled) keys_[k] = !keys_[k];
  return keys_;
}

JoystickState ReplayPlatform::Joystick() {
  InputRecord r;
  if (begun_ && PollChange(InputTag::Stick, r)) stick_ = r.Stick;
  return stick_;
}

bool ReplayPlatform::Active() const {
  InputRecord r;
  if (begun_ && PollChange(InputTag::Focus, r)) active_ = r.Active;
  return active_;
}

}  // namespace klv
