#include "engine/draw_list.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/canvas.h"
#include "engine/picture_collection.h"
#include "engine/surface.h"

namespace klv {

namespace {

int ClampToInt(int64_t v) {
  return int(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int ClampToInt(double v) {
  return int(std::clamp(v, double(std::numeric_limits<int>::min()),
                        double(std::numeric_limits<int>::max())));
}

Rect Box(int64_t x, int64_t y, int64_t w, int64_t h) {
  return Rect{ClampToInt(x), ClampToInt(y), ClampToInt(x + w), ClampToInt(y + h)};
}

bool Empty(const Rect& r) {
  return r.Left >= r.Right || r.Top >= r.Bottom;
}

int64_t Area(const Rect& r) {
  return Empty(r) ? 0 : int64_t(r.Width()) * r.Height();
}

// How far the list comparison looks ahead for a sprite born or gone.
constexpr size_t kLookAhead = 8;
// More separate regions than this are drawn as one.
constexpr size_t kMaxRegions = 24;

}  // namespace

Rect Union(const Rect& a, const Rect& b) {
  if (Empty(a)) return b;
  if (Empty(b)) return a;
  return Rect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
              std::max(a.Bottom, b.Bottom)};
}

Rect Intersection(const Rect& a, const Rect& b) {
  const Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
               std::min(a.Bottom, b.Bottom)};
  return Empty(r) ? Rect{} : r;
}

bool DrawList::Op::operator==(const Op& b) const {
  return What == b.What && Item == b.Item && FrameNo == b.FrameNo && X == b.X && Y == b.Y &&
         W == b.W && H == b.H && To == b.To && Alpha == b.Alpha && Angle == b.Angle &&
         CenterX == b.CenterX && CenterY == b.CenterY && Colour == b.Colour && Font == b.Font &&
         Touches == b.Touches && Text == b.Text;
}

void DrawList::Add(Op op) {
  if (Empty(op.Touches)) return;
  ops_.push_back(std::move(op));
}

void DrawList::AddFrame(const PictureCollectionItem& item, int frame, int x, int y) {
  Op op;
  op.What = Kind::Frame;
  op.Item = &item;
  op.FrameNo = frame;
  op.X = x;
  op.Y = y;
  const Rect source = item.FrameSource(frame);
  op.Touches = Box(x, y, source.Width(), source.Height());
  Add(std::move(op));
}

void DrawList::AddStretch(const PictureCollectionItem& item, int frame, const Rect& to, int alpha) {
  Op op;
  op.What = Kind::Stretch;
  op.Item = &item;
  op.FrameNo = frame;
  op.To = to;
  op.Alpha = alpha;
  op.Touches = to;
  Add(std::move(op));
}

void DrawList::AddRotate(const PictureCollectionItem& item, int frame, int x, int y, int width,
                         int height, double centerX, double centerY, int angle) {
  if (!std::isfinite(centerX) || !std::isfinite(centerY)) return;  // draws nothing
  Op op;
  op.What = Kind::Rotate;
  op.Item = &item;
  op.FrameNo = frame;
  op.X = x;
  op.Y = y;
  op.W = width;
  op.H = height;
  op.CenterX = centerX;
  op.CenterY = centerY;
  op.Angle = angle;
  // Turned any way, the frame stays within its farthest corner's distance
  // of the pivot; a pixel more on each side covers the rounding.
  const double ox = centerX * width, oy = centerY * height;
  const double reach = std::hypot(std::max(std::fabs(ox), std::fabs(width - ox)),
                                  std::max(std::fabs(oy), std::fabs(height - oy))) +
                       2.0;
  op.Touches = Rect{ClampToInt(std::floor(x - reach)), ClampToInt(std::floor(y - reach)),
                    ClampToInt(std::ceil(x + reach)), ClampToInt(std::ceil(y + reach))};
  Add(std::move(op));
}

void DrawList::AddFill(const Rect& r, uint32_t colour) {
  Op op;
  op.What = Kind::Fill;
  op.To = r;
  op.Colour = colour;
  op.Touches = r;
  Add(std::move(op));
}

void DrawList::AddText(const FontSpec& font, uint32_t colour, int x, int y,
                       const std::string& cp1251, const Rect& touches) {
  Op op;
  op.What = Kind::Text;
  op.Font = font;
  op.Colour = colour;
  op.X = x;
  op.Y = y;
  op.Text = cp1251;
  op.Touches = touches;
  Add(std::move(op));
}

void DrawList::Changes(const DrawList& last, const Rect& area, std::vector<Rect>& regions) const {
  regions.clear();
  auto mark = [&](const Op& op) {
    const Rect r = Intersection(op.Touches, area);
    if (!Empty(r)) regions.push_back(r);
  };
  // Walk both lists in step. Where they part, a few operations born (or
  // gone) are looked for before both sides count as changed; every
  // operation left unmatched marks what it touches.
  const std::vector<Op>& a = last.ops_;
  const std::vector<Op>& b = ops_;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i] == b[j]) {
      ++i, ++j;
      continue;
    }
    size_t gone = 0, born = 0;
    for (size_t k = 1; k <= kLookAhead && !gone && !born; ++k) {
      if (i + k < a.size() && a[i + k] == b[j])
        gone = k;
      else if (j + k < b.size() && b[j + k] == a[i])
        born = k;
    }
    if (gone) {
      for (; gone > 0; --gone) mark(a[i++]);
    } else if (born) {
      for (; born > 0; --born) mark(b[j++]);
    } else {
      mark(a[i++]);
      mark(b[j++]);
    }
  }
  for (; i < a.size(); ++i) mark(a[i]);
  for (; j < b.size(); ++j) mark(b[j]);

  // Overlapping regions become one, until none overlap.
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t p = 0; p < regions.size(); ++p) {
      for (size_t q = p + 1; q < regions.size(); ++q) {
        if (!regions[p].Overlaps(regions[q])) continue;
        regions[p] = Union(regions[p], regions[q]);
        regions[q] = regions.back();
        regions.pop_back();
        merged = true;
        q = p;  // the grown region is tried against all the others again
      }
    }
  }
  int64_t total = 0;
  for (const Rect& r : regions) total += Area(r);
  if (regions.size() > kMaxRegions || total * 2 > Area(area)) {
    regions.assign(1, area);
  }
}

void DrawList::Paint(Surface& target, Canvas& canvas, const std::vector<Rect>& regions) const {
  const FontSpec font = canvas.Font;
  const uint32_t colour = canvas.FontColor;
  for (const Rect& region : regions) {
    target.SetClip(region);
    const Rect clip = target.Clip();
    if (Empty(clip)) continue;
    for (const Op& op : ops_) {
      if (!op.Touches.Overlaps(clip)) continue;
      switch (op.What) {
        case Kind::Frame:
          op.Item->DrawFrame(&target, op.X, op.Y, op.FrameNo);
          break;
        case Kind::Stretch:
          if (op.Alpha >= 255)
            op.Item->StretchFrame(&target, op.To, op.FrameNo);
          else
            op.Item->BlendFrame(&target, op.To, op.FrameNo, op.Alpha);
          break;
        case Kind::Rotate:
          op.Item->RotateFrame(&target, op.X, op.Y, op.W, op.H, op.FrameNo, op.CenterX, op.CenterY,
                               op.Angle);
          break;
        case Kind::Fill:
          target.FillRect(op.To.Left, op.To.Top, op.To.Width(), op.To.Height(), op.Colour);
          break;
        case Kind::Text:
          canvas.Font = op.Font;
          canvas.FontColor = op.Colour;
          canvas.TextOut(op.X, op.Y, op.Text);
          break;
      }
    }
  }
  target.ClearClip();
  canvas.Font = font;
  canvas.FontColor = colour;
}

}  // namespace klv
