// The typed-character path of the whole game: arbitrary bytes arrive as text
// input (UTF-8, possibly malformed) and key releases while the player types
// the options' free text and a name for the table. Whatever arrives, the
// texts keep their limits and never hold a character the game refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "../support/tiny_game_data.h"
#include "app/game.h"
#include "platform/headless_platform.h"
#include "play/round.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace {

struct World {
  std::filesystem::path dir;
  std::unique_ptr<klv::HeadlessPlatform> platform;
  std::unique_ptr<klv::Game> game;
};

World& TheWorld() {
  static World* w = [] {
    auto* world = new World;
    world->dir = std::filesystem::temp_directory_path() / "klv-fuzz-typed-text";
    klv::test::WriteGameData(world->dir);
    world->platform = std::make_unique<klv::HeadlessPlatform>();
    klv::GamePaths paths;
    paths.AppDir = world->dir.string() + "/";
    world->game = std::make_unique<klv::Game>(*world->platform, paths, 1);
    world->game->ScoreService = "http://127.0.0.1:1";
    world->game->FormCreate();
    return world;
  }();
  return *w;
}

bool Acceptable(const std::string& text, size_t limit) {
  if (text.size() > limit) return false;
  for (unsigned char c : text)
    if (c <= 47 || c == '|') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = TheWorld();
  klv::Game& g = *w.game;
  klv::Screens& s = *g.Screens1;
  // The first byte picks the field: the options' text, or the name entry.
  const bool nameEntry = size > 0 && (data[0] & 1);
  if (nameEntry) {
    g.GameState = klv::Screen::EnterName;
    s.Sending = false;
  } else {
    g.GameState = klv::Screen::Options;
    s.EditAddText = true;
    s.MenuPos = 4;
  }
  // Then runs of text, each ended by a control byte that becomes a key release
  // of Backspace (0x08) or is dropped.
  std::string run;
  for (size_t i = 1; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\x08' || c == '\x00') {
      if (!run.empty()) g.OnTextInput(run);
      run.clear();
      if (c == '\x08') g.OnKeyUp(0x08, {});
    } else {
      run += c;
    }
  }
  if (!run.empty()) g.OnTextInput(run);
  if (!Acceptable(g.Cfg->AddText, 10) || !Acceptable(s.EnteredName, 12)) std::abort();
  // Leave a clean state for the next input.
  g.Cfg->AddText.clear();
  s.EnteredName.clear();
  s.EditAddText = false;
  g.GameState = klv::Screen::Menu;
  return 0;
}
