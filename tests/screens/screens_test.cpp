// The screens' sprites, the click gate and every item's action.

#include "screens/screens.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "screens/ask.h"
#include "screens/fon_b.h"
#include "screens/hlp.h"
#include "support/game_fixture.h"

namespace klv {
namespace {

using ScreensTest = test::GameFixture;

// Middle of main-menu item k's spot.
int ItemY(int k) {
  const int tops[] = {228, 272, 322, 370, 419, 468};
  return tops[k - 1] + test::kButtonH / 2;
}

TEST_F(ScreensTest, MenuIsBuiltWithItemOneLit) {
  EXPECT_EQ(G().GameState, Screen::Menu);
  const int ys[] = {226, 272, 322, 370, 419, 468};
  for (int k = 1; k <= 6; ++k) {
    ASSERT_NE(S().MenuButtons[k], nullptr);
    EXPECT_EQ(S().MenuButtons[k]->X, 261);
    EXPECT_EQ(S().MenuButtons[k]->Y, ys[k - 1]);
    EXPECT_EQ(S().MenuButtons[k]->Lit, k == 1);
  }
  EXPECT_TRUE(S().ClickGateArmed);
}

// A click acts only on a lit spot while the gate is armed.
TEST_F(ScreensTest, ClickGate) {
  Click(700, 100);
  EXPECT_EQ(G().GameState, Screen::Menu);
  Click(300, ItemY(4));
  EXPECT_EQ(G().GameState, Screen::Help);
  // The right button acts as a click outside play.
  Move(60, 515);
  game_->OnMouseButton(MouseButton::Right, true, 60, 515);
  game_->OnMouseButton(MouseButton::Right, false, 60, 515);
  EXPECT_EQ(G().GameState, Screen::Menu);
  EXPECT_EQ(S().MenuPos, 4);
}

// Every sub-screen returns to the menu with the item that opened it lit.
TEST_F(ScreensTest, SubScreensRememberTheMenuItem) {
  struct Case {
    int item;
    Screen state;
    int backX, backY;
  };
  const Case cases[] = {
      {2, Screen::Options, 60, 475}, {3, Screen::HiScores, 60, 515}, {4, Screen::Help, 60, 515}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.state));
    Click(300, ItemY(c.item));
    ASSERT_EQ(G().GameState, c.state);
    Frames(1);
    Click(c.backX, c.backY);
    Frames(1);
    EXPECT_EQ(G().GameState, Screen::Menu);
    EXPECT_EQ(S().MenuPos, c.item);
    EXPECT_TRUE(ButtonLit(c.item));
    EXPECT_EQ(S().BackButton, nullptr);
    EXPECT_EQ(S().Panel, nullptr);
    EXPECT_EQ(S().HelpPicture, nullptr);
  }
}

TEST_F(ScreensTest, PanelsAndTheirPlaces) {
  S().Show(Screen::Options);
  EXPECT_EQ(S().Panel->X, 33);
  EXPECT_EQ(S().Panel->Y, 128);
  EXPECT_EQ(S().Panel->Depth(), -5);
  S().Show(Screen::Menu);
  S().Show(Screen::HiScores);
  EXPECT_EQ(S().Panel->X, 33);
  EXPECT_EQ(S().Panel->Y, 129);
  S().Show(Screen::Menu);
  S().Show(Screen::Help);
  EXPECT_EQ(S().Panel->X, 32);
  EXPECT_EQ(S().Panel->Y, 128);
  EXPECT_EQ(S().HelpPicture->X, 34);
  EXPECT_EQ(S().HelpPicture->Y, 174);
}

TEST_F(ScreensTest, HelpPagesCycleBothWays) {
  S().Show(Screen::Help);
  ASSERT_EQ(Cfg().HelpPages, 4);
  EXPECT_EQ(S().HelpPage, 1);
  const int prevX = 100, nextX = 550, y = 473;
  const int expectPrev[] = {4, 3, 2, 1, 4};
  for (int want : expectPrev) {
    Click(prevX, y);
    EXPECT_EQ(S().HelpPage, want);
    EXPECT_EQ(S().HelpPicture->Image, G().MenuImgs.TryFindByName("Hlp" + std::to_string(want)));
  }
  const int expectNext[] = {1, 2, 3, 4, 1};
  for (int want : expectNext) {
    Click(nextX, y);
    EXPECT_EQ(S().HelpPage, want);
  }
  Frames(1);
  EXPECT_EQ(G().GameState, Screen::Help);
}

// A page count the pictures do not cover, or none, never fails.
TEST_F(ScreensTest, HelpPageCountFromADamagedFile) {
  Cfg().HelpPages = 0;
  S().Show(Screen::Help);
  Click(100, 473);
  EXPECT_EQ(S().HelpPage, 1);
  Cfg().HelpPages = 9;
  Click(100, 473);
  EXPECT_EQ(S().HelpPage, 9);
  EXPECT_EQ(S().HelpPicture->Image, nullptr);
  Frames(2);
}

TEST_F(ScreensTest, ClearTableAtOnceWithoutSaving) {
  S().Show(Screen::HiScores);
  const auto before = std::filesystem::last_write_time(ConfigFile());
  const auto sizeBefore = std::filesystem::file_size(ConfigFile());
  Click(100, 475);
  EXPECT_EQ(G().GameState, Screen::HiScores);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Cfg().Scores[i].Score.Value(), uint32_t(10000 - 1000 * i));
    EXPECT_EQ(Cfg().Scores[i].Name, ScoreTable::DefaultName());
  }
  Config saved;
  LoadConfig(dir_.string(), saved);
  EXPECT_EQ(saved.Scores[0].Score.Value(), 1000u);
  EXPECT_EQ(std::filesystem::last_write_time(ConfigFile()), before);
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), sizeBefore);
}

TEST_F(ScreensTest, WorldTableAndMoreGamesOpenThroughTheShell) {
  S().Show(Screen::HiScores);
  Click(500, 475);
  ASSERT_EQ(platform_->opened.size(), 1u);
  EXPECT_NE(platform_->opened[0].find("/cgi/version.pl?prg=Marlowfin&show&type=0"),
            std::string::npos);
  Key(vk::Escape);
  // "Visit" opens moregames.url from the current folder, only when it exists.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  Click(300, ItemY(5));
  EXPECT_EQ(platform_->opened.size(), 1u);
  std::ofstream("moregames.url") << "[InternetShortcut]\n";
  Click(300, ItemY(5));
  std::filesystem::current_path(cwd);
  ASSERT_EQ(platform_->opened.size(), 2u);
  EXPECT_NE(platform_->opened[1].find("moregames.url"), std::string::npos);
  EXPECT_EQ(G().GameState, Screen::Menu);
}

TEST_F(ScreensTest, OptionsClicksChangeTheSettingsAndBackSaves) {
  Click(300, ItemY(2));
  ASSERT_EQ(G().GameState, Screen::Options);
  Frames(1);
  EXPECT_TRUE(ButtonLit(1));   // Win
  EXPECT_FALSE(ButtonLit(2));  // Full
  Click(410, 334);             // sound off
  EXPECT_FALSE(Cfg().Sound);
  EXPECT_EQ(S().MenuPos, 3);
  Click(410, 286);  // music off
  EXPECT_FALSE(Cfg().Music);
  Click(500, 238);  // full screen
  EXPECT_FALSE(Cfg().Windowed);
  EXPECT_TRUE(platform_->Fullscreen());
  Click(350, 238);  // window
  EXPECT_TRUE(Cfg().Windowed);
  Frames(1);
  EXPECT_TRUE(ButtonLit(1));
  EXPECT_TRUE(ButtonLit(4));  // music off
  EXPECT_TRUE(ButtonLit(6));  // sound off
  EXPECT_FALSE(ButtonLit(3));
  // The text field: typed characters up to ten, signs below "0" and "|" ignored.
  Click(400, 380);
  EXPECT_EQ(S().MenuPos, 4);
  EXPECT_TRUE(S().EditAddText);
  Type("hello, world|12345ЁЯ");
  EXPECT_EQ(Cp1251ToUtf8(Cfg().AddText), "helloworld");
  Key(vk::Back);
  Key(vk::Back);
  Type("Ё");
  EXPECT_EQ(Cp1251ToUtf8(Cfg().AddText), "helloworЁ");
  // Down keeps typing; Up ends it.
  Key(vk::Down);
  EXPECT_TRUE(S().EditAddText);
  Type("qz");
  Key(vk::Up);
  EXPECT_FALSE(S().EditAddText);
  Type("r");
  Key(vk::Back);
  EXPECT_EQ(Cp1251ToUtf8(Cfg().AddText), "helloworЁq");
  Click(90, 475);  // back: saves, then the menu
  EXPECT_EQ(G().GameState, Screen::Menu);
  Config saved;
  LoadConfig(dir_.string(), saved);
  EXPECT_FALSE(saved.Music);
  EXPECT_FALSE(saved.Sound);
  EXPECT_TRUE(saved.Windowed);
  EXPECT_EQ(Cp1251ToUtf8(saved.AddText), "helloworЁq");
}

// Enter on the back row leaves without saving (the next save writes it).
TEST_F(ScreensTest, OptionsEnterLeavesWithoutSaving) {
  S().Show(Screen::Options);
  Click(410, 334);  // sound off, not saved by itself
  Key(vk::Down);
  Key(vk::Down);
  ASSERT_EQ(S().MenuPos, 5);
  Key(vk::Return);
  EXPECT_EQ(G().GameState, Screen::Menu);
  Config saved;
  LoadConfig(dir_.string(), saved);
  EXPECT_TRUE(saved.Sound);
}

TEST_F(ScreensTest, EnterOnTheTextRowTogglesEditing) {
  S().Show(Screen::Options);
  Key(vk::Up);
  ASSERT_EQ(S().MenuPos, 4);
  Key(vk::Return);
  EXPECT_TRUE(S().EditAddText);
  Type("ab");
  Key(vk::Space);
  EXPECT_FALSE(S().EditAddText);
  Type("c");
  EXPECT_EQ(Cfg().AddText, "ab");
  // The blinking bar follows the text while editing.
  Key(vk::Return);
  Frames(40);
}

TEST_F(ScreensTest, ExitQuestionByClick) {
  Click(300, ItemY(6));
  ASSERT_EQ(G().GameState, Screen::ExitQuestion);
  ASSERT_NE(S().AskBox, nullptr);
  EXPECT_EQ(S().AskBox->X, 220);
  EXPECT_EQ(S().AskBox->Y, 120);
  EXPECT_EQ(S().AskBox->Depth(), 5);
  Move(450, 265);
  EXPECT_EQ(S().MenuPos, 2);
  Click(450, 265);
  EXPECT_EQ(G().GameState, Screen::Menu);
  EXPECT_EQ(S().MenuPos, 1);
  EXPECT_EQ(S().AskBox, nullptr);
  Click(300, ItemY(6));
  Click(350, 265);
  EXPECT_TRUE(G().Terminated());
}

TEST_F(ScreensTest, YesEndsTheProgramEvenWhenTheSaveFails) {
  // The settings folder has gone: the save fails with the system's reason in
  // a box, and the player still leaves.
  G().ConfigDir = "/nonexistent-klevaria-folder/";
  Click(300, ItemY(6));
  ASSERT_EQ(G().GameState, Screen::ExitQuestion);
  const size_t boxes = Platform().messages.size();
  Click(350, 265);
  EXPECT_TRUE(G().Terminated());
  ASSERT_EQ(Platform().messages.size(), boxes + 1);
  // In the player's language, as every box.
  EXPECT_NE(Platform().messages.back().find("нет такого файла или папки"), std::string::npos)
      << Platform().messages.back();
}

// The game started again on the fixture's folder, with its own platform so
// the boxes of its start-up can be counted.
struct Restart {
  HeadlessPlatform platform{std::make_unique<HeadlessAudioOut>()};
  std::unique_ptr<Game> game;
  explicit Restart(const GamePaths& paths) {
    game = std::make_unique<Game>(platform, paths, 7);
    game->FormCreate();
  }
  ~Restart() { game.reset(); }
};

TEST_F(ScreensTest, ADamagedSettingsFileIsKeptAndReportedInOneBox) {
  const std::string file = ConfigFile();
  { std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(100, 'x'); }
  GamePaths paths;
  paths.AppDir = dir_.string() + "/";
  Restart again(paths);
  // One box about the settings (the tiny game data has no music: that is another).
  std::vector<std::string> aboutSettings;
  for (const std::string& m : again.platform.messages)
    if (m.find("Config.cfg") != std::string::npos) aboutSettings.push_back(m);
  ASSERT_EQ(aboutSettings.size(), 1u);
  EXPECT_NE(aboutSettings[0].find(file + ".bad"), std::string::npos) << aboutSettings[0];
  EXPECT_EQ(std::filesystem::file_size(file + ".bad"), 100u);
  EXPECT_EQ(std::filesystem::file_size(file), 240u);
  EXPECT_EQ(again.game->Cfg->Scores[0].Score.Value(), 1000u);
}

TEST_F(ScreensTest, APlayersOwnSettingsFolderStartsFromTheGameFolders) {
  Cfg().AddText = "carried";
  Cfg().Scores[0] = {"Top", Score::Plain(123456)};
  ASSERT_TRUE(G().SaveSettings());
  GamePaths paths;
  paths.AppDir = dir_.string() + "/";
  paths.ConfigDir = (dir_ / "player").string() + "/";
  std::filesystem::create_directory(dir_ / "player");
  Restart again(paths);
  for (const std::string& m : again.platform.messages)
    EXPECT_EQ(m.find("Config.cfg"), std::string::npos) << m;
  EXPECT_EQ(again.game->Cfg->AddText, "carried");
  EXPECT_EQ(again.game->Cfg->Scores[0].Name, "Top");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "player" / "Config.cfg"));
}

TEST_F(ScreensTest, CloseRequestFromHelpAsksOverTheMenu) {
  S().Show(Screen::Help);
  game_->OnCloseRequest();
  EXPECT_EQ(G().GameState, Screen::ExitQuestion);
  EXPECT_EQ(S().Panel, nullptr);
  EXPECT_NE(S().MenuButtons[6], nullptr);
  ASSERT_NE(S().AskBox, nullptr);
  EXPECT_EQ(S().AskBox->X, 220);
  game_->OnCloseRequest();  // a second request changes nothing
  Frames(1);
  EXPECT_EQ(G().GameState, Screen::ExitQuestion);
}

// A click during "GameOver2" ends the game at once.
TEST_F(ScreensTest, ClickEndsGameOver2) {
  S().MenuPos = 1;
  Key(vk::Return);
  Wait(2500);
  G().Round1->RoundClock = 0;
  Wait(2100);
  ASSERT_EQ(G().GameState, Screen::GameOver2);
  Click(10, 10);
  EXPECT_EQ(G().GameState, Screen::Menu);
  EXPECT_FALSE(G().Timer3.Enabled());
}

}  // namespace
}  // namespace klv
