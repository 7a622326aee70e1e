// Fuzz target: the image-collection reader, then upload and every drawing
// operation on what it read. Damaged files must end in KlvError, nothing else.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/errors.h"
#include "engine/picture_collection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  klv::PictureCollection c;
  try {
    c.LoadFromMemory(data, size, "fuzz.icf");
  } catch (const klv::KlvError&) {
    return 0;
  }
  c.BuildColorTable();
  klv::Surface dest(64, 48, 0xFF102030);
  for (int i = 0; i < std::min(c.Count(), 8); ++i) {
    klv::PictureCollectionItem& item = c.ItemAt(i);
    if (c.TryFindByName(item.Name) == nullptr) __builtin_trap();  // every name is found
    for (int f = -1; f <= std::min(item.FrameTotal(), 3); ++f) {
      item.DrawFrame(&dest, -3, 5, f);
      item.DrawFrame(&dest, 40, 30, f);
      item.DrawFrame(&dest, INT32_MIN, INT32_MAX, f);
      item.StretchFrame(&dest, {INT32_MIN, -5, INT32_MAX, 7}, f);
      item.RotateFrame(&dest, INT32_MAX, INT32_MIN, 1 << 30, 3, f, 1e9, -1e9, -7);
      item.StretchFrame(&dest, {-10, 2, 30, 60}, f);
      item.BlendFrame(&dest, {5, -4, 70, 20}, f, 100);
      item.RotateFrame(&dest, 32, 24, 30, 20, f, 0.5, 0.5, 37);
      item.FramePixelSolid(f, 1, 1);
    }
    item.Transparent = !item.Transparent;  // drawing after a change of key
    item.DrawFrame(&dest, 0, 0, 0);
  }
  return 0;
}
