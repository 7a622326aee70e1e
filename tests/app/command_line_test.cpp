#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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
      {{"--help"}, 0, "--version  show the version and exit", ""},
      {{"--version"}, 0, version.c_str(), ""},
      {{"--fullscreen"}, 2, "", "unknown option '--fullscreen'"},
      {{"-x"}, 2, "", "unknown option '-x'"},
      {{"level3.cfg"}, 2, "", "unexpected argument 'level3.cfg'"},
      {{"-"}, 2, "", "unexpected argument '-'"},
      {{"--help", "--version"}, 2, "", "'--help' takes no other arguments"},
      {{"--version", "x"}, 2, "", "'--version' takes no other arguments"},
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

}  // namespace
}  // namespace klv
