#pragma once
// The screens around play and the controls that drive them: the main menu,
// options, high scores, help, the two yes/no questions and the name entry;
// the mouse's hot spots and click gate, the key-release table and the typed
// characters of the two text fields. Owned by the Game as Screens1.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "base/screen.h"
#include "platform/platform.h"
#include "screens/hot_spots.h"
#include "screens/screen_context.h"

namespace klv {

class PlayResult;
class MenuB;
class FonB;
class Hlp;
class Ask;
class Chk;
class WorldSubmission;

// Whether a typed code page 1251 byte may go into AddText or EnteredName:
// codes above 47 (digits, letters, the signs from ":" up, every letter of the
// code page), except "|", which separates the fields of the world-table
// record and would forge them.
bool AcceptsTypedChar(unsigned char c);

// The rows of the high-score screen: row r (1..10) is drawn from y
// kRowTop(r), its text from x kRowLeft. A click on a row whose game has a
// replay shows it.
inline constexpr int kRowLeft = 82;
inline constexpr int kRowRight = 560;
inline constexpr int kRowHeight = 23;
constexpr int kRowTop(int row) {
  return 197 + kRowHeight * row;
}
// The row (1..10) under the pointer, 0 for none.
int HiScoreRowAt(int x, int y);
// The row a key names on the high-score screen: 1..9 and 0 for the tenth,
// on the main keys or the keypad; 0 for any other key.
int HiScoreRowKey(int vk);

class Screens {
 public:
  // The screens see of play only its result: the score and the level.
  Screens(const ScreenContext& context, const PlayResult& play);
  ~Screens();
  Screens(const Screens&) = delete;
  Screens& operator=(const Screens&) = delete;

  // Start-up: the name entry's check box, made once and kept for the run.
  void CreateSendCheck();

  // Builds a menu screen (the menu, options, high scores, help) from its row
  // in the screen table, its panel and buttons, after removing the sprites
  // of the screen being left, and shows it. The menu returns to the item
  // left (MenuReturnPos); a sub-screen keeps it and selects its back row.
  void Show(Screen screen);
  // The action of MenuPos (or of the lit hot spot) on the current screen,
  // behind the click gate.
  void ActivateItem();

  // Puts the yes/no question frame up: MenuPos := 1 and a new AskBox. The
  // caller sets GameState first (the frame's place depends on it).
  void AskQuestion();
  void RemoveAskBox();
  // "Выйти из игры?" before leaving the program, over the menu.
  void AskToQuit();
  // The end of start-up: the main menu with its first item lit.
  void ShowFirstMenu();
  // A game is starting: the six main-menu buttons go, and the menu comes
  // back with its first item lit.
  void LeaveMenuForGame();
  // The player is leaving while the name entry waits: the score goes into
  // the table under the name typed so far.
  void KeepWaitingScore();

  // The end of a game whose score qualifies (see QualifiesForTable):
  // The name entry, with the play scene held and the check box shown.
  void EnterNameEntry();
  // Whether the angler's final score enters the table.
  bool QualifiesForTable() const;
  // Enter or Space in the name entry: submits when asked to, then inserts,
  // saves and opens the high-score screen.
  void CompleteNameEntry();
  // Every frame: finishes the name entry once a world-table submission that
  // runs in the background has ended.
  void PollSubmission();

  // The options screen, each frame after its picture: the buttons of the
  // current settings light (window or full screen, music and sound on or off).
  void LightSettings();

  // Per-frame texts, called by the frame loop in this order; they change
  // nothing.
  void DrawOptionsOverlay();
  void DrawCredit();  // also sets the font later blocks draw with
  void DrawHiScores();
  void DrawNameEntry();
  void DrawQuestion();
  void DrawReplayMark(int rowTop, uint32_t colour);

  // Window input.
  void KeyUp(int vk, KeyMods mods);
  // A gamepad button let go: the key it stands for (D-pad the arrows, A
  // Enter, B Escape, Start P) is released.
  void PadButtonUp(PadButton button);
  void KeyPress(unsigned char cp1251);
  void MouseMove(int x, int y);
  void MouseButton(MouseButton button, bool down, int x, int y);
  void Click();

  // Screen state, all 1-based selections.
  uint8_t MenuPos = 1;
  uint8_t MenuReturnPos = 1;
  uint8_t HelpPage = 1;
  uint32_t KeySum = 0;  // running sum of released key codes; 659 shows the credit
  bool EditAddText = false;
  bool Sending = false;
  bool SwallowDialogKey = false;
  std::string EnteredName;  // code page 1251, at most 12; kept between entries

  std::array<MenuB*, 7> MenuButtons{};  // [1..6]
  MenuB* BackButton = nullptr;
  FonB* Panel = nullptr;  // the sub-screen's panel
  Hlp* HelpPicture = nullptr;
  Ask* AskBox = nullptr;
  Chk* SendCheck = nullptr;

  HotSpotFlags HotSpotLit{};
  bool ClickGateArmed = false;

  static constexpr size_t kMaxAddText = 10;
  static constexpr size_t kMaxEnteredName = 12;
  static constexpr int kCreditKeySum = 659;
  static constexpr int kMinFrameInterval = 4;
  static constexpr int kMaxFrameInterval = 1000;

 private:
  bool Lit(Spot s) const { return HotSpotLit[static_cast<int>(s)]; }
  bool AnySpotLit() const;
  void ClearOptionAndQuestionSpots();
  void LightMenuPos();
  void RemoveMenuButtons();
  void RemoveScreenSprites();
  void NewAskBox();
  void NewHelpPicture();
  int HelpPageCount() const;

  void ActivateMenu();
  void ActivateOptions();
  // Enter, Space or a gamepad's A on the rows "Экран", "Музыка" and "Звуки"
  // (1 to 3) switch that row's setting, as a click on its other choice does.
  void ToggleOptionRow(int row);
  void ActivateHiScores();
  void ActivateHelp();
  void AnswerExit(uint8_t item);
  void AnswerExitGame(uint8_t item);
  void EndGameOver();
  void ResumePlay();
  void FinishNameEntry();

  ScreenContext ctx_;
  const PlayResult& play_;
  std::unique_ptr<WorldSubmission> submission_;
  std::string creditText_;
};

}  // namespace klv
