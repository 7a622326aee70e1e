#include "play/round.h"

#include <cstdio>

#include "app/game.h"
#include "engine/cp1251.h"
#include "engine/sprite_engine.h"
#include "play/fish.h"
#include "play/fon.h"
#include "play/limit_time.h"
#include "play/objcts.h"
#include "play/play_math.h"
#include "play/play_tables.h"
#include "play/player.h"
#include "play/puzir.h"
#include "play/to_do_fish.h"
#include "play/volna.h"
#include "settings/config.h"

namespace klv {

namespace {

constexpr int kMaxFish = 10;
constexpr int kMaxObjects = 10;
constexpr int kFishChance = 50;     // one in this many frames tries a fish
constexpr int kObjectChance = 200;  // ... an object
constexpr int kBubbleChance = 400;  // ... a bubble
constexpr int kPopupTop = 130;      // the rising score text goes at this y
constexpr int kPopupRise = 3;

// The two hold texts of the round display, in code page 1251.
const std::string& ReadyText() {
  static const std::string text = Utf8ToCp1251("Готовсь!");
  return text;
}
const std::string& DoneText() {
  static const std::string text = Utf8ToCp1251("Готово!");
  return text;
}

}  // namespace

Round::Round(Game& game) : game_(game), noScore_(MaskScore(0)) {}

void Round::CreateTargetIcons() {
  for (int k = 1; k <= 10; ++k) TargetLabelX[k] = kTargetLabelColumns[k];
  for (int k = 1; k <= 10; ++k) {
    ToDoFish* icon = game_.SpriteEngine1->Create<ToDoFish>(game_, k);
    icon->Shown = false;
    TargetIcons[k] = icon;
  }
}

Fon* Round::CreateBackdrop(int sceneNo) {
  Backdrop = game_.SpriteEngine1->Create<Fon>(game_, sceneNo);
  return Backdrop;
}

void Round::BuildScene() {
  if (Backdrop) Backdrop->DeadAll();
  Backdrop = nullptr;
  SpriteEngine& engine = *game_.SpriteEngine1;
  CreateBackdrop(1 + game_.Rng.Below(3));
  TimeBar = engine.Create<LimitTime>(game_);
  Wave = engine.Create<Volna>(game_);
  LocalPlayer = 0;
  Players[0] = engine.Create<Player>(game_);
}

void Round::StartLevel(int reason) {
  game_.SetTimer(game_.Timer1, false);
  game_.SilenceAll();
  ++LevelNo;
  HideTargetIcons();

  TargetCount = static_cast<uint8_t>(BuildQuota(LevelNo, game_.Rng, Targets));
  TargetsDone = 0;
  TimeLimit = 10;
  for (int i = 1; i <= TargetCount; ++i) {
    const int kind = Targets[i].Kind;
    if (kind >= 1 && kind <= 10 && TargetIcons[kind]) TargetIcons[kind]->Shown = true;
    TimeLimit += Targets[i].Left;
  }
  if (LevelNo > 1) game_.PlayEffect("Level");

  RoundClock = TimeLimit * 100;
  FishCount = 0;
  ObjectCount = 0;

  Player* angler = Angler(0);
  ScorePopupY = static_cast<uint16_t>(angler && angler->Bobber ? angler->Bobber->Y : 0);
  ScorePopupValue = 0;
  BottomObjectCount = 0;
  ScorePopupShown = false;
  if (angler) angler->Visible = true;

  // A new game opens with the same "get ready" hold as every later level;
  // the end of the hold starts the round clock.
  if (reason == 0) game_.SetTimer(game_.Timer2, true);
}

void Round::HideTargetIcons() {
  for (int k = 1; k <= 10; ++k)
    if (TargetIcons[k]) TargetIcons[k]->Shown = false;
}

void Round::RemoveScene() {
  for (Player*& p : Players)
    if (p) p->DeadAll();  // empties its own slot
  Players.fill(nullptr);
  if (Wave) Wave->MarkDead();
  Wave = nullptr;
  if (TimeBar) TimeBar->DeadAll();
  TimeBar = nullptr;
  if (Backdrop) Backdrop->DeadAll();
  Backdrop = nullptr;
}

Player* Round::Angler(int index) const {
  if (index < 0 || index >= static_cast<int>(Players.size())) return nullptr;
  return Players[index];
}

uint32_t& Round::PlayerScore() {
  if (Player* p = LocalAngler()) return p->Score;
  noScore_ = MaskScore(0);
  return noScore_;
}

void Round::AddScore(int points) {
  if (Player* p = LocalAngler()) p->AddScore(points);
}

int32_t Round::ScoreValue() {
  return static_cast<int32_t>(UnmaskScore(PlayerScore()));
}

void Round::AddTime(double seconds) {
  if (RoundClock / 100.0 + seconds <= TimeLimit)
    RoundClock += RoundHalfEven(seconds * 100);
  else
    RoundClock = TimeLimit * 100;
}

void Round::CountCatch(int kind) {
  for (int i = 1; i <= TargetCount && i <= 10; ++i) {
    Target& t = Targets[i];
    if (t.Kind != kind || t.Left == 0) continue;
    --t.Left;
    if (t.Left == 0) ++TargetsDone;
  }
  if (TargetsDone >= TargetCount) {
    // The level is complete: hold play and turn the time left into points.
    game_.SilenceAll();
    game_.SetTimer(game_.Timer1, false);
    game_.SetTimer(game_.Timer2, true);
    game_.SetTimer(game_.Timer4, true);
  }
}

void Round::SpawnFish() {
  if (game_.Rng.Below(kFishChance) != 0) return;
  if (FishCount >= kMaxFish) return;
  ++FishCount;
  game_.SpriteEngine1->Create<Fish>(game_);
}

void Round::SpawnObject() {
  if (game_.Rng.Below(kObjectChance) != 0) return;
  if (ObjectCount >= kMaxObjects) return;
  ++ObjectCount;
  game_.SpriteEngine1->Create<Objcts>(game_);
}

void Round::GameFrameBlock() {
  Canvas& canvas = game_.Canvas1;
  Player* angler = LocalAngler();
  if (!game_.Held()) {
    canvas.SetFont(Face::Comic, 16, false, game_.TextGold);
    if (ScorePopupShown) {
      if (ScorePopupY <= kPopupTop) {
        ScorePopupY = static_cast<uint16_t>(angler ? angler->Y : 0);
        ScorePopupValue = 0;
        ScorePopupShown = false;
      } else {
        ScorePopupY -= kPopupRise;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%-3d", ScorePopupValue);
        const int x = angler && angler->Bobber ? angler->Bobber->X : 0;
        canvas.TextOut(x, ScorePopupY, buf);
        if (CatchSoundDue) game_.PlayEffect("Poimal");
        CatchSoundDue = false;
      }
    }
    SpawnFish();
    SpawnObject();
    if (game_.Rng.Below(kBubbleChance) == 0) game_.SpriteEngine1->Create<Puzir>(game_);
  }
  DrawTexts();
}

void Round::DrawTexts() {
  Canvas& canvas = game_.Canvas1;
  char buf[32];

  canvas.SetFont(Face::Arial, 12, true, game_.TextBlue);
  for (int i = 1; i <= TargetCount && i <= 10; ++i) {
    const int kind = Targets[i].Kind;
    if (kind < 1 || kind > 10) continue;
    std::snprintf(buf, sizeof buf, "%u", unsigned(Targets[i].Left));
    canvas.TextOut(TargetLabelX[kind] + 2, 40, buf);
  }

  canvas.SetFont(Face::Arial, 14, false, Rgb(255, 255, 255));
  std::snprintf(buf, sizeof buf, "%.8d", ScoreValue());
  canvas.TextOut(700, 567, buf);

  canvas.SetFont(Face::Arial, 20, false, Rgb(255, 255, 255));
  std::snprintf(buf, sizeof buf, "%4d", int(LevelNo));
  canvas.TextOut(80, 560, buf);

  if (game_.Timer4.Enabled() && RoundClock > 0) {
    canvas.SetFont(Face::Comic, 20, false, game_.TextGold);
    canvas.TextOut(325, 300, DoneText());
  } else if (game_.Held() && !game_.Paused) {
    canvas.SetFont(Face::Comic, 20, false, Rgb(0, 255, 0));
    canvas.TextOut(325, 300, ReadyText());
  }
}

}  // namespace klv
