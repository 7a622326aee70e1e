#pragma once
// The game's message box, drawn by a child process of its own: the game's
// program started again as `PROGRAM --message-box PARENT KIND X,Y,W,H TEXT`.
// The child dies with the game (a signal that ends the game takes the box
// along), draws the text with the game's own font (Russian shows right
// whatever the locale), wrapped, with one "OK" button that Enter, Space,
// Escape or a click closes, and ends when the player closes it.

#include <functional>
#include <string>
#include <vector>

namespace klv {

constexpr const char* kMessageBoxArg = "--message-box";
// The longest text a box shows, in bytes; the rest is cut off.
constexpr size_t kMessageBoxMaxText = 4096;
// The child's exit status when it could not show the box.
constexpr int kMessageBoxFailed = 3;

// In the child: shows the box and ends the process when it is closed (status
// 0), or when it cannot be shown (kMessageBoxFailed). argv as above.
[[noreturn]] void RunMessageBoxChild(int argc, char** argv);

// The text cut into lines no wider than `maxWidth` as `width` measures them:
// at its own line breaks, then between words; a word wider than a line gets
// a line of its own. At most `maxLines` lines, the last one "…" when more
// were cut off.
std::vector<std::string> WrapForBox(const std::string& utf8, int maxWidth, int maxLines,
                                    const std::function<int(const std::string&)>& width);

}  // namespace klv
