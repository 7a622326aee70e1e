#pragma once
// The workers that prove world-table entries by their replays: a fixed
// number of threads (one per core by default), each taking the oldest
// replay no worker holds from the store's queue, playing it (in a child
// process: see replay_verifier.h) and storing the verdict. The queue lives
// in the store, so with PostgreSQL any service proves any upload, and a job
// whose service was killed mid-way goes back to the queue when its lease
// ends. The workers never touch the HTTP threads: uploads never slow down
// version queries, submissions or the page.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "replay_verifier.h"
#include "score_store.h"

namespace klv::scores {

class ProofPool {
 public:
  // Plays a replay; gives it up (a Stopped verdict) soon after `stop` is set.
  using Verify =
      std::function<Verdict(const std::vector<uint8_t>& replay, const std::atomic<bool>& stop)>;
  using Clock = std::function<int64_t()>;  // seconds since 1970, UTC

  struct Options {
    int Workers = 0;            // 0: one per core
    int64_t LeaseSeconds = 90;  // a job held longer goes back to the queue
    int IdleMs = 1000;          // how often an idle worker looks at the queue
    int MaxTries = 3;           // a replay that killed this many workers is refused
  };

  // The store must outlive the pool. Without a clock the system's is used.
  ProofPool(ScoreStore& store, Verify verify, Options options, Clock clock = {});
  ~ProofPool();  // stops
  ProofPool(const ProofPool&) = delete;
  ProofPool& operator=(const ProofPool&) = delete;

  void Start();
  // Returns once no worker runs: a replay being played is given up and
  // returned to the queue unplayed, for this service's next start or another.
  void Stop();
  // A job has joined the queue: an idle worker looks at once.
  void Wake();

  // Verdicts stored since the start, for the operator and the benchmark.
  int64_t Verified() const { return verified_.load(); }
  int64_t Refused() const { return refused_.load(); }

 private:
  void Work();

  ScoreStore& store_;
  Verify verify_;
  Options options_;
  Clock clock_;
  std::mutex mutex_;
  std::condition_variable wake_;
  // Set (under mutex_, for the workers' wait) by Stop; read without it by
  // the replays being played.
  std::atomic<bool> stopping_{false};
  uint64_t wakes_ = 0;
  std::vector<std::thread> workers_;
  std::atomic<int64_t> verified_{0};
  std::atomic<int64_t> refused_{0};
};

}  // namespace klv::scores
