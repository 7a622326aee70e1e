#pragma once
// The one table between the desktop's keys and the Windows virtual-key codes
// the game uses everywhere.

#include <string>

namespace klv {

// A virtual-key code for a key as SDL reports it, 0 for keys the game does not
// know. A Latin layout's letter counts as the letter on the key (Y is Y on a
// German keyboard too); on a layout without Latin letters (Russian, Greek) a
// letter, digit or punctuation key counts by its place on the keyboard, so Y,
// N, P, H and L stay where the player expects them.
int VkFromSdlKey(int sdlKeycode, int sdlScancode);
// A virtual-key code for an SDL key name ("Return", "Left Ctrl", "a", "Keypad -"), 0 if unknown.
int VkFromKeyName(const std::string& name);

}  // namespace klv
