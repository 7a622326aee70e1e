#pragma once
// One row per screen: how many items the selection runs over, which button
// follows it, its panel and buttons with their hot spots, what a click does
// and what Enter and Escape do. The screens code acts by these columns;
// Screens::Show builds a menu screen from its row. A new screen is a new row
// (the rows are checked against kAllScreens when the game is built).

#include <cstdint>
#include <span>

#include "base/screen.h"
#include "screens/hot_spots.h"

namespace klv {

// The button lit by the selection (MenuPos).
enum class ButtonLight : uint8_t {
  Unlit,        // no button follows the selection
  MenuButtons,  // MenuButtons[MenuPos] of the first Items buttons, the others unlit
  BackButton,   // the options screen's back button, lit on the last row only
};

// What a click (behind the click gate) or an activation does.
enum class ItemAction : uint8_t {
  Nothing,
  MenuItem,        // the main menu's item MenuPos
  OptionsItem,     // the options' lit spot, or the text field or back row
  HiScoresItem,    // clear, world table, back
  HelpItem,        // previous page, next page, back
  ExitAnswer,      // "Да" quits, "Нет" goes back to the menu
  ExitGameAnswer,  // "Да" ends the game, "Нет" goes back to play
  EndGameOver,     // any click ends "КОНЕЦ ИГРЫ" at once, lit spot or not
  SendCheck,       // the check box of the name entry
};

// What Enter (or Space, Alt not held) does.
enum class EnterKey : uint8_t {
  Activate,           // disarms the click gate and activates the selection
  OptionsRow,         // the text field starts or ends typing; the back row leaves unsaved
  CompleteNameEntry,  // the name goes into the table
  AnswerExit,         // the selected answer to the quit question, without the click's sound
  AnswerExitGame,     // the same for the question asked during play
};

// What Escape does.
enum class EscapeKey : uint8_t {
  Ignored,
  AskExit,       // the quit question
  BackToMenu,    // leaves a sub-screen
  AnswerNo,      // "Нет" to the quit question
  ResumePlay,    // back to play from the question asked in it
  StopOrResume,  // running play asks to leave; paused play resumes
};

// What a request to close the window does. It never closes by itself.
enum class CloseRequest : uint8_t {
  StaysOpen,  // play, and a question already up
  Asks,       // the quit question over the menu
  MenuAsks,   // back to the menu first, then the question
};

// Where a button's sprite is kept: MenuButtons[1..6], or the back button.
inline constexpr uint8_t kBackSlot = 7;

// A button of a screen, side by side with the hot spot that selects it: its
// picture and where it is drawn. A spot sits a few pixels off its picture
// (1 to 11), as it always has; clicks depend on them, so they stay.
struct ScreenButton {
  const char* Picture;  // in MenuImgs; nullptr: a spot with no button (drawn by the panel)
  int X, Y;             // the picture's top left
  uint8_t Slot;         // 1..6 or kBackSlot; 0 for a spot with no button
  HotSpot Spot;
};

struct ScreenRow {
  Screen State;
  uint8_t Items;    // MenuPos runs over 1..Items; 0: no selection
  bool Question;    // a yes/no question: its frame at (220, 120), Y and N answer
  bool ClickSound;  // an activation plays "Poimal" first
  ButtonLight Lights;
  const char* Panel;  // the sub-screen's panel picture (FonB); nullptr for none
  // In the order they are made; the spots are tested in this order.
  std::span<const ScreenButton> Buttons;
  ItemAction Click;
  EnterKey Enter;
  EscapeKey Escape;
  CloseRequest Close;
};

const ScreenRow& ScreenOf(Screen screen);

}  // namespace klv
