#include "platform/sdl_platform.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

#include "engine/errors.h"
#include "engine/surface.h"
#include "platform/key_map.h"
#include "platform/sdl_audio_out.h"

namespace klv {
namespace {

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
    : width_(width), height_(height) {
  // Blitting to the window surface costs a fraction of what a software GL
  // renderer does on machines without a GPU.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0)
    throw KlvError(std::string("Cannot start the video system: ") + SDL_GetError());
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK);
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                             height, SDL_WINDOW_SHOWN);
  if (!window_) {
    std::string err = SDL_GetError();
    SDL_Quit();
    throw KlvError("Cannot open the window: " + err);
  }
  SDL_StartTextInput();
  fonts_ = std::make_unique<TtfFonts>();
  audio_ = std::make_unique<SdlAudioOut>();
  active_ = true;
  for (int i = 0; i < SDL_NumJoysticks() && !controller_ && !joystick_; ++i) OpenController(i);
}

SdlPlatform::~SdlPlatform() {
  audio_.reset();
  fonts_.reset();
  CloseController();
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  SDL_Quit();
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
  if (waitMs > 1000) waitMs = 1000;
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

SdlPlatform::Viewport SdlPlatform::ComputeViewport(int outW, int outH) const {
  Viewport v;
  if (outW <= 0 || outH <= 0) return v;
  // Keep the aspect: the larger of the two scales that fits.
  if (int64_t(outW) * height_ <= int64_t(outH) * width_) {
    v.w = outW;
    v.h = int(int64_t(outW) * height_ / width_);
  } else {
    v.h = outH;
    v.w = int(int64_t(outH) * width_ / height_);
  }
  v.x = (outW - v.w) / 2;
  v.y = (outH - v.h) / 2;
  return v;
}

void SdlPlatform::MapPointer(int wx, int wy, int* bx, int* by) const {
  if (!fullscreen_ || viewport_.w <= 0 || viewport_.h <= 0) {
    *bx = wx;
    *by = wy;
    return;
  }
  *bx = int(int64_t(wx - viewport_.x) * width_ / viewport_.w);
  *by = int(int64_t(wy - viewport_.y) * height_ / viewport_.h);
}

void SdlPlatform::PumpEvents(EventSink& sink) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        sink.OnCloseRequest();
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        int vkCode = VkFromSdlKey(e.key.keysym.sym);
        if (vkCode <= 0 || vkCode > 255) break;
        bool down = e.type == SDL_KEYDOWN;
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
      case SDL_JOYDEVICEREMOVED:
        CloseController();
        for (int i = 0; i < SDL_NumJoysticks() && !controller_ && !joystick_; ++i)
          OpenController(i);
        break;
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
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
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
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
  SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  fullscreen_ = fullscreen;
  if (fullscreen && HasGpu()) {
    // Scale on the GPU where there is one; otherwise a scaled blit.
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (renderer_) {
      SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
      texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                   width_, height_);
    }
    if (!texture_ && renderer_) {
      SDL_DestroyRenderer(renderer_);
      renderer_ = nullptr;
    }
  } else if (!fullscreen) {
    SDL_SetWindowSize(window_, width_, height_);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  needFullRedraw_ = true;
}

bool SdlPlatform::HasGpu() {
  // Asked once, of a hidden window: a renderer on the game's own window would
  // replace that window, and a software GL renderer costs far more than a blit.
  if (gpuKnown_) return gpu_;
  gpuKnown_ = true;
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  if (!probe) return gpu_ = false;
  SDL_Renderer* r = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED);
  SDL_RendererInfo info;
  if (r && SDL_GetRendererInfo(r, &info) == 0 && (info.flags & SDL_RENDERER_ACCELERATED) &&
      std::strncmp(info.name, "opengl", 6) == 0) {
    using GetString = const unsigned char* (*)(unsigned int);
    auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = glGetString ? reinterpret_cast<const char*>(glGetString(0x1F01)) : nullptr;
    gpu_ = name && !std::strstr(name, "llvmpipe") && !std::strstr(name, "softpipe") &&
           !std::strstr(name, "Software") && !std::strstr(name, "software");
  }
  if (r) SDL_DestroyRenderer(r);
  SDL_DestroyWindow(probe);
  return gpu_;
}

void SdlPlatform::Present(const Surface& buffer) {
  lastBuffer_ = &buffer;
  if (!needFullRedraw_ && buffer.Version() == lastVersion_) return;  // nothing changed
  lastVersion_ = buffer.Version();
  if (renderer_ && texture_) {
    int ow, oh;
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    viewport_ = ComputeViewport(ow, oh);
    SDL_UpdateTexture(texture_, nullptr, buffer.Pixels(), buffer.Width() * 4);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_Rect dst{viewport_.x, viewport_.y, viewport_.w, viewport_.h};
    SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    SDL_RenderPresent(renderer_);
    needFullRedraw_ = false;
    return;
  }
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (!target) return;
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(buffer.Pixels()), buffer.Width(), buffer.Height(), 32,
      buffer.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!src) return;
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  if (!fullscreen_ && target->w == buffer.Width() && target->h == buffer.Height()) {
    viewport_ = Viewport{0, 0, target->w, target->h};
    SDL_BlitSurface(src, nullptr, target, nullptr);
  } else {
    viewport_ = ComputeViewport(target->w, target->h);
    if (needFullRedraw_) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    SDL_Rect dst{viewport_.x, viewport_.y, viewport_.w, viewport_.h};
    SDL_BlitScaled(src, nullptr, target, &dst);
  }
  SDL_FreeSurface(src);
  SDL_UpdateWindowSurface(window_);
  needFullRedraw_ = false;
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
  Uint32 flags = kind == MessageKind::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  SDL_ShowSimpleMessageBox(flags, "Клевария", utf8.c_str(), window_);
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

std::string SdlPlatform::UserDataDir() {
  char* p = SDL_GetPrefPath("Klevaria", "klevaria");
  if (!p) return {};
  std::string dir = p;
  SDL_free(p);
  return dir;
}

}  // namespace klv
