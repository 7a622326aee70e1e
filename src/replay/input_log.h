#pragma once
// The input stream of a recorded game: everything the platform handed the
// game, in the order the game took it. Each record is a tag byte and its
// fields as unsigned LEB128 varints (signed ones zigzag-coded first):
//   Step  dt             a pass of the loop begins; the clock moved dt us
//   Key   vk mods down   a key went down (1) or up (0); mods: 1 Shift 2 Alt 4 Ctrl
//   Text  n bytes        typed text, UTF-8, n <= 64
//   Move  dx dy          the pointer moved by (dx, dy) back-buffer pixels (zigzag)
//   Click dx dy b down   a mouse button (1..3) at the pointer moved by (dx, dy)
//   Pad   button down    a gamepad button (0..6)
//   Window what          0 close request, 1 maximize, 2 minimize, 3 end session,
//                        4 focus lost, 5 focus gained, 6 gamepad unplugged
//   Held  skip n vk...   the held keys changed: n keys toggled; applies at the
//                        skip-th poll after the previous poll record
//   Stick skip present x y buttons   the joystick changed (x, y zigzag)
//   Focus skip active    the window's focus as polled changed
// A poll is one call of KeysHeld, Joystick or Active.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/input_states.h"

namespace klv {

enum class InputTag : uint8_t {
  Step = 1,
  Key = 2,
  Text = 3,
  Move = 4,
  Click = 5,
  Pad = 6,
  Window = 7,
  Held = 8,
  Stick = 9,
  Focus = 10,
};

enum class WindowEvent : uint8_t {
  Close = 0,
  Maximize = 1,
  Minimize = 2,
  EndSession = 3,
  FocusLost = 4,
  FocusGained = 5,
  PadLost = 6,
};

constexpr size_t kInputMaxText = 64;

// One record, decoded.
struct InputRecord {
  InputTag Tag = InputTag::Step;
  uint64_t Dt = 0;     // Step
  uint32_t Skip = 0;   // Held, Stick, Focus
  int Vk = 0;          // Key
  uint8_t Mods = 0;    // Key
  bool Down = false;   // Key, Click, Pad
  std::string Text;    // Text
  int Dx = 0, Dy = 0;  // Move, Click
  int Button = 0;      // Click, Pad
  WindowEvent Window = WindowEvent::Close;
  std::vector<uint8_t> Toggled;  // Held
  JoystickState Stick;           // Stick
  bool Active = true;            // Focus
};

void AppendRecord(std::vector<uint8_t>& out, const InputRecord& record);

// Reads records one by one; a malformed record throws ReplayError.
class InputLogReader {
 public:
  InputLogReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool AtEnd() const { return p_ == end_; }
  // The tag of the next record (AtEnd must be false).
  InputTag PeekTag() const { return static_cast<InputTag>(*p_); }
  InputRecord Next();

 private:
  uint64_t Varint();
  int64_t Signed();
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace klv
