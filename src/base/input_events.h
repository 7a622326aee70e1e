#pragma once
// What the window's events carry besides a key: the modifier keys held, the
// mouse button, the gamepad button. The platform sends them; the game and the
// screens act on them.

namespace klv {

struct KeyMods {
  bool Shift = false;
  bool Alt = false;
  bool Ctrl = false;
};

enum class MouseButton { Left = 1, Middle = 2, Right = 3 };

// A gamepad's buttons as the menus see them; the left stick gives the four
// directions as well as the D-pad does.
enum class PadButton { Up, Down, Left, Right, A, B, Start };

}  // namespace klv
