#include "score_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "score_service.h"

namespace klv::scores {

struct ScoreServer::Impl {
  ScoreService& service;
  httplib::Server server;
  std::thread thread;
  std::atomic<bool> finished{false};
};

ScoreServer::ScoreServer(ScoreService& service) : impl_(new Impl{service, {}, {}, {}}) {
  httplib::Server& s = impl_->server;
  s.Get("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
    const ServiceAnswer a = impl_->service.Handle(req.params);
    res.status = a.Status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(a.Body, a.ContentType.c_str());
  });
  s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    res.status = 500;
    res.set_content("ERR|internal|", "text/plain; charset=utf-8");
  });
  s.set_payload_max_length(4096);
  s.set_read_timeout(5);
  s.set_write_timeout(5);
  s.set_keep_alive_timeout(1);
  s.set_keep_alive_max_count(20);
}

ScoreServer::~ScoreServer() {
  Stop();
}

int ScoreServer::Start(const Options& options) {
  httplib::Server& s = impl_->server;
  const int threads = options.Threads > 0 ? options.Threads : 1;
  s.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  int port = options.Port;
  if (port == 0) {
    port = s.bind_to_any_port(options.Host);
  } else if (!s.bind_to_port(options.Host, port)) {
    port = -1;
  }
  if (port < 0) return -1;
  impl_->finished.store(false);
  impl_->thread = std::thread([this] {
    impl_->server.listen_after_bind();
    impl_->finished.store(true);
  });
  // Stop() only reaches a server that is already listening.
  while (!s.is_running() && !impl_->finished.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return impl_->finished.load() ? -1 : port;
}

void ScoreServer::Stop() {
  if (impl_->thread.joinable()) {
    impl_->server.stop();
    impl_->thread.join();
  }
}

}  // namespace klv::scores
