// klevaria-scores: the world-table service for Klevaria, and the operator's
// commands on its data. See Usage() below, and klevaria-scores(1).

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/cp1251.h"
#include "proof_pool.h"
#include "replay/replay_file.h"
#include "replay_verifier.h"
#include "score_server.h"
#include "score_service.h"
#include "score_store.h"

#ifndef KLV_VERSION
#define KLV_VERSION "unknown"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: klevaria-scores [OPTION]...\n"
    "Serves the Klevaria world table: version queries, score submissions and the\n"
    "world-table page at /cgi/version.pl.\n"
    "\n"
    "  --host ADDRESS         listen on ADDRESS (default 127.0.0.1; :: for all)\n"
    "  --port N               listen on port N (default 8765)\n"
    "  --db DATABASE          an SQLite file (default klevaria-scores.db), or\n"
    "                         postgresql://USER@HOST:PORT/DBNAME\n"
    "  --threads N            event-loop threads (default 4)\n"
    "  --max-connections N    open connections at most (default 1024)\n"
    "  --max-per-address N    open connections from one address at most\n"
    "                         (default 32; 0: no cap)\n"
    "  --rate N               version queries, submissions and page views from\n"
    "                         one address per minute, each (default 30; 0: no limit)\n"
    "  --trusted-proxy ADDRESS\n"
    "                         connections from ADDRESS are a reverse proxy's: the\n"
    "                         client is the last address of X-Forwarded-For\n"
    "  --game-dir DIR         the game's data folder (holding Data/), to replay\n"
    "                         uploads with (default: the installed game's)\n"
    "  --workers N            replays proven at once (default: one per core)\n"
    "  --verify-seconds N     the longest one replay may take (default 60)\n"
    "  --verified-only        the page shows only entries proven by their replay\n"
    "\n"
    "Operator commands (on --db, then exit):\n"
    "  --list N               print the best N entries with their ids and proofs\n"
    "  --remove-id ID         remove the entry with id ID\n"
    "  --remove-name NAME     remove every entry under NAME\n"
    "  --verify FILE          replay FILE as the service would and print the\n"
    "                         verdict (exit 0 verified, 1 refused)\n"
    "\n"
    "  --help                 print this help and exit\n"
    "  --version              print the version and exit\n"
    "\n"
    "SIGTERM or SIGINT stops the service. Exit status: 0 stopped or done, 1 the\n"
    "database or the address cannot be used (or nothing to remove), 2 bad usage.\n";

bool ParseInt(const char* s, long lo, long hi, long& out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 10);
  if (end == s || *end != '\0' || errno != 0 || v < lo || v > hi) return false;
  out = v;
  return true;
}

std::string Date(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  char buf[32] = "";
  if (gmtime_r(&t, &tm)) std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return buf;
}

// The system's cap on waiting connections, which silently lowers ours.
void WarnOfSmallBacklog() {
  std::ifstream f("/proc/sys/net/core/somaxconn");
  long cap = 0;
  if (f >> cap && cap < 128) {
    std::fprintf(stderr,
                 "klevaria-scores: warning: net.core.somaxconn is %ld; the system queues at "
                 "most that many new connections (128 or more wanted)\n",
                 cap);
  }
}

enum class Command { Serve, List, RemoveId, RemoveName, Verify };

// --verify FILE: the verdict on one replay; "-" reads it from the standard
// input, as the service's workers feed their child processes.
int VerifyFile(const std::string& file, std::string gameDir, int seconds) {
  std::vector<uint8_t> bytes;
  if (file == "-") {
    // A worker's child: it dies with its worker, runs below the service's
    // threads and is stopped by the system when its CPU time runs out.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (nice(10) == -1 && errno != 0) {
      // Runs at the service's priority then.
    }
    rlimit cpu{static_cast<rlim_t>(seconds + 1), static_cast<rlim_t>(seconds + 2)};
    setrlimit(RLIMIT_CPU, &cpu);
  }
  std::FILE* in = file == "-" ? stdin : std::fopen(file.c_str(), "rb");
  if (in == nullptr) {
    std::printf("refused: cannot read %s: %s\n", file.c_str(), std::strerror(errno));
    return 1;
  }
  uint8_t buf[16384];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;) {
    bytes.insert(bytes.end(), buf, buf + n);
    if (bytes.size() > klv::kReplayMaxFileBytes) break;
  }
  if (in != stdin) std::fclose(in);
  if (bytes.size() > klv::kReplayMaxFileBytes) {
    std::printf("refused: the file is larger than any replay\n");
    return 1;
  }
  if (gameDir.empty()) gameDir = klv::scores::InstalledGameDir();
  if (gameDir.empty()) {
    std::printf("refused: the game's data is not installed; give --game-dir DIR\n");
    return 1;
  }
  if (gameDir.back() != '/') gameDir += '/';
  const klv::scores::Verdict v = klv::scores::PlayReplay(bytes, gameDir, seconds);
  if (v.Verified) {
    try {
      const klv::ReplayFile r = klv::DecodeReplay(bytes);
      std::printf("verified: score %u, name %s\n", unsigned(r.Result.Score),
                  klv::Cp1251ToUtf8(r.Result.Name).c_str());
    } catch (const klv::ReplayError&) {
      std::printf("verified\n");
    }
    return 0;
  }
  std::printf("refused: %s\n", v.Reason.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  klv::scores::ScoreServer::Options options;
  klv::scores::ServiceOptions serviceOptions;
  std::string db = "klevaria-scores.db";
  Command command = Command::Serve;
  long listCount = 0;
  long removeId = 0;
  std::string removeName;
  std::string verifyFile;
  std::string gameDir;
  long verifySeconds = 60;
  klv::scores::ProofPool::Options poolOptions;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    long n = 0;
    bool ok = true;
    if (a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--version") {
      std::printf("klevaria-scores %s\n", KLV_VERSION);
      return 0;
    } else if (a == "--verified-only") {
      serviceOptions.VerifiedOnly = true;
      continue;
    } else if (v == nullptr) {
      ok = false;
    } else if (a == "--port" && (ok = ParseInt(v, 0, 65535, n))) {
      options.Port = static_cast<int>(n);
    } else if (a == "--threads" && (ok = ParseInt(v, 1, 64, n))) {
      options.Threads = static_cast<int>(n);
    } else if (a == "--max-connections" && (ok = ParseInt(v, 1, 100000, n))) {
      options.MaxConnections = static_cast<int>(n);
    } else if (a == "--max-per-address" && (ok = ParseInt(v, 0, 100000, n))) {
      options.MaxPerAddress = static_cast<int>(n);
    } else if (a == "--rate" && (ok = ParseInt(v, 0, 60000, n))) {
      serviceOptions.RatePerMinute = static_cast<int>(n);
    } else if (a == "--db") {
      db = v;
    } else if (a == "--host") {
      options.Host = v;
    } else if (a == "--trusted-proxy") {
      options.TrustedProxy = v;
    } else if (a == "--list" && (ok = ParseInt(v, 1, 1000000, listCount))) {
      command = Command::List;
    } else if (a == "--remove-id" && (ok = ParseInt(v, 1, LONG_MAX, removeId))) {
      command = Command::RemoveId;
    } else if (a == "--verify") {
      command = Command::Verify;
      verifyFile = v;
    } else if (a == "--game-dir") {
      gameDir = v;
    } else if (a == "--verify-seconds" && (ok = ParseInt(v, 1, 3600, verifySeconds))) {
    } else if (a == "--workers" && (ok = ParseInt(v, 1, 256, n))) {
      poolOptions.Workers = static_cast<int>(n);
    } else if (a == "--remove-name") {
      command = Command::RemoveName;
      removeName = v;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "klevaria-scores: bad option or value: %s\n%s", a.c_str(), kUsage);
      return 2;
    }
    ++i;
  }

  if (command == Command::Verify) return VerifyFile(verifyFile, gameDir, int(verifySeconds));

  // Signals are taken by sigwait below, never by the server's threads.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    // Looking changes nothing: a read-only copy of the data lists too.
    const std::unique_ptr<klv::scores::ScoreStore> store =
        klv::scores::OpenScoreStore(db, options.Threads + 1, command == Command::List);
    if (command == Command::List) {
      for (const klv::scores::StoredScore& s : store->Best(static_cast<int>(listCount))) {
        std::printf("%lld\t%u\t%s\t%s\t%s\t%s\n", static_cast<long long>(s.Id), s.Score,
                    s.Name.c_str(), s.Add.c_str(), Date(s.Submitted).c_str(),
                    s.Verified ? "verified" : "unverified");
      }
      return 0;
    }
    if (command == Command::RemoveId || command == Command::RemoveName) {
      const int64_t removed = command == Command::RemoveId ? store->RemoveById(removeId)
                                                           : store->RemoveByName(removeName);
      std::printf("klevaria-scores: removed %lld %s from %s\n", static_cast<long long>(removed),
                  removed == 1 ? "entry" : "entries", store->Where().c_str());
      return removed > 0 ? 0 : 1;
    }

    WarnOfSmallBacklog();
    // The uploads are played again with the game's own data.
    if (gameDir.empty()) gameDir = klv::scores::InstalledGameDir();
    if (!gameDir.empty() && gameDir.back() != '/') gameDir += '/';
    std::error_code ec;
    const bool canProve = !gameDir.empty() && std::filesystem::is_directory(gameDir + "Data", ec);
    if (!canProve) {
      // Uploads are still taken: they wait in the queue for a service that
      // has the data (another instance on the same database, or this one
      // started again).
      std::fprintf(stderr,
                   "klevaria-scores: warning: the game's data (a folder holding Data/) is not "
                   "%s; no replay is proven until the game is installed or --game-dir DIR "
                   "is given\n",
                   gameDir.empty() ? "installed" : ("in " + gameDir).c_str());
    }
    std::error_code selfError;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", selfError).string();
    poolOptions.LeaseSeconds = verifySeconds + 30;
    klv::scores::ProofPool pool(
        *store,
        [&](const std::vector<uint8_t>& replay, const std::atomic<bool>& stop) {
          return klv::scores::PlayReplayInChild(self, replay, gameDir, int(verifySeconds), &stop);
        },
        poolOptions);
    serviceOptions.ProofQueued = [&pool] { pool.Wake(); };
    klv::scores::ScoreService service(*store, {}, serviceOptions);
    klv::scores::ScoreServer server(service);
    const int port = server.Start(options);
    if (port < 0) {
      std::fprintf(stderr, "klevaria-scores: %s\n", server.Error().c_str());
      return 1;
    }
    if (canProve) pool.Start();
    const std::string host =
        options.Host.find(':') == std::string::npos ? options.Host : "[" + options.Host + "]";
    std::printf(
        "klevaria-scores: world table at http://%s:%d/cgi/version.pl?prg=Marlowfin&show&type=0 "
        "(database %s)\n",
        host.c_str(), port, store->Where().c_str());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stopSignals, &sig);
    std::printf("klevaria-scores: stopping\n");
    std::fflush(stdout);
    // Nothing waits on a database that hangs: requests and proofs in flight
    // give up at once, and a proof's lease returns it to the queue.
    store->Interrupt();
    server.Stop();
    pool.Stop();
  } catch (const klv::scores::StoreError& e) {
    std::fprintf(stderr, "klevaria-scores: %s\n", e.what());
    return 1;
  }
  return 0;
}
