#include "platform/message_box.h"

#include <SDL2/SDL.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/sdl_desktop.h"
#include "platform/ttf_fonts.h"

namespace klv {
namespace {

// The box's measures in pixels, and its colours (ARGB): a parchment panel in
// a wooden frame, as the game's own questions are drawn.
constexpr int kMargin = 20;
constexpr int kFrame = 3;
constexpr int kMaxTextWidth = 520;
constexpr int kMaxLines = 24;
constexpr int kButtonW = 100;
constexpr int kButtonH = 32;
constexpr uint32_t kPanel = 0xFFF6EDD2u;
constexpr uint32_t kWood = 0xFF7A5230u;
constexpr uint32_t kErrorWood = 0xFFA03020u;
constexpr uint32_t kInk = 0xFF1E1E1Eu;
constexpr uint32_t kButton = 0xFFEBDDB4u;
constexpr uint32_t kButtonLit = 0xFFFFD200u;  // the game's gold
constexpr FontSpec kTextFont{Face::Comic, 12, false};
constexpr FontSpec kButtonFont{Face::Comic, 12, true};

void Fill(SDL_Surface* s, int x, int y, int w, int h, uint32_t colour) {
  SDL_Rect r{x, y, w, h};
  SDL_FillRect(s, &r, colour);
}

// A line of text at (x, y), its coverage blended over what is there.
void DrawText(SDL_Surface* s, const TextRaster& t, int x, int y, uint32_t colour) {
  uint32_t* pixels = static_cast<uint32_t*>(s->pixels);
  const int pitch = s->pitch / 4;
  for (int ty = 0; ty < t.height; ++ty) {
    const int py = y + ty;
    if (py < 0 || py >= s->h) continue;
    for (int tx = 0; tx < t.width; ++tx) {
      const int px = x + tx;
      const uint32_t a = t.coverage[size_t(ty) * t.width + tx];
      if (px < 0 || px >= s->w || a == 0) continue;
      uint32_t& d = pixels[py * pitch + px];
      uint32_t out = 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t fg = (colour >> shift) & 0xFF, bg = (d >> shift) & 0xFF;
        out |= ((fg * a + bg * (255 - a)) / 255) << shift;
      }
      d = out;
    }
  }
}

struct Box {
  std::vector<TextRaster> lines;
  TextRaster ok;
  int lineH = 0;
  int w = 0, h = 0;
  SDL_Rect button{};
  bool error = false;
};

void Paint(SDL_Surface* s, const Box& box, bool lit) {
  Fill(s, 0, 0, box.w, box.h, box.error ? kErrorWood : kWood);
  Fill(s, kFrame, kFrame, box.w - 2 * kFrame, box.h - 2 * kFrame, kPanel);
  for (size_t i = 0; i < box.lines.size(); ++i)
    DrawText(s, box.lines[i], kMargin, kMargin + int(i) * box.lineH, kInk);
  const SDL_Rect& b = box.button;
  Fill(s, b.x, b.y, b.w, b.h, kWood);
  Fill(s, b.x + 2, b.y + 2, b.w - 4, b.h - 4, lit ? kButtonLit : kButton);
  DrawText(s, box.ok, b.x + (b.w - box.ok.width) / 2, b.y + (b.h - box.ok.height) / 2, kInk);
}

// Puts the picture in the window: straight into the window's own surface, or
// through a renderer where the window has none (native Wayland).
void Show(SDL_Window* window, SDL_Surface* picture) {
  if (SDL_Surface* target = SDL_GetWindowSurface(window)) {
    SDL_BlitSurface(picture, nullptr, target, nullptr);
    SDL_UpdateWindowSurface(window);
    return;
  }
  SDL_Renderer* r = SDL_GetRenderer(window);
  if (!r) r = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!r) return;
  if (SDL_Texture* t = SDL_CreateTextureFromSurface(r, picture)) {
    SDL_RenderCopy(r, t, nullptr, nullptr);
    SDL_RenderPresent(r);
    SDL_DestroyTexture(t);
  }
}

bool IsCloseKey(SDL_Keycode k) {
  return k == SDLK_RETURN || k == SDLK_KP_ENTER || k == SDLK_ESCAPE || k == SDLK_SPACE;
}

}  // namespace

std::vector<std::string> WrapForBox(const std::string& utf8, int maxWidth, int maxLines,
                                    const std::function<int(const std::string&)>& width) {
  std::vector<std::string> lines;
  bool cut = false;
  auto put = [&](const std::string& line) {
    if (int(lines.size()) >= maxLines)
      cut = true;
    else
      lines.push_back(line);
  };
  std::istringstream paragraphs(utf8);
  std::string paragraph;
  while (!cut && std::getline(paragraphs, paragraph)) {
    std::istringstream words(paragraph);
    std::string word, line;
    while (!cut && words >> word) {
      const std::string longer = line.empty() ? word : line + " " + word;
      if (line.empty() || width(longer) <= maxWidth) {
        line = longer;
      } else {
        put(line);
        line = word;
      }
    }
    put(line);
  }
  if (cut && !lines.empty()) lines.back() = "…";
  return lines;
}

void RunMessageBoxChild(int argc, char** argv) {
  // PROGRAM --message-box PARENT KIND X,Y,W,H TEXT
  if (argc != 6) _exit(kMessageBoxFailed);
  const pid_t parent = static_cast<pid_t>(std::atol(argv[2]));
  // The box goes with the game, however the game ends.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(0);
  int px = 0, py = 0, pw = 0, ph = 0;
  if (std::sscanf(argv[4], "%d,%d,%d,%d", &px, &py, &pw, &ph) != 4) pw = ph = 0;
  const std::string text = argv[5];  // the game bounds it

  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_DIALOG");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) _exit(kMessageBoxFailed);
  Box box;
  box.error = std::strcmp(argv[3], "error") == 0;
  {
    TtfFonts fonts;
    const std::vector<std::string> lines =
        WrapForBox(text, kMaxTextWidth, kMaxLines,
                   [&fonts](const std::string& s) { return fonts.Render(kTextFont, s).width; });
    int textW = 0;
    for (const std::string& line : lines) {
      box.lines.push_back(fonts.Render(kTextFont, line));
      textW = std::max(textW, box.lines.back().width);
    }
    box.lineH = std::max(fonts.Render(kTextFont, "ЁЙју").height, 12);
    box.ok = fonts.Render(kButtonFont, "OK");
    box.w = std::max(textW, 2 * kButtonW) + 2 * kMargin;
    box.h = kMargin + int(box.lines.size()) * box.lineH + kMargin + kButtonH + kMargin;
  }
  box.button = SDL_Rect{(box.w - kButtonW) / 2, box.h - kMargin - kButtonH, kButtonW, kButtonH};
  const int x = pw > 0 ? px + (pw - box.w) / 2 : int(SDL_WINDOWPOS_CENTERED);
  const int y = ph > 0 ? py + (ph - box.h) / 2 : int(SDL_WINDOWPOS_CENTERED);
  SDL_Window* window =
      SDL_CreateWindow("Клевария", x, y, box.w, box.h, SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SHOWN);
  SDL_Surface* picture =
      SDL_CreateRGBSurfaceWithFormat(0, box.w, box.h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!window || !picture) _exit(kMessageBoxFailed);
  SetWindowIcon(window);
  SDL_RaiseWindow(window);

  bool lit = false, pressed = false;
  SDL_Keycode armed = SDLK_UNKNOWN;
  auto redraw = [&]() {
    Paint(picture, box, lit || pressed || armed != SDLK_UNKNOWN);
    Show(window, picture);
  };
  auto onButton = [&box](int mx, int my) {
    const SDL_Point p{mx, my};
    return SDL_PointInRect(&p, &box.button) == SDL_TRUE;
  };
  redraw();
  // The box closes on the release of its key or button, so the release never
  // reaches the game's window once the box is gone.
  for (;;) {
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, 500)) {
      if (getppid() != parent) break;
      continue;
    }
    bool done = false;
    switch (e.type) {
      case SDL_QUIT:
        done = true;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) done = true;
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          redraw();
        break;
      case SDL_KEYDOWN:
        if (!e.key.repeat && IsCloseKey(e.key.keysym.sym)) {
          armed = e.key.keysym.sym;
          redraw();
        }
        break;
      case SDL_KEYUP:
        done = armed != SDLK_UNKNOWN && e.key.keysym.sym == armed;
        break;
      case SDL_MOUSEMOTION:
        if (onButton(e.motion.x, e.motion.y) != lit) {
          lit = !lit;
          redraw();
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT && onButton(e.button.x, e.button.y)) {
          pressed = true;
          redraw();
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) {
          done = pressed && onButton(e.button.x, e.button.y);
          pressed = false;
          redraw();
        }
        break;
      default:
        break;
    }
    if (done) break;
  }
  SDL_DestroyWindow(window);
  _exit(0);
}

}  // namespace klv
