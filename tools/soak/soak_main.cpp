// klevaria-soak: plays long headless games with the autopilot and random extra
// input. Every command it gives is logged as a script, so a failure replays
// with klevaria-script; a second pass replays the log and must reproduce the
// state hash taken every 60 frames. The heap is measured at checkpoints and
// must not grow by more than 1 MB after the warm-up.
//
//   klevaria-soak [--frames N] [--seed S] [--appdir DIR] [--log FILE]
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KLV_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KLV_ASAN 1
#endif
#ifdef KLV_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "app/game.h"
#include "app/script_runner.h"
#include "engine/random.h"
#include "engine/sprite_engine.h"
#include "platform/headless_platform.h"
#include "play/round.h"
#include "screens/screens.h"

namespace {

size_t HeapInUse() {
#ifdef KLV_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

uint64_t Mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  return h;
}

// What a replay must reproduce: the screen, the round and every sprite's place.
uint64_t StateHash(klv::Game& g) {
  uint64_t h = 1469598103934665603ull;
  for (char c : g.GameState) h = Mix(h, uint8_t(c));
  h = Mix(h, g.FrameCounter);
  h = Mix(h, g.Round1->LevelNo);
  h = Mix(h, uint32_t(g.Round1->ScoreValue()));
  h = Mix(h, uint32_t(g.Round1->RoundClock));
  h = Mix(h, g.Round1->FishCount);
  h = Mix(h, g.Round1->ObjectCount);
  h = Mix(h, g.Rng.State());
  const klv::SpriteEngine& e = *g.SpriteEngine1;
  for (int i = 0; i < e.Count(); ++i) {
    const klv::Sprite& s = e.ItemAt(i);
    h = Mix(h, uint32_t(s.X));
    h = Mix(h, uint32_t(s.Y));
    h = Mix(h, s.Visible);
  }
  return h;
}

// One random player action for the state the game is in.
std::string RandomAction(klv::Random& r, const std::string& state) {
  if (state == "Exit?") return "key Escape";  // never leave the program
  if (state == "Menu") {
    static const char* const kMenu[] = {"key Return", "key Down",     "key Up",
                                        "key Escape", "move 300 330", "click 300 240"};
    return kMenu[r.Below(6)];
  }
  if (state == "EnterName") {
    static const char* const kName[] = {"type Рыбак", "key BackSpace", "key Return",
                                        "click 387 389", "type a|b"};
    return kName[r.Below(5)];
  }
  static const char* const kAny[] = {
      "key p",        "key Escape",   "key Return",     "key Down",
      "key Up",       "move 100 300", "move 600 300",   "focus lost",
      "focus gained", "key Space",    "rclick 400 300", "key n",
      "key y",        "click 60 520", "key Keypad_-",   "key Keypad_+"};
  return kAny[r.Below(16)];
}

struct Pass {
  std::vector<uint64_t> hashes;
  std::vector<size_t> heap;
  bool ended = false;
};

// Runs the commands; when `log` is given, the autopilot and random actions
// are generated and written to it as they are given; otherwise the commands
// are read back from `replay`. Nothing is kept in memory, so the heap figures
// are the game's alone.
Pass Run(const std::string& appDir, uint64_t seed, uint64_t frames, std::ostream* log,
         std::istream* replay) {
  klv::ScriptOptions options;
  options.appDir = appDir;
  klv::ScriptRunner runner(options);
  Pass pass;
  auto exec = [&](const std::string& line) {
    if (log) *log << line << '\n';
    runner.Execute(line);
  };
  std::string pending;  // a replayed command read ahead
  auto nextCommand = [&](std::string& line) -> bool {
    if (!pending.empty()) {
      line.swap(pending);
      pending.clear();
      return true;
    }
    return replay && static_cast<bool>(std::getline(*replay, line));
  };
  auto stepFrames = [&](klv::Game& g, uint64_t target) {
    int idleWaits = 0;
    while (g.FrameTimer1.Frames() < target && !g.Terminated()) {
      uint64_t before = g.FrameTimer1.Frames();
      std::string line;
      // Without the focus no frame is drawn: after a few seconds of that,
      // hand back so that the player can come back to the window.
      if (log && !runner.Platform().Active() && ++idleWaits > 200) break;
      if (log)
        exec("wait 16");
      else if (nextCommand(line))
        runner.Execute(line);
      else
        break;
      if (g.FrameTimer1.Frames() / 60 != before / 60) {
        pass.hashes.push_back(StateHash(g));
        if (g.FrameTimer1.Frames() % 6000 < 60) pass.heap.push_back(HeapInUse());
      }
    }
  };
  if (log) {
    exec("seed " + std::to_string(seed));
    // A first tour of every screen, a world-table submission included (it
    // starts the network library), so the warm-up has seen them all.
    for (const char* line :
         {"wait 200",         "key Down",   "key Return",    "wait 200",   "key Escape",
          "key Down",         "key Return", "wait 200",      "key Escape", "key Down",
          "key Return",       "wait 200",   "key Escape",    "key Escape", "wait 200",
          "key Escape",       "key Up",     "key Up",        "key Up",     "key Return",
          "set score 100000", "wait 2500",  "key Escape",    "wait 200",   "key Return",
          "wait 200",         "type Тест",  "click 387 389", "key Return", "wait 200",
          "click 387 389",    "key Return", "wait 200",      "key Escape", "wait 200"})
      exec(line);
    exec("autopilot on");
    klv::Game& g = runner.TheGame();
    klv::Random r(seed * 31 + 7);
    while (g.FrameTimer1.Frames() < frames && !g.Terminated()) {
      stepFrames(g, g.FrameTimer1.Frames() + 30 + r.Below(400));
      if (!runner.Platform().Active())
        exec("focus gained");
      else if (r.Below(3) == 0)
        exec(RandomAction(r, g.GameState));
    }
  } else {
    std::string line;
    // The opening (seed, the tour of the screens, the autopilot) runs before
    // the checkpoints start, as in the first pass.
    while (nextCommand(line)) {
      runner.Execute(line);
      if (line == "autopilot on") break;
    }
    klv::Game& g = runner.TheGame();
    stepFrames(g, ~uint64_t{0});  // to the end of the log
  }
  pass.ended = runner.TheGame().Terminated();
  return pass;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t frames = 1000000, seed = 1, warmupFrames = 0;
  std::string appDir = "build/game", logPath = "soak.kls";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc)
      frames = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--seed" && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--appdir" && i + 1 < argc)
      appDir = argv[++i];
    else if (a == "--log" && i + 1 < argc)
      logPath = argv[++i];
    else if (a == "--warmup-frames" && i + 1 < argc)
      warmupFrames = std::strtoull(argv[++i], nullptr, 10);
    else {
      std::fprintf(stderr,
                   "usage: klevaria-soak [--frames N] [--seed S] [--appdir DIR] [--log FILE]\n");
      return 2;
    }
  }
  // A private game folder: the soak writes settings and scores.
  char tmpl[] = "/tmp/klv-soak-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  std::string dir = std::string(tmpl) + "/";
  for (const char* sub : {"Data", "Sound"}) {
    std::string target = std::filesystem::absolute(appDir).string() + "/" + sub;
    if (symlink(target.c_str(), (dir + sub).c_str()) != 0) return 1;
  }

  Pass first;
  {
    std::ofstream out(logPath);
    first = Run(dir, seed, frames, &out, nullptr);
  }
  std::printf("soak: %" PRIu64 " frames, commands logged to %s\n", frames, logPath.c_str());
  unlink((dir + "Config.cfg").c_str());
  std::ifstream in(logPath);
  Pass replay = Run(dir, seed, frames, nullptr, &in);
  int rc = 0;
  if (replay.hashes != first.hashes) {
    size_t i = 0;
    while (i < first.hashes.size() && i < replay.hashes.size() &&
           first.hashes[i] == replay.hashes[i])
      ++i;
    std::printf("soak: replay diverged at checkpoint %zu (frame %zu)\n", i, (i + 1) * 60);
    rc = 1;
  } else {
    std::printf("soak: replay reproduced %zu state hashes\n", first.hashes.size());
  }
  // The heap after the warm-up must stay flat. The warm-up is the first
  // quarter of the run (at least two checkpoints): by then every screen has
  // been seen and the caches of rendered texts are full.
  size_t warm = std::max<size_t>(2, first.heap.size() / 4);
  if (warmupFrames > 0) warm = std::max<size_t>(warm, size_t(warmupFrames / 6000));
  if (first.heap.size() > warm + 1) {
    size_t base = first.heap[warm], peak = base;
    for (size_t i = warm; i < first.heap.size(); ++i) peak = std::max(peak, first.heap[i]);
    std::printf("soak: heap after warm-up %zu bytes, peak %zu bytes (+%zu)\n", base, peak,
                peak - base);
    std::printf("soak: heap at each checkpoint (KB):");
    for (size_t h : first.heap) std::printf(" %zu", h / 1024);
    std::printf("\n");
    if (peak > base + 1024 * 1024) {
      std::printf("soak: heap grew by more than 1 MB\n");
      rc = 1;
    }
  }
  if (first.ended) {
    std::printf("soak: the program ended by itself\n");
    rc = 1;
  }
  unlink((dir + "Config.cfg").c_str());
  unlink((dir + "Data").c_str());
  unlink((dir + "Sound").c_str());
  rmdir(dir.c_str());
  std::printf(rc == 0 ? "soak: passed\n" : "soak: FAILED\n");
  return rc;
}
