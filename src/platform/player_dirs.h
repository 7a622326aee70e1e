#pragma once
// The player's own folders, as the XDG base directories name them: the
// settings and scores of an installed game go to the data folder
// ($XDG_DATA_HOME, else ~/.local/share), the start-up settings file lives in
// the config folder ($XDG_CONFIG_HOME, else ~/.config). The home is HOME, or
// the account's own from the password database when HOME is not set (a
// service manager or `env -i` starts programs without it).

#include <string>

namespace klv {

// The game's folder in the player's data folder, or why there is none.
struct PlayerDataDir {
  // With a trailing '/'; made when missing, and writable. Empty: none.
  std::string Dir;
  // When Dir is empty: the folder that could not be made or written (empty
  // when no home is known at all), and why, as an errno value.
  std::string Tried;
  int Error = 0;
};

// HOME when it is an absolute path, else the home of the account running
// the game; empty when neither names one.
std::string HomeDir();

// "Klevaria/klevaria/" in the data folder: xdgDataHome when it is an absolute
// path (made when missing), else home/.local/share. A home that does not
// exist is never made: the player has no usable folder then.
PlayerDataDir MakePlayerDataDir(const char* xdgDataHome, const std::string& home);
// The same from the environment: $XDG_DATA_HOME and HomeDir().
PlayerDataDir FindPlayerDataDir();

}  // namespace klv
