// The local table keeps the replay of each of its games: a game entering the
// table keeps its replay, a game pushed out of it loses it, clearing the table
// removes them all, and a damaged or missing replay is refused without
// touching Config.cfg or the table. Watching a replay changes nothing either.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/game_recorder.h"
#include "app/script_runner.h"
#include "platform/headless_platform.h"
#include "replay/replay_file.h"
#include "replay/replay_shelf.h"
#include "settings/config.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

std::vector<char> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TableReplaysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = fs::temp_directory_path() / ("klv-table-replays-" + std::to_string(names()));
    fs::create_directories(dir_);
    for (const char* sub : {"Data", "Sound"})
      fs::create_directory_symlink(fs::path(KLV_GAME_DIR) / sub, dir_ / sub);
    ScriptOptions options;
    options.appDir = dir_.string();
    options.noScoreService = true;
    runner_ = std::make_unique<ScriptRunner>(options);
  }
  void TearDown() override {
    runner_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void Run(const std::string& lines) {
    size_t at = 0;
    while (at < lines.size()) {
      size_t end = lines.find('\n', at);
      if (end == std::string::npos) end = lines.size();
      const std::string line = lines.substr(at, end - at);
      try {
        runner_->Execute(line);
      } catch (const std::exception& e) {
        FAIL() << line << ": " << e.what();
      }
      at = end + 1;
    }
  }
  // A game that ends with `score`, its name typed into the table.
  void PlayIntoTable(const std::string& name, int score) {
    Run("key Return\nwait 2600\nset score " + std::to_string(score) +
        "\nkey Escape\nkey Y\nexpect state EnterName\n");
    // The name entry starts with the name typed last.
    for (int i = 0; i < 12; ++i) Run("key Backspace");
    Run("type " + name + "\nkey Return\nexpect state HiScores\nwait 100\n");
  }
  std::string Rows() {
    std::string rows;
    for (const std::string& p : runner_->TheGame().RowReplays) rows += p.empty() ? '0' : '1';
    return rows;
  }
  int TableFiles() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir_ / "replays"))
      n += e.path().filename().string().rfind("table-", 0) == 0;
    return n;
  }
  // The replays by the name they recorded.
  std::vector<std::string> RecordedNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_ / "replays"))
      if (e.path().filename().string().rfind("table-", 0) == 0)
        names.push_back(ReadReplayFile(e.path().string()).Result.Name);
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  std::unique_ptr<ScriptRunner> runner_;
};

TEST_F(TableReplaysTest, RowsKeepTheirGamesAndLoseThemWhenPushedOutOrCleared) {
  Run("seed 4\nwait 300");
  PlayIntoTable("A", 5000);
  EXPECT_EQ(Rows(), "1000000000");
  EXPECT_EQ(TableFiles(), 1);
  EXPECT_TRUE(fs::exists(dir_ / "replays" / "last.klr"));
  EXPECT_EQ(runner_->Recorder().LastPath(), runner_->TheGame().RowReplays[0])
      << "the replay of the game just played is the row's";

  // A game below it takes row 2; one above pushes both down.
  Run("key Escape\nkey Up\nkey Up");
  PlayIntoTable("B", 1500);
  Run("key Escape\nkey Up\nkey Up");
  PlayIntoTable("C", 9000);
  EXPECT_EQ(Rows(), "1110000000");
  EXPECT_EQ(RecordedNames(), (std::vector<std::string>{"A", "B", "C"}));

  // Seven more fill the table: the default rows are gone.
  const char* more[] = {"D", "E", "F", "G", "H", "I", "J"};
  int score = 6000;
  for (const char* name : more) {
    Run("key Escape\nkey Up\nkey Up");
    PlayIntoTable(name, score += 10);
  }
  EXPECT_EQ(Rows(), "1111111111");
  EXPECT_EQ(TableFiles(), 10);
  EXPECT_EQ(runner_->TheGame().Cfg->Scores[9].Score.Value(), 1500u);

  // The eleventh pushes out the last row (B, 1500), and its replay with it.
  Run("key Escape\nkey Up\nkey Up");
  PlayIntoTable("K", 7000);
  EXPECT_EQ(Rows(), "1111111111");
  EXPECT_EQ(TableFiles(), 10);
  EXPECT_EQ(RecordedNames(),
            (std::vector<std::string>{"A", "C", "D", "E", "F", "G", "H", "I", "J", "K"}));

  // A game that does not enter the table is only the last game.
  Run("key Escape\nkey Up\nkey Up\nkey Return\nwait 2600\nkey Escape\nkey Y\nwait 100\n"
      "expect state Menu\nkey Down\nkey Down\nkey Return\nexpect state HiScores");
  EXPECT_EQ(TableFiles(), 10);
  EXPECT_EQ(ReadReplayFile((dir_ / "replays" / "last.klr").string()).Result.Score, 0u);

  // Clearing the table removes every row's replay; the last game stays.
  Run("click 130 474\nexpect table 10 Ваня 1000");
  EXPECT_EQ(Rows(), "0000000000");
  EXPECT_EQ(TableFiles(), 0);
  EXPECT_TRUE(fs::exists(dir_ / "replays" / "last.klr"));
}

// A game stopped at its name entry (the program ended there) has no row: it
// is kept as the last game only, and the recorder names that file.
TEST_F(TableReplaysTest, AGameStoppedAtItsNameEntryIsKeptAsTheLastGame) {
  Run("seed 4\nwait 300\nkey Return\nwait 2600\nset score 5000\nkey Escape\nkey Y\n"
      "expect state EnterName\nwait 500\n");
  runner_->Recorder().Finish();
  EXPECT_EQ(TableFiles(), 0);
  EXPECT_EQ(runner_->Recorder().LastPath(), (dir_ / "replays" / "last.klr").string());
  EXPECT_EQ(ReadReplayFile(runner_->Recorder().LastPath()).Result.Score, 5000u);
}

TEST_F(TableReplaysTest, WatchingChangesNothingAndABadReplayIsRefusedWithoutLoss) {
  Run("seed 6\nwait 300\nkey Return\nwait 2600\nautopilot on\nwait 6000\nautopilot off\n"
      "set score 2500\nkey Escape\nkey Y");
  Run("type Петя\nkey Return\nexpect state HiScores\nwait 100");
  Run("key Escape\nkey Up\nkey Up");
  PlayIntoTable("Оля", 2000);
  ASSERT_EQ(Rows(), "1100000000");
  const fs::path cfg = dir_ / "Config.cfg";
  const std::vector<char> saved = Bytes(cfg);
  const Config before = *runner_->TheGame().Cfg;

  // Watched by its number and by a click on its row, paused and sped up,
  // ended by Escape and by a click: the same screen, table and settings.
  Run("expect menupos 3\nkey 1\nexpect watching 1\nwait 2000\nkey p\nexpect watching paused\n"
      "wait 1000\nkey p\nkey f\nexpect watching x4\nwait 1000\nkey Escape\nexpect watching 0\n"
      "expect state HiScores\nexpect menupos 3\n"
      "click 250 244\nexpect watching 1\nwait 500\nclick 700 100\nexpect watching 0\n"
      "key 2\nwait 60000\nexpect watching 0\nexpect state HiScores");
  EXPECT_TRUE(runner_->Platform().messages.empty());
  EXPECT_EQ(Bytes(cfg), saved);
  EXPECT_TRUE(*runner_->TheGame().Cfg == before) << "watching changed the settings or table";
  EXPECT_EQ(TableFiles(), 2) << "a watched replay recorded itself";

  // Row 1's file damaged and row 2's gone while the screen shows their marks.
  const std::string first = runner_->TheGame().RowReplays[0];
  const std::string second = runner_->TheGame().RowReplays[1];
  std::vector<char> bytes = Bytes(first);
  bytes[bytes.size() / 2] ^= 0x40;
  std::ofstream(first, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  fs::remove(second);
  Run("key 1\nexpect watching 0\nexpect state HiScores");
  ASSERT_FALSE(runner_->Platform().messages.empty());
  EXPECT_NE(runner_->Platform().messages.back().find("Не удалось показать повтор"),
            std::string::npos)
      << runner_->Platform().messages.back();
  Run("key 2\nexpect watching 0");
  EXPECT_NE(runner_->Platform().messages.back().find("No such file"), std::string::npos);

  // Seen afresh, neither row has a replay; the table and the file stand.
  Run("key Escape\nkey Return\nexpect state HiScores\nkey 1\nkey 2\nexpect watching 0");
  EXPECT_EQ(Rows(), "0000000000");
  EXPECT_EQ(Bytes(cfg), saved);
  EXPECT_TRUE(*runner_->TheGame().Cfg == before);
  Run("expect table 1 Петя 2500\nexpect table 2 Оля 2000");

  // A hand-made file that passes every check of the file but whose input
  // does not fit the game: refused when played, nothing lost.
  ReplayFile forged = ReadReplayFile((dir_ / "replays" / "last.klr").string());
  forged.Result.Name = "\xcf\xe5\xf2\xff";  // Петя
  forged.Result.Score = 2500;
  forged.Input.assign(64, 0x02);  // key records cut short
  WriteReplayFile(ReplayShelf((dir_ / "replays/").string()).PathOf(1), forged);
  Run("key Escape\nkey Return\nexpect state HiScores");
  EXPECT_EQ(Rows(), "1000000000");
  const size_t boxes = runner_->Platform().messages.size();
  Run("key 1\nwait 500\nexpect watching 0\nexpect state HiScores");
  EXPECT_GT(runner_->Platform().messages.size(), boxes) << "a forged replay played silently";
  EXPECT_EQ(Bytes(cfg), saved);
  EXPECT_TRUE(*runner_->TheGame().Cfg == before);
}

TEST_F(TableReplaysTest, AGameThatStoodStillWhileRecordedIsWatchedAtItsPaceToItsEnd) {
  // About 10 s of play from the start; for 1.5 s of it the window was out of
  // focus, and no pass of the loop ran: one long step in the log.
  Run("seed 5\nwait 300\nkey Return\nwait 2600\nautopilot on\nwait 3000\nfocus lost\n"
      "wait 1500\nfocus gained\nkey p\nwait 3000\nautopilot off\nset score 2500\n"
      "key Escape\nkey Y\nexpect state EnterName\ntype Петя\nkey Return\n"
      "expect state HiScores\nwait 100");
  ASSERT_EQ(Rows(), "1000000000");
  const uint32_t gameMs = ReadReplayFile(runner_->TheGame().RowReplays[0]).Result.GameMs;
  ASSERT_GT(gameMs, 9000u);
  ASSERT_LT(gameMs, 11000u);

  // Watched through the standstill at the pace it was played, and then over
  // by itself, back on the high-score screen; and the same at four times
  // the pace.
  for (const int speed : {1, 4}) {
    SCOPED_TRACE(speed);
    Run(speed == 1 ? "key 1" : "key 1\nkey f");
    Run("wait " + std::to_string((gameMs - 1000) / speed) + "\nexpect watching " +
        (speed == 1 ? "1" : "x4"));
    Run("wait 2000\nexpect watching 0\nexpect state HiScores");
  }
  EXPECT_TRUE(runner_->Platform().messages.empty()) << runner_->Platform().messages.back();
}

}  // namespace
}  // namespace klv
