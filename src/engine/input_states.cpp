#include "engine/input_states.h"

#include "engine/virtual_keys.h"

namespace klv {

InputStates::InputStates() : Assigns(StoredAssigns()) {}

InputStates::KeyTable InputStates::StoredAssigns() {
  KeyTable t{};
  t[StateUp] = {uint32_t(vk::Letter('K')), vk::Up, vk::Numpad8};
  t[StateDown] = {uint32_t(vk::Letter('J')), vk::Down, vk::Numpad2};
  t[StateLeft] = {uint32_t(vk::Letter('H')), vk::Left, vk::Numpad4};
  t[StateRight] = {uint32_t(vk::Letter('L')), vk::Right, vk::Numpad6};
  t[StateButton1] = {uint32_t(vk::Letter('Z')), vk::Space, 0};
  t[StateButton2] = {uint32_t(vk::Letter('X')), vk::Return, 0};
  t[StateButton9] = {vk::F2, 0, 0};
  return t;
}

void InputStates::BindStartupKeys() {
  Assigns[StateDown][0] = vk::Control;
  Assigns[StateDown][2] = vk::Space;
}

void InputStates::Update(const std::array<bool, 256>& keysHeld, const JoystickState& joy,
                         bool active) {
  keyboard_ = InputStateSet{};
  joystick_ = InputStateSet{};
  const bool listening = active || !ActiveOnly;

  if (KeyboardEnabled && listening) {
    for (int s = 0; s < kInputStateCount; ++s) {
      for (uint32_t key : Assigns[s]) {
        if (key != 0 && key < keysHeld.size() && keysHeld[key]) {
          keyboard_.Insert(static_cast<InputState>(s));
          break;
        }
      }
    }
  }

  if (JoystickEnabled && listening && joy.present) {
    for (int n = 0; n < 32; ++n) {
      if ((joy.buttons >> n) & 1u) joystick_.Insert(static_cast<InputState>(StateButton1 + n));
    }
    if (joy.x < 0) joystick_.Insert(StateLeft);
    if (joy.x > 0) joystick_.Insert(StateRight);
    if (joy.y < 0) joystick_.Insert(StateUp);
    if (joy.y > 0) joystick_.Insert(StateDown);
  }

  InputStateSet merged;
  if (KeyboardBindStates) merged.Merge(keyboard_);
  if (JoystickBindStates) merged.Merge(joystick_);

  // Only changes reach States, so a state the game took away stays away
  // while its key is held.
  for (int s = 0; s < kInputStateCount; ++s) {
    const auto state = static_cast<InputState>(s);
    const bool now = merged.Contains(state);
    const bool before = HeldStates.Contains(state);
    if (now && !before) States.Insert(state);
    if (!now && before) States.Erase(state);
  }
  HeldStates = merged;
}

}  // namespace klv
