#include "platform/ttf_fonts.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <sys/stat.h>

namespace klv {
namespace {

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string TtfFonts::FontFile(Face face, bool bold) {
  static const char* const kCandidates[3][2][3] = {
      {{"/usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", nullptr},
       {"/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", nullptr}},
      {{"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
       {"/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"}},
      {{"/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
       {"/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf",
        "/usr/share/fonts/truetype/liberation/LiberationMono-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"}},
  };
  for (const char* path : kCandidates[int(face)][bold ? 1 : 0])
    if (path && FileExists(path)) return path;
  return {};
}

TtfFonts::TtfFonts() {
  ready_ = TTF_Init() == 0;
}

TtfFonts::~TtfFonts() {
  for (auto& [key, font] : open_)
    if (font) TTF_CloseFont(font);
  if (ready_) TTF_Quit();
}

_TTF_Font* TtfFonts::Open(const FontSpec& font) {
  auto key = std::make_tuple(int(font.face), font.points, font.bold);
  auto it = open_.find(key);
  if (it != open_.end()) return it->second;
  TTF_Font* f = nullptr;
  std::string file = FontFile(font.face, font.bold);
  if (ready_ && !file.empty() && font.points > 0 && font.points < 400)
    f = TTF_OpenFontDPI(file.c_str(), font.points, 96, 96);
  if (f) TTF_SetFontHinting(f, TTF_HINTING_LIGHT);
  open_[key] = f;
  return f;
}

TextRaster TtfFonts::Render(const FontSpec& font, const std::string& utf8) {
  TextRaster out;
  TTF_Font* f = Open(font);
  if (!f || utf8.empty()) return out;
  SDL_Color white{255, 255, 255, 255};
  SDL_Surface* s = TTF_RenderUTF8_Blended(f, utf8.c_str(), white);
  if (!s) return out;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(s);
  if (!argb) return out;
  out.width = argb->w;
  out.height = argb->h;
  out.coverage.resize(size_t(out.width) * out.height);
  SDL_LockSurface(argb);
  for (int y = 0; y < out.height; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
    for (int x = 0; x < out.width; ++x) out.coverage[size_t(y) * out.width + x] = row[x] >> 24;
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return out;
}

}  // namespace klv
