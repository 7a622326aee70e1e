#pragma once
// A tiny set of game pictures of every name the screens and play look up,
// as image-collection bytes or written to a folder, so tests and fuzz targets
// can start a whole game, or play alone, without the real art.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/icf_writer.h"

namespace klv::test {

// A 24-bit bottom-up Windows bitmap (no file header) of one shade.
inline std::vector<uint8_t> SolidDib(int w, int h, uint8_t shade) {
  const int stride = (w * 3 + 3) / 4 * 4;
  std::vector<uint8_t> d(40 + size_t(stride) * h, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, uint32_t(w));
  put32(8, uint32_t(h));
  d[12] = 1;
  d[14] = 24;
  put32(20, uint32_t(stride * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) d[40 + size_t(y) * stride + x * 3 + c] = uint8_t(shade + x + c);
  return d;
}

struct Pic {
  std::string name;
  int w, h, frames;
};

inline std::vector<uint8_t> CollectionBytes(const std::vector<Pic>& pics) {
  std::vector<IcfItem> items;
  uint8_t shade = 20;
  for (const Pic& p : pics) {
    IcfItem item;
    item.Name = p.name;
    item.PatternWidth = p.frames > 1 ? p.w : 0;
    item.PatternHeight = p.frames > 1 ? p.h : 0;
    item.Transparent = false;
    item.PictureData = IcfWriter::DibData(SolidDib(p.w * p.frames, p.h, shade += 7));
    items.push_back(std::move(item));
  }
  std::array<uint32_t, 256> colours{};
  return IcfWriter::WriteCollection(colours, items);
}

inline void WriteCollection(const std::string& path, const std::vector<Pic>& pics) {
  const std::vector<uint8_t> bytes = CollectionBytes(pics);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Sizes of the fish pictures by kind: small ones, a medium and a big one, a
// bottom dweller, a long one and the spiny one (longer than 80 pixels).
constexpr int kFishW[11] = {0, 50, 52, 54, 56, 58, 70, 90, 90, 120, 100};
constexpr int kFishH[11] = {0, 20, 22, 24, 22, 20, 28, 36, 30, 24, 32};
constexpr int kObjW = 30, kObjH = 30;
constexpr int kHookW = 7, kHookH = 10;
constexpr int kAnglerW = 60;

// The lit main-menu buttons are 240 x 44, so item k's spot is
// 261 < x < 501, Yk < y < Yk + 44.
constexpr int kButtonW = 240;
constexpr int kButtonH = 44;

// The pictures of the menus ("Data/MenuImgs.icf").
inline std::vector<Pic> MenuPictures() {
  std::vector<Pic> menu = {
      {"", 800, 600, 1}, {"", 800, 600, 1}, {"", 800, 600, 1}, {"", 800, 600, 1}};
  for (const char* n : {"Start", "Opt", "HScores", "Help", "Visit", "Exit"})
    menu.push_back({n, kButtonW, kButtonH, 1});
  for (const char* n : {"FonOpt", "FonHScr", "FonHelp", "FonMP", "FonMP2"})
    menu.push_back({n, 700, 400, 1});
  for (const char* n :
       {"Win", "Full", "On", "Off", "OptBack", "Clear", "World", "HScrBack", "Previos", "Next"})
    menu.push_back({n, 90, 20, 1});
  menu.push_back({"Qtns", 400, 230, 1});
  menu.push_back({"Chk", 24, 24, 2});
  for (const char* n : {"Hlp1", "Hlp2", "Hlp3", "Hlp4"}) menu.push_back({n, 700, 280, 1});
  menu.push_back({"Table", 64, 64, 1});
  return menu;
}

// The pictures of play ("Data/GameImgs.icf"): items 21..30 are the quota
// icons; the rest are found by name.
inline std::vector<Pic> GamePictures() {
  std::vector<Pic> play = {
      {"Player", kAnglerW, 100, 1}, {"Udochka", 60, 60, 3},      {"Poplavok", 7, 12, 1},
      {"Leska", 7, 4, 1},           {"Kruk", kHookW, kHookH, 1}, {"Volna", 901, 40, 1},
      {"Vodorosl1", 40, 120, 4},    {"Vodorosl2", 40, 130, 3},   {"Puzir", 8, 8, 1},
      {"Puziri", 16, 16, 1},        {"Time1", 430, 16, 1},       {"Time2", 429, 16, 2}};
  for (int k = 1; k <= 5; ++k) play.push_back({"Obj" + std::to_string(k), kObjW, kObjH, 5});
  while (play.size() < 21) play.push_back({"Spare" + std::to_string(play.size()), 8, 8, 1});
  for (int k = 1; k <= 10; ++k) play.push_back({"Icon" + std::to_string(k), 30, 30, 1});
  for (int k = 1; k <= 10; ++k) {
    play.push_back({"Fish" + std::to_string(k) + "L", kFishW[k], kFishH[k], 4});
    play.push_back({"Fish" + std::to_string(k) + "R", kFishW[k], kFishH[k], 4});
  }
  return play;
}

inline void WriteGameData(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir / "Data");
  WriteCollection((dir / "Data" / "MenuImgs.icf").string(), MenuPictures());
  WriteCollection((dir / "Data" / "GameImgs.icf").string(), GamePictures());
}

}  // namespace klv::test
