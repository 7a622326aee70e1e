// Games played by the headless runner are recorded, and each recording plays
// back to the same end: score, level, frames and every picture on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "app/game.h"
#include "app/game_recorder.h"
#include "app/replay_runner.h"
#include "app/script_runner.h"
#include "platform/headless_platform.h"
#include "play/round.h"
#include "replay/replay_file.h"
#include "settings/config.h"

namespace klv {
namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

class RecordedGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-replay-" + std::to_string(names()));
    std::filesystem::create_directories(dir_);
    for (const char* sub : {"Data", "Sound"})
      std::filesystem::create_directory_symlink(std::filesystem::path(KLV_GAME_DIR) / sub,
                                                dir_ / sub);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string AppDir() const { return dir_.string() + "/"; }

  // Runs a script; the trail hashes every change of the picture while the
  // game was being recorded, as the replay hashes it.
  struct Played {
    int status = 0;
    std::string replayPath;
    uint64_t trail = kFnvOffset;
    uint32_t score = 0;
    int level = 0;
  };
  Played Play(const std::string& script) {
    ScriptOptions options;
    options.appDir = dir_.string();
    options.scoreService = "http://127.0.0.1:1";
    Played p;
    {
      ScriptRunner runner(options);
      uint64_t presents = 0, last = 0;
      runner.AfterRunDue = [&](bool) {
        HeadlessPlatform& platform = runner.Platform();
        if (!runner.Recorder().Recording()) return;
        p.score = runner.TheGame().Round1->AnglerScore().Value();
        p.level = runner.TheGame().Round1->LevelNo;
        if (platform.presentCount == presents) return;
        presents = platform.presentCount;
        const Surface& frame = platform.LastFrame();
        const size_t bytes = size_t(frame.Width()) * size_t(frame.Height()) * sizeof(uint32_t);
        const uint64_t h = std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(frame.Pixels()), bytes));
        if (h != last) p.trail = (p.trail ^ h) * kFnvPrime;
        last = h;
      };
      std::ostringstream out, err;
      p.status = runner.Run(script, out, err);
      EXPECT_EQ(p.status, 0) << err.str();
      // The script may end before the loop looks at the game again: the
      // program's end keeps the game.
      runner.Recorder().Finish();
      p.replayPath = runner.Recorder().LastPath();
    }
    return p;
  }

  std::filesystem::path dir_;
};

TEST_F(RecordedGameTest, EveryWayOfPlayingPlaysBackTheSame) {
  struct Case {
    const char* what;
    const char* script;
    const char* name;  // code page 1251 as the table keeps it
  };
  const Case cases[] = {
      {"keyboard, left by \"Да\", a typed Russian name",
       "seed 11\nwait 300\nkey Return\nexpect state Game\nwait 2500\nautopilot on\nwait 25000\n"
       "autopilot off\nkey p\nwait 700\nkey p\nwait 1000\nkey Escape\nexpect state ExitGame?\n"
       "key Y\nexpect state EnterName\nkey Backspace\nkey Backspace\nkey Backspace\n"
       "key Backspace\nkey Backspace\nkey Backspace\nkey Backspace\nkey Backspace\n"
       "key Backspace\nkey Backspace\nkey Backspace\nkey Backspace\ntype Иван\nkey Return\n"
       "expect state HiScores\n",
       "\xc8\xe2\xe0\xed"},
      {"gamepad stick, mouse and focus changes, ended by the desktop",
       "seed 3\nwait 200\npad a\nwait 2500\nautopilot pad\nwait 9000\nmove 400 300\n"
       "click 100 100\nfocus lost\nwait 500\nfocus gained\nwait 200\nkey p\nwait 8000\n"
       "terminate\nexpect ended 1\n",
       ""},
      {"the gamepad unplugged in play, paused, resumed by the keyboard",
       "seed 5\nwait 200\npad a\nwait 2500\nautopilot pad\nwait 8000\nautopilot off\n"
       "pad lost\nwait 1500\nkey p\nautopilot on\nwait 8000\nterminate\nexpect ended 1\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Played played = Play(c.script);
    ASSERT_FALSE(played.replayPath.empty());
    const ReplayFile replay = ReadReplayFile(played.replayPath);
    EXPECT_EQ(replay.Result.Score, played.score);
    EXPECT_EQ(replay.Result.Level, played.level);
    EXPECT_EQ(replay.Result.Name, c.name);
    EXPECT_GT(replay.Result.Score, 0u) << "the autopilot caught nothing: a weak test";
    EXPECT_GT(replay.Result.Frames, 1000u);
    EXPECT_NE(played.trail, kFnvOffset) << "no picture was seen while recording";

    const ReplayOutcome again = RunReplay(replay, AppDir(), true);
    EXPECT_TRUE(again.Ended);
    EXPECT_EQ(again.Score, replay.Result.Score);
    EXPECT_EQ(again.Level, replay.Result.Level);
    EXPECT_EQ(again.Frames, replay.Result.Frames);
    EXPECT_EQ(again.FrameTrail, played.trail) << "the replay showed other pictures";
    EXPECT_TRUE(again.Matches(replay.Result));
    // Checked without drawing a single frame, as the world table proves a
    // score: the same end.
    EXPECT_TRUE(RunReplay(replay, AppDir(), false).Matches(replay.Result));
  }
}

TEST_F(RecordedGameTest, AnEditedScoreOrInputDoesNotMatch) {
  const Played played = Play(
      "seed 5\nwait 300\nkey Return\nwait 2500\nautopilot on\nwait 12000\nautopilot off\n"
      "key Escape\nkey Y\nexpect state EnterName\nkey Return\n");
  ASSERT_FALSE(played.replayPath.empty());
  const ReplayFile replay = ReadReplayFile(played.replayPath);
  const ReplayOutcome first = RunReplay(replay, AppDir(), false);
  ASSERT_TRUE(first.Matches(replay.Result))
      << first.Score << " " << first.Level << " " << first.Frames << " " << first.Ended << " vs "
      << replay.Result.Score << " " << replay.Result.Level << " " << replay.Result.Frames;

  ReplayFile forged = replay;
  forged.Result.Score += 1000;
  EXPECT_FALSE(RunReplay(forged, AppDir(), false).Matches(forged.Result));

  // Another generator state is another game: the same keys catch other fish
  // (or the log stops fitting the game, which is refused).
  ReplayFile reseeded = replay;
  reseeded.Start.RngState ^= 0x5555;
  try {
    EXPECT_FALSE(RunReplay(reseeded, AppDir(), false).Matches(reseeded.Result));
  } catch (const ReplayError&) {
  }

  // A log cut short ends while play is still on.
  ReplayFile cut = replay;
  cut.Input.resize(cut.Input.size() / 2);
  try {
    EXPECT_FALSE(RunReplay(cut, AppDir(), false).Matches(cut.Result));
  } catch (const ReplayError&) {
  }
}

}  // namespace
}  // namespace klv
