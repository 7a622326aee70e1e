#pragma once
// A raw-socket HTTP server on a free loopback port for client tests: it reads
// each request head and hands the connection to a behaviour of the test's
// choosing (answer, stall, trickle, flood, redirect).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace klv::test {

class LoopbackServer {
 public:
  // Called for each connection with the socket and the request head; returns
  // when the connection is to be closed.
  using Behaviour = std::function<void(LoopbackServer&, int fd, const std::string& head)>;

  explicit LoopbackServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 16);
    socklen_t len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Run(); });
  }

  ~LoopbackServer() { Stop(); }

  // Ends every behaviour that waits with Hold() and joins the server.
  void Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
  }

  int Port() const { return port_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return Base() + path; }

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  bool Stopping() const { return stop_.load(); }

  // Keeps the connection open and silent until the server stops or the
  // client goes away.
  void Hold(int fd) {
    while (!stop_.load()) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) {
        char buf[256];
        if (::recv(fd, buf, sizeof buf, 0) <= 0) return;  // client gave up
      }
    }
  }

  // Sleeps in small steps; false when the server is stopping.
  bool Pause(std::chrono::milliseconds d) {
    const auto end = std::chrono::steady_clock::now() + d;
    while (std::chrono::steady_clock::now() < end) {
      if (stop_.load()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static bool SendAll(int fd, const std::string& s) {
    std::size_t off = 0;
    while (off < s.size()) {
      const ssize_t n = ::send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
      if (n <= 0) return false;
      off += static_cast<std::size_t>(n);
    }
    return true;
  }

  static std::string Answer(int status, const std::string& body,
                            const std::string& extraHeaders = "") {
    return "HTTP/1.1 " + std::to_string(status) +
           " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
           extraHeaders + "\r\n" + body;
  }

 private:
  void Run() {
    while (!stop_.load()) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const int fd = ::accept(listen_, nullptr, nullptr);
      if (fd < 0) continue;
      std::string head;
      char buf[4096];
      while (head.find("\r\n\r\n") == std::string::npos && !stop_.load()) {
        pollfd q{fd, POLLIN, 0};
        if (::poll(&q, 1, 20) <= 0) continue;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        head.append(buf, static_cast<std::size_t>(n));
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(head);
      }
      behaviour_(*this, fd, head);
      ::close(fd);
    }
  }

  Behaviour behaviour_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace klv::test
