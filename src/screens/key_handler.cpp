// The key-release table and the typed characters of the two text fields.

#include "engine/frame_timer.h"
#include "platform/platform.h"
#include "play/play_context.h"
#include "screens/game_flow.h"
#include "screens/menu_b.h"
#include "screens/screen_table.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {

bool AcceptsTypedChar(unsigned char c) {
  return c > 47 && c != '|';
}

int HiScoreRowKey(int key) {
  if (key >= '1' && key <= '9') return key - '0';
  if (key == '0') return 10;
  if (key >= vk::Numpad0 + 1 && key <= vk::Numpad0 + 9) return key - vk::Numpad0;
  if (key == vk::Numpad0) return 10;
  return 0;
}

// One key release; the steps run in this order and may rewrite the key.
void Screens::KeyUp(int key, KeyMods mods) {
  if (Sending) return;  // the name entry waits for the world table

  // A key released while the "Can't connect to server!" box is up does nothing else.
  if (SwallowDialogKey) {
    if (key == vk::Return || key == vk::Escape || key == vk::Space) SwallowDialogKey = false;
    return;
  }
  if (ctx_.Hold.BonusRunning()) return;  // the time bonus is being counted
  if (ctx_.Flow.Shown() == Screen::GameOver2) {
    EndGameOver();
    return;
  }

  if (key == vk::Left) key = vk::Up;
  if (key == vk::Right) key = vk::Down;

  const ScreenRow& row = ScreenOf(ctx_.Flow.Shown());
  if (key == vk::Up || key == vk::Down) {
    if (key == vk::Up) EditAddText = false;  // Down keeps typing into AddText
    ClearOptionAndQuestionSpots();
    if (row.Items != 0) {
      ctx_.Flow.PlayEffect("Poimal");
      if (row.Question) {
        MenuPos = MenuPos == 1 ? 2 : 1;
      } else {
        int pos = MenuPos + (key == vk::Up ? -1 : 1);
        MenuPos = static_cast<uint8_t>(pos < 1 ? row.Items : pos > row.Items ? 1 : pos);
      }
      LightMenuPos();
    }
  }

  KeySum += static_cast<uint32_t>(key);

  if (row.Question) {
    // Y takes the selected answer, whichever it is; N says no.
    if (key == 'Y') key = vk::Return;
    if (key == 'N') key = vk::Escape;
  }

  if (key == vk::Escape) {
    switch (row.Escape) {
      case EscapeKey::Ignored:
        break;
      case EscapeKey::AskExit:
        ctx_.Flow.Show(Screen::ExitQuestion);
        AskQuestion();
        break;
      case EscapeKey::BackToMenu:
        Show(Screen::Menu);
        break;
      case EscapeKey::AnswerNo:
        AnswerExit(2);
        break;
      case EscapeKey::ResumePlay:
        ResumePlay();
        return;
      case EscapeKey::StopOrResume:
        if (!ctx_.Hold.Held()) {
          ctx_.Flow.StopGame();
        } else if (ctx_.Hold.Paused()) {
          ctx_.Flow.ResumeHold();
        }
        break;
    }
  }

  if (key == vk::Return && mods.Alt) {
    ctx_.Cfg.Windowed = !ctx_.Cfg.Windowed;
    ctx_.Flow.ApplyWindowMode();
  }

  if ((key == 'P' || key == vk::Pause) && ctx_.Flow.Shown() == Screen::Game) {
    if (ctx_.Hold.Paused())
      ctx_.Flow.ResumeHold();
    else
      ctx_.Flow.PauseHold();
  }

  if (key == vk::F11) ctx_.Shell.Minimize();

  if (key == vk::Subtract) {
    const int interval = ctx_.FrameTimer1.Interval();
    if (interval < kMaxFrameInterval) ctx_.FrameTimer1.SetInterval(interval + 1);
  }
  if (key == vk::Add) {
    const int interval = ctx_.FrameTimer1.Interval();
    if (interval > kMinFrameInterval) ctx_.FrameTimer1.SetInterval(interval - 1);
  }

  if (key == vk::Back) {
    std::string& addText = ctx_.Cfg.AddText;
    if (EditAddText && !addText.empty()) addText.pop_back();
    if (ctx_.Flow.Shown() == Screen::EnterName && !EnteredName.empty()) EnteredName.pop_back();
  }

  if ((key == vk::Return || key == vk::Space) && !mods.Alt) {
    switch (ScreenOf(ctx_.Flow.Shown()).Enter) {
      case EnterKey::OptionsRow:
        if (MenuPos >= 1 && MenuPos <= 3) ToggleOptionRow(MenuPos);
        if (MenuPos == 4) EditAddText = !EditAddText;
        if (MenuPos == 5) Show(Screen::Menu);  // leaves without saving, unlike the click
        break;
      case EnterKey::CompleteNameEntry:
        CompleteNameEntry();
        break;
      case EnterKey::AnswerExitGame:
        AnswerExitGame(MenuPos);
        break;
      case EnterKey::AnswerExit:
        AnswerExit(MenuPos);
        break;
      case EnterKey::Activate:
        ClickGateArmed = false;
        ActivateItem();
        break;
    }
  }

  // A row's number shows the replay of its game, when the table keeps one.
  if (ctx_.Flow.Shown() == Screen::HiScores && HiScoreRowKey(key) != 0)
    ctx_.Flow.WatchRow(HiScoreRowKey(key));
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
    std::string& addText = ctx_.Cfg.AddText;
    if (AcceptsTypedChar(c) && addText.size() < kMaxAddText) addText += static_cast<char>(c);
  } else if (ctx_.Flow.Shown() == Screen::EnterName) {
    if (AcceptsTypedChar(c) && EnteredName.size() < kMaxEnteredName) {
      EnteredName += static_cast<char>(c);
    }
  }
}

}  // namespace klv
