#pragma once
// Windows virtual-key codes identify keys throughout the game: the key
// table of the menus, the input states' bindings and the platforms' key maps.

namespace klv {

namespace vk {
constexpr int Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11, Menu = 0x12,
              Pause = 0x13, Escape = 0x1B, Space = 0x20, Left = 0x25, Up = 0x26, Right = 0x27,
              Down = 0x28, Numpad0 = 0x60, Numpad2 = 0x62, Numpad4 = 0x64, Numpad6 = 0x66,
              Numpad8 = 0x68, Multiply = 0x6A, Add = 0x6B, Subtract = 0x6D, F1 = 0x70, F2 = 0x71,
              F11 = 0x7A;
constexpr int Letter(char c) {
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}
}  // namespace vk

}  // namespace klv
