#pragma once
// The back buffer's text canvas: a current font and colour, text drawn with a
// transparent background, and rectangle outlines. Rendered strings are cached,
// since a frame draws the same few texts again and again.

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

#include "engine/text_raster.h"

namespace klv {

class Surface;

class Canvas {
 public:
  void Attach(Surface* target, TextRasterizer* fonts) {
    target_ = target;
    fonts_ = fonts;
  }

  void SetFont(Face face, int points, bool bold, uint32_t colour) {
    Font = FontSpec{face, points, bold};
    FontColor = colour;
  }
  FontSpec Font;
  uint32_t FontColor = 0xFF000000;

  // Text in code page 1251 with its top-left corner at (x, y).
  void TextOut(int x, int y, const std::string& cp1251);
  int TextWidth(const std::string& cp1251);
  // A rectangle outline whose pen is centred on the edges, as a Windows pen is.
  void FrameRect(int left, int top, int right, int bottom, uint32_t colour, int penWidth);

  size_t CachedTexts() const { return cache_.size(); }

 private:
  struct Key {
    FontSpec font;
    std::string text;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  struct Entry {
    TextRaster raster;
    std::list<Key>::iterator lru;
  };
  const TextRaster& Render(const std::string& cp1251);

  // A frame draws a few dozen texts at most; the bytes bound keeps the
  // cache's memory steady whatever texts happen to be in it.
  static constexpr size_t kMaxCached = 64;
  static constexpr size_t kMaxCachedBytes = 192 * 1024;
  size_t cachedBytes_ = 0;
  Surface* target_ = nullptr;
  TextRasterizer* fonts_ = nullptr;
  std::unordered_map<Key, Entry, KeyHash> cache_;
  std::list<Key> lru_;  // most recently used first
};

}  // namespace klv
