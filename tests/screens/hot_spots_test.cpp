#include "screens/hot_spots.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/screen_table.h"
#include "support/game_fixture.h"

namespace klv {
namespace {

// A screen's spots, in the order they are tested.
std::vector<HotSpot> Spots(Screen screen) {
  std::vector<HotSpot> spots;
  for (const ScreenButton& b : ScreenOf(screen).Buttons) spots.push_back(b.Spot);
  return spots;
}

const HotSpot* Find(Screen screen, Spot flag) {
  for (const ScreenButton& b : ScreenOf(screen).Buttons)
    if (b.Spot.Flag == flag) return &b.Spot;
  return nullptr;
}

// Each spot's four edges and the first pixels inside them: bounds are
// exclusive, so the edge itself never lights the spot.
TEST(HotSpots, BoundsAreExclusive) {
  struct Case {
    Screen state;
    Spot flag;
    int left, top, right, bottom;
    int menuPos;
  };
  const Case cases[] = {
      {Screen::Options, Spot::Win, 303, 229, 390, 248, 1},
      {Screen::Options, Spot::Full, 448, 229, 590, 248, 1},
      {Screen::Options, Spot::MusicOn, 303, 277, 335, 296, 2},
      {Screen::Options, Spot::MusicOff, 393, 277, 434, 296, 2},
      {Screen::Options, Spot::SoundOn, 303, 325, 335, 344, 3},
      {Screen::Options, Spot::SoundOff, 393, 325, 434, 344, 3},
      {Screen::Options, Spot::TextField, 301, 366, 590, 397, 4},
      {Screen::Options, Spot::OptBack, 42, 464, 145, 488, 5},
      {Screen::HiScores, Spot::Item1, 40, 465, 222, 484, 1},
      {Screen::HiScores, Spot::Item2, 372, 465, 634, 484, 2},
      {Screen::HiScores, Spot::Item3, 41, 505, 145, 529, 3},
      {Screen::Help, Spot::Item1, 40, 465, 200, 482, 1},
      {Screen::Help, Spot::Item2, 501, 465, 620, 482, 2},
      {Screen::Help, Spot::Item3, 41, 505, 145, 529, 3},
      {Screen::ExitQuestion, Spot::Yes, 320, 253, 380, 280, 1},
      {Screen::ExitQuestion, Spot::No, 430, 253, 483, 280, 2},
      {Screen::ExitGameQuestion, Spot::Yes, 320, 253, 380, 280, 1},
      {Screen::ExitGameQuestion, Spot::No, 430, 253, 483, 280, 2},
      {Screen::EnterName, Spot::Check, 376, 378, 399, 401, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.state) + " spot " + std::to_string(int(c.flag)));
    const HotSpot* s = Find(c.state, c.flag);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->MenuPos, c.menuPos);
    const int midX = (c.left + c.right) / 2, midY = (c.top + c.bottom) / 2;
    EXPECT_TRUE(SpotContains(*s, midX, midY));
    EXPECT_TRUE(SpotContains(*s, c.left + 1, c.top + 1));
    EXPECT_TRUE(SpotContains(*s, c.right - 1, c.bottom - 1));
    EXPECT_FALSE(SpotContains(*s, c.left, midY));
    EXPECT_FALSE(SpotContains(*s, c.right, midY));
    EXPECT_FALSE(SpotContains(*s, midX, c.top));
    EXPECT_FALSE(SpotContains(*s, midX, c.bottom));
  }
}

TEST(HotSpots, MenuSpotsTakeTheButtonsSizeAndTheFirstStartsAt228) {
  const int tops[] = {228, 272, 322, 370, 419, 468};
  const std::vector<HotSpot> spots = Spots(Screen::Menu);
  ASSERT_EQ(spots.size(), 6u);
  for (int k = 1; k <= 6; ++k) {
    const HotSpot& s = spots[k - 1];
    SCOPED_TRACE(k);
    EXPECT_EQ(s.MenuPos, k);
    EXPECT_FALSE(SpotContains(s, 300, tops[k - 1], 200, 40));
    EXPECT_TRUE(SpotContains(s, 300, tops[k - 1] + 1, 200, 40));
    EXPECT_TRUE(SpotContains(s, 460, tops[k - 1] + 39, 200, 40));
    EXPECT_FALSE(SpotContains(s, 461, tops[k - 1] + 20, 200, 40));
    EXPECT_FALSE(SpotContains(s, 300, tops[k - 1] + 40, 200, 40));
    EXPECT_FALSE(SpotContains(s, 261, tops[k - 1] + 20, 200, 40));
  }
  // Drawn from 226, the first button's top rows light nothing.
  EXPECT_FALSE(SpotContains(spots[0], 300, 227, 200, 40));
}

TEST(HotSpots, StatesWithoutSpots) {
  for (Screen s : {Screen::Game, Screen::GameOver, Screen::GameOver2, Screen::None}) {
    EXPECT_TRUE(Spots(s).empty()) << ::testing::PrintToString(s);
  }
}

// The spots of one screen never overlap, so one pointer lights one spot.
TEST(HotSpots, SpotsOfAScreenDoNotOverlap) {
  for (Screen state :
       {Screen::Options, Screen::HiScores, Screen::Help, Screen::ExitQuestion, Screen::Menu}) {
    for (int y = 200; y < 540; ++y)
      for (int x = 0; x < 800; x += 3) {
        int lit = 0;
        for (const HotSpot& s : Spots(state)) lit += SpotContains(s, x, y, 240, 44);
        ASSERT_LE(lit, 1) << ::testing::PrintToString(state) << " at " << x << "," << y;
      }
  }
}

using MouseOnScreens = test::GameFixture;

// On the live menu: the pointer lights the item under it, sets MenuPos,
// plays "Poimal" once per change of item and keeps the item lit when it
// leaves every spot.
TEST_F(MouseOnScreens, MenuHoverSelectsAndSoundsOncePerItem) {
  ForgetSounds();
  Move(300, 272 + 10);  // item 2
  EXPECT_EQ(S().MenuPos, 2);
  EXPECT_TRUE(ButtonLit(2));
  EXPECT_FALSE(ButtonLit(1));
  EXPECT_EQ(Sounds("Poimal"), 1);
  Move(310, 322 + 10);  // item 3
  Move(320, 322 + 20);  // still item 3
  EXPECT_EQ(S().MenuPos, 3);
  EXPECT_EQ(Sounds("Poimal"), 1);
  Move(700, 100);  // no spot: the selection stays
  EXPECT_EQ(S().MenuPos, 3);
  EXPECT_TRUE(ButtonLit(3));
  EXPECT_EQ(Sounds("Poimal"), 0);
  Move(300, 227);  // above the first spot, on its button's picture
  EXPECT_EQ(S().MenuPos, 3);
  Move(300, 229);
  EXPECT_EQ(S().MenuPos, 1);
}

// The pointer comes in back-buffer pixels in both window modes: full screen
// lights the same spots as the window does.
TEST_F(MouseOnScreens, FullScreenUsesTheSameCoordinates) {
  Cfg().Windowed = false;
  G().ApplyWindowMode();
  Move(300, 370 + 5);  // item 4 in both modes
  EXPECT_EQ(S().MenuPos, 4);
  Move(300, 419 - 15);  // 20 pixels above item 5's spot: nothing new
  EXPECT_EQ(S().MenuPos, 4);
}

TEST_F(MouseOnScreens, SoundOffPlaysNothing) {
  Cfg().Sound = false;
  ForgetSounds();
  Move(300, 272 + 10);
  EXPECT_EQ(S().MenuPos, 2);
  EXPECT_EQ(Sounds("Poimal"), 0);
}

}  // namespace
}  // namespace klv
