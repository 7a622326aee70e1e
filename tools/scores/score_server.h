#pragma once
// The HTTP side of klevaria-scores: cpp-httplib with a thread pool, every
// request to "/cgi/version.pl" handed to a ScoreService.

#include <memory>
#include <string>

namespace klv::scores {

class ScoreService;

class ScoreServer {
 public:
  struct Options {
    std::string Host = "127.0.0.1";
    int Port = 8765;   // 0: any free port
    int Threads = 64;  // each open connection holds one while it lasts
  };

  explicit ScoreServer(ScoreService& service);
  ~ScoreServer();  // stops and joins
  ScoreServer(const ScoreServer&) = delete;
  ScoreServer& operator=(const ScoreServer&) = delete;

  // Binds and starts serving on a thread of its own; returns the bound port,
  // or -1 when the address cannot be bound.
  int Start(const Options& options);
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace klv::scores
