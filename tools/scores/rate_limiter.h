#pragma once
// Requests per client address and minute: each address may spend `perMinute`
// at once and earns them back evenly over a minute. Memory stays bounded
// however many addresses come: an address that has earned everything back
// is forgotten, and past kMaxTracked addresses all are.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace klv::scores {

class RateLimiter {
 public:
  static constexpr std::size_t kMaxTracked = 200'000;

  // 0 per minute: no limit.
  explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}

  // Takes one request from `key` at `nowMs` (any steady count of
  // milliseconds). Returns 0 when allowed, otherwise the whole seconds to
  // wait before the next one is.
  int64_t Take(const std::string& key, int64_t nowMs);

  std::size_t Tracked() const;

 private:
  void Sweep(int64_t nowMs);

  int perMinute_;
  mutable std::mutex mutex_;
  // The moment each address will have earned everything back.
  std::unordered_map<std::string, int64_t> full_;
  int64_t nextSweepMs_ = 0;
};

// The key a client is limited under: an IPv4 address as it stands, an IPv6
// address by its /64 network (one household or server gets a whole /64).
std::string ClientKey(const std::string& address);

}  // namespace klv::scores
