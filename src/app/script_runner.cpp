#include "app/script_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "app/game.h"
#include "app/game_recorder.h"
#include "app/replay_viewer.h"
#include "engine/cp1251.h"
#include "engine/png_codec.h"
#include "engine/sprite_engine.h"
#include "online/score_submission.h"
#include "platform/headless_audio_out.h"
#include "platform/headless_platform.h"
#include "platform/key_map.h"
#include "platform/recording_platform.h"
#include "play/autopilot.h"
#include "play/player.h"
#include "play/round.h"
#include "screens/screens.h"
#include "settings/config.h"

namespace klv {
namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

// A saved switch as the scripts write it.
std::string Flag(bool on) {
  return std::string(1, on ? '1' : '0');
}

// A malformed line (exit 2) or a failed expectation (exit 1).
struct ScriptError : std::runtime_error {
  ScriptError(int code, const std::string& what) : std::runtime_error(what), code(code) {}
  int code;
};

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

long long ToNumber(const std::string& s) {
  try {
    size_t used = 0;
    long long v = std::stoll(s, &used, 10);
    if (used != s.size()) throw std::invalid_argument(s);
    return v;
  } catch (const std::exception&) {
    throw ScriptError(2, "not a number: " + s);
  }
}

// "Alt+Return", "Left", "Space": the key and its modifiers.
int ParseKey(const std::string& keyText, KeyMods* mods) {
  std::string rest = keyText;
  *mods = {};
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string::npos || plus == 0 || plus + 1 >= rest.size()) break;
    std::string mod = rest.substr(0, plus);
    if (mod == "Alt")
      mods->Alt = true;
    else if (mod == "Ctrl")
      mods->Ctrl = true;
    else if (mod == "Shift")
      mods->Shift = true;
    else
      break;
    rest = rest.substr(plus + 1);
  }
  std::string name = rest;
  for (char& c : name)
    if (c == '_') c = ' ';
  int vkCode = VkFromKeyName(name);
  if (vkCode == 0) throw ScriptError(2, "unknown key: " + keyText);
  return vkCode;
}

PadButton ParsePadButton(const std::string& name) {
  static const std::pair<const char*, PadButton> kNames[] = {
      {"up", PadButton::Up},       {"down", PadButton::Down}, {"left", PadButton::Left},
      {"right", PadButton::Right}, {"a", PadButton::A},       {"b", PadButton::B},
      {"start", PadButton::Start},
  };
  for (const auto& [text, button] : kNames)
    if (name == text) return button;
  throw ScriptError(2, "unknown gamepad button: " + name);
}

bool Compare(const std::string& got, const std::string& op, const std::string& want) {
  bool numeric = !got.empty() && !want.empty();
  long long a = 0, b = 0;
  if (numeric) {
    try {
      size_t ua = 0, ub = 0;
      a = std::stoll(got, &ua);
      b = std::stoll(want, &ub);
      numeric = ua == got.size() && ub == want.size();
    } catch (const std::exception&) {
      numeric = false;
    }
  }
  if (op == "=") return numeric ? a == b : got == want;
  if (op == "!=") return numeric ? a != b : got != want;
  if (!numeric) throw ScriptError(2, "ordering needs numbers: " + got + " " + op + " " + want);
  if (op == "<") return a < b;
  if (op == "<=") return a <= b;
  if (op == ">") return a > b;
  if (op == ">=") return a >= b;
  throw ScriptError(2, "unknown comparison: " + op);
}

}  // namespace

const char* ScriptRunner::ScreenName(Screen screen) {
  switch (screen) {
    case Screen::None:
      return "";
    case Screen::Menu:
      return "Menu";
    case Screen::Options:
      return "Options";
    case Screen::HiScores:
      return "HiScores";
    case Screen::Help:
      return "Help";
    case Screen::ExitQuestion:
      return "Exit?";
    case Screen::Game:
      return "Game";
    case Screen::ExitGameQuestion:
      return "ExitGame?";
    case Screen::GameOver:
      return "GameOver";
    case Screen::GameOver2:
      return "GameOver2";
    case Screen::EnterName:
      return "EnterName";
  }
  return "";
}

std::optional<Screen> ScriptRunner::ScreenNamed(std::string_view name) {
  for (Screen s : kAllScreens) {
    if (name == ScreenName(s)) return s;
  }
  return std::nullopt;
}

const char* ScriptRunner::Help() {
  return "usage: klevaria-script [--appdir DIR] [--score-service URL] SCRIPT\n"
         "Runs the game headless with a simulated clock. One command a line; # starts a comment.\n"
         "  seed N                 the random generator's seed (before anything else)\n"
         "  score-service URL|none the world table's address, or none set up (before\n"
         "                         anything but seed)\n"
         "  wait MS                advance the clock, running every frame and timer due\n"
         "  key NAME               press and release a key (SDL names; Alt+Return, Ctrl+x)\n"
         "  down NAME / up NAME    press / release a key\n"
         "  type TEXT              typed characters (UTF-8)\n"
         "  move X Y               move the pointer\n"
         "  click X Y / rclick X Y left / right click at a point\n"
         "  mousedown / mouseup    the left button\n"
         "  focus lost|gained      the window loses or gains the focus\n"
         "  minimized              the window manager minimised the window\n"
         "  close                  a window close request\n"
         "  terminate              the desktop asks the program to end (SIGTERM, logout)\n"
         "  shot FILE.png          save the back buffer\n"
         "  print                  state, level, score, clock, fish, objects, sprites, frame, ms\n"
         "  hash LABEL             the label and hashes of every pixel of the frame on screen,\n"
         "                         of every change of it so far, of the random generator's\n"
         "                         state and of every sound and tune event so far, in order\n"
         "  set score N            set the angler's score\n"
         "  pad NAME               press and release a gamepad button: up, down, left,\n"
         "                         right (D-pad), a, b, start; pad lost: the gamepad is\n"
         "                         unplugged\n"
         "  stick X Y              hold the gamepad's stick at X Y (-1000..1000; 0 0 lets go)\n"
         "  autopilot on|pad|off   a built-in player that uses only the player's keys\n"
         "                         (pad: only the gamepad's stick)\n"
         "  expect KEY [OP] VALUE  OP one of = != < <= > >=; KEY one of state, level, score,\n"
         "                         clock, fish, objects, sprites, ended, box, sound NAME\n"
         "                         (played since the last check), music (FILE or none),\n"
         "                         table R NAME SCORE (row R of the local table),\n"
         "                         menupos, help (the help page shown),\n"
         "                         replays (a 0 or 1 a row: the rows with a replay),\n"
         "                         watching (0, 1, paused or x4: a replay is shown),\n"
         "                         saved music|sound|windowed|send|addtext VALUE and\n"
         "                         saved table R NAME SCORE (Config.cfg as written)\n"
         "Exit status: 0 all expectations met, 1 one failed, 2 a malformed script.\n";
}

ScriptRunner::ScriptRunner(ScriptOptions options)
    : options_(std::move(options)),
      soundTrail_(kFnvOffset),
      frameTrail_(kFnvOffset),
      out_(&std::cout) {
  if (!options_.appDir.empty() && options_.appDir.back() != '/') options_.appDir += '/';
  platform_ = std::make_unique<HeadlessPlatform>();
  recording_ = std::make_unique<RecordingPlatform>(*platform_);
}

ScriptRunner::~ScriptRunner() {
  if (recorder_) recorder_->Finish();
  autopilot_.reset();
  recorder_.reset();
  game_.reset();
}

GameRecorder& ScriptRunner::Recorder() {
  EnsureStarted();
  return *recorder_;
}

Game& ScriptRunner::TheGame() {
  EnsureStarted();
  return *game_;
}

void ScriptRunner::EnsureStarted() {
  if (started_) return;
  started_ = true;
  GamePaths paths;
  paths.AppDir = options_.appDir;
  game_ = std::make_unique<Game>(*recording_, paths, seed_);
  recorder_ = std::make_unique<GameRecorder>(*game_, *recording_);
  game_->Recorder = recorder_.get();
  if (!options_.scoreService.empty()) game_->ScoreService = options_.scoreService;
  game_->StartSubmission = HttpSubmissionStarter();
  if (options_.noScoreService) game_->ScoreService.clear();
  try {
    game_->FormCreate();
  } catch (const std::exception& e) {
    // As the desktop game does: the error in a box, and the program ends.
    platform_->ShowMessage(e.what(), MessageKind::Error);
    game_->Terminate();
  }
}

void ScriptRunner::Pump() {
  recorder_->Poll();
  recording_->PumpEvents(*game_);
  // A score sent to the world table goes out on a worker thread while the
  // frames go on. The script waits for the outcome right after the key or
  // click that sent it, before the next frame, so that no run depends on how
  // fast the network answers. The request's own limits end it well within
  // the bound.
  for (int i = 0; i < 10000 && game_->Screens1->Sending; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    game_->Screens1->PollSubmission();
  }
}

void ScriptRunner::AbsorbNotes() {
  // Only what the checks need is kept, so a long run does not pile up notes.
  for (std::string& n : static_cast<HeadlessAudioOut&>(platform_->Audio()).TakeNotes()) {
    for (char c : n) soundTrail_ = (soundTrail_ ^ uint8_t(c)) * kFnvPrime;
    soundTrail_ = (soundTrail_ ^ '\n') * kFnvPrime;
    if (n.rfind("music ", 0) == 0)
      music_ = n.substr(6);
    else if (n.rfind("sound ", 0) == 0)
      soundsPlayed_.insert(n.substr(6));
  }
}

void ScriptRunner::DriveAutopilot() {
  // The autopilot says which keys a player would hold this frame; press and
  // release them as a keyboard would.
  const Autopilot::KeyChanges changes = autopilot_->NextKeyChanges();
  if (autopilotPad_) {
    // The same choices made with the stick: sideways walks, down lowers.
    JoystickState& pad = platform_->joystick;
    pad.present = true;
    pad.x = 0;
    pad.y = 0;
    for (int k : autopilot_->HeldKeys()) {
      if (k == vk::Left) pad.x = -1000;
      if (k == vk::Right) pad.x = 1000;
      if (k == vk::Control) pad.y = 1000;
    }
    return;
  }
  for (int k : changes.Release) platform_->ReleaseKey(k);
  for (int k : changes.Press) platform_->PressKey(k);
}

uint64_t ScriptRunner::SimulatedMs() const {
  return platform_->NowMicros() / 1000;
}

void ScriptRunner::Wait(uint64_t ms) {
  EnsureStarted();
  const uint64_t target = platform_->NowMicros() + ms * 1000;
  while (!game_->Terminated()) {
    uint64_t due = game_->NextDueMicros();
    if (due > target) break;
    if (due > platform_->NowMicros()) platform_->SetNow(due);
    if (autopilot_ && game_->FrameTimer1.Running() && game_->FrameTimer1.DueUs() <= due)
      DriveAutopilot();
    Pump();
    const uint64_t framesBefore = game_->FrameTimer1.Frames();
    const uint64_t presentsBefore = platform_->presentCount;
    if (BeforeRunDue) BeforeRunDue();
    game_->RunDue();
    // The bench times the game's own work, not the trail's hash below.
    if (AfterRunDue) AfterRunDue(game_->FrameTimer1.Frames() != framesBefore);
    if (trackFrames_ && platform_->presentCount != presentsBefore) {
      // A frame shown again unchanged adds nothing: the trail is of the
      // pictures the player saw, however often each was sent.
      const uint64_t frame = PixelHash();
      if (!anyFrame_ || frame != lastFrame_) frameTrail_ = (frameTrail_ ^ frame) * kFnvPrime;
      anyFrame_ = true;
      lastFrame_ = frame;
    }
  }
  if (!game_->Terminated()) platform_->SetNow(target);
  AbsorbNotes();
}

std::string ScriptRunner::StatusLine() {
  const GameSnapshot g = TheGame().Snapshot();
  char buf[256];
  std::snprintf(
      buf, sizeof buf,
      "state=%s level=%d score=%d clock=%d fish=%d objects=%d sprites=%d frame=%d ms=%llu",
      g.Shown == Screen::None ? "-" : ScreenName(g.Shown), g.LevelNo, int(g.Score),
      int(g.RoundClock), g.FishCount, g.ObjectCount, g.Sprites, int(g.FrameCounter),
      static_cast<unsigned long long>(SimulatedMs()));
  return buf;
}

uint64_t ScriptRunner::PixelHash() const {
  // Every byte of every pixel of the frame on screen. The standard library's
  // string hash is fast enough to take every frame of a long run.
  const Surface& frame = platform_->LastFrame();
  const size_t bytes = size_t(frame.Width()) * size_t(frame.Height()) * sizeof(uint32_t);
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(frame.Pixels()), bytes));
}

std::string ScriptRunner::HashLine() {
  if (!trackFrames_) throw ScriptError(2, "hash: the frame trail is off");
  Game& g = TheGame();
  AbsorbNotes();
  char buf[160];
  std::snprintf(
      buf, sizeof buf, "pixels=%016llx frames=%016llx random=%016llx sounds=%016llx",
      static_cast<unsigned long long>(PixelHash()), static_cast<unsigned long long>(frameTrail_),
      static_cast<unsigned long long>(g.Rng.State()), static_cast<unsigned long long>(soundTrail_));
  return buf;
}

std::string ScriptRunner::Value(const std::string& key, const std::string& arg) {
  Game& g = TheGame();
  const GameSnapshot now = g.Snapshot();
  if (key == "state") {
    if (!ScreenNamed(arg)) throw ScriptError(2, "unknown state: " + arg);
    return ScreenName(now.Shown);
  }
  if (key == "level") return std::to_string(now.LevelNo);
  if (key == "score") return std::to_string(now.Score);
  if (key == "clock") return std::to_string(now.RoundClock);
  if (key == "fish") return std::to_string(now.FishCount);
  if (key == "objects") return std::to_string(now.ObjectCount);
  if (key == "sprites") return std::to_string(now.Sprites);
  if (key == "ended") return now.Terminated ? "1" : "0";
  if (key == "box") {
    // A box of several lines reads as one, its lines joined by spaces.
    std::string box = platform_->messages.empty() ? "" : platform_->messages.back();
    std::replace(box.begin(), box.end(), '\n', ' ');
    return box;
  }
  if (key == "menupos") return std::to_string(now.MenuPos);
  if (key == "help") return std::to_string(now.HelpPage);
  if (key == "replays") {
    std::string rows;
    for (bool kept : now.RowHasReplay) rows += kept ? '1' : '0';
    return rows;
  }
  if (key == "watching") {
    if (!g.Viewer) return "0";
    if (g.Viewer->Paused()) return "paused";
    return g.Viewer->Speed() == 1 ? "1" : "x" + std::to_string(g.Viewer->Speed());
  }
  if (key == "music") {
    AbsorbNotes();
    return music_;
  }
  throw ScriptError(2, "unknown expect key: " + key);
}

// "expect saved KEY VALUE" and "expect saved table R NAME SCORE": Config.cfg
// as last written, read back without touching it.
void ScriptRunner::ExpectSaved(const std::vector<std::string>& w) {
  if (w.size() < 4) throw ScriptError(2, "expect saved KEY VALUE");
  const std::string path = ConfigPath(TheGame().ConfigDir);
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  Config saved;
  if (!in.good() && !in.eof()) throw ScriptError(1, "cannot read " + path);
  if (!ConfigFromFileBytes(bytes, saved)) throw ScriptError(1, "no record in " + path);
  const std::string& what = w[2];
  std::string got, want = w.back();
  if (what == "table") {
    long long row = ToNumber(w[3]);
    if (row < 1 || row > 10 || w.size() > 6)
      throw ScriptError(2, "expect saved table R NAME SCORE");
    const ScoreEntry& e = saved.Scores[row - 1];
    got = Cp1251ToUtf8(e.Name) + " " + std::to_string(e.Score.Value());
    want = (w.size() == 6 ? w[4] : "") + " " + w.back();
  } else if (w.size() != 4) {
    throw ScriptError(2, "expect saved KEY VALUE");
  } else if (what == "music") {
    got = Flag(saved.Music);
  } else if (what == "sound") {
    got = Flag(saved.Sound);
  } else if (what == "windowed") {
    got = Flag(saved.Windowed);
  } else if (what == "send") {
    got = Flag(saved.SendScores);
  } else if (what == "addtext") {
    got = Cp1251ToUtf8(saved.AddText);
  } else {
    throw ScriptError(2, "unknown saved key: " + what);
  }
  if (got != want) throw ScriptError(1, "expected saved " + what + " " + want + ", got " + got);
}

void ScriptRunner::Expect(const std::vector<std::string>& w) {
  if (w.size() < 2) throw ScriptError(2, "expect needs a key");
  const std::string& key = w[1];
  if (key == "sound") {
    if (w.size() != 3) throw ScriptError(2, "expect sound NAME");
    AbsorbNotes();
    const bool found = soundsPlayed_.count(w[2]) > 0;
    soundsPlayed_.clear();
    if (!found) throw ScriptError(1, "expected sound " + w[2] + ", got none");
    return;
  }
  if (key == "saved") {
    ExpectSaved(w);
    return;
  }
  if (key == "table") {
    if (w.size() < 4) throw ScriptError(2, "expect table R NAME SCORE");
    long long row = ToNumber(w[2]);
    if (row < 1 || row > 10) throw ScriptError(2, "table rows are 1..10");
    const ScoreEntry& e = TheGame().Cfg->Scores[row - 1];
    std::string name = w.size() == 5 ? w[3] : "";
    std::string score = w.back();
    std::string gotName = Cp1251ToUtf8(e.Name);
    std::string gotScore = std::to_string(e.Score.Value());
    if (gotName != name || gotScore != score)
      throw ScriptError(1, "expected table " + w[2] + " " + name + " " + score + ", got " +
                               gotName + " " + gotScore);
    return;
  }
  std::string op = "=", want;
  if (w.size() == 3) {
    want = w[2];
  } else if (w.size() == 4) {
    op = w[2];
    want = w[3];
  } else if (w.size() == 2 && key == "box") {
    want = "";
  } else {
    // The message box text may hold spaces.
    if (key != "box") throw ScriptError(2, "expect KEY [OP] VALUE");
    size_t start = 2;
    if (w[2] == "=" || w[2] == "!=") {
      op = w[2];
      start = 3;
    }
    for (size_t i = start; i < w.size(); ++i) want += (i > start ? " " : "") + w[i];
  }
  std::string got = Value(key, want);
  if (!Compare(got, op, want))
    throw ScriptError(1, "expected " + key + " " + op + " " + want + ", got " + got);
}

void ScriptRunner::Execute(const std::string& line) {
  std::vector<std::string> w = Words(line);
  if (w.empty()) return;
  const std::string& cmd = w[0];
  auto need = [&](size_t n) {
    if (w.size() != n) throw ScriptError(2, cmd + ": wrong number of arguments");
  };
  if (cmd == "seed") {
    need(2);
    if (started_) throw ScriptError(2, "seed must come before anything else");
    seed_ = static_cast<uint64_t>(ToNumber(w[1]));
    return;
  }
  if (cmd == "score-service") {
    need(2);
    if (started_) throw ScriptError(2, "score-service must come before anything but seed");
    options_.noScoreService = w[1] == "none";
    options_.scoreService = w[1] == "none" ? "" : w[1];
    return;
  }
  EnsureStarted();
  if (cmd == "wait") {
    need(2);
    long long ms = ToNumber(w[1]);
    if (ms < 0) throw ScriptError(2, "wait takes a non-negative time");
    Wait(static_cast<uint64_t>(ms));
  } else if (cmd == "key" || cmd == "down" || cmd == "up") {
    need(2);
    KeyMods mods;
    int vkCode = ParseKey(w[1], &mods);
    if (cmd != "up") platform_->PressKey(vkCode, mods);
    if (cmd != "down") platform_->ReleaseKey(vkCode, mods);
    Pump();
  } else if (cmd == "type") {
    size_t at = line.find("type") + 4;
    while (at < line.size() && line[at] == ' ') ++at;
    std::string text = line.substr(at);
    platform_->Queue([text](EventSink& s) { s.OnTextInput(text); });
    Pump();
  } else if (cmd == "move" || cmd == "click" || cmd == "rclick") {
    need(3);
    int x = static_cast<int>(ToNumber(w[1])), y = static_cast<int>(ToNumber(w[2]));
    platform_->Queue([x, y](EventSink& s) { s.OnMouseMove(x, y); });
    if (cmd != "move") {
      MouseButton b = cmd == "click" ? MouseButton::Left : MouseButton::Right;
      platform_->Queue([b, x, y](EventSink& s) { s.OnMouseButton(b, true, x, y); });
      platform_->Queue([b, x, y](EventSink& s) { s.OnMouseButton(b, false, x, y); });
    }
    Pump();
  } else if (cmd == "mousedown" || cmd == "mouseup") {
    need(1);
    bool down = cmd == "mousedown";
    const GameSnapshot now = game_->Snapshot();
    int x = now.LastMouseX, y = now.LastMouseY;
    platform_->Queue(
        [down, x, y](EventSink& s) { s.OnMouseButton(MouseButton::Left, down, x, y); });
    Pump();
  } else if (cmd == "focus") {
    need(2);
    if (w[1] != "lost" && w[1] != "gained") throw ScriptError(2, "focus lost|gained");
    platform_->SetActive(w[1] == "gained");
    Pump();
  } else if (cmd == "close" || cmd == "minimized" || cmd == "terminate") {
    need(1);
    if (cmd == "close") platform_->Queue([](EventSink& s) { s.OnCloseRequest(); });
    if (cmd == "minimized") platform_->Queue([](EventSink& s) { s.OnMinimize(); });
    if (cmd == "terminate") platform_->Queue([](EventSink& s) { s.OnEndSession(); });
    Pump();
  } else if (cmd == "shot") {
    need(2);
    const Surface& frame = platform_->LastFrame();
    if (frame.Empty()) throw ScriptError(1, "shot: no frame has been drawn yet");
    PngCodec::WriteFile(w[1], frame);
  } else if (cmd == "print") {
    need(1);
    *out_ << StatusLine() << "\n";
  } else if (cmd == "hash") {
    need(2);
    *out_ << w[1] << " " << HashLine() << "\n";
  } else if (cmd == "set") {
    if (w.size() != 3 || w[1] != "score") throw ScriptError(2, "set score N");
    long long v = ToNumber(w[2]);
    if (Player* angler = game_->Round1->LocalAngler())
      angler->Score = Score::Plain(static_cast<uint32_t>(v));
  } else if (cmd == "pad" && w.size() == 2 && w[1] == "lost") {
    platform_->joystick = JoystickState{};
    platform_->Queue([](EventSink& s) { s.OnPadLost(); });
    Pump();
  } else if (cmd == "pad") {
    need(2);
    PadButton button = ParsePadButton(w[1]);
    platform_->Queue([button](EventSink& s) { s.OnPadButton(button, true); });
    platform_->Queue([button](EventSink& s) { s.OnPadButton(button, false); });
    Pump();
  } else if (cmd == "stick") {
    need(3);
    long long x = ToNumber(w[1]), y = ToNumber(w[2]);
    if (x < -1000 || x > 1000 || y < -1000 || y > 1000)
      throw ScriptError(2, "stick X Y: each from -1000 to 1000");
    platform_->joystick.present = true;
    platform_->joystick.x = static_cast<int>(x);
    platform_->joystick.y = static_cast<int>(y);
  } else if (cmd == "autopilot") {
    need(2);
    const bool on = w[1] == "on" || w[1] == "pad";
    const bool pad = w[1] == "pad";
    if (!on && w[1] != "off") throw ScriptError(2, "autopilot on|pad|off");
    if (autopilot_ && (!on || pad != autopilotPad_)) {
      // Whatever the last player held is let go first.
      if (autopilotPad_)
        platform_->joystick = JoystickState{};
      else
        for (int k : autopilot_->HeldKeys()) platform_->ReleaseKey(k);
      autopilot_.reset();
      Pump();
    }
    if (on) autopilotPad_ = pad;
    if (on && !autopilot_)
      autopilot_ = std::make_unique<Autopilot>(*game_->Play1, *game_->Round1, game_->GameState);
  } else if (cmd == "expect") {
    Expect(w);
  } else {
    throw ScriptError(2, "unknown command: " + cmd);
  }
}

namespace {

// A script line without its comment and trailing blanks.
std::string Trimmed(std::string line) {
  size_t hash = line.find('#');
  if (hash != std::string::npos) line.resize(hash);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.pop_back();
  return line;
}

// Whether any line of the script is a "hash" command.
bool AsksForHash(const std::string& script) {
  std::istringstream in(script);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(Trimmed(line));
    std::string cmd;
    if (words >> cmd && cmd == "hash") return true;
  }
  return false;
}

}  // namespace

int ScriptRunner::Run(const std::string& script, std::ostream& out, std::ostream& err) {
  out_ = &out;
  // The trail is of every frame from the start, so it is kept from the start
  // only when some line will print it.
  trackFrames_ = AsksForHash(script);
  std::istringstream in(script);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trimmed(line);
    try {
      Execute(line);
    } catch (const ScriptError& e) {
      err << "line " << number << ": " << e.what() << "\n";
      return e.code;
    } catch (const std::exception& e) {
      err << "line " << number << ": " << e.what() << "\n";
      return 1;
    }
  }
  EnsureStarted();
  out << "ok: " << number << " lines, " << SimulatedMs() << " ms simulated, "
      << game_->FrameTimer1.Frames() << " frames\n";
  return 0;
}

}  // namespace klv
