#include "score_service.h"

#include <httplib.h>

#include <chrono>
#include <ctime>

#include "online/score_record.h"
#include "online/world_table.h"
#include "score_store.h"
#include "world_table_page.h"

namespace klv::scores {

namespace {

constexpr const char* kServiceVersion = "1.0";
constexpr const char* kMotd = "Klevaria world table";
constexpr int kPageRows = 100;

int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string IsoDate(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return "";
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

ServiceAnswer Text(int status, std::string body) {
  return ServiceAnswer{status, "text/plain; charset=utf-8", std::move(body)};
}

ServiceAnswer Refused(int status, const std::string& reason) {
  return Text(status, "ERR|" + reason + "|");
}

// The value of a parameter given exactly once.
const std::string* Single(const ScoreService::Query& q, const char* name) {
  const auto [first, last] = q.equal_range(name);
  if (first == last || std::next(first) != last) return nullptr;
  return &first->second;
}

}  // namespace

ScoreService::ScoreService(ScoreStore& store, Clock clock)
    : store_(store), clock_(clock ? std::move(clock) : Clock(SystemSeconds)) {}

ServiceAnswer ScoreService::Handle(const Query& query) {
  const std::string* prg = Single(query, "prg");
  if (prg == nullptr || *prg != kProductCode) return Refused(400, "product");
  const bool version = query.count("version") != 0;
  const bool hs = query.count("hs") != 0;
  const bool show = query.count("show") != 0;
  if (int(version) + int(hs) + int(show) != 1) return Refused(400, "request");

  try {
    if (version) {
      const int64_t now = clock_();
      return Text(200, std::string("OK|") + kServiceVersion + "|" + IsoDate(now) + "|" + kMotd +
                           "|" + store_.IssueToken(now) + "|");
    }
    if (show) {
      const std::string* type = Single(query, "type");
      if (type == nullptr || *type != "0") return Refused(400, "type");
      return ServiceAnswer{200, "text/html; charset=utf-8",
                           RenderWorldTablePage(store_.Best(kPageRows))};
    }
    const std::string* inf = Single(query, "inf");
    if (inf == nullptr) return Refused(400, "record");
    std::string why;
    const std::optional<ScoreRecord> record = DecodeScoreRecord(*inf, &why);
    if (!record) return Refused(400, why);
    if (store_.Submit(*record, clock_()) != ScoreStore::SubmitResult::Stored) {
      return Refused(403, "token");
    }
    return Text(200, "OK|stored|");
  } catch (const StoreError&) {
    return Refused(503, "storage");
  }
}

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
