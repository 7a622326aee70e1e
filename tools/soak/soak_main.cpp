// klevaria-soak: plays long headless games with the autopilot and random extra
// input. Every command it gives is logged as a script, so a failure replays
// with klevaria-script; a second pass replays the log and must reproduce the
// state hash taken every 60 frames.
//
// The heap: the live bytes (what the allocator has handed out and not got
// back) are read every 1000 frames. After the warm-up (the first tenth of the
// run unless told otherwise) no reading may exceed the one taken at its end
// by more than 1 MB: a game that holds a bounded set of things stays well
// within that, one that keeps something per frame, per catch or per game
// does not.
//
//   klevaria-soak [--frames N] [--seed S] [--warmup-frames N] [--appdir DIR] [--log FILE]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
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

#include "app/game.h"
#include "app/live_heap.h"
#include "app/script_runner.h"
#include "engine/random.h"
#include "engine/sprite_engine.h"
#include "platform/headless_platform.h"
#include "play/round.h"
#include "screens/screens.h"

namespace {

constexpr uint64_t kHeapEvery = 1000;  // frames between readings of the heap

uint64_t Mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  return h;
}

// What a replay must reproduce: the screen, the round and every sprite's place.
uint64_t StateHash(klv::Game& g) {
  uint64_t h = 1469598103934665603ull;
  h = Mix(h, uint8_t(g.GameState));
  h = Mix(h, g.FrameCounter);
  h = Mix(h, g.Round1->LevelNo);
  h = Mix(h, g.Round1->AnglerScore().Value());
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
std::string RandomAction(klv::Random& r, klv::Screen screen) {
  if (screen == klv::Screen::ExitQuestion) return "key Escape";  // never leave the program
  if (screen == klv::Screen::Menu) {
    static const char* const kMenu[] = {"key Return", "key Down",     "key Up",
                                        "key Escape", "move 300 330", "click 300 240"};
    return kMenu[r.Below(6)];
  }
  if (screen == klv::Screen::EnterName) {
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

// Large pictures are decoded when first drawn, and the scenes of the later
// levels first show deep into a game: decoded after the tour, they are in
// memory before the warm-up ends too, so what the heap shows after it is what
// the game keeps, not what it sees for the first time.
void DecodeEveryPicture(klv::Game& g) {
  for (klv::PictureCollection* c : {&g.Play1->MenuImgs, &g.Play1->GameImgs})
    for (int i = 0; i < c->Count(); ++i) (void)c->ItemAt(i).Picture();
}

// The opening: a tour of every screen and every text the game draws, so that
// what the game loads once (fonts, tunes, pictures, the network library) is
// in memory before the warm-up ends. Each stop is checked: a tour that went
// astray would leave these loads to the measured part of the run.
constexpr const char* kTour = R"(
wait 200
expect state Menu
key Down
key Return                # the options
wait 200
expect state Options
key Escape
key Down
key Return                # the high-score table
wait 200
expect state HiScores
key Escape
key Down
key Return                # the help, and its last page
wait 200
expect state Help
key Down
key Return
wait 200
key Escape
wait 200
expect state Menu
key r                     # the credit line: key codes adding up to its sum
key r
key r
key r
key r
key r
key r
key u
wait 200
key Escape                # the exit question, answered no
wait 200
expect state Exit?
key Escape
expect menupos 1
key Return                # a game: the "Готовсь!" hold, play, the pause
wait 2500
expect state Game
key p
wait 200
key p
focus lost                # the tune stops and play holds
wait 200
focus gained
key p
wait 1000
set score 100000          # leave the game with a score for the table
key Escape
wait 200
expect state ExitGame?
key Return
wait 200
expect state EnterName
type Тест
click 387 389             # send the score: nothing answers, and a box says so
key Return
wait 200
expect state EnterName
expect box Can't connect to server!
click 387 389
key Return                # the menu tune again, and the table with the new name
wait 200
expect state HiScores
key Escape
wait 200
expect state Menu
)";

// The tour's commands, without comments and blank lines.
std::vector<std::string> TourLines() {
  std::vector<std::string> lines;
  std::istringstream in(kTour);
  for (std::string line; std::getline(in, line);) {
    line.resize(std::min(line.size(), line.find('#')));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

struct Pass {
  std::vector<uint64_t> hashes;
  std::vector<std::pair<uint64_t, size_t>> heap;  // (frame, live heap bytes)
  bool ended = false;
};

// Runs the commands; when `log` is given, the autopilot and random actions
// are generated and written to it as they are given; otherwise the commands
// are read back from `replay`. The records of the pass are reserved for the
// whole run beforehand, so the heap figures are the game's alone.
Pass Run(const klv::ScriptOptions& options, uint64_t seed, uint64_t frames, std::ostream* log,
         std::istream* replay) {
  klv::ScriptRunner runner(options);
  Pass pass;
  pass.hashes.reserve(frames / 60 + 64);
  pass.heap.reserve(frames / kHeapEvery + 16);
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
      const uint64_t now = g.FrameTimer1.Frames();
      if (now / 60 != before / 60) pass.hashes.push_back(StateHash(g));
      if (now / kHeapEvery != before / kHeapEvery && pass.heap.size() < pass.heap.capacity())
        pass.heap.emplace_back(now, klv::LiveHeapBytes());
    }
  };
  if (log) {
    exec("seed " + std::to_string(seed));
    for (const std::string& line : TourLines()) exec(line);
    DecodeEveryPicture(runner.TheGame());
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
      if (line == "autopilot on") DecodeEveryPicture(runner.TheGame());
      runner.Execute(line);
      if (line == "autopilot on") break;
    }
    klv::Game& g = runner.TheGame();
    stepFrames(g, ~uint64_t{0});  // to the end of the log
  }
  pass.ended = runner.TheGame().Terminated();
  return pass;
}

// A loopback port where nothing listens: the world-table submissions of the
// soak are refused at once, whatever runs on this machine. The socket keeps
// the port taken until the soak ends.
std::string RefusingService(int& socketOut) {
  socketOut = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (socketOut < 0 || bind(socketOut, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(socketOut, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    return "http://127.0.0.1:9";  // the discard port: nothing serves it either
  return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t frames = 1000000, seed = 1, warmupFrames = 0;
  bool warmupGiven = false;
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
    else if (a == "--warmup-frames" && i + 1 < argc) {
      warmupFrames = std::strtoull(argv[++i], nullptr, 10);
      warmupGiven = true;
    } else {
      std::fprintf(stderr,
                   "usage: klevaria-soak [--frames N] [--seed S] [--warmup-frames N] "
                   "[--appdir DIR] [--log FILE]\n");
      return 2;
    }
  }
  if (!warmupGiven) warmupFrames = frames / 10;
  // A private game folder: the soak writes settings and scores.
  char tmpl[] = "/tmp/klv-soak-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  std::string dir = std::string(tmpl) + "/";
  for (const char* sub : {"Data", "Sound"}) {
    std::string target = std::filesystem::absolute(appDir).string() + "/" + sub;
    if (symlink(target.c_str(), (dir + sub).c_str()) != 0) return 1;
  }
  int refusing = -1;
  klv::ScriptOptions options;
  options.appDir = dir;
  options.scoreService = RefusingService(refusing);

  int rc = 0;
  Pass first, replay;
  try {
    {
      std::ofstream out(logPath);
      first = Run(options, seed, frames, &out, nullptr);
    }
    std::printf("soak: %" PRIu64 " frames, commands logged to %s\n", frames, logPath.c_str());
    unlink((dir + "Config.cfg").c_str());
    std::ifstream in(logPath);
    replay = Run(options, seed, frames, nullptr, &in);
  } catch (const std::exception& e) {
    // A failed check of the opening tour, or a broken line in the log.
    std::printf("soak: %s (the commands so far are in %s)\n", e.what(), logPath.c_str());
    rc = 1;
  }
  if (rc == 0 && replay.hashes != first.hashes) {
    size_t i = 0;
    while (i < first.hashes.size() && i < replay.hashes.size() &&
           first.hashes[i] == replay.hashes[i])
      ++i;
    std::printf("soak: replay diverged at checkpoint %zu (frame %zu)\n", i, (i + 1) * 60);
    rc = 1;
  } else if (rc == 0) {
    std::printf("soak: replay reproduced %zu state hashes\n", first.hashes.size());
  }
  // The heap after the warm-up must stay flat: measured from the first
  // reading at or after its end.
  size_t warm = 0;
  while (warm < first.heap.size() && first.heap[warm].first < warmupFrames) ++warm;
  if (rc == 0 && warm + 1 < first.heap.size()) {
    const size_t base = first.heap[warm].second;
    size_t peak = base;
    uint64_t peakFrame = first.heap[warm].first;
    for (size_t i = warm; i < first.heap.size(); ++i) {
      if (first.heap[i].second > peak) {
        peak = first.heap[i].second;
        peakFrame = first.heap[i].first;
      }
    }
    std::printf("soak: live heap at frame %" PRIu64
                " (end of the warm-up) %zu bytes, peak %zu "
                "bytes at frame %" PRIu64 " (+%zu)\n",
                first.heap[warm].first, base, peak, peakFrame, peak - base);
    // The curve, at every tenth of the run.
    std::printf("soak: live heap (frame: KB):");
    const uint64_t tenth = std::max<uint64_t>(frames / 10, kHeapEvery);
    for (const auto& [frame, bytes] : first.heap)
      if (frame % tenth < kHeapEvery) std::printf(" %" PRIu64 ": %zu", frame, bytes / 1024);
    std::printf("\n");
    if (peak > base + 1024 * 1024) {
      std::printf("soak: the heap grew by more than 1 MB after the warm-up\n");
      rc = 1;
    }
  } else if (rc == 0) {
    std::printf("soak: too short a run to measure the heap after the warm-up\n");
  }
  if (first.ended) {
    std::printf("soak: the program ended by itself\n");
    rc = 1;
  }
  if (refusing >= 0) close(refusing);
  unlink((dir + "Config.cfg").c_str());
  unlink((dir + "Data").c_str());
  unlink((dir + "Sound").c_str());
  rmdir(dir.c_str());
  std::printf(rc == 0 ? "soak: passed\n" : "soak: FAILED\n");
  return rc;
}
