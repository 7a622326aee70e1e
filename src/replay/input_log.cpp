#include "replay/input_log.h"

#include "replay/replay_file.h"

namespace klv {
namespace {

void PutVarint(std::vector<uint8_t>& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

void PutSigned(std::vector<uint8_t>& out, int64_t v) {
  PutVarint(out, (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63));
}

[[noreturn]] void Bad(const char* what) {
  throw ReplayError(std::string("the replay's input stream is damaged (") + what + ")");
}

}  // namespace

void AppendRecord(std::vector<uint8_t>& out, const InputRecord& r) {
  out.push_back(static_cast<uint8_t>(r.Tag));
  switch (r.Tag) {
    case InputTag::Step:
      PutVarint(out, r.Dt);
      break;
    case InputTag::Key:
      PutVarint(out, static_cast<uint32_t>(r.Vk));
      PutVarint(out, r.Mods);
      out.push_back(r.Down ? 1 : 0);
      break;
    case InputTag::Text: {
      const size_t n = r.Text.size() < kInputMaxText ? r.Text.size() : kInputMaxText;
      PutVarint(out, n);
      out.insert(out.end(), r.Text.begin(), r.Text.begin() + static_cast<long>(n));
      break;
    }
    case InputTag::Move:
      PutSigned(out, r.Dx);
      PutSigned(out, r.Dy);
      break;
    case InputTag::Click:
      PutSigned(out, r.Dx);
      PutSigned(out, r.Dy);
      PutVarint(out, static_cast<uint32_t>(r.Button));
      out.push_back(r.Down ? 1 : 0);
      break;
    case InputTag::Pad:
      PutVarint(out, static_cast<uint32_t>(r.Button));
      out.push_back(r.Down ? 1 : 0);
      break;
    case InputTag::Window:
      out.push_back(static_cast<uint8_t>(r.Window));
      break;
    case InputTag::Held:
      PutVarint(out, r.Skip);
      PutVarint(out, r.Toggled.size());
      out.insert(out.end(), r.Toggled.begin(), r.Toggled.end());
      break;
    case InputTag::Stick:
      PutVarint(out, r.Skip);
      out.push_back(r.Stick.present ? 1 : 0);
      PutSigned(out, r.Stick.x);
      PutSigned(out, r.Stick.y);
      PutVarint(out, r.Stick.buttons);
      break;
    case InputTag::Focus:
      PutVarint(out, r.Skip);
      out.push_back(r.Active ? 1 : 0);
      break;
  }
}

uint64_t InputLogReader::Varint() {
  uint64_t v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (p_ == end_) Bad("a number ends early");
    const uint8_t b = *p_++;
    v |= uint64_t(b & 0x7F) << shift;
    if (!(b & 0x80)) return v;
  }
  Bad("a number is too long");
}

int64_t InputLogReader::Signed() {
  const uint64_t z = Varint();
  return static_cast<int64_t>(z >> 1) ^ -static_cast<int64_t>(z & 1);
}

InputRecord InputLogReader::Next() {
  if (p_ == end_) Bad("a record is missing");
  InputRecord r;
  const uint8_t tag = *p_++;
  auto flag = [this]() {
    if (p_ == end_) Bad("a record ends early");
    const uint8_t b = *p_++;
    if (b > 1) Bad("a flag is neither 0 nor 1");
    return b == 1;
  };
  auto bounded = [this](uint64_t max, const char* what) {
    const uint64_t v = Varint();
    if (v > max) Bad(what);
    return v;
  };
  auto coordinate = [this]() {
    const int64_t v = Signed();
    if (v < -100000 || v > 100000) Bad("a pointer movement is out of range");
    return static_cast<int>(v);
  };
  switch (tag) {
    case uint8_t(InputTag::Step):
      r.Tag = InputTag::Step;
      r.Dt = bounded(uint64_t(kReplayMaxGameMs) * 1000, "a step is longer than a game");
      break;
    case uint8_t(InputTag::Key):
      r.Tag = InputTag::Key;
      r.Vk = static_cast<int>(bounded(255, "a key code is out of range"));
      r.Mods = static_cast<uint8_t>(bounded(7, "unknown key modifiers"));
      r.Down = flag();
      break;
    case uint8_t(InputTag::Text): {
      r.Tag = InputTag::Text;
      const size_t n = bounded(kInputMaxText, "a text is too long");
      if (size_t(end_ - p_) < n) Bad("a text ends early");
      r.Text.assign(reinterpret_cast<const char*>(p_), n);
      p_ += n;
      break;
    }
    case uint8_t(InputTag::Move):
      r.Tag = InputTag::Move;
      r.Dx = coordinate();
      r.Dy = coordinate();
      break;
    case uint8_t(InputTag::Click):
      r.Tag = InputTag::Click;
      r.Dx = coordinate();
      r.Dy = coordinate();
      r.Button = static_cast<int>(bounded(3, "unknown mouse button"));
      if (r.Button < 1) Bad("unknown mouse button");
      r.Down = flag();
      break;
    case uint8_t(InputTag::Pad):
      r.Tag = InputTag::Pad;
      r.Button = static_cast<int>(bounded(6, "unknown gamepad button"));
      r.Down = flag();
      break;
    case uint8_t(InputTag::Window):
      r.Tag = InputTag::Window;
      if (p_ == end_) Bad("a record ends early");
      if (*p_ > uint8_t(WindowEvent::PadLost)) Bad("unknown window event");
      r.Window = static_cast<WindowEvent>(*p_++);
      break;
    case uint8_t(InputTag::Held): {
      r.Tag = InputTag::Held;
      r.Skip =
          static_cast<uint32_t>(bounded(kReplayMaxFrames * 4ull, "a poll lies beyond the game"));
      const size_t n = bounded(256, "too many keys change at once");
      if (size_t(end_ - p_) < n) Bad("a key list ends early");
      r.Toggled.assign(p_, p_ + n);
      p_ += n;
      break;
    }
    case uint8_t(InputTag::Stick):
      r.Tag = InputTag::Stick;
      r.Skip =
          static_cast<uint32_t>(bounded(kReplayMaxFrames * 4ull, "a poll lies beyond the game"));
      r.Stick.present = flag();
      r.Stick.x = coordinate();
      r.Stick.y = coordinate();
      r.Stick.buttons = static_cast<uint32_t>(bounded(0xFFFFFFFFu, "unknown joystick buttons"));
      break;
    case uint8_t(InputTag::Focus):
      r.Tag = InputTag::Focus;
      r.Skip =
          static_cast<uint32_t>(bounded(kReplayMaxFrames * 4ull, "a poll lies beyond the game"));
      r.Active = flag();
      break;
    default:
      Bad("an unknown record");
  }
  return r;
}

}  // namespace klv
