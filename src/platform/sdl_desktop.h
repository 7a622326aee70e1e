#pragma once
// What the desktop learns of the game's window: the name it matches with the
// desktop entry (X11 WM_CLASS, Wayland app id) and the icon.

struct SDL_Window;

namespace klv {

// Before the first window opens. A name the player set in the environment wins.
void SetDesktopIdentity();
// Returns whether the window got the icon.
bool SetWindowIcon(SDL_Window* window);

}  // namespace klv
