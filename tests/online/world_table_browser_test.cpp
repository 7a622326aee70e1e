// The world-table page in a real browser (headless Chromium): it renders,
// and what a player typed as a name or text shows as text, never as markup
// or script. Skipped where Chromium is not installed (scripts/install-deps
// --test installs it).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "engine/cp1251.h"
#include "online/world_table.h"
#include "siege.h"

namespace klv::scores {
namespace {

namespace fs = std::filesystem;

const std::string kBinary = std::string(KLV_BIN_DIR) + "/klevaria-scores";
constexpr const char* kChromium = "/usr/bin/chromium";

// Runs Chromium headless on `url` with `what` (--dump-dom, --screenshot=...),
// a fresh profile in `work`, at most 60 s; returns what it printed on stdout.
std::string RunChromium(const fs::path& work, const std::string& url, const std::string& what,
                        int* status) {
  const fs::path profile = work / "profile";
  fs::remove_all(profile);
  std::vector<std::string> args = {kChromium,
                                   "--headless",
                                   "--no-sandbox",
                                   "--disable-gpu",
                                   "--disable-quic",
                                   "--no-first-run",
                                   "--disable-background-networking",
                                   "--disable-component-update",
                                   "--disable-sync",
                                   "--user-data-dir=" + profile.string(),
                                   "--window-size=900,700",
                                   what,
                                   url};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const fs::path out = work / "stdout.txt";
  const fs::path err = work / "stderr.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(125);
    ::setpgid(0, 0);  // its helpers end with it
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int st = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (::waitpid(pid, &st, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &st, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(-pid, SIGKILL);  // any helper left behind
  *status = WIFEXITED(st) ? WEXITSTATUS(st) : 128;
  std::ifstream f(out);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST(WorldTableBrowser, ThePageRendersAndHostileTextStaysText) {
  if (!fs::exists(kChromium)) GTEST_SKIP() << "no Chromium (scripts/install-deps --test)";
  // Kept after the test: the screenshot is there to be looked at.
  const fs::path work = fs::path(KLV_BIN_DIR) / ".." / "online-browser";
  fs::remove_all(work);
  fs::create_directories(work);
  siege::ServiceProcess service;
  std::string error;
  ASSERT_TRUE(service.Start(kBinary, {"--db", (work / "scores.db").string()}, &error)) << error;

  struct Entry {
    std::string name, add;
    uint32_t score;
  };
  const Entry entries[] = {
      // Names of 12 and texts of 10 characters at most, as the game sends.
      {"<img src=x>", "<script>", 900},
      {"Рыб</td><td>", "<i>косой", 700},
      {"Щукарь", "улов", 500},
  };
  for (const Entry& e : entries) {
    const siege::Reply v =
        siege::Request(service.Port(), "/cgi/version.pl?version&prg=Marlowfin", "127.0.0.1");
    const std::string inf = InfEncode(BuildScoreRecord(
        Utf8ToCp1251(e.name), e.score, ParseVersionAnswer(v.Body).P, Utf8ToCp1251(e.add)));
    ASSERT_EQ(siege::Request(service.Port(), "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf).Body,
              "OK|stored|")
        << e.name;
  }
  const std::string url = "http://127.0.0.1:" + std::to_string(service.Port()) +
                          "/cgi/version.pl?prg=Marlowfin&show&type=0";

  int status = 0;
  const std::string dom = RunChromium(work, url, "--dump-dom", &status);
  ASSERT_EQ(status, 0) << dom;
  // The browser's own tree: the names as text.
  EXPECT_NE(dom.find("<title>Клевария — мировая таблица рекордов</title>"), std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<td class=\"name\">&lt;img src=x&gt;</td>"), std::string::npos) << dom;
  EXPECT_NE(dom.find("<td class=\"add\">&lt;script&gt;</td>"), std::string::npos);
  EXPECT_NE(dom.find("<td class=\"name\">Рыб&lt;/td&gt;&lt;td&gt;</td>"), std::string::npos);
  EXPECT_NE(dom.find("<td class=\"add\">&lt;i&gt;косой</td>"), std::string::npos);
  EXPECT_NE(dom.find("<td class=\"name\">Щукарь</td>"), std::string::npos);
  EXPECT_EQ(dom.find("<img"), std::string::npos);
  EXPECT_EQ(dom.find("<script"), std::string::npos);
  EXPECT_EQ(dom.find("<i>"), std::string::npos);
  int cells = 0;
  for (std::size_t at = 0; (at = dom.find("<td", at)) != std::string::npos; ++at) ++cells;
  // Three unverified rows of six cells, apart under their heading, and the
  // one cell saying no entry is verified yet.
  EXPECT_EQ(cells, 3 * 6 + 1);
  EXPECT_NE(dom.find("Пока нет ни одного проверенного результата."), std::string::npos);
  size_t marks = 0;
  for (std::size_t at = 0; (at = dom.find(">не проверено<", at)) != std::string::npos; ++at)
    ++marks;
  EXPECT_EQ(marks, 3u);

  const fs::path shot = work / "page.png";
  RunChromium(work, url, "--screenshot=" + shot.string(), &status);
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(fs::exists(shot));
  std::ifstream png(shot, std::ios::binary);
  char magic[8] = {};
  png.read(magic, 8);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  // A page of blue water and a table is far from a blank picture.
  EXPECT_GT(fs::file_size(shot), 20'000u);
  std::printf("screenshot: %s\n", fs::canonical(shot).c_str());
  service.Terminate();
}

}  // namespace
}  // namespace klv::scores
