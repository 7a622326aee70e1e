#pragma once
// What a frame draws, written down instead of drawn: each picture frame,
// stretch, turn, fill and text with the rectangle it can touch. Comparing a
// frame's list with the last one's tells which parts of the picture changed;
// only those are then drawn, over last frame's pixels, and sent to the screen.
//
//   list.Clear();
//   backBuffer.SetRecorder(&list);  // drawing onto it now only writes the list
//   engine.Draw();                  // sprites, then texts, as always
//   backBuffer.SetRecorder(nullptr);
//   list.Changes(lastList, regions);
//   list.Paint(backBuffer, canvas, regions);
//
// A pixel outside every changed region is drawn by the same operations, in
// the same order, in both frames, so it keeps its colour.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/rect.h"
#include "engine/text_raster.h"

namespace klv {

class Canvas;
class PictureCollectionItem;
class Surface;

class DrawList {
 public:
  enum class Kind : uint8_t { Frame, Stretch, Rotate, Fill, Text };

  struct Op {
    Kind What = Kind::Fill;
    const PictureCollectionItem* Item = nullptr;
    int FrameNo = 0;
    int X = 0, Y = 0;  // Frame, Text: the top-left corner; Rotate: the pivot
    int W = 0, H = 0;  // Rotate: the scaled frame's size
    Rect To;           // Stretch, Fill: the rectangle
    int Alpha = 255;
    int Angle = 0;
    double CenterX = 0, CenterY = 0;
    uint32_t Colour = 0;
    FontSpec Font;
    std::string Text;
    Rect Touches;  // every pixel the operation can change lies inside
    bool operator==(const Op& b) const;
  };

  void Clear() { ops_.clear(); }
  const std::vector<Op>& Ops() const { return ops_; }

  void AddFrame(const PictureCollectionItem& item, int frame, int x, int y);
  void AddStretch(const PictureCollectionItem& item, int frame, const Rect& to, int alpha);
  void AddRotate(const PictureCollectionItem& item, int frame, int x, int y, int width, int height,
                 double centerX, double centerY, int angle);
  void AddFill(const Rect& r, uint32_t colour);
  void AddText(const FontSpec& font, uint32_t colour, int x, int y, const std::string& cp1251,
               const Rect& touches);

  // The regions of `area` whose pixels may differ from the frame drawn from
  // `last`: disjoint rectangles inside area, in no particular order. Many
  // scattered changes become one rectangle of the whole area.
  void Changes(const DrawList& last, const Rect& area, std::vector<Rect>& regions) const;
  // Draws the operations touching each region, in order, clipped to it.
  // The surface must not be recording; its clip is the whole surface after.
  void Paint(Surface& target, Canvas& canvas, const std::vector<Rect>& regions) const;

 private:
  void Add(Op op);
  std::vector<Op> ops_;
};

// The smallest rectangle holding both; an empty one adds nothing.
Rect Union(const Rect& a, const Rect& b);
// The common part, or an empty rectangle.
Rect Intersection(const Rect& a, const Rect& b);

}  // namespace klv
