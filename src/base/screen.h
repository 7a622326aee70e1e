#pragma once
// The screen being shown (the game state): every frame draws, and every key
// and click acts, according to it. What each screen is made of is tabled in
// screens/screen_table.h; the scripts name the screens (app/script_runner).
// A new screen takes a value here, its place in kAllScreens below, and a row
// in the screen table (the build names what is missing).

#include <cstddef>
#include <cstdint>

namespace klv {

enum class Screen : uint8_t {
  None,              // start-up has not ended
  Menu,              // the main menu
  Options,           // the settings
  HiScores,          // the local table
  Help,              // the help pages
  ExitQuestion,      // "Выйти из игры?" from the menus: "Да" quits the program
  Game,              // play, running or held
  ExitGameQuestion,  // "Выйти из игры?" during play: "Да" ends the game
  GameOver,          // time is up: "КОНЕЦ ИГРЫ", two seconds
  GameOver2,         // two more seconds, which a key or click cuts short
  EnterName,         // a score for the table waits for its name (kept last)
};

// Every screen once, in the enum's order.
inline constexpr Screen kAllScreens[] = {
    Screen::None,     Screen::Menu,         Screen::Options,   Screen::HiScores,
    Screen::Help,     Screen::ExitQuestion, Screen::Game,      Screen::ExitGameQuestion,
    Screen::GameOver, Screen::GameOver2,    Screen::EnterName,
};
inline constexpr size_t kScreenCount = sizeof kAllScreens / sizeof kAllScreens[0];

constexpr bool ListsEveryScreenOnce() {
  for (size_t i = 0; i < kScreenCount; ++i)
    if (static_cast<size_t>(kAllScreens[i]) != i) return false;
  return kAllScreens[kScreenCount - 1] == Screen::EnterName;
}
static_assert(ListsEveryScreenOnce(), "kAllScreens lists every screen once, in the enum's order");

}  // namespace klv
