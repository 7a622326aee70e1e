#include "app/user_settings.h"

#include <fstream>
#include <sstream>

namespace klv {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::string UserSettingsPath(const char* xdgConfigHome, const char* home) {
  if (xdgConfigHome && xdgConfigHome[0] == '/')
    return std::string(xdgConfigHome) + "/klevaria/settings";
  if (home && home[0] == '/') return std::string(home) + "/.config/klevaria/settings";
  return {};
}

bool IsScoreServiceAddress(std::string_view url) {
  if (url.empty()) return true;
  std::string_view rest;
  if (url.substr(0, 7) == "http://")
    rest = url.substr(7);
  else if (url.substr(0, 8) == "https://")
    rest = url.substr(8);
  else
    return false;
  if (rest.empty() || rest.front() == '/' || rest.front() == ':') return false;
  for (char c : url) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return false;
  }
  return true;
}

UserSettings ParseUserSettings(std::string_view text, std::string& error) {
  UserSettings settings;
  error.clear();
  int number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    const size_t eq = line.find('=');
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = eq == std::string_view::npos ? "" : Trim(line.substr(eq + 1));
    std::string problem;
    if (eq == std::string_view::npos)
      problem = "no '=' in it";
    else if (key != "score-service")
      problem = "unknown setting '" + std::string(key) + "'";
    else if (!IsScoreServiceAddress(value))
      problem = "the world table's address must start with http:// or https://";
    else
      settings.ScoreService = std::string(value);
    if (!problem.empty() && error.empty())
      error = "line " + std::to_string(number) + ": " + problem;
  }
  return settings;
}

UserSettings ReadUserSettings(const std::string& path, std::string& error) {
  error.clear();
  if (path.empty()) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  // A settings file is a few lines; more than this is not one.
  constexpr std::streamsize kMaxBytes = 64 * 1024;
  std::string text(kMaxBytes + 1, '\0');
  in.read(text.data(), kMaxBytes + 1);
  text.resize(size_t(in.gcount()));
  if (text.size() > size_t(kMaxBytes)) {
    error = "the file is larger than 64 KiB";
    return {};
  }
  UserSettings settings = ParseUserSettings(text, error);
  if (!error.empty()) error = path + ": " + error;
  return settings;
}

}  // namespace klv
