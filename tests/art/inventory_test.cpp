// The shipped picture collections: every picture the game looks up is there,
// in the order the game indexes, with the frame counts and sizes play needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <string>

#include "engine/picture_collection.h"

namespace klv {
namespace {

class ArtInventory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifndef KLV_NO_GAME_DATA
    menu_ = new PictureCollection;
    game_ = new PictureCollection;
    try {
      menu_->LoadCollection(std::string(KLV_GAME_DIR) + "/Data/MenuImgs.icf");
      game_->LoadCollection(std::string(KLV_GAME_DIR) + "/Data/GameImgs.icf");
      menu_->UploadAll();
      game_->UploadAll();
    } catch (const std::exception& e) {
      loadError_ = new std::string(e.what());
    }
#endif
  }
  static void TearDownTestSuite() {
    delete menu_;
    delete game_;
    delete loadError_;
    menu_ = game_ = nullptr;
    loadError_ = nullptr;
  }
  void SetUp() override {
#ifdef KLV_NO_GAME_DATA
    GTEST_SKIP() << "the game data was not built (KLV_BUILD_DATA is off)";
#endif
    if (loadError_) FAIL() << "cannot load the shipped pictures: " << *loadError_;
  }

  static PictureCollection* menu_;
  static PictureCollection* game_;
  static std::string* loadError_;
};

PictureCollection* ArtInventory::menu_ = nullptr;
PictureCollection* ArtInventory::game_ = nullptr;
std::string* ArtInventory::loadError_ = nullptr;

int Red(uint32_t p) {
  return (p >> 16) & 0xFF;
}
int Green(uint32_t p) {
  return (p >> 8) & 0xFF;
}
int Blue(uint32_t p) {
  return p & 0xFF;
}
int Luma(uint32_t p) {
  return (Red(p) * 299 + Green(p) * 587 + Blue(p) * 114) / 1000;
}

TEST_F(ArtInventory, MenuBackgroundsComeFirstAsFullScreenJpegs) {
  ASSERT_GE(menu_->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    PictureCollectionItem& item = menu_->ItemAt(i);
    EXPECT_EQ(item.Kind(), PictureKind::Jpeg);
    EXPECT_EQ(item.FrameWidth(), 800);
    EXPECT_EQ(item.FrameHeight(), 600);
    EXPECT_EQ(item.FrameTotal(), 1);
  }
}

TEST_F(ArtInventory, EveryMenuPictureTheGameLooksUpIsThere) {
  const struct {
    const char* name;
    int frames;
  } items[] = {{"Start", 1},   {"Opt", 1},    {"HScores", 1}, {"Help", 1},     {"Visit", 1},
               {"Exit", 1},    {"FonOpt", 1}, {"FonHScr", 1}, {"FonHelp", 1},  {"FonMP", 1},
               {"FonMP2", 1},  {"Win", 1},    {"Full", 1},    {"On", 1},       {"Off", 1},
               {"OptBack", 1}, {"Clear", 1},  {"World", 1},   {"HScrBack", 1}, {"Previos", 1},
               {"Next", 1},    {"Qtns", 1},   {"Chk", 2},     {"Table", 1},    {"Hlp1", 1},
               {"Hlp2", 1},    {"Hlp3", 1},   {"Hlp4", 1}};
  for (const auto& it : items) {
    SCOPED_TRACE(it.name);
    PictureCollectionItem* item = menu_->TryFindByName(it.name);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->FrameTotal(), it.frames);
  }
  // Four help pages: the help screen cycles through exactly these.
  EXPECT_EQ(menu_->TryFindByName("Hlp5"), nullptr);
  EXPECT_EQ(menu_->TryFindByName("Hlp0"), nullptr);
}

// The lit buttons lie over the unlit ones drawn into the backdrop or panel and
// cover the mouse hot spot that lights them (bounds exclusive, as the game tests).
struct LitButton {
  const char* name;
  const char* under;             // picture the unlit button is drawn into
  int underX, underY;            // where that picture is drawn
  int x, y;                      // where the lit picture is drawn
  int left, top, right, bottom;  // hot spot
};

constexpr LitButton kLitButtons[] = {
    {"Win", "FonOpt", 33, 128, 301, 230, 303, 229, 390, 248},
    {"Full", "FonOpt", 33, 128, 447, 230, 448, 229, 590, 248},
    {"On", "FonOpt", 33, 128, 301, 278, 303, 277, 335, 296},
    {"Off", "FonOpt", 33, 128, 391, 278, 393, 277, 434, 296},
    {"On", "FonOpt", 33, 128, 301, 326, 303, 325, 335, 344},
    {"Off", "FonOpt", 33, 128, 391, 326, 393, 325, 434, 344},
    {"OptBack", "FonOpt", 33, 128, 33, 462, 42, 464, 145, 488},
    {"Clear", "FonHScr", 33, 129, 41, 465, 40, 465, 222, 484},
    {"World", "FonHScr", 33, 129, 373, 465, 372, 465, 634, 484},
    {"HScrBack", "FonHScr", 33, 129, 30, 504, 41, 505, 145, 529},
    {"Previos", "FonHelp", 32, 128, 40, 465, 40, 465, 200, 482},
    {"Next", "FonHelp", 32, 128, 501, 465, 501, 465, 620, 482},
    {"HScrBack", "FonHelp", 32, 128, 37, 505, 41, 505, 145, 529},
};

TEST_F(ArtInventory, SubScreenButtonsFitTheirHotSpots) {
  for (const LitButton& b : kLitButtons) {
    SCOPED_TRACE(std::string(b.name) + " on " + b.under);
    PictureCollectionItem& lit = menu_->FindByName(b.name);
    EXPECT_EQ(lit.Kind(), PictureKind::Dib);
    EXPECT_TRUE(lit.Transparent);
    const int w = lit.FrameWidth(), h = lit.FrameHeight();
    // The picture reaches over the spot, give or take two pixels at its edges...
    EXPECT_LE(b.x, b.left + 2);
    EXPECT_LE(b.y, b.top + 2);
    EXPECT_GE(b.x + w, b.right - 2);
    EXPECT_GE(b.y + h, b.bottom - 2);
    // ...and is not much larger than it.
    EXPECT_LE(w, b.right - b.left + 16);
    EXPECT_LE(h, b.bottom - b.top + 10);
  }
}

// Along the middle row of the button's face, left of its label, the picture
// under it shows the unlit face (pale parchment) and the lit picture its
// highlighted face (saturated yellow). Plain panel parchment or water is not
// mistaken for an unlit face.
bool UnlitFace(uint32_t p) {
  return Red(p) > 190 && Red(p) < 245 && Blue(p) > 100 && Blue(p) < 190;
}
bool LitFace(uint32_t p) {
  return Red(p) > 230 && Green(p) > 150 && Blue(p) < 120;
}

void ExpectLitOverUnlit(PictureCollectionItem& lit, int litX, int litY,
                        PictureCollectionItem& under, int underX, int underY) {
  const int y = lit.FrameHeight() / 2;
  int matches = 0;
  for (int x = 2; x < lit.FrameWidth() / 4; ++x) {
    const uint32_t unlit = under.Picture().At(litX + x - underX, litY + y - underY);
    if (LitFace(lit.Picture().At(x, y)) && UnlitFace(unlit)) ++matches;
  }
  EXPECT_GE(matches, 3);
}

TEST_F(ArtInventory, LitButtonsSitOnTheUnlitOnes) {
  PictureCollectionItem& backdrop = menu_->ItemAt(0);
  const int menuY[] = {226, 272, 322, 370, 419, 468};
  const char* menuNames[] = {"Start", "Opt", "HScores", "Help", "Visit", "Exit"};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(menuNames[k]);
    PictureCollectionItem& lit = menu_->FindByName(menuNames[k]);
    EXPECT_EQ(lit.Kind(), PictureKind::Dib);
    EXPECT_LT(lit.FrameHeight(), 46);
    if (k < 5) {
      EXPECT_LE(menuY[k] + lit.FrameHeight(), menuY[k + 1]) << "overlaps the next button";
    }
    EXPECT_LE(261 + lit.FrameWidth(), 800);
    ExpectLitOverUnlit(lit, 261, menuY[k], backdrop, 0, 0);
  }
  for (const LitButton& b : kLitButtons) {
    SCOPED_TRACE(std::string(b.name) + " on " + b.under);
    ExpectLitOverUnlit(menu_->FindByName(b.name), b.x, b.y, menu_->FindByName(b.under), b.underX,
                       b.underY);
  }
}

TEST_F(ArtInventory, QuestionFrameIsLightWhereTheTextsGo) {
  PictureCollectionItem& q = menu_->FindByName("Qtns");
  ASSERT_GE(q.FrameWidth(), 380);
  ASSERT_GE(q.FrameHeight(), 215);
  const Surface& pic = q.Picture();
  // Screen areas of the texts and where the frame is drawn for them.
  const struct {
    int frameX, frameY, left, top, right, bottom;
  } areas[] = {
      {220, 120, 280, 200, 540, 280},  // "Выйти из игры?" and "Да / Нет"
      {200, 187, 264, 255, 500, 360},  // name entry lines
  };
  for (const auto& a : areas) {
    int64_t sum = 0, n = 0, darkest = 255;
    for (int y = a.top; y < a.bottom; y += 2) {
      for (int x = a.left; x < a.right; x += 2) {
        const int l = Luma(pic.At(x - a.frameX, y - a.frameY));
        sum += l;
        darkest = std::min<int64_t>(darkest, l);
        ++n;
      }
    }
    EXPECT_GT(sum / n, 200) << "black text must read on the frame";
    EXPECT_GT(darkest, 120) << "something dark lies under the text";
  }
}

TEST_F(ArtInventory, CheckBoxCoversItsHotSpot) {
  PictureCollectionItem& chk = menu_->FindByName("Chk");
  EXPECT_EQ(chk.FrameTotal(), 2);
  // Drawn at (376, 365); the click spot is 376 < x < 399, 378 < y < 401.
  EXPECT_GE(376 + chk.FrameWidth(), 399);
  EXPECT_GE(365 + chk.FrameHeight(), 401);
  // The box itself is drawn (not keyed out) in the middle of the spot, in both frames.
  for (int frame = 0; frame < 2; ++frame) {
    EXPECT_TRUE(chk.FramePixelSolid(frame, 387 - 376, 389 - 365)) << frame;
  }
}

TEST_F(ArtInventory, QuotaIconsAreItems21To30InKindOrder) {
  ASSERT_GE(game_->Count(), 31);
  const int iconX[] = {99, 169, 235, 282, 346, 396, 482, 524, 588, 706};
  const int iconY[] = {5, 3, 10, 8, 10, 5, 5, 8, 3, 12};
  for (int k = 1; k <= 10; ++k) {
    SCOPED_TRACE(k);
    PictureCollectionItem& icon = game_->ItemAt(20 + k);
    EXPECT_EQ(icon.FrameTotal(), 1);
    EXPECT_LE(iconY[k - 1] + icon.FrameHeight(), 40) << "runs into the count below it";
    const int nextX = k < 10 ? iconX[k] : 800;
    EXPECT_LE(iconX[k - 1] + icon.FrameWidth(), nextX) << "overlaps the next icon";
  }
}

TEST_F(ArtInventory, FishHaveSwimCyclesAndSizesByKind) {
  int width[11] = {}, height[11] = {};
  for (int k = 1; k <= 10; ++k) {
    SCOPED_TRACE(k);
    PictureCollectionItem* l = game_->TryFindByName("Fish" + std::to_string(k) + "L");
    PictureCollectionItem* r = game_->TryFindByName("Fish" + std::to_string(k) + "R");
    ASSERT_NE(l, nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(l->Kind(), PictureKind::Png);
    EXPECT_EQ(l->FrameWidth(), r->FrameWidth());
    EXPECT_EQ(l->FrameHeight(), r->FrameHeight());
    EXPECT_EQ(l->FrameTotal(), r->FrameTotal());
    EXPECT_GE(l->FrameTotal(), 3) << "a swim cycle";
    width[k] = l->FrameWidth();
    height[k] = l->FrameHeight();
    EXPECT_LE(height[k], 60);
  }
  for (int k = 1; k <= 5; ++k) {
    EXPECT_LT(width[k], width[6]) << "small kind " << k;
    EXPECT_LT(width[k] * height[k], width[6] * height[6]) << k;
  }
  for (int k : {7, 8}) {
    EXPECT_GT(width[k] * height[k], width[6] * height[6]) << "big kind " << k;
  }
  for (int k = 1; k <= 10; ++k) {
    if (k != 9) {
      EXPECT_GT(width[9], width[k]) << "kind 9 is the long one";
    }
  }
  EXPECT_GE(width[9], 3 * height[9]);
  EXPECT_GT(width[10], 80) << "only the trailing 55 px of kind 10 are safe to hook";
  EXPECT_LE(500 + height[8], 550) << "kind 8 swims at y 500 above the bottom band";
}

TEST_F(ArtInventory, ObjectsHaveAHookedFrame) {
  for (int k = 1; k <= 5; ++k) {
    SCOPED_TRACE(k);
    PictureCollectionItem* o = game_->TryFindByName("Obj" + std::to_string(k));
    ASSERT_NE(o, nullptr);
    EXPECT_GE(o->FrameTotal(), 5);
    EXPECT_LE(o->FrameHeight(), 60);
  }
  EXPECT_LE(490 + game_->FindByName("Obj5").FrameHeight(), 550)
      << "the treasure lies on the bottom";
}

TEST_F(ArtInventory, TackleLinesUpOnOneColumn) {
  PictureCollectionItem& rod = game_->FindByName("Udochka");
  EXPECT_EQ(rod.FrameTotal(), 3);
  for (const char* name : {"Poplavok", "Leska", "Kruk"}) {
    SCOPED_TRACE(name);
    PictureCollectionItem& item = game_->FindByName(name);
    EXPECT_EQ(item.FrameWidth(), 7);
    EXPECT_TRUE(item.FramePixelSolid(0, 3, item.FrameHeight() / 2)) << "axis on column 3";
  }
  // The float (at y 171) carries the line down to y 223, where the stretched line begins.
  PictureCollectionItem& bobber = game_->FindByName("Poplavok");
  EXPECT_GE(171 + bobber.FrameHeight(), 223);
  EXPECT_TRUE(bobber.FramePixelSolid(0, 3, 223 - 171 - 1));
  // The line is stretched from y 223 down to the hook: its only column is the axis.
  PictureCollectionItem& line = game_->FindByName("Leska");
  EXPECT_FALSE(line.FramePixelSolid(0, 0, 0));
  EXPECT_FALSE(line.FramePixelSolid(0, 6, 0));
  // The rod's tip is at its left edge, about 54 px below its top, in every frame.
  for (int frame = 0; frame < 3; ++frame) {
    bool tip = false;
    for (int y = 48; y <= 60; ++y)
      tip = tip || rod.FramePixelSolid(frame, 0, y) || rod.FramePixelSolid(frame, 1, y);
    EXPECT_TRUE(tip) << frame;
  }
  PictureCollectionItem& angler = game_->FindByName("Player");
  EXPECT_GT(770 - angler.FrameWidth() / 2, 262 + 6) << "the angler can walk right from the start";
  EXPECT_LE(80 + angler.FrameHeight(), 183) << "the angler stands above the water";
}

TEST_F(ArtInventory, SceneryFitsThePlayfield) {
  EXPECT_GE(game_->FindByName("Volna").FrameWidth(), 901) << "the wave slides from x -1 to -100";
  const struct {
    const char* name;
    int y;
  } weeds[] = {{"Vodorosl1", 305}, {"Vodorosl1", 314}, {"Vodorosl2", 417}, {"Vodorosl2", 420}};
  for (const auto& w : weeds) {
    SCOPED_TRACE(w.name);
    PictureCollectionItem& item = game_->FindByName(w.name);
    EXPECT_GE(item.FrameTotal(), 4) << "a sway cycle";
    EXPECT_GE(w.y + item.FrameHeight(), 530) << "reaches the bottom";
    EXPECT_LE(w.y + item.FrameHeight(), 560) << "stays out of the bottom band";
  }
  for (const char* name : {"Puzir", "Puziri"})
    EXPECT_NE(game_->TryFindByName(name), nullptr) << name;
  PictureCollectionItem& bar = game_->FindByName("Time1");
  PictureCollectionItem& fill = game_->FindByName("Time2");
  EXPECT_GE(bar.FrameWidth(), 429);
  EXPECT_LE(187 + bar.FrameWidth(), 640);
  EXPECT_EQ(fill.FrameTotal(), 2);
  EXPECT_LE(fill.FrameHeight(), bar.FrameHeight());
}

TEST_F(ArtInventory, ShippedDataUsesEveryPictureKind) {
  bool seen[4] = {};
  for (PictureCollection* c : {menu_, game_}) {
    for (int i = 0; i < c->Count(); ++i) {
      PictureCollectionItem& item = c->ItemAt(i);
      EXPECT_TRUE(item.HasPicture()) << i << " " << item.Name;
      EXPECT_FALSE(item.Name.empty()) << i;
      seen[static_cast<int>(item.Kind())] = true;
    }
  }
  EXPECT_TRUE(seen[static_cast<int>(PictureKind::Dib)]);
  EXPECT_TRUE(seen[static_cast<int>(PictureKind::Jpeg)]);
  EXPECT_TRUE(seen[static_cast<int>(PictureKind::Png)]);
}

}  // namespace
}  // namespace klv
