#include "screens/screen_table.h"

namespace klv {

namespace {

// The main menu's buttons, in item order. The first spot starts at 228
// although its button is drawn from Y 226; the others start at their
// buttons' place and take their size from the button.
constexpr ScreenButton kMenuButtons[] = {
    {"Start", 261, 226, 1, {Spot::Item1, {261, 228, 0, 0}, 1, true}},
    {"Opt", 261, 272, 2, {Spot::Item2, {261, 272, 0, 0}, 2, true}},
    {"HScores", 261, 322, 3, {Spot::Item3, {261, 322, 0, 0}, 3, true}},
    {"Help", 261, 370, 4, {Spot::Item4, {261, 370, 0, 0}, 4, true}},
    {"Visit", 261, 419, 5, {Spot::Item5, {261, 419, 0, 0}, 5, true}},
    {"Exit", 261, 468, 6, {Spot::Item6, {261, 468, 0, 0}, 6, true}},
};

// The options: a pair of buttons a row ("Экран", "Музыка", "Звуки"), the text
// field drawn by the panel, and the back button. MenuButtons[3..6] are music
// on, music off, sound on, sound off.
constexpr ScreenButton kOptionButtons[] = {
    {"Win", 301, 230, 1, {Spot::Win, {303, 229, 390, 248}, 1, false}},
    {"Full", 447, 230, 2, {Spot::Full, {448, 229, 590, 248}, 1, false}},
    {"On", 301, 278, 3, {Spot::MusicOn, {303, 277, 335, 296}, 2, false}},
    {"On", 301, 326, 5, {Spot::SoundOn, {303, 325, 335, 344}, 3, false}},
    {"Off", 391, 278, 4, {Spot::MusicOff, {393, 277, 434, 296}, 2, false}},
    {"Off", 391, 326, 6, {Spot::SoundOff, {393, 325, 434, 344}, 3, false}},
    {nullptr, 0, 0, 0, {Spot::TextField, {301, 366, 590, 397}, 4, false}},
    {"OptBack", 33, 462, kBackSlot, {Spot::OptBack, {42, 464, 145, 488}, 5, false}},
};

// The high-score and help screens reuse the flags of the first three items.
constexpr ScreenButton kHiScoreButtons[] = {
    {"Clear", 41, 465, 1, {Spot::Item1, {40, 465, 222, 484}, 1, false}},
    {"World", 373, 465, 2, {Spot::Item2, {372, 465, 634, 484}, 2, false}},
    {"HScrBack", 30, 504, 3, {Spot::Item3, {41, 505, 145, 529}, 3, false}},
};

constexpr ScreenButton kHelpButtons[] = {
    {"Previos", 40, 465, 1, {Spot::Item1, {40, 465, 200, 482}, 1, false}},
    {"Next", 501, 465, 2, {Spot::Item2, {501, 465, 620, 482}, 2, false}},
    {"HScrBack", 37, 505, 3, {Spot::Item3, {41, 505, 145, 529}, 3, false}},
};

// The question's answers are drawn by its frame, the check box by itself.
constexpr ScreenButton kQuestionSpots[] = {
    {nullptr, 0, 0, 0, {Spot::Yes, {320, 253, 380, 280}, 1, false}},
    {nullptr, 0, 0, 0, {Spot::No, {430, 253, 483, 280}, 2, false}},
};

constexpr ScreenButton kNameEntrySpots[] = {
    {nullptr, 0, 0, 0, {Spot::Check, {376, 378, 399, 401}, 0, false}},
};

using enum ButtonLight;
using enum ItemAction;
using enum EnterKey;
using enum EscapeKey;
using enum CloseRequest;

// In the order of kAllScreens.
// clang-format off
constexpr ScreenRow kRows[] = {
//   screen                     items question sound  lights       panel      buttons          click           Enter              Escape        close
    {Screen::None,              0,   false,   false, Unlit,       nullptr,   {},              Nothing,        Activate,          Ignored,      MenuAsks},
    {Screen::Menu,              6,   false,   true,  MenuButtons, nullptr,   kMenuButtons,    MenuItem,       Activate,          AskExit,      Asks},
    {Screen::Options,           5,   false,   true,  BackButton,  "FonOpt",  kOptionButtons,  OptionsItem,    OptionsRow,        BackToMenu,   MenuAsks},
    {Screen::HiScores,          3,   false,   true,  MenuButtons, "FonHScr", kHiScoreButtons, HiScoresItem,   Activate,          BackToMenu,   MenuAsks},
    {Screen::Help,              3,   false,   true,  MenuButtons, "FonHelp", kHelpButtons,    HelpItem,       Activate,          BackToMenu,   MenuAsks},
    {Screen::ExitQuestion,      2,   true,    true,  Unlit,       nullptr,   kQuestionSpots,  ExitAnswer,     AnswerExit,        AnswerNo,     StaysOpen},
    {Screen::Game,              0,   false,   false, Unlit,       nullptr,   {},              Nothing,        Activate,          StopOrResume, StaysOpen},
    {Screen::ExitGameQuestion,  2,   true,    true,  Unlit,       nullptr,   kQuestionSpots,  ExitGameAnswer, AnswerExitGame,    ResumePlay,   StaysOpen},
    {Screen::GameOver,          0,   false,   false, Unlit,       nullptr,   {},              Nothing,        Activate,          Ignored,      StaysOpen},
    {Screen::GameOver2,         0,   false,   false, Unlit,       nullptr,   {},              EndGameOver,    Activate,          Ignored,      StaysOpen},
    {Screen::EnterName,         0,   false,   false, Unlit,       nullptr,   kNameEntrySpots, SendCheck,      CompleteNameEntry, Ignored,      StaysOpen},
};
// clang-format on

constexpr bool ARowForEveryScreen() {
  if (sizeof kRows / sizeof kRows[0] != kScreenCount) return false;
  for (size_t i = 0; i < kScreenCount; ++i)
    if (kRows[i].State != kAllScreens[i]) return false;
  return true;
}
static_assert(ARowForEveryScreen(), "one row per screen, in the order of kAllScreens");

}  // namespace

const ScreenRow& ScreenOf(Screen screen) {
  const size_t i = static_cast<size_t>(screen);
  return i < kScreenCount ? kRows[i] : kRows[0];
}

}  // namespace klv
