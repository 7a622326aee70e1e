// The screen table: every screen has its own row, and the scripts' names of
// the screens read back to the same screens.
#include "screens/screen_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/script_runner.h"
#include "support/screen_names.h"

namespace klv {
namespace {

TEST(ScreenTable, EachScreenHasItsOwnRow) {
  for (Screen s : kAllScreens) {
    const ScreenRow& row = ScreenOf(s);
    SCOPED_TRACE(::testing::PrintToString(s));
    EXPECT_EQ(row.State, s);
    // A selection that lights buttons runs over as many items as the spots select.
    for (const ScreenButton& b : row.Buttons) EXPECT_LE(b.Spot.MenuPos, row.Items);
    // Each button has a sprite slot of its own; a spot without a picture has none.
    std::set<int> slots;
    for (const ScreenButton& b : row.Buttons) {
      EXPECT_EQ(b.Picture == nullptr, b.Slot == 0);
      if (b.Picture) {
        EXPECT_TRUE(slots.insert(b.Slot).second) << b.Picture;
      }
    }
    if (row.Question) {
      EXPECT_EQ(row.Items, 2);
      EXPECT_EQ(row.Escape,
                s == Screen::ExitQuestion ? EscapeKey::AnswerNo : EscapeKey::ResumePlay);
    }
    // Only a screen with a selection answers a click with "Poimal".
    EXPECT_EQ(row.ClickSound, row.Items != 0);
  }
}

TEST(ScreenTable, ScriptNamesReadBack) {
  for (Screen s : kAllScreens) EXPECT_EQ(ScriptRunner::ScreenNamed(ScriptRunner::ScreenName(s)), s);
  EXPECT_EQ(ScriptRunner::ScreenName(Screen::ExitQuestion), std::string("Exit?"));
  EXPECT_EQ(ScriptRunner::ScreenName(Screen::ExitGameQuestion), std::string("ExitGame?"));
  for (const char* wrong : {"menu", "Exit", "ExitGame", "Game ", "Play"})
    EXPECT_FALSE(ScriptRunner::ScreenNamed(wrong).has_value()) << wrong;
}

// A button's picture and its hot spot are a few pixels apart, and clicks have
// always landed by the spots: neither moves when the other is touched.
TEST(ScreenTable, ButtonsKeepTheirPicturesPlaceAndTheirSpotsOffset) {
  struct Case {
    Screen screen;
    std::string picture;
    int x, y;    // the picture's place
    int dx, dy;  // the spot's top left, from the picture's
  };
  const Case cases[] = {
      {Screen::Menu, "Start", 261, 226, 0, 2},      {Screen::Menu, "Opt", 261, 272, 0, 0},
      {Screen::Menu, "Exit", 261, 468, 0, 0},       {Screen::Options, "Win", 301, 230, 2, -1},
      {Screen::Options, "Full", 447, 230, 1, -1},   {Screen::Options, "Off", 391, 278, 2, -1},
      {Screen::Options, "OptBack", 33, 462, 9, 2},  {Screen::HiScores, "Clear", 41, 465, -1, 0},
      {Screen::HiScores, "World", 373, 465, -1, 0}, {Screen::HiScores, "HScrBack", 30, 504, 11, 1},
      {Screen::Help, "Previos", 40, 465, 0, 0},     {Screen::Help, "HScrBack", 37, 505, 4, 0},
  };
  for (const Case& c : cases) {
    const ScreenButton* found = nullptr;
    for (const ScreenButton& b : ScreenOf(c.screen).Buttons)
      if (b.Picture && b.Picture == c.picture && b.X == c.x && b.Y == c.y) found = &b;
    ASSERT_NE(found, nullptr) << c.picture << " at " << c.x << "," << c.y;
    EXPECT_EQ(found->Spot.Bounds.Left - found->X, c.dx) << c.picture;
    EXPECT_EQ(found->Spot.Bounds.Top - found->Y, c.dy) << c.picture;
  }
}

}  // namespace
}  // namespace klv
