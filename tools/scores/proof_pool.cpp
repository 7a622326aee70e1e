#include "proof_pool.h"

#include <chrono>
#include <cstdio>

namespace klv::scores {

namespace {

int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

ProofPool::ProofPool(ScoreStore& store, Verify verify, Options options, Clock clock)
    : store_(store),
      verify_(std::move(verify)),
      options_(options),
      clock_(clock ? std::move(clock) : Clock(SystemSeconds)) {
  if (options_.Workers <= 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    options_.Workers = cores > 0 ? static_cast<int>(cores) : 1;
  }
}

ProofPool::~ProofPool() {
  Stop();
}

void ProofPool::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!workers_.empty()) return;
  stopping_ = false;
  for (int i = 0; i < options_.Workers; ++i) workers_.emplace_back([this] { Work(); });
}

void ProofPool::Stop() {
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    workers.swap(workers_);
  }
  wake_.notify_all();
  for (std::thread& t : workers) t.join();
}

void ProofPool::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++wakes_;
  }
  wake_.notify_one();
}

void ProofPool::Work() {
  for (;;) {
    uint64_t seen = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
      seen = wakes_;
    }
    std::optional<ProofJob> job;
    try {
      job = store_.TakeProof(clock_(), options_.LeaseSeconds);
    } catch (const StoreError& e) {
      std::fprintf(stderr, "klevaria-scores: the proof queue cannot be read: %s\n", e.what());
    }
    if (!job) {
      // Nothing free: sleep until an upload or the next look.
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(options_.IdleMs),
                     [&] { return stopping_ || wakes_ != seen; });
      continue;
    }
    Verdict v;
    if (job->Tries >= options_.MaxTries) {
      v.Reason = "its workers never finished";
    } else {
      // Checked again: the queue may hold what an older service took.
      v.Reason = CheckReplayClaim(job->Replay, job->Name, job->Score);
      if (v.Reason.empty()) v = verify_(job->Replay, stopping_);
    }
    if (v.Stopped) {
      try {
        store_.ReturnProof(job->Id);
      } catch (const StoreError&) {
        // Its lease runs out and it is taken again then.
      }
      continue;
    }
    try {
      store_.FinishProof(job->Id, v.Verified);
      (v.Verified ? verified_ : refused_).fetch_add(1);
      if (!v.Verified) {
        std::fprintf(stderr, "klevaria-scores: entry %lld not proven: %s\n",
                     static_cast<long long>(job->Id), v.Reason.c_str());
      }
    } catch (const StoreError& e) {
      // The lease runs out and another worker plays it again.
      std::fprintf(stderr, "klevaria-scores: the verdict on entry %lld was not stored: %s\n",
                   static_cast<long long>(job->Id), e.what());
    }
  }
}

}  // namespace klv::scores
