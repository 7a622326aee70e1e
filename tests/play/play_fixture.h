#pragma once
// A whole game on the headless platform, started from a temporary folder
// holding small pictures of every name play looks up, so play tests drive
// the real Game, Round and sprites frame by frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/game.h"
#include "engine/icf_writer.h"
#include "engine/sprite_engine.h"
#include "platform/headless_audio_out.h"
#include "platform/headless_platform.h"
#include "play/fish.h"
#include "play/kruk.h"
#include "play/leska.h"
#include "play/objcts.h"
#include "play/player.h"
#include "play/round.h"
#include "play/udochka.h"
#include "settings/config.h"

namespace klv::playtest {

// A 24-bit bottom-up Windows bitmap (no file header) of one shade.
inline std::vector<uint8_t> SolidDib(int w, int h, uint8_t shade) {
  const int stride = (w * 3 + 3) / 4 * 4;
  std::vector<uint8_t> d(40 + size_t(stride) * h, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, uint32_t(w));
  put32(8, uint32_t(h));
  d[12] = 1;
  d[14] = 24;
  put32(20, uint32_t(stride * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) d[40 + size_t(y) * stride + x * 3 + c] = uint8_t(shade + x + c);
  return d;
}

struct Pic {
  std::string name;
  int w, h, frames;
};

inline void WriteCollection(const std::string& path, const std::vector<Pic>& pics) {
  std::vector<IcfItem> items;
  uint8_t shade = 20;
  for (const Pic& p : pics) {
    IcfItem item;
    item.Name = p.name;
    item.PatternWidth = p.frames > 1 ? p.w : 0;
    item.PatternHeight = p.frames > 1 ? p.h : 0;
    item.Transparent = false;
    item.PictureData = IcfWriter::DibData(SolidDib(p.w * p.frames, p.h, shade += 7));
    items.push_back(std::move(item));
  }
  std::array<uint32_t, 256> colours{};
  std::vector<uint8_t> bytes = IcfWriter::WriteCollection(colours, items);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Sizes of the fish pictures by kind: small ones, a medium and a big one, a
// bottom dweller, a long one and the spiny one (longer than 80 pixels).
constexpr int kFishW[11] = {0, 50, 52, 54, 56, 58, 70, 90, 90, 120, 100};
constexpr int kFishH[11] = {0, 20, 22, 24, 22, 20, 28, 36, 30, 24, 32};
constexpr int kObjW = 30, kObjH = 30;
constexpr int kHookW = 7, kHookH = 10;
constexpr int kAnglerW = 60;

inline void WriteGameData(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir / "Data");
  std::vector<Pic> menu = {
      {"", 800, 600, 1}, {"", 800, 600, 1}, {"", 800, 600, 1}, {"", 800, 600, 1}};
  for (const char* n : {"Start", "Opt", "HScores", "Help", "Visit", "Exit"})
    menu.push_back({n, 240, 44, 1});
  for (const char* n : {"FonOpt", "FonHScr", "FonHelp", "FonMP", "FonMP2"})
    menu.push_back({n, 700, 400, 1});
  for (const char* n :
       {"Win", "Full", "On", "Off", "OptBack", "Clear", "World", "HScrBack", "Previos", "Next"})
    menu.push_back({n, 90, 20, 1});
  menu.push_back({"Qtns", 400, 230, 1});
  menu.push_back({"Chk", 24, 24, 2});
  for (const char* n : {"Hlp1", "Hlp2", "Hlp3", "Hlp4"}) menu.push_back({n, 700, 280, 1});
  menu.push_back({"Table", 64, 64, 1});
  WriteCollection((dir / "Data" / "MenuImgs.icf").string(), menu);

  // Items 21..30 are the quota icons; the rest are found by name.
  std::vector<Pic> play = {
      {"Player", kAnglerW, 100, 1}, {"Udochka", 60, 60, 3},      {"Poplavok", 7, 12, 1},
      {"Leska", 7, 4, 1},           {"Kruk", kHookW, kHookH, 1}, {"Volna", 901, 40, 1},
      {"Vodorosl1", 40, 120, 4},    {"Vodorosl2", 40, 130, 3},   {"Puzir", 8, 8, 1},
      {"Puziri", 16, 16, 1},        {"Time1", 430, 16, 1},       {"Time2", 429, 16, 2}};
  for (int k = 1; k <= 5; ++k) play.push_back({"Obj" + std::to_string(k), kObjW, kObjH, 5});
  while (play.size() < 21) play.push_back({"Spare" + std::to_string(play.size()), 8, 8, 1});
  for (int k = 1; k <= 10; ++k) play.push_back({"Icon" + std::to_string(k), 30, 30, 1});
  for (int k = 1; k <= 10; ++k) {
    play.push_back({"Fish" + std::to_string(k) + "L", kFishW[k], kFishH[k], 4});
    play.push_back({"Fish" + std::to_string(k) + "R", kFishW[k], kFishH[k], 4});
  }
  WriteCollection((dir / "Data" / "GameImgs.icf").string(), play);
}

class PlayFixture : public ::testing::Test {
 protected:
  void SetUp() override { Boot(7); }
  void TearDown() override { Shutdown(); }

  void Boot(uint64_t seed) {
    static std::mt19937_64 names(std::random_device{}());
    dir_ = std::filesystem::temp_directory_path() / ("klv-play-" + std::to_string(names()));
    WriteGameData(dir_);
    auto audio = std::make_unique<HeadlessAudioOut>();
    audio_ = audio.get();
    platform_ = std::make_unique<HeadlessPlatform>(std::move(audio));
    platform_->SetNow(1'000'000);
    GamePaths paths;
    paths.AppDir = dir_.string() + "/";
    game_ = std::make_unique<Game>(*platform_, paths, seed);
    game_->FormCreate();
    Frames(1);
  }
  void Shutdown() {
    game_.reset();
    platform_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  Game& G() { return *game_; }
  Round& R() { return *game_->Round1; }
  Player& P() { return *R().Players[0]; }
  Kruk& Hook() { return *P().Hook; }
  SpriteEngine& Engine() { return *game_->SpriteEngine1; }

  // Runs everything due up to `ms` milliseconds from now.
  void Wait(uint64_t ms) {
    const uint64_t target = platform_->NowMicros() + ms * 1000;
    while (!game_->Terminated()) {
      const uint64_t due = game_->NextDueMicros();
      if (due > target) break;
      if (due > platform_->NowMicros()) platform_->SetNow(due);
      game_->RunDue();
    }
    platform_->SetNow(target);
  }
  // Runs exactly n more frames (and the timer ticks due on the way).
  void Frames(int n) {
    for (int i = 0; i < n && !game_->Terminated(); ++i) {
      const uint8_t before = game_->FrameCounter;
      while (game_->FrameCounter == before) {
        const uint64_t due = game_->NextDueMicros();
        if (due > platform_->NowMicros()) platform_->SetNow(due);
        game_->RunDue();
      }
    }
  }

  // A game started from the menu, with its first hold over and the clock running.
  void StartPlaying() {
    game_->StartGame();
    Wait(2100);
    ASSERT_EQ(game_->GameState, "Game");
    ASSERT_FALSE(game_->Held());
  }

  // Live sprites of a class.
  template <class T>
  int CountOf() {
    int n = 0;
    for (int i = 0; i < Engine().Count(); ++i)
      n += dynamic_cast<T*>(&Engine().ItemAt(i)) != nullptr && !Engine().ItemAt(i).Dying();
    return n;
  }
  template <class T>
  std::vector<T*> All() {
    std::vector<T*> v;
    for (int i = 0; i < Engine().Count(); ++i)
      if (auto* t = dynamic_cast<T*>(&Engine().ItemAt(i)); t && !t->Dying()) v.push_back(t);
    return v;
  }

  void Press(int vk) {
    platform_->PressKey(vk);
    platform_->PumpEvents(*game_);
  }
  void Release(int vk) {
    platform_->ReleaseKey(vk);
    platform_->PumpEvents(*game_);
  }

  // Effect notes ("sound Up", "stop Up", ...) since the last call.
  std::vector<std::string> Notes() { return audio_->TakeNotes(); }
  static int Count(const std::vector<std::string>& notes, const std::string& note) {
    int n = 0;
    for (const std::string& s : notes) n += s == note;
    return n;
  }

  // A fish of a kind, made by the game and then put where the test wants it.
  Fish* MakeFish(int kind, int x, int y, bool facesLeft = false) {
    Round& r = R();
    const TargetTable saved = r.Targets;
    const uint8_t savedCount = r.TargetCount;
    r.Targets = TargetTable{};
    r.Targets[1] = {uint8_t(kind), 1};
    r.TargetCount = 1;
    Fish* f = nullptr;
    // Draw until the fish comes from the wanted side.
    for (int i = 0; i < 64; ++i) {
      f = Engine().Create<Fish>(*game_);
      if (f->FacesLeft == facesLeft) break;
      f->MarkDead();
      Engine().FlushDead();
    }
    r.Targets = saved;
    r.TargetCount = savedCount;
    f->X = x;
    f->Y = y;
    return f;
  }

  std::filesystem::path dir_;
  HeadlessAudioOut* audio_ = nullptr;
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<Game> game_;
};

}  // namespace klv::playtest
