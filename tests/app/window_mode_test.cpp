// The window mode a game starts in: the settings file's, unless the command
// line asks for the other, which is then kept as the setting.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "app/game.h"
#include "platform/headless_platform.h"
#include "settings/config.h"
#include "support/tiny_game_data.h"

namespace klv {
namespace {

TEST(WindowMode, TheCommandLineOverridesTheSettingAndKeepsItsChoice) {
  const struct {
    const char* what;
    bool savedWindowed;
    std::optional<bool> startWindowed;
    bool fullscreen;    // the window as the game starts
    bool keptWindowed;  // Config.cfg afterwards
  } cases[] = {
      {"window, no option", true, std::nullopt, false, true},
      {"full screen, no option", false, std::nullopt, true, false},
      {"window, --fullscreen", true, false, true, false},
      {"full screen, --windowed", false, true, false, true},
      {"window, --windowed", true, true, false, true},
      {"full screen, --fullscreen", false, false, true, false},
  };
  static std::mt19937_64 names(std::random_device{}());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("klv-mode-" + std::to_string(names()));
    test::WriteGameData(dir);
    Config saved;
    saved.Windowed = c.savedWindowed;
    ASSERT_TRUE(SaveConfig(dir.string(), saved).Ok());
    {
      HeadlessPlatform platform;
      GamePaths paths;
      paths.AppDir = dir.string() + "/";
      Game game(platform, paths, 1);
      game.StartWindowed = c.startWindowed;
      game.FormCreate();
      EXPECT_EQ(platform.Fullscreen(), c.fullscreen);
      EXPECT_EQ(game.Cfg->Windowed, c.keptWindowed);
      EXPECT_TRUE(platform.messages.empty());
    }
    Config after;
    EXPECT_TRUE(LoadConfig(dir.string(), after).Save.Ok());
    EXPECT_EQ(after.Windowed, c.keptWindowed);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
}

}  // namespace
}  // namespace klv
