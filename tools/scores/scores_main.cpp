// klevaria-scores: the world-table service for Klevaria.
//   klevaria-scores [--port N] [--db FILE] [--host ADDRESS] [--threads N]
// Listens on 127.0.0.1:8765 with ./klevaria-scores.db unless told otherwise;
// Ctrl+C or SIGTERM stops it cleanly.

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "score_server.h"
#include "score_service.h"
#include "score_store.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: klevaria-scores [--port N] [--db FILE] [--host ADDRESS] [--threads N]\n");
}

bool ParseInt(const char* s, int lo, int hi, int& out) {
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (end == s || *end != '\0' || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  klv::scores::ScoreServer::Options options;
  std::string db = "klevaria-scores.db";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--port" && hasValue && ParseInt(argv[i + 1], 1, 65535, options.Port)) {
      ++i;
    } else if (a == "--threads" && hasValue && ParseInt(argv[i + 1], 1, 1024, options.Threads)) {
      ++i;
    } else if (a == "--db" && hasValue) {
      db = argv[++i];
    } else if (a == "--host" && hasValue) {
      options.Host = argv[++i];
    } else {
      Usage();
      return 2;
    }
  }

  // Signals are taken by sigwait below, never by the server's threads.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    klv::scores::ScoreStore store(db);
    klv::scores::ScoreService service(store);
    klv::scores::ScoreServer server(service);
    const int port = server.Start(options);
    if (port < 0) {
      std::fprintf(stderr, "klevaria-scores: cannot listen on %s:%d\n", options.Host.c_str(),
                   options.Port);
      return 1;
    }
    std::printf(
        "klevaria-scores: world table at http://%s:%d/cgi/version.pl?prg=Marlowfin&show&type=0 "
        "(database %s)\n",
        options.Host.c_str(), port, db.c_str());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stopSignals, &sig);
    std::printf("klevaria-scores: stopping\n");
    server.Stop();
  } catch (const klv::scores::StoreError& e) {
    std::fprintf(stderr, "klevaria-scores: %s\n", e.what());
    return 1;
  }
  return 0;
}
