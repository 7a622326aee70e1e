#include "siege.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include "online/world_table.h"

namespace klv::scores::siege {

namespace {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A non-blocking socket from `from` towards 127.0.0.1:port, connecting; -1
// when it cannot even start.
int Open(int port, const std::string& from) {
  // An IPv6 client (from a local /64 routed to the loopback device) talks to
  // the service on ::1; the service must then listen on "::".
  const bool v6 = from.find(':') != std::string::npos;
  const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  sockaddr_storage src{}, dst{};
  socklen_t len = 0;
  if (v6) {
#ifndef IPV6_FREEBIND
#define IPV6_FREEBIND 78
#endif
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_FREEBIND, &on, sizeof on);
    auto* s6 = reinterpret_cast<sockaddr_in6*>(&src);
    s6->sin6_family = AF_INET6;
    inet_pton(AF_INET6, from.c_str(), &s6->sin6_addr);
    auto* d6 = reinterpret_cast<sockaddr_in6*>(&dst);
    d6->sin6_family = AF_INET6;
    d6->sin6_addr = in6addr_loopback;
    d6->sin6_port = htons(static_cast<uint16_t>(port));
    len = sizeof(sockaddr_in6);
  } else {
    auto* s4 = reinterpret_cast<sockaddr_in*>(&src);
    s4->sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &s4->sin_addr);
    auto* d4 = reinterpret_cast<sockaddr_in*>(&dst);
    d4->sin_family = AF_INET;
    d4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    d4->sin_port = htons(static_cast<uint16_t>(port));
    len = sizeof(sockaddr_in);
  }
  if (::bind(fd, reinterpret_cast<sockaddr*>(&src), len) != 0) {
    ::close(fd);
    return -1;
  }
  if (::connect(fd, reinterpret_cast<sockaddr*>(&dst), len) != 0 && errno != EINPROGRESS) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Waits for `events` on fd until `deadline`; false on time-out or error.
bool WaitFor(int fd, short events, double deadline) {
  for (;;) {
    const int ms = static_cast<int>((deadline - Now()) * 1000);
    if (ms <= 0) return false;
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, ms);
    if (n > 0) return (p.revents & events) != 0 || (p.revents & (POLLHUP | POLLERR)) == 0;
    if (n < 0 && errno != EINTR) return false;
  }
}

bool SendAll(int fd, const char* data, std::size_t size, double deadline) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// Feeds a request head, then `piece` again and again, until the service
// stops taking it, `bytes` have gone or the time is up. Returns bytes sent.
int64_t Flood(int port, const std::string& from, const std::string& head, const std::string& piece,
              int64_t bytes, double deadline) {
  const int fd = Open(port, from);
  if (fd < 0) return 0;
  int64_t sent = 0;
  if (WaitFor(fd, POLLOUT, deadline) && SendAll(fd, head.data(), head.size(), deadline)) {
    sent += static_cast<int64_t>(head.size());
    while (sent < bytes && SendAll(fd, piece.data(), piece.size(), deadline)) {
      sent += static_cast<int64_t>(piece.size());
    }
  }
  ::close(fd);
  return sent;
}

int64_t FloodAll(int port, int clients, int64_t bytesEach, double seconds, const std::string& head,
                 const std::string& piece) {
  const double deadline = Now() + seconds;
  std::atomic<int64_t> total{0};
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      // Each client comes back as soon as it is thrown out.
      int64_t mine = 0;
      while (mine < bytesEach && Now() < deadline) {
        const int64_t n = Flood(port, Address(5, c), head, piece, bytesEach - mine, deadline);
        mine += n;
        if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      total += mine;
    });
  }
  for (std::thread& t : threads) t.join();
  return total.load();
}

}  // namespace

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

int OpenConnection(int port, const std::string& from) {
  return Open(port, from);
}

std::string V6Address(const std::string& prefix, int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x:%x", 1 + n / 0x10000, n % 0x10000);
  return prefix + buf;
}

std::string Address(int group, int n) {
  return "127." + std::to_string(1 + group) + "." + std::to_string(n / 250) + "." +
         std::to_string(1 + n % 250);
}

// --- The service process ------------------------------------------------------

ServiceProcess::~ServiceProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) ::close(outFd_);
}

bool ServiceProcess::Start(const std::string& binary, const std::vector<std::string>& args,
                           std::string* error) {
  port_ = FreePort();
  char outName[] = "/tmp/klv-siege-out-XXXXXX";
  outFd_ = ::mkstemp(outName);
  ::unlink(outName);
  std::vector<std::string> all = {binary, "--host", "127.0.0.1", "--port", std::to_string(port_)};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(outFd_, 1);
    ::dup2(outFd_, 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  const double deadline = Now() + 20;
  while (Now() < deadline) {
    if (!Running()) {
      if (error) *error = "the service ended at once: " + output_;
      return false;
    }
    if (Request(port_, "/cgi/version.pl?prg=Marlowfin&show&type=0", Address(9, 0), 1000).Status ==
        200)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (error) *error = "the service did not answer within 20 s";
  return false;
}

bool ServiceProcess::Running() {
  if (pid_ <= 0) return false;
  int st = 0;
  if (::waitpid(pid_, &st, WNOHANG) == pid_) {
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    pid_ = -1;
    Collect();
    return false;
  }
  return true;
}

void ServiceProcess::Collect() {
  output_.clear();
  if (outFd_ < 0) return;
  char buf[4096];
  ssize_t n = 0;
  off_t at = 0;
  while ((n = ::pread(outFd_, buf, sizeof buf, at)) > 0) {
    output_.append(buf, static_cast<std::size_t>(n));
    at += n;
  }
}

long ServiceProcess::ResidentKb() const {
  if (pid_ <= 0) return 0;
  std::ifstream f("/proc/" + std::to_string(pid_) + "/status");
  std::string key;
  long kb = 0;
  while (f >> key) {
    if (key == "VmRSS:") {
      f >> kb;
      return kb;
    }
    f.ignore(1 << 16, '\n');
  }
  return 0;
}

double ServiceProcess::Terminate(double limitSeconds) {
  if (pid_ <= 0) return 0;
  const double start = Now();
  ::kill(pid_, SIGTERM);
  while (Running()) {
    if (Now() - start > limitSeconds) {
      ::kill(pid_, SIGKILL);
      while (Running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return Now() - start;
}

// --- Requests -----------------------------------------------------------------

Reply Request(int port, const std::string& target, const std::string& from, int timeoutMs,
              const std::string& method, const std::string& extraHeaders) {
  Reply r;
  const double start = Now();
  const double deadline = start + timeoutMs / 1000.0;
  const int fd = Open(port, from);
  if (fd < 0) return r;
  const std::string req = method + " " + target +
                          " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extraHeaders +
                          "\r\n";
  std::string in;
  if (WaitFor(fd, POLLOUT, deadline) && SendAll(fd, req.data(), req.size(), deadline)) {
    char buf[16384];
    for (;;) {
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n > 0) {
        in.append(buf, static_cast<std::size_t>(n));
        if (in.size() > (1 << 20)) break;
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (!WaitFor(fd, POLLIN, deadline)) break;
      } else {
        break;
      }
    }
  }
  ::close(fd);
  r.Seconds = Now() - start;
  const std::size_t end = in.find("\r\n\r\n");
  if (in.rfind("HTTP/1.", 0) == 0 && end != std::string::npos && in.size() > 12) {
    r.Status = std::atoi(in.c_str() + 9);
    r.Head = in.substr(0, end + 2);
    r.Body = in.substr(end + 4);
  }
  return r;
}

// --- Memory -------------------------------------------------------------------

MemoryWatch::MemoryWatch(const ServiceProcess& p) {
  thread_ = std::thread([this, &p] {
    while (!stop_) {
      const long kb = p.ResidentKb();
      if (kb > peak_) peak_ = kb;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
}

MemoryWatch::~MemoryWatch() {
  stop_ = true;
  thread_.join();
}

// --- Attacks ------------------------------------------------------------------

int64_t EndlessBodies(int port, int clients, int64_t bytesEach, double seconds) {
  const std::string head =
      "POST /cgi/version.pl?hs&prg=Marlowfin HTTP/1.1\r\nHost: 127.0.0.1\r\n"
      "Transfer-Encoding: chunked\r\n\r\n";
  const std::string piece = "10000\r\n" + std::string(0x10000, 'x') + "\r\n";
  return FloodAll(port, clients, bytesEach, seconds, head, piece);
}

int64_t EndlessHeaders(int port, int clients, int64_t bytesEach, double seconds) {
  const std::string head = "GET /cgi/version.pl?prg=Marlowfin&show&type=0 HTTP/1.1\r\n";
  const std::string piece = "X-Fill: " + std::string(8 * 1024 - 10, 'y') + "\r\n";
  return FloodAll(port, clients, bytesEach, seconds, head, piece);
}

SlowClients::SlowClients(int port, int clients, int addresses, int byteEveryMs,
                         const std::string& v6Prefix)
    : port_(port),
      clients_(clients),
      addresses_(addresses),
      byteEveryMs_(byteEveryMs),
      v6Prefix_(v6Prefix) {
  thread_ = std::thread([this] { Run(); });
}

SlowClients::~SlowClients() {
  Stop();
}

void SlowClients::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void SlowClients::Run() {
  struct Slow {
    int Fd = -1;
    std::size_t Sent = 0;
    double Next = 0;
  };
  const std::string text =
      "GET /cgi/version.pl?prg=Marlowfin&show&type=0 HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " +
      std::string(4096, 'z');
  std::vector<Slow> slow(static_cast<std::size_t>(clients_));
  while (!stop_) {
    const double now = Now();
    int open = 0;
    for (std::size_t i = 0; i < slow.size(); ++i) {
      Slow& s = slow[i];
      if (s.Fd < 0) {
        const int n = static_cast<int>(i) % addresses_;
        s.Fd = Open(port_, v6Prefix_.empty() ? Address(3, n) : V6Address(v6Prefix_, n));
        s.Sent = 0;
        s.Next = now;
        if (s.Fd < 0) continue;
      }
      // Anything from the service, or its hanging up, ends this one.
      char buf[512];
      const ssize_t n = ::recv(s.Fd, buf, sizeof buf, 0);
      bool gone = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR && errno != ENOTCONN);
      if (!gone && now >= s.Next) {
        const char c = text[s.Sent % text.size()];
        const ssize_t m = ::send(s.Fd, &c, 1, MSG_NOSIGNAL);
        if (m == 1) {
          ++s.Sent;
        } else if (m < 0 && errno != EAGAIN && errno != ENOTCONN) {
          gone = true;
        }
        s.Next = now + byteEveryMs_ / 1000.0;
      }
      if (gone) {
        ::close(s.Fd);
        s.Fd = -1;
        ++dropped_;
      } else {
        ++open;
      }
    }
    connected_ = open;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (Slow& s : slow)
    if (s.Fd >= 0) ::close(s.Fd);
  connected_ = 0;
}

BurstResult Burst(const std::vector<int>& ports, int clients, int each, const std::string& tag,
                  uint32_t baseScore) {
  BurstResult result;
  std::mutex m;
  const double start = Now();
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      for (int i = 0; i < each; ++i) {
        const int k = c * each + i;
        const std::string from = Address(0, k);
        const int versionPort = ports[static_cast<std::size_t>(k) % ports.size()];
        const int scorePort = ports[static_cast<std::size_t>(k + 1) % ports.size()];
        const std::string name = tag + std::to_string(c) + "n" + std::to_string(i);
        bool ok = false;
        const Reply v = Request(versionPort, "/cgi/version.pl?version&prg=Marlowfin", from, 10000);
        const VersionAnswer a = ParseVersionAnswer(v.Body);
        if (v.Status == 200 && a.Ok) {
          const uint32_t score = baseScore + 5u * static_cast<uint32_t>(k);
          const std::string inf = InfEncode(BuildScoreRecord(name, score, a.P, "siege"));
          const Reply s =
              Request(scorePort, "/cgi/version.pl?hs&prg=Marlowfin&inf=" + inf, from, 10000);
          ok = s.Status == 200 && s.Body == "OK|stored|";
        }
        std::lock_guard<std::mutex> lock(m);
        if (ok) {
          ++result.Acknowledged;
          result.Names.push_back(name);
        } else {
          ++result.Failed;
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  result.Seconds = Now() - start;
  return result;
}

std::vector<double> Latencies(int port, int count, int timeoutMs) {
  std::vector<double> out;
  for (int i = 0; i < count; ++i) {
    const std::string target = i % 2 ? "/cgi/version.pl?version&prg=Marlowfin"
                                     : "/cgi/version.pl?prg=Marlowfin&show&type=0";
    const Reply r = Request(port, target, Address(2, i), timeoutMs);
    out.push_back(r.Status == 200 ? r.Seconds : timeoutMs / 1000.0);
  }
  std::sort(out.begin(), out.end());
  return out;
}

double Percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const std::size_t i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(sorted.size()));
  return sorted[std::min(i, sorted.size() - 1)];
}

double ConnectBurst(int port, int count) {
  std::vector<int> fds;
  const double start = Now();
  for (int i = 0; i < count; ++i) fds.push_back(Open(port, Address(4, i % 200)));
  double longest = 0;
  bool failed = false;
  std::vector<bool> done(fds.size(), false);
  std::size_t left = fds.size();
  const double deadline = start + 10;
  while (left > 0 && Now() < deadline) {
    std::vector<pollfd> p;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (done[i]) continue;
      if (fds[i] < 0) {
        done[i] = true;
        failed = true;
        --left;
        continue;
      }
      p.push_back({fds[i], POLLOUT, 0});
      which.push_back(i);
    }
    if (p.empty()) break;
    ::poll(p.data(), p.size(), 50);
    for (std::size_t j = 0; j < p.size(); ++j) {
      if (p[j].revents == 0) continue;
      int err = 0;
      socklen_t len = sizeof err;
      ::getsockopt(p[j].fd, SOL_SOCKET, SO_ERROR, &err, &len);
      if (err != 0) failed = true;
      done[which[j]] = true;
      --left;
      longest = std::max(longest, Now() - start);
    }
  }
  for (const int fd : fds)
    if (fd >= 0) ::close(fd);
  return failed || left > 0 ? -1 : longest;
}

}  // namespace klv::scores::siege
