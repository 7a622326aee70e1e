// The screen table: every screen has its own row, and the scripts' names of
// the screens read back to the same screens.
#include "screens/screen_table.h"

#include <gtest/gtest.h>

#include "app/script_runner.h"
#include "support/screen_names.h"

namespace klv {
namespace {

constexpr Screen kAll[] = {
    Screen::None,     Screen::Menu,         Screen::Options,  Screen::HiScores,
    Screen::Help,     Screen::ExitQuestion, Screen::Game,     Screen::ExitGameQuestion,
    Screen::GameOver, Screen::GameOver2,    Screen::EnterName};

TEST(ScreenTable, EachScreenHasItsOwnRow) {
  for (Screen s : kAll) {
    const ScreenRow& row = ScreenOf(s);
    SCOPED_TRACE(::testing::PrintToString(s));
    EXPECT_EQ(row.State, s);
    // A selection that lights buttons runs over as many items as the spots select.
    for (const HotSpot& spot : row.Spots) EXPECT_LE(spot.MenuPos, row.Items);
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
  for (Screen s : kAll) EXPECT_EQ(ScriptRunner::ScreenNamed(ScriptRunner::ScreenName(s)), s);
  EXPECT_EQ(ScriptRunner::ScreenName(Screen::ExitQuestion), std::string("Exit?"));
  EXPECT_EQ(ScriptRunner::ScreenName(Screen::ExitGameQuestion), std::string("ExitGame?"));
  for (const char* wrong : {"menu", "Exit", "ExitGame", "Game ", "Play"})
    EXPECT_FALSE(ScriptRunner::ScreenNamed(wrong).has_value()) << wrong;
}

}  // namespace
}  // namespace klv
