#pragma once
// The player's own start-up settings: a small text file in the XDG config
// folder (~/.config/klevaria/settings), one "key = value" a line, '#' starts a
// comment. Today it holds only where the world table is:
//   score-service = https://scores.example.org
// The command line's --score-service wins over the file.

#include <optional>
#include <string>
#include <string_view>

namespace klv {

struct UserSettings {
  // Base address of the world-table service; empty: no world table.
  std::optional<std::string> ScoreService;
};

// "$XDG_CONFIG_HOME/klevaria/settings", else "$HOME/.config/klevaria/settings";
// empty when neither is set to an absolute folder.
std::string UserSettingsPath(const char* xdgConfigHome, const char* home);

// An address the game can talk to: empty (none), or http:// or https:// with a
// host, no spaces or control characters.
bool IsScoreServiceAddress(std::string_view url);

// Reads the settings text. A line it cannot use is reported in `error` (with
// its number) and skipped; the other lines still count.
UserSettings ParseUserSettings(std::string_view text, std::string& error);

// Reads the file at path; a missing file is no error.
UserSettings ReadUserSettings(const std::string& path, std::string& error);

}  // namespace klv
