// How long the game's HTTP client takes to give up on a dead or hostile
// service, with the limits the game uses. Loopback only.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "bench.h"
#include "http/http_client.h"
#include "online/world_table.h"

namespace {

int ListenLoopback(int backlog, int* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(fd, backlog);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  return fd;
}

// Accepts one connection and feeds it `head`, then `drip` every 200 ms, until
// the client hangs up.
void Serve(int listenFd, const std::string& head, const std::string& drip,
           std::atomic<bool>& stop) {
  pollfd p{listenFd, POLLIN, 0};
  while (!stop && ::poll(&p, 1, 50) <= 0) {
  }
  if (stop) return;
  const int fd = ::accept(listenFd, nullptr, nullptr);
  char buf[4096];
  ::recv(fd, buf, sizeof buf, 0);
  if (!head.empty()) ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
  while (!stop) {
    pollfd q{fd, POLLIN, 0};
    if (::poll(&q, 1, 200) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0) break;
    if (!drip.empty() && ::send(fd, drip.data(), drip.size(), MSG_NOSIGNAL) <= 0) break;
  }
  ::close(fd);
}

// Answers every connection in turn, just fast enough never to count as a
// stall: the version answer a byte every 750 ms, done after 7.5 s; any other
// answer a byte every 750 ms for ever.
void ServeTrickledSubmission(int listenFd, std::atomic<bool>& stop) {
  const std::string body = "OK|1|2|3|to|";
  while (!stop) {
    pollfd p{listenFd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int fd = ::accept(listenFd, nullptr, nullptr);
    if (fd < 0) continue;
    char buf[4096];
    const ssize_t got = ::recv(fd, buf, sizeof buf, 0);
    const bool version = got > 0 && std::string(buf, static_cast<size_t>(got)).find("?version&") !=
                                        std::string::npos;
    std::string head =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(version ? body.size() : 1000) +
        "\r\nConnection: close\r\n\r\n";
    if (version) head += body.substr(0, 2);
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    for (size_t next = 2; !stop && (!version || next < body.size()); ++next) {
      pollfd q{fd, POLLIN, 0};
      if (::poll(&q, 1, 750) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0) break;
      const std::string drip = version ? body.substr(next, 1) : "x";
      if (::send(fd, drip.data(), drip.size(), MSG_NOSIGNAL) <= 0) break;
    }
    ::close(fd);
  }
}

double TimeGet(const std::string& url) {
  klv::HttpClient client;
  const double t0 = klv::bench::NowSeconds();
  client.Get(url);
  return klv::bench::NowSeconds() - t0;
}

double TimeAgainst(const std::string& head, const std::string& drip) {
  int port = 0;
  const int l = ListenLoopback(4, &port);
  std::atomic<bool> stop{false};
  std::thread server([&] { Serve(l, head, drip, stop); });
  const double s = TimeGet("http://127.0.0.1:" + std::to_string(port) + "/cgi/version.pl");
  stop = true;
  server.join();
  ::close(l);
  return s;
}

}  // namespace

KLV_BENCH("http_limits") {
  // Accepts and never answers: the stall limit ends it.
  ctx.Report("silent_server_s", TimeAgainst("", ""));
  // Answers a head, then a byte every 200 ms: only the total limit ends it.
  ctx.Report("trickling_server_s",
             TimeAgainst("HTTP/1.1 200 OK\r\nContent-Length: 60000\r\n\r\n", "x"));
  {
    // The whole world-table submission, both requests, as the player waits
    // for it behind "Пожалуйста ждите...".
    int port = 0;
    const int l = ListenLoopback(4, &port);
    std::atomic<bool> stop{false};
    std::thread server([&] { ServeTrickledSubmission(l, stop); });
    klv::HttpClient client;
    const double t0 = klv::bench::NowSeconds();
    klv::SubmitWorldScore(client, "http://127.0.0.1:" + std::to_string(port), "Bench", 1000, "");
    ctx.Report("trickling_submission_s", klv::bench::NowSeconds() - t0);
    stop = true;
    server.join();
    ::close(l);
  }
  // A full accept queue drops the connection attempt: the connect limit ends it.
  int port = 0;
  const int l = ListenLoopback(0, &port);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    const int f = ::socket(AF_INET, SOCK_STREAM, 0);
    ::fcntl(f, F_SETFL, O_NONBLOCK);
    ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(f);
  }
  ctx.Report("full_backlog_s", TimeGet("http://127.0.0.1:" + std::to_string(port) + "/"));
  for (const int f : fillers) ::close(f);
  ::close(l);
}
