// klevaria-scores under attack, as a real process on loopback: resident
// memory under endless bodies and headers, how fast everyone else is
// answered beside 256 slow clients, submissions per second from 50 players
// with and without them, a burst of connections, and the stop on SIGTERM.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "bench.h"
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

}  // namespace

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
