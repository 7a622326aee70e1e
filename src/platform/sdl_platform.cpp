#include "platform/sdl_platform.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "engine/errors.h"
#include "engine/surface.h"
#include "platform/key_map.h"
#include "platform/message_box.h"
#include "platform/sdl_audio_out.h"
#include "platform/sdl_desktop.h"

extern char** environ;

namespace klv {
namespace {

// The desktop's request to end (SIGTERM at a logout, SIGINT from Ctrl+C in a
// terminal, SIGHUP when the terminal goes): 0 none, 1 asked, 2 handed to the
// game. A second request while the first is under way ends the program at
// once, as if the game had never caught the signal.
volatile sig_atomic_t gEndRequest = 0;
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnEndSignal(int sig) {
  if (gEndRequest != 0) {
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  gEndRequest = 1;
}

void CatchEndSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnEndSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : kEndSignals) sigaction(sig, &sa, nullptr);
}

// The window may be made this many times smaller than the picture, no more.
constexpr int kSmallestWindowShare = 4;

// The longest sleep between two looks at the end request, in milliseconds.
constexpr uint64_t kLongestWaitMs = 200;

// Whether this program answers as the child processes below when started
// again (SdlPlatform::RunChildProcess); a program that does not shows no box.
bool gServesChildren = false;

// Starts this program again with `args` after its name, with the end signals
// as they are by default and stdout into `out` (0 to keep it); -1 on failure.
pid_t SpawnSelf(const std::vector<std::string>& args, int out) {
  posix_spawn_file_actions_t files;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&files);
  if (out > 0) posix_spawn_file_actions_adddup2(&files, out, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int sig : kEndSignals) sigaddset(&defaults, sig);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string self = "/proc/self/exe";
  std::vector<char*> argv = {self.data()};
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, self.c_str(), &files, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
  return spawned == 0 ? pid : -1;
}

// Shows the box from a child process (message_box.h) over the window and
// waits until the player closes it, looking at the end request all the while:
// on a request the box is killed at once and the game ends as usual. `idle`
// runs between looks. False when no box could be shown.
bool ShowBoxInChild(const std::string& utf8, MessageKind kind, SDL_Window* over,
                    const std::function<void()>& idle) {
  std::string text = utf8;
  if (text.size() > kMessageBoxMaxText) {
    // Cut before the character the bound falls in.
    size_t end = kMessageBoxMaxText;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
  }
  int x = 0, y = 0, w = 0, h = 0;
  if (over) {
    SDL_GetWindowPosition(over, &x, &y);
    SDL_GetWindowSize(over, &w, &h);
  }
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  const pid_t pid = SpawnSelf(
      {kMessageBoxArg, std::to_string(getpid()), kind == MessageKind::Error ? "error" : "info",
       std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
           std::to_string(h),
       text},
      out[1]);
  close(out[1]);
  if (pid < 0) {
    close(out[0]);
    return false;
  }
  // The child writes nothing: its end closes the pipe.
  bool ended = false;
  for (;;) {
    if (gEndRequest != 0) {
      kill(pid, SIGKILL);
      ended = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    const int ready = poll(&p, 1, int(kLongestWaitMs));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) {
      idle();
      continue;
    }
    char sink[64];
    const ssize_t n = read(out[0], sink, sizeof sink);
    if (n == 0 || (n < 0 && errno != EINTR)) break;
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return ended || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Notes that a window was uncovered (an event watch: it sees every event as
// it is queued, which leaves the queue as it is).
int NoteExposed(void* exposed, SDL_Event* e) {
  if (e->type == SDL_WINDOWEVENT && e->window.event == SDL_WINDOWEVENT_EXPOSED)
    *static_cast<bool*>(exposed) = true;
  return 0;
}

// The child's argument and how long the game waits for its answer.
constexpr const char* kGpuProbeArg = "--gpu-probe";
constexpr int kGpuProbeTimeoutMs = 3000;

// In the probe child: is the GL renderer a hardware one? Prints "gpu NAME",
// "soft NAME" or "none" and ends without running any library's clean-up.
[[noreturn]] void ProbeGpuAndExit() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  bool gpu = false;
  const char* name = nullptr;
  SDL_Window* probe = nullptr;
  SDL_Renderer* r = nullptr;
  if (SDL_Init(SDL_INIT_VIDEO) == 0)
    probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  if (probe) r = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED);
  SDL_RendererInfo info;
  if (r && SDL_GetRendererInfo(r, &info) == 0 && (info.flags & SDL_RENDERER_ACCELERATED) &&
      std::strncmp(info.name, "opengl", 6) == 0) {
    using GetString = const unsigned char* (*)(unsigned int);
    auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    name = glGetString ? reinterpret_cast<const char*>(glGetString(0x1F01)) : nullptr;
    gpu = name && !std::strstr(name, "llvmpipe") && !std::strstr(name, "softpipe") &&
          !std::strstr(name, "Software") && !std::strstr(name, "software");
  }
  if (name)
    std::printf("%s %s\n", gpu ? "gpu" : "soft", name);
  else
    std::printf("none\n");
  std::fflush(stdout);
  _exit(0);
}

// Starts this program again as the probe child and reads its answer; false
// when it cannot start, says anything else or takes too long.
bool AskGpuProbe() {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  const pid_t pid = SpawnSelf({kGpuProbeArg}, out[1]);
  close(out[1]);
  if (pid < 0) {
    close(out[0]);
    return false;
  }
  char answer[256];
  size_t got = 0;
  const uint64_t deadline = SDL_GetTicks64() + kGpuProbeTimeoutMs;
  for (;;) {
    const uint64_t now = SDL_GetTicks64();
    if (now >= deadline || got == sizeof answer - 1) break;
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, int(deadline - now)) <= 0) break;
    const ssize_t n = read(out[0], answer + got, sizeof answer - 1 - got);
    if (n <= 0) break;
    got += size_t(n);
  }
  answer[got] = '\0';
  close(out[0]);
  kill(pid, SIGKILL);  // gone already, unless it hangs
  waitpid(pid, nullptr, 0);
  return std::strncmp(answer, "gpu ", 4) == 0;
}

KeyMods ModsOf(uint16_t mod) {
  KeyMods m;
  m.Shift = (mod & KMOD_SHIFT) != 0;
  m.Alt = (mod & KMOD_ALT) != 0;
  m.Ctrl = (mod & KMOD_CTRL) != 0;
  return m;
}

constexpr int kDeadZone = 8000;  // of 32767

int ScaleAxis(int v) {
  if (v > -kDeadZone && v < kDeadZone) return 0;
  int sign = v < 0 ? -1 : 1;
  int mag = std::min(std::abs(v), 32767) - kDeadZone;
  return sign * mag * 1000 / (32767 - kDeadZone);
}

}  // namespace

SdlPlatform::SdlPlatform(const std::string& title, int width, int height)
    : width_(width), height_(height), windowW_(width), windowH_(height) {
  // Blitting to the window surface costs a fraction of what a software GL
  // renderer does on machines without a GPU.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "0");
  // The game answers the desktop's end requests itself (see OnEndSignal).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  CatchEndSignals();
  SetDesktopIdentity();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0)
    throw KlvError(std::string("Cannot start the video system: ") + SDL_GetError());
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK);
  // The player may size the window by its border: the picture is scaled to
  // it and letterboxed, as in full screen.
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                             height, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
  if (!window_) {
    std::string err = SDL_GetError();
    SDL_Quit();
    throw KlvError("Cannot open the window: " + err);
  }
  SetWindowIcon(window_);
  SDL_SetWindowMinimumSize(window_, width / kSmallestWindowShare, height / kSmallestWindowShare);
  SDL_StartTextInput();
  fonts_ = std::make_unique<TtfFonts>();
  if (!TtfFonts::MissingFonts().empty()) ShowMessage(TtfFonts::MissingFonts(), MessageKind::Error);
  audio_ = std::make_unique<SdlAudioOut>();
  active_ = true;
  for (int i = 0; i < SDL_NumJoysticks() && !controller_ && !joystick_; ++i) OpenController(i);
}

SdlPlatform::~SdlPlatform() {
  audio_.reset();
  fonts_.reset();
  CloseController();
  CloseRenderer();
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
}

void SdlPlatform::RunChildProcess(int argc, char** argv) {
  gServesChildren = true;
  if (argc == 2 && std::strcmp(argv[1], kGpuProbeArg) == 0) ProbeGpuAndExit();
  if (argc >= 2 && std::strcmp(argv[1], kMessageBoxArg) == 0) RunMessageBoxChild(argc, argv);
}

uint64_t SdlPlatform::NowMicros() {
  static const uint64_t freq = SDL_GetPerformanceFrequency();
  uint64_t c = SDL_GetPerformanceCounter();
  return (c / freq) * 1000000ull + (c % freq) * 1000000ull / freq;
}

void SdlPlatform::WaitUntil(uint64_t deadlineUs) {
  uint64_t now = NowMicros();
  if (deadlineUs <= now) return;
  uint64_t waitMs = (deadlineUs - now + 999) / 1000;
  if (waitMs > kLongestWaitMs) waitMs = kLongestWaitMs;
  // Wakes early for an event, which stays queued for PumpEvents.
  SDL_WaitEventTimeout(nullptr, static_cast<int>(waitMs));
}

void SdlPlatform::OpenController(int index) {
  if (SDL_IsGameController(index)) {
    controller_ = SDL_GameControllerOpen(index);
  } else {
    joystick_ = SDL_JoystickOpen(index);
  }
}

void SdlPlatform::CloseController() {
  if (controller_) SDL_GameControllerClose(controller_);
  if (joystick_) SDL_JoystickClose(joystick_);
  controller_ = nullptr;
  joystick_ = nullptr;
}

JoystickState SdlPlatform::Joystick() {
  JoystickState s;
  if (!active_) return s;
  if (controller_) {
    s.present = true;
    s.x = ScaleAxis(SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_LEFTX));
    s.y = ScaleAxis(SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_LEFTY));
    if (SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) s.x = -1000;
    if (SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) s.x = 1000;
    if (SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_UP)) s.y = -1000;
    if (SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) s.y = 1000;
    // A pulled trigger lowers the hook too, like the stick held down.
    if (SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > 16000)
      s.y = 1000;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX && b < 32; ++b)
      if (SDL_GameControllerGetButton(controller_, SDL_GameControllerButton(b)))
        s.buttons |= 1u << b;
  } else if (joystick_) {
    s.present = true;
    if (SDL_JoystickNumAxes(joystick_) >= 2) {
      s.x = ScaleAxis(SDL_JoystickGetAxis(joystick_, 0));
      s.y = ScaleAxis(SDL_JoystickGetAxis(joystick_, 1));
    }
    if (SDL_JoystickNumHats(joystick_) > 0) {
      uint8_t hat = SDL_JoystickGetHat(joystick_, 0);
      if (hat & SDL_HAT_LEFT) s.x = -1000;
      if (hat & SDL_HAT_RIGHT) s.x = 1000;
      if (hat & SDL_HAT_UP) s.y = -1000;
      if (hat & SDL_HAT_DOWN) s.y = 1000;
    }
    int nb = std::min(SDL_JoystickNumButtons(joystick_), 32);
    for (int b = 0; b < nb; ++b)
      if (SDL_JoystickGetButton(joystick_, b)) s.buttons |= 1u << b;
  }
  return s;
}

Rect SdlPlatform::ComputeViewport(int outW, int outH) const {
  if (outW <= 0 || outH <= 0) return {};
  // Keep the aspect: the larger of the two scales that fits.
  int w, h;
  if (int64_t(outW) * height_ <= int64_t(outH) * width_) {
    w = outW;
    h = int(int64_t(outW) * height_ / width_);
  } else {
    h = outH;
    w = int(int64_t(outH) * width_ / height_);
  }
  return Rect::Bounds((outW - w) / 2, (outH - h) / 2, w, h);
}

void SdlPlatform::MapPointer(int wx, int wy, int* bx, int* by) const {
  // The picture's place in the window as last shown, in a window of any size
  // as in full screen.
  if (viewport_.Width() <= 0 || viewport_.Height() <= 0) {
    *bx = wx;
    *by = wy;
    return;
  }
  *bx = int(int64_t(wx - viewport_.Left) * width_ / viewport_.Width());
  *by = int(int64_t(wy - viewport_.Top) * height_ / viewport_.Height());
}

void SdlPlatform::PumpEvents(EventSink& sink) {
  if (gEndRequest == 1) {
    gEndRequest = 2;
    sink.OnEndSession();
  }
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (PadEvent(e, sink)) continue;
    switch (e.type) {
      case SDL_QUIT:
        sink.OnCloseRequest();
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const bool down = e.type == SDL_KEYDOWN;
        const int place = e.key.keysym.scancode;
        int vkCode = VkFromSdlKey(e.key.keysym.sym, place);
        // A key comes up as the code it went down as, even if the layout
        // changed in between.
        if (place > 0 && place < int(downVk_.size())) {
          if (down)
            downVk_[place] = uint8_t(vkCode > 0 && vkCode < 256 ? vkCode : 0);
          else if (downVk_[place])
            vkCode = std::exchange(downVk_[place], uint8_t(0));
        }
        if (vkCode <= 0 || vkCode > 255) break;
        keys_[vkCode] = down && active_;
        KeyMods mods = ModsOf(e.key.keysym.mod);
        if (down) {
          if (!e.key.repeat) downMods_[vkCode] = mods;
          sink.OnKeyDown(vkCode, mods);
        } else {
          // A chord counts as the player pressed it, even when the modifier
          // is let go first (Alt+Enter released as Alt, then Enter).
          const KeyMods& atDown = downMods_[vkCode];
          mods.Alt |= atDown.Alt;
          mods.Ctrl |= atDown.Ctrl;
          mods.Shift |= atDown.Shift;
          downMods_[vkCode] = {};
          sink.OnKeyUp(vkCode, mods);
        }
        break;
      }
      case SDL_TEXTINPUT:
        sink.OnTextInput(e.text.text);
        break;
      case SDL_MOUSEMOTION: {
        int x, y;
        MapPointer(e.motion.x, e.motion.y, &x, &y);
        sink.OnMouseMove(x, y);
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int x, y;
        MapPointer(e.button.x, e.button.y, &x, &y);
        MouseButton b = e.button.button == SDL_BUTTON_LEFT    ? MouseButton::Left
                        : e.button.button == SDL_BUTTON_RIGHT ? MouseButton::Right
                                                              : MouseButton::Middle;
        sink.OnMouseButton(b, e.type == SDL_MOUSEBUTTONDOWN, x, y);
        break;
      }
      case SDL_CONTROLLERDEVICEADDED:
      case SDL_JOYDEVICEADDED:
        if (!controller_ && !joystick_) OpenController(e.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
      case SDL_JOYDEVICEREMOVED: {
        // A game controller goes with both events, a plain joystick with the
        // second alone; the first that names the pad in use closes it. Another
        // pad still plugged in takes its place.
        const SDL_JoystickID inUse =
            controller_ ? SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller_))
            : joystick_ ? SDL_JoystickInstanceID(joystick_)
                        : -1;
        const SDL_JoystickID gone =
            e.type == SDL_JOYDEVICEREMOVED ? e.jdevice.which : e.cdevice.which;
        if (gone != inUse) break;
        CloseController();
        for (int i = 0; i < SDL_NumJoysticks() && !controller_ && !joystick_; ++i)
          OpenController(i);
        sink.OnPadLost();
        break;
      }
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            sink.OnCloseRequest();
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (!active_) {
              active_ = true;
              sink.OnActivate(true);
            }
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            if (active_) {
              active_ = false;
              keys_.fill(false);
              sink.OnActivate(false);
            }
            break;
          case SDL_WINDOWEVENT_MAXIMIZED:
            if (!fullscreen_) {
              SDL_RestoreWindow(window_);
              sink.OnMaximize();
            }
            break;
          case SDL_WINDOWEVENT_MINIMIZED:
            sink.OnMinimize();
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            // The size the player gave the window, to come back to after full
            // screen (not the one a maximise or full screen gave it).
            if (!fullscreen_ && !(SDL_GetWindowFlags(window_) &
                                  (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN_DESKTOP))) {
              windowW_ = e.window.data1;
              windowH_ = e.window.data2;
            }
            needFullRedraw_ = true;
            if (lastBuffer_) Present(*lastBuffer_);
            break;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_RESTORED:
            needFullRedraw_ = true;
            if (lastBuffer_) Present(*lastBuffer_);
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
  }
}

void SdlPlatform::SetFullscreen(bool fullscreen) {
  if (fullscreen == fullscreen_) return;
  if (!noWindowSurface_) CloseRenderer();
  SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  fullscreen_ = fullscreen;
  if (fullscreen && !noWindowSurface_ && HasGpu()) {
    // Scale on the GPU where there is one; otherwise the changed tiles are
    // scaled and sent (PresentToSurface).
    OpenRenderer(true);
  } else if (!fullscreen) {
    SDL_SetWindowSize(window_, windowW_, windowH_);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  needFullRedraw_ = true;
}

bool SdlPlatform::HasGpu() {
  // Asked once, of a child process: a software GL renderer costs far more
  // than sending the changed tiles, and the GL libraries stay out of the
  // game's process (they hold tens of megabytes and outlive their unloading).
  if (!gpuKnown_) {
    gpuKnown_ = true;
    gpu_ = AskGpuProbe();
  }
  return gpu_;
}

bool SdlPlatform::OpenRenderer(bool accelerated) {
  CloseRenderer();
  renderer_ = SDL_CreateRenderer(window_, -1, accelerated ? SDL_RENDERER_ACCELERATED : 0);
  if (!renderer_) return false;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               width_, height_);
  if (!texture_) CloseRenderer();
  needFullRedraw_ = true;
  return texture_ != nullptr;
}

void SdlPlatform::CloseRenderer() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
}

void SdlPlatform::Present(const Surface& buffer) {
  lastBuffer_ = &buffer;
  if (!needFullRedraw_ && buffer.Version() == lastVersion_) return;  // nothing changed
  lastVersion_ = buffer.Version();
  if (!renderer_ && !noWindowSurface_ && PresentToSurface(buffer)) {
    needFullRedraw_ = false;
    return;
  }
  if (!renderer_) {
    // Some video drivers (native Wayland) give a window no surface to draw
    // into: the picture goes through a renderer there, in a window too.
    const std::string why = SDL_GetError();
    noWindowSurface_ = true;
    if (!OpenRenderer(true) && !OpenRenderer(false))
      throw FatalError("Cannot show the game's picture (" + why + "; " + SDL_GetError() + ")");
  }
  PresentWithRenderer(buffer);
  needFullRedraw_ = false;
}

void SdlPlatform::PresentChanges(const Surface& buffer, const std::vector<Rect>& changed) {
  changed_.assign(changed.begin(), changed.end());
  changedKnown_ = true;
  Present(buffer);
  changedKnown_ = false;
}

bool SdlPlatform::PresentWithRenderer(const Surface& buffer) {
  // Only the changed tiles are uploaded; an unchanged frame is not presented.
  const bool everything = needFullRedraw_;
  const std::vector<Rect>& changed = patcher_.Take(buffer.Pixels(), buffer.Width(), buffer.Height(),
                                                   everything, changedKnown_ ? &changed_ : nullptr);
  if (changed.empty()) return true;
  for (const Rect& r : changed) {
    const SDL_Rect area{r.Left, r.Top, r.Width(), r.Height()};
    SDL_UpdateTexture(texture_, &area, patcher_.Shown() + size_t(r.Top) * buffer.Width() + r.Left,
                      buffer.Width() * 4);
  }
  int ow, oh;
  SDL_GetRendererOutputSize(renderer_, &ow, &oh);
  viewport_ = ComputeViewport(ow, oh);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_Rect dst{viewport_.Left, viewport_.Top, viewport_.Width(), viewport_.Height()};
  SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
  SDL_RenderPresent(renderer_);
  return true;
}

bool SdlPlatform::PresentToSurface(const Surface& buffer) {
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (!target) return false;
  const bool fits = !fullscreen_ && target->w == buffer.Width() && target->h == buffer.Height();
  const Rect v = fits ? Rect{0, 0, target->w, target->h} : ComputeViewport(target->w, target->h);
  const bool everything = needFullRedraw_ || v != viewport_;
  viewport_ = v;
  const SDL_PixelFormat* f = target->format;
  if (f->BytesPerPixel != 4 || f->Rmask != 0x00FF0000u || f->Gmask != 0x0000FF00u ||
      f->Bmask != 0x000000FFu) {
    // A display of another pixel layout: SDL converts the whole frame.
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(buffer.Pixels()), buffer.Width(), buffer.Height(), 32,
        buffer.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!src) return true;
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    if (everything) SDL_FillRect(target, nullptr, SDL_MapRGB(f, 0, 0, 0));
    SDL_Rect dst{v.Left, v.Top, v.Width(), v.Height()};
    if (fits)
      SDL_BlitSurface(src, nullptr, target, nullptr);
    else
      SDL_BlitScaled(src, nullptr, target, &dst);
    SDL_FreeSurface(src);
    SDL_UpdateWindowSurface(window_);
    return true;
  }
  // The frame's own channel order: only the tiles that changed go into the
  // window's picture and to the display. At its own size the window's picture
  // is the last frame shown; scaled, the patcher keeps the last frame itself.
  if (everything && !fits) SDL_FillRect(target, nullptr, SDL_MapRGB(f, 0, 0, 0));
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return true;
  uint32_t* pixels = static_cast<uint32_t*>(target->pixels);
  const int pitch = target->pitch / 4;
  sent_.clear();
  if (fits) {
    for (const Rect& r :
         patcher_.TakeInto(buffer.Pixels(), buffer.Width(), buffer.Height(), everything, pixels,
                           pitch, changedKnown_ ? &changed_ : nullptr))
      sent_.push_back(SDL_Rect{r.Left, r.Top, r.Width(), r.Height()});
  } else {
    for (const Rect& r : patcher_.Take(buffer.Pixels(), buffer.Width(), buffer.Height(), everything,
                                       changedKnown_ ? &changed_ : nullptr)) {
      const Rect d = patcher_.Scale(r, v, pixels, pitch);
      if (d.Width() > 0 && d.Height() > 0)
        sent_.push_back(SDL_Rect{d.Left, d.Top, d.Width(), d.Height()});
    }
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  if (everything)
    SDL_UpdateWindowSurface(window_);
  else if (!sent_.empty())
    SDL_UpdateWindowSurfaceRects(window_, sent_.data(), int(sent_.size()));
  return true;
}

void SdlPlatform::Minimize() {
  SDL_MinimizeWindow(window_);
}

void SdlPlatform::ShowCursor(bool show) {
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

TextRaster SdlPlatform::RenderText(const FontSpec& font, const std::string& utf8) {
  return fonts_->Render(font, utf8);
}

void SdlPlatform::ShowMessage(const std::string& utf8, MessageKind kind) {
  // While the game is ending nobody is there to close a box: the text goes to
  // the error output, as it does where no box can be shown.
  // Meanwhile the window shows its last picture again wherever it is
  // uncovered.
  bool exposed = false;
  auto repaint = [this, &exposed]() {
    SDL_PumpEvents();
    if (!exposed || !lastBuffer_) return;
    exposed = false;
    needFullRedraw_ = true;
    Present(*lastBuffer_);
  };
  SDL_AddEventWatch(NoteExposed, &exposed);
  const bool shown =
      gEndRequest == 0 && gServesChildren && ShowBoxInChild(utf8, kind, window_, repaint);
  SDL_DelEventWatch(NoteExposed, &exposed);
  if (!shown) {
    std::fprintf(stderr, "klevaria: %s\n", utf8.c_str());
    return;
  }
  // The box was modal: what the player did to the game's window meanwhile
  // does not count.
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYDOWN);
  SDL_FlushEvents(SDL_TEXTEDITING, SDL_TEXTINPUT);
  SDL_FlushEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL);
  needFullRedraw_ = true;
}

void SdlPlatform::OpenWithShell(const std::string& pathOrUrl) {
  // SDL hands it to xdg-open in a detached process; nothing waits for it.
  SDL_OpenURL(pathOrUrl.c_str());
}

std::string SdlPlatform::BaseDir() {
  char* p = SDL_GetBasePath();
  if (!p) return "./";
  std::string dir = p;
  SDL_free(p);
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace klv
