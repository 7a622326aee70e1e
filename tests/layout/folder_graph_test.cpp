// The folders of src/ form layers: a folder includes only from the folders
// below it. The table here is the whole of what is allowed; an include it does
// not list fails with the file and line, and the table itself must have no
// circle, so it cannot be widened into one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Graph = std::map<std::string, std::set<std::string>>;

// Bottom to top. `base` holds the shared leaf types (screens, depths, text
// colours, the events' buttons and modifiers) and includes nothing; `replay`
// is the recorded game's file and input stream.
const Graph kAllowed = {
    {"base", {}},
    {"engine", {"base"}},
    {"http", {}},
    {"replay", {"engine"}},
    {"settings", {"base", "engine"}},
    {"online", {"http", "settings"}},
    {"platform", {"base", "engine", "replay"}},
    {"play", {"base", "engine", "platform", "settings"}},
    {"screens", {"base", "engine", "http", "online", "platform", "play", "settings"}},
    {"app",
     {"base", "engine", "http", "online", "platform", "play", "replay", "screens", "settings"}},
};

struct Include {
  std::string from, to, where;
};

std::vector<Include> ScanIncludes(const fs::path& src) {
  std::vector<Include> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const fs::path& p = entry.path();
    if (!entry.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp")) continue;
    const fs::path rel = fs::relative(p, src);
    if (rel.begin() == rel.end() || std::next(rel.begin()) == rel.end()) continue;  // src/ itself
    const std::string from = rel.begin()->string();
    std::ifstream in(p);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      const std::string prefix = "#include \"";
      if (line.rfind(prefix, 0) != 0) continue;
      const size_t slash = line.find('/', prefix.size());
      if (slash == std::string::npos) continue;  // beside its own file
      const std::string to = line.substr(prefix.size(), slash - prefix.size());
      if (to != from) found.push_back({from, to, rel.string() + ":" + std::to_string(number)});
    }
  }
  return found;
}

// A circle in the graph, as "a -> b -> a", or "" when there is none.
std::string FindCircle(const Graph& g) {
  std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
  std::vector<std::string> path;
  std::string circle;
  std::function<bool(const std::string&)> visit = [&](const std::string& n) {
    state[n] = 1;
    path.push_back(n);
    auto it = g.find(n);
    if (it != g.end())
      for (const std::string& m : it->second) {
        if (state[m] == 1) {
          for (auto p = std::find(path.begin(), path.end(), m); p != path.end(); ++p)
            circle += *p + " -> ";
          circle += m;
          return true;
        }
        if (state[m] == 0 && visit(m)) return true;
      }
    path.pop_back();
    state[n] = 2;
    return false;
  };
  for (const auto& [n, edges] : g)
    if (state[n] == 0 && visit(n)) return circle;
  return "";
}

bool Allowed(const Graph& g, const std::string& from, const std::string& to) {
  auto it = g.find(from);
  return it != g.end() && it->second.count(to) != 0;
}

TEST(FolderGraph, TheAllowedTableHasNoCircle) {
  EXPECT_EQ(FindCircle(kAllowed), "");
  // The check finds one when there is one.
  Graph withCircle = kAllowed;
  withCircle["engine"].insert("app");
  EXPECT_NE(FindCircle(withCircle), "");
}

TEST(FolderGraph, EveryIncludeOfSrcGoesDownTheLayers) {
  const fs::path src = fs::path(KLV_SOURCE_DIR) / "src";
  const std::vector<Include> includes = ScanIncludes(src);
  ASSERT_GT(includes.size(), 100u) << "the sources were not found under " << src;
  std::set<std::string> folders;
  for (const auto& entry : fs::directory_iterator(src))
    if (entry.is_directory()) folders.insert(entry.path().filename().string());
  for (const std::string& f : folders)
    EXPECT_TRUE(kAllowed.count(f)) << "src/" << f << " has no place in the layers";

  // The screens reach the game only through screens/screen_context.h and
  // screens/game_flow.h, which the game implements: nothing in screens/
  // includes from app/.
  for (const Include& inc : includes) {
    if (!Allowed(kAllowed, inc.from, inc.to))
      ADD_FAILURE() << inc.where << ": " << inc.from << " may not include from " << inc.to;
  }
}

// The window's whole class is seen only by what builds and drives it: its own
// file, the program's main and the script runner. The recorder and the
// replays know the game through app/recordable_game.h, the screens through
// ScreenContext and GameFlow, everything else through its snapshot.
TEST(FolderGraph, FewFilesSeeTheWholeGame) {
  const fs::path src = fs::path(KLV_SOURCE_DIR) / "src";
  const std::set<std::string> allowed = {"app/game.cpp", "app/game_main.cpp",
                                         "app/script_runner.cpp"};
  std::set<std::string> includers;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const fs::path& p = entry.path();
    if (!entry.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp")) continue;
    std::ifstream in(p);
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("#include \"app/game.h\"", 0) == 0)
        includers.insert(fs::relative(p, src).string());
  }
  EXPECT_TRUE(includers.count("app/game.cpp")) << "the sources were not found under " << src;
  for (const std::string& f : includers)
    EXPECT_TRUE(allowed.count(f)) << "src/" << f << " includes app/game.h";
}

}  // namespace
