#include "app/app_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace klv {
namespace {

namespace fs = std::filesystem;

// A scratch tree: root/prog/ is the program's folder.
class AppDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/klv-appdir-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    prog_ = root_ + "/usr/games/";
    fs::create_directories(prog_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Installed() const { return prog_ + DataDirFromProgram() + "/"; }

  std::string root_, prog_;
};

TEST_F(AppDirTest, TheConfiguredWayIsRelative) {
  const std::string way = DataDirFromProgram();
  ASSERT_FALSE(way.empty());
  EXPECT_NE(way[0], '/') << way;
  EXPECT_NE(way.find("klevaria"), std::string::npos) << way;
}

TEST_F(AppDirTest, DataBesideTheProgramComesFirst) {
  fs::create_directories(prog_ + "Data");
  fs::create_directories(Installed() + "Data");
  EXPECT_EQ(FindAppDir(prog_), prog_);
}

TEST_F(AppDirTest, AnInstallIsFoundByTheWayFromTheProgram) {
  fs::create_directories(Installed() + "Data");
  const std::string found = FindAppDir(prog_);
  EXPECT_TRUE(fs::equivalent(found, Installed())) << found;
  EXPECT_EQ(found.back(), '/');
}

TEST_F(AppDirTest, WithoutDataTheProgramFolderIsNamed) {
  EXPECT_EQ(FindAppDir(prog_), prog_);
  // A file called Data is not the data folder.
  fs::create_directories(Installed());
  std::ofstream(Installed() + "Data") << "not a folder";
  EXPECT_EQ(FindAppDir(prog_), prog_);
}

}  // namespace
}  // namespace klv
