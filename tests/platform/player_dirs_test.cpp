#include "platform/player_dirs.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace klv {
namespace {

namespace fs = std::filesystem;

// Sets or unsets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class PlayerDirsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/klv-player-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
  }
  std::string root_;
};

TEST_F(PlayerDirsTest, TheGameFolderIsMadeUnderTheDataFolder) {
  const std::string home = root_ + "/home";
  fs::create_directory(home);
  struct Case {
    const char* what;
    std::optional<std::string> xdg;  // XDG_DATA_HOME
    std::string home;
    std::string want;
  };
  const std::string inHome = home + "/.local/share/Klevaria/klevaria/";
  const Case cases[] = {
      {"home only", std::nullopt, home, inHome},
      {"home with a trailing slash", std::nullopt, home + "/", inHome},
      {"XDG_DATA_HOME, made when missing", root_ + "/xdg/data", home,
       root_ + "/xdg/data/Klevaria/klevaria/"},
      {"XDG_DATA_HOME without a home", root_ + "/xdg2", "", root_ + "/xdg2/Klevaria/klevaria/"},
      {"XDG_DATA_HOME relative: not counted", std::string("rel/data"), home, inHome},
      {"XDG_DATA_HOME empty: not counted", std::string(), home, inHome},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PlayerDataDir got = MakePlayerDataDir(c.xdg ? c.xdg->c_str() : nullptr, c.home);
    EXPECT_EQ(got.Dir, c.want);
    EXPECT_EQ(got.Error, 0);
    EXPECT_TRUE(fs::is_directory(c.want));
    // Private to the player.
    struct stat st {};
    ASSERT_EQ(::stat(c.want.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
  }
  EXPECT_FALSE(fs::exists("rel"));
}

TEST_F(PlayerDirsTest, NoUsableFolderSaysWhichAndWhy) {
  const std::string file = root_ + "/file";
  std::ofstream(file) << "x";
  const std::string shut = root_ + "/shut";
  fs::create_directories(shut + "/.local/share");
  struct Case {
    const char* what;
    std::string home;
    std::string tried;
    int error;
  };
  const Case cases[] = {
      {"no home known", "", "", ENOENT},
      {"a relative home", "home", "", ENOENT},
      {"a home that does not exist is not made", root_ + "/nonexistent",
       root_ + "/nonexistent/.local/share/Klevaria/klevaria", ENOENT},
      {"a home that is a file", file, file + "/.local/share/Klevaria/klevaria", ENOTDIR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PlayerDataDir got = MakePlayerDataDir(nullptr, c.home);
    EXPECT_EQ(got.Dir, "");
    EXPECT_EQ(got.Tried, c.tried);
    EXPECT_EQ(got.Error, c.error);
  }
  EXPECT_FALSE(fs::exists(root_ + "/nonexistent"));
  EXPECT_FALSE(fs::exists("home"));

  // A data folder the player may not write into (root may write anywhere).
  if (::geteuid() != 0) {
    fs::permissions(shut + "/.local/share", fs::perms::owner_read | fs::perms::owner_exec);
    const PlayerDataDir got = MakePlayerDataDir(nullptr, shut);
    EXPECT_EQ(got.Dir, "");
    EXPECT_EQ(got.Tried, shut + "/.local/share/Klevaria/klevaria");
    EXPECT_EQ(got.Error, EACCES);
  }
}

TEST_F(PlayerDirsTest, HomeIsHomeElseTheAccountsOwn) {
  const struct passwd* entry = ::getpwuid(::getuid());
  if (!entry || !entry->pw_dir || entry->pw_dir[0] != '/')
    GTEST_SKIP() << "this account has no home in the password database";
  const std::string account = entry->pw_dir;
  struct Case {
    const char* home;  // HOME, nullptr: not set
    std::string want;
  };
  const Case cases[] = {
      {nullptr, account},
      {"", account},
      {"relative", account},
      {"/somewhere/else", "/somewhere/else"},
      {"/nonexistent", "/nonexistent"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.home ? c.home : "(not set)");
    ScopedEnv env("HOME", c.home);
    EXPECT_EQ(HomeDir(), c.want);
  }
}

}  // namespace
}  // namespace klv
