// klevaria-scores under attack, as a real process on loopback: resident
// memory under endless bodies and headers, how fast everyone else is
// answered beside 256 slow clients, submissions per second from 50 players
// with and without them, a burst of connections, and the stop on SIGTERM.
// Then two floods of the connection table, and what a player gets through
// them: 64 IPv4 addresses with 32 slow connections each, and one IPv6 /64
// with 2,100 addresses (in a network namespace of its own, as root).

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "bench.h"
#include "online/world_table.h"
#include "siege.h"

namespace {

namespace fs = std::filesystem;
namespace siege = klv::scores::siege;

std::string ServiceBinary() {
  return (fs::read_symlink("/proc/self/exe").parent_path() / "klevaria-scores").string();
}

double PerSecond(const siege::BurstResult& b) {
  return b.Seconds > 0 ? b.Acknowledged / b.Seconds : 0;
}

struct FloodFigures {
  double Slow = 0;           // slow connections open on the clients' side
  double Within2s = 0;       // of 20 game-style submissions
  double SlowestSubmit = 0;  // seconds
  double PageP99 = 0;        // seconds
};

// A service flooded by `clients` slow clients over `addresses` addresses,
// then a player elsewhere (version query and score, 20 times) and 100 page
// views from yet other addresses.
bool Flood(const fs::path& dir, const std::string& host, int clients, int addresses,
           const std::string& v6Prefix, FloodFigures* f) {
  siege::ServiceProcess service;
  std::string error;
  if (!service.Start(ServiceBinary(), {"--db", (dir / "flood.db").string(), "--host", host},
                     &error)) {
    std::printf("  scores flood: %s\n", error.c_str());
    return false;
  }
  const int port = service.Port();
  siege::SlowClients slow(port, clients, addresses, 2000, v6Prefix);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  f->Slow = slow.Connected();
  for (int i = 0; i < 20; ++i) {
    const std::string from = siege::Address(5, i);
    const siege::Reply v =
        siege::Request(port, "/cgi/version.pl?version&prg=Marlowfin", from, 8000);
    siege::Reply s;
    if (v.Status == 200) {
      const std::string inf = klv::InfEncode(klv::BuildScoreRecord(
          "F" + std::to_string(i), 100, klv::ParseVersionAnswer(v.Body).P, ""));
      s = siege::Request(port, "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf, from, 8000);
    }
    const double total = v.Seconds + s.Seconds;
    if (s.Body == "OK|stored|" && total < 2.0) ++f->Within2s;
    f->SlowestSubmit = std::max(f->SlowestSubmit, total);
  }
  std::vector<double> pages;
  for (int i = 0; i < 100; ++i) {
    const siege::Reply r = siege::Request(port, "/cgi/version.pl?prg=Marlowfin&show&type=0",
                                          siege::Address(6, i), 5000);
    pages.push_back(r.Status == 200 ? r.Seconds : 5.0);
  }
  std::sort(pages.begin(), pages.end());
  f->PageP99 = siege::Percentile(pages, 99);
  slow.Stop();
  service.Terminate();
  return true;
}

void Report(klv::bench::Context& ctx, const std::string& name, const FloodFigures& f) {
  ctx.Report(name + "_slow_clients", f.Slow);
  ctx.Report(name + "_submits_within_2s_of_20", f.Within2s);
  ctx.Report(name + "_submit_max_s", f.SlowestSubmit);
  ctx.Report(name + "_page_p99_s", f.PageP99);
}

}  // namespace

KLV_BENCH("scores_flood") {
  const fs::path dir = fs::temp_directory_path() / ("klv-bench-flood-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  FloodFigures v4;
  if (Flood(dir, "127.0.0.1", 64 * 32, 64, "", &v4)) Report(ctx, "scores_flood_v4", v4);
  // One /64 of 2,100 addresses: a network namespace of our own, its loopback
  // device up and the /64 routed to it, so nothing outside is touched.
  if (::geteuid() != 0 || std::system("command -v ip >/dev/null 2>&1") != 0) {
    std::printf("  scores flood: the IPv6 /64 flood needs root and ip(8); left out\n");
  } else {
    int fds[2];
    if (::pipe(fds) == 0) {
      const pid_t pid = ::fork();
      if (pid == 0) {
        ::close(fds[0]);
        FloodFigures v6;
        bool ok =
            ::unshare(CLONE_NEWNET) == 0 &&
            std::system("ip link set lo up && ip -6 route add local 2001:db8:5::/64 dev lo") == 0 &&
            Flood(dir, "::", 2100, 2100, "2001:db8:5:0::", &v6);
        if (ok) ok = ::write(fds[1], &v6, sizeof v6) == static_cast<ssize_t>(sizeof v6);
        ::_exit(ok ? 0 : 1);
      }
      ::close(fds[1]);
      FloodFigures v6;
      const bool got = pid > 0 && ::read(fds[0], &v6, sizeof v6) == static_cast<ssize_t>(sizeof v6);
      ::close(fds[0]);
      if (pid > 0) ::waitpid(pid, nullptr, 0);
      if (got) {
        Report(ctx, "scores_flood_v6_64", v6);
      } else {
        std::printf("  scores flood: no network namespace for the IPv6 /64 flood; left out\n");
      }
    }
  }
  fs::remove_all(dir);
}

KLV_BENCH("scores_attack") {
  const fs::path dir = fs::temp_directory_path() / ("klv-bench-scores-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    siege::ServiceProcess service;
    std::string error;
    if (!service.Start(ServiceBinary(), {"--db", (dir / "scores.db").string()}, &error)) {
      std::printf("  scores: %s\n", error.c_str());
      fs::remove_all(dir);
      return;
    }
    const int port = service.Port();
    ctx.Report("scores_rss_rest_mb", service.ResidentKb() / 1024.0);
    {
      siege::MemoryWatch watch(service);
      siege::EndlessBodies(port, 4, 200ll << 20, 10.0);
      ctx.Report("scores_rss_bodies_mb", watch.PeakKb() / 1024.0);
    }
    {
      siege::MemoryWatch watch(service);
      siege::EndlessHeaders(port, 4, 200ll << 20, 10.0);
      ctx.Report("scores_rss_headers_mb", watch.PeakKb() / 1024.0);
    }
    ctx.Report("scores_submits_per_s", PerSecond(siege::Burst({port}, 50, 40, "a")));
    {
      siege::SlowClients slow(port, 256, 16, 2000);
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      const std::vector<double> latencies = siege::Latencies(port, 200, 5000);
      ctx.Report("scores_slow_clients", slow.Connected());
      ctx.Report("scores_slow_p99_ms", 1000 * siege::Percentile(latencies, 99));
      ctx.Report("scores_slow_max_ms", 1000 * latencies.back());
      ctx.Report("scores_submits_per_s_slow", PerSecond(siege::Burst({port}, 50, 40, "b")));
      ctx.Report("scores_rss_slow_mb", service.ResidentKb() / 1024.0);
    }
    ctx.Report("scores_connect_2000_max_s", siege::ConnectBurst(port, 2000));
    {
      siege::SlowClients slow(port, 10, 10, 2000);
      std::thread players([port] { siege::Burst({port}, 20, 50, "c"); });
      std::this_thread::sleep_for(std::chrono::milliseconds(800));
      ctx.Report("scores_sigterm_s", service.Terminate());
      players.join();
    }
  }
  fs::remove_all(dir);
}
