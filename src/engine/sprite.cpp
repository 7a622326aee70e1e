#include "engine/sprite.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "engine/errors.h"
#include "engine/sprite_engine.h"

namespace klv {

Sprite::Sprite() = default;

Sprite::Sprite(const SpriteLink& link) : parent_(&link.parent_) {
  Sprite& parent = *parent_;
  // Only the root has no parent, so a parent without an engine is the root.
  engine_ = parent.engine_ ? parent.engine_ : static_cast<SpriteEngine*>(&parent);
  parent.children_.push_back(this);
  parent.InsertByDepth(this);
}

Sprite::~Sprite() {
  DestroyChildren();
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::find(siblings.begin(), siblings.end(), this));
    parent_->RemoveFromDepthList(this);
    if (siblings.empty()) {
      siblings.shrink_to_fit();
      parent_->depthList_.shrink_to_fit();
    }
    if (dying_) {
      auto& dyingList = engine_->DyingList;
      auto it = std::find(dyingList.rbegin(), dyingList.rend(), this);
      if (it != dyingList.rend()) dyingList.erase(std::next(it).base());
    }
  }
}

void Sprite::DestroyChildren() {
  // Each child's destructor takes it off children_ and depthList_.
  while (!children_.empty()) delete children_.back();
}

void Sprite::HitBy(Sprite&, bool&) {}
void Sprite::Render() {}
void Sprite::Step(int) {}

Rect Sprite::Bounds() const {
  const int64_t x = TruncToPixel(WorldX());
  const int64_t y = TruncToPixel(WorldY());
  auto clampInt = [](int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  return Rect{static_cast<int>(x), static_cast<int>(y), clampInt(x + Width), clampInt(y + Height)};
}

bool Sprite::AcceptsHit(Sprite&) {
  return true;
}

void Sprite::InsertByDepth(Sprite* child) {
  // Binary search for the first sprite whose depth is >= the child's.
  int low = 0;
  int high = static_cast<int>(depthList_.size()) - 1;
  while (high >= low) {
    const int mid = low + (high - low) / 2;
    if (depthList_[mid]->depth_ < child->depth_) {
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  depthList_.insert(depthList_.begin() + low, child);
}

void Sprite::RemoveFromDepthList(Sprite* child) {
  auto it = std::find(depthList_.begin(), depthList_.end(), child);
  if (it != depthList_.end()) depthList_.erase(it);
}

void Sprite::SetDepth(int depth) {
  if (depth == depth_) return;
  depth_ = depth;
  if (parent_) {
    parent_->RemoveFromDepthList(this);
    parent_->InsertByDepth(this);
  }
}

Sprite& Sprite::ItemAt(int index) const {
  if (children_.empty()) {
    throw KlvError("Index of the list exceeds the range. (" + std::to_string(index) + ")");
  }
  if (index < 0 || index >= Count()) {
    throw KlvError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return *children_[index];
}

void Sprite::MarkDead() {
  if (!engine_ || dying_) return;
  dying_ = true;
  engine_->DyingList.push_back(this);
}

// Marks a pass over the tree, during which FlushDead frees nothing.
class Sprite::PassGuard {
 public:
  explicit PassGuard(Sprite& s) : root_(s.engine_ ? s.engine_ : s.parent_ ? nullptr : &s) {
    if (root_) ++root_->passes_;
  }
  ~PassGuard() {
    if (root_) --root_->passes_;
  }
  PassGuard(const PassGuard&) = delete;
  PassGuard& operator=(const PassGuard&) = delete;

 private:
  Sprite* root_;
};

void Sprite::Move(int moveCount) {
  if (!Movable) return;
  PassGuard guard(*this);
  Step(moveCount);
  // Sprites made during this pass wait for the next one. Nothing is destroyed
  // during a pass, so indices stay valid.
  const size_t count = children_.size();
  for (size_t i = 0; i < count && i < children_.size(); ++i) children_[i]->Move(moveCount);
}

void Sprite::Draw() {
  if (!Visible) return;
  PassGuard guard(*this);
  if (engine_ && Bounds().Overlaps(engine_->TargetRect)) Render();
  const size_t count = depthList_.size();
  for (size_t i = 0; i < count && i < depthList_.size(); ++i) depthList_[i]->Draw();
}

int Sprite::CheckHits() {
  if (!engine_ || dying_ || !Collidable) return 0;
  SpriteEngine& engine = *engine_;
  PassGuard guard(*this);
  engine.HitCount = 0;
  engine.HitsDone = false;
  engine.HitRect = Bounds();
  engine.HitTester = this;
  // Every top-level sprite is tried, even after HitsDone: it stops only the
  // descent into the children of the sprite that set it.
  const size_t count = engine.children_.size();
  for (size_t i = 0; i < count && i < engine.children_.size(); ++i) {
    HitWalk(engine, *engine.children_[i]);
  }
  return engine.HitCount;
}

void Sprite::HitWalk(SpriteEngine& engine, Sprite& target) {
  if (!target.Collidable) return;
  if (&target != this && target.Bounds().Overlaps(engine.HitRect) && AcceptsHit(target) &&
      target.AcceptsHit(*this)) {
    ++engine.HitCount;
    HitBy(target, engine.HitsDone);
    if (!Collidable || dying_) engine.HitsDone = true;
  }
  if (engine.HitsDone) return;
  const size_t count = target.children_.size();
  for (size_t i = 0; i < count && i < target.children_.size(); ++i) {
    HitWalk(engine, *target.children_[i]);
  }
}

}  // namespace klv
