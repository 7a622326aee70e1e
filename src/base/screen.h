#pragma once
// The screen being shown (the game state): every frame draws, and every key
// and click acts, according to it. What each screen is made of is tabled in
// screens/screen_table.h; the scripts name the screens (app/script_runner).

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
  EnterName,         // a score for the table waits for its name
};

}  // namespace klv
