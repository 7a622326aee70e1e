// icf-pack and icf-dump, run as the art build and a person run them.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/jpeg_codec.h"
#include "engine/picture_collection.h"
#include "engine/png_codec.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string out, err;
};

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ToolRun Exec(const std::string& args, const fs::path& dir) {
  const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
  const std::string cmd = args + " >" + out.string() + " 2>" + err.string();
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
}

const std::string kBin = KLV_BIN_DIR;

class IcfTools : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("icf_tools_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "art");
    // A fish with soft edges: alpha falls off outside an ellipse.
    Surface fish(40, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) {
        const int fx = x % 20;
        const double d = ((fx - 9.5) * (fx - 9.5)) / 90.0 + ((y - 9.5) * (y - 9.5)) / 90.0;
        const uint32_t a = d < 0.8 ? 255 : d < 1.0 ? 128 : 0;
        fish.Set(x, y, (a << 24) | (Rgb(uint8_t(x * 6), 120, 200) & 0xFFFFFFu));
      }
    PngCodec::WriteFile((dir_ / "art/fish.png").string(), fish);
    // A button of 300 colours with transparent corners.
    Surface button(30, 10);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 30; ++x)
        button.Set(x, y, Rgb(uint8_t(x * 8), uint8_t(y * 25), uint8_t(100 + x + y)));
    button.Set(0, 0, 0);
    button.Set(29, 9, 0);
    PngCodec::WriteFile((dir_ / "art/button.png").string(), button);
    // Flat bands compress well.
    Surface bands(64, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 64; ++x) bands.Set(x, y, x < 32 ? Rgb(10, 20, 30) : Rgb(200, 100, 0));
    PngCodec::WriteFile((dir_ / "art/bands.png").string(), bands);
    std::vector<uint8_t> jpeg = JpegCodec::Encode(Surface(48, 32, Rgb(90, 160, 220)), 95);
    std::ofstream(dir_ / "art/sky.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    std::ofstream(dir_ / "art/game.txt")
        << "# test pictures\n"
           "\n"
           "Fish1L  fish.png   TPNGImage  20 20 0 0 alpha\n"
           "Btn     button.png TDIB8      0 0 0 0 0xFF00FF   # keyed\n"
           "Bands   bands.png  TDIB8      16 8 0 0 none\n"
           "Sky     sky.jpg    TJPEGImage 0 0 0 0 none\n"
           "Grid    bands.png  TDIB24     10 4 2 0 0x000000\n"
           "Wide    bands.png  TDIB32     0 0 0 0 none\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  ToolRun Pack(const std::string& manifest, const std::string& out) {
    return Exec(kBin + "/icf-pack " + (dir_ / manifest).string() + " " + (dir_ / out).string(),
                dir_);
  }

  fs::path dir_;
};

TEST_F(IcfTools, PackIsDeterministicAndReadsBack) {
  ASSERT_EQ(Pack("art/game.txt", "a.icf").status, 0);
  ToolRun again = Pack("art/game.txt", "b.icf");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Slurp(dir_ / "a.icf"), Slurp(dir_ / "b.icf"));

  PictureCollection c;
  c.LoadCollection((dir_ / "a.icf").string());
  ASSERT_EQ(c.Count(), 6);
  PictureCollection fixed;
  fixed.BuildColorTable();
  EXPECT_EQ(c.ColorTable, fixed.ColorTable);

  const PictureCollectionItem& fish = c.FindByName("fish1l");
  EXPECT_EQ(fish.Kind(), PictureKind::Png);
  EXPECT_EQ(fish.FrameTotal(), 2);
  EXPECT_FALSE(fish.FramePixelSolid(0, 0, 0));
  EXPECT_TRUE(fish.FramePixelSolid(1, 10, 10));
  EXPECT_EQ(fish.Picture().At(10, 10) >> 24, 255u);

  // The 8-bit button: at most 256 colours, the key exact where the source was
  // transparent and nowhere else, colours near the source.
  const PictureCollectionItem& btn = c.FindByName("Btn");
  EXPECT_EQ(btn.StoredKind(), "TDIB8");
  EXPECT_TRUE(btn.Transparent);
  EXPECT_EQ(btn.TransparentColor, 0xFF00FFu);
  EXPECT_FALSE(btn.FramePixelSolid(0, 0, 0));
  EXPECT_FALSE(btn.FramePixelSolid(0, 29, 9));
  int solid = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 30; ++x) {
      solid += btn.FramePixelSolid(0, x, y);
      const uint32_t want = Rgb(uint8_t(x * 8), uint8_t(y * 25), uint8_t(100 + x + y));
      const uint32_t got = btn.Picture().At(x, y);
      if (btn.FramePixelSolid(0, x, y)) {
        for (int sh : {0, 8, 16}) EXPECT_NEAR(int((got >> sh) & 255), int((want >> sh) & 255), 12);
      }
    }
  EXPECT_EQ(solid, 298);

  const PictureCollectionItem& bands = c.FindByName("Bands");
  EXPECT_FALSE(bands.Transparent);
  EXPECT_EQ(bands.FrameTotal(), 4);
  EXPECT_EQ(bands.Picture().At(40, 3), Rgb(200, 100, 0));
  // Flat bands are stored run-length coded: compression 1 in the header.
  const std::string file = Slurp(dir_ / "a.icf");
  size_t at = file.find("Bands");
  at = file.find(std::string("\x04TDIB", 5), at);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(uint8_t(file[at + 5 + 16]), 1);

  const PictureCollectionItem& sky = c.FindByName("Sky");
  EXPECT_EQ(sky.Kind(), PictureKind::Jpeg);
  EXPECT_NEAR(int((sky.Picture().At(20, 20) >> 8) & 255), 160, 6);
  const PictureCollectionItem& grid = c.FindByName("Grid");
  EXPECT_EQ(grid.StoredKind(), "TDIB24");
  EXPECT_EQ(grid.FrameTotal(), 5 * 2);  // (64 + 2) / 12 = 5 across, 8 / 4 = 2 down
  EXPECT_EQ(c.FindByName("Wide").StoredKind(), "TDIB32");
}

TEST_F(IcfTools, DumpListsExtractsAndDraws) {
  ASSERT_EQ(Pack("art/game.txt", "g.icf").status, 0);
  const std::string icf = (dir_ / "g.icf").string();
  ToolRun r = Exec(kBin + "/icf-dump " + icf + " --extract " + (dir_ / "frames").string() +
                       " --sheet " + (dir_ / "sheet.png").string(),
                   dir_);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0 Fish1L TPNGImage 40x20 frame=20x20 frames=2 transparent=alpha\n"
            "1 Btn TDIB8 30x10 frame=30x10 frames=1 transparent=0xFF00FF\n"
            "2 Bands TDIB8 64x8 frame=16x8 frames=4 transparent=none\n"
            "3 Sky TJPEGImage 48x32 frame=48x32 frames=1 transparent=none\n"
            "4 Grid TDIB24 64x8 frame=10x4 frames=10 transparent=0x000000\n"
            "5 Wide TDIB32 64x8 frame=64x8 frames=1 transparent=none\n");
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir_ / "frames")) files += e.is_regular_file();
  EXPECT_EQ(files, 2 + 1 + 4 + 1 + 10 + 1);
  Surface fish1 = PngCodec::ReadFile((dir_ / "frames/0_Fish1L_1.png").string());
  EXPECT_EQ(fish1.Width(), 20);
  EXPECT_EQ(fish1.At(0, 0) >> 24, 0u);
  EXPECT_EQ(fish1.At(10, 10) >> 24, 255u);
  Surface btn = PngCodec::ReadFile((dir_ / "frames/1_Btn_0.png").string());
  EXPECT_EQ(btn.At(0, 0) >> 24, 0u);  // the key, written transparent
  EXPECT_EQ(btn.At(1, 0) >> 24, 255u);
  Surface grid = PngCodec::ReadFile((dir_ / "frames/4_Grid_9.png").string());
  EXPECT_EQ(grid.Width(), 10);
  EXPECT_EQ(grid.Height(), 4);
  Surface sheet = PngCodec::ReadFile((dir_ / "sheet.png").string());
  EXPECT_GE(sheet.Width(), 1024);
  EXPECT_GT(sheet.Height(), 6 * 20);
}

TEST_F(IcfTools, DumpOfADamagedFileFails) {
  std::ofstream(dir_ / "bad.icf") << "not a collection";
  const std::string bad = (dir_ / "bad.icf").string();
  ToolRun r = Exec(kBin + "/icf-dump " + bad, dir_);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "icf-dump: " + bad + ": Invalid stream format\n");
  EXPECT_EQ(r.out, "");
  r = Exec(kBin + "/icf-dump " + (dir_ / "missing.icf").string(), dir_);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.icf: cannot open"), std::string::npos) << r.err;
}

TEST_F(IcfTools, PackReportsManifestFaults) {
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"A fish.png TDIB8 0 0 0", "expected 8 fields"},
      {"A fish.png TDIB16 0 0 0 0 none", "kind 'TDIB16' is not"},
      {"A fish.png TDIB8 0 0 0 0 0xFF00", "transparency '0xFF00'"},
      {"A fish.png TDIB8 0 0 0 0 alpha", "'alpha' needs the TPNGImage kind"},
      {"A fish.png TPNGImage 0 0 0 0 0x00FF00", "TPNGImage takes 'alpha' or 'none'"},
      {"A fish.png TDIB8 x 0 0 0 none", "'x' is not a whole number"},
      {"A nothing.png TDIB8 0 0 0 0 none", "nothing.png: cannot open"},
      {"A game.txt TDIB8 0 0 0 0 none", "neither a PNG nor a JPEG"},
  };
  for (const Case& tc : cases) {
    SCOPED_TRACE(tc.line);
    std::ofstream(dir_ / "art/bad.txt") << "# first line\nOk fish.png TPNGImage 0 0 0 0 alpha\n"
                                        << tc.line << "\n";
    ToolRun r = Pack("art/bad.txt", "bad.icf");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("icf-pack: " + (dir_ / "art/bad.txt").string() + ":3: "),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(tc.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "bad.icf"));
  }
}

}  // namespace
}  // namespace klv
