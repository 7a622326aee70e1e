#include "engine/picture_collection.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include "engine/cp1251.h"
#include "engine/dib_decoder.h"
#include "engine/draw_list.h"
#include "engine/errors.h"
#include "engine/icf_reader.h"
#include "engine/jpeg_codec.h"
#include "engine/picture_limits.h"
#include "engine/png_codec.h"

namespace klv {

uint8_t PictureNameHash(std::string_view name) {
  uint32_t h = static_cast<uint32_t>(name.size()) * 16;
  if (name.size() >= 2)
    h += Cp1251Lower(uint8_t(name[0])) + Cp1251Lower(uint8_t(name[name.size() - 2]));
  return static_cast<uint8_t>(h);
}

// ---------------------------------------------------------------------------
// PictureCollectionItem

PictureCollectionItem::PictureCollectionItem() = default;
PictureCollectionItem::~PictureCollectionItem() = default;

void PictureCollectionItem::SetPicture(Surface picture, PictureKind kind) {
  DropFrames();
  picture_ = std::move(picture);
  stored_.clear();
  stored_.shrink_to_fit();
  width_ = picture_.Width();
  height_ = picture_.Height();
  kind_ = picture_.Empty() ? PictureKind::None : kind;
}

void PictureCollectionItem::SetStoredPicture(std::vector<uint8_t> bytes, PictureKind kind,
                                             int width, int height) {
  if (bytes.empty() || width <= 0 || height <= 0 || kind == PictureKind::None) {
    SetPicture(Surface(), PictureKind::None);
    return;
  }
  DropFrames();
  picture_ = Surface();
  stored_ = std::move(bytes);
  width_ = width;
  height_ = height;
  kind_ = kind;
}

const Surface& PictureCollectionItem::Picture() const {
  Decode();
  return picture_;
}

void PictureCollectionItem::Decode() const {
  if (stored_.empty()) return;
  Surface picture;
  switch (kind_) {
    case PictureKind::Dib:
      picture = DibDecoder::Decode(stored_.data(), stored_.size(), 0).Pixels;
      break;
    case PictureKind::Jpeg:
      picture = JpegCodec::Decode(stored_.data(), stored_.size());
      break;
    case PictureKind::Png:
      picture = PngCodec::Decode(stored_.data(), stored_.size());
      break;
    case PictureKind::None:
      break;
  }
  // The bytes decoded to this size when the collection was read.
  if (picture.Width() != width_ || picture.Height() != height_)
    throw DataError("a stored picture no longer decodes to its size");
  picture_ = std::move(picture);
  stored_.clear();
  stored_.shrink_to_fit();
}

int PictureCollectionItem::FrameWidth() const {
  return PatternWidth > 0 ? PatternWidth : width_;
}
int PictureCollectionItem::FrameHeight() const {
  return PatternHeight > 0 ? PatternHeight : height_;
}

BlitMode PictureCollectionItem::Mode() const {
  if (kind_ == PictureKind::Png) return BlitMode::Alpha;
  return Transparent ? BlitMode::Keyed : BlitMode::Opaque;
}

uint32_t PictureCollectionItem::Key() const {
  // Stored as 0x00BBGGRR; pixels are 0xAARRGGBB. A value with a high byte (a
  // system or "none" colour) matches no pixel.
  if (TransparentColor > 0xFFFFFF) return 0xFFFFFFFFu;
  return FromColorRef(TransparentColor) & 0xFFFFFFu;
}

void PictureCollectionItem::DropFrames() {
  uploaded_ = false;
  frames_.clear();
  rowRuns_.clear();
  runs_.clear();
  runsBuilt_ = false;
}

void PictureCollectionItem::Upload() {
  if (!HasPicture()) return;
  DropFrames();
  const int64_t w = FrameWidth(), h = FrameHeight();
  const int64_t W = width_, H = height_;
  const int64_t sw = SkipWidth, sh = SkipHeight;
  uploaded_ = true;
  // Every frame is a rectangle of the picture itself: the picture stays
  // unchanged while uploaded, so there is nothing to copy.
  if (w == W && h == H) {
    frames_.push_back({Rect::Bounds(0, 0, int(W), int(H))});
  } else {
    const int64_t p = w + sw, q = h + sh;  // strides
    if (w <= 0 || h <= 0 || w > W || h > H || p <= 0 || q <= 0) return;
    const int64_t rows = (H + sh) / q, columns = (W + sw) / p;
    if (rows <= 0 || columns <= 0) return;
    const int64_t total = std::min<int64_t>(rows * columns, kMaxFramesPerItem);
    frames_.reserve(size_t(total));
    for (int64_t i = 0; i < total; ++i) {
      const int64_t r = i / columns, k = i % columns;
      Frame fr;
      fr.source = Rect::Bounds(int(p * k), int(q * r), int(w), int(h));
      frames_.push_back(fr);
    }
  }
  // The run data is made when a frame is first drawn: most pictures of a
  // collection are not drawn for a while after start-up, some never.
}

void PictureCollectionItem::BuildRuns() const {
  // Run data, within a budget so that odd grids (tiny or overlapping frames)
  // cannot multiply the memory; frames beyond it draw pixel by pixel.
  rowRuns_.clear();
  runs_.clear();
  runsBuilt_ = true;
  runMode_ = Mode();
  runKey_ = Key();
  if (runMode_ == BlitMode::Opaque) return;
  uint64_t budget = uint64_t(width_) * uint64_t(height_) * 2;
  for (const Frame& fr : frames_) {
    const uint64_t area = uint64_t(fr.source.Width()) * uint64_t(fr.source.Height());
    if (area > budget) break;
    budget -= area;
    fr.runRows = int64_t(rowRuns_.size());
    FrameBlitter::BuildRuns(picture_, fr.source, runMode_, runKey_, rowRuns_, runs_);
  }
}

BlitSource PictureCollectionItem::Source(int frame) const {
  Decode();
  if (!runsBuilt_) BuildRuns();
  const Frame& fr = frames_[size_t(frame)];
  BlitSource src;
  src.Pixels = &picture_;
  src.Area = fr.source;
  src.Mode = Mode();
  src.Key = Key();
  // The run data holds only while Transparent and TransparentColor are as
  // they were at upload.
  if (fr.runRows >= 0 && src.Mode == runMode_ && src.Key == runKey_) {
    src.RowRuns = rowRuns_.data() + fr.runRows;
    src.Runs = runs_.data();
  }
  return src;
}

void PictureCollectionItem::DrawFrame(Surface* dest, int x, int y, int frame) const {
  if (!dest || !uploaded_ || frame < 0 || frame >= FrameTotal()) return;
  if (DrawList* list = dest->Recorder()) return list->AddFrame(*this, frame, x, y);
  FrameBlitter::Draw(*dest, Source(frame), x, y);
}

void PictureCollectionItem::StretchFrame(Surface* dest, const Rect& r, int frame) const {
  if (!dest || !uploaded_ || frame < 0 || frame >= FrameTotal()) return;
  if (DrawList* list = dest->Recorder()) return list->AddStretch(*this, frame, r, 255);
  FrameBlitter::Stretch(*dest, Source(frame), r, 255);
}

void PictureCollectionItem::BlendFrame(Surface* dest, const Rect& r, int frame, int alpha) const {
  if (!dest || !uploaded_ || frame < 0 || frame >= FrameTotal() || alpha <= 0) return;
  if (DrawList* list = dest->Recorder())
    return list->AddStretch(*this, frame, r, std::min(alpha, 255));
  FrameBlitter::Stretch(*dest, Source(frame), r, std::min(alpha, 255));
}

void PictureCollectionItem::RotateFrame(Surface* dest, int x, int y, int width, int height,
                                        int frame, double centerX, double centerY,
                                        int angle) const {
  if (!dest || !uploaded_ || frame < 0 || frame >= FrameTotal()) return;
  if (DrawList* list = dest->Recorder())
    return list->AddRotate(*this, frame, x, y, width, height, centerX, centerY, angle);
  FrameBlitter::Rotate(*dest, Source(frame), x, y, width, height, centerX, centerY, angle);
}

bool PictureCollectionItem::FramePixelSolid(int frame, int x, int y) const {
  if (!uploaded_ || frame < 0 || frame >= FrameTotal()) return false;
  const Frame& fr = frames_[size_t(frame)];
  if (x < 0 || y < 0 || x >= fr.source.Width() || y >= fr.source.Height()) return false;
  Decode();
  const uint32_t px = picture_.At(fr.source.Left + x, fr.source.Top + y);
  return FrameBlitter::Coverage(Mode(), Key(), px) > 0;
}

bool PictureCollectionItem::FrameOpaque(int frame) const {
  if (!uploaded_ || frame < 0 || frame >= FrameTotal()) return false;
  const Frame& fr = frames_[size_t(frame)];
  const BlitMode mode = Mode();
  const uint32_t key = Key();
  if (mode == BlitMode::Opaque) return true;
  if (fr.opaque < 0 || fr.opaqueMode != mode || fr.opaqueKey != key) {
    Decode();
    const Surface& surface = picture_;
    bool all = true;
    for (int y = fr.source.Top; y < fr.source.Bottom && all; ++y) {
      const uint32_t* row = surface.Row(y);
      for (int x = fr.source.Left; x < fr.source.Right; ++x)
        if (FrameBlitter::Coverage(mode, key, row[x]) != 255) {
          all = false;
          break;
        }
    }
    fr.opaque = all ? 1 : 0;
    fr.opaqueMode = mode;
    fr.opaqueKey = key;
  }
  return fr.opaque == 1;
}

Rect PictureCollectionItem::FrameSource(int frame) const {
  if (frame < 0 || frame >= FrameTotal()) return {};
  return frames_[size_t(frame)].source;
}

const Surface* PictureCollectionItem::FrameSurface(int frame) const {
  if (frame < 0 || frame >= FrameTotal()) return nullptr;
  Decode();
  return &picture_;
}

// ---------------------------------------------------------------------------
// PictureCollection

PictureCollection::PictureCollection() = default;
PictureCollection::~PictureCollection() = default;

void PictureCollection::LoadCollection(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw DataError(fileName + ": cannot open (" + std::strerror(errno) + ")");
  // Read straight into one buffer of the file's size where that is known, so
  // that a large file is neither copied nor grown step by step.
  std::vector<uint8_t> bytes;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size > 0 && uint64_t(size) <= kMaxCollectionBytes) bytes.reserve(size_t(size) + 1);
    std::rewind(f);
  }
  uint8_t chunk[65536];
  size_t got;
  for (;;) {
    if (bytes.capacity() > bytes.size()) {
      // Room left: read into it; one byte more than expected shows a file
      // that grew meanwhile, which the chunked path below then reads.
      const size_t before = bytes.size();
      bytes.resize(bytes.capacity());
      got = std::fread(bytes.data() + before, 1, bytes.size() - before, f);
      bytes.resize(before + got);
      if (got == 0) break;
      continue;
    }
    if ((got = std::fread(chunk, 1, sizeof chunk, f)) == 0) break;
    if (bytes.size() + got > kMaxCollectionBytes) {
      std::fclose(f);
      throw DataError(fileName + ": file larger than 256 MB");
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) throw DataError(fileName + ": read error");
  LoadFromMemory(bytes.data(), bytes.size(), fileName);
}

void PictureCollection::LoadFromMemory(const uint8_t* data, size_t size,
                                       const std::string& fileName) {
  // Read into a fresh collection, so a damaged file leaves this one as it was.
  PictureCollection fresh;
  IcfReader::Read(data, size, fileName, fresh);
  items_.swap(fresh.items_);
  buckets_.swap(fresh.buckets_);
  ColorTable = fresh.ColorTable;
  if (bound_) UploadAll();
}

void LoadCollections(PictureCollection& first, const std::string& firstFile,
                     PictureCollection& second, const std::string& secondFile) {
  // The worker touches `second` and `secondError` alone until it is joined.
  std::exception_ptr secondError;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        second.LoadCollection(secondFile);
      } catch (...) {
        secondError = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: one after the other.
    first.LoadCollection(firstFile);
    second.LoadCollection(secondFile);
    return;
  }
  std::exception_ptr firstError;
  try {
    first.LoadCollection(firstFile);
  } catch (...) {
    firstError = std::current_exception();
  }
  worker.join();
  if (firstError) std::rethrow_exception(firstError);
  if (secondError) std::rethrow_exception(secondError);
}

PictureCollectionItem& PictureCollection::ItemAt(int index) {
  if (index < 0 || index >= Count())
    throw KlvError("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[size_t(index)];
}

PictureCollectionItem* PictureCollection::TryFindByName(std::string_view name) {
  for (PictureCollectionItem* item : buckets_[PictureNameHash(name)].chain)
    if (SameNoCase(item->Name, name)) return item;
  return nullptr;
}

PictureCollectionItem& PictureCollection::FindByName(std::string_view name) {
  if (PictureCollectionItem* item = TryFindByName(name)) return *item;
  throw KlvError("Image '" + std::string(name) + "' not found");
}

PictureCollectionItem& PictureCollection::Add() {
  items_.push_back(std::make_unique<PictureCollectionItem>());
  PictureCollectionItem* item = items_.back().get();
  auto& chain = buckets_[PictureNameHash("")].chain;
  chain.insert(chain.begin(), item);
  return *item;
}

void PictureCollection::Rename(PictureCollectionItem& item, std::string name) {
  auto& old = buckets_[PictureNameHash(item.Name)].chain;
  old.erase(std::remove(old.begin(), old.end(), &item), old.end());
  item.Name = std::move(name);
  auto& chain = buckets_[PictureNameHash(item.Name)].chain;
  chain.insert(chain.begin(), &item);
}

void PictureCollection::Clear() {
  items_.clear();
  for (auto& b : buckets_) b.chain.clear();
}

void PictureCollection::UploadAll() {
  for (auto& item : items_) item->Upload();
}

void PictureCollection::BuildColorTable() {
  ColorTable.fill(0);
  std::array<bool, 256> used{};
  const struct {
    int index;
    uint8_t r, g, b;
  } fixed[] = {{0, 0, 0, 0},         {1, 128, 0, 0},     {2, 0, 128, 0},     {3, 128, 128, 0},
               {4, 0, 0, 128},       {5, 128, 0, 128},   {6, 0, 128, 128},   {7, 192, 192, 192},
               {248, 128, 128, 128}, {249, 255, 0, 0},   {250, 0, 255, 0},   {251, 255, 255, 0},
               {252, 0, 0, 255},     {253, 255, 0, 255}, {254, 0, 255, 255}, {255, 255, 255, 255}};
  for (const auto& e : fixed) {
    ColorTable[size_t(e.index)] = (uint32_t(e.r) << 16) | (uint32_t(e.g) << 8) | e.b;
    used[size_t(e.index)] = true;
  }
  int usedCount = 16;
  size_t next = 0;  // lowest entry that may be free
  for (const auto& item : items_) {
    for (uint32_t colour : item->Palette()) {
      if (usedCount == 256) return;
      bool present = false;
      for (size_t i = 0; i < 256 && !present; ++i) present = used[i] && ColorTable[i] == colour;
      if (present) continue;
      while (used[next]) ++next;
      ColorTable[next] = colour;
      used[next] = true;
      ++usedCount;
    }
  }
}

}  // namespace klv
