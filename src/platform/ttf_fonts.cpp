#include "platform/ttf_fonts.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <array>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>

namespace klv {
namespace {

struct FaceInfo {
  const char* family;
  const char* package;
};
constexpr FaceInfo kFaces[] = {
    {"Comfortaa", "fonts-comfortaa"},          // Face::Comic
    {"Liberation Sans", "fonts-liberation2"},  // Face::Arial
    {"Liberation Mono", "fonts-liberation2"},  // Face::Courier
};
constexpr int kFaceCount = 3;

FontMatch FindIn(FcConfig* config, const std::string& family, bool bold);

// Every face looked up once per process: [face][bold].
struct Resolved {
  std::array<std::array<FontMatch, 2>, kFaceCount> faces;
  std::string missing;
};

Resolved Lookup() {
  Resolved r;
  // Loading fontconfig's configuration and font list reads every
  // configuration file and cache, far more than a lookup costs: once for all.
  FcConfig* config = FcInitLoadConfigAndFonts();
  for (int f = 0; f < kFaceCount; ++f)
    for (int b = 0; b < 2; ++b) r.faces[f][b] = FindIn(config, kFaces[f].family, b == 1);
  if (config) FcConfigDestroy(config);
  for (int f = 0; f < kFaceCount; ++f)
    if (!r.faces[f][0].exact) r.missing += TtfFonts::DescribeMissing(Face(f), r.faces[f][0]);
  return r;
}

// The faces looked up once per process, on a thread of their own when
// StartLookup came first. The thread writes `resolved` and `done` alone; they
// are read only after it is joined, under the lock. Joined at the latest when
// the process ends.
struct Faces {
  std::mutex lock;
  std::thread worker;
  bool done = false;
  Resolved resolved;
  ~Faces() {
    std::lock_guard<std::mutex> hold(lock);
    if (worker.joinable()) worker.join();
  }
};

Faces& TheFaces() {
  static Faces faces;
  return faces;
}

const Resolved& Resolve() {
  Faces& faces = TheFaces();
  std::lock_guard<std::mutex> hold(faces.lock);
  if (faces.worker.joinable()) faces.worker.join();
  if (!faces.done) {
    faces.resolved = Lookup();
    faces.done = true;
  }
  return faces.resolved;
}

}  // namespace

std::string TtfFonts::DescribeMissing(Face face, const FontMatch& match) {
  const FaceInfo& info = kFaces[int(face)];
  std::string line = std::string("font \"") + info.family + "\" is not installed (Debian package " +
                     info.package + "); ";
  if (match.file.empty()) return line + "its texts are not shown.\n";
  return line + "using \"" + match.family + "\" instead.\n";
}

const char* TtfFonts::Family(Face face) {
  return kFaces[int(face)].family;
}

const char* TtfFonts::Package(Face face) {
  return kFaces[int(face)].package;
}

FontMatch TtfFonts::Find(const std::string& family, bool bold) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  FontMatch out = FindIn(config, family, bold);
  if (config) FcConfigDestroy(config);
  return out;
}

namespace {

// Asks `config` (none: nothing found) for a scalable face of the family.
FontMatch FindIn(FcConfig* config, const std::string& family, bool bold) {
  FontMatch out;
  if (!config) return out;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  if (match) {
    FcChar8* file = nullptr;
    FcBool scalable = FcFalse;
    FcPatternGetBool(match, FC_SCALABLE, 0, &scalable);
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && scalable)
      out.file = reinterpret_cast<const char*>(file);
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
      if (i == 0) out.family = reinterpret_cast<const char*>(name);
      if (strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0) {
        out.exact = !out.file.empty();
        out.family = family;
      }
    }
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    out.bold = weight >= FC_WEIGHT_DEMIBOLD;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return out;
}

}  // namespace

void TtfFonts::StartLookup() {
  Faces& faces = TheFaces();
  std::lock_guard<std::mutex> hold(faces.lock);
  if (faces.worker.joinable() || faces.done) return;
  try {
    faces.worker = std::thread([&faces] {
      faces.resolved = Lookup();
      faces.done = true;
    });
  } catch (const std::system_error&) {
    // No thread to be had: Resolve looks the faces up when they are needed.
  }
}

std::string TtfFonts::FontFile(Face face, bool bold) {
  return Resolve().faces[int(face)][bold ? 1 : 0].file;
}

const std::string& TtfFonts::MissingFonts() {
  return Resolve().missing;
}

TtfFonts::TtfFonts() {
  ready_ = TTF_Init() == 0;
}

void TtfFonts::ReportMissing() {
  static const bool reported = [] {
    const std::string& text = MissingFonts();
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
      end = text.find('\n', at);
      std::fprintf(stderr, "klevaria: %s\n", text.substr(at, end - at).c_str());
    }
    return true;
  }();
  (void)reported;
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
  ReportMissing();
  TTF_Font* f = nullptr;
  const FontMatch& match = Resolve().faces[int(font.face)][font.bold ? 1 : 0];
  if (ready_ && !match.file.empty() && font.points > 0 && font.points < 400)
    f = TTF_OpenFontDPI(match.file.c_str(), font.points, 96, 96);
  if (f) {
    TTF_SetFontHinting(f, TTF_HINTING_LIGHT);
    // A family without a bold face is emboldened instead.
    if (font.bold && !match.bold) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
  }
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
