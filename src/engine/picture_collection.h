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

#include "engine/rect.h"
#include "engine/surface.h"

namespace klv {

// How an item's picture was stored; decides how its frames are drawn.
enum class PictureKind { None, Dib, Jpeg, Png };

class PictureCollectionItem {
 public:
  PictureCollectionItem();
  ~PictureCollectionItem();

  // Stored properties.
  std::string Name;
  int PatternWidth = 0;
  int PatternHeight = 0;
  int SkipWidth = 0;
  int SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  uint32_t TransparentColor = 0;  // 0x00BBGGRR

  PictureKind Kind() const { return kind_; }
  bool HasPicture() const { return !picture_.Empty(); }
  const Surface& Picture() const { return picture_; }
  void SetPicture(Surface picture, PictureKind kind);

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

 private:
  struct Frame {
    int surface = 0;  // index into surfaces_
    Rect source;      // within that surface
  };

  Surface picture_;
  PictureKind kind_ = PictureKind::None;
  bool uploaded_ = false;
  std::vector<Surface> surfaces_;
  std::vector<Frame> frames_;
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
  PictureCollectionItem& ItemAt(int index);  // throws KlvError out of range
  PictureCollectionItem& FindByName(std::string_view name);  // "Image '%s' not found"
  PictureCollectionItem* TryFindByName(std::string_view name);
  PictureCollectionItem& Add();  // a new item at the end, named ""
  void Rename(PictureCollectionItem& item, std::string name);
  void Clear();

  // Uploads every item's frames (the drawing surface is up or was re-created).
  void UploadAll();

  // 256 entries of 0x00RRGGBB as stored (blue, green, red, reserved bytes).
  std::array<uint32_t, 256> ColorTable{};
  void BuildColorTable();

 private:
  std::vector<std::unique_ptr<PictureCollectionItem>> items_;
  struct Bucket {
    std::vector<PictureCollectionItem*> chain;  // head first
  };
  std::array<Bucket, 256> buckets_;
};

// Name hash of the image list: lower case (code page 1251), length * 16, plus
// the first and second-to-last character codes when the length is at least 2.
uint8_t PictureNameHash(std::string_view name);

}  // namespace klv
