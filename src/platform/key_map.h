#pragma once
// The one table between the desktop's keys and the Windows virtual-key codes
// the game uses everywhere.

#include <string>

namespace klv {

// A virtual-key code for an SDL key code, 0 for keys the game does not know.
int VkFromSdlKey(int sdlKeycode);
// A virtual-key code for an SDL key name ("Return", "Left Ctrl", "a", "Keypad -"), 0 if unknown.
int VkFromKeyName(const std::string& name);

}  // namespace klv
