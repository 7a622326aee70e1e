// icf-dump FILE [--extract DIR] [--sheet OUT.png]
//
// Prints one line per item:
//   INDEX NAME KIND WxH frame=FWxFH frames=N transparent=0xBBGGRR|alpha|none
// --extract writes every frame as DIR/<index>_<name>_<frame>.png (alpha kept,
// colour-keyed pixels fully transparent); --sheet draws every item with its
// frames, names and indexes on one picture. A damaged file gives
// "icf-dump: FILE: MESSAGE" on stderr and exit status 1.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/errors.h"
#include "engine/picture_collection.h"
#include "engine/png_codec.h"
#include "tiny_font.h"

namespace fs = std::filesystem;
using namespace klv;

namespace {

// Item names come from the file: keep only characters safe in a file name.
std::string SafeName(const std::string& name) {
  std::string out;
  for (char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
    out += ok ? c : '_';
  }
  return out.empty() ? "_" : out;
}

// Printable form of a name for the listing (no spaces or control bytes).
std::string ShownName(const std::string& name) {
  if (name.empty()) return "\"\"";
  std::string out;
  for (char c : name) out += (uint8_t(c) <= 32 || c == 127) ? '?' : c;
  return out;
}

std::string TransparencyText(const PictureCollectionItem& item) {
  if (item.Kind() == PictureKind::Png) return "alpha";
  if (!item.Transparent) return "none";
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", item.TransparentColor);
  return buf;
}

// A frame as a picture of its own with real alpha: keyed pixels transparent.
Surface FramePicture(const PictureCollectionItem& item, int frame) {
  const Surface* src = item.FrameSurface(frame);
  const Rect r = item.FrameSource(frame);
  Surface out(r.Width(), r.Height());
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      uint32_t px = src->At(r.Left + x, r.Top + y);
      if (item.Kind() != PictureKind::Png)
        px = item.FramePixelSolid(frame, x, y) ? px | 0xFF000000u : px & 0xFFFFFFu;
      out.Set(x, y, px);
    }
  }
  return out;
}

void DrawChecker(Surface& s, int x0, int y0, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (x0 + x >= 0 && y0 + y >= 0 && x0 + x < s.Width() && y0 + y < s.Height())
        s.Set(x0 + x, y0 + y, ((x / 8 + y / 8) & 1) ? Rgb(200, 200, 200) : Rgb(150, 150, 150));
}

void WriteSheet(PictureCollection& c, const std::string& file, const std::string& out) {
  const int gap = 6, labelH = tools::kGlyphHeight * 2 + 4;
  int width = 1024;
  for (int i = 0; i < c.Count(); ++i)
    width = std::max(width, std::min(c.ItemAt(i).FrameWidth(), 4096) + 2 * gap);
  // At most 64 M pixels; a longer sheet is cut off at the bottom.
  const int kMaxSheetHeight = std::min(32768, (64 << 20) / width);
  // First pass lays out, second draws.
  auto layout = [&](Surface* s) {
    int y = gap;
    if (s) tools::DrawText(*s, gap, y, file, Rgb(255, 255, 255), 2);
    y += labelH + gap;
    for (int i = 0; i < c.Count() && y < kMaxSheetHeight; ++i) {
      const PictureCollectionItem& item = c.ItemAt(i);
      if (s) {
        const std::string label = std::to_string(i) + " " + item.Name + " " + item.StoredKind() +
                                  " " + std::to_string(item.Picture().Width()) + "X" +
                                  std::to_string(item.Picture().Height()) + " FRAMES " +
                                  std::to_string(item.FrameTotal());
        tools::DrawText(*s, gap, y, label, Rgb(255, 220, 0), 2);
      }
      y += labelH;
      int x = gap, rowH = 0;
      for (int f = 0; f < item.FrameTotal(); ++f) {
        const int fw = item.FrameWidth(), fh = item.FrameHeight();
        if (x + fw > width - gap && x > gap) {
          x = gap;
          y += rowH + tools::kGlyphHeight + gap;
          rowH = 0;
        }
        if (s && y < kMaxSheetHeight) {
          DrawChecker(*s, x, y, fw, fh);
          item.DrawFrame(s, x, y, f);
          tools::DrawText(*s, x, y + fh + 1, std::to_string(f), Rgb(180, 180, 255));
        }
        x += std::max(fw, 12) + gap;
        rowH = std::max(rowH, fh);
      }
      y += rowH + tools::kGlyphHeight + 2 * gap;
    }
    return std::min(y, kMaxSheetHeight);
  };
  Surface sheet(width, layout(nullptr), Rgb(40, 40, 48));
  layout(&sheet);
  PngCodec::WriteFile(out, sheet);
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, extractDir, sheetPath;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--extract") && i + 1 < argc)
      extractDir = argv[++i];
    else if (!std::strcmp(argv[i], "--sheet") && i + 1 < argc)
      sheetPath = argv[++i];
    else if (file.empty() && argv[i][0] != '-')
      file = argv[i];
    else
      file.clear(), i = argc;
  }
  if (file.empty()) {
    std::fprintf(stderr, "usage: icf-dump FILE [--extract DIR] [--sheet OUT.png]\n");
    return 2;
  }
  PictureCollection c;
  try {
    c.LoadCollection(file);
  } catch (const KlvError& e) {
    std::fprintf(stderr, "icf-dump: %s\n", e.what());  // the message names the file
    return 1;
  }
  for (int i = 0; i < c.Count(); ++i) {
    const PictureCollectionItem& item = c.ItemAt(i);
    std::printf("%d %s %s %dx%d frame=%dx%d frames=%d transparent=%s\n", i,
                ShownName(item.Name).c_str(),
                item.StoredKind().empty() ? "none" : item.StoredKind().c_str(),
                item.Picture().Width(), item.Picture().Height(), item.FrameWidth(),
                item.FrameHeight(), item.FrameTotal(), TransparencyText(item).c_str());
  }
  try {
    if (!extractDir.empty()) {
      fs::create_directories(extractDir);
      for (int i = 0; i < c.Count(); ++i) {
        const PictureCollectionItem& item = c.ItemAt(i);
        for (int f = 0; f < item.FrameTotal(); ++f) {
          const std::string name = extractDir + "/" + std::to_string(i) + "_" +
                                   SafeName(item.Name) + "_" + std::to_string(f) + ".png";
          PngCodec::WriteFile(name, FramePicture(item, f));
        }
      }
    }
    if (!sheetPath.empty()) WriteSheet(c, file, sheetPath);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "icf-dump: %s\n", e.what());
    return 1;
  }
  return 0;
}
