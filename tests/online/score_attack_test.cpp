// klevaria-scores as a real process against the attacks of a hostile
// network, on loopback only and bounded in clients, bytes and seconds: what
// it holds (memory, answers to everyone else, a quick stop, every stored
// score) and its start-up checks and operator commands.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "online/world_table.h"
#include "score_store.h"
#include "siege.h"

namespace klv::scores {
namespace {

namespace fs = std::filesystem;

const std::string kBinary = std::string(KLV_BIN_DIR) + "/klevaria-scores";
constexpr const char* kPage = "/cgi/version.pl?prg=Marlowfin&show&type=0";
constexpr long kMemoryCapKb = 128 * 1024;

class ScoreAttackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("klv-attack-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    db_ = (dir_ / "scores.db").string();
    // Under the address sanitizer freed memory is held back in a quarantine
    // (256 MB unless told), which would hide what the service itself keeps.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string opts = asan ? asan : "";
    if (opts.find("quarantine_size_mb") == std::string::npos) {
      opts += (opts.empty() ? "" : ":") + std::string("quarantine_size_mb=8");
      ::setenv("ASAN_OPTIONS", opts.c_str(), 1);
    }
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Start(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--db", db_});
    std::string error;
    ASSERT_TRUE(service_.Start(kBinary, args, &error)) << error;
  }
  bool Answers() { return siege::Request(service_.Port(), kPage, "127.0.0.1", 3000).Status == 200; }

  fs::path dir_;
  std::string db_;
  siege::ServiceProcess service_;
};

TEST_F(ScoreAttackTest, EndlessBodiesAndHeadersKeepMemorySmall) {
  Start();
  const long before = service_.ResidentKb();
  struct Attack {
    const char* name;
    int64_t (*run)(int, int, int64_t, double);
  };
  for (const Attack& a : {Attack{"chunked bodies", &siege::EndlessBodies},
                          Attack{"header lines", &siege::EndlessHeaders}}) {
    siege::MemoryWatch watch(service_);
    std::atomic<bool> answered{true};
    std::thread probe([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      answered = Answers();
    });
    // 4 clients x 200 MB each, at most 8 seconds.
    const int64_t sent = a.run(service_.Port(), 4, 200ll << 20, 8.0);
    probe.join();
    std::printf("%s: %lld bytes sent, resident peak %ld KB (at rest %ld KB)\n", a.name,
                static_cast<long long>(sent), watch.PeakKb(), before);
    EXPECT_LT(watch.PeakKb(), kMemoryCapKb) << a.name;
    EXPECT_TRUE(answered.load()) << a.name;
    EXPECT_TRUE(Answers()) << a.name;
  }
  EXPECT_LT(service_.Terminate(), 3.0);
  EXPECT_EQ(service_.ExitStatus(), 0) << service_.Output();
}

TEST_F(ScoreAttackTest, SlowClientsStarveNobody) {
  Start();
  // 256 clients, 16 to an address, each dripping a header byte every 2 s and
  // coming back whenever it is thrown out.
  siege::SlowClients slow(service_.Port(), 256, 16, 2000);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_GE(slow.Connected(), 200);
  const std::vector<double> latencies = siege::Latencies(service_.Port(), 120, 3000);
  const siege::BurstResult burst = siege::Burst({service_.Port()}, 10, 10, "s");
  std::printf("with %d slow clients: p99 %.1f ms, slowest %.1f ms; %d submissions in %.2f s\n",
              slow.Connected(), 1000 * siege::Percentile(latencies, 99), 1000 * latencies.back(),
              burst.Acknowledged, burst.Seconds);
  // Every other client is answered within a second.
  EXPECT_LT(latencies.back(), 1.0);
  EXPECT_EQ(burst.Acknowledged, 100);
  slow.Stop();
  EXPECT_EQ(OpenScoreStore(db_)->Count(), 100);
}

TEST_F(ScoreAttackTest, AFullConnectionTableStillServesPlayers) {
  // Twice as many slow clients as the table holds, from 64 addresses at
  // their per-address cap: the table stays full.
  Start({"--max-connections", "256", "--max-per-address", "8"});
  siege::SlowClients slow(service_.Port(), 512, 64, 500);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_GE(slow.Connected(), 200);
  // A player elsewhere: version query, then the score, within 2 s, ten times.
  int done = 0;
  double slowest = 0;
  for (int i = 0; i < 10; ++i) {
    const siege::Reply v = siege::Request(service_.Port(), "/cgi/version.pl?version&prg=Marlowfin",
                                          siege::Address(3, i), 2000);
    siege::Reply s;
    if (v.Status == 200) {
      const std::string inf = InfEncode(
          BuildScoreRecord("P" + std::to_string(i), 100, ParseVersionAnswer(v.Body).P, ""));
      s = siege::Request(service_.Port(), "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf,
                         siege::Address(3, i), static_cast<int>(2000 - 1000 * v.Seconds));
    }
    done += s.Body == "OK|stored|";
    slowest = std::max(slowest, v.Seconds + s.Seconds);
  }
  const std::vector<double> pages = siege::Latencies(service_.Port(), 20, 2000);
  std::printf(
      "table full of %d slow clients (%d dropped): %d of 10 submissions, slowest %.2f s; "
      "slowest of 20 requests %.2f s\n",
      slow.Connected(), slow.Dropped(), done, slowest, pages.back());
  EXPECT_EQ(done, 10);
  EXPECT_LT(pages.back(), 2.0);
  slow.Stop();
}

// One IPv6 /64 is one client, however many addresses it spends: a network
// namespace of the test's own, with a /64 routed to its loopback device.
TEST_F(ScoreAttackTest, OneIPv6NetworkHoldsOnlyOneClientsShare) {
  if (::geteuid() != 0 || std::system("command -v ip >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "needs root and ip(8) for a network namespace";
  }
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ::alarm(30);
    if (::unshare(CLONE_NEWNET) != 0 ||
        std::system("ip link set lo up && ip -6 route add local 2001:db8:7::/64 dev lo") != 0) {
      ::_exit(77);
    }
    siege::ServiceProcess service;
    std::string error;
    if (!service.Start(kBinary, {"--db", db_, "--host", "::", "--max-per-address", "8"}, &error))
      ::_exit(1);
    std::vector<int> conns;
    for (int i = 0; i < 40; ++i) {
      conns.push_back(siege::OpenConnection(service.Port(), siege::V6Address("2001:db8:7:0::", i)));
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int figures[2] = {0, 0};  // open from the /64; an IPv4 player answered
    for (const int fd : conns) {
      char c;
      if (fd >= 0 && ::recv(fd, &c, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN) ++figures[0];
    }
    figures[1] = siege::Request(service.Port(), kPage, "127.0.0.1", 3000).Status;
    const bool sent = ::write(fds[1], figures, sizeof figures) == sizeof figures;
    for (const int fd : conns)
      if (fd >= 0) ::close(fd);
    service.Terminate();
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  int figures[2] = {-1, -1};
  const bool got = ::read(fds[0], figures, sizeof figures) == sizeof figures;
  ::close(fds[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  if (WIFEXITED(st) && WEXITSTATUS(st) == 77) GTEST_SKIP() << "no network namespace here";
  ASSERT_TRUE(got);
  std::printf("40 connections from 40 addresses of one /64: %d kept open\n", figures[0]);
  EXPECT_GE(figures[0], 8);
  EXPECT_LE(figures[0], 8 + 4);  // accepts may race on each of the 4 event loops
  EXPECT_EQ(figures[1], 200);
}

TEST_F(ScoreAttackTest, SigtermEndsWithinThreeSecondsAndLosesNothing) {
  Start();
  siege::SlowClients slow(service_.Port(), 10, 10, 2000);
  siege::BurstResult burst;
  std::thread players([&] { burst = siege::Burst({service_.Port()}, 20, 50, "t"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const double seconds = service_.Terminate();
  players.join();
  slow.Stop();
  std::printf("ended %.2f s after SIGTERM; %d submissions acknowledged before\n", seconds,
              burst.Acknowledged);
  EXPECT_LT(seconds, 3.0);
  EXPECT_EQ(service_.ExitStatus(), 0) << service_.Output();
  EXPECT_GT(burst.Acknowledged, 0);
  // Every acknowledged score is there when the file is opened again.
  std::set<std::string> stored;
  for (const StoredScore& s : OpenScoreStore(db_)->Best(2000)) stored.insert(s.Name);
  int lost = 0;
  for (const std::string& name : burst.Names) lost += stored.count(name) == 0;
  EXPECT_EQ(lost, 0);
}

TEST_F(ScoreAttackTest, SigtermEndsQuicklyAfterAFloodOverTheConnectionCap) {
  // At its cap the service stops watching for new connections; a stop must
  // still reach every event loop at once, not when a connection times out.
  Start({"--max-connections", "128"});
  siege::ConnectBurst(service_.Port(), 1000);
  siege::SlowClients slow(service_.Port(), 10, 10, 2000);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const double seconds = service_.Terminate();
  std::printf("ended %.2f s after SIGTERM after a flood over the cap\n", seconds);
  EXPECT_LT(seconds, 3.0);
  EXPECT_EQ(service_.ExitStatus(), 0) << service_.Output();
}

TEST_F(ScoreAttackTest, ABurstOfConnectionsIsQueuedNotDropped) {
  Start();
  // Far more than a short listen queue holds: a dropped connection attempt
  // is retried by the system only after a second.
  const double longest = siege::ConnectBurst(service_.Port(), 1000);
  std::printf("1000 connections at once: the last accepted after %.3f s\n", longest);
  EXPECT_GE(longest, 0.0);
  EXPECT_LT(longest, 0.9);
  EXPECT_TRUE(Answers());
}

// A token from the service for a player at `from`.
std::string TokenFor(int port, const std::string& from) {
  const siege::Reply v = siege::Request(port, "/cgi/version.pl?version&prg=Marlowfin", from, 1500);
  return v.Status == 200 ? ParseVersionAnswer(v.Body).P : "";
}

siege::Reply SubmitWith(int port, const std::string& token, const std::string& name,
                        const std::string& from) {
  const std::string inf = InfEncode(BuildScoreRecord(name, 150, token, ""));
  return siege::Request(port, "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf, from, 5000);
}

TEST_F(ScoreAttackTest, AnOperatorsWriteLockDelaysOnlySubmissions) {
  Start();
  const std::string first = TokenFor(service_.Port(), siege::Address(0, 1));
  ASSERT_FALSE(first.empty());
  sqlite3* op = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &op), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(op, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  // A submission waits for the lock a bounded time, and meanwhile page views
  // and version queries are answered as if nothing were wrong.
  siege::Reply blocked;
  std::thread player([&] { blocked = SubmitWith(service_.Port(), first, "First", "127.0.0.2"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const siege::Reply page = siege::Request(service_.Port(), kPage, "127.0.0.3", 1500);
  const std::string second = TokenFor(service_.Port(), siege::Address(0, 2));
  player.join();
  sqlite3_exec(op, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(op);
  EXPECT_EQ(page.Status, 200);
  EXPECT_FALSE(second.empty());
  EXPECT_EQ(blocked.Status, 503);
  EXPECT_NE(blocked.Head.find("Retry-After: "), std::string::npos) << blocked.Head;
  std::printf("submission under a held write lock: %d in %.2f s; page view in %.3f s\n",
              blocked.Status, blocked.Seconds, page.Seconds);
  // Once the lock is gone both tokens are good: the one handed out while the
  // file was locked included.
  EXPECT_EQ(SubmitWith(service_.Port(), second, "Second", siege::Address(0, 2)).Body, "OK|stored|");
  EXPECT_EQ(SubmitWith(service_.Port(), first, "First", siege::Address(0, 1)).Body, "OK|stored|");
  EXPECT_EQ(OpenScoreStore(db_)->Count(), 2);
}

TEST_F(ScoreAttackTest, AfterACleanStopTheFileAloneIsAWholeBackup) {
  Start();
  const siege::BurstResult burst = siege::Burst({service_.Port()}, 4, 5, "b");
  ASSERT_EQ(burst.Acknowledged, 20);
  EXPECT_LT(service_.Terminate(), 3.0);
  EXPECT_EQ(service_.ExitStatus(), 0) << service_.Output();
  // A copy of the database file, without the write-ahead log beside it.
  const fs::path copy = dir_ / "backup";
  fs::create_directories(copy);
  fs::copy_file(db_, copy / "scores.db");
  EXPECT_EQ(OpenScoreStore((copy / "scores.db").string())->Count(), 20);
}

// Runs the program with `args`, as `user` when given (and we are root);
// returns its exit status and what it printed.
int RunProgram(const std::vector<std::string>& args, std::string* output,
               const passwd* user = nullptr) {
  const fs::path out = fs::temp_directory_path() / ("klv-run-" + std::to_string(getpid()));
  std::vector<std::string> all = {kBinary};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen(out.c_str(), "w", stdout) || ::dup2(::fileno(stdout), 2) < 0) ::_exit(125);
    if (user && (::setgid(user->pw_gid) != 0 || ::setuid(user->pw_uid) != 0)) ::_exit(126);
    ::alarm(20);  // a service that starts when it should not is ended
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int st = 0;
  ::waitpid(pid, &st, 0);
  std::ifstream f(out);
  output->assign(std::istreambuf_iterator<char>(f), {});
  fs::remove(out);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128;
}

TEST_F(ScoreAttackTest, ADatabaseThatCannotBeWrittenStopsTheStart) {
  OpenScoreStore(db_);  // the tables exist; only writing is barred
  std::string out;
  int status = 0;
  if (::geteuid() == 0) {
    // Root writes whatever it likes: run as an ordinary user instead.
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(db_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    status = RunProgram({"--db", db_, "--port", "0"}, &out, nobody);
  } else {
    fs::permissions(db_, fs::perms::owner_read);
    status = RunProgram({"--db", db_, "--port", "0"}, &out);
  }
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("cannot write the database " + db_), std::string::npos) << out;
  // A folder that does not exist is said as plainly.
  EXPECT_EQ(RunProgram({"--db", (dir_ / "none" / "x.db").string(), "--port", "0"}, &out), 1);
  EXPECT_NE(out.find("cannot open the database"), std::string::npos) << out;
}

TEST_F(ScoreAttackTest, OperatorCommands) {
  Start();
  for (int i = 0; i < 3; ++i) {
    const siege::Reply v = siege::Request(service_.Port(), "/cgi/version.pl?version&prg=Marlowfin",
                                          siege::Address(0, i));
    const std::string name = i == 2 ? "Honest" : "Cheat";
    const std::string inf = InfEncode(BuildScoreRecord(name, 100u * static_cast<uint32_t>(i + 1),
                                                       ParseVersionAnswer(v.Body).P, ""));
    ASSERT_EQ(siege::Request(service_.Port(), "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf,
                             siege::Address(0, i))
                  .Status,
              200);
  }
  // While the service runs: --list shows ids, the removals take effect on
  // the page at once.
  std::string out;
  ASSERT_EQ(RunProgram({"--db", db_, "--list", "10"}, &out), 0) << out;
  const std::string honest = out.substr(0, out.find('\t'));  // best first: Honest, 300
  EXPECT_NE(out.find("\t300\tHonest\t"), std::string::npos) << out;
  EXPECT_EQ(RunProgram({"--db", db_, "--remove-name", "Cheat"}, &out), 0);
  EXPECT_NE(out.find("removed 2 entries"), std::string::npos) << out;
  EXPECT_EQ(RunProgram({"--db", db_, "--remove-id", honest}, &out), 0) << out;
  EXPECT_NE(out.find("removed 1 entry"), std::string::npos) << out;
  EXPECT_EQ(RunProgram({"--db", db_, "--remove-id", honest}, &out), 1);
  EXPECT_NE(siege::Request(service_.Port(), kPage).Body.find("Пока нет ни одного результата."),
            std::string::npos);

  EXPECT_EQ(RunProgram({"--help"}, &out), 0);
  EXPECT_EQ(out.rfind("Usage: klevaria-scores", 0), 0u) << out;

  // --list only looks: it reads a backup on read-only media, as a user who
  // may write nothing there.
  ASSERT_EQ(
      SubmitWith(service_.Port(), TokenFor(service_.Port(), "127.0.0.9"), "Kept", "127.0.0.9").Body,
      "OK|stored|");
  service_.Terminate();
  const fs::path shelf = dir_ / "shelf";
  fs::create_directories(shelf);
  fs::copy_file(db_, shelf / "scores.db");
  fs::permissions(shelf / "scores.db",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(shelf, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
  fs::permissions(dir_, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
  const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
  EXPECT_EQ(RunProgram({"--db", (shelf / "scores.db").string(), "--list", "5"}, &out, nobody), 0)
      << out;
  EXPECT_NE(out.find("\t150\tKept\t"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(shelf / "scores.db-wal"));
  fs::permissions(shelf, fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(RunProgram({"--version"}, &out), 0);
  EXPECT_EQ(out.rfind("klevaria-scores 1.", 0), 0u) << out;
  EXPECT_EQ(RunProgram({"--port", "70000"}, &out), 2);
  EXPECT_EQ(RunProgram({"--remove-id"}, &out), 2);
}

// The manual page names exactly the options that --help names.
TEST_F(ScoreAttackTest, ManualAndHelpNameTheSameOptions) {
  std::string help;
  ASSERT_EQ(RunProgram({"--help"}, &help), 0);
  std::ifstream f(std::string(KLV_SOURCE_DIR) + "/tools/scores/klevaria-scores.1");
  std::string manual((std::istreambuf_iterator<char>(f)), {});
  ASSERT_FALSE(manual.empty());
  for (std::size_t at; (at = manual.find("\\-")) != std::string::npos;) manual.replace(at, 2, "-");
  auto options = [](const std::string& text) {
    std::set<std::string> found;
    for (std::size_t at = 0; (at = text.find("--", at)) != std::string::npos;) {
      std::size_t end = at + 2;
      while (end < text.size() &&
             (std::islower(static_cast<unsigned char>(text[end])) || text[end] == '-'))
        ++end;
      if (end > at + 2) found.insert(text.substr(at, end - at));
      at = end;
    }
    return found;
  };
  const std::set<std::string> inHelp = options(help);
  EXPECT_GE(inHelp.size(), 12u);
  EXPECT_EQ(options(manual), inHelp);
}

}  // namespace
}  // namespace klv::scores
