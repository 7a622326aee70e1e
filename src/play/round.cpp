#include "play/round.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/text_colours.h"
#include "engine/canvas.h"
#include "engine/cp1251.h"
#include "engine/random.h"
#include "engine/sprite_engine.h"
#include "engine/surface.h"
#include "play/fish.h"
#include "play/fon.h"
#include "play/limit_time.h"
#include "play/objcts.h"
#include "play/play_context.h"
#include "play/play_math.h"
#include "play/play_tables.h"
#include "play/player.h"
#include "play/puzir.h"
#include "play/to_do_fish.h"
#include "play/volna.h"

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

Round::Round(PlayContext& context) : ctx_(context) {}

void Round::CreateTargetIcons() {
  for (int k = 1; k <= 10; ++k) TargetLabelX[k] = kTargetLabelColumns[k];
  for (int k = 1; k <= 10; ++k) {
    ToDoFish* icon = ctx_.Engine.Create<ToDoFish>(ctx_, k);
    icon->Shown = false;
    TargetIcons[k] = icon;
  }
}

Fon* Round::CreateBackdrop(int sceneNo) {
  Backdrop = ctx_.Engine.Create<Fon>(ctx_, *this, sceneNo);
  return Backdrop;
}

void Round::NewGame() {
  BuildScene();
  LevelNo = 0;
  if (Player* p = LocalAngler()) p->Score = Score();
}

void Round::BuildScene() {
  if (Backdrop) Backdrop->DeadAll();
  Backdrop = nullptr;
  SpriteEngine& engine = ctx_.Engine;
  CreateBackdrop(1 + ctx_.Rng.Below(3));
  TimeBar = engine.Create<LimitTime>(ctx_, *this);
  Wave = engine.Create<Volna>(ctx_);
  LocalPlayer = 0;
  Players[0] = engine.Create<Player>(ctx_, *this);
}

RoundEvents Round::TakeEvents() {
  RoundEvents e = std::move(happened_);
  happened_ = RoundEvents{};
  return e;
}

RoundEvents Round::StartLevel(LevelStart reason) {
  SetUpLevel(reason);
  return TakeEvents();
}

void Round::SetUpLevel(LevelStart reason) {
  happened_.LevelStarted = true;
  happened_.Silence();
  ++LevelNo;
  HideTargetIcons();

  TargetCount = static_cast<uint8_t>(BuildQuota(LevelNo, ctx_.Rng, Targets));
  TargetsDone = 0;
  TimeLimit = 10;
  for (int i = 1; i <= TargetCount; ++i) {
    const int kind = Targets[i].Kind;
    if (kind >= 1 && kind <= 10 && TargetIcons[kind]) TargetIcons[kind]->Shown = true;
    TimeLimit += Targets[i].Left;
  }
  if (LevelNo > 1) happened_.Play("Level");

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
  if (reason == LevelStart::NewGame) happened_.GetReady = true;
}

RoundEvents Round::TickClock() {
  if (RoundClock > 0) {
    --RoundClock;
  } else {
    happened_.TimeUp = true;
    happened_.Silence();
    happened_.Play("Over");
  }
  return TakeEvents();
}

RoundEvents Round::TickBonus() {
  if (RoundClock < 100) {
    happened_.BonusOver = true;
    SetUpLevel(LevelStart::AfterBonus);
  } else {
    RoundClock -= 100;
    if (Player* p = LocalAngler()) p->Score.Add(5);
  }
  return TakeEvents();
}

void Round::ShowAngler() {
  if (Player* p = LocalAngler()) p->Visible = true;
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

Score Round::AnglerScore() const {
  if (const Player* p = LocalAngler()) return p->Score;
  return Score();
}

void Round::AddTime(double seconds) {
  if (RoundClock / 100.0 + seconds <= TimeLimit)
    RoundClock += RoundHalfEven(seconds * 100);
  else
    RoundClock = TimeLimit * 100;
}

int Round::DrawFishKind() {
  Random& rng = ctx_.Rng;
  const int count = std::min<int>(TargetCount, 10);
  int d = 1 + rng.Below(count);
  int kind = Targets[d].Kind;
  if (d > 5 && rng.Below(2) == 0) {
    d = 1 + rng.Below(count);
    kind = Targets[d].Kind;
  }
  if (d > 8 && rng.Below(2) == 0) {
    d = 1 + rng.Below(count);
    kind = Targets[d].Kind;
  }
  if (kind == 0 || kind > 10) {
    // A quota without a fish kind in it: any kind, and the quota mended.
    kind = 1 + rng.Below(10);
    Targets[1] = {1, 3};
  }
  return kind;
}

void Round::LaidOnTheBottom() {
  ++BottomObjectCount;
}

void Round::Taken(const Catchable& c, int shownPoints) {
  if (Player* angler = Angler(c.Owner)) angler->HasCatch = true;
  ScorePopupValue += shownPoints;
}

void Round::Gone(const Catchable& c) {
  CountDown(c.AsCatch().FishKind != 0 ? FishCount : ObjectCount);
}

void Round::Reel(Catchable& c) {
  Player* owner = Angler(c.Owner);
  if (!owner || !owner->Hook) return;
  c.FollowHook(*owner->Hook);
  if (c.Y >= kLandingLine || c.Dying()) return;
  Land(c.AsCatch(), *owner);
  c.MarkDead();
}

void Round::Land(const Catch& c, Player& owner) {
  const bool thisLevel = c.SpawnLevel == LevelNo;
  if (c.FishKind != 0) {
    CountDown(FishCount);
  } else {
    CountDown(ObjectCount);
    if (c.FromTheBottom) CountDown(BottomObjectCount);
  }
  ScorePopupY = static_cast<uint16_t>(RoundHalfEven(owner.Bobber ? owner.Bobber->Y : 0));
  if (thisLevel) ScorePopupShown = true;
  CatchSoundDue = true;
  owner.Score.Add(c.Points);
  AddTime(c.Seconds);
  if (c.FishKind != 0 && thisLevel) CountCatch(c.FishKind);
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
    happened_.Silence();
    happened_.LevelComplete = true;
  }
}

void Round::SpawnFish() {
  if (ctx_.Rng.Below(kFishChance) != 0) return;
  if (FishCount >= kMaxFish) return;
  ++FishCount;
  ctx_.Engine.Create<Fish>(ctx_, *this);
}

void Round::SpawnObject() {
  if (ctx_.Rng.Below(kObjectChance) != 0) return;
  if (ObjectCount >= kMaxObjects) return;
  ++ObjectCount;
  ctx_.Engine.Create<Objcts>(ctx_, *this);
}

RoundEvents Round::AfterMove() {
  // Newest first: the order the fish are drawn in, which is the order they
  // have always been landed in.
  SpriteEngine& engine = ctx_.Engine;
  for (int i = engine.Count() - 1; i >= 0; --i) {
    auto* fish = dynamic_cast<Fish*>(&engine.ItemAt(i));
    if (fish && fish->Hooked) Reel(*fish);
  }
  // A level completed just now holds play from here on.
  if (!PlayShown() || ctx_.Hold.Held() || happened_.LevelComplete) return TakeEvents();
  if (ScorePopupShown) {
    if (ScorePopupY <= kPopupTop) {
      const Player* angler = LocalAngler();
      ScorePopupY = static_cast<uint16_t>(angler ? angler->Y : 0);
      ScorePopupValue = 0;
      ScorePopupShown = false;
    } else {
      ScorePopupY -= kPopupRise;
      if (CatchSoundDue) happened_.Play("Poimal");
      CatchSoundDue = false;
    }
  }
  return TakeEvents();
}

void Round::Spawn() {
  if (ctx_.Hold.Held()) return;
  SpawnFish();
  SpawnObject();
  if (ctx_.Rng.Below(kBubbleChance) == 0) ctx_.Engine.Create<Puzir>(ctx_, *this);
}

void Round::Draw(Canvas& canvas) const {
  char buf[32];
  if (!ctx_.Hold.Held()) {
    canvas.SetFont(Face::Comic, 16, false, kTextGold);
    if (ScorePopupShown) {
      const Player* angler = LocalAngler();
      std::snprintf(buf, sizeof buf, "%-3d", ScorePopupValue);
      canvas.TextOut(angler && angler->Bobber ? angler->Bobber->X : 0, ScorePopupY, buf);
    }
  }

  canvas.SetFont(Face::Arial, 12, true, kTextBlue);
  for (int i = 1; i <= TargetCount && i <= 10; ++i) {
    const int kind = Targets[i].Kind;
    if (kind < 1 || kind > 10) continue;
    std::snprintf(buf, sizeof buf, "%u", unsigned(Targets[i].Left));
    canvas.TextOut(TargetLabelX[kind] + 2, 40, buf);
  }

  canvas.SetFont(Face::Arial, 14, false, Rgb(255, 255, 255));
  std::snprintf(buf, sizeof buf, "%.8d", AnglerScore().Shown());
  canvas.TextOut(700, 567, buf);

  canvas.SetFont(Face::Arial, 20, false, Rgb(255, 255, 255));
  std::snprintf(buf, sizeof buf, "%4d", int(LevelNo));
  canvas.TextOut(80, 560, buf);

  if (ctx_.Hold.BonusRunning() && RoundClock > 0) {
    canvas.SetFont(Face::Comic, 20, false, kTextGold);
    canvas.TextOut(325, 300, DoneText());
  } else if (ctx_.Hold.Held() && !ctx_.Hold.Paused()) {
    canvas.SetFont(Face::Comic, 20, false, Rgb(0, 255, 0));
    canvas.TextOut(325, 300, ReadyText());
  }
}

}  // namespace klv
