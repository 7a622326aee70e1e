#pragma once
// Where the game keeps its files: AppDir holds Data/ and Sound/; the settings
// file lives there too unless that folder is not writable.

#include <string>

namespace klv {

struct GamePaths {
  std::string AppDir;   // with a trailing '/'
  std::string UserDir;  // per-user data folder, with a trailing '/', may be empty
  // When set, Config.cfg lives here whatever AppDir allows (an installed game
  // keeps it in the player's own data folder).
  std::string ConfigDir;
  // No folder can keep the settings (the player's data folder can't be made
  // or written, and the game's own is no place for them): they live in
  // memory, no file is written, and the player is told once at start-up.
  // UnusableDir is the folder that was tried (empty when no home is known),
  // UnusableError why it failed (an errno value).
  bool SettingsInMemory = false;
  std::string UnusableDir;
  int UnusableError = 0;
};

}  // namespace klv
