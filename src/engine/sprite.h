#pragma once
// The base of every picture that moves or is drawn per frame: a node in the
// sprite tree whose root is the SpriteEngine.
//
// Ownership and creation. A sprite is owned by its parent and by nothing else.
// Sprites are made only through Create on the parent, which links the new
// sprite into the parent's lists before the sprite's own constructor body
// runs (so a constructor may already call SetDepth or read Engine()):
//
//   class Fish : public ImageSprite {
//    public:
//     Fish(const SpriteLink& link, Game& game, int kind) : ImageSprite(link), game_(game) {
//       SetDepth(kDepthFish);
//     }
//   };
//   Fish* fish = engine.Create<Fish>(game, kind);  // engine: the SpriteEngine root
//
// The first constructor parameter of every sprite class is `const SpriteLink&`,
// passed straight to its base; only Create can make one, so a sprite can
// neither live on the stack nor be left without an owner. Game code never
// deletes a sprite: it calls MarkDead, and the engine destroys it at the next
// FlushDead (after the move pass, never while a list is being walked).
// Destroying a sprite destroys its whole subtree, newest child first; the
// root destroys whatever is left when it goes. A pointer to a sprite stays
// valid until the FlushDead that follows its MarkDead (or its parent's end).

#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/rect.h"

namespace klv {

class Sprite;
class SpriteEngine;

// Proof that a sprite is being made by Create on its parent.
class SpriteLink {
 public:
  SpriteLink(const SpriteLink&) = delete;
  SpriteLink& operator=(const SpriteLink&) = delete;

 private:
  friend class Sprite;
  explicit SpriteLink(Sprite& parent) : parent_(parent) {}
  Sprite& parent_;
};

class Sprite {
 public:
  explicit Sprite(const SpriteLink& link);
  virtual ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Makes a child of this sprite, owned by it. Args follow the SpriteLink.
  template <class T, class... Args>
  T* Create(Args&&... args) {
    static_assert(std::is_base_of_v<Sprite, T>, "sprites derive from Sprite");
    SpriteLink link(*this);
    return new T(link, std::forward<Args>(args)...);  // owned by *this from here on
  }

  // Per-sprite behaviour that game classes override.
  // The reaction of the sprite running CheckHits to hitting `other`; setting
  // `stop` ends the descent into `other`'s children (the engine's HitsDone).
  virtual void HitBy(Sprite& other, bool& stop);
  // Draws the sprite itself (the draw pass has checked it is on the target).
  virtual void Render();
  // Per-frame behaviour; moveCount is the game's 8-bit frame counter.
  virtual void Step(int moveCount);
  // The sprite's box in world pixels.
  virtual Rect Bounds() const;
  // Asked of both sprites before a hit is counted.
  virtual bool AcceptsHit(Sprite& other);

  // Position in pixels relative to the parent; size of the box in pixels.
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  bool Visible = true;     // takes part in the draw pass (with its children)
  bool Movable = true;     // takes part in the move pass (with its children)
  bool Collidable = true;  // takes part in hit tests (with its children)

  bool Dying() const { return dying_; }
  int Depth() const { return depth_; }
  // Lower depths are drawn first. Among equal depths the sprite placed last
  // is drawn first, so a depth change also puts the sprite under its equals.
  void SetDepth(int depth);

  // The root of the tree (none for the root itself) and the owning sprite.
  SpriteEngine* Engine() const { return engine_; }
  Sprite* Parent() const { return parent_; }

  // Children in creation order. ItemAt throws KlvError out of range.
  int Count() const { return static_cast<int>(children_.size()); }
  Sprite& ItemAt(int index) const;

  // Schedules destruction at the engine's next FlushDead; a second call, or a
  // call on a sprite without an engine, does nothing. A dying sprite is still
  // moved, drawn and hit by others until then, but cannot start a hit test.
  void MarkDead();

  // Tests this sprite against every collidable sprite of the tree; calls HitBy
  // for each accepted overlap and returns how many there were.
  int CheckHits();

  // The recursive passes; on the root they cover the whole tree.
  void Move(int moveCount);
  void Draw();

  // Position in the world: X (Y) plus the parent's world position.
  double WorldX() const { return parent_ ? X + parent_->WorldX() : X; }
  double WorldY() const { return parent_ ? Y + parent_->WorldY() : Y; }

 protected:
  // Destroys every child, newest first. The root calls this from its own
  // destructor, while its lists are still alive.
  void DestroyChildren();

 private:
  friend class SpriteEngine;
  Sprite();  // the root only

  class PassGuard;
  void InsertByDepth(Sprite* child);
  void RemoveFromDepthList(Sprite* child);
  void HitWalk(SpriteEngine& engine, Sprite& target);

  SpriteEngine* engine_ = nullptr;
  Sprite* parent_ = nullptr;
  std::vector<Sprite*> children_;   // owned, creation order
  std::vector<Sprite*> depthList_;  // the same, drawing order
  bool dying_ = false;
  int depth_ = 0;
  int passes_ = 0;  // on the root: passes under way
};

// Whole-pixel position of a world coordinate (truncated, kept inside int).
inline int TruncToPixel(double value) {
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  // The conversion truncates toward zero; NaN fails both tests.
  if (value >= kMin && value <= kMax) return static_cast<int>(value);
  if (value > kMax) return std::numeric_limits<int>::max();
  if (value < kMin) return std::numeric_limits<int>::min();
  return 0;
}

}  // namespace klv
