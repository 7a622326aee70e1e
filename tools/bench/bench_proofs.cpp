// World-table scores proven by their replays: how fast one replay is proven
// on one core (as a multiple of the game's own time), how many uploads a
// service proves a second with all its cores, and its resident memory
// meanwhile. The verifier is the service's own: a child process per replay.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/game_recorder.h"
#include "app/script_runner.h"
#include "bench.h"
#include "http/http_client.h"
#include "online/world_table.h"
#include "replay/replay_file.h"
#include "replay_verifier.h"
#include "siege.h"

namespace {

namespace fs = std::filesystem;

std::string ServiceBinary() {
  return (fs::read_symlink("/proc/self/exe").parent_path() / "klevaria-scores").string();
}

// Resident kilobytes of a process's children (the replays being played).
long ChildrenKb(pid_t parent) {
  long kb = 0;
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::ifstream status(e.path() / "status");
    std::string line;
    pid_t ppid = 0;
    long rss = 0;
    while (std::getline(status, line)) {
      if (line.rfind("PPid:", 0) == 0) ppid = std::stoi(line.substr(5));
      if (line.rfind("VmRSS:", 0) == 0) rss = std::stol(line.substr(6));
    }
    if (ppid == parent) kb += rss;
  }
  return kb;
}

}  // namespace

KLV_BENCH("scores: proving uploads by their replays") {
  char tmpl[] = "/tmp/klv-bench-proofs-XXXXXX";
  if (!mkdtemp(tmpl)) return;
  const fs::path dir = tmpl;
  const std::string gameDir = fs::absolute(ctx.gameDir).string() + "/";
  for (const char* sub : {"Data", "Sound"}) fs::create_directory_symlink(gameDir + sub, dir / sub);
  // Five minutes of the autopilot, named as the table would have it.
  klv::ScriptOptions options;
  options.appDir = dir.string();
  options.scoreService = "http://127.0.0.1:1";
  std::string path;
  {
    klv::ScriptRunner runner(options);
    std::ostringstream out, err;
    runner.Run(
        "seed 11\nwait 300\nkey Return\nwait 2500\nautopilot on\nwait 300000\n"
        "autopilot off\nkey Escape\nkey Y\n",
        out, err);
    runner.Recorder().Finish();
    path = runner.Recorder().LastPath();
  }
  if (path.empty()) {
    std::printf("  no replay was written\n");
    return;
  }
  klv::ReplayFile game = klv::ReadReplayFile(path);
  const double gameSeconds = game.Result.GameMs / 1000.0;

  // One replay, one core, as a worker proves it: process, data and play.
  const std::vector<uint8_t> bytes = klv::EncodeReplay(game);
  const double t0 = klv::bench::NowSeconds();
  const klv::scores::Verdict v =
      klv::scores::PlayReplayInChild(ServiceBinary(), bytes, gameDir, 600);
  const double one = klv::bench::NowSeconds() - t0;
  std::printf("  a %.0f s game proven in %.2f s: %s\n", gameSeconds, one,
              v.Verified ? "verified" : v.Reason.c_str());
  ctx.Report("proof_x_real_time_one_core", one > 0 ? gameSeconds / one : 0);

  // A service with a worker per core, fed uploads as fast as players send
  // them.
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const int uploads = int(cores) * 4;
  klv::scores::siege::ServiceProcess service;
  std::string error;
  if (!service.Start(ServiceBinary(),
                     {"--db", (dir / "proofs.db").string(), "--rate", "0", "--game-dir", gameDir},
                     &error)) {
    std::printf("  the service did not start: %s\n", error.c_str());
    return;
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(service.Port());
  const double start = klv::bench::NowSeconds();
  for (int i = 0; i < uploads; ++i) {
    klv::HttpClient client;
    const std::string name = "P" + std::to_string(i);
    const klv::VersionAnswer va =
        klv::ParseVersionAnswer(client.Get(klv::VersionQueryUrl(base)).body);
    client.Get(klv::ScoreQueryUrl(
        base, klv::InfEncode(klv::BuildScoreRecord(name, game.Result.Score, va.P, ""))));
    game.Result.Name = name;
    const std::vector<uint8_t> named = klv::EncodeReplay(game);
    client.Post(klv::ReplayUploadUrl(base, va.P), std::string(named.begin(), named.end()),
                "application/octet-stream");
  }
  long serviceKb = 0;
  long allKb = 0;
  int verified = 0;
  double slowestVersion = 0;
  const std::string json = "/cgi/version.pl?prg=Marlowfin&show&type=0&format=json";
  while (verified < uploads && klv::bench::NowSeconds() - start < 600) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long kb = service.ResidentKb();
    serviceKb = std::max(serviceKb, kb);
    allKb = std::max(allKb, kb + ChildrenKb(service.Pid()));
    // Players go on asking for tokens meanwhile.
    slowestVersion = std::max(
        slowestVersion,
        klv::scores::siege::Request(service.Port(), "/cgi/version.pl?version&prg=Marlowfin")
            .Seconds);
    const std::string body = klv::scores::siege::Request(service.Port(), json).Body;
    verified = 0;
    for (size_t at = 0; (at = body.find("\"verified\":true", at)) != std::string::npos; ++at)
      ++verified;
  }
  const double took = klv::bench::NowSeconds() - start;
  std::printf("  %d of %d uploads proven in %.1f s with %u workers\n", verified, uploads, took,
              cores);
  ctx.Report("proofs_per_second_all_cores", took > 0 ? verified / took : 0);
  ctx.Report("proof_service_rss_mb", serviceKb / 1024.0);
  ctx.Report("proof_slowest_version_query_ms", slowestVersion * 1000);
  ctx.Report("proof_service_and_players_rss_mb", allKb / 1024.0);
  service.Terminate(10);
  std::error_code ec;
  fs::remove_all(dir, ec);
}
