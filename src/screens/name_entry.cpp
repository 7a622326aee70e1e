// The name entry at the end of a game, its world-table submission, the
// insertion into the local table and the drawing of that table.

#include <cstdio>
#include <memory>

#include "base/text_colours.h"
#include "engine/canvas.h"
#include "engine/cp1251.h"
#include "engine/surface.h"
#include "online/world_submission.h"
#include "online/world_table.h"
#include "play/play_result.h"
#include "screens/ask.h"
#include "screens/chk.h"
#include "screens/game_flow.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {

namespace {

// The name entry's texts in code page 1251, converted once.
struct EntryTexts {
  std::string Wait = Utf8ToCp1251("Пожалуйста ждите...");
  std::string EnterName = Utf8ToCp1251("Введите ваше имя");
  std::string PressEnter = Utf8ToCp1251("И нажмите \"Enter\"");
  std::string SendLine1 = Utf8ToCp1251("Отправить очки на мировую");
  std::string SendLine2 = Utf8ToCp1251("таблицу рекордов?");
  std::string NoTableLine1 = Utf8ToCp1251("Мировая таблица рекордов");
  std::string NoTableLine2 = Utf8ToCp1251("не настроена.");
};

const EntryTexts& Texts() {
  static const EntryTexts texts;
  return texts;
}

std::string Format(const char* format, int value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

bool Screens::QualifiesForTable() const {
  return ctx_.Cfg.Scores.PlaceFor(play_.AnglerScore()) != 0;
}

void Screens::EnterNameEntry() {
  ctx_.Flow.Show(Screen::EnterName);
  Sending = false;
  ctx_.Flow.PauseHold();
  // Without a world table there is nothing to send to: the check box gives
  // way to a line saying so.
  if (SendCheck) SendCheck->Shown = !ctx_.ScoreService.empty();
  NewAskBox();  // lands at (200, 187): the name entry asks no yes/no question
}

void Screens::CompleteNameEntry() {
  if (Sending || ctx_.Flow.Shown() != Screen::EnterName) return;
  if (ctx_.Cfg.SendScores && !ctx_.ScoreService.empty() && ctx_.StartSubmission) {
    // The requests run on a worker thread while frames go on showing the
    // wait text; PollSubmission picks up the outcome.
    Sending = true;
    if (SendCheck) SendCheck->Shown = false;
    WorldSubmitRequest request;
    request.Base = ctx_.ScoreService;
    request.Name = EnteredName;
    request.Score = play_.AnglerScore().Value();
    request.AddText = ctx_.Cfg.AddText;
    // The game just played goes along as the score's proof.
    request.Replay = ctx_.Flow.NamedReplay(EnteredName);
    submission_ = ctx_.StartSubmission(std::move(request));
    return;
  }
  FinishNameEntry();
}

void Screens::KeepWaitingScore() {
  if (ctx_.Flow.Shown() == Screen::EnterName)
    ctx_.Cfg.Scores.Insert(EnteredName, play_.AnglerScore());
}

void Screens::PollSubmission() {
  if (!Sending || !submission_) return;
  const std::optional<SubmitOutcome> outcome = submission_->TakeResult();
  if (!outcome) return;
  submission_.reset();
  if (!outcome->Reached) {
    // Nothing is entered; the player may try again or clear the check box.
    // A key released while the box is up does nothing else.
    SwallowDialogKey = true;
    ctx_.Flow.ShowMessage("Can't connect to server!");
    SwallowDialogKey = false;
    Sending = false;
    if (SendCheck) SendCheck->Shown = true;
    return;
  }
  if (outcome->Refused) {
    // The service said no: the player is told so, and the score still goes
    // into the local table.
    SwallowDialogKey = true;
    ctx_.Flow.ShowMessage(ScoreRefusedText());
    SwallowDialogKey = false;
  }
  FinishNameEntry();
}

void Screens::FinishNameEntry() {
  ctx_.Cfg.Scores.Insert(EnteredName, play_.AnglerScore());
  // A failed save has shown its box; the entry stays in memory for the next
  // save, and the entry is left all the same so the score is never entered
  // twice.
  ctx_.Flow.SaveSettings();
  // The hold of the name entry ends with it: left running, it would freeze
  // the last game's bubbles on the menu and cut short the next game's hold.
  ctx_.Flow.ReleaseHold();
  RemoveAskBox();
  if (SendCheck) SendCheck->Shown = false;
  Sending = false;
  ctx_.Flow.BackToMenuScene();
  MenuReturnPos = 3;
  Show(Screen::Menu);
  ClickGateArmed = false;
  ActivateItem();  // item 3: the high-score screen
  ctx_.Flow.TableEntryDone();
}

void Screens::DrawNameEntry() {
  if (ctx_.Flow.Shown() != Screen::EnterName) return;
  Canvas& canvas = ctx_.Canvas1;
  if (Sending) {
    // In the font the credit block set.
    canvas.TextOut(300, 285, Texts().Wait);
    return;
  }
  const uint32_t white = Rgb(255, 255, 255);
  const uint32_t black = Rgb(0, 0, 0);
  canvas.SetFont(Face::Arial, 14, false, white);
  canvas.TextOut(685, 569, Format("%.10d", play_.AnglerScore().Shown()));
  canvas.SetFont(Face::Arial, 20, false, white);
  canvas.TextOut(90, 560, Format("%3d", play_.Level()));
  canvas.SetFont(Face::Arial, 13, true, black);
  canvas.TextOut(300, 255, Texts().EnterName);
  canvas.TextOut(300, 275, Texts().PressEnter);
  canvas.SetFont(Face::Arial, 16, true, kTextGold);
  canvas.TextOut(264, 295, EnteredName + "|");
  canvas.SetFont(Face::Arial, 12, true, black);
  if (ctx_.ScoreService.empty()) {
    canvas.TextOut(270, 325, Texts().NoTableLine1);
    canvas.TextOut(300, 345, Texts().NoTableLine2);
    return;
  }
  canvas.TextOut(270, 325, Texts().SendLine1);
  canvas.TextOut(300, 345, Texts().SendLine2);
}

int HiScoreRowAt(int x, int y) {
  if (x <= kRowLeft || x >= kRowRight || y < kRowTop(1) || y >= kRowTop(11)) return 0;
  return (y - kRowTop(1)) / kRowHeight + 1;
}

void Screens::DrawHiScores() {
  if (ctx_.Flow.Shown() != Screen::HiScores) return;
  Canvas& canvas = ctx_.Canvas1;
  for (int r = 1; r <= 10; ++r) {
    const ScoreEntry& entry = ctx_.Cfg.Scores[r - 1];
    const uint32_t colour = r == 1 ? Rgb(255, 0, 0) : Rgb(40, 100, 230);
    canvas.SetFont(Face::Courier, 16, true, colour);
    const int y = kRowTop(r);
    canvas.TextOut(kRowLeft, y, Format("%2d", r) + "    " + entry.Name.substr(0, 11));
    canvas.TextOut(410, y, Format("%10d", entry.Score.Shown()));
    if (!ctx_.RowReplays[r - 1].empty()) DrawReplayMark(y, colour);
  }
}

// A small triangle pointing right, as on a play button, in the gap between
// the row's number and its name.
void Screens::DrawReplayMark(int rowTop, uint32_t colour) {
  Canvas& canvas = ctx_.Canvas1;
  const int space = canvas.TextWidth(" ");
  const int left = kRowLeft + 3 * space + (space - 4) / 2;
  const int middle = rowTop + 11;
  for (int i = 0; i < 7; ++i)
    ctx_.BackBuffer.FillRect(left + i, middle - (6 - i), 1, 2 * (6 - i) + 1, colour);
}

}  // namespace klv
