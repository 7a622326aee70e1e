#include "screens/screen_table.h"

namespace klv {

namespace {

// The first main-menu spot starts at 228 although its button is drawn from
// Y 226; the others start at their buttons' Y.
constexpr HotSpot kMenuSpots[] = {
    {Spot::Item1, 261, 228, 0, 0, 1, true}, {Spot::Item2, 261, 272, 0, 0, 2, true},
    {Spot::Item3, 261, 322, 0, 0, 3, true}, {Spot::Item4, 261, 370, 0, 0, 4, true},
    {Spot::Item5, 261, 419, 0, 0, 5, true}, {Spot::Item6, 261, 468, 0, 0, 6, true},
};

constexpr HotSpot kOptionSpots[] = {
    {Spot::Win, 303, 229, 390, 248, 1, false},       {Spot::Full, 448, 229, 590, 248, 1, false},
    {Spot::MusicOn, 303, 277, 335, 296, 2, false},   {Spot::MusicOff, 393, 277, 434, 296, 2, false},
    {Spot::SoundOn, 303, 325, 335, 344, 3, false},   {Spot::SoundOff, 393, 325, 434, 344, 3, false},
    {Spot::TextField, 301, 366, 590, 397, 4, false}, {Spot::OptBack, 42, 464, 145, 488, 5, false},
};

// The high-score and help screens reuse the flags of the first three items.
constexpr HotSpot kHiScoreSpots[] = {
    {Spot::Item1, 40, 465, 222, 484, 1, false},
    {Spot::Item2, 372, 465, 634, 484, 2, false},
    {Spot::Item3, 41, 505, 145, 529, 3, false},
};

constexpr HotSpot kHelpSpots[] = {
    {Spot::Item1, 40, 465, 200, 482, 1, false},
    {Spot::Item2, 501, 465, 620, 482, 2, false},
    {Spot::Item3, 41, 505, 145, 529, 3, false},
};

constexpr HotSpot kQuestionSpots[] = {
    {Spot::Yes, 320, 253, 380, 280, 1, false},
    {Spot::No, 430, 253, 483, 280, 2, false},
};

constexpr HotSpot kNameEntrySpots[] = {
    {Spot::Check, 376, 378, 399, 401, 0, false},
};

using enum ButtonLight;
using enum ItemAction;
using enum EnterKey;
using enum EscapeKey;

// clang-format off
//                               screen                    items question sound  lights       spots            click           Enter              Escape
constexpr ScreenRow kNone        {Screen::None,             0,   false,   false, Unlit,       {},              Nothing,        Activate,          Ignored};
constexpr ScreenRow kMenu        {Screen::Menu,             6,   false,   true,  MenuButtons, kMenuSpots,      MenuItem,       Activate,          AskExit};
constexpr ScreenRow kOptions     {Screen::Options,          5,   false,   true,  BackButton,  kOptionSpots,    OptionsItem,    OptionsRow,        BackToMenu};
constexpr ScreenRow kHiScores    {Screen::HiScores,         3,   false,   true,  MenuButtons, kHiScoreSpots,   HiScoresItem,   Activate,          BackToMenu};
constexpr ScreenRow kHelp        {Screen::Help,             3,   false,   true,  MenuButtons, kHelpSpots,      HelpItem,       Activate,          BackToMenu};
constexpr ScreenRow kExit        {Screen::ExitQuestion,     2,   true,    true,  Unlit,       kQuestionSpots,  ExitAnswer,     AnswerExit,        AnswerNo};
constexpr ScreenRow kGame        {Screen::Game,             0,   false,   false, Unlit,       {},              Nothing,        Activate,          StopOrResume};
constexpr ScreenRow kExitGame    {Screen::ExitGameQuestion, 2,   true,    true,  Unlit,       kQuestionSpots,  ExitGameAnswer, AnswerExitGame,    ResumePlay};
constexpr ScreenRow kGameOver    {Screen::GameOver,         0,   false,   false, Unlit,       {},              Nothing,        Activate,          Ignored};
constexpr ScreenRow kGameOver2   {Screen::GameOver2,        0,   false,   false, Unlit,       {},              EndGameOver,    Activate,          Ignored};
constexpr ScreenRow kEnterName   {Screen::EnterName,        0,   false,   false, Unlit,       kNameEntrySpots, SendCheck,      CompleteNameEntry, Ignored};
// clang-format on

}  // namespace

const ScreenRow& ScreenOf(Screen screen) {
  switch (screen) {
    case Screen::None:
      return kNone;
    case Screen::Menu:
      return kMenu;
    case Screen::Options:
      return kOptions;
    case Screen::HiScores:
      return kHiScores;
    case Screen::Help:
      return kHelp;
    case Screen::ExitQuestion:
      return kExit;
    case Screen::Game:
      return kGame;
    case Screen::ExitGameQuestion:
      return kExitGame;
    case Screen::GameOver:
      return kGameOver;
    case Screen::GameOver2:
      return kGameOver2;
    case Screen::EnterName:
      return kEnterName;
  }
  return kNone;
}

}  // namespace klv
