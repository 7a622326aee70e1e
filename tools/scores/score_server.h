#pragma once
// The HTTP side of klevaria-scores, built to face the open internet: GNU
// libmicrohttpd's event loops on a few threads, every request to
// "/cgi/version.pl" and "/cgi/replay.pl" handed to a ScoreService. Only GET
// and HEAD, and POST of one replay (its length given, at most 256 KiB, whole
// within a few seconds) to "/cgi/replay.pl"; headers capped, a request head due within a couple of
// seconds, and open connections capped overall and per client (an IPv4 address, an IPv6 /64), so
// that slow or idle clients cost little and never starve the rest: when the table is nearly full,
// the oldest connections still sending their request head are closed to make room.

#include <memory>
#include <string>

namespace klv::scores {

class ScoreService;

class ScoreServer {
 public:
  struct Options {
    std::string Host = "127.0.0.1";  // "::" listens on every IPv6 and IPv4 address
    int Port = 8765;                 // 0: any free port
    int Threads = 4;                 // event loops, each serving many connections
    int MaxConnections = 1024;       // open at once, all clients together
    int MaxPerAddress = 32;          // open at once from one client (IPv6: /64); 0: no cap
    int HeadSeconds = 2;             // a new connection's request head must arrive within this
    int RequestSeconds = 5;          // a kept-alive connection's next request, within this
    int BodySeconds = 10;            // a replay's upload body, within this after its head
    int Backlog = 1024;              // connections the system queues before they are taken
    // Connections from this address come through a reverse proxy: the client
    // is the last address of their X-Forwarded-For header, and the proxy
    // itself is never capped.
    std::string TrustedProxy;
  };

  // The largest request head (request line and headers) taken, in bytes.
  static constexpr std::size_t kMaxRequestHead = 16 * 1024;

  explicit ScoreServer(ScoreService& service);
  ~ScoreServer();  // stops
  ScoreServer(const ScoreServer&) = delete;
  ScoreServer& operator=(const ScoreServer&) = delete;

  // Binds and starts serving; returns the bound port, or -1 with Error() set.
  int Start(const Options& options);
  // Closes every connection and returns once no request is being served.
  void Stop();
  const std::string& Error() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace klv::scores
