// A frame draws only what changed since the last one; over long games it
// must show exactly what drawing every frame whole shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/game.h"
#include "app/script_runner.h"
#include "platform/headless_platform.h"

namespace klv {
namespace {

class DrawnChangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-changes-" + std::to_string(names()));
    for (const char* run : {"changes", "whole"}) {
      std::filesystem::create_directories(dir_ / run);
      for (const char* sub : {"Data", "Sound"})
        std::filesystem::create_directory_symlink(std::filesystem::path(KLV_GAME_DIR) / sub,
                                                  dir_ / run / sub);
    }
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // The hash of the picture on screen after every frame of the script.
  std::vector<size_t> Frames(const std::string& script, bool changesOnly) {
    ScriptOptions options;
    options.appDir = (dir_ / (changesOnly ? "changes" : "whole")).string() + "/";
    options.scoreService = "http://127.0.0.1:1";
    ScriptRunner runner(options);
    std::vector<size_t> hashes;
    uint64_t version = 0;
    runner.BeforeRunDue = [&] { runner.TheGame().DrawChangesOnly = changesOnly; };
    runner.AfterRunDue = [&](bool frameRan) {
      if (!frameRan) return;
      const Surface& frame = runner.TheGame().OnScreen();
      // A picture left as it was is not hashed again.
      if (hashes.empty() || frame.Version() != version) {
        const size_t bytes = size_t(frame.Width()) * size_t(frame.Height()) * sizeof(uint32_t);
        hashes.push_back(std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(frame.Pixels()), bytes)));
        version = frame.Version();
      } else {
        hashes.push_back(hashes.back());
      }
    };
    std::ostringstream out, err;
    EXPECT_EQ(runner.Run(script, out, err), 0) << err.str();
    return hashes;
  }

  std::filesystem::path dir_;
};

std::string ReadScript(const char* name) {
  std::ifstream in(std::string(KLV_SOURCE_DIR) + "/tests/replay/" + name);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The tour of every screen, and a long game of random input: menus, play
// by the autopilot, pauses, focus changes, clicks, the table.
TEST_F(DrawnChangesTest, EveryFrameMatchesTheWholeDrawing) {
  for (const char* name : {"screens.kls", "soak.kls"}) {
    SCOPED_TRACE(name);
    const std::string script = ReadScript(name);
    ASSERT_FALSE(script.empty());
    const std::vector<size_t> changes = Frames(script, true);
    const std::vector<size_t> whole = Frames(script, false);
    ASSERT_EQ(changes.size(), whole.size());
    EXPECT_GT(changes.size(), 1000u);
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < changes.size(); ++i)
      if (changes[i] != whole[i] && differing++ == 0) first = i;
    EXPECT_EQ(differing, 0u) << "first at frame " << first;
  }
}

}  // namespace
}  // namespace klv
