#pragma once
// The named image lists (MenuImgs, GameImgs) and the image-collection file they
// are read from. Each item holds one picture cut into equal frames and draws
// those frames onto a surface, colour-keyed or with per-pixel alpha.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/frame_blitter.h"
#include "engine/rect.h"
#include "engine/surface.h"

namespace klv {

// How an item's picture was stored; decides how its frames are drawn.
enum class PictureKind { None, Dib, Jpeg, Png };

class PictureCollectionItem {
 public:
  PictureCollectionItem();
  ~PictureCollectionItem();

  // Stored properties. Transparent and TransparentColor apply to Dib and
  // Jpeg pictures; Png pictures always draw with their own alpha. Changing
  // them after upload is honoured (the frame run data is then bypassed).
  std::string Name;  // change through PictureCollection::Rename, so lookups see it
  int PatternWidth = 0;
  int PatternHeight = 0;
  int SkipWidth = 0;
  int SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  uint32_t TransparentColor = 0;  // 0x00BBGGRR

  PictureKind Kind() const { return kind_; }
  bool HasPicture() const { return width_ > 0 && height_ > 0; }
  // The decoded picture (decoded now if it is still kept as stored).
  const Surface& Picture() const;
  void SetPicture(Surface picture, PictureKind kind);
  // A picture kept as stored (the bytes of a DIB, JPEG or PNG of `kind`,
  // already checked to decode to width x height) and decoded when first
  // drawn or asked for: a collection holds every screen's backdrop, and the
  // decoded pixels of those not shown yet would only take memory.
  void SetStoredPicture(std::vector<uint8_t> bytes, PictureKind kind, int width, int height);
  // Whether the pixels are decoded (for tests).
  bool Decoded() const { return stored_.empty(); }

  // The stored graphic kind as the collection tools name it: "TDIB8",
  // "TDIB24", "TJPEGImage", "TPNGImage"..., empty without a picture.
  const std::string& StoredKind() const { return storedKind_; }
  void SetStoredKind(std::string kind) { storedKind_ = std::move(kind); }
  // The colour table of a bitmap of 8 bits or less (256 entries of
  // 0x00RRGGBB), else empty; BuildColorTable reads it.
  const std::vector<uint32_t>& Palette() const { return palette_; }
  void SetPalette(std::vector<uint32_t> palette) { palette_ = std::move(palette); }

  // Frames exist only after Upload (done by the collection once the drawing
  // surface is up, and again after it is re-created).
  bool Uploaded() const { return uploaded_; }
  void Upload();
  void DropFrames();

  int FrameWidth() const;
  int FrameHeight() const;
  int FrameTotal() const { return static_cast<int>(frames_.size()); }

  // All drawing does nothing for a frame out of range, an item not uploaded or
  // a null destination. Angles are 256ths of a turn.
  void DrawFrame(Surface* dest, int x, int y, int frame) const;
  void StretchFrame(Surface* dest, const Rect& r, int frame) const;
  void BlendFrame(Surface* dest, const Rect& r, int frame, int alpha) const;
  void RotateFrame(Surface* dest, int x, int y, int width, int height, int frame, double centerX,
                   double centerY, int angle) const;

  // True where the frame's pixel at (x, y), frame-relative, is drawn (not the
  // colour key, or alpha above zero). False outside the frame.
  bool FramePixelSolid(int frame, int x, int y) const;
  // True when the frame draws every pixel of its rectangle fully (no colour
  // key pixel, no alpha below 255), so it hides whatever lies under it.
  // Worked out on first asking and kept until the next upload.
  bool FrameOpaque(int frame) const;

  // The frame's rectangle within the picture, and the picture it lies on
  // (for tools and tests); an empty rectangle and nullptr out of range.
  Rect FrameSource(int frame) const;
  const Surface* FrameSurface(int frame) const;

 private:
  struct Frame {
    Rect source;                   // within the picture
    mutable int64_t runRows = -1;  // index into rowRuns_, or -1 without run data
    // FrameOpaque's answer: -1 not known yet, else 0 or 1 for opaqueMode_/Key_.
    mutable int8_t opaque = -1;
    mutable BlitMode opaqueMode = BlitMode::Opaque;
    mutable uint32_t opaqueKey = 0;
  };

  // How frames are drawn now, and whether the run data still fits that.
  BlitMode Mode() const;
  uint32_t Key() const;
  BlitSource Source(int frame) const;
  // Decodes a stored picture, and makes the run data an upload left for it.
  void Decode() const;
  void BuildRuns() const;

  // The picture's size, known before it is decoded.
  int width_ = 0;
  int height_ = 0;
  mutable Surface picture_;
  mutable std::vector<uint8_t> stored_;  // the picture as stored, until decoded
  PictureKind kind_ = PictureKind::None;
  bool uploaded_ = false;
  std::vector<Frame> frames_;
  std::string storedKind_;
  std::vector<uint32_t> palette_;
  // Spans of drawn pixels per frame row, made when a frame is first drawn
  // after upload, for the mode and key of that moment, so that DrawFrame
  // copies whole spans.
  mutable std::vector<uint32_t> rowRuns_;
  mutable std::vector<RunSpan> runs_;
  mutable BlitMode runMode_ = BlitMode::Opaque;
  mutable uint32_t runKey_ = 0;
  mutable bool runsBuilt_ = false;
};

class PictureCollection {
 public:
  PictureCollection();
  ~PictureCollection();

  // Clears the collection and reads an image-collection file. Throws DataError
  // (or KlvError with the fixed framework messages) on a damaged file.
  void LoadCollection(const std::string& fileName);
  // Reads from memory; fileName only names the source in errors.
  void LoadFromMemory(const uint8_t* data, size_t size, const std::string& fileName);

  int Count() const { return static_cast<int>(items_.size()); }
  PictureCollectionItem& ItemAt(int index);                  // throws KlvError out of range
  PictureCollectionItem& FindByName(std::string_view name);  // "Image '%s' not found"
  PictureCollectionItem* TryFindByName(std::string_view name);
  PictureCollectionItem& Add();  // a new item at the end, named ""
  void Rename(PictureCollectionItem& item, std::string name);
  void Clear();

  // Uploads every item's frames (the drawing surface is up or was re-created).
  void UploadAll();
  // Whether the collection follows a drawing surface that is up: then
  // LoadCollection uploads at once. True unless a tool turns it off.
  bool Bound() const { return bound_; }
  void SetBound(bool bound) { bound_ = bound; }

  // 256 entries of 0x00RRGGBB as stored (blue, green, red, reserved bytes).
  std::array<uint32_t, 256> ColorTable{};
  void BuildColorTable();

 private:
  std::vector<std::unique_ptr<PictureCollectionItem>> items_;
  struct Bucket {
    std::vector<PictureCollectionItem*> chain;  // head first
  };
  std::array<Bucket, 256> buckets_;
  bool bound_ = true;
};

// Reads two image-collection files at once, the second on a thread of its
// own, and returns when both are read. A damaged file throws as
// LoadCollection does; when both are, the first one's error is the one
// thrown. Each collection ends as LoadCollection would leave it.
void LoadCollections(PictureCollection& first, const std::string& firstFile,
                     PictureCollection& second, const std::string& secondFile);

// Name hash of the image list: lower case (code page 1251), length * 16, plus
// the first and second-to-last character codes when the length is at least 2.
uint8_t PictureNameHash(std::string_view name);

}  // namespace klv
