// The key-release table: arrows, Escape, Y and N, Enter and Space per screen,
// KeySum and the credit line, pause, the frame interval, window mode.

#include <gtest/gtest.h>

#include <string>

#include "support/game_fixture.h"

namespace klv {
namespace {

using Keys = test::GameFixture;

enum class From { Menu, Options, HiScores, Help, Exit, Game, ExitGame };

class KeyTable : public test::GameFixture {
 protected:
  // Brings the game to a screen the way a player would, from the menu with
  // item `menuPos` selected, then selects `pos` on that screen.
  void Reach(From from, int menuPos, int pos) {
    S().MenuPos = static_cast<uint8_t>(menuPos);
    switch (from) {
      case From::Menu:
        break;
      case From::Options:
        S().Show(Screen::Options);
        break;
      case From::HiScores:
        S().Show(Screen::HiScores);
        break;
      case From::Help:
        S().Show(Screen::Help);
        break;
      case From::Exit:
        Key(vk::Escape);
        break;
      case From::Game:
      case From::ExitGame:
        S().MenuPos = 1;
        Key(vk::Return);
        Wait(2500);  // the hold before the first level's clock
        if (from == From::ExitGame) Key(vk::Escape);
        break;
    }
    Frames(1);
    if (pos) S().MenuPos = static_cast<uint8_t>(pos);
  }
};

TEST_F(KeyTable, EachKeyOnEachScreen) {
  struct Case {
    From from;
    int menuPos;  // main-menu item selected before the screen was opened
    int pos;      // MenuPos on the screen before the key (0: as opened)
    int key;
    Screen state;
    int wantPos;
  };
  const int Y = 'Y', N = 'N';
  const Case cases[] = {
      // Main menu: arrows wrap over six items; Left and Right act as Up and Down.
      {From::Menu, 1, 0, vk::Up, Screen::Menu, 6},
      {From::Menu, 1, 0, vk::Left, Screen::Menu, 6},
      {From::Menu, 1, 0, vk::Down, Screen::Menu, 2},
      {From::Menu, 6, 0, vk::Right, Screen::Menu, 1},
      {From::Menu, 4, 0, vk::Escape, Screen::ExitQuestion, 1},
      {From::Menu, 2, 0, vk::Return, Screen::Options, 5},
      {From::Menu, 3, 0, vk::Space, Screen::HiScores, 3},
      {From::Menu, 4, 0, vk::Return, Screen::Help, 3},
      {From::Menu, 6, 0, vk::Return, Screen::ExitQuestion, 1},
      {From::Menu, 5, 0, Y, Screen::Menu, 5},  // Y and N mean nothing outside a question
      // Options: five rows; Enter on the back row leaves; Escape goes back.
      {From::Options, 2, 0, vk::Up, Screen::Options, 4},
      {From::Options, 2, 0, vk::Down, Screen::Options, 1},
      {From::Options, 2, 1, vk::Up, Screen::Options, 5},
      {From::Options, 2, 0, vk::Return, Screen::Menu, 2},
      {From::Options, 2, 2, vk::Return, Screen::Options, 2},
      {From::Options, 2, 3, vk::Escape, Screen::Menu, 2},
      // High scores and help: three items.
      {From::HiScores, 3, 0, vk::Down, Screen::HiScores, 1},
      {From::HiScores, 3, 0, vk::Up, Screen::HiScores, 2},
      {From::HiScores, 3, 0, vk::Return, Screen::Menu, 3},
      {From::HiScores, 3, 1, vk::Escape, Screen::Menu, 3},
      {From::Help, 4, 0, vk::Space, Screen::Menu, 4},
      {From::Help, 4, 2, vk::Escape, Screen::Menu, 4},
      {From::Help, 4, 1, vk::Return, Screen::Help, 1},
      // "Exit?": arrows swap the answers; N and Escape say no and select item 1.
      {From::Exit, 4, 1, vk::Down, Screen::ExitQuestion, 2},
      {From::Exit, 4, 1, vk::Up, Screen::ExitQuestion, 2},
      {From::Exit, 4, 2, vk::Left, Screen::ExitQuestion, 1},
      {From::Exit, 4, 1, N, Screen::Menu, 1},
      {From::Exit, 4, 1, vk::Escape, Screen::Menu, 1},
      {From::Exit, 4, 2, vk::Return, Screen::Menu, 1},
      {From::Exit, 4, 2, Y, Screen::Menu, 1},  // Y takes the selected answer, here "Нет"
      // Play: Escape asks; the question's answers.
      {From::Game, 1, 0, vk::Escape, Screen::ExitGameQuestion, 1},
      {From::Game, 1, 0, vk::Left, Screen::Game, 1},
      {From::ExitGame, 1, 0, vk::Escape, Screen::Game, 1},
      {From::ExitGame, 1, 0, N, Screen::Game, 1},
      {From::ExitGame, 1, 0, vk::Down, Screen::ExitGameQuestion, 2},
      {From::ExitGame, 1, 2, Y, Screen::Game, 2},
      {From::ExitGame, 1, 1, Y, Screen::Menu, 1},  // a score of 0 does not enter the table
      {From::ExitGame, 1, 1, vk::Space, Screen::Menu, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(n++));
    TearDown();
    SetUp();
    Reach(c.from, c.menuPos, c.pos);
    Key(c.key);
    Frames(1);
    EXPECT_EQ(G().GameState, c.state);
    EXPECT_EQ(S().MenuPos, c.wantPos);
    EXPECT_FALSE(G().Terminated());
  }
}

TEST_F(KeyTable, YesToExitSavesAndEnds) {
  Reach(From::Exit, 1, 0);
  Cfg().AddText = "abc";
  Key('Y');
  EXPECT_TRUE(G().Terminated());
  Config saved;
  LoadConfig(dir_.string(), saved);
  EXPECT_EQ(saved.AddText, "abc");
}

TEST_F(KeyTable, AnsweringNoToExitAlwaysSelectsItemOne) {
  Reach(From::Menu, 4, 0);
  Key(vk::Escape);
  Key(vk::Down);
  Key(vk::Return);
  EXPECT_EQ(G().GameState, Screen::Menu);
  EXPECT_EQ(S().MenuPos, 1);
  EXPECT_TRUE(ButtonLit(1));
  for (int k = 2; k <= 6; ++k) EXPECT_FALSE(ButtonLit(k)) << k;
  EXPECT_EQ(S().AskBox, nullptr);
}

TEST_F(KeyTable, ArrowsFollowTheLitButton) {
  Key(vk::Down);
  Key(vk::Down);
  EXPECT_TRUE(ButtonLit(3));
  EXPECT_FALSE(ButtonLit(1));
  S().Show(Screen::Options);
  EXPECT_TRUE(S().BackButton->Lit);
  Key(vk::Up);
  EXPECT_FALSE(S().BackButton->Lit);
  Key(vk::Down);
  EXPECT_TRUE(S().BackButton->Lit);
}

TEST_F(KeyTable, PauseEscapeAndTheRoundClock) {
  Reach(From::Game, 1, 0);
  ASSERT_EQ(G().GameState, Screen::Game);
  ASSERT_TRUE(G().Hold1.Clock().Enabled());
  Key('P');
  EXPECT_TRUE(G().Hold1.Paused());
  EXPECT_TRUE(G().Hold1.HoldTimer().Enabled());
  EXPECT_FALSE(G().Hold1.Clock().Enabled());
  // Escape while paused resumes play instead of asking.
  Key(vk::Escape);
  EXPECT_EQ(G().GameState, Screen::Game);
  EXPECT_FALSE(G().Hold1.Paused());
  EXPECT_TRUE(G().Hold1.Clock().Enabled());
  EXPECT_FALSE(G().Hold1.HoldTimer().Enabled());
  Key(vk::Pause);
  EXPECT_TRUE(G().Hold1.Paused());
  Key(vk::Pause);
  EXPECT_FALSE(G().Hold1.Paused());
  EXPECT_TRUE(G().Hold1.Clock().Enabled());
  // P means nothing on the menu.
  TearDown();
  SetUp();
  Key('P');
  EXPECT_FALSE(G().Hold1.Paused());
  EXPECT_FALSE(G().Hold1.HoldTimer().Enabled());
}

// Keys released while the time bonus is counted do nothing at all, not even
// add to KeySum.
TEST_F(KeyTable, KeysAreIgnoredDuringTheTimeBonus) {
  Reach(From::Game, 1, 0);
  G().Hold1.HoldForBonus();
  S().KeySum = 0;
  Key(vk::Escape);
  Key('P');
  EXPECT_EQ(G().GameState, Screen::Game);
  EXPECT_FALSE(G().Hold1.Paused());
  EXPECT_EQ(S().KeySum, 0u);
}

TEST_F(Keys, FrameIntervalKeysStopAtFour) {
  ASSERT_EQ(G().FrameTimer1.Interval(), 16);
  Key(vk::Subtract);
  EXPECT_EQ(G().FrameTimer1.Interval(), 17);
  for (int i = 0; i < 40; ++i) Key(vk::Add);
  EXPECT_EQ(G().FrameTimer1.Interval(), 4);
  Key(vk::Subtract);
  EXPECT_EQ(G().FrameTimer1.Interval(), 5);
}

TEST_F(Keys, AltEnterTogglesTheWindowModeAndSaves) {
  ASSERT_TRUE(Cfg().Windowed);
  Key(vk::Return, KeyMods{false, true, false});
  EXPECT_FALSE(Cfg().Windowed);
  EXPECT_TRUE(platform_->Fullscreen());
  EXPECT_EQ(G().GameState, Screen::Menu);  // Enter with Alt activates nothing
  Config saved;
  LoadConfig(dir_.string(), saved);
  EXPECT_FALSE(saved.Windowed);
  Key(vk::Return, KeyMods{false, true, false});
  EXPECT_TRUE(Cfg().Windowed);
  EXPECT_FALSE(platform_->Fullscreen());
}

TEST_F(Keys, F11Minimizes) {
  Key(vk::F11);
  EXPECT_EQ(platform_->minimizeCount, 1);
}

// 'K'+'L'+'E'+'V'+'A'+'R'+'I'+'A'+'D' = 659.
bool CreditShown(const Surface& frame) {
  for (int y = 0; y < 24; ++y)
    for (int x = 10; x < 400; ++x) {
      uint32_t p = frame.Pixels()[size_t(y) * frame.Width() + x];
      uint8_t r = p >> 16, g = p >> 8, b = p;
      if (r > 200 && g > 150 && b < 80) return true;
    }
  return false;
}

TEST_F(Keys, KeySumShowsTheCreditAt659) {
  for (char c : std::string("KLEVARIAD")) Key(c);
  EXPECT_EQ(S().KeySum, 659u);
  Frames(1);
  EXPECT_TRUE(CreditShown(platform_->LastFrame()));
  Key('A');
  Frames(1);
  EXPECT_EQ(S().KeySum, 724u);
  EXPECT_FALSE(CreditShown(platform_->LastFrame()));
  // A click clears the sum, whether or not it acts.
  Click(700, 50);
  EXPECT_EQ(S().KeySum, 0u);
  // Arrow keys count as Up and Down: Left (37) is summed as Up (38).
  Key(vk::Left);
  EXPECT_EQ(S().KeySum, 38u);
  // Showing the menu clears it too.
  S().Show(Screen::Help);
  Key(vk::Escape);
  EXPECT_EQ(S().KeySum, 0u);
}

}  // namespace
}  // namespace klv
