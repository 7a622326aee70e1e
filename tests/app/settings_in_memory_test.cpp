// A game whose settings have no folder to live in: it says so once, in
// Russian, plays on with them in memory and writes no file anywhere.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "support/game_fixture.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

class SettingsInMemoryTest : public test::GameFixture {
 protected:
  // Every file and folder under the game folder, with its size.
  std::set<std::string> Listing() const {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir_))
      out.insert(e.path().string() +
                 (e.is_regular_file() ? " " + std::to_string(e.file_size()) : "/"));
    return out;
  }
  void BootInMemory(const std::string& unusable, int error, bool withRecord) {
    Shutdown();
    Boot(7, [&](GamePaths& paths) {
      paths.SettingsInMemory = true;
      paths.UnusableDir = unusable;
      paths.UnusableError = error;
      if (withRecord) {
        Config c;
        SetDefaults(c);
        c.AddText = "kept";
        c.Scores.Clear("Kept");
        ASSERT_TRUE(SaveConfig(paths.AppDir, c).Ok());
      }
    });
  }
};

TEST_F(SettingsInMemoryTest, SaysOnceWhyAndWhereInRussian) {
  const std::string tail = ".\nИграть можно, но после выхода из игры они забудутся.";
  struct Case {
    std::string unusable;
    int error;
    std::string want;
  };
  const Case cases[] = {
      {"/nonexistent/.local/share/Klevaria/klevaria", ENOENT,
       "Настройки и таблица рекордов не будут сохранены: папка "
       "/nonexistent/.local/share/Klevaria/klevaria недоступна (нет такого файла или папки)" +
           tail},
      {"/home/p/.local/share/Klevaria/klevaria", EACCES,
       "Настройки и таблица рекордов не будут сохранены: папка "
       "/home/p/.local/share/Klevaria/klevaria недоступна (нет доступа)" +
           tail},
      {"", ENOENT,
       "Настройки и таблица рекордов не будут сохранены: не найдена домашняя папка" + tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    BootInMemory(c.unusable, c.error, false);
    ASSERT_EQ(G().GameState, Screen::Menu);
    // The first box, and the only one but the tiny game data's missing music.
    ASSERT_FALSE(Platform().messages.empty());
    EXPECT_EQ(Platform().messages[0], c.want);
    for (size_t i = 1; i < Platform().messages.size(); ++i)
      EXPECT_EQ(Platform().messages[i].rfind("Can't load music.", 0), 0u) << Platform().messages[i];
    // The defaults, as for a first start.
    EXPECT_EQ(Cfg().AddText, "");
    EXPECT_EQ(Cfg().Scores[0].Score.Value(), 1000u);
  }
}

TEST_F(SettingsInMemoryTest, NothingIsWrittenAndNothingMoreIsSaid) {
  for (bool withRecord : {false, true}) {
    SCOPED_TRACE(withRecord ? "the game folder holds a record" : "no record");
    BootInMemory("/nonexistent/x", ENOENT, withRecord);
    // A record in the game folder is where the settings start; it is only read.
    EXPECT_EQ(Cfg().AddText, withRecord ? "kept" : "");
    EXPECT_EQ(Cfg().Scores[0].Name, withRecord ? "Kept" : ScoreTable::DefaultName());
    const std::set<std::string> before = Listing();
    const size_t boxes = Platform().messages.size();
    EXPECT_EQ(before.count(ConfigFile() + " 240"), withRecord ? 1u : 0u);

    // Every way the game saves: the options, a window mode, a new score, the
    // end of the session.
    Cfg().Sound = false;
    EXPECT_TRUE(G().SaveSettings());
    Cfg().Windowed = !Cfg().Windowed;
    G().ApplyWindowMode();
    Cfg().Scores[9].Score = Score::Plain(5);
    G().OnEndSession();
    EXPECT_TRUE(G().Terminated());

    EXPECT_EQ(Listing(), before);
    // Nor anywhere else: not in the current folder either.
    EXPECT_FALSE(fs::exists("Config.cfg"));
    EXPECT_FALSE(fs::exists("Config.cfg.tmp"));
    EXPECT_FALSE(fs::exists("replays"));
    EXPECT_EQ(Platform().messages.size(), boxes);
    EXPECT_FALSE(Cfg().Sound);  // kept in memory all the same
  }
}

}  // namespace
}  // namespace klv
