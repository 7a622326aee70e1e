#pragma once
// The polled input component (Input1): merges the keyboard and a joystick
// into one set of 36 abstract states, updated once at the start of every
// drawn frame. The angler walks and works the rod from these states.

#include <array>
#include <cstdint>

namespace klv {

// The first game controller or joystick, as the platform reads it.
struct JoystickState {
  bool present = false;
  int x = 0;  // -1000..1000 after the dead zone, 0 centred
  int y = 0;
  uint32_t buttons = 0;  // bit n: button n held
};

// The states in their fixed order (bit positions of InputStateSet).
enum InputState : int {
  StateUp,
  StateDown,
  StateLeft,
  StateRight,
  StateButton1,
  StateButton2,
  StateButton3,
  StateButton4,
  StateButton5,
  StateButton6,
  StateButton7,
  StateButton8,
  StateButton9,
  StateButton10,
  StateButton11,
  StateButton12,
  StateButton13,
  StateButton14,
  StateButton15,
  StateButton16,
  StateButton17,
  StateButton18,
  StateButton19,
  StateButton20,
  StateButton21,
  StateButton22,
  StateButton23,
  StateButton24,
  StateButton25,
  StateButton26,
  StateButton27,
  StateButton28,
  StateButton29,
  StateButton30,
  StateButton31,
  StateButton32,
};
constexpr int kInputStateCount = 36;

// A set of input states, one bit each.
class InputStateSet {
 public:
  constexpr InputStateSet() = default;
  constexpr explicit InputStateSet(uint64_t bits) : bits_(bits & kAll) {}

  constexpr bool Contains(InputState s) const { return (bits_ >> s) & 1u; }
  constexpr void Insert(InputState s) { bits_ |= uint64_t{1} << s; }
  constexpr void Erase(InputState s) { bits_ &= ~(uint64_t{1} << s); }
  constexpr void Merge(InputStateSet other) { bits_ |= other.bits_; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint64_t Bits() const { return bits_; }
  constexpr bool operator==(const InputStateSet&) const = default;

 private:
  static constexpr uint64_t kAll = (uint64_t{1} << kInputStateCount) - 1;
  uint64_t bits_ = 0;
};

class InputStates {
 public:
  static constexpr int kKeysPerState = 3;
  // For each state, three virtual-key codes; 0 is none, codes above 255 never match.
  using KeyTable = std::array<std::array<uint32_t, kKeysPerState>, kInputStateCount>;

  InputStates();

  // The keyboard's assignments, filled with the window's stored table:
  // Up K/Up/pad 8, Down J/Down/pad 2, Left H/Left/pad 4, Right L/Right/pad 6,
  // Button1 Z/Space, Button2 X/Enter, Button9 F2.
  KeyTable Assigns;
  static KeyTable StoredAssigns();
  // Start-up's binding: StateDown becomes Ctrl, Down arrow or Space.
  void BindStartupKeys();

  // Device switches (all on in the game); a device not bound adds nothing.
  bool ActiveOnly = true;
  bool KeyboardEnabled = true;
  bool KeyboardBindStates = true;
  bool JoystickEnabled = true;
  bool JoystickBindStates = true;

  // Reads the devices once: keysHeld by virtual-key code, the joystick with
  // its axes already dead-zoned (-1000..1000, negative up/left). With
  // ActiveOnly and the window not active, every device reads released.
  // States follows each change of the merged device states; a state the game
  // removes from States comes back only after it was released and held again.
  void Update(const std::array<bool, 256>& keysHeld, const JoystickState& joy, bool active);

  InputStateSet States;      // what the game reads (and may remove states from)
  InputStateSet HeldStates;  // the merged device states of the last update

  // The device states of the last update.
  InputStateSet KeyboardStates() const { return keyboard_; }
  InputStateSet JoystickStates() const { return joystick_; }

 private:
  InputStateSet keyboard_;
  InputStateSet joystick_;
};

}  // namespace klv
