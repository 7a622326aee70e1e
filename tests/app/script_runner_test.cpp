// The script runner's verdicts: 0 when every expectation holds, 1 for the
// first that fails, 2 for a line it cannot read, each with the line's number;
// what print and hash write goes to the runner's own stream.
#include "app/script_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

#include "support/tiny_game_data.h"

namespace klv {
namespace {

class ScriptRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-script-" + std::to_string(names()));
    test::WriteGameData(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // Runs a script on a fresh game; out and err get what the runner writes.
  int Run(const std::string& script) {
    ScriptOptions options;
    options.appDir = dir_.string();
    options.scoreService = "http://127.0.0.1:1";
    ScriptRunner runner(options);
    out_.str("");
    err_.str("");
    return runner.Run(script, out_, err_);
  }

  std::filesystem::path dir_;
  std::ostringstream out_, err_;
};

TEST_F(ScriptRunnerTest, ExitStatusAndTheLineItStoppedAt) {
  struct Case {
    const char* script;
    int status;
    const char* message;  // in err, after "line N: "
  };
  const Case cases[] = {
      // Expectations met.
      {"wait 100\nexpect state Menu\nexpect menupos 1\nexpect score >= 0\n", 0, ""},
      // A failed expectation: 1, and nothing after it runs.
      {"wait 100\nexpect state Options\nfrobnicate", 1,
       "line 2: expected state = Options, got Menu"},
      {"wait 100\nexpect level > 0", 1, "line 2: expected level > 0, got 0"},
      {"wait 100\nexpect sound Poimal", 1, "line 2: expected sound Poimal, got none"},
      {"wait 100\nexpect table 1 Nobody 5", 1, "line 2: expected table 1 Nobody 5, got"},
      {"# a comment\n\nwait 100\nexpect box = Please delete file Config.cfg", 1,
       "line 4: expected box = Please delete file Config.cfg, got"},
      // A malformed script: 2.
      {"frobnicate", 2, "line 1: unknown command: frobnicate"},
      {"wait 100\nexpect state Menu\nexpect sound Poimal now", 2, "line 3: expect sound NAME"},
      {"wait 100\nwait -5", 2, "line 2: wait takes a non-negative time"},
      {"wait soon", 2, "line 1: not a number: soon"},
      {"key NoSuchKey", 2, "line 1: unknown key: NoSuchKey"},
      {"wait 100\nexpect state Menuu", 2, "line 2: unknown state: Menuu"},
      {"wait 100\nexpect score < lots", 2, "line 2: ordering needs numbers"},
      {"wait 100\nseed 3", 2, "line 2: seed must come before anything else"},
      {"autopilot maybe", 2, "line 1: autopilot on|pad|off"},
      {"pad select", 2, "line 1: unknown gamepad button: select"},
      {"stick 2000 0", 2, "line 1: stick X Y: each from -1000 to 1000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    EXPECT_EQ(Run(c.script), c.status);
    if (c.status == 0) {
      EXPECT_EQ(err_.str(), "");
      EXPECT_EQ(out_.str().rfind("ok: ", 0), 0u) << out_.str();
    } else {
      EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
      EXPECT_EQ(out_.str(), "") << "no verdict of success";
    }
  }
}

TEST_F(ScriptRunnerTest, PrintAndHashWriteToTheRunnersStream) {
  ASSERT_EQ(Run("wait 100\nprint\nhash menu\nhash menu-again\nkey Down\nwait 100\nhash moved"), 0);
  std::istringstream lines(out_.str());
  std::string status, menu, again, moved;
  std::getline(lines, status);
  std::getline(lines, menu);
  std::getline(lines, again);
  std::getline(lines, moved);
  EXPECT_EQ(status.rfind("state=Menu level=0 score=0 ", 0), 0u) << status;
  EXPECT_EQ(menu.rfind("menu pixels=", 0), 0u) << menu;
  // The same frame hashes the same; a frame that changed does not.
  EXPECT_EQ(menu.substr(menu.find(' ')), again.substr(again.find(' ')));
  EXPECT_NE(menu.substr(menu.find("pixels="), 23), moved.substr(moved.find("pixels="), 23));
}

// A script hashes frames only when it has a "hash" line; one that does gets
// the same trail as a runner that keeps it all along, even when the only
// "hash" comes last, after a comment line mentioning it.
TEST_F(ScriptRunnerTest, TheFrameTrailIsKeptFromTheStartWhenAScriptAsksForIt) {
  const char* lines[] = {"wait 100", "# no hash here", "key Down",
                         "wait 300", "key Return",     "wait 500"};
  std::string script;
  for (const char* line : lines) script += std::string(line) + "\n";
  ASSERT_EQ(Run(script + "hash end\n"), 0) << err_.str();
  const std::string scripted = out_.str().substr(0, out_.str().find('\n'));

  ScriptOptions options;
  options.appDir = dir_.string();
  options.scoreService = "http://127.0.0.1:1";
  ScriptRunner stepped(options);
  for (const char* line : lines)
    if (line[0] != '#') stepped.Execute(line);
  EXPECT_EQ(scripted, "end " + stepped.HashLine());

  // Without the trail, "hash" is refused rather than printing a wrong one.
  ScriptRunner untracked(options);
  untracked.TrackFrames(false);
  untracked.Execute("wait 100");
  EXPECT_THROW(untracked.HashLine(), std::runtime_error);
  EXPECT_EQ(Run(script), 0) << err_.str();
}

}  // namespace
}  // namespace klv
