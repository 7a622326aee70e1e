// The key-release table and the typed characters of the two text fields.

#include "app/game.h"
#include "screens/menu_b.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {

bool AcceptsTypedChar(unsigned char c) {
  return c > 47 && c != '|';
}

// One key release; the steps run in this order and may rewrite the key.
void Screens::KeyUp(int key, KeyMods mods) {
  if (Sending) return;  // the name entry waits for the world table

  // A key released while the "Can't connect to server!" box is up does nothing else.
  if (SwallowDialogKey) {
    if (key == vk::Return || key == vk::Escape || key == vk::Space) SwallowDialogKey = false;
    return;
  }
  if (game_.Timer4.Enabled()) return;  // the time bonus is being counted
  if (game_.GameState == "GameOver2") {
    game_.SetTimer(game_.Timer3, false);
    RemoveAskBox();
    game_.StopGame();
    return;
  }

  if (key == vk::Left) key = vk::Up;
  if (key == vk::Right) key = vk::Down;

  if (key == vk::Up || key == vk::Down) {
    if (key == vk::Up) EditAddText = false;  // Down keeps typing into AddText
    ClearOptionAndQuestionSpots();
    const int items = ScreenItems();
    if (items != 0) {
      game_.PlayEffect("Poimal");
      if (items == 2) {
        MenuPos = MenuPos == 1 ? 2 : 1;
      } else {
        int pos = MenuPos + (key == vk::Up ? -1 : 1);
        MenuPos = static_cast<uint8_t>(pos < 1 ? items : pos > items ? 1 : pos);
      }
      LightMenuPos();
    }
  }

  KeySum += static_cast<uint32_t>(key);

  const std::string& state = game_.GameState;
  if (state == "Exit?" || state == "ExitGame?") {
    // Y takes the selected answer, whichever it is; N says no.
    if (key == 'Y') key = vk::Return;
    if (key == 'N') key = vk::Escape;
  }

  if (key == vk::Escape) {
    if (state == "Exit?") {
      AnswerExit(2);
    } else if (state == "ExitGame?") {
      ResumePlay();
      return;
    } else if (state == "Menu") {
      game_.GameState = "Exit?";
      AskQuestion();
    } else if (state == "Game" && !game_.Timer2.Enabled()) {
      game_.StopGame();
    } else if (state == "Game" && game_.Paused) {
      game_.Paused = false;
      game_.SetTimer(game_.Timer2, false);
      game_.SetTimer(game_.Timer1, true);
    } else if (state == "Options" || state == "HiScores" || state == "Help") {
      ShowMenu();
    }
  }

  if (key == vk::Return && mods.Alt) {
    game_.Cfg->Windowed = !game_.Cfg->Windowed;
    game_.ApplyWindowMode();
  }

  if ((key == 'P' || key == vk::Pause) && game_.GameState == "Game") {
    game_.Paused = !game_.Paused;
    game_.SetTimer(game_.Timer2, game_.Paused);
    game_.SetTimer(game_.Timer1, !game_.Paused);
  }

  if (key == vk::F11) game_.platform.Minimize();

  if (key == vk::Subtract) {
    const int interval = game_.FrameTimer1.Interval();
    if (interval < kMaxFrameInterval) game_.FrameTimer1.SetInterval(interval + 1);
  }
  if (key == vk::Add) {
    const int interval = game_.FrameTimer1.Interval();
    if (interval > kMinFrameInterval) game_.FrameTimer1.SetInterval(interval - 1);
  }

  if (key == vk::Back) {
    std::string& addText = game_.Cfg->AddText;
    if (EditAddText && !addText.empty()) addText.pop_back();
    if (game_.GameState == "EnterName" && !EnteredName.empty()) EnteredName.pop_back();
  }

  if ((key == vk::Return || key == vk::Space) && !mods.Alt) {
    const std::string now = game_.GameState;
    if (now == "Options") {
      if (MenuPos == 4) EditAddText = !EditAddText;
      if (MenuPos == 5) ShowMenu();  // leaves without saving, unlike the click
    } else if (now == "EnterName") {
      CompleteNameEntry();
    } else if (now == "ExitGame?") {
      AnswerExitGame(MenuPos);
    } else if (now == "Exit?") {
      AnswerExit(MenuPos);
    } else {
      ClickGateArmed = false;
      ActivateItem();
    }
  }
}

void Screens::PadButtonUp(PadButton button) {
  struct PadKey {
    PadButton pad;
    int key;
  };
  static constexpr PadKey kPadKeys[] = {
      {PadButton::Up, vk::Up},
      {PadButton::Down, vk::Down},
      {PadButton::Left, vk::Left},
      {PadButton::Right, vk::Right},
      {PadButton::A, vk::Return},
      {PadButton::B, vk::Escape},
      {PadButton::Start, vk::Letter('P')},
  };
  for (const PadKey& p : kPadKeys)
    if (p.pad == button) KeyUp(p.key, KeyMods{});
}

void Screens::KeyPress(unsigned char c) {
  if (Sending) return;
  if (c == vk::Back) return;  // the key release removes the character
  if (EditAddText) {
    std::string& addText = game_.Cfg->AddText;
    if (AcceptsTypedChar(c) && addText.size() < kMaxAddText) addText += static_cast<char>(c);
  } else if (game_.GameState == "EnterName") {
    if (AcceptsTypedChar(c) && EnteredName.size() < kMaxEnteredName) {
      EnteredName += static_cast<char>(c);
    }
  }
}

}  // namespace klv
