#include "app/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/user_settings.h"

namespace klv {
namespace {

struct Case {
  std::vector<const char*> args;  // after the program's name
  int status;
  const char* out;  // expected in the output ("" none at all)
  const char* err;  // expected in the error output ("" none at all)
};

TEST(CommandLine, OptionsAnswerOrStartTheGame) {
  const std::string version = std::string("klevaria ") + KLV_PROJECT_VERSION + "\n";
  const Case cases[] = {
      {{}, -1, "", ""},
      {{"-h"}, 0, "Usage: klevaria [OPTION]", ""},
      {{"--help"}, 0, "--version            show the version and exit", ""},
      {{"--version"}, 0, version.c_str(), ""},
      {{"--full-screen"}, 2, "", "unknown option '--full-screen'"},
      {{"--fullscreen", "--windowed"}, 2, "", "'--fullscreen' and '--windowed' exclude each other"},
      {{"--windowed", "--score-service", "http://a", "--fullscreen"}, 2, "", "exclude each other"},
      {{"--fullscreen", "x"}, 2, "", "unexpected argument 'x'"},
      {{"-x"}, 2, "", "unknown option '-x'"},
      {{"level3.cfg"}, 2, "", "unexpected argument 'level3.cfg'"},
      {{"-"}, 2, "", "unexpected argument '-'"},
      {{"--help", "--version"}, 2, "", "'--help' takes no other arguments"},
      {{"--version", "x"}, 2, "", "'--version' takes no other arguments"},
      {{"--score-service", "https://scores.example.org"}, -1, "", ""},
      {{"--score-service=http://127.0.0.1:8765"}, -1, "", ""},
      {{"--score-service", ""}, -1, "", ""},
      {{"--score-service"}, 2, "", "'--score-service' needs an address"},
      {{"--score-service", "file:///etc/passwd"}, 2, "", "is not a world table's address"},
      {{"--score-service", "http://a", "x"}, 2, "", "unexpected argument 'x'"},
      // A replay to play: the game starts (-1); a replay without its file, or
      // with anything but --check after it, is refused.
      {{"--replay", "game-0001.klr"}, -1, "", ""},
      {{"--replay", "game-0001.klr", "--check"}, -1, "", ""},
      {{"--replay"}, 2, "", "--replay takes a file, and then --check or nothing"},
      {{"--replay", "a.klr", "--fast"}, 2, "", "--replay takes a file"},
      {{"--replay", "a.klr", "--check", "x"}, 2, "", "--replay takes a file"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"klevaria"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    const int status = HandleCommandLine(int(argv.size()), argv.data(), out, err);
    const std::string label = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(status, c.status) << label;
    if (*c.out) {
      EXPECT_NE(out.str().find(c.out), std::string::npos) << label << ": " << out.str();
    } else {
      EXPECT_EQ(out.str(), "") << label;
    }
    if (*c.err) {
      EXPECT_NE(err.str().find(c.err), std::string::npos) << label << ": " << err.str();
    } else {
      EXPECT_EQ(err.str(), "") << label;
    }
    // A refusal always points at --help.
    if (c.status == 2) {
      EXPECT_NE(err.str().find("klevaria --help"), std::string::npos) << label;
    }
  }
}

TEST(CommandLine, ScoreServiceReachesTheGame) {
  const struct {
    std::vector<const char*> args;
    std::optional<std::string> service;
  } cases[] = {
      {{}, std::nullopt},
      {{"--score-service", "https://scores.example.org/klv"}, "https://scores.example.org/klv"},
      {{"--score-service=http://h:1"}, "http://h:1"},
      {{"--score-service", ""}, ""},  // no world table, whatever the file says
      {{"--score-service", "http://a", "--score-service", "http://b"}, "http://b"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"klevaria"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    StartOptions options;
    options.ScoreService = "left over";
    EXPECT_EQ(HandleCommandLine(int(argv.size()), argv.data(), out, err, &options), -1);
    EXPECT_EQ(options.ScoreService, c.service) << err.str();
  }
}

TEST(CommandLine, WindowModeReachesTheGame) {
  const struct {
    std::vector<const char*> args;
    std::optional<bool> windowed;
  } cases[] = {
      {{}, std::nullopt},
      {{"--fullscreen"}, false},
      {{"--windowed"}, true},
      {{"--windowed", "--windowed"}, true},
      {{"--score-service", "http://a", "--fullscreen"}, false},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"klevaria"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    StartOptions options;
    options.Windowed = true;  // left over from before
    EXPECT_EQ(HandleCommandLine(int(argv.size()), argv.data(), out, err, &options), -1);
    EXPECT_EQ(options.Windowed, c.windowed) << (c.args.empty() ? "(none)" : c.args[0]);
  }
}

TEST(UserSettings, FileLinesAndPaths) {
  EXPECT_EQ(UserSettingsPath("/x/conf", "/home/p"), "/x/conf/klevaria/settings");
  EXPECT_EQ(UserSettingsPath(nullptr, "/home/p"), "/home/p/.config/klevaria/settings");
  EXPECT_EQ(UserSettingsPath("relative", "/home/p"), "/home/p/.config/klevaria/settings");
  EXPECT_EQ(UserSettingsPath("", ""), "");
  EXPECT_EQ(UserSettingsPath(nullptr, nullptr), "");

  const struct {
    const char* text;
    std::optional<std::string> service;
    const char* error;  // "" none
  } cases[] = {
      {"", std::nullopt, ""},
      {"# only a comment\n\n", std::nullopt, ""},
      {"score-service = https://scores.example.org\n", "https://scores.example.org", ""},
      {"  score-service=http://10.0.0.2:8765  \r\n", "http://10.0.0.2:8765", ""},
      {"score-service =\n", "", ""},
      {"score-service = ftp://x\n", std::nullopt, "line 1: the world table's address"},
      {"# c\nscore-servce = http://x\nscore-service = http://y", "http://y",
       "line 2: unknown setting 'score-servce'"},
      {"score-service http://x\n", std::nullopt, "line 1: no '='"},
      {"score-service = http://a b\n", std::nullopt, "line 1:"},
  };
  for (const auto& c : cases) {
    std::string error;
    const UserSettings s = ParseUserSettings(c.text, error);
    EXPECT_EQ(s.ScoreService, c.service) << c.text;
    if (*c.error) {
      EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << ": " << error;
    } else {
      EXPECT_EQ(error, "") << c.text;
    }
  }

  std::string error;
  EXPECT_FALSE(ReadUserSettings("/nonexistent/klevaria/settings", error).ScoreService);
  EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace klv
